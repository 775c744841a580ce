// The gear panel: a gear lever and four gear lights, lit only while another panel module
// publishes a non-zero word at the start of the shared mapping "QUORVAL_COM_IPC".
#include "platform.h"
#include "routines.h"

namespace {

extern gauge_header gear_gauge;

constexpr char ipc_name[] = "QUORVAL_COM_IPC";

HANDLE ipc_mapping;          // null: none
const void *ipc_view;        // null: none
std::uint32_t enable_word;   // last value taken from the mapping
bool enable_changed;         // the overlay still has to follow enable_word

// A light's state from its gear variable in percent of 16384: dark while nothing is
// published, at exactly 0 and for a value that is not a number; state 0 above the threshold,
// state 1 up to it. The percentage is rounded to a 64-bit float before it is compared.
template <int threshold> double GAUGE_CALL light_callback(module_variable *gear) {
    if (enable_word == 0)
        return -1.0;
    volatile double percent = gear->value * 0.006103515625;
    double p = percent;
    if (p > threshold)
        return 0.0;
    if (p == 0 || p != p) // p != p: not a number
        return -1.0;
    return 1.0;
}

double GAUGE_CALL lever_callback(module_variable *lever) { return lever->value; }

constexpr icon_element light(std::uint32_t bitmap, std::int32_t x, std::int32_t y, std::uint32_t token,
                             variable_callback_fn callback) {
    return {
        .header = {.element_type = element_icon, .bitmap_id = bitmap, .position_x = x, .position_y = y,
                   .gauge_header = &gear_gauge, .image_flags = 7},
        .variable = {.token = token},
        .callback = callback,
        .state_count = 2,
    };
}

static_image overlay = {
    .header = {.element_type = element_static_image, .bitmap_id = 100, .gauge_header = &gear_gauge,
               .image_flags = 1},
};
icon_element top_light = light(200, 20, 1, 0x14C, light_callback<96>);
icon_element left_light = light(300, 0, 21, 0x14D, light_callback<99>);
icon_element right_light = light(400, 39, 21, 0x14E, light_callback<98>);
icon_element middle_light = light(500, 20, 21, 0x14C, light_callback<97>);
icon_element lever = {
    .header = {.element_type = element_icon, .bitmap_id = 600, .position_x = 6, .position_y = 40,
               .gauge_header = &gear_gauge, .image_flags = 3},
    .variable = {.token = 0x14B},
    .callback = lever_callback,
    .state_count = 2,
};
element_header *background_children[] = {&overlay.header,      &top_light.header,    &left_light.header,
                                         &right_light.header,  &middle_light.header, &lever.header,
                                         nullptr};

static_image background = {
    .header = {.element_type = element_static_image, .bitmap_id = 100, .gauge_header = &gear_gauge,
               .next_elements = background_children, .image_flags = 5},
};
element_header *elements[] = {&background.header, nullptr};

mouse_rect mouse_list[] = {
    {.rect_kind = rect_group_start, .cursor = -1},
    {.rect_kind = rect_click_area, .box_x = 4, .box_y = 40, .box_w = 36, .box_h = 137, .cursor = 5,
     .mouse_flags = 0x20000000, .event_id = 0x10022}, // the lever
    {.rect_kind = rect_group_end, .cursor = -1},
    {.rect_kind = rect_list_end, .cursor = -1},
};

// Opens the published mapping, or else creates it one allocation granule large, and maps it;
// without a view the gauge works on with the word it last took.
void GAUGE_CALL gear_install(void *instance) {
    ipc_mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, ipc_name);
    if (ipc_mapping == nullptr) {
        SYSTEM_INFO system = {};
        GetSystemInfo(&system);
        ipc_mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         system.dwAllocationGranularity, ipc_name);
    }
    if (ipc_mapping != nullptr) {
        ipc_view = MapViewOfFile(ipc_mapping, FILE_MAP_WRITE, 0, 0, 0);
        if (ipc_view == nullptr) {
            CloseHandle(ipc_mapping);
            ipc_mapping = nullptr;
        }
    }
    gauge_install<gear_gauge, mouse_list>(instance);
}

// Polls the word; on the update that sees it change, the plain copy of the background is
// hidden (word non-zero) or shown, and both copies are refreshed.
void GAUGE_CALL gear_update() {
    if (ipc_view != nullptr) {
        std::uint32_t word = *static_cast<const volatile std::uint32_t *>(ipc_view);
        if (word != enable_word) {
            enable_word = word;
            enable_changed = true;
        }
    }
    if (enable_changed) {
        set_hidden(overlay.header, enable_word != 0);
        element_refresh(&overlay.header);
        element_refresh(&background.header);
        enable_changed = false;
    }
    element_list_update(&background.header);
}

// Releases the view and the handle; the word and the overlay keep their state.
void GAUGE_CALL gear_kill() {
    if (ipc_mapping != nullptr) {
        UnmapViewOfFile(ipc_view);
        CloseHandle(ipc_mapping);
        ipc_view = nullptr;
        ipc_mapping = nullptr;
    }
    gauge_kill<gear_gauge, mouse_list>();
}

gauge_header gear_gauge = {
    .header_version = header_version_610,
    .gauge_name = "gear_panel.gau",
    .element_list = elements,
    .query_routine = gauge_query<header_top<gear_gauge>>,
    .install_routine = gear_install,
    .initialize_routine = gauge_initialize<header_top<gear_gauge>>,
    .update_routine = gear_update,
    .generate_routine = gauge_generate<header_top<gear_gauge>>,
    .draw_routine = gauge_draw<header_top<gear_gauge>>,
    .kill_routine = gear_kill,
    .size_x = 100,
};

} // namespace

module_linkage Linkage = {
    .module_id = gauge_module_id,
    .module_init = module_no_work,
    .module_deinit = module_no_work,
    .gauge_headers = {&gear_gauge, nullptr},
};
