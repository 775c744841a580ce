// Reads a PE file's section table and import directory: enough to split a module's size into
// resources and the rest, and to list the libraries it imports.
#include "measures.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace performance {
namespace {

struct section {
    std::string name;
    std::uint32_t virtual_address, virtual_size, raw_size, raw_offset;
};

} // namespace

bool read_windows_module(const std::string &path, windows_module &module, std::string &error) {
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes(std::istreambuf_iterator<char>(in), {});
    auto u16 = [&](std::size_t at) { return at + 2 <= bytes.size() ? std::uint32_t(bytes[at] | bytes[at + 1] << 8) : 0u; };
    auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    if (bytes.size() < 0x40 || u16(0) != 0x5A4D) {
        error = path + ": not a Windows module";
        return false;
    }
    std::size_t pe = u32(0x3C);
    if (pe + 24 > bytes.size() || u32(pe) != 0x4550 || u16(pe + 24) != 0x10B) {
        error = path + ": not a 32-bit PE module";
        return false;
    }
    std::uint32_t section_count = u16(pe + 6);
    std::size_t optional_header = pe + 24;
    std::size_t table = optional_header + u16(pe + 20);
    std::vector<section> sections;
    for (std::uint32_t i = 0; i < section_count; ++i) {
        std::size_t at = table + 40 * i;
        if (at + 40 > bytes.size()) {
            error = path + ": section table cut short";
            return false;
        }
        char name[9] = {};
        std::memcpy(name, &bytes[at], 8);
        sections.push_back({name, u32(at + 12), u32(at + 8), u32(at + 16), u32(at + 20)});
    }
    module = {.file_size = bytes.size()};
    for (const section &s : sections) {
        // The image keeps section names to 8 characters: ".eh_frame" is ".eh_fram".
        if (s.name == ".rsrc")
            module.resources += s.raw_size;
        if (s.name.starts_with(".eh_fram") || s.name == ".pdata" || s.name == ".xdata")
            module.exception_tables += s.raw_size;
    }
    auto file_offset = [&](std::uint32_t rva) -> std::size_t {
        for (const section &s : sections)
            if (rva >= s.virtual_address && rva < s.virtual_address + std::max(s.virtual_size, s.raw_size))
                return s.raw_offset + (rva - s.virtual_address);
        return bytes.size();
    };
    // Data directory 1, the import table: 20-byte descriptors, ended by one of zeros.
    std::uint32_t imports_rva = u32(optional_header + 96 + 8);
    if (imports_rva == 0)
        return true;
    for (std::size_t at = file_offset(imports_rva); at + 20 <= bytes.size(); at += 20) {
        std::uint32_t name_rva = u32(at + 12);
        if (name_rva == 0)
            return true;
        std::size_t name_at = file_offset(name_rva);
        std::string name;
        while (name_at < bytes.size() && bytes[name_at] != 0)
            name += char(bytes[name_at++]);
        module.imports.push_back(name);
    }
    error = path + ": import directory runs past the end of the file";
    return false;
}

} // namespace performance
