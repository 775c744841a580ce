// The oil thermometer: one needle that sweeps 180 degrees over its scale, driven by
// variable 0x93 through an 18-row calibration table.
#include "routines.h"

namespace {

extern gauge_header oil_thermometer_gauge;

// The needle shows the variable as it is; the table turns it into a direction.
double GAUGE_CALL oil_needle_value(module_variable *variable) { return variable->value; }

// Points on a circle of radius 36 about the needle's turning point (50, 50), 12 degrees
// apart from -120 degrees (row 2) to +60 degrees (row 17); the end rows hold the needle
// at the scale's ends for any value beyond it.
nonlinearity_row oil_scale[] = {
    {.point_x = 32, .point_y = 19, .row_value = -99999},
    {.point_x = 32, .point_y = 19, .row_value = 0},
    {.point_x = 39, .point_y = 16, .row_value = 1092},
    {.point_x = 46, .point_y = 14, .row_value = 2185},
    {.point_x = 54, .point_y = 14, .row_value = 3277},
    {.point_x = 61, .point_y = 16, .row_value = 4369},
    {.point_x = 68, .point_y = 19, .row_value = 5461},
    {.point_x = 74, .point_y = 23, .row_value = 6554},
    {.point_x = 79, .point_y = 29, .row_value = 7646},
    {.point_x = 83, .point_y = 35, .row_value = 8738},
    {.point_x = 85, .point_y = 42, .row_value = 9830},
    {.point_x = 86, .point_y = 50, .row_value = 10923},
    {.point_x = 85, .point_y = 57, .row_value = 12015},
    {.point_x = 83, .point_y = 64, .row_value = 13107},
    {.point_x = 79, .point_y = 71, .row_value = 14199},
    {.point_x = 74, .point_y = 77, .row_value = 15291},
    {.point_x = 68, .point_y = 82, .row_value = 16384},
    {.point_x = 68, .point_y = 82, .row_value = 99999},
};

failure_entry needle_failures[] = {
    {.failure_key = 2, .failure_action = 2},
    {.failure_key = 0},
};

needle_element needle = {
    .header = {.element_type = element_needle, .bitmap_id = 101, .position_x = 50, .position_y = 50,
               .offset_x = 12, .offset_y = 3, .gauge_header = &oil_thermometer_gauge,
               .failure_list = needle_failures, .image_flags = 0x4003},
    .variable = {.token = 0x93},
    .callback = oil_needle_value,
    .needle_point_x = 44,
    .needle_point_y = 3,
    .nonlinearity = oil_scale,
    .nonlinearity_rows = sizeof oil_scale / sizeof oil_scale[0],
    .needle_param = 5,
};

element_header *background_children[] = {&needle.header, nullptr};

static_image background = {
    .header = {.element_type = element_static_image, .bitmap_id = 102, .gauge_header = &oil_thermometer_gauge,
               .next_elements = background_children, .image_flags = 0x4001},
};

element_header *elements[] = {&background.header, nullptr};

// No click areas: the list only gives the gauge its help id.
mouse_rect mouse_list[] = {
    {.rect_kind = rect_group_start, .cursor = -1, .help_id = 0xA418},
    {.rect_kind = rect_group_end, .cursor = -1},
    {.rect_kind = rect_list_end, .cursor = -1},
};

gauge_header oil_thermometer_gauge = {
    .header_version = header_version_610,
    .gauge_name = "oil_thermometer",
    .element_list = elements,
    GENERIC_ROUTINES_610(oil_thermometer_gauge, mouse_list),
    .size_x = 101,
};

} // namespace

module_linkage Linkage = gauge_linkage(oil_thermometer_gauge, module_no_work, module_no_work);
