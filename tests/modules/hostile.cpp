// Version 610 gauges that break the rules, for testing that the bench reports each fault and
// carries on. The build makes one from this source for each of HOSTILE_VALUES (callbacks
// returning values no element can show), HOSTILE_OVERRUN (a string callback writing past its
// buffer), HOSTILE_CYCLE (an element tree that leads back to its top), HOSTILE_NO_LIST_END
// (a mouse list without its list end) and HOSTILE_VERSION (a header of an unknown version).
#include "routines.h"

#include <cstring>
#include <limits>

namespace {

extern gauge_header hostile_gauge;
extern static_image background;

#if defined(HOSTILE_VALUES)
// Every call of a value callback returns the next of these.
constexpr double inf = std::numeric_limits<double>::infinity();
const double hostile_values[] = {std::numeric_limits<double>::quiet_NaN(), inf, -inf, 1e300, -1e300,
                                 4294967296.0, -2147483649.0, 7.0, -1.0, -0.0,
                                 std::numeric_limits<double>::denorm_min()};
unsigned next_value;

double GAUGE_CALL hostile_value(module_variable *) {
    return hostile_values[next_value++ % (sizeof hostile_values / sizeof hostile_values[0])];
}

nonlinearity_row needle_rows[] = {
    {.point_x = 10, .point_y = 40, .row_value = 0},
    {.point_x = 70, .point_y = 40, .row_value = 100},
};

needle_element table_needle = {
    .header = {.element_type = element_needle, .bitmap_id = 101, .position_x = 40, .position_y = 40,
               .offset_x = 3, .offset_y = 3, .gauge_header = &hostile_gauge, .image_flags = 0x7},
    .callback = hostile_value,
    .nonlinearity = needle_rows,
    .nonlinearity_rows = 2,
};

needle_element plain_needle = {
    .header = {.element_type = element_needle, .bitmap_id = 101, .position_x = 40, .position_y = 40,
               .gauge_header = &hostile_gauge, .image_flags = 0x7},
    .callback = hostile_value,
};

icon_element icon = {
    .header = {.element_type = element_icon, .bitmap_id = 4096, .gauge_header = &hostile_gauge, .image_flags = 0x3},
    .callback = hostile_value,
    .state_count = 2,
};

slider_element slider = {
    .header = {.element_type = element_slider, .bitmap_id = 8192, .gauge_header = &hostile_gauge,
               .image_flags = 0x3},
    .x_callback = hostile_value,
    .x_scale = 1.0,
    .y_callback = hostile_value,
    .y_scale = 1e300,
};

element_header *children[] = {&table_needle.header, &plain_needle.header, &icon.header, &slider.header, nullptr};
#elif defined(HOSTILE_OVERRUN)
extern string_element overrunning_text;

// Writes twelve characters and the NUL where the host gave room for five and the NUL.
double GAUGE_CALL overrun(double) {
    std::memcpy(overrunning_text.text, "123456789012", 13);
    return 0;
}

string_element overrunning_text = {
    .header = {.element_type = element_string, .bitmap_id = no_bitmap, .gauge_header = &hostile_gauge,
               .image_flags = 0x7},
    .callback = overrun,
    .box_width = 60,
    .box_height = 20,
    .font_name = "quartz",
    .text_format = 0x25,
    .max_chars = 5,
};

element_header *children[] = {&overrunning_text.header, nullptr};
#elif defined(HOSTILE_CYCLE)
// The icon's children lead back to the background, the top of the tree.
element_header *back_to_top[] = {&background.header, nullptr};

icon_element icon = {
    .header = {.element_type = element_icon, .bitmap_id = 4096, .gauge_header = &hostile_gauge,
               .next_elements = back_to_top, .image_flags = 0x3},
    .state_count = 2,
};

element_header *children[] = {&icon.header, nullptr};
#else
element_header *children[] = {nullptr};
#endif

static_image background = {
    .header = {.element_type = element_static_image, .bitmap_id = 100, .gauge_header = &hostile_gauge,
               .next_elements = children, .image_flags = 0x5},
};
element_header *elements[] = {&background.header, nullptr};

#if defined(HOSTILE_NO_LIST_END)
// Click areas, and no list end as far as the bench reads: filled when the module loads.
mouse_rect mouse_list[1100];

void GAUGE_CALL fill_mouse_list() {
    for (mouse_rect &rect : mouse_list)
        rect = {.rect_kind = rect_click_area, .box_w = 10, .box_h = 10, .cursor = 1, .event_id = 0x10001};
}
#else
mouse_rect mouse_list[] = {
    {.rect_kind = rect_group_start, .cursor = -1},
    {.rect_kind = rect_click_area, .box_w = 10, .box_h = 10, .cursor = 1, .event_id = 0x10001},
    {.rect_kind = rect_group_end, .cursor = -1},
    {.rect_kind = rect_list_end, .cursor = -1},
};
#endif

gauge_header hostile_gauge = {
#if defined(HOSTILE_VERSION)
    .header_version = 650,
#else
    .header_version = header_version_610,
#endif
    .gauge_name = "hostile",
    .element_list = elements,
    GENERIC_ROUTINES_610(hostile_gauge, mouse_list),
    .size_x = 80,
};

} // namespace

#if defined(HOSTILE_NO_LIST_END)
module_linkage Linkage = gauge_linkage(hostile_gauge, fill_mouse_list, module_deinit_no_work);
#else
module_linkage Linkage = gauge_linkage(hostile_gauge, module_init_no_work, module_deinit_no_work);
#endif
