// Module resources for builds that are not Windows: each module carries a table of its
// resources (exported as ResourceTable), and these calls find them as Windows would.
#pragma once

#include "windows_types.h"

// One resource as the build embeds it. A numeric type or name has a null text.
struct resource_entry {
    std::uint32_t type_id;
    const char *type_name;
    std::uint32_t id;
    const unsigned char *data;
    std::uint32_t size;
};

struct resource_table {
    std::uint32_t count;
    const resource_entry *entries;
};

PLATFORM_API HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
PLATFORM_API HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource);
PLATFORM_API LPVOID WINAPI LockResource(HGLOBAL loaded);
PLATFORM_API DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource);

// Calls `visit` with each resource of `type` in the module, by name or MAKEINTRESOURCE id,
// until it returns FALSE; returns FALSE if the module has none of that type.
using ENUMRESNAMEPROCA = BOOL(WINAPI *)(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR parameter);
PLATFORM_API BOOL WINAPI EnumResourceNamesA(HMODULE module, LPCSTR type, ENUMRESNAMEPROCA visit,
                                           LONG_PTR parameter);
