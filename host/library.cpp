// The three library calls, for Windows and for POSIX systems.
#include "library.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#include <climits>
#endif

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

std::string program_directory() {
    char path[PATH_MAX] = {};
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string text(path, length > 0 ? static_cast<std::size_t>(length) : 0);
    auto slash = text.find_last_of('/');
    return slash == std::string::npos ? "." : text.substr(0, slash);
}

#endif

} // namespace bench
