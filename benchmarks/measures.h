// What gauge_performance measures besides time: instructions from callgrind, and the
// Windows modules as files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace performance {

// Instructions of one callgrind profile, split by whose code ran them.
struct instruction_split {
    std::uint64_t gauge = 0;   // the module's own code
    std::uint64_t runtime = 0; // C library routines the module's code called (libc, libm)
    std::uint64_t windows = 0; // the substitute Windows calls the module's code made
    std::uint64_t total = 0;   // everything collected, the bench's host included
};

// Reads a callgrind profile written with --compress-strings=no --compress-pos=no and
// attributes its instructions to the module at `module_path`; false if the file cannot be read.
bool read_callgrind(const std::string &profile, const std::string &module_path, const std::string &platform_name,
                    instruction_split &split, std::string &error);

// A 32-bit Windows module read from its PE headers.
struct windows_module {
    std::uint64_t file_size = 0;
    std::uint64_t resources = 0; // the .rsrc section as stored in the file
    std::uint64_t exception_tables = 0; // .eh_frame, .pdata and .xdata as stored
    std::vector<std::string> imports; // DLL names, as the import directory gives them
};

bool read_windows_module(const std::string &path, windows_module &module, std::string &error);

} // namespace performance
