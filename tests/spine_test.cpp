// The module spine under the bench: exported records, generic routines of both header
// versions, mouse-list hit-testing, and the bench's own checks.
#include "gauge_host.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using bench::gauge_host;

std::uintptr_t word(const void *pointer) { return reinterpret_cast<std::uintptr_t>(pointer); }

std::vector<std::string> service_names(const gauge_host &host) {
    std::vector<std::string> names;
    for (const bench::service_call &call : host.calls())
        names.push_back(call.service);
    return names;
}

TEST(ExportedRecords, ImportTableAndLinkageHoldWhatTheHostReads) {
    gauge_host host(bench::find_module("window_toggle"));
    // Fields are copied out first: the records are packed, so their pointers may be misaligned.
    const import_table &imports = host.imports();
    std::uint32_t ids[] = {imports.entries[0].import_id, imports.entries[1].import_id};
    const void *pointers[] = {imports.entries[0].import_pointer, imports.entries[1].import_pointer};
    EXPECT_EQ(ids[0], 0x0Fu);
    EXPECT_NE(pointers[0], nullptr) << "the host fills the panel service entry";
    EXPECT_EQ(ids[1], 0u);
    EXPECT_EQ(pointers[1], nullptr);

    const module_linkage &linkage = host.linkage();
    std::uint32_t module_id = linkage.module_id;
    module_routine init = linkage.module_init, deinit = linkage.module_deinit;
    const gauge_header *headers[] = {linkage.gauge_headers[0], linkage.gauge_headers[1]};
    EXPECT_EQ(module_id, 0x13u);
    EXPECT_NE(init, nullptr);
    EXPECT_NE(deinit, nullptr);
    for (std::uint32_t reserved : linkage.linkage_reserved)
        EXPECT_EQ(reserved, 0u);
    EXPECT_EQ(headers[0], &host.gauge());
    EXPECT_EQ(headers[1], nullptr);
    EXPECT_EQ(sizeof(import_table), 2 * sizeof(import_entry));
    EXPECT_EQ(sizeof(module_linkage), 4 + 2 * sizeof(void *) + 3 * 4 + 2 * sizeof(void *)) << "no padding";
}

TEST(GenericRoutines, InstallRegistersTheMouseListAfterTheElementsAndKillUndoesItInReverse) {
    gauge_host host(bench::find_module("probe_bare"));
    host.install();
    ASSERT_EQ(service_names(host),
              (std::vector<std::string>{"element_list_install", "mouse_list_install", "mouse_list_register"}));
    const auto &calls = host.calls();
    EXPECT_EQ(calls[0].arguments, (std::vector<std::uintptr_t>{word(host.top()), word(host.instance())}));
    const void *host_record = reinterpret_cast<static_image *>(host.top())->host_image;
    ASSERT_NE(host_record, nullptr);
    EXPECT_EQ(calls[1].arguments[1], word(&host.gauge()));
    EXPECT_EQ(calls[1].arguments[2], word(host_record) + 4) << "byte 4 of the top element's host record";
    std::vector<std::uintptr_t> registered = calls[2].arguments;
    EXPECT_EQ(registered, (std::vector<std::uintptr_t>{calls[1].arguments[0], word(&host.gauge())}));

    host.clear_calls();
    host.kill();
    EXPECT_EQ(service_names(host), (std::vector<std::string>{"mouse_list_unregister", "element_list_kill"}));
    EXPECT_EQ(host.calls()[0].arguments, registered);
    EXPECT_TRUE(host.errors().empty()) << host.errors().front();
}

TEST(GenericRoutines, EveryRoutineHandsTheHostTheSameTopElement) {
    gauge_host host(bench::find_module("probe_bare"));
    host.query();
    host.install();
    host.initialize();
    host.update();
    host.generate(0);
    host.draw();
    host.kill();
    std::vector<std::string> element_services;
    for (const bench::service_call &call : host.calls()) {
        if (!call.service.starts_with("element_list"))
            continue;
        element_services.push_back(call.service);
        EXPECT_EQ(call.arguments[0], word(host.top())) << call.service;
    }
    EXPECT_EQ(element_services,
              (std::vector<std::string>{"element_list_query", "element_list_install", "element_list_initialize",
                                        "element_list_update", "element_list_generate", "element_list_draw",
                                        "element_list_kill"}));
    EXPECT_EQ(host.elements().size(), 1u);
    EXPECT_TRUE(host.errors().empty());
}

TEST(GenericRoutines, QueryReturnsWhatTheHostReturned) {
    gauge_host host(bench::find_module("probe_bare"));
    void *result = host.query();
    ASSERT_EQ(host.calls().size(), 1u);
    EXPECT_EQ(word(result), host.calls()[0].result);
    EXPECT_EQ(result, host.query_token());
}

TEST(GenericRoutines, GeneratePassesItsPhaseThroughUnchanged) {
    for (const char *module : {"probe_bare", "probe_700"}) {
        gauge_host host(bench::find_module(module));
        host.install();
        for (std::uint32_t phase : {0u, 1u, 0xFFFFFFFFu}) {
            host.clear_calls();
            host.generate(phase);
            ASSERT_EQ(host.calls().size(), 1u);
            EXPECT_EQ(host.calls()[0].service, "element_list_generate");
            EXPECT_EQ(host.calls()[0].arguments[1], phase) << module;
        }
    }
}

