// The software DirectSound device: buffers hold their samples in memory and report playing
// while their length has not elapsed on the bench's clock.
#include "sound.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

double clock_ms = 0;
int buffers_made = 0;
int live_objects = 0;
std::vector<platform::played_sound> captured;

struct sample_memory {
    std::vector<std::uint8_t> bytes;
    WAVEFORMATEX format;
    bool lost = false;
};

std::vector<std::weak_ptr<sample_memory>> &memories_by_buffer() {
    static std::vector<std::weak_ptr<sample_memory>> memories;
    return memories;
}

std::string hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

struct software_buffer final : IDirectSoundBuffer {
    std::shared_ptr<sample_memory> memory;
    int number;
    int references = 1;
    bool playing = false;
    bool looping = false;
    double started_ms = 0;
    DWORD position = 0;

    explicit software_buffer(std::shared_ptr<sample_memory> shared) : memory(std::move(shared)), number(++buffers_made) {
        ++live_objects;
        memories_by_buffer().resize(std::size_t(number));
        memories_by_buffer()[std::size_t(number - 1)] = memory;
    }
    std::string name(const char *method) const { return std::string("IDirectSoundBuffer::") + method; }
    double length_ms() const {
        DWORD rate = memory->format.nAvgBytesPerSec;
        return rate == 0 ? 0 : double(memory->bytes.size() - std::min<std::size_t>(position, memory->bytes.size())) * 1000 / rate;
    }
    bool sounding() const { return playing && (looping || clock_ms - started_ms < length_ms()); }

    HRESULT WINAPI GetStatus(LPDWORD status) override {
        if (platform::begin_call(name("GetStatus"), "buffer " + std::to_string(number)) || status == nullptr)
            return E_FAIL;
        *status = (memory->lost ? DSBSTATUS_BUFFERLOST : 0) |
                  (sounding() && !memory->lost ? DSBSTATUS_PLAYING | (looping ? DSBSTATUS_LOOPING : 0) : 0);
        return DS_OK;
    }
    HRESULT WINAPI Lock(DWORD offset, DWORD bytes, LPVOID *first, LPDWORD first_bytes, LPVOID *second,
                        LPDWORD second_bytes, DWORD) override {
        if (platform::begin_call(name("Lock"), "buffer " + std::to_string(number) + ", " + std::to_string(offset) +
                                                   ", " + std::to_string(bytes)))
            return E_FAIL;
        if (memory->lost)
            return DSERR_BUFFERLOST;
        std::size_t size = memory->bytes.size();
        if (first == nullptr || first_bytes == nullptr || offset >= size || bytes > size)
            return DSERR_INVALIDPARAM;
        // A lock past the end wraps to the start, as the platform's circular buffers do.
        DWORD to_end = DWORD(size - offset);
        *first = memory->bytes.data() + offset;
        *first_bytes = std::min(bytes, to_end);
        DWORD rest = bytes - *first_bytes;
        if (second != nullptr)
            *second = rest ? memory->bytes.data() : nullptr;
        if (second_bytes != nullptr)
            *second_bytes = rest;
        return rest != 0 && (second == nullptr || second_bytes == nullptr) ? DSERR_INVALIDPARAM : DS_OK;
    }
    HRESULT WINAPI Unlock(LPVOID, DWORD, LPVOID, DWORD) override {
        return platform::begin_call(name("Unlock"), "buffer " + std::to_string(number)) ? E_FAIL : DS_OK;
    }
    HRESULT WINAPI Play(DWORD, DWORD, DWORD flags) override {
        if (platform::begin_call(name("Play"), "buffer " + std::to_string(number) + ", flags " + hex(flags)))
            return E_FAIL;
        if (memory->lost)
            return DSERR_BUFFERLOST;
        if (!sounding()) {
            started_ms = clock_ms;
            captured.push_back({std::vector<std::uint8_t>(memory->bytes.begin() + std::min<std::size_t>(position, memory->bytes.size()),
                                                          memory->bytes.end()),
                                memory->format, flags, number});
        }
        playing = true;
        looping = (flags & DSBPLAY_LOOPING) != 0;
        return DS_OK;
    }
    HRESULT WINAPI Stop() override {
        if (platform::begin_call(name("Stop"), "buffer " + std::to_string(number)))
            return E_FAIL;
        playing = false;
        return DS_OK;
    }
    HRESULT WINAPI SetCurrentPosition(DWORD new_position) override {
        if (platform::begin_call(name("SetCurrentPosition"), "buffer " + std::to_string(number) + ", " +
                                                                 std::to_string(new_position)))
            return E_FAIL;
        position = new_position;
        return DS_OK;
    }
    HRESULT WINAPI Restore() override {
        if (platform::begin_call(name("Restore"), "buffer " + std::to_string(number)))
            return E_FAIL;
        // A restored buffer has its memory back, but not its samples.
        if (memory->lost)
            std::fill(memory->bytes.begin(), memory->bytes.end(), std::uint8_t(0));
        memory->lost = false;
        return DS_OK;
    }
    DWORD WINAPI Release() override {
        platform::begin_call(name("Release"), "buffer " + std::to_string(number));
        if (--references > 0)
            return DWORD(references);
        --live_objects;
        delete this;
        return 0;
    }
};

