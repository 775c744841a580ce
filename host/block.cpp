// gaugebench block: plays the other module of a shared-memory exchange from its own process,
// through the same Windows calls a panel module makes (the real ones on Windows).
#include "block.h"

#include "numbers.h"
#include "platform.h"
#if !defined(_WIN32)
#include "control.h"
#include <unistd.h>
#endif

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <cstdint>

namespace bench {

namespace {

// The block's calls are the bench's own: neither recorded nor failed for a gauge under test.
#if defined(_WIN32)
struct own_calls {
    own_calls() {} // Windows records nothing
};
#else
using own_calls = platform::bench_own_calls;
#endif

std::size_t view_reach(const void *view) {
    MEMORY_BASIC_INFORMATION region = {};
    if (VirtualQuery(view, &region, sizeof region) != sizeof region)
        return 0;
    return static_cast<const unsigned char *>(region.BaseAddress) + region.RegionSize -
           static_cast<const unsigned char *>(view);
}

} // namespace

shared_block::shared_block(const std::string &name, std::size_t size) {
    own_calls own;
    mapping_ = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    if (mapping_ == nullptr) {
        if (size == 0) {
            SYSTEM_INFO system = {};
            GetSystemInfo(&system);
            size = system.dwAllocationGranularity;
        }
        std::uint64_t wide = size;
        mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, DWORD(wide >> 32),
                                      DWORD(wide & 0xFFFFFFFFu), name.c_str());
        created_ = mapping_ != nullptr;
        created_size_ = created_ ? size : 0;
    }
    if (mapping_ == nullptr)
        return;
    view_ = static_cast<unsigned char *>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    reach_ = view_ ? view_reach(view_) : 0;
    if (view_ != nullptr && reach_ == 0) {
        UnmapViewOfFile(view_);
        view_ = nullptr;
    }
}

shared_block::~shared_block() {
    own_calls own;
    if (view_ != nullptr)
        UnmapViewOfFile(view_);
    if (mapping_ != nullptr)
        CloseHandle(mapping_);
}

std::vector<unsigned char> shared_block::read(std::size_t offset, std::size_t count) const {
    if (offset >= reach_)
        return {};
    if (count > reach_ - offset)
        count = reach_ - offset;
    return {view_ + offset, view_ + offset + count};
}

bool shared_block::write(std::size_t offset, const std::vector<unsigned char> &bytes) {
    if (offset > reach_ || bytes.size() > reach_ - offset)
        return false;
    if (!bytes.empty())
        std::memcpy(view_ + offset, bytes.data(), bytes.size());
    return true;
}

std::optional<std::vector<unsigned char>> read_hex_bytes(const std::string &text) {
    if (text.size() % 2 != 0)
        return std::nullopt;
    std::vector<unsigned char> bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        unsigned char byte = 0;
        auto [last, fault] = std::from_chars(text.data() + i, text.data() + i + 2, byte, 16);
        if (fault != std::errc() || last != text.data() + i + 2)
            return std::nullopt;
        bytes.push_back(byte);
    }
    return bytes;
}

run_block_namespace::run_block_namespace([[maybe_unused]] const std::string &run) {
#if !defined(_WIN32)
    if (std::getenv("GAUGE_SHM_NAMESPACE") != nullptr)
        return;
    name_ = run + "-" + std::to_string(getpid());
    platform::set_mapping_namespace(name_);
#endif
}

run_block_namespace::~run_block_namespace() {
#if !defined(_WIN32)
    if (name_.empty())
        return;
    platform::remove_mapping_namespace(name_);
    platform::set_mapping_namespace("");
#endif
}

std::variant<block_write, std::string> read_block_write(const std::string &line) {
    std::vector<std::string> words = words_of(line);
    bool hex = words[0] == "write-hex";
    if (words.size() < 4)
        return std::string("a block write is ") + (hex ? "write-hex NAME OFFSET HEX" : "write NAME OFFSET TEXT");
    std::optional<std::uint32_t> offset = read_token(words[2]);
    if (!offset)
        return "the offset \"" + words[2] + "\" is not decimal, or hex with 0x";
    std::string data = rest_of(line, 3);
    std::optional<std::vector<unsigned char>> bytes =
        hex ? read_hex_bytes(data) : std::vector<unsigned char>(data.begin(), data.end());
    if (!bytes)
        return "\"" + data + "\" is not pairs of hex digits";
    return block_write{.block = words[1], .offset = *offset, .bytes = *bytes};
}

bool write_block(const block_write &write) {
    shared_block block(write.block, 0);
    return block.is_open() && block.write(write.offset, write.bytes);
}

const char block_usage[] =
    "usage: gaugebench block NAME [--size N] [--read] [--write OFFSET=TEXT] [--write-hex OFFSET=HEX]...\n"
    "\n"
    "Opens the named shared block, or else creates it, as another panel module would, and\n"
    "changes or shows its bytes: the writes in the order given, then the read.\n"
    "  --size N             bytes to create the block with (default: the allocation\n"
    "                       granularity, 65536), and bytes to show (default 64)\n"
    "  --read               show the bytes from the start\n"
    "  --write OFFSET=TEXT  write the characters of TEXT, without a terminator\n"
    "  --write-hex OFFSET=HEX  write bytes given as pairs of hex digits (\"05000000\")\n"
    "OFFSET and N are decimal, or hex with 0x. On Linux, a block lives on after every process\n"
    "let it go, in the namespace named by GAUGE_SHM_NAMESPACE (default \"gaugebench\"), until\n"
    "its namespace is removed: rm /dev/shm/NAMESPACE.*\n"
    "Example, lighting the gear panel as its partner module would:\n"
    "  gaugebench block QUORVAL_COM_IPC --write-hex 0=01000000 --read --size 4\n";

