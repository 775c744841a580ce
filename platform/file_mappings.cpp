// Named file mappings over POSIX shared memory, so that two processes really share a block.
//
// Names: the mapping N of namespace S is the shared memory object "/S.N", both parts with
// every character other than a letter, a digit, '-' and '_' written as %XX, so that no two
// (namespace, name) pairs meet. Parallel runs (tests, benches) pick namespaces of their own.
//
// Lifetime: a Windows mapping lives while any process holds a handle or view. Here the name
// stays until its namespace is removed (platform::remove_mapping_namespace), so that one
// bench process can leave a block for the next to find, as a panel module would publish it
// for a gauge loaded later. Tests use a namespace of their own and remove it at the end.
//
// Size: the creator sizes the object once, right after creating it exclusively; an object
// that exists is never resized. A view maps the object's size as the opener finds it; the
// pages of a view end on a page boundary, so a reader of a few bytes more than a small
// object holds reads zeros within its last page instead of running off the mapping.
#include "file_mappings.h"

#include "control.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace {

constexpr DWORD allocation_granularity = 65536;
constexpr const char *default_namespace = "gaugebench";
constexpr const char *shm_directory = "/dev/shm";

std::optional<std::string> &namespace_override() {
    static std::optional<std::string> name;
    return name;
}

