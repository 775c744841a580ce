// gaugebench block: opens or creates a named block from a process of its own, writes in the
// order given, shows the bytes, and refuses what it cannot do without touching the block.
#include "shared_blocks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct BlockCommand : testing::Test {
    void SetUp() override { blocks::forget_earlier_blocks(); }
};

TEST_F(BlockCommand, CreatesWritesInOrderAndShowsTheBytes) {
    blocks::bench_run first = blocks::run_block("NDPassData --size 20 --write 0=NDMode=5 --write-hex 7=3200 --read");
    ASSERT_EQ(first.status, 0) << first.output;
    EXPECT_EQ(first.output.substr(0, first.output.find('\n')),
              "NDPassData: created with 20 bytes; the view reaches 4096 bytes");
    std::vector<unsigned char> expected = blocks::bytes_of(std::string("NDMode=2\0", 9));
    expected.resize(20, 0);
    EXPECT_EQ(blocks::dumped_bytes(first.output), expected) << first.output;

    blocks::bench_run second = blocks::run_block("NDPassData --read");
    ASSERT_EQ(second.status, 0) << second.output;
#if defined(_WIN32)
    // A Windows mapping ends with its last holder, the first run: the next creates it afresh.
    EXPECT_NE(second.output.find("NDPassData: created with 65536 bytes"), std::string::npos) << second.output;
    expected.assign(64, 0);
#else
    // The name stays until its namespace is removed: the next run finds the bytes.
    EXPECT_NE(second.output.find("NDPassData: opened;"), std::string::npos) << second.output;
    expected.resize(64, 0);
#endif
    EXPECT_EQ(blocks::dumped_bytes(second.output), expected) << "64 bytes unless --size says otherwise";
}

TEST_F(BlockCommand, WithoutASizeABlockIsCreatedOneGranuleLarge) {
    bench::shared_block created("fresh", 0);
    ASSERT_TRUE(created.is_open());
    EXPECT_TRUE(created.created());
    EXPECT_EQ(created.created_size(), 65536u);
    EXPECT_EQ(created.reach(), 65536u);
    blocks::bench_run run = blocks::run_block("fresh --write 65530=abcdef --read");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(created.read(65530, 100), blocks::bytes_of("abcdef")) << "a read stops where the view ends";
}

TEST_F(BlockCommand, RefusesWhatItCannotDoAndChangesNothing) {
    bench::shared_block held("guarded", 20);
    ASSERT_TRUE(held.is_open());
    ASSERT_TRUE(held.write(0, blocks::bytes_of("keep")));
    struct {
        const char *arguments;
        int status;
        const char *says;
    } cases[] = {
        {"", 2, "no block name given"},
        {"guarded --size 0", 2, "--size must be from 1"},
        {"guarded --size 4294967296", 2, "--size must be from 1"},
        {"guarded --size twenty", 2, "is not a number"},
        {"guarded --write 5", 2, "needs OFFSET=TEXT"},
        {"guarded --write-hex 0=123", 2, "is not pairs of hex digits"},
        {"guarded --write-hex 0=zz", 2, "is not pairs of hex digits"},
        {"guarded --write x=abc", 2, "OFFSET \"x\" is not a number"},
        {"guarded --frobnicate", 2, "unknown option"},
        {"guarded other", 2, "unexpected argument"},
        {"guarded --size", 2, "--size needs a value"},
        {"guarded --write 0=ok --write 4094=abc", 1, "reaches past the 4096 bytes"},
        {"guarded --write-hex 0x1000=00", 1, "reaches past the 4096 bytes"},
    };
    for (const auto &c : cases) {
        blocks::bench_run run = blocks::run_block(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << c.arguments << "\n" << run.output;
    }
    EXPECT_EQ(held.read(0, 4), blocks::bytes_of("keep")) << "no refused run wrote a byte";
    EXPECT_EQ(held.read(4094, 2), (std::vector<unsigned char>{0, 0}));
}

} // namespace
