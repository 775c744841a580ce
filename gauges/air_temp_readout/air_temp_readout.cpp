// The air temperature readout: total air temperature as a whole number in Celsius or
// Fahrenheit, yellow from 1 degree Celsius (33 Fahrenheit) up and cyan below, with a unit picture.
#include "platform.h"
#include "readout.h"
#include "routines.h"

namespace {

extern gauge_header air_temp_readout_gauge;
extern string_element temperature_text;

constexpr std::uint32_t yellow = 0x00FFFF;
constexpr std::uint32_t cyan = 0xFFFF00;

// x times 256 is degrees Celsius; variables[1] nonzero shows Celsius, zero Fahrenheit.
// Returns the number shown before truncation; a NaN temperature shows dashes.
double GAUGE_CALL air_temp_text(double x) {
    double t = x * 256.0;
    if (temperature_text.variables[1].value != 0.0) {
        temperature_text.text_colour = t >= 1.0 ? yellow : cyan;
    } else {
        t = t * 9.0 / 5.0 + 32.0;
        temperature_text.text_colour = t >= 33.0 ? yellow : cyan;
    }
    if (t > 999.0)
        t = 999.0;
    else if (t < -99.0)
        t = -99.0;
    std::int32_t whole;
    if (readout_whole(t, -99, 999, whole))
        wsprintfA(temperature_text.text, "%3d", int(whole));
    else
        wsprintfA(temperature_text.text, "---");
    return t;
}

// Picture 1 (Celsius) while the unit selector is nonzero, else 0 (Fahrenheit).
double GAUGE_CALL temp_unit_state(module_variable *unit) { return unit->value != 0.0 ? 1.0 : 0.0; }

failure_entry readout_failures[] = {
    {.failure_key = 1, .failure_action = 3},
    {.failure_key = 0},
};

string_element temperature_text = {
    .header = {.element_type = element_string, .bitmap_id = no_bitmap, .position_x = 16, .position_y = 0,
               .gauge_header = &air_temp_readout_gauge, .failure_list = readout_failures, .image_flags = 0x6},
    .variables = {{.token = 0x15E}, {.token = 0x14F}, {.token = 0}}, // temperature, unit selector, none
    .callback = air_temp_text,
    .text = nullptr, // the host's buffer
    .box_width = 17,
    .box_height = 12,
    .text_colour = yellow, // rewritten at every call
    .colour2 = 0x000000,
    .colour3 = 0xFFFFFF,
    .font_name = "Glass Gauge",
    .font_weight = 400,
    .font_charset = 1,
    .text_format = 0x25, // centred both ways, single line
    .max_chars = 3,
};

icon_element unit_indicator = {
    .header = {.element_type = element_icon, .bitmap_id = 8192, .position_x = 33, .position_y = 1,
               .gauge_header = &air_temp_readout_gauge, .failure_list = readout_failures, .image_flags = 0x4},
    .variable = {.token = 0x14F},
    .callback = temp_unit_state,
    .state_count = 2, // 8192 Fahrenheit, 8195 Celsius
};
element_header *after_background[] = {&temperature_text.header, &unit_indicator.header, nullptr};

static_image background = {
    .header = {.element_type = element_static_image, .bitmap_id = 4096, .position_x = 0, .position_y = 0,
               .gauge_header = &air_temp_readout_gauge, .next_elements = after_background, .failure_list = nullptr,
               .image_flags = 0x5},
};
element_header *elements[] = {&background.header, nullptr};

// No click areas: the group only gives the gauge its help id.
mouse_rect mouse_list[] = {
    {.rect_kind = rect_group_start, .box_x = 0, .box_y = 0, .box_w = 0, .box_h = 0, .cursor = -1, .help_id = 0xA00E},
    {.rect_kind = rect_group_end, .cursor = -1},
    {.rect_kind = rect_list_end, .cursor = -1},
};

gauge_header air_temp_readout_gauge = {
    .header_version = header_version_610,
    .gauge_name = ";air_temp_readout",
    .element_list = elements,
    GENERIC_ROUTINES_610(air_temp_readout_gauge, mouse_list),
    .size_x = 42,
};

} // namespace

module_linkage Linkage = gauge_linkage(air_temp_readout_gauge, module_init_no_work, module_deinit_no_work);
