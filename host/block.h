// The other side of a shared block: opens a named mapping as another panel module would, or
// else creates it, so that the bench or a test can read and change its bytes.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
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

// `gaugebench block NAME [--size N] [--read] [--write OFFSET=TEXT] [--write-hex OFFSET=HEX]`,
// the arguments after "block": returns the exit status.
int block_command(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &errors);

extern const char block_usage[];

} // namespace bench