std::string escaped(const std::string &text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
        if (plain) {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string unescaped(const std::string &text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += char(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The object's name, or "" when it would be longer than the system allows.
std::string object_name(const char *name) {
    std::string object = "/" + escaped(platform::mapping_namespace()) + "." + escaped(name);
    return object.size() - 1 > NAME_MAX ? std::string() : object;
}

struct mapping {
    int descriptor;
    std::size_t size;
    bool writable;
};

struct view {
    std::size_t length;
    bool writable;
};

std::map<std::uintptr_t, mapping> &mappings() {
    static std::map<std::uintptr_t, mapping> open;
    return open;
}

std::map<std::uintptr_t, view> &views() {
    static std::map<std::uintptr_t, view> mapped;
    return mapped;
}

HANDLE new_handle(const mapping &opened) {
    static std::uintptr_t last = 0x100;
    last += 4;
    mappings()[last] = opened;
    return reinterpret_cast<HANDLE>(last);
}

std::optional<mapping> found_size(int descriptor, bool writable) {
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || status.st_size <= 0 ||
        static_cast<unsigned long long>(status.st_size) > SIZE_MAX)
        return std::nullopt;
    return mapping{descriptor, std::size_t(status.st_size), writable};
}

// Opens the named object, or with `create` creates it with `size` bytes. An object found at
// size 0 is still being sized by its creator: it is looked at again for a while.
HANDLE open_object(const char *name, bool create, std::uint64_t size, bool writable) {
    std::string object = object_name(name);
    if (object.empty())
        return nullptr;
    for (int attempt = 0; attempt < 200; ++attempt) {
        int descriptor = shm_open(object.c_str(), writable ? O_RDWR : O_RDONLY, 0);
        if (descriptor >= 0) {
            if (std::optional<mapping> opened = found_size(descriptor, writable))
                return new_handle(*opened);
            close(descriptor);
            timespec pause = {0, 1000000};
            nanosleep(&pause, nullptr);
            continue;
        }
        if (errno != ENOENT || !create)
            return nullptr;
        descriptor = shm_open(object.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
        if (descriptor < 0) {
            if (errno == EEXIST)
                continue; // another process created it first: open theirs
            return nullptr;
        }
        if (ftruncate(descriptor, off_t(size)) != 0) {
            close(descriptor);
            shm_unlink(object.c_str());
            return nullptr;
        }
        return new_handle({descriptor, std::size_t(size), writable});
    }
    return nullptr;
}

std::string name_text(LPCSTR name) { return name ? "\"" + std::string(name) + "\"" : "null"; }

std::string hex_word(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", unsigned(value));
    return text;
}

// Releases the entry `key` of `table` with `action`; FALSE for a key the table does not hold.
template <typename Table, typename Action> BOOL release(Table &table, std::uintptr_t key, Action action) {
    auto found = table.find(key);
    if (found == table.end())
        return FALSE;
    action(found->second);
    table.erase(found);
    return TRUE;
}

std::size_t page_size() { return std::size_t(sysconf(_SC_PAGESIZE)); }

} // namespace

namespace platform {

void set_mapping_namespace(std::string name) {
    if (name.empty())
        namespace_override().reset();
    else
        namespace_override() = std::move(name);
}

std::string mapping_namespace() {
    if (namespace_override())
        return *namespace_override();
    const char *from_environment = std::getenv("GAUGE_SHM_NAMESPACE");
    return from_environment != nullptr && *from_environment != '\0' ? from_environment : default_namespace;
}

// Every name in the shared memory directory that has the form "S.N" belongs to namespace S.
std::vector<std::string> mapping_namespaces() {
    std::set<std::string> found;
    if (DIR *directory = opendir(shm_directory)) {
        while (dirent *entry = readdir(directory)) {
            std::string name = entry->d_name;
            auto dot = name.find('.');
            if (dot != std::string::npos && dot > 0)
                found.insert(unescaped(name.substr(0, dot)));
        }
        closedir(directory);
    }
    return {found.begin(), found.end()};
}

std::size_t open_mapping_handles() { return mappings().size(); }
std::size_t open_mapping_views() { return views().size(); }

unsigned remove_mapping_namespace(const std::string &name) {
    std::string prefix = escaped(name) + ".";
    std::vector<std::string> names;
    if (DIR *directory = opendir(shm_directory)) {
        while (dirent *entry = readdir(directory))
            if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0)
                names.push_back(entry->d_name);
        closedir(directory);
    }
    unsigned removed = 0;
    for (const std::string &object : names)
        removed += shm_unlink(("/" + object).c_str()) == 0 ? 1 : 0;
    return removed;
}

} // namespace platform

HANDLE WINAPI CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES security, DWORD protect, DWORD size_high,
                                 DWORD size_low, LPCSTR name) {
    if (platform::begin_call("CreateFileMappingA",
                             platform::pointer_text(file) + ", " + platform::pointer_text(security) + ", " +
                                 hex_word(protect) + ", " + std::to_string(size_high) + ", " +
                                 std::to_string(size_low) + ", " + name_text(name)))
        return nullptr;
    std::uint64_t size = std::uint64_t(size_high) << 32 | size_low;
    bool writable = protect == PAGE_READWRITE;
    if (file != INVALID_HANDLE_VALUE || name == nullptr || size == 0 || size > SIZE_MAX || size > std::uint64_t(std::numeric_limits<off_t>::max()) ||
        (protect != PAGE_READONLY && protect != PAGE_READWRITE))
        return nullptr;
    return open_object(name, true, size, writable);
}

HANDLE WINAPI OpenFileMappingA(DWORD access, BOOL inherit, LPCSTR name) {
    if (platform::begin_call("OpenFileMappingA",
                             hex_word(access) + ", " + std::to_string(inherit) + ", " + name_text(name)))
        return nullptr;
    if (name == nullptr || (access & (FILE_MAP_READ | FILE_MAP_WRITE | FILE_MAP_COPY)) == 0)
        return nullptr;
    return open_object(name, false, 0, (access & FILE_MAP_WRITE) != 0);
}

LPVOID WINAPI MapViewOfFile(HANDLE handle, DWORD access, DWORD offset_high, DWORD offset_low, SIZE_T bytes) {
    if (platform::begin_call("MapViewOfFile", platform::pointer_text(handle) + ", " + hex_word(access) + ", " +
                                                  std::to_string(offset_high) + ", " + std::to_string(offset_low) +
                                                  ", " + std::to_string(bytes)))
        return nullptr;
    auto found = mappings().find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == mappings().end())
        return nullptr;
    const mapping &opened = found->second;
    std::uint64_t offset = std::uint64_t(offset_high) << 32 | offset_low;
    if (offset % allocation_granularity != 0 || offset >= opened.size)
        return nullptr;
    std::size_t length = bytes == 0 ? opened.size - std::size_t(offset) : bytes;
    if (length > opened.size - offset)
        return nullptr;
    // As on Windows: exactly FILE_MAP_COPY is a private copy; write access includes reading.
    bool copy = access == FILE_MAP_COPY;
    bool write = (access & FILE_MAP_WRITE) != 0;
    if ((write && !opened.writable) || (!copy && (access & (FILE_MAP_READ | FILE_MAP_WRITE)) == 0))
        return nullptr;
    int protection = write || copy ? PROT_READ | PROT_WRITE : PROT_READ;
    void *address = mmap(nullptr, length, protection, copy ? MAP_PRIVATE : MAP_SHARED, opened.descriptor, off_t(offset));
    if (address == MAP_FAILED)
        return nullptr;
    views()[reinterpret_cast<std::uintptr_t>(address)] = {length, write || copy};
    return address;
}

