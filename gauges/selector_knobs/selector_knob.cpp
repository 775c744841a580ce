// The selector knobs: a 39 x 39 knob whose halves step a cyclic picture down or up and send
// one key event per click. Built twice, as speed_knob and heading_knob; SELECTOR_KNOB picks
// the row of the variant table.
#include "routines.h"

namespace {

struct knob_variant {
    const char *gauge_name;
    std::uint32_t help_id;
    std::uint32_t frames; // N: the knob position runs 0 .. N-1
    std::uint32_t step_down_event;
    std::uint32_t step_up_event;
};

enum knob_kind { speed_knob, heading_knob };

constexpr knob_variant variants[] = {
    /* speed_knob   */ {.gauge_name = "speed_knob", .help_id = 0xA440, .frames = 2,
                        .step_down_event = 0x10169, .step_up_event = 0x10168},
    /* heading_knob */ {.gauge_name = "heading_knob", .help_id = 0xA42F, .frames = 3,
                        .step_down_event = 0x10158, .step_up_event = 0x10157},
};

constexpr const knob_variant &variant = variants[SELECTOR_KNOB];

extern gauge_header knob_gauge;

// The knob position: the token-0 value of the frame icon, which the host never writes and
// shows as the icon state (picture 8192 + 3 x position).
icon_element knob_frame = {
    .header = {.element_type = element_icon, .bitmap_id = 8192, .gauge_header = &knob_gauge, .image_flags = 0x3},
    .variable = {.token = 0},
    .state_count = variant.frames,
};

// One notch down: from 0 the position wraps to N-1.
std::uint32_t GAUGE_CALL knob_step_down(std::uint32_t, std::uint32_t) {
    knob_frame.variable.value -= 1.0;
    if (knob_frame.variable.value == -1.0)
        knob_frame.variable.value = variant.frames - 1.0;
    key_event_trigger(variant.step_down_event, 0);
    return 0;
}

// One notch up: from N-1 the position wraps to 0.
std::uint32_t GAUGE_CALL knob_step_up(std::uint32_t, std::uint32_t) {
    knob_frame.variable.value += 1.0;
    if (knob_frame.variable.value == double(variant.frames))
        knob_frame.variable.value = 0.0;
    key_event_trigger(variant.step_up_event, 0);
    return 0;
}

element_header *background_children[] = {&knob_frame.header, nullptr};

static_image background = {
    .header = {.element_type = element_static_image, .bitmap_id = 4096, .gauge_header = &knob_gauge,
               .next_elements = background_children, .image_flags = 0x1},
};

element_header *elements[] = {&background.header, nullptr};

// Left half turns the knob down, right half up; the column x 18 to 20 belongs to neither.
mouse_rect mouse_list[] = {
    {.rect_kind = rect_group_start, .cursor = -1, .help_id = variant.help_id},
    {.rect_kind = rect_click_area, .box_w = 18, .box_h = 39, .cursor = 2, .mouse_flags = 0x20200000,
     .click_callback = knob_step_down},
    {.rect_kind = rect_click_area, .box_x = 21, .box_w = 18, .box_h = 39, .cursor = 1, .mouse_flags = 0x20200000,
     .click_callback = knob_step_up},
    {.rect_kind = rect_group_end, .cursor = -1},
    {.rect_kind = rect_list_end, .cursor = -1},
};

gauge_header knob_gauge = {
    .header_version = header_version_610,
    .gauge_name = variant.gauge_name,
    .element_list = elements,
    GENERIC_ROUTINES_610(knob_gauge, mouse_list),
    .size_x = 100,
};

} // namespace

module_linkage Linkage = gauge_linkage(knob_gauge, module_init_no_work, module_deinit_no_work);
