// The fuel cut-off switch: a two-position fuel start lever whose picture follows variable
// 0x82 and whose upper and lower halves send key events.
#include "routines.h"

namespace {

extern gauge_header fuel_cutoff_gauge;

// Icon state from the lever variable: picture 0 below 1.0 (or for a NaN), none otherwise.
double GAUGE_CALL lever_state(module_variable *variable) { return variable->value >= 1.0 ? -1.0 : 0.0; }

failure_entry lever_failures[] = {
    {.failure_key = 1, .failure_action = 3},
    {.failure_key = 0},
};

icon_element lever = {
    .header = {.element_type = element_icon, .bitmap_id = 4112, .gauge_header = &fuel_cutoff_gauge,
               .failure_list = lever_failures, .image_flags = 0x3},
    .variable = {.token = 0x82},
    .callback = lever_state,
    .state_count = 1,
};

element_header *background_children[] = {&lever.header, nullptr};

static_image background = {
    .header = {.element_type = element_static_image, .bitmap_id = 4096, .gauge_header = &fuel_cutoff_gauge,
               .next_elements = background_children, .image_flags = 0x11},
};

element_header *elements[] = {&background.header, nullptr};

// The lever's top 60 rows in two halves meeting at y 30; its bottom 3 rows are not clickable.
mouse_rect mouse_list[] = {
    {.rect_kind = rect_group_start, .cursor = -1},
    {.rect_kind = rect_click_area, .box_w = 35, .box_h = 30, .cursor = 1, .mouse_flags = 0x20000000,
     .event_id = 0x101BF},
    {.rect_kind = rect_click_area, .box_y = 30, .box_w = 35, .box_h = 30, .cursor = 2, .mouse_flags = 0x20000000,
     .event_id = 0x101C3},
    {.rect_kind = rect_group_end, .cursor = -1},
    {.rect_kind = rect_list_end, .cursor = -1},
};

gauge_header fuel_cutoff_gauge = {
    .header_version = header_version_610,
    .gauge_name = "fuel_cutoff_switch",
    .element_list = elements,
    GENERIC_ROUTINES_610(fuel_cutoff_gauge, mouse_list),
    .size_x = 35,
};

} // namespace

module_linkage Linkage = gauge_linkage(fuel_cutoff_gauge, module_no_work, module_no_work);
