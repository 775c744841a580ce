// The three library calls, for Windows and for POSIX systems.
#include "library.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>
#include <climits>
#include <cstring>
#endif

#include <cstdint>

namespace bench {

#if defined(_WIN32)

library_handle open_library(const std::string &path, std::string &error) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        char text[256] = {};
        DWORD code = GetLastError();
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                       sizeof text, nullptr);
        error = text;
        while (!error.empty() && (error.back() == '\n' || error.back() == '\r' || error.back() == '.'))
            error.pop_back();
        if (error.empty())
            error = "Windows error " + std::to_string(code);
    }
    return module;
}

void *library_symbol(library_handle library, const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void close_library(library_handle library) { FreeLibrary(static_cast<HMODULE>(library)); }

// The image runs from the module handle, its base address, for the size its PE header gives.
bool library_contains(library_handle library, const void *address, std::size_t size) {
    auto base = reinterpret_cast<std::uintptr_t>(library);
    auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    auto at = reinterpret_cast<std::uintptr_t>(address);
    return at >= base && size <= nt->OptionalHeader.SizeOfImage && at - base <= nt->OptionalHeader.SizeOfImage - size;
}

std::string program_directory() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text(path, length);
    auto slash = text.find_last_of("\\/");
    return slash == std::string::npos ? "." : text.substr(0, slash);
}

#else

library_handle open_library(const std::string &path, std::string &error) {
    void *library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char *reason = dlerror();
        error = reason ? reason : "unknown error";
        // dlerror repeats the path first; the caller names the file already.
        if (error.rfind(path + ": ", 0) == 0)
            error.erase(0, path.size() + 2);
    }
    return library;
}

void *library_symbol(library_handle library, const char *name) { return dlsym(library, name); }

void close_library(library_handle library) { dlclose(library); }

// The library's loadable, readable segments, found among the objects the loader has mapped.
bool library_contains(library_handle library, const void *address, std::size_t size) {
    struct search {
        const link_map *map;
        std::uintptr_t at;
        std::size_t size;
        bool inside;
    } wanted{nullptr, reinterpret_cast<std::uintptr_t>(address), size, false};
    link_map *map = nullptr;
    if (dlinfo(library, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr)
        return false;
    wanted.map = map;
    dl_iterate_phdr(
        [](dl_phdr_info *info, std::size_t, void *data) {
            auto &s = *static_cast<search *>(data);
            if (info->dlpi_addr != s.map->l_addr || std::strcmp(info->dlpi_name, s.map->l_name) != 0)
                return 0;
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr) &segment = info->dlpi_phdr[i];
                std::uintptr_t start = info->dlpi_addr + segment.p_vaddr;
                if (segment.p_type == PT_LOAD && (segment.p_flags & PF_R) && s.at >= start &&
                    s.size <= segment.p_memsz && s.at - start <= segment.p_memsz - s.size)
                    s.inside = true;
            }
            return 1;
        },
        &wanted);
    return wanted.inside;
}

std::string program_directory() {
    char path[PATH_MAX] = {};
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string text(path, length > 0 ? static_cast<std::size_t>(length) : 0);
    auto slash = text.find_last_of('/');
    return slash == std::string::npos ? "." : text.substr(0, slash);
}

#endif

} // namespace bench
