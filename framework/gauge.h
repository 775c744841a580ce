// Host records every gauge module shares: linkage, import table, gauge header,
// element records, failure lists and mouse rectangles, laid out as the panel system reads them.
#pragma once

#include <cstddef>
#include <cstdint>

// The panel system calls everything it is handed with the stdcall convention on 32-bit x86.
#if defined(__i386__) || defined(_M_IX86)
#define GAUGE_CALL __attribute__((stdcall))
#else
#define GAUGE_CALL
#endif

#if defined(_WIN32)
#define GAUGE_EXPORT __declspec(dllexport)
#else
#define GAUGE_EXPORT __attribute__((visibility("default")))
#endif

// Layout checks apply where pointers are 4 bytes, as in the real 32-bit modules.
#define GAUGE_LAYOUT_CHECKED (UINTPTR_MAX == 0xFFFFFFFFu)
#if GAUGE_LAYOUT_CHECKED
#define GAUGE_ASSERT_OFFSET(record, field, offset) static_assert(offsetof(record, field) == (offset))
#define GAUGE_ASSERT_SIZE(record, size) static_assert(sizeof(record) == (size))
#else
#define GAUGE_ASSERT_OFFSET(record, field, offset) static_assert(true)
#define GAUGE_ASSERT_SIZE(record, size) static_assert(true)
#endif

#pragma pack(push, 4)

struct element_header;
struct gauge_header;
struct mouse_rect;

using module_routine = void(GAUGE_CALL *)();
using query_routine_fn = void *(GAUGE_CALL *)();
using install_routine_fn = void(GAUGE_CALL *)(void *instance);
using generate_routine_fn = void(GAUGE_CALL *)(std::uint32_t phase);
// The parameter is pointer-sized: a 32-bit word on the real host, wide enough for a module
// handle on a 64-bit bench.
using gauge_callback_fn = void(GAUGE_CALL *)(std::uint32_t unused, std::uint32_t service_id,
                                             std::uintptr_t parameter);
using click_callback_fn = std::uint32_t(GAUGE_CALL *)(std::uint32_t first, std::uint32_t second);

constexpr std::uint32_t gauge_module_id = 0x13;
constexpr std::uint32_t panel_service_import_id = 0x0F;

struct module_linkage {
    std::uint32_t module_id;
    module_routine module_init;
    module_routine module_deinit;
    std::uint32_t linkage_reserved[3];
    gauge_header *gauge_headers[2]; // one gauge, then null
};
GAUGE_ASSERT_OFFSET(module_linkage, module_init, 0x04);
GAUGE_ASSERT_OFFSET(module_linkage, module_deinit, 0x08);
GAUGE_ASSERT_OFFSET(module_linkage, linkage_reserved, 0x0C);
GAUGE_ASSERT_OFFSET(module_linkage, gauge_headers, 0x18);
GAUGE_ASSERT_SIZE(module_linkage, 32);

struct import_entry {
    std::uint32_t import_id;
    void *import_pointer; // written by the host
};
GAUGE_ASSERT_OFFSET(import_entry, import_pointer, 4);
GAUGE_ASSERT_SIZE(import_entry, 8);

struct import_table {
    import_entry entries[2]; // panel services, then the {0, null} terminator
};
GAUGE_ASSERT_SIZE(import_table, 16);

constexpr std::uint32_t header_version_610 = 610;
constexpr std::uint32_t header_version_700 = 700;

