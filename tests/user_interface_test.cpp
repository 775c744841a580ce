// Our wsprintfA: the conversions the gauges format with, the platform's 1024-character limit,
// and its place in the call log.
#include "gauge_host.h"

#if !defined(_WIN32)
#include "control.h"
#include "user_interface.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

// The text wsprintfA stores for `format` and `arguments`, checked against the count it returns.
template <typename... Arguments> std::string formatted(const char *format, Arguments... arguments) {
    char buffer[1100];
    int stored = wsprintfA(buffer, format, arguments...);
    std::string text = buffer;
    EXPECT_EQ(stored, int(text.size())) << format;
    return text;
}

struct Wsprintf : testing::Test {
    void SetUp() override {
        platform::clear_faults();
        platform::clear_recorded_calls();
    }
    void TearDown() override { platform::clear_faults(); }
};

TEST_F(Wsprintf, FormatsTheConversionsTheGaugesUse) {
    EXPECT_EQ(formatted("%d", 0), "0");
    EXPECT_EQ(formatted("%3d", 15), " 15");
    EXPECT_EQ(formatted("%3d", -40), "-40");
    EXPECT_EQ(formatted("%3d", -5), " -5");
    EXPECT_EQ(formatted("%3d", 1234), "1234") << "a width is a least size";
    EXPECT_EQ(formatted("%4d", 0), "   0");
    EXPECT_EQ(formatted("%-4d|", 7), "7   |");
    EXPECT_EQ(formatted("%05d", -42), "-0042");
    EXPECT_EQ(formatted("%.3d", 7), "007");
    EXPECT_EQ(formatted("%d %i", INT_MIN, INT_MAX), "-2147483648 2147483647");
    EXPECT_EQ(formatted("%u", 4294967295u), "4294967295");
    EXPECT_EQ(formatted("%x %X %08x", 0x102FAu, 0xBEEFu, 0xABu), "102fa BEEF 000000ab");
    EXPECT_EQ(formatted("%ld %lu", 12, 34u), "12 34") << "l names the 32-bit long of the platform";
    EXPECT_EQ(formatted("%c%c", 'N', 'D'), "ND");
    EXPECT_EQ(formatted("%3c|", 'x'), "  x|");
    EXPECT_EQ(formatted("%s", "NDPassData"), "NDPassData");
    EXPECT_EQ(formatted("%5s|%-5s|", "ab", "cd"), "   ab|cd   |");
    EXPECT_EQ(formatted("%.2s", "MAP"), "MA");
    EXPECT_EQ(formatted("100%%"), "100%");
    EXPECT_EQ(formatted("mode %s=%d;", "MAP", 3), "mode MAP=3;");
    EXPECT_EQ(formatted("plain text"), "plain text");
    EXPECT_EQ(formatted(""), "");
}

TEST_F(Wsprintf, StoresAtMost1023CharactersAndTheTerminatingNul) {
    std::string long_text(2000, 'a');
    char buffer[1100];
    std::fill(std::begin(buffer), std::end(buffer), '#');
    EXPECT_EQ(wsprintfA(buffer, "%s", long_text.c_str()), 1023);
    EXPECT_EQ(std::string(buffer), std::string(1023, 'a'));
    EXPECT_EQ(buffer[1024], '#') << "nothing past the 1024 characters";
    EXPECT_EQ(wsprintfA(buffer, "%1500d", 1), 1023);
}

TEST_F(Wsprintf, IsRecordedAndAFailedCallStoresNoText) {
    char buffer[16] = "unchanged";
    EXPECT_EQ(wsprintfA(buffer, "%3d", 15), 3);
    platform::fail_call("wsprintfA");
    EXPECT_EQ(wsprintfA(buffer, "%3d", 15), 0);
    EXPECT_EQ(std::string(buffer), "");
    std::vector<platform::call_record> calls = platform::recorded_calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].call, "wsprintfA");
    EXPECT_EQ(calls[0].arguments, "\"%3d\" gives \" 15\"");
    EXPECT_FALSE(calls[0].failed);
    EXPECT_TRUE(calls[1].failed);
}

} // namespace
#endif
