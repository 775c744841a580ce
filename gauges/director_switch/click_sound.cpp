// The click-sound player. Every platform result that is negative counts as a failure.
#include "click_sound.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

LPDIRECTSOUND sound_device;
HMODULE sound_module_handle;

constexpr DWORD static_buffer_flags = 0x1E2; // static; frequency, pan, volume and position-notify controls
constexpr DWORD status_playing = 0x1;
constexpr DWORD status_lost = 0x2;
constexpr DWORD play_looping = 0x1;
constexpr std::uint32_t smallest_format = 14;

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(DSBUFFERDESC) == 36);
#endif

std::uint32_t little_endian(const std::uint8_t *bytes) {
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
           std::uint32_t(bytes[3]) << 24;
}

DWORD status_of(LPDIRECTSOUNDBUFFER buffer) {
    DWORD status = 0;
    if (buffer->GetStatus(&status) < 0)
        return 0;
    return status;
}

} // namespace

HRESULT sound_device_open(HWND window, HMODULE module) {
    sound_module_handle = module;
    if (DirectSoundCreate(nullptr, &sound_device, nullptr) < 0)
        return sound_failed;
    if (sound_device->SetCooperativeLevel(window, 1) >= 0)
        return sound_ok;
    sound_device->Release();
    sound_device = nullptr;
    return sound_failed;
}

void sound_device_close() {
    if (sound_device != nullptr)
        sound_device->Release();
    sound_device = nullptr;
}

HRESULT wave_resource_find(HMODULE module, LPCSTR name, WAVEFORMATEX **format, const std::uint8_t **data,
                           std::uint32_t *size) {
    HRSRC found = FindResourceA(module, name, "WAVE");
    if (found == nullptr)
        found = FindResourceA(module, name, "WAV");
    if (found == nullptr)
        return sound_failed;
    HGLOBAL loaded = LoadResource(module, found);
    if (loaded == nullptr)
        return sound_failed;
    auto *bytes = static_cast<const std::uint8_t *>(LockResource(loaded));
    if (bytes == nullptr)
        return sound_failed;
    return wave_parse(bytes, SizeofResource(module, found), format, data, size) == sound_ok ? sound_ok : sound_failed;
}

// The walk ends at the end of the RIFF body or of the resource, whichever comes first, and
// takes only chunks that lie wholly before that end.
HRESULT wave_parse(const std::uint8_t *bytes, std::uint32_t resource_size, WAVEFORMATEX **format,
                   const std::uint8_t **data, std::uint32_t *size) {
    if (format != nullptr)
        *format = nullptr;
    if (data != nullptr)
        *data = nullptr;
    if (size != nullptr)
        *size = 0;
    if (bytes == nullptr || resource_size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 ||
        std::memcmp(bytes + 8, "WAVE", 4) != 0)
        return sound_failed;
    std::uint64_t end = std::min<std::uint64_t>(8 + std::uint64_t(little_endian(bytes + 4)), resource_size);
    std::uint64_t position = 12;
    if (position >= end)
        return sound_failed;
    while (true) {
        if (position + 8 > end)
            return sound_failed;
        const std::uint8_t *chunk = bytes + position;
        std::uint32_t length = little_endian(chunk + 4);
        if (position + 8 + length > end)
            return sound_failed;
        const std::uint8_t *body = chunk + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && format != nullptr && *format == nullptr) {
            if (length < smallest_format)
                return sound_failed;
            *format = reinterpret_cast<WAVEFORMATEX *>(const_cast<std::uint8_t *>(body));
            if ((data == nullptr || *data != nullptr) && (size == nullptr || *size != 0))
                return sound_ok;
        } else if (std::memcmp(chunk, "data", 4) == 0 &&
                   ((data != nullptr && *data == nullptr) || (size != nullptr && *size == 0))) {
            if (data != nullptr)
                *data = body;
            if (size != nullptr)
                *size = length;
            if (format == nullptr || *format != nullptr)
                return sound_ok;
        }
        position += 8 + std::uint64_t(length) + (length & 1);
        if (position >= end)
            return sound_failed;
    }
}

LPDIRECTSOUNDBUFFER sound_buffer_create(LPDIRECTSOUND device, LPCSTR name) {
    DSBUFFERDESC description;
    std::memset(&description, 0, sizeof description);
    description.dwSize = sizeof description;
    description.dwFlags = static_buffer_flags;
    const std::uint8_t *data = nullptr;
    std::uint32_t bytes = 0;
    if (wave_resource_find(sound_module_handle, name, &description.lpwfxFormat, &data, &bytes) != sound_ok)
        return nullptr;
    description.dwBufferBytes = bytes;
    LPDIRECTSOUNDBUFFER buffer = nullptr;
    if (device->CreateSoundBuffer(&description, &buffer, nullptr) < 0)
        return nullptr;
    if (sound_buffer_fill(buffer, data, bytes) != sound_ok) {
        buffer->Release();
        return nullptr;
    }
    return buffer;
}