struct gauge_header {
    std::uint32_t header_version;
    const char *gauge_name;
    element_header **element_list; // top element, then null
    query_routine_fn query_routine;
    install_routine_fn install_routine;
    module_routine initialize_routine;
    module_routine update_routine;
    generate_routine_fn generate_routine;
    module_routine draw_routine;
    module_routine kill_routine;
    std::uint32_t header_reserved;
    std::uint32_t size_x;
    std::uint32_t header_host[8];
    mouse_rect *mouse_rects;          // version 700 only
    gauge_callback_fn gauge_callback; // version 700 only
};
GAUGE_ASSERT_OFFSET(gauge_header, gauge_name, 0x04);
GAUGE_ASSERT_OFFSET(gauge_header, element_list, 0x08);
GAUGE_ASSERT_OFFSET(gauge_header, query_routine, 0x0C);
GAUGE_ASSERT_OFFSET(gauge_header, install_routine, 0x10);
GAUGE_ASSERT_OFFSET(gauge_header, initialize_routine, 0x14);
GAUGE_ASSERT_OFFSET(gauge_header, update_routine, 0x18);
GAUGE_ASSERT_OFFSET(gauge_header, generate_routine, 0x1C);
GAUGE_ASSERT_OFFSET(gauge_header, draw_routine, 0x20);
GAUGE_ASSERT_OFFSET(gauge_header, kill_routine, 0x24);
GAUGE_ASSERT_OFFSET(gauge_header, header_reserved, 0x28);
GAUGE_ASSERT_OFFSET(gauge_header, size_x, 0x2C);
GAUGE_ASSERT_OFFSET(gauge_header, header_host, 0x30);
GAUGE_ASSERT_OFFSET(gauge_header, mouse_rects, 0x50);
GAUGE_ASSERT_OFFSET(gauge_header, gauge_callback, 0x54);
GAUGE_ASSERT_SIZE(gauge_header, 0x58);

struct gauge_header_700 {
    gauge_header header;
    std::uint32_t header_host_ext[8];
};
GAUGE_ASSERT_OFFSET(gauge_header_700, header_host_ext, 0x58);
GAUGE_ASSERT_SIZE(gauge_header_700, 0x78);

enum element_kind : std::uint32_t {
    element_static_image = 0,
    element_needle = 1,
    element_string = 2,
    element_slider = 3,
    element_icon = 4,
    element_moving_image = 5,
};

constexpr std::uint32_t image_hidden = 0x40000000;
constexpr std::uint32_t no_bitmap = 0xFFFFFFFF;

struct failure_entry {
    std::uint32_t failure_key; // 0 ends the list
    std::uint32_t failure_action;
    std::uint32_t failure_reserved;
};
GAUGE_ASSERT_OFFSET(failure_entry, failure_action, 4);
GAUGE_ASSERT_OFFSET(failure_entry, failure_reserved, 8);
GAUGE_ASSERT_SIZE(failure_entry, 12);

struct element_header {
    std::uint32_t element_type;
    std::uint32_t bitmap_id;
    std::int32_t position_x;
    std::int32_t position_y;
    std::int32_t host_pos_x;
    std::int32_t host_pos_y;
    std::int32_t offset_x;
    std::int32_t offset_y;
    struct gauge_header *gauge_header;
    void *host_link;
    element_header **next_elements; // children, ended by null; or null
    failure_entry *failure_list;
    std::uint32_t image_flags;
    std::uint32_t extra_flags;
    std::uint32_t element_reserved;
};
GAUGE_ASSERT_OFFSET(element_header, bitmap_id, 0x04);
GAUGE_ASSERT_OFFSET(element_header, position_x, 0x08);
GAUGE_ASSERT_OFFSET(element_header, position_y, 0x0C);
GAUGE_ASSERT_OFFSET(element_header, host_pos_x, 0x10);
GAUGE_ASSERT_OFFSET(element_header, host_pos_y, 0x14);
GAUGE_ASSERT_OFFSET(element_header, offset_x, 0x18);
GAUGE_ASSERT_OFFSET(element_header, offset_y, 0x1C);
GAUGE_ASSERT_OFFSET(element_header, gauge_header, 0x20);
GAUGE_ASSERT_OFFSET(element_header, host_link, 0x24);
GAUGE_ASSERT_OFFSET(element_header, next_elements, 0x28);
GAUGE_ASSERT_OFFSET(element_header, failure_list, 0x2C);
GAUGE_ASSERT_OFFSET(element_header, image_flags, 0x30);
GAUGE_ASSERT_OFFSET(element_header, extra_flags, 0x34);
GAUGE_ASSERT_OFFSET(element_header, element_reserved, 0x38);
GAUGE_ASSERT_SIZE(element_header, 0x3C);

