// FindResourceA and its companions over the resource table each module exports.
#include "resources.h"

#include "control.h"

#include <dlfcn.h>
#include <strings.h>

#include <charconv>
#include <cstring>
#include <string>

namespace {

// Resource names and types are numbers (MAKEINTRESOURCE or "#123") or case-blind texts.
bool key_matches(std::uint32_t id, const char *text, LPCSTR key) {
    if (IS_INTRESOURCE(key))
        return text == nullptr && id == static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(key));
    if (key[0] == '#') {
        std::uint32_t number = 0;
        const char *end = key + std::strlen(key);
        auto [last, error] = std::from_chars(key + 1, end, number);
        return text == nullptr && error == std::errc() && last == end && id == number;
    }
    return text != nullptr && strcasecmp(text, key) == 0;
}

std::string describe_key(LPCSTR key) {
    if (key == nullptr)
        return "null";
    if (IS_INTRESOURCE(key))
        return "#" + std::to_string(reinterpret_cast<std::uintptr_t>(key));
    return "\"" + std::string(key) + "\"";
}

const resource_table *table_of(HMODULE module) {
    return module ? static_cast<const resource_table *>(dlsym(module, "ResourceTable")) : nullptr;
}

} // namespace

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
    if (platform::begin_call("FindResourceA", platform::pointer_text(module) + ", " + describe_key(name) +
                                                  ", " + describe_key(type)))
        return nullptr;
    const resource_table *table = table_of(module);
    if (table == nullptr || name == nullptr || type == nullptr)
        return nullptr;
    for (std::uint32_t i = 0; i < table->count; ++i) {
        const resource_entry &entry = table->entries[i];
        if (key_matches(entry.type_id, entry.type_name, type) && key_matches(entry.id, nullptr, name))
            return &entry;
    }
    return nullptr;
}

HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC resource) {
    if (platform::begin_call("LoadResource", platform::pointer_text(module) + ", " + platform::pointer_text(resource)))
        return nullptr;
    return resource ? const_cast<unsigned char *>(resource->data) : nullptr;
}

LPVOID WINAPI LockResource(HGLOBAL loaded) {
    if (platform::begin_call("LockResource", platform::pointer_text(loaded)))
        return nullptr;
    return loaded;
}

DWORD WINAPI SizeofResource(HMODULE module, HRSRC resource) {
    if (platform::begin_call("SizeofResource", platform::pointer_text(module) + ", " + platform::pointer_text(resource)))
        return 0;
    return resource ? resource->size : 0;
}

BOOL WINAPI EnumResourceNamesA(HMODULE module, LPCSTR type, ENUMRESNAMEPROCA visit, LONG_PTR parameter) {
    if (platform::begin_call("EnumResourceNamesA", platform::pointer_text(module) + ", " + describe_key(type)))
        return FALSE;
    const resource_table *table = table_of(module);
    if (table == nullptr || type == nullptr || visit == nullptr)
        return FALSE;
    bool found = false;
    for (std::uint32_t i = 0; i < table->count; ++i) {
        const resource_entry &entry = table->entries[i];
        if (!key_matches(entry.type_id, entry.type_name, type))
            continue;
        found = true;
        if (!visit(module, type, const_cast<LPSTR>(MAKEINTRESOURCEA(entry.id)), parameter))
            break;
    }
    return found ? TRUE : FALSE;
}
