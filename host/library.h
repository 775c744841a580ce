// Loading a dynamic library, behind one small interface: dlopen, or LoadLibrary on Windows.
#pragma once

#include <cstddef>
#include <string>

namespace bench {

using library_handle = void *;

// Opens the library at `path`; on failure returns null and sets `error` to the reason.
library_handle open_library(const std::string &path, std::string &error);
void *library_symbol(library_handle library, const char *name);
void close_library(library_handle library);
// Whether the `size` bytes at `address` lie inside what the library mapped of its own file.
bool library_contains(library_handle library, const void *address, std::size_t size);

// The directory holding the running program.
std::string program_directory();

} // namespace bench
