// The click-sound player: DirectSound opened on a window, a WAVE resource of the module
// turned into a small pool of static buffers, played in turn, restored when lost.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
#include <dsound.h>
#else
#include "platform.h"
#include "sound.h"
#endif

struct sound_object {
    const std::uint8_t *wave_data; // inside the locked resource, not owned
    std::uint32_t wave_size;
    std::uint32_t buffer_count; // at least 1
    std::uint32_t current_buffer; // tried first at the next play
    LPDIRECTSOUNDBUFFER *buffers; // owned; an entry may be empty
};

constexpr HRESULT sound_ok = 0;
constexpr HRESULT sound_failed = HRESULT(0x80004005u); // E_FAIL

HRESULT sound_device_open(HWND window, HMODULE module);
void sound_device_close();

// Finds a WAVE (or WAV) resource and parses it; each out may be null.
HRESULT wave_resource_find(HMODULE module, LPCSTR name, WAVEFORMATEX **format, const std::uint8_t **data,
                           std::uint32_t *size);
// Walks a RIFF/WAVE resource of `resource_size` bytes for its "fmt " and "data" chunks; each out may be null.
HRESULT wave_parse(const std::uint8_t *bytes, std::uint32_t resource_size, WAVEFORMATEX **format,
                   const std::uint8_t **data, std::uint32_t *size);

LPDIRECTSOUNDBUFFER sound_buffer_create(LPDIRECTSOUND device, LPCSTR name);
HRESULT sound_buffer_fill(LPDIRECTSOUNDBUFFER buffer, const std::uint8_t *data, std::uint32_t size);

sound_object *sound_object_create(LPCSTR name, std::uint32_t count);
void sound_object_destroy(sound_object *object);
LPDIRECTSOUNDBUFFER sound_object_next_buffer(sound_object *object);
HRESULT sound_object_play(sound_object *object, DWORD flags);
HRESULT sound_object_stop(sound_object *object);
