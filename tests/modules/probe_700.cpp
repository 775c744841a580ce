// A small version 700 gauge for testing: its routines find their element through Linkage,
// and the host takes its mouse list from the header.
#include "routines.h"

namespace {

extern gauge_header_700 probe_gauge;

failure_entry no_failures[] = {{.failure_key = 0}};

static_image_700 background = {
    .header = {.element_type = element_static_image, .bitmap_id = 1000,
               .gauge_header = &probe_gauge.header, .failure_list = no_failures, .image_flags = 0x1},
};

element_header *elements[] = {&background.header, nullptr};

mouse_rect mouse_list[] = {
    {.rect_kind = rect_group_start, .cursor = -1, .help_id = 0xAD90},
    {.rect_kind = rect_click_area, .box_w = 18, .box_h = 55, .cursor = 5, .mouse_flags = 0x20000000,
     .event_id = 0x10001},
    {.rect_kind = rect_group_end, .cursor = -1},
    {.rect_kind = rect_list_end, .cursor = -1},
};

void GAUGE_CALL ignore_service(std::uint32_t, std::uint32_t, std::uintptr_t) {}

gauge_header_700 probe_gauge = {
    .header = {
        .header_version = header_version_700,
        .gauge_name = "probe_700",
        .element_list = elements,
        GENERIC_ROUTINES_700,
        .size_x = 18,
        .mouse_rects = mouse_list,
        .gauge_callback = ignore_service,
    },
};

} // namespace

module_linkage Linkage = {
    .module_id = gauge_module_id,
    .module_init = module_no_work,
    .module_deinit = module_no_work,
    .gauge_headers = {&probe_gauge.header, nullptr},
};