namespace {

struct usage_error {
    std::string text;
};

std::uint64_t parse_number(const std::string &text, const char *what) {
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char *begin = text.data() + (hex ? 2 : 0), *end = text.data() + text.size();
    std::uint64_t number = 0;
    auto [last, fault] = std::from_chars(begin, end, number, hex ? 16 : 10);
    if (begin == end || fault != std::errc() || last != end)
        throw usage_error{std::string(what) + " \"" + text + "\" is not a number (decimal, or hex with 0x)"};
    return number;
}

std::vector<unsigned char> parse_hex(const std::string &text) {
    std::optional<std::vector<unsigned char>> bytes = read_hex_bytes(text);
    if (!bytes)
        throw usage_error{"\"" + text + "\" is not pairs of hex digits"};
    return *bytes;
}

struct requested_write {
    std::uint64_t offset;
    std::vector<unsigned char> bytes;
    std::string argument;
};

struct block_line {
    std::string name;
    std::size_t size = 0; // 0: not given
    bool read = false;
    std::vector<requested_write> writes;
};

block_line parse_block(const std::vector<std::string> &arguments) {
    block_line line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        auto value = [&]() -> const std::string & {
            if (i + 1 >= arguments.size())
                throw usage_error{argument + " needs a value"};
            return arguments[++i];
        };
        if (argument == "--size") {
            std::uint64_t size = parse_number(value(), "N");
            if (size == 0 || size > 0xFFFFFFFFu)
                throw usage_error{"--size must be from 1 to 4294967295"};
            line.size = std::size_t(size);
        } else if (argument == "--read") {
            line.read = true;
        } else if (argument == "--write" || argument == "--write-hex") {
            const std::string &text = value();
            auto equals = text.find('=');
            if (equals == std::string::npos)
                throw usage_error{argument + " needs OFFSET=" + (argument == "--write" ? "TEXT" : "HEX") +
                                  ", not \"" + text + "\""};
            std::string data = text.substr(equals + 1);
            line.writes.push_back({parse_number(text.substr(0, equals), "OFFSET"),
                                   argument == "--write" ? std::vector<unsigned char>(data.begin(), data.end())
                                                         : parse_hex(data),
                                   argument + " " + text});
        } else if (argument.starts_with("-")) {
            throw usage_error{"unknown option \"" + argument + "\" for block"};
        } else if (line.name.empty()) {
            line.name = argument;
        } else {
            throw usage_error{"unexpected argument \"" + argument + "\""};
        }
    }
    if (line.name.empty())
        throw usage_error{"no block name given"};
    return line;
}

// Sixteen bytes a line: offset, hex, and the printable characters.
void dump(std::ostream &out, const std::vector<unsigned char> &bytes) {
    for (std::size_t row = 0; row < bytes.size(); row += 16) {
        char text[24];
        std::snprintf(text, sizeof text, "%08lx ", static_cast<unsigned long>(row));
        std::string hex = text, shown;
        for (std::size_t i = row; i < row + 16; ++i) {
            if (i < bytes.size()) {
                std::snprintf(text, sizeof text, " %02x", bytes[i]);
                hex += text;
                shown += bytes[i] >= 0x20 && bytes[i] < 0x7F ? char(bytes[i]) : '.';
            } else {
                hex += "   ";
            }
        }
        out << hex << "  |" << shown << "|\n";
    }
}

} // namespace

int block_command(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &errors) {
    if (std::find(arguments.begin(), arguments.end(), std::string("--help")) != arguments.end()) {
        out << block_usage;
        return 0;
    }
    block_line line;
    try {
        line = parse_block(arguments);
    } catch (const usage_error &error) {
        errors << "gaugebench: " << error.text << " (gaugebench block --help shows the usage)\n";
        return 2;
    }
    shared_block block(line.name, line.size);
    if (!block.is_open()) {
        errors << "gaugebench: block \"" << line.name << "\" can be neither opened nor created and mapped\n";
        return 1;
    }
    for (const requested_write &change : line.writes)
        if (change.offset > block.reach() || change.bytes.size() > block.reach() - std::size_t(change.offset)) {
            errors << "gaugebench: " << change.argument << " reaches past the " << block.reach()
                   << " bytes the view of \"" << line.name << "\" reaches; nothing written\n";
            return 1;
        }
    if (block.created())
        out << line.name << ": created with " << block.created_size() << " bytes";
    else
        out << line.name << ": opened";
    out << "; the view reaches " << block.reach() << " bytes\n";
    for (const requested_write &change : line.writes)
        block.write(std::size_t(change.offset), change.bytes);
    if (line.read)
        dump(out, block.read(0, line.size != 0 ? line.size : 64));
    return 0;
}

} // namespace bench