struct static_image {
    element_header header;
    void *host_image; // set by element_list_install
    std::uint32_t static_host[4];
};
GAUGE_ASSERT_OFFSET(static_image, host_image, 0x3C);
GAUGE_ASSERT_OFFSET(static_image, static_host, 0x40);
GAUGE_ASSERT_SIZE(static_image, 0x50);

struct static_image_700 {
    element_header header;
    void *host_image;
    std::uint32_t static_host[8];
};
GAUGE_ASSERT_OFFSET(static_image_700, host_image, 0x3C);
GAUGE_ASSERT_SIZE(static_image_700, 0x60);

enum mouse_rect_kind : std::uint32_t {
    rect_list_end = 0,
    rect_group_start = 1,
    rect_click_area = 2,
    rect_group_end = 3,
};

struct mouse_rect {
    std::uint32_t rect_kind;
    std::int32_t box_x;
    std::int32_t box_y;
    std::int32_t box_w;
    std::int32_t box_h;
    std::int32_t cursor;
    std::uint32_t help_id;
    std::uint32_t mouse_flags;
    std::uint32_t event_id;
    click_callback_fn click_callback;
    std::uint32_t rect_reserved;
};
GAUGE_ASSERT_OFFSET(mouse_rect, box_x, 4);
GAUGE_ASSERT_OFFSET(mouse_rect, box_y, 8);
GAUGE_ASSERT_OFFSET(mouse_rect, box_w, 12);
GAUGE_ASSERT_OFFSET(mouse_rect, box_h, 16);
GAUGE_ASSERT_OFFSET(mouse_rect, cursor, 20);
GAUGE_ASSERT_OFFSET(mouse_rect, help_id, 24);
GAUGE_ASSERT_OFFSET(mouse_rect, mouse_flags, 28);
GAUGE_ASSERT_OFFSET(mouse_rect, event_id, 32);
GAUGE_ASSERT_OFFSET(mouse_rect, click_callback, 36);
GAUGE_ASSERT_OFFSET(mouse_rect, rect_reserved, 40);
GAUGE_ASSERT_SIZE(mouse_rect, 44);

// A simulator variable as a module reads it; the host writes `value`.
struct module_variable {
    std::uint32_t token; // 0: no simulator variable, the module owns `value`
    std::uint32_t var_reserved1;
    std::uint32_t var_reserved2;
    double value;
    std::uint32_t var_reserved_value[2];
};
GAUGE_ASSERT_OFFSET(module_variable, var_reserved1, 4);
GAUGE_ASSERT_OFFSET(module_variable, var_reserved2, 8);
GAUGE_ASSERT_OFFSET(module_variable, value, 12);
GAUGE_ASSERT_OFFSET(module_variable, var_reserved_value, 20);
GAUGE_ASSERT_SIZE(module_variable, 28);

// Callbacks of the dynamic elements: a variable callback gets the module variable just
// before it in the element, an element callback (version 700 icon) the element itself, a
// string callback the value of the string's first variable.
using variable_callback_fn = double(GAUGE_CALL *)(module_variable *variable);
using element_callback_fn = double(GAUGE_CALL *)(element_header *element);
using string_callback_fn = double(GAUGE_CALL *)(double value);

struct nonlinearity_row {
    std::int32_t point_x; // a point of the dial, gauge coordinates
    std::int32_t point_y;
    double row_value;
    std::uint32_t row_host[2];
};
GAUGE_ASSERT_OFFSET(nonlinearity_row, row_value, 8);
GAUGE_ASSERT_SIZE(nonlinearity_row, 24);

