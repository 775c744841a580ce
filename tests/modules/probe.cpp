// A small version 610 gauge for testing the bench and the generic routines. The build makes
// several from this source; each defines one of PROBE_BARE, PROBE_NESTED or PROBE_TRAP.
#include "routines.h"

namespace {

extern gauge_header probe_gauge;

static_image background = {
    .header = {.element_type = element_static_image, .bitmap_id = 100, .gauge_header = &probe_gauge,
               .image_flags = 0x5},
};

element_header *elements[] = {&background.header, nullptr};

#if defined(PROBE_NESTED)
// The brake flag's layout: a nested group over the right half of an 88-pixel-wide gauge.
mouse_rect mouse_list[] = {
    {.rect_kind = rect_group_start, .cursor = -1},
    {.rect_kind = rect_group_start, .box_x = 42, .box_w = 44, .box_h = 242, .cursor = -1},
    {.rect_kind = rect_click_area, .box_w = 44, .box_h = 121, .cursor = 1, .mouse_flags = 0x20000000,
     .event_id = 0x100D8},
    {.rect_kind = rect_click_area, .box_y = 121, .box_w = 44, .box_h = 121, .cursor = 2,
     .mouse_flags = 0x20000000, .event_id = 0x10034},
    {.rect_kind = rect_group_end, .cursor = -1},
    {.rect_kind = rect_group_end, .cursor = -1},
    {.rect_kind = rect_list_end, .cursor = -1},
};
#else
mouse_rect mouse_list[] = {
    {.rect_kind = rect_group_start, .cursor = -1, .help_id = 0xA418},
    {.rect_kind = rect_group_end, .cursor = -1},
    {.rect_kind = rect_list_end, .cursor = -1},
};
#endif

#if defined(PROBE_TRAP)
// Calls the one element-list offset that no gauge may call.
void GAUGE_CALL update_through_unexpected_offset() {
    call_panel_service<element_list_call_fn>(0x78, header_top<probe_gauge>());
}
#endif

gauge_header probe_gauge = {
    .header_version = header_version_610,
    .gauge_name = "probe",
    .element_list = elements,
    .query_routine = gauge_query<header_top<probe_gauge>>,
    .install_routine = gauge_install<probe_gauge, mouse_list>,
    .initialize_routine = gauge_initialize<header_top<probe_gauge>>,
#if defined(PROBE_TRAP)
    .update_routine = update_through_unexpected_offset,
#else
    .update_routine = gauge_update<header_top<probe_gauge>>,
#endif
    .generate_routine = gauge_generate<header_top<probe_gauge>>,
    .draw_routine = gauge_draw<header_top<probe_gauge>>,
    .kill_routine = gauge_kill<probe_gauge, mouse_list>,
    .size_x = 20,
};

} // namespace

module_linkage Linkage = {
    .module_id = gauge_module_id,
    .module_init = module_no_work,
    .module_deinit = module_no_work,
    .gauge_headers = {&probe_gauge, nullptr},
};
