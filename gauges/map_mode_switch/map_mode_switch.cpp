// The map mode switch: a two-position switch for a navigation display that publishes its
// mode as "NDMode=<n>" in the shared block "NDPassData" and takes back what it finds there.
#include "platform.h"
#include "routines.h"

#include <cstdlib>
#include <cstring>

namespace {

extern gauge_header mode_gauge;

constexpr std::size_t exchanged_bytes = 10; // bytes 0 to 9 of the block and of mode_text
constexpr std::size_t digits_at = 7;         // after "NDMode="

std::int32_t mode_state = 1;
// Bytes 10 to 15 are never written: they end every number read from byte 7 by byte 9.
char mode_text[16] = "NDMode=1";
HANDLE mode_mapping; // null: none
void *mode_view;     // null: none

double GAUGE_CALL mode_icon_callback(module_variable *) { return mode_state == 0 ? 1.0 : 0.0; }

void push_mode_text() {
    if (mode_view != nullptr)
        std::memcpy(mode_view, mode_text, exchanged_bytes);
}

// A click sets the mode, writes its digit and a zero byte at byte 7, and publishes at once.
void select_mode(std::int32_t mode) {
    mode_state = mode;
    wsprintfA(mode_text + digits_at, "%d", mode);
    push_mode_text();
}

std::uint32_t GAUGE_CALL mode_click_one(std::uint32_t, std::uint32_t) {
    select_mode(1);
    return 0;
}

std::uint32_t GAUGE_CALL mode_click_zero(std::uint32_t, std::uint32_t) {
    select_mode(0);
    return 0;
}

icon_element mode_icon = {
    .header = {.element_type = element_icon, .bitmap_id = 8192, .position_x = 24, .position_y = 34,
               .gauge_header = &mode_gauge, .image_flags = 3},
    .callback = mode_icon_callback,
    .state_count = 2,
};
element_header *background_children[] = {&mode_icon.header, nullptr};

static_image background = {
    .header = {.element_type = element_static_image, .bitmap_id = 4096, .gauge_header = &mode_gauge,
               .next_elements = background_children, .image_flags = 5},
};
element_header *elements[] = {&background.header, nullptr};

mouse_rect mouse_list[] = {
    {.rect_kind = rect_group_start, .cursor = -1},
    {.rect_kind = rect_click_area, .box_x = 9, .box_y = 22, .box_w = 28, .box_h = 26, .cursor = 5,
     .mouse_flags = 0x20200000, .click_callback = mode_click_one},
    {.rect_kind = rect_click_area, .box_x = 37, .box_y = 12, .box_w = 28, .box_h = 21, .cursor = 5,
     .mouse_flags = 0x20200000, .click_callback = mode_click_zero},
    {.rect_kind = rect_group_end, .cursor = -1},
    {.rect_kind = rect_list_end, .cursor = -1},
};

// The generic install, then the block: created (or opened) 20 bytes large, mapped, and
// overwritten with the switch's own text.
void GAUGE_CALL mode_install(void *instance) {
    gauge_install<mode_gauge, mouse_list>(instance);
    mode_mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 20, "NDPassData");
    if (mode_mapping != nullptr)
        mode_view = MapViewOfFile(mode_mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    push_mode_text();
}

// The elements first, then the read-back: the block is the master copy of the mode.
void GAUGE_CALL mode_update() {
    element_list_update(&background.header);
    if (mode_view != nullptr) {
        std::memcpy(mode_text, mode_view, exchanged_bytes);
        mode_state = std::atoi(mode_text + digits_at);
    }
}

void GAUGE_CALL mode_kill() {
    gauge_kill<mode_gauge, mouse_list>();
    if (mode_view != nullptr)
        UnmapViewOfFile(mode_view);
    if (mode_mapping != nullptr)
        CloseHandle(mode_mapping);
    mode_view = nullptr;
    mode_mapping = nullptr;
}

gauge_header mode_gauge = {
    .header_version = header_version_610,
    .gauge_name = "map_mode_switch",
    .element_list = elements,
    .query_routine = gauge_query<header_top<mode_gauge>>,
    .install_routine = mode_install,
    .initialize_routine = gauge_initialize<header_top<mode_gauge>>,
    .update_routine = mode_update,
    .generate_routine = gauge_generate<header_top<mode_gauge>>,
    .draw_routine = gauge_draw<header_top<mode_gauge>>,
    .kill_routine = mode_kill,
    .size_x = 50,
};

} // namespace

module_linkage Linkage = {
    .module_id = gauge_module_id,
    .module_init = module_no_work,
    .module_deinit = module_no_work,
    .gauge_headers = {&mode_gauge, nullptr},
};
