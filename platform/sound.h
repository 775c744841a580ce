// DirectSound for builds that are not Windows: a software device whose buffers "play" on a
// clock the bench drives. Only the members the click-sound player calls are declared.
#pragma once

#include "windows_types.h"


constexpr HRESULT DS_OK = 0;
constexpr HRESULT E_FAIL = HRESULT(0x80004005u);
constexpr HRESULT DSERR_BUFFERLOST = HRESULT(0x88780096u);
constexpr HRESULT DSERR_INVALIDPARAM = HRESULT(0x80070057u);
constexpr HRESULT DSERR_NODRIVER = HRESULT(0x88780078u);

constexpr DWORD DSSCL_NORMAL = 1;
constexpr DWORD DSBCAPS_STATIC = 0x2;
constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x20;
constexpr DWORD DSBCAPS_CTRLPAN = 0x40;
constexpr DWORD DSBCAPS_CTRLVOLUME = 0x80;
constexpr DWORD DSBCAPS_CTRLPOSITIONNOTIFY = 0x100;
constexpr DWORD DSBPLAY_LOOPING = 0x1;
constexpr DWORD DSBSTATUS_PLAYING = 0x1;
constexpr DWORD DSBSTATUS_BUFFERLOST = 0x2;
constexpr DWORD DSBSTATUS_LOOPING = 0x4;

#pragma pack(push, 1)
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};
#pragma pack(pop)
using LPWAVEFORMATEX = WAVEFORMATEX *;

struct DSBUFFERDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwReserved;
    LPWAVEFORMATEX lpwfxFormat;
    std::uint8_t guid3DAlgorithm[16];
};
using LPCDSBUFFERDESC = const DSBUFFERDESC *;

struct IUnknown;

struct IDirectSoundBuffer {
    virtual HRESULT WINAPI GetStatus(LPDWORD status) = 0;
    virtual HRESULT WINAPI Lock(DWORD offset, DWORD bytes, LPVOID *first, LPDWORD first_bytes, LPVOID *second,
                                LPDWORD second_bytes, DWORD flags) = 0;
    virtual HRESULT WINAPI Play(DWORD reserved, DWORD priority, DWORD flags) = 0;
    virtual HRESULT WINAPI SetCurrentPosition(DWORD position) = 0;
    virtual HRESULT WINAPI Stop() = 0;
    virtual HRESULT WINAPI Unlock(LPVOID first, DWORD first_bytes, LPVOID second, DWORD second_bytes) = 0;
    virtual HRESULT WINAPI Restore() = 0;
    virtual DWORD WINAPI Release() = 0;

protected:
    ~IDirectSoundBuffer() = default;
};
using LPDIRECTSOUNDBUFFER = IDirectSoundBuffer *;

struct IDirectSound {
    virtual HRESULT WINAPI CreateSoundBuffer(LPCDSBUFFERDESC description, LPDIRECTSOUNDBUFFER *buffer,
                                             IUnknown *outer) = 0;
    virtual HRESULT WINAPI DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original, LPDIRECTSOUNDBUFFER *duplicate) = 0;
    virtual HRESULT WINAPI SetCooperativeLevel(HWND window, DWORD level) = 0;
    virtual DWORD WINAPI Release() = 0;

protected:
    ~IDirectSound() = default;
};
using LPDIRECTSOUND = IDirectSound *;

struct GUID;
using LPCGUID = const GUID *;

PLATFORM_API HRESULT WINAPI DirectSoundCreate(LPCGUID device, LPDIRECTSOUND *sound, IUnknown *outer);

#include <string>
#include <vector>

#include "control.h"

namespace platform {

// One Play of a buffer, as the bench captures it.
struct played_sound {
    std::vector<std::uint8_t> samples; // the buffer's bytes when it started
    WAVEFORMATEX format;
    DWORD flags;
    int buffer; // the buffer's number, counting from 1 in order of creation
};

// The clock buffers play on: a buffer plays for its length from its Play, or until Stop if looped.
PLATFORM_CONTROL void advance_sound_clock(double milliseconds);
// Marks the buffer with this number (and whatever shares its samples) as lost by the sound system.
PLATFORM_CONTROL void lose_sound_buffer(int buffer);
PLATFORM_CONTROL std::vector<played_sound> played_sounds();
// Device objects and buffers not yet released, to find leaks.
PLATFORM_CONTROL int live_sound_objects();
// Forgets the captured sounds and rewinds the clock; objects still alive stay alive.
PLATFORM_CONTROL void reset_sound();

} // namespace platform
