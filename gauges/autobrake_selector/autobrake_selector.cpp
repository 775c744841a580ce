// The autobrake selector: a six-position rotary knob with lit position labels, which steps
// itself out of position 0 (RTO) once token 0x266 exceeds 30.
#include "routines.h"

#include <cstring>

namespace {

extern gauge_header autobrake_selector_gauge;

module_variable light_a_var = {.token = 0x2E4};   // first condition of the label lighting
module_variable light_b_var = {.token = 0x0A};    // second condition of the label lighting
module_variable selector_var = {.token = 0x2E7};  // the selector position, an integer
module_variable threshold_var = {.token = 0x266}; // compared with 30 at position 0

// The knob picture is the selector position, which the host writes as a signed 32-bit
// integer into the first four bytes of the value.
double GAUGE_CALL autobrake_position(module_variable *variable) {
    std::int32_t position;
    std::memcpy(&position, reinterpret_cast<const unsigned char *>(variable) + offsetof(module_variable, value),
                sizeof position);
    return position;
}

failure_entry no_failures[] = {{.failure_key = 0}};

icon_element knob = {
    .header = {.element_type = element_icon, .bitmap_id = 4096, .position_x = 0, .position_y = 0,
               .gauge_header = &autobrake_selector_gauge, .next_elements = nullptr, .failure_list = no_failures,
               .image_flags = 0x3},
    .variable = {.token = 0x2E7},
    .callback = autobrake_position,
    .icon_param1 = 0, .icon_param2 = 0, .icon_param3 = 0.0, .icon_param4 = 0,
    .state_count = 8, // pictures for positions 0 to 5: RTO, OFF, LAND MIN, LAND MED, LAND MAX, MAX AUTO
};
element_header *after_labels[] = {&knob.header, nullptr};

static_image lit_labels = {
    .header = {.element_type = element_static_image, .bitmap_id = 8192, .position_x = 0, .position_y = 0,
               .gauge_header = &autobrake_selector_gauge, .next_elements = after_labels, .image_flags = 0x7},
};
element_header *after_background[] = {&lit_labels.header, nullptr};

static_image background = {
    .header = {.element_type = element_static_image, .bitmap_id = 12288, .position_x = 0, .position_y = 0,
               .gauge_header = &autobrake_selector_gauge, .next_elements = after_background, .image_flags = 0x1},
};
element_header *elements[] = {&background.header, nullptr};

// The left half of the knob turns it counter-clockwise, the right half clockwise.
mouse_rect mouse_list[] = {
    {.rect_kind = rect_group_start, .box_x = 0, .box_y = 0, .box_w = 0, .box_h = 0, .cursor = -1, .help_id = 0xAB7C},
    {.rect_kind = rect_click_area, .box_x = 9, .box_y = 12, .box_w = 34, .box_h = 60, .cursor = 2,
     .mouse_flags = 0x20000000, .event_id = 0x102FB},
    {.rect_kind = rect_click_area, .box_x = 44, .box_y = 12, .box_w = 34, .box_h = 60, .cursor = 1,
     .mouse_flags = 0x20000000, .event_id = 0x102FA},
    {.rect_kind = rect_group_end, .cursor = -1},
    {.rect_kind = rect_list_end, .cursor = -1},
};

// Prepares the four variables, then the generic initialize.
void GAUGE_CALL initialize_with_variables() {
    module_variable_initialize(&light_a_var);
    module_variable_initialize(&light_b_var);
    module_variable_initialize(&selector_var);
    module_variable_initialize(&threshold_var);
    gauge_initialize<header_top<autobrake_selector_gauge>>();
}

// Lights the labels, steps the selector out of position 0, then the generic update.
void GAUGE_CALL light_labels_and_step_out_of_rto() {
    module_variable_lookup(&light_a_var);
    module_variable_lookup(&light_b_var);
    double a = light_a_var.value, b = light_b_var.value;
    if (a == 0.0 || b == 0.0)
        set_hidden(lit_labels.header, true);
    else if (a == 1.0 && b == 1.0)
        set_hidden(lit_labels.header, false);

    module_variable_lookup(&selector_var);
    module_variable_lookup(&threshold_var);
    // All eight value bytes read as a float: 0.0 exactly when the integer position is 0.
    if (selector_var.value == 0.0 && threshold_var.value > 30.0)
        key_event_trigger(0x102FA, 1);

    gauge_update<header_top<autobrake_selector_gauge>>();
}

gauge_header autobrake_selector_gauge = {
    .header_version = header_version_610,
    .gauge_name = "autobrake_selector",
    .element_list = elements,
    .query_routine = gauge_query<header_top<autobrake_selector_gauge>>,
    .install_routine = gauge_install<autobrake_selector_gauge, mouse_list>,
    .initialize_routine = initialize_with_variables,
    .update_routine = light_labels_and_step_out_of_rto,
    .generate_routine = gauge_generate<header_top<autobrake_selector_gauge>>,
    .draw_routine = gauge_draw<header_top<autobrake_selector_gauge>>,
    .kill_routine = gauge_kill<autobrake_selector_gauge, mouse_list>,
    .size_x = 135,
};

} // namespace

module_linkage Linkage = gauge_linkage(autobrake_selector_gauge, module_init_no_work, module_deinit_no_work);
