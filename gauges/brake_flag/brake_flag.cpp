// The brake flag: a parking-brake indicator that shows one of two flag pictures, chosen from
// token 0x143, with a click area over each flag.
#include "routines.h"

namespace {

extern gauge_header brake_flag_gauge;

module_variable brake_var = {.token = 0x143};

static_image upper_flag = {
    .header = {.element_type = element_static_image, .bitmap_id = 200, .position_x = 46, .position_y = 0,
               .gauge_header = &brake_flag_gauge, .image_flags = 0x4003},
};
static_image lower_flag = {
    .header = {.element_type = element_static_image, .bitmap_id = 300, .position_x = 46, .position_y = 121,
               .gauge_header = &brake_flag_gauge, .image_flags = 0x40000007}, // hidden from the start
};
element_header *flags[] = {&upper_flag.header, &lower_flag.header, nullptr};

static_image background = {
    .header = {.element_type = element_static_image, .bitmap_id = 100, .position_x = 0, .position_y = 0,
               .gauge_header = &brake_flag_gauge, .next_elements = flags, .image_flags = 0x4003},
};
element_header *elements[] = {&background.header, nullptr};

// The column over the flags, split into an upper and a lower click area.
mouse_rect mouse_list[] = {
    {.rect_kind = rect_group_start, .box_x = 0, .box_y = 0, .box_w = 0, .box_h = 0, .cursor = -1},
    {.rect_kind = rect_group_start, .box_x = 42, .box_y = 0, .box_w = 44, .box_h = 242, .cursor = -1},
    {.rect_kind = rect_click_area, .box_x = 0, .box_y = 0, .box_w = 44, .box_h = 121, .cursor = 1,
     .mouse_flags = 0x20000000, .event_id = 0x100D8},
    {.rect_kind = rect_click_area, .box_x = 0, .box_y = 121, .box_w = 44, .box_h = 121, .cursor = 2,
     .mouse_flags = 0x20000000, .event_id = 0x10034},
    {.rect_kind = rect_group_end, .cursor = -1},
    {.rect_kind = rect_group_end, .cursor = -1},
    {.rect_kind = rect_list_end, .cursor = -1},
};

// The generic install, after preparing the brake variable.
void GAUGE_CALL install_with_brake_var(void *instance) {
    module_variable_initialize(&brake_var);
    gauge_install<brake_flag_gauge, mouse_list>(instance);
}

// Draws exactly one flag: the lower one while the brake variable is exactly 0.0 (or -0.0),
// the upper one for every other value.
void GAUGE_CALL show_one_flag() {
    module_variable_lookup(&brake_var);
    bool zero = brake_var.value == 0.0;
    set_hidden(upper_flag.header, zero);
    set_hidden(lower_flag.header, !zero);
    gauge_update<header_top<brake_flag_gauge>>();
}

gauge_header brake_flag_gauge = {
    .header_version = header_version_610,
    .gauge_name = "brake_flag",
    .element_list = elements,
    .query_routine = gauge_query<header_top<brake_flag_gauge>>,
    .install_routine = install_with_brake_var,
    .initialize_routine = gauge_initialize<header_top<brake_flag_gauge>>,
    .update_routine = show_one_flag,
    .generate_routine = gauge_generate<header_top<brake_flag_gauge>>,
    .draw_routine = gauge_draw<header_top<brake_flag_gauge>>,
    .kill_routine = gauge_kill<brake_flag_gauge, mouse_list>,
    .size_x = 86,
};

} // namespace

module_linkage Linkage = gauge_linkage(brake_flag_gauge, module_no_work, module_no_work);
