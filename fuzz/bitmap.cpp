// The bench's bitmap reader, on arbitrary resource bytes; what it decodes is drawn, scaled
// and resized as the renderer does.
#include "image.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::string error;
    bench::image picture = bench::decode_bitmap({data, size}, error);
    if (!error.empty())
        return 0;
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() != std::size_t(picture.width) * std::size_t(picture.height))
        std::abort();
    bench::image canvas(40, 30);
    bench::draw_image(canvas, picture, -picture.width / 2, 7, false);
    bench::draw_image(canvas, picture, 3, -picture.height / 2, true);
    if (picture.width <= 64 && picture.height <= 64)
        bench::scale_image(picture, 3);
    bench::resize_image(picture, 13, 5);
    return 0;
}
