// The flight-director switch: a version 700 gauge whose icon follows one variable and whose
// click plays a click sound and sends 0x102F0. Its sound is set up and torn down through
// the gauge callback.
#include "click_sound.h"
#include "routines.h"

#include <cmath>

namespace {

extern gauge_header_700 director_gauge;

HWND host_window;
sound_object *click_sound;

constexpr std::uint32_t service_set_up = 3;
constexpr std::uint32_t service_tear_down = 12;
constexpr std::uint32_t click_resource = 30000;

void sound_set_up(HWND window, HMODULE module) {
    if (sound_device_open(window, module) != sound_ok)
        MessageBoxA(window, "Can't initialize DirectSound", "", 0x30);
    click_sound = sound_object_create(MAKEINTRESOURCEA(click_resource), 1);
}

void sound_tear_down() {
    sound_object_stop(click_sound);
    sound_object_destroy(click_sound);
    click_sound = nullptr;
    sound_device_close();
}

void GAUGE_CALL director_gauge_callback(std::uint32_t, std::uint32_t service_id, std::uintptr_t parameter) {
    if (service_id == service_set_up) {
        host_window = FindWindowA("FS98MAIN", nullptr);
        sound_set_up(host_window, reinterpret_cast<HMODULE>(parameter));
    } else if (service_id == service_tear_down) {
        sound_tear_down();
    }
}

// 1 while the variable is not 0.0; a value that is not a number counts as 0.
double GAUGE_CALL switch_icon_callback(element_header *element) {
    double value = reinterpret_cast<icon_element_700 *>(element)->variable.value;
    return value != 0.0 && !std::isnan(value) ? 1.0 : 0.0;
}

std::uint32_t GAUGE_CALL switch_click_callback(std::uint32_t, std::uint32_t) {
    sound_object_play(click_sound, 0);
    key_event_trigger(0x102F0, 1);
    return 0;
}

failure_entry no_failures[] = {{.failure_key = 0}};

extern element_header *switch_elements[];

static_image_700 background = {
    .header = {.element_type = element_static_image, .bitmap_id = 1000, .gauge_header = &director_gauge.header,
               .next_elements = switch_elements, .failure_list = no_failures, .image_flags = 0x1},
};

icon_element_700 switch_icon = {
    .header = {.element_type = element_icon, .bitmap_id = 1010, .gauge_header = &director_gauge.header,
               .failure_list = no_failures, .image_flags = 0x300},
    .variable = {.token = 0x318},
    .icon_param1 = 1,
    .icon_param3 = 1.0,
    .state_count = 2,
    .element_callback = switch_icon_callback,
};

element_header *switch_elements[] = {&switch_icon.header, nullptr};
element_header *elements[] = {&background.header, nullptr};

mouse_rect mouse_list[] = {
    {.rect_kind = rect_group_start, .cursor = -1, .help_id = 0xAD90},
    {.rect_kind = rect_click_area, .box_w = 18, .box_h = 55, .cursor = 5, .mouse_flags = 0x20000000,
     .click_callback = switch_click_callback},
    {.rect_kind = rect_group_end, .cursor = -1},
    {.rect_kind = rect_list_end, .cursor = -1},
};

gauge_header_700 director_gauge = {
    .header = {
        .header_version = header_version_700,
        .gauge_name = "director_switch",
        .element_list = elements,
        GENERIC_ROUTINES_700,
        .size_x = 18,
        .mouse_rects = mouse_list,
        .gauge_callback = director_gauge_callback,
    },
};

} // namespace

module_linkage Linkage = gauge_linkage(director_gauge.header, module_no_work, module_no_work);
