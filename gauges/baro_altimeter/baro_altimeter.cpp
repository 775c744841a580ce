// The barometric altimeter: altitude pointer, rolling-drum counters for altitude, MB and
// IN.HG, and a decision-height marker set by a knob and by a settings file at install.
#include "routines.h"

#include <cmath>
#include <cstdio>

namespace {

extern gauge_header altimeter_gauge;

module_variable altitude_var = {.token = 0x4A};
module_variable mb_var = {.token = 0x4B};
module_variable inhg_var = {.token = 0x4C};

std::uint32_t dh_setting;
std::uint32_t dh_knob_turns;
double dh_value; // published as "vireo_DH"
double alt_filtered; // smoothed altitude, in units of 10000 feet
double alt_drums[4];
double mb_drums[4];
double inhg_drums[4];

// A product stored as a 64-bit float, so that no wider intermediate reaches the split.
double stored(double value) {
    volatile double kept = value;
    return kept;
}

struct roll_parameters {
    double digit_threshold; // T
    double roll_threshold;  // L
    double roll_gain;       // K
    double top;             // M, the top of drum 1
};

constexpr roll_parameters mb_rolling = {.digit_threshold = 0.9, .roll_threshold = 0.9, .roll_gain = 10, .top = 10};
constexpr roll_parameters inhg_rolling = {.digit_threshold = 0.9, .roll_threshold = 0.9, .roll_gain = 10, .top = 10};
constexpr roll_parameters alt_rolling = {.digit_threshold = 0.9, .roll_threshold = 0.8, .roll_gain = 5, .top = 5};

// Turns x into four drum positions: each higher drum rolls to its next digit during the last
// part of the turn of the drums below it.
void roll_counter(double x, const roll_parameters &p, double drums[4]) {
    double i1, i2, i3;
    double f1 = std::modf(x, &i1);
    double f2 = std::modf(stored(10 * f1), &i2);
    double f3 = std::modf(stored(10 * f2), &i3);
    double roll = (1 - f3) * p.roll_gain;
    if (f1 > p.digit_threshold && f2 > p.digit_threshold && f3 > p.roll_threshold)
        i1 = i1 - roll + 1;
    if (f2 > p.digit_threshold && f3 > p.roll_threshold)
        i2 = i2 - roll + 1;
    if (f3 > p.roll_threshold)
        i3 = i3 - roll + 1;
    double d4 = stored(10 * f3);
    drums[0] = p.top - i1;
    drums[1] = 10 - i2;
    drums[2] = 10 - i3;
    drums[3] = 10 - d4;
}

// Follows small altitude changes by a tenth of the difference per update, shows jumps of
// 20 feet or more at once, and never goes below 0.
void smooth_altitude(double feet) {
    double a = feet / 10000;
    if (a < 0)
        a = 0;
    if (alt_filtered == 0)
        alt_filtered = a;
    else if (std::fabs(a - alt_filtered) < 0.002)
        alt_filtered = alt_filtered + (a - alt_filtered) / 10;
    else
        alt_filtered = a;
    if (alt_filtered < 0)
        alt_filtered = 0;
}

template <double (&drums)[4], int drum> double GAUGE_CALL drum_value(module_variable *) { return drums[drum]; }

double GAUGE_CALL drum_fixed_x(module_variable *) { return 1.0; }

double GAUGE_CALL pointer_angle(module_variable *altitude) { return altitude->value * 360 / 1000 - 90; }

double GAUGE_CALL dh_marker_angle(module_variable *) {
    double a = double(dh_setting) * 360 / 1000;
    return a >= 0 && a < 360 ? a - 90 : -90;
}

double GAUGE_CALL dh_knob_state(module_variable *) {
    dh_knob_turns = dh_knob_turns % 8;
    return dh_knob_turns;
}

// The MB value times 3, truncated, modulo 8 in its low 32 bits. Values whose product is
// not a finite number below 2^63 show picture 0 rather than converting out of range.
double GAUGE_CALL baro_knob_state(module_variable *) {
    double turns = std::trunc(mb_var.value * 3);
    if (!(std::fabs(turns) < 9223372036854775808.0))
        return 0;
    return double(std::uint32_t(static_cast<long long>(turns)) % 8);
}

std::uint32_t GAUGE_CALL dh_marker_down(std::uint32_t, std::uint32_t) {
    if (dh_setting != 0) {
        dh_setting -= 10;
        dh_knob_turns -= 1;
    }
    return 0;
}

std::uint32_t GAUGE_CALL dh_marker_up(std::uint32_t, std::uint32_t) {
    dh_setting += 10;
    if (dh_setting == 1000)
        dh_setting = 0;
    dh_knob_turns += 1;
    return 0;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Where the digits that start at `text` end.
const char *after_digits(const char *text) {
    while (is_digit(*text))
        ++text;
    return text;
}

// Where the decimal real that "%lf" converts at `text` ends: a sign, digits with a decimal
// point among or after them, an exponent; `text` itself where no real starts. The value is
// never used, so it is not computed.
const char *after_real(const char *text) {
    const char *cursor = text + (*text == '+' || *text == '-');
    const char *digits = cursor;
    cursor = after_digits(cursor);
    bool whole_digits = cursor != digits;
    if (*cursor == '.') {
        const char *fraction = cursor + 1;
        cursor = after_digits(fraction);
        if (!whole_digits && cursor == fraction)
            return text;
    } else if (!whole_digits) {
        return text;
    }
    if (*cursor == 'e' || *cursor == 'E') {
        const char *exponent = cursor + 1 + (cursor[1] == '+' || cursor[1] == '-');
        if (is_digit(*exponent))
            cursor = after_digits(exponent);
    }
    return cursor;
}

// Where the decimal integer that "%d" converts at `text` ends (`text` where none starts);
// `fits` tells whether its value is a signed 32-bit integer, stored in `value` if so.
const char *after_integer(const char *text, std::int32_t &value, bool &fits) {
    bool negative = *text == '-';
    const char *digits = text + (*text == '+' || *text == '-');
    const char *end = after_digits(digits);
    if (end == digits)
        return text;
    std::int64_t magnitude = 0;
    fits = true;
    for (const char *digit = digits; digit != end && fits; ++digit) {
        magnitude = magnitude * 10 + (*digit - '0');
        fits = magnitude <= 2147483647LL + negative;
    }
    if (fits)
        value = std::int32_t(negative ? -magnitude : magnitude);
    return end;
}

// The settings file gives the decision height its start value in its tenth field, after
// five integers, two reals and two integers. Fields are converted as "%d" and "%lf" convert
// them; scanning stops at the first that does not convert. An integer that does not fit 32
// bits is skipped over, and as field 10 leaves the setting unchanged.
void read_settings_file() {
    static char text[16384];
    std::FILE *file = std::fopen("vireoaspdbugs.txt", "r");
    if (file == nullptr)
        return;
    std::size_t length = std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    text[length] = '\0';

    constexpr int fields = 10;
    constexpr bool real_field[fields] = {false, false, false, false, false, true, true, false, false, false};
    const char *cursor = text;
    for (int field = 0; field < fields; ++field) {
        while (is_space(*cursor))
            ++cursor;
        std::int32_t whole = 0;
        bool fits = false;
        const char *end = real_field[field] ? after_real(cursor) : after_integer(cursor, whole, fits);
        if (end == cursor)
            return;
        cursor = end;
        if (field == fields - 1 && fits)
            dh_setting = std::uint32_t(whole);
    }
}

void GAUGE_CALL altimeter_update() {
    module_variable_lookup(&altitude_var);
    module_variable_lookup(&mb_var);
    module_variable_lookup(&inhg_var);
    dh_value = dh_setting;
    roll_counter(mb_var.value / 1000, mb_rolling, mb_drums);
    roll_counter(inhg_var.value / 10, inhg_rolling, inhg_drums);
    smooth_altitude(altitude_var.value);
    roll_counter(alt_filtered, alt_rolling, alt_drums);
    element_list_update(header_top<altimeter_gauge>());
}

// The drum records differ only in strip, position, range and the drum they show.
constexpr moving_image_element drum(std::uint32_t strip, std::int32_t x, std::int32_t y, double top,
                                    variable_callback_fn position, element_header **next) {
    return {
        .header = {.element_type = element_moving_image, .bitmap_id = strip, .position_x = x, .position_y = y,
                   .gauge_header = &altimeter_gauge, .next_elements = next, .image_flags = 7},
        .x_callback = drum_fixed_x,
        .x_min = 0,
        .x_max = 0,
        .y_callback = position,
        .y_min = 0,
        .y_max = top,
    };
}

extern element_header *after_background[], *after_dh_knob[], *after_baro_knob[], *after_mb4[], *after_mb3[],
    *after_mb2[], *after_mb1[], *after_inhg4[], *after_inhg3[], *after_inhg2[], *after_inhg1[], *after_alt4[],
    *after_alt3[], *after_alt2[], *after_alt1[], *after_pointer[];

static_image background = {
    .header = {.element_type = element_static_image, .bitmap_id = 1000, .gauge_header = &altimeter_gauge,
               .next_elements = after_background, .image_flags = 5},
};
icon_element dh_knob = {
    .header = {.element_type = element_icon, .bitmap_id = 4030, .position_x = 115, .position_y = 113,
               .gauge_header = &altimeter_gauge, .next_elements = after_dh_knob, .image_flags = 1},
    .callback = dh_knob_state,
    .state_count = 8,
};
icon_element baro_knob = {
    .header = {.element_type = element_icon, .bitmap_id = 4000, .position_x = 5, .position_y = 113,
               .gauge_header = &altimeter_gauge, .next_elements = after_baro_knob, .image_flags = 1},
    .callback = baro_knob_state,
    .state_count = 8,
};
moving_image_element mb4 = drum(3000, 61, 88, 10, drum_value<mb_drums, 3>, after_mb4);
moving_image_element mb3 = drum(3000, 53, 88, 10, drum_value<mb_drums, 2>, after_mb3);
moving_image_element mb2 = drum(3000, 45, 88, 10, drum_value<mb_drums, 1>, after_mb2);
moving_image_element mb1 = drum(3000, 37, 88, 10, drum_value<mb_drums, 0>, after_mb1);
moving_image_element inhg4 = drum(3000, 102, 88, 10, drum_value<inhg_drums, 3>, after_inhg4);
moving_image_element inhg3 = drum(3000, 94, 88, 10, drum_value<inhg_drums, 2>, after_inhg3);
moving_image_element inhg2 = drum(3000, 86, 88, 10, drum_value<inhg_drums, 1>, after_inhg2);
moving_image_element inhg1 = drum(3000, 78, 88, 10, drum_value<inhg_drums, 0>, after_inhg1);
moving_image_element alt4 = drum(3030, 82, 45, 10, drum_value<alt_drums, 3>, after_alt4); // twenties
moving_image_element alt3 = drum(3020, 69, 45, 10, drum_value<alt_drums, 2>, after_alt3); // hundreds
moving_image_element alt2 = drum(3020, 53, 45, 10, drum_value<alt_drums, 1>, after_alt2); // thousands
moving_image_element alt1 = drum(3040, 39, 45, 5, drum_value<alt_drums, 0>, after_alt1);  // ten-thousands
needle_element altitude_pointer = {
    .header = {.element_type = element_needle, .bitmap_id = 2000, .position_x = 72, .position_y = 72,
               .offset_x = 5, .offset_y = 5, .gauge_header = &altimeter_gauge, .next_elements = after_pointer,
               .image_flags = 7},
    .variable = {.token = 0x4A},
    .callback = pointer_angle,
    .needle_point_x = 58,
    .needle_point_y = 5,
    .needle_param = 6,
};
needle_element dh_marker = {
    .header = {.element_type = element_needle, .bitmap_id = 2030, .position_x = 72, .position_y = 72,
               .offset_x = -50, .offset_y = 5, .gauge_header = &altimeter_gauge, .image_flags = 7},
    .callback = dh_marker_angle,
    .needle_point_x = 0,
    .needle_point_y = 5,
};

// The seventeen elements form one chain, each the only child of the one before.
element_header *after_background[] = {&dh_knob.header, nullptr};
element_header *after_dh_knob[] = {&baro_knob.header, nullptr};
element_header *after_baro_knob[] = {&mb4.header, nullptr};
element_header *after_mb4[] = {&mb3.header, nullptr};
element_header *after_mb3[] = {&mb2.header, nullptr};
element_header *after_mb2[] = {&mb1.header, nullptr};
element_header *after_mb1[] = {&inhg4.header, nullptr};
element_header *after_inhg4[] = {&inhg3.header, nullptr};
element_header *after_inhg3[] = {&inhg2.header, nullptr};
element_header *after_inhg2[] = {&inhg1.header, nullptr};
element_header *after_inhg1[] = {&alt4.header, nullptr};
element_header *after_alt4[] = {&alt3.header, nullptr};
element_header *after_alt3[] = {&alt2.header, nullptr};
element_header *after_alt2[] = {&alt1.header, nullptr};
element_header *after_alt1[] = {&altitude_pointer.header, nullptr};
element_header *after_pointer[] = {&dh_marker.header, nullptr};

element_header *elements[] = {&background.header, nullptr};

mouse_rect mouse_list[] = {
    {.rect_kind = rect_group_start, .cursor = -1},
    {.rect_kind = rect_click_area, .box_x = 3, .box_y = 115, .box_w = 15, .box_h = 25, .cursor = 2,
     .mouse_flags = 0x20200000, .event_id = 0x1015C}, // baro knob, left half
    {.rect_kind = rect_click_area, .box_x = 18, .box_y = 115, .box_w = 15, .box_h = 25, .cursor = 1,
     .mouse_flags = 0x20200000, .event_id = 0x1015B}, // baro knob, right half
    {.rect_kind = rect_click_area, .box_x = 110, .box_y = 115, .box_w = 15, .box_h = 25, .cursor = 2,
     .mouse_flags = 0x20200000, .click_callback = dh_marker_down}, // DH knob, left half
    {.rect_kind = rect_click_area, .box_x = 125, .box_y = 115, .box_w = 15, .box_h = 25, .cursor = 1,
     .mouse_flags = 0x20200000, .click_callback = dh_marker_up}, // DH knob, right half
    {.rect_kind = rect_group_end, .cursor = -1},
    {.rect_kind = rect_list_end, .cursor = -1},
};

void GAUGE_CALL altimeter_install(void *instance) {
    read_settings_file();
    module_variable_initialize(&altitude_var);
    module_variable_initialize(&mb_var);
    module_variable_initialize(&inhg_var);
    gauge_install<altimeter_gauge, mouse_list>(instance);
    dh_value = dh_setting;
    named_variable_register(&dh_value, 33, "vireo_DH");
}

void GAUGE_CALL altimeter_kill() {
    named_variables_unregister();
    gauge_kill<altimeter_gauge, mouse_list>();
}

gauge_header altimeter_gauge = {
    .header_version = header_version_610,
    .gauge_name = "baro_altimeter",
    .element_list = elements,
    .query_routine = gauge_query<header_top<altimeter_gauge>>,
    .install_routine = altimeter_install,
    .initialize_routine = gauge_initialize<header_top<altimeter_gauge>>,
    .update_routine = altimeter_update,
    .generate_routine = gauge_generate<header_top<altimeter_gauge>>,
    .draw_routine = gauge_draw<header_top<altimeter_gauge>>,
    .kill_routine = altimeter_kill,
    .size_x = 83,
};

} // namespace

module_linkage Linkage = gauge_linkage(altimeter_gauge, module_init_no_work, module_deinit_no_work);