struct software_device final : IDirectSound {
    int references = 1;
    bool cooperative = false;

    software_device() { ++live_objects; }

    HRESULT WINAPI CreateSoundBuffer(LPCDSBUFFERDESC description, LPDIRECTSOUNDBUFFER *buffer, IUnknown *outer) override {
        if (platform::begin_call("IDirectSound::CreateSoundBuffer",
                                 description ? "flags " + hex(description->dwFlags) + ", " +
                                                   std::to_string(description->dwBufferBytes) + " bytes"
                                             : "no description"))
            return E_FAIL;
        if (buffer == nullptr || description == nullptr || outer != nullptr || description->dwSize != sizeof(DSBUFFERDESC) ||
            description->dwBufferBytes == 0 || description->lpwfxFormat == nullptr || !cooperative)
            return DSERR_INVALIDPARAM;
        auto memory = std::make_shared<sample_memory>();
        memory->bytes.assign(description->dwBufferBytes, 0);
        std::memcpy(&memory->format, description->lpwfxFormat, sizeof(WAVEFORMATEX) - sizeof(WORD));
        memory->format.cbSize = 0;
        *buffer = new software_buffer(memory);
        return DS_OK;
    }
    HRESULT WINAPI DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original, LPDIRECTSOUNDBUFFER *duplicate) override {
        if (platform::begin_call("IDirectSound::DuplicateSoundBuffer", ""))
            return E_FAIL;
        if (original == nullptr || duplicate == nullptr)
            return DSERR_INVALIDPARAM;
        *duplicate = new software_buffer(static_cast<software_buffer *>(original)->memory);
        return DS_OK;
    }
    HRESULT WINAPI SetCooperativeLevel(HWND window, DWORD level) override {
        char arguments[64];
        std::snprintf(arguments, sizeof arguments, "%p, %u", window, unsigned(level));
        if (platform::begin_call("IDirectSound::SetCooperativeLevel", arguments))
            return E_FAIL;
        if (window == nullptr)
            return DSERR_INVALIDPARAM;
        cooperative = true;
        return DS_OK;
    }
    DWORD WINAPI Release() override {
        platform::begin_call("IDirectSound::Release", "");
        if (--references > 0)
            return DWORD(references);
        --live_objects;
        delete this;
        return 0;
    }
};

} // namespace

HRESULT WINAPI DirectSoundCreate(LPCGUID, LPDIRECTSOUND *sound, IUnknown *outer) {
    if (platform::begin_call("DirectSoundCreate", ""))
        return DSERR_NODRIVER;
    if (sound == nullptr || outer != nullptr)
        return DSERR_INVALIDPARAM;
    *sound = new software_device;
    return DS_OK;
}

namespace platform {

void advance_sound_clock(double milliseconds) { clock_ms += milliseconds; }

void lose_sound_buffer(int buffer) {
    auto &memories = memories_by_buffer();
    if (buffer >= 1 && std::size_t(buffer) <= memories.size())
        if (auto memory = memories[std::size_t(buffer - 1)].lock())
            memory->lost = true;
}

std::vector<played_sound> played_sounds() { return captured; }
int live_sound_objects() { return live_objects; }

void reset_sound() {
    captured.clear();
    clock_ms = 0;
}

} // namespace platform
