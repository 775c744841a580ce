// The fuel cut-off switch: the lever picture follows variable 0x82, its two halves send key
// events, failure 1 blanks the lever, and the module carries version 1.0.0.1.
#include "gauge_host.h"
#include "gauge_checks.h"

#if !defined(_WIN32)
#include "resources.h"
#endif

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

namespace {

constexpr std::uint32_t lever_token = 0x82;

struct FuelCutoffSwitch : checks::one_variable_gauge {
    FuelCutoffSwitch() : one_variable_gauge("fuel_cutoff_switch", lever_token) {}
    bench::image run, cutoff; // the lever as the background shows it, and with picture 4112 over it

    void SetUp() override {
        one_variable_gauge::SetUp();
        if (HasFatalFailure())
            return;
        const bench::image *background = host.bitmap(4096), *lever_picture = host.bitmap(4112);
        ASSERT_NE(background, nullptr);
        ASSERT_NE(lever_picture, nullptr);
        run = checks::opaque(*background);
        cutoff = checks::overlay(run, *lever_picture, 0, 0);
        ASSERT_GT(checks::differing_pixels(run, cutoff), 0) << "the two lever positions must look different";
    }
};

TEST_F(FuelCutoffSwitch, PictureOfTheCutoffPositionShowsBelowOneAndForANaN) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        bool cutoff;
    } cases[] = {
        {0.0, true},  {1.0, false}, {0.999, true},  {std::nextafter(1.0, 2.0), false}, {nan, true},
        {2.0, false}, {-1.0, true}, {16384.0, false}, {std::nextafter(1.0, 0.0), true}, {inf, false},
        {-inf, true},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(show(c.value).state, c.cutoff ? 0 : -1) << c.value;
        EXPECT_EQ(checks::differing_pixels(host.render(), c.cutoff ? cutoff : run), 0) << c.value;
    }
    EXPECT_TRUE(host.errors().empty());
}

TEST_F(FuelCutoffSwitch, TheTwoHalvesMeetAtRow30AndTheBottomRowsSendNothing) {
    const struct {
        int x, y;
        const char *outcome;
        int cursor; // 0: no click area
    } cases[] = {
        {0, 0, "key event 0x101BF", 1},   {34, 29, "key event 0x101BF", 1}, {0, 30, "key event 0x101C3", 2},
        {34, 59, "key event 0x101C3", 2}, {17, 60, "no click area", 0},     {17, 62, "no click area", 0},
        {35, 10, "no click area", 0},     {-1, 40, "no click area", 0},
    };
    show(0.0);
    for (const auto &c : cases) {
        EXPECT_EQ(host.click(c.x, c.y).outcome, c.outcome) << c.x << "," << c.y;
        const mouse_rect *area = checks::rect_at(host, c.x, c.y, rect_click_area);
        EXPECT_EQ(area != nullptr ? area->cursor : 0, c.cursor) << c.x << "," << c.y;
    }
    EXPECT_EQ(checks::sent_events(host), (std::vector<std::uint32_t>{0x101BF, 0x101BF, 0x101C3, 0x101C3}));
    host.frame();
    EXPECT_EQ(host.view(element).state, 0) << "the picture follows variable 0x82 alone, not the clicks";
}

TEST_F(FuelCutoffSwitch, Failure1BlanksTheLeverAndNoOtherFailureDoes) {
    host.set_failure(2);
    host.set_failure(10);
    EXPECT_FALSE(show(0.0).blank);
    EXPECT_EQ(checks::differing_pixels(host.render(), cutoff), 0);
    host.set_failure(1);
    EXPECT_TRUE(show(0.0).blank);
    EXPECT_EQ(checks::differing_pixels(host.render(), run), 0) << "only the background's lever shows";
}

#if !defined(_WIN32)
// One block of a version resource: wLength, wValueLength and wType, a NUL-terminated UTF-16
// key, then the value and the children, each from a 4-byte boundary of the resource.
struct version_block {
    const unsigned char *start;
    std::uint16_t length, value_length, type;
    std::string key;
    const unsigned char *value;
    std::vector<version_block> children;
};

