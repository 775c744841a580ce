// The window toggle: a 70 x 30 button that shows or hides panel window 50.
#include "routines.h"

namespace {

extern gauge_header window_toggle_gauge;

std::uint32_t GAUGE_CALL toggle_window_50(std::uint32_t, std::uint32_t) { return panel_window_toggle(50); }

static_image background = {
    .header = {.element_type = element_static_image, .bitmap_id = 100,
               .gauge_header = &window_toggle_gauge, .image_flags = 0x3},
};

element_header *elements[] = {&background.header, nullptr};

mouse_rect mouse_list[] = {
    {.rect_kind = rect_group_start, .cursor = -1, .help_id = 0xA41E},
    {.rect_kind = rect_click_area, .box_w = 70, .box_h = 30, .cursor = 5,
     .mouse_flags = 0x20000000, .click_callback = toggle_window_50}, // the whole button
    {.rect_kind = rect_group_end, .cursor = -1},
    {.rect_kind = rect_list_end, .cursor = -1},
};

gauge_header window_toggle_gauge = {
    .header_version = header_version_610,
    .gauge_name = "window_toggle",
    .element_list = elements,
    GENERIC_ROUTINES_610(window_toggle_gauge, mouse_list),
    .size_x = 50,
};

} // namespace

module_linkage Linkage = gauge_linkage(window_toggle_gauge, module_init_no_work, module_deinit_no_work);