struct needle_element {
    element_header header;
    module_variable variable;
    variable_callback_fn callback;
    std::uint32_t needle_reserved[3];
    std::int32_t needle_point_x;
    std::int32_t needle_point_y;
    nonlinearity_row *nonlinearity;
    std::uint32_t nonlinearity_rows;
    std::int32_t needle_param;
    std::uint32_t needle_host[25];
};
GAUGE_ASSERT_OFFSET(needle_element, variable, 0x3C);
GAUGE_ASSERT_OFFSET(needle_element, callback, 0x58);
GAUGE_ASSERT_OFFSET(needle_element, needle_reserved, 0x5C);
GAUGE_ASSERT_OFFSET(needle_element, needle_point_x, 0x68);
GAUGE_ASSERT_OFFSET(needle_element, needle_point_y, 0x6C);
GAUGE_ASSERT_OFFSET(needle_element, nonlinearity, 0x70);
GAUGE_ASSERT_OFFSET(needle_element, nonlinearity_rows, 0x74);
GAUGE_ASSERT_OFFSET(needle_element, needle_param, 0x78);
GAUGE_ASSERT_OFFSET(needle_element, needle_host, 0x7C);
GAUGE_ASSERT_SIZE(needle_element, 0xE0);

struct icon_element {
    element_header header;
    module_variable variable;
    variable_callback_fn callback; // version 700: null
    std::uint32_t icon_param1;
    std::uint32_t icon_param2;
    double icon_param3;
    std::uint32_t icon_param4;
    std::uint32_t state_count;
    std::uint32_t icon_host[4];
};
GAUGE_ASSERT_OFFSET(icon_element, variable, 0x3C);
GAUGE_ASSERT_OFFSET(icon_element, callback, 0x58);
GAUGE_ASSERT_OFFSET(icon_element, icon_param1, 0x5C);
GAUGE_ASSERT_OFFSET(icon_element, icon_param2, 0x60);
GAUGE_ASSERT_OFFSET(icon_element, icon_param3, 0x64);
GAUGE_ASSERT_OFFSET(icon_element, icon_param4, 0x6C);
GAUGE_ASSERT_OFFSET(icon_element, state_count, 0x70);
GAUGE_ASSERT_OFFSET(icon_element, icon_host, 0x74);
GAUGE_ASSERT_SIZE(icon_element, 0x84);

// The version 700 icon: the callback moves to the end and receives the whole element.
struct icon_element_700 {
    element_header header;
    module_variable variable;
    variable_callback_fn callback;
    std::uint32_t icon_param1;
    std::uint32_t icon_param2;
    double icon_param3;
    std::uint32_t icon_param4;
    std::uint32_t state_count;
    std::uint32_t icon_host[4];
    element_callback_fn element_callback;
};
GAUGE_ASSERT_OFFSET(icon_element_700, state_count, 0x70);
GAUGE_ASSERT_OFFSET(icon_element_700, element_callback, 0x84);
GAUGE_ASSERT_SIZE(icon_element_700, 0x88);

struct slider_element {
    element_header header;
    module_variable x_variable;
    variable_callback_fn x_callback;
    double x_scale; // pixels per unit
    std::uint32_t x_reserved;
    module_variable y_variable;
    variable_callback_fn y_callback;
    double y_scale;
    std::uint32_t y_reserved;
    std::uint32_t slider_host[5];
};
GAUGE_ASSERT_OFFSET(slider_element, x_variable, 0x3C);
GAUGE_ASSERT_OFFSET(slider_element, x_callback, 0x58);
GAUGE_ASSERT_OFFSET(slider_element, x_scale, 0x5C);
GAUGE_ASSERT_OFFSET(slider_element, x_reserved, 0x64);
GAUGE_ASSERT_OFFSET(slider_element, y_variable, 0x68);
GAUGE_ASSERT_OFFSET(slider_element, y_callback, 0x84);
GAUGE_ASSERT_OFFSET(slider_element, y_scale, 0x88);
GAUGE_ASSERT_OFFSET(slider_element, y_reserved, 0x90);
GAUGE_ASSERT_OFFSET(slider_element, slider_host, 0x94);
GAUGE_ASSERT_SIZE(slider_element, 0xA8);