std::uint16_t word_at(const unsigned char *bytes) {
    std::uint16_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

std::size_t aligned(std::size_t offset) { return (offset + 3) & ~std::size_t(3); }

// UTF-16 text of plain ASCII characters, up to its NUL or `limit` characters.
std::string ascii_text(const unsigned char *bytes, std::size_t limit) {
    std::string text;
    for (std::size_t i = 0; i < limit && word_at(bytes + 2 * i) != 0; ++i)
        text.push_back(char(word_at(bytes + 2 * i)));
    return text;
}

// Reads the block at `offset` of a resource of `size` bytes; nothing if it does not fit.
std::optional<version_block> read_block(const unsigned char *resource, std::size_t offset, std::size_t size) {
    if (offset + 6 > size)
        return std::nullopt;
    const unsigned char *start = resource + offset;
    version_block block{start, word_at(start), word_at(start + 2), word_at(start + 4), {}, nullptr, {}};
    if (block.length < 6 || offset + block.length > size)
        return std::nullopt;
    block.key = ascii_text(start + 6, (block.length - 6) / 2);
    std::size_t at = aligned(offset + 6 + 2 * (block.key.size() + 1));
    block.value = resource + at;
    at = aligned(at + (block.type == 1 ? 2 * block.value_length : block.value_length));
    while (at < offset + block.length) {
        std::optional<version_block> child = read_block(resource, at, offset + block.length);
        if (!child)
            return std::nullopt;
        block.children.push_back(*child);
        at = aligned(at + child->length);
    }
    return block;
}

const version_block *child_named(const version_block &block, const std::string &key) {
    for (const version_block &child : block.children)
        if (child.key == key)
            return &child;
    return nullptr;
}

TEST(FuelCutoffSwitchVersion, ItsVersionResourceReportsFileAndProductVersion1001) {
    bench::gauge_host host{bench::find_module("fuel_cutoff_switch")};
    HRSRC found = FindResourceA(host.instance(), MAKEINTRESOURCEA(1), RT_VERSION);
    ASSERT_NE(found, nullptr);
    std::size_t size = SizeofResource(host.instance(), found);
    auto *bytes = static_cast<const unsigned char *>(LockResource(LoadResource(host.instance(), found)));
    ASSERT_NE(bytes, nullptr);

    std::optional<version_block> root = read_block(bytes, 0, size);
    ASSERT_TRUE(root) << "the blocks of the resource do not nest within its " << size << " bytes";
    EXPECT_EQ(root->length, size);
    EXPECT_EQ(root->key, "VS_VERSION_INFO");
    ASSERT_EQ(root->value_length, 52u) << "a VS_FIXEDFILEINFO";
    std::uint32_t fixed[13];
    std::memcpy(fixed, root->value, sizeof fixed);
    EXPECT_EQ(fixed[0], 0xFEEF04BDu) << "signature";
    EXPECT_EQ(fixed[2], 0x00010000u) << "file version 1.0";
    EXPECT_EQ(fixed[3], 0x00000001u) << "file version .0.1";
    EXPECT_EQ(fixed[4], 0x00010000u) << "product version 1.0";
    EXPECT_EQ(fixed[5], 0x00000001u) << "product version .0.1";

    const version_block *strings = child_named(*root, "StringFileInfo");
    ASSERT_NE(strings, nullptr);
    ASSERT_EQ(strings->children.size(), 1u);
    const version_block &table = strings->children[0];
    for (const char *key : {"FileVersion", "ProductVersion"}) {
        const version_block *text = child_named(table, key);
        ASSERT_NE(text, nullptr) << key;
        EXPECT_EQ(ascii_text(text->value, text->value_length), "1.0.0.1") << key;
    }
    for (const char *key : {"CompanyName", "ProductName"}) {
        const version_block *text = child_named(table, key);
        ASSERT_NE(text, nullptr) << key;
        EXPECT_FALSE(ascii_text(text->value, text->value_length).empty()) << key;
    }
    const version_block *variables = child_named(*root, "VarFileInfo");
    ASSERT_NE(variables, nullptr);
    const version_block *translation = child_named(*variables, "Translation");
    ASSERT_NE(translation, nullptr);
    ASSERT_EQ(translation->value_length, 4u);
    char table_key[9];
    std::snprintf(table_key, sizeof table_key, "%04X%04X", word_at(translation->value),
                  word_at(translation->value + 2));
    EXPECT_EQ(table.key, table_key) << "the string table is the one the translation names";
}

TEST(FuelCutoffSwitchVersion, AModuleDeclaredWithoutAVersionCarriesNone) {
    bench::gauge_host host{bench::find_module("window_toggle")};
    EXPECT_EQ(FindResourceA(host.instance(), MAKEINTRESOURCEA(1), RT_VERSION), nullptr);
}
#endif

} // namespace