HRESULT sound_buffer_fill(LPDIRECTSOUNDBUFFER buffer, const std::uint8_t *data, std::uint32_t size) {
    if (buffer == nullptr || data == nullptr || size == 0)
        return sound_failed;
    void *first = nullptr, *second = nullptr;
    DWORD first_bytes = 0, second_bytes = 0;
    if (buffer->Lock(0, size, &first, &first_bytes, &second, &second_bytes, 0) < 0)
        return sound_failed;
    if (first_bytes != 0)
        std::memcpy(first, data, first_bytes);
    if (second_bytes != 0)
        std::memcpy(second, data + first_bytes, second_bytes);
    buffer->Unlock(first, first_bytes, second, second_bytes);
    return sound_ok;
}

sound_object *sound_object_create(LPCSTR name, std::uint32_t count) {
    if (sound_device == nullptr)
        return nullptr;
    if (count < 1)
        count = 1;
    const std::uint8_t *data = nullptr;
    std::uint32_t size = 0;
    if (wave_resource_find(sound_module_handle, name, nullptr, &data, &size) != sound_ok)
        return nullptr;
    auto *object = static_cast<sound_object *>(std::malloc(sizeof(sound_object)));
    auto *buffers = static_cast<LPDIRECTSOUNDBUFFER *>(std::calloc(count, sizeof(LPDIRECTSOUNDBUFFER)));
    if (object == nullptr || buffers == nullptr) {
        std::free(object);
        std::free(buffers);
        return nullptr;
    }
    *object = {.wave_data = data, .wave_size = size, .buffer_count = count, .current_buffer = 0, .buffers = buffers};
    buffers[0] = sound_buffer_create(sound_device, name);
    for (std::uint32_t i = 1; i < count; ++i) {
        if (buffers[0] != nullptr && sound_device->DuplicateSoundBuffer(buffers[0], &buffers[i]) >= 0)
            continue;
        buffers[i] = sound_buffer_create(sound_device, name);
        if (buffers[i] == nullptr) {
            sound_object_destroy(object);
            return nullptr;
        }
    }
    return object;
}

void sound_object_destroy(sound_object *object) {
    if (object == nullptr)
        return;
    for (std::uint32_t i = 0; i < object->buffer_count; ++i)
        if (object->buffers[i] != nullptr)
            object->buffers[i]->Release();
    std::free(object->buffers);
    std::free(object);
}

LPDIRECTSOUNDBUFFER sound_object_next_buffer(sound_object *object) {
    if (object == nullptr)
        return nullptr;
    LPDIRECTSOUNDBUFFER buffer = object->buffers[object->current_buffer];
    if (buffer == nullptr)
        return nullptr;
    DWORD status = status_of(buffer);
    if (status & status_playing) {
        if (object->buffer_count <= 1)
            return nullptr;
        object->current_buffer = (object->current_buffer + 1) % object->buffer_count;
        buffer = object->buffers[object->current_buffer];
        if (buffer == nullptr)
            return nullptr;
        status = status_of(buffer);
        if (status & status_playing) {
            buffer->Stop();
            buffer->SetCurrentPosition(0);
        }
    }
    if (status & status_lost) {
        if (buffer->Restore() < 0)
            return nullptr;
        if (sound_buffer_fill(buffer, object->wave_data, object->wave_size) != sound_ok)
            return nullptr;
    }
    return buffer;
}

HRESULT sound_object_play(sound_object *object, DWORD flags) {
    if (object == nullptr)
        return sound_failed;
    if ((flags & play_looping) && object->buffer_count != 1)
        return sound_failed;
    LPDIRECTSOUNDBUFFER buffer = sound_object_next_buffer(object);
    if (buffer == nullptr)
        return sound_failed;
    return buffer->Play(0, 0, flags) < 0 ? sound_failed : sound_ok;
}

HRESULT sound_object_stop(sound_object *object) {
    if (object == nullptr)
        return sound_failed;
    for (std::uint32_t i = 0; i < object->buffer_count; ++i)
        if (object->buffers[i] != nullptr) {
            object->buffers[i]->Stop();
            object->buffers[i]->SetCurrentPosition(0);
        }
    return sound_ok;
}
