// Loading a dynamic library, behind one small interface: dlopen, or LoadLibrary on Windows.
#pragma once

#include <string>

namespace bench {

using library_handle = void *;

// Opens the library at `path`; on failure returns null and sets `error` to the reason.
library_handle open_library(const std::string &path, std::string &error);
void *library_symbol(library_handle library, const char *name);
void close_library(library_handle library);

// The directory holding the running program.
std::string program_directory();

} // namespace bench
