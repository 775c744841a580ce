// The fuel readout: the sum of three fuel-quantity variables, scaled, shown as a whole number.
#include "platform.h"
#include "readout.h"
#include "routines.h"

namespace {

extern gauge_header fuel_readout_gauge;
extern string_element fuel_text;

// The five characters of the readout hold -9999 to 99999; a total beyond shows the limit it
// passed, and a total that is no number (NaN) shows dashes.
constexpr std::int32_t lowest_shown = -9999;
constexpr std::int32_t highest_shown = 99999;

double GAUGE_CALL fuel_total_text(double) {
    double sum = fuel_text.variables[0].value + fuel_text.variables[1].value + fuel_text.variables[2].value;
    double total = sum * 6.6015;
    // USER32's wsprintfA: snprintf would link MinGW's whole formatter into the module. The
    // limits keep the text within max_chars.
    std::int32_t whole;
    if (readout_whole(total, lowest_shown, highest_shown, whole))
        wsprintfA(fuel_text.text, "%4d", int(whole));
    else
        wsprintfA(fuel_text.text, "----");
    return total;
}

string_element fuel_text = {
    .header = {.element_type = element_string, .bitmap_id = no_bitmap, .position_x = 0, .position_y = 0,
               .gauge_header = &fuel_readout_gauge, .failure_list = nullptr, .image_flags = 0x7},
    .variables = {{.token = 0x12F}, {.token = 0x130}, {.token = 0x131}},
    .callback = fuel_total_text,
    .text = nullptr, // the host's buffer
    .box_width = 70,
    .box_height = 20,
    .text_colour = 0x0080F5,
    .colour2 = 0x000064,
    .colour3 = 0xFFFFFF,
    .font_name = "quartz",
    .font_weight = 400,
    .font_charset = 1,
    .text_format = 0x25, // centred both ways, single line
    .max_chars = 5,
};
element_header *after_background[] = {&fuel_text.header, nullptr};

failure_entry background_failures[] = {
    {.failure_key = 1, .failure_action = 2},
    {.failure_key = 10, .failure_action = 1},
    {.failure_key = 0, .failure_action = 0},
};

static_image background = {
    .header = {.element_type = element_static_image, .bitmap_id = 100, .position_x = 0, .position_y = 0,
               .gauge_header = &fuel_readout_gauge, .next_elements = after_background,
               .failure_list = background_failures, .image_flags = 0x5},
};
element_header *elements[] = {&background.header, nullptr};

// No click areas: the group only gives the gauge its help id.
mouse_rect mouse_list[] = {
    {.rect_kind = rect_group_start, .box_x = 0, .box_y = 0, .box_w = 0, .box_h = 0, .cursor = -1, .help_id = 0xA604},
    {.rect_kind = rect_group_end, .cursor = -1},
    {.rect_kind = rect_list_end, .cursor = -1},
};

gauge_header fuel_readout_gauge = {
    .header_version = header_version_610,
    .gauge_name = "fuel_readout",
    .element_list = elements,
    GENERIC_ROUTINES_610(fuel_readout_gauge, mouse_list),
    .size_x = 57,
};

} // namespace

module_linkage Linkage = gauge_linkage(fuel_readout_gauge, module_init_no_work, module_deinit_no_work);
