// Named file mappings for builds that are not Windows: mappings backed by the paging file,
// shared between processes by name, over POSIX shared memory (see file_mappings.cpp).
#pragma once

#include "windows_types.h"

// Only paging-file backing (file INVALID_HANDLE_VALUE) with PAGE_READONLY or PAGE_READWRITE,
// and only named mappings. A name that exists already is opened, whatever size is asked.
PLATFORM_API HANDLE WINAPI CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES security, DWORD protect,
                                              DWORD size_high, DWORD size_low, LPCSTR name);
PLATFORM_API HANDLE WINAPI OpenFileMappingA(DWORD access, BOOL inherit, LPCSTR name);
// Maps `bytes` from the offset (a multiple of the allocation granularity); 0 bytes: to the end.
PLATFORM_API LPVOID WINAPI MapViewOfFile(HANDLE mapping, DWORD access, DWORD offset_high, DWORD offset_low,
                                         SIZE_T bytes);
PLATFORM_API BOOL WINAPI UnmapViewOfFile(LPCVOID view);
PLATFORM_API BOOL WINAPI CloseHandle(HANDLE handle);
PLATFORM_API void WINAPI GetSystemInfo(LPSYSTEM_INFO info);
// Describes the part of a mapped view from the page of `address` on; other memory is not known.
PLATFORM_API SIZE_T WINAPI VirtualQuery(LPCVOID address, PMEMORY_BASIC_INFORMATION info, SIZE_T length);