TEST(Version700, RoutinesMakeOneCallEachAndLeaveTheMouseToTheHost) {
    gauge_host host(bench::find_module("probe_700"));
    EXPECT_EQ(host.gauge().header_version, 700u);
    host.install();
    EXPECT_EQ(service_names(host), std::vector<std::string>{"element_list_install"});
    EXPECT_EQ(host.calls()[0].arguments[0], word(host.top()));
    host.initialize();
    host.update();
    host.draw();
    host.gauge_callback(3, 0);
    EXPECT_EQ(host.click(5, 50).outcome, "key event 0x10001") << "the host takes the list from the header";
    host.clear_calls();
    host.kill();
    EXPECT_EQ(service_names(host), std::vector<std::string>{"element_list_kill"});
    EXPECT_EQ(host.live_mouse_list(), nullptr);
    EXPECT_EQ(host.click(5, 50).outcome, "no mouse list is live");
    EXPECT_TRUE(host.errors().empty());
}

TEST(MouseList, NestedGroupsPlaceTheirAreasInsideTheGroupBox) {
    struct click_case {
        int x, y;
        const char *outcome;
    } cases[] = {
        {42, 0, "key event 0x100D8"},    {85, 120, "key event 0x100D8"}, {60, 121, "key event 0x10034"},
        {85, 241, "key event 0x10034"},  {41, 10, "no click area"},      {86, 10, "no click area"},
        {60, 242, "no click area"},      {0, 0, "no click area"},
    };
    gauge_host host(bench::find_module("probe_nested"));
    host.install();
    for (const click_case &c : cases)
        EXPECT_EQ(host.click(c.x, c.y).outcome, c.outcome) << "click at " << c.x << "," << c.y;
    ASSERT_EQ(host.key_events().size(), 4u);
    EXPECT_EQ(host.key_events()[0].event, 0x100D8u);
    EXPECT_EQ(host.key_events()[0].value, 0u);
    EXPECT_TRUE(host.errors().empty());
}

TEST(MouseList, ListWithoutClickAreasIsValidAndClicksDoNothing) {
    gauge_host host(bench::find_module("probe_bare"));
    host.install();
    std::string fault;
    EXPECT_EQ(bench::read_mouse_list(host.live_mouse_list(), fault).size(), 3u);
    EXPECT_EQ(fault, "");
    EXPECT_EQ(host.click(1, 1).outcome, "no click area");
    EXPECT_TRUE(host.key_events().empty());
    EXPECT_TRUE(host.errors().empty());
}

TEST(MouseList, MalformedListsStopWithAFault) {
    mouse_rect unbalanced[] = {{.rect_kind = rect_group_end}, {.rect_kind = rect_list_end}};
    mouse_rect unclosed[] = {{.rect_kind = rect_group_start}, {.rect_kind = rect_list_end}};
    mouse_rect unknown[] = {{.rect_kind = 7}, {.rect_kind = rect_list_end}};
    // Group origins add up past the int range (found by fuzzing: an overflow, undefined).
    mouse_rect far_right[] = {{.rect_kind = rect_group_start, .box_x = 1431568389},
                              {.rect_kind = rect_click_area, .box_x = 1431655764, .box_w = 1},
                              {.rect_kind = rect_group_end},
                              {.rect_kind = rect_list_end}};
    mouse_rect far_up[] = {{.rect_kind = rect_group_start, .box_y = -2147483647},
                           {.rect_kind = rect_group_start, .box_y = -2},
                           {.rect_kind = rect_group_end},
                           {.rect_kind = rect_group_end},
                           {.rect_kind = rect_list_end}};
    struct {
        const mouse_rect *list;
        const char *fault;
        std::size_t placed;
    } cases[] = {
        {unbalanced, "mouse list record 1 ends a group that was never started", 0},
        {unclosed, "mouse list ends with 1 group(s) still open", 2},
        {unknown, "mouse list record 1 has unknown kind 7", 0},
        {far_right, "mouse list record 2 lies outside the coordinate range", 1},
        {far_up, "mouse list record 2 lies outside the coordinate range", 1},
    };
    for (const auto &c : cases) {
        std::string fault;
        EXPECT_EQ(bench::read_mouse_list(c.list, fault).size(), c.placed) << c.fault;
        EXPECT_EQ(fault, c.fault);
    }
}

TEST(Bench, ACallAtAnUnexpectedOffsetIsTrappedAndReported) {
    gauge_host host(bench::find_module("probe_trap"));
    host.install();
    host.update();
    ASSERT_EQ(host.errors().size(), 1u);
    EXPECT_EQ(host.errors()[0], "panel service at unexpected offset 0x78");
}

TEST(Bench, AFileThatIsNotAModuleFailsWithOneLineNamingIt) {
    std::string path = testing::TempDir() + "not_a_module.gau";
    std::ofstream(path) << "panel.cfg is not a library\n";
    try {
        gauge_host host(path);
        FAIL() << "loaded a text file";
    } catch (const bench::load_error &error) {
        std::string text = error.what();
        EXPECT_EQ(text.rfind("\"" + path + "\": cannot be loaded as a module: ", 0), 0u) << text;
        EXPECT_EQ(text.find('\n'), std::string::npos) << text;
    }
    std::remove(path.c_str());
}

#if defined(__x86_64__) && defined(__linux__)
// A damaged x86-64 library that the loader takes but whose Linkage symbol points past what it
// mapped (found by fuzzing: the bench read it and crashed).
TEST(Bench, AModuleWhoseRecordsLieOutsideItIsNotLoaded) {
    try {
        gauge_host host(GAUGE_TEST_MODULES "/linkage_outside.so");
        FAIL() << "loaded a module whose Linkage lies outside it";
    } catch (const bench::load_error &error) {
        EXPECT_EQ(std::string(error.what()),
                  "\"" GAUGE_TEST_MODULES "/linkage_outside.so\": its Linkage lies outside the module");
    }
}
#endif

} // namespace