BOOL WINAPI UnmapViewOfFile(LPCVOID address) {
    if (platform::begin_call("UnmapViewOfFile", platform::pointer_text(address)))
        return FALSE;
    return release(views(), reinterpret_cast<std::uintptr_t>(address),
                   [&](const view &mapped) { munmap(const_cast<void *>(address), mapped.length); });
}

// A view outlives the handle it was mapped through, as on Windows.
BOOL WINAPI CloseHandle(HANDLE handle) {
    if (platform::begin_call("CloseHandle", platform::pointer_text(handle)))
        return FALSE;
    return release(mappings(), reinterpret_cast<std::uintptr_t>(handle),
                   [](const mapping &opened) { close(opened.descriptor); });
}

// A call made to fail reports nothing at all: every field 0.
void WINAPI GetSystemInfo(LPSYSTEM_INFO info) {
    bool failed = platform::begin_call("GetSystemInfo", platform::pointer_text(info));
    if (info == nullptr)
        return;
    *info = {};
    if (failed)
        return;
    long processors = sysconf(_SC_NPROCESSORS_ONLN);
    info->dwPageSize = DWORD(page_size());
    info->lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(std::uintptr_t(0x10000));
    info->lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(std::uintptr_t(0x7FFEFFFF));
    info->dwNumberOfProcessors = processors > 0 ? DWORD(processors) : 1;
    info->dwActiveProcessorMask = info->dwNumberOfProcessors >= sizeof(DWORD_PTR) * 8
                                      ? ~DWORD_PTR(0)
                                      : (DWORD_PTR(1) << info->dwNumberOfProcessors) - 1;
    info->dwProcessorType = 586;
    info->dwAllocationGranularity = allocation_granularity;
    info->wProcessorLevel = 6;
}

SIZE_T WINAPI VirtualQuery(LPCVOID address, PMEMORY_BASIC_INFORMATION info, SIZE_T length) {
    if (platform::begin_call("VirtualQuery", platform::pointer_text(address) + ", " + platform::pointer_text(info) +
                                                 ", " + std::to_string(length)))
        return 0;
    if (info == nullptr || length < sizeof *info)
        return 0;
    auto at = reinterpret_cast<std::uintptr_t>(address);
    auto after = views().upper_bound(at);
    if (after == views().begin())
        return 0;
    auto [base, mapped] = *std::prev(after);
    std::size_t page = page_size();
    std::uintptr_t end = base + (mapped.length + page - 1) / page * page;
    if (at >= end)
        return 0;
    std::uintptr_t first = at / page * page;
    DWORD protection = mapped.writable ? PAGE_READWRITE : PAGE_READONLY;
    *info = {.BaseAddress = reinterpret_cast<LPVOID>(first),
             .AllocationBase = reinterpret_cast<LPVOID>(base),
             .AllocationProtect = protection,
             .RegionSize = end - first,
             .State = MEM_COMMIT,
             .Protect = protection,
             .Type = MEM_MAPPED};
    return sizeof *info;
}
