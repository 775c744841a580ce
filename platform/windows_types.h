// The handful of Windows types and macros the gauges use, for builds that are not Windows.
#pragma once

#include <cstdint>

// The platform's calling conventions: WINAPI for fixed argument lists, WINAPIV for variadic ones.
#if defined(__i386__)
#define WINAPI __attribute__((stdcall))
#define WINAPIV __attribute__((cdecl))
#else
#define WINAPI
#define WINAPIV
#endif

// How our platform library exports the calls it substitutes.
#define PLATFORM_API extern "C" __attribute__((visibility("default")))

using BOOL = int;
using DWORD = std::uint32_t;
using LPSTR = char *;
using LONG_PTR = std::intptr_t;
using LPCSTR = const char *;
using LPVOID = void *;
using HANDLE = void *;
using HMODULE = void *;
using HINSTANCE = void *;
using HGLOBAL = void *;
struct resource_entry;
using HRSRC = const resource_entry *;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

#define MAKEINTRESOURCEA(id) (reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(static_cast<std::uint16_t>(id))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define IS_INTRESOURCE(name) ((reinterpret_cast<std::uintptr_t>(name) >> 16) == 0)
#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_VERSION MAKEINTRESOURCEA(16)
