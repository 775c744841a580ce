// The flap lever: a handle that slides down a 222-pixel slot with the flap variable 0x149,
// and click areas at the top and the bottom of the slot that send key events.
#include "routines.h"

namespace {

extern gauge_header flap_lever_gauge;

// 148 pixels of travel (the slot's 222 rows less the handle's 74) over values 0 to 16384.
slider_element handle = {
    .header = {.element_type = element_slider, .bitmap_id = 8192, .gauge_header = &flap_lever_gauge,
               .image_flags = 0x3},
    .x_variable = {.token = 0},
    .x_scale = 0.0,
    .y_variable = {.token = 0x149},
    .y_scale = 148.0 / 16384.0,
};

element_header *background_children[] = {&handle.header, nullptr};

static_image background = {
    .header = {.element_type = element_static_image, .bitmap_id = 4096, .gauge_header = &flap_lever_gauge,
               .next_elements = background_children, .image_flags = 0x1},
};

element_header *elements[] = {&background.header, nullptr};

// The inner group covers the slot and carries its help id; rows 56 to 165 send nothing.
mouse_rect mouse_list[] = {
    {.rect_kind = rect_group_start, .cursor = -1},
    {.rect_kind = rect_group_start, .box_w = 69, .box_h = 222, .cursor = -1, .help_id = 0xA015},
    {.rect_kind = rect_click_area, .box_w = 69, .box_h = 56, .cursor = 5, .mouse_flags = 0x20000000,
     .event_id = 0x100DF},
    {.rect_kind = rect_click_area, .box_y = 166, .box_w = 69, .box_h = 56, .cursor = 5, .mouse_flags = 0x20000000,
     .event_id = 0x100DE},
    {.rect_kind = rect_group_end, .cursor = -1},
    {.rect_kind = rect_group_end, .cursor = -1},
    {.rect_kind = rect_list_end, .cursor = -1},
};

gauge_header flap_lever_gauge = {
    .header_version = header_version_610,
    .gauge_name = "flap_lever",
    .element_list = elements,
    GENERIC_ROUTINES_610(flap_lever_gauge, mouse_list),
    .size_x = 100,
};

} // namespace

module_linkage Linkage = gauge_linkage(flap_lever_gauge, module_init_no_work, module_deinit_no_work);
