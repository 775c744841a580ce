// The substitute Windows layer: resources are found as Windows finds them, and every call
// is recorded and can be made to fail.
#include "gauge_host.h"

#if !defined(_WIN32)
#include "control.h"
#include "resources.h"

#include <gtest/gtest.h>

namespace {

struct Resources : testing::Test {
    bench::gauge_host host{bench::find_module("window_toggle")};
    void SetUp() override {
        platform::clear_faults();
        platform::clear_recorded_calls();
    }
    void TearDown() override { platform::clear_faults(); }
};

TEST_F(Resources, FindsABitmapByNumberAndByHashTextButNotUnderAnotherType) {
    struct {
        LPCSTR name, type;
        bool found;
    } cases[] = {
        {MAKEINTRESOURCEA(100), RT_BITMAP, true}, {"#100", RT_BITMAP, true},  {"#100", "#2", true},
        {MAKEINTRESOURCEA(101), RT_BITMAP, false}, {"#100x", RT_BITMAP, false}, {"button", RT_BITMAP, false},
        {MAKEINTRESOURCEA(100), "WAVE", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FindResourceA(host.instance(), c.name, c.type) != nullptr, c.found);
    HRSRC found = FindResourceA(host.instance(), MAKEINTRESOURCEA(100), RT_BITMAP);
    auto *bytes = static_cast<const unsigned char *>(LockResource(LoadResource(host.instance(), found)));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes[0], 40) << "stored from its BITMAPINFOHEADER on, as windres stores it";
    EXPECT_EQ(SizeofResource(host.instance(), found), 40u + 1024u + 72u * 30u);
}

TEST_F(Resources, TheNthCallFailsOnceOrFromThenOn) {
    auto find = [&] { return FindResourceA(host.instance(), MAKEINTRESOURCEA(100), RT_BITMAP) != nullptr; };
    platform::fail_call("FindResourceA", 2);
    EXPECT_EQ((std::vector<bool>{find(), find(), find()}), (std::vector<bool>{true, false, true}));
    platform::fail_call("FindResourceA", 1, true);
    EXPECT_EQ((std::vector<bool>{find(), find()}), (std::vector<bool>{false, false}));
    platform::clear_faults();
    EXPECT_TRUE(find());

    std::vector<platform::call_record> calls = platform::recorded_calls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[1].call, "FindResourceA");
    EXPECT_TRUE(calls[1].failed);
    EXPECT_FALSE(calls[2].failed);
    EXPECT_NE(calls[0].arguments.find("#100, #2"), std::string::npos) << calls[0].arguments;
}

TEST_F(Resources, TheBenchsOwnReadsAreNeitherRecordedNorFailed) {
    platform::fail_call("FindResourceA", 1, true);
    EXPECT_NE(host.bitmap(100), nullptr);
    EXPECT_TRUE(platform::recorded_calls().empty());
}

} // namespace
#endif
