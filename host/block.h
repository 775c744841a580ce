// The other side of a shared block: opens a named mapping as another panel module would, or
// else creates it, so that the bench or a test can read and change its bytes.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace bench {

class shared_block {
public:
    // Opens the mapping `name`, or else creates it with `size` bytes (0: the platform's
    // allocation granularity, as a gauge that creates a block for others does).
    shared_block(const std::string &name, std::size_t size);
    ~shared_block();
    shared_block(const shared_block &) = delete;
    shared_block &operator=(const shared_block &) = delete;

    bool is_open() const { return view_ != nullptr; }
    bool created() const { return created_; }
    std::size_t created_size() const { return created_size_; } // 0 when opened
    // Bytes from the start that the view reaches: whole pages, the block's own size at least.
    std::size_t reach() const { return reach_; }

    // The bytes at `offset`, as many of `count` as the view reaches.
    std::vector<unsigned char> read(std::size_t offset, std::size_t count) const;
    // Copies `bytes` to `offset`; false, writing nothing, where the view does not reach.
    bool write(std::size_t offset, const std::vector<unsigned char> &bytes);

private:
    void *mapping_ = nullptr;
    unsigned char *view_ = nullptr;
    std::size_t reach_ = 0;
    std::size_t created_size_ = 0;
    bool created_ = false;
};

// A partner module's write into a shared block.
struct block_write {
    std::string block; // the block's name, e.g. "QUORVAL_COM_IPC"
    std::size_t offset = 0;
    std::vector<unsigned char> bytes;
    bool operator==(const block_write &) const = default;
};

// A line `write NAME OFFSET TEXT` (the characters of TEXT, surrounding quotes dropped) or
// `write-hex NAME OFFSET HEX`, as flight states and scenarios give it: the write, or what is
// wrong with the line.
std::variant<block_write, std::string> read_block_write(const std::string &line);

// Makes the write from the bench's own process, opening the block or else creating it;
// false, writing nothing, when the block cannot be had or the write does not fit its view.
bool write_block(const block_write &write);

// While it lives, the blocks this process opens or creates are its own, in a namespace
// removed at the end, so that one run neither sees nor leaves blocks of another; unless
// GAUGE_SHM_NAMESPACE names a namespace to share. Windows has the one session namespace.
class run_block_namespace {
public:
    explicit run_block_namespace(const std::string &run);
    ~run_block_namespace();
    run_block_namespace(const run_block_namespace &) = delete;
    run_block_namespace &operator=(const run_block_namespace &) = delete;

private:
    std::string name_; // empty: the shared namespace is in use
};

// Bytes given as pairs of hex digits ("05000000"); nothing if the text is not that.
std::optional<std::vector<unsigned char>> read_hex_bytes(const std::string &text);

// `gaugebench block NAME [--size N] [--read] [--write OFFSET=TEXT] [--write-hex OFFSET=HEX]`,
// the arguments after "block": returns the exit status.
int block_command(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &errors);

extern const char block_usage[];

} // namespace bench