struct moving_image_element {
    element_header header;
    module_variable x_variable;
    variable_callback_fn x_callback;
    double x_min;
    double x_max;
    std::uint32_t x_reserved;
    module_variable y_variable;
    variable_callback_fn y_callback;
    double y_min;
    double y_max;
    std::uint32_t y_reserved;
    std::uint32_t moving_host[20];
};
GAUGE_ASSERT_OFFSET(moving_image_element, x_variable, 0x3C);
GAUGE_ASSERT_OFFSET(moving_image_element, x_callback, 0x58);
GAUGE_ASSERT_OFFSET(moving_image_element, x_min, 0x5C);
GAUGE_ASSERT_OFFSET(moving_image_element, x_max, 0x64);
GAUGE_ASSERT_OFFSET(moving_image_element, x_reserved, 0x6C);
GAUGE_ASSERT_OFFSET(moving_image_element, y_variable, 0x70);
GAUGE_ASSERT_OFFSET(moving_image_element, y_callback, 0x8C);
GAUGE_ASSERT_OFFSET(moving_image_element, y_min, 0x90);
GAUGE_ASSERT_OFFSET(moving_image_element, y_max, 0x98);
GAUGE_ASSERT_OFFSET(moving_image_element, y_reserved, 0xA0);
GAUGE_ASSERT_OFFSET(moving_image_element, moving_host, 0xA4);
GAUGE_ASSERT_SIZE(moving_image_element, 0xF4);

struct string_element {
    element_header header;
    module_variable variables[3]; // a slot with token 0 names no variable
    std::uint32_t string_reserved1[9];
    string_callback_fn callback;
    char *text; // set by the host before it calls the callback
    std::uint32_t string_reserved2;
    std::int32_t box_width;
    std::int32_t box_height;
    std::uint32_t string_reserved3[2];
    std::uint32_t text_colour; // 0x00BBGGRR; the callback may rewrite it
    std::uint32_t colour2;
    std::uint32_t colour3;
    std::uint32_t string_reserved4[7];
    char font_name[32];
    std::int32_t font_weight;
    std::uint32_t font_charset;
    std::uint32_t text_format;
    std::uint32_t max_chars; // not counting the terminating NUL
    std::uint32_t string_host[4];
};
GAUGE_ASSERT_OFFSET(string_element, variables, 0x3C);
GAUGE_ASSERT_OFFSET(string_element, string_reserved1, 0x90);
GAUGE_ASSERT_OFFSET(string_element, callback, 0xB4);
GAUGE_ASSERT_OFFSET(string_element, text, 0xB8);
GAUGE_ASSERT_OFFSET(string_element, string_reserved2, 0xBC);
GAUGE_ASSERT_OFFSET(string_element, box_width, 0xC0);
GAUGE_ASSERT_OFFSET(string_element, box_height, 0xC4);
GAUGE_ASSERT_OFFSET(string_element, string_reserved3, 0xC8);
GAUGE_ASSERT_OFFSET(string_element, text_colour, 0xD0);
GAUGE_ASSERT_OFFSET(string_element, colour2, 0xD4);
GAUGE_ASSERT_OFFSET(string_element, colour3, 0xD8);
GAUGE_ASSERT_OFFSET(string_element, string_reserved4, 0xDC);
GAUGE_ASSERT_OFFSET(string_element, font_name, 0xF8);
GAUGE_ASSERT_OFFSET(string_element, font_weight, 0x118);
GAUGE_ASSERT_OFFSET(string_element, font_charset, 0x11C);
GAUGE_ASSERT_OFFSET(string_element, text_format, 0x120);
GAUGE_ASSERT_OFFSET(string_element, max_chars, 0x124);
GAUGE_ASSERT_OFFSET(string_element, string_host, 0x128);
GAUGE_ASSERT_SIZE(string_element, 0x138);

#pragma pack(pop)

// The two records every module exports.
extern "C" GAUGE_EXPORT module_linkage Linkage;
extern "C" GAUGE_EXPORT import_table ImportTable;
