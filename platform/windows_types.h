// The handful of Windows types and macros the gauges use, for builds that are not Windows.
#pragma once

#include <cstddef>
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
using HWND = void *;
using UINT = unsigned int;
using WORD = std::uint16_t;
using LPDWORD = DWORD *;
using HRESULT = std::int32_t;
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

// Named file mappings (file_mappings.h). An alias may be declared again with the same type.
using WORD = std::uint16_t;
using SIZE_T = std::size_t;
using DWORD_PTR = std::uintptr_t;
using LPCVOID = const void *;

struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES *;

struct SYSTEM_INFO {
    WORD wProcessorArchitecture;
    WORD wReserved;
    DWORD dwPageSize;
    LPVOID lpMinimumApplicationAddress;
    LPVOID lpMaximumApplicationAddress;
    DWORD_PTR dwActiveProcessorMask;
    DWORD dwNumberOfProcessors;
    DWORD dwProcessorType;
    DWORD dwAllocationGranularity;
    WORD wProcessorLevel;
    WORD wProcessorRevision;
};
using LPSYSTEM_INFO = SYSTEM_INFO *;

struct MEMORY_BASIC_INFORMATION {
    LPVOID BaseAddress;
    LPVOID AllocationBase;
    DWORD AllocationProtect;
    SIZE_T RegionSize;
    DWORD State;
    DWORD Protect;
    DWORD Type;
};
using PMEMORY_BASIC_INFORMATION = MEMORY_BASIC_INFORMATION *;

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)))
constexpr DWORD PAGE_READONLY = 0x02;
constexpr DWORD PAGE_READWRITE = 0x04;
constexpr DWORD FILE_MAP_COPY = 0x0001;
constexpr DWORD FILE_MAP_WRITE = 0x0002;
constexpr DWORD FILE_MAP_READ = 0x0004;
constexpr DWORD FILE_MAP_ALL_ACCESS = 0xF001F;
constexpr DWORD MEM_COMMIT = 0x1000;
constexpr DWORD MEM_MAPPED = 0x40000;
