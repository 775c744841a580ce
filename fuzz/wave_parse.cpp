// The click-sound player's walk of a WAVE resource, on arbitrary resource bytes and sizes and
// every choice of outputs: what it gives lies inside the resource.
#include "click_sound.h"
#include "fuzz_support.h"

#include <vector>

// The first byte chooses the outputs asked for and how many bytes of the rest the resource
// is said to have: all of them, or a count taken from the next two bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 3)
        return 0;
    std::uint8_t choice = data[0];
    std::size_t said = (choice & 8) ? std::min<std::size_t>(size - 3, data[1] | data[2] << 8) : size - 3;
    // Exactly as large as said, so that any read past it is caught.
    std::vector<std::uint8_t> resource(data + 3, data + 3 + said);
    const std::uint8_t *bytes = resource.data();
    WAVEFORMATEX *format = nullptr;
    const std::uint8_t *samples = nullptr;
    std::uint32_t sample_bytes = 0;
    HRESULT status = wave_parse(bytes, std::uint32_t(said), (choice & 1) ? &format : nullptr,
                                (choice & 2) ? &samples : nullptr, (choice & 4) ? &sample_bytes : nullptr);
    if (status != sound_ok && status != sound_failed)
        fuzz::finding("status " + bench::hex_text(std::uint32_t(status)));
    if (status != sound_ok)
        return 0;
    const std::uint8_t *end = bytes + said;
    auto *format_bytes = reinterpret_cast<const std::uint8_t *>(format);
    if ((choice & 1) && (format_bytes < bytes + 20 || format_bytes + 14 > end))
        fuzz::finding("the format lies outside the resource");
    if ((choice & 2) && (samples < bytes + 20 || samples > end))
        fuzz::finding("the samples start outside the resource");
    if ((choice & 6) == 6 && std::size_t(end - samples) < sample_bytes)
        fuzz::finding("the samples run past the resource");
    return 0;
}
