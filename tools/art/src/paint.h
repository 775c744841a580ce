// The panel's shared look: paint and marking colours, and the drawing pieces several gauges
// use (panel paint, screws, bezels, window recesses, dial ticks, knobs). Light falls from the
// upper left in every picture; shading does not turn with a turning part.
#pragma once

#include "surface.h"

#include <initializer_list>

inline constexpr colour panel_paint{64, 68, 73};
inline constexpr colour marking_white{236, 236, 230};
inline constexpr colour dial_face{24, 24, 26};
inline constexpr colour glass_black{14, 15, 17};

struct point {
    double x = 0;
    double y = 0;
};

// A point at radius from centre, degrees clockwise from straight up.
point polar(point centre, double radius, double degrees_from_up);

// Centre of pixel (x, y): the point a pivot given in whole pixels stands for.
constexpr point pixel_centre(int x, int y) { return {x + 0.5, y + 0.5}; }

void rounded_rectangle(cairo_t* cr, double x, double y, double w, double h, double corner);

// Fill the current path with a gradient: colours evenly spaced from one point to the other,
// or from an inner circle to an outer one.
void fill_linear(cairo_t* cr, point from, point to, std::initializer_list<colour> stops);
void fill_radial(cairo_t* cr, point inner_centre, double inner_radius, point outer_centre, double outer_radius,
                 colour inner, colour outer);

// Panel paint over the whole w x h picture.
void fill_panel(cairo_t* cr, int width, int height);

void draw_screw(cairo_t* cr, point centre, double radius, double slot_degrees);

// A soft shadow of a round part, cast down and to the right.
void draw_round_shadow(cairo_t* cr, point centre, double radius, double spread);

// Metal ring of a round instrument between the two radii, with its shadow on the panel.
void draw_round_bezel(cairo_t* cr, point centre, double inner_radius, double outer_radius);

// A cut-out in the panel (window, slot, display) with its floor colour, bevelled edges and
// inner shadow; the rectangle is the visible floor.
void draw_recess(cairo_t* cr, double x, double y, double w, double h, double corner, colour floor);

// Dial marking: a line from inner to outer radius at the angle (degrees clockwise from up).
void draw_radial_line(cairo_t* cr, point centre, double inner_radius, double outer_radius, double degrees,
                      double width, colour ink);

// The dark round opening a knob turns in, with its lit rim; radius is the opening's.
void draw_knob_collar(cairo_t* cr, point centre, double radius);

// The cap over a needle's pivot.
void draw_needle_hub(cairo_t* cr, point centre, double radius);

struct grip_look {
    colour top, middle, bottom;  // shading from the lit top edge down
};

// A raised rounded grip (lever handle, button cap) with its shadow, lit from above.
void draw_grip(cairo_t* cr, double x, double y, double w, double h, double corner, const grip_look& look);

struct knurled_knob_look {
    double radius;
    int ridges;
    colour body;
    int cap_marks;     // lines on the cap, evenly spaced, that show the turn
    colour mark_ink;
};

// A round knob with a ridged rim, turned by turn_degrees.
void draw_knurled_knob(cairo_t* cr, point centre, double turn_degrees, const knurled_knob_look& look);

struct bar_knob_look {
    double skirt_radius;
    double bar_length;
    double bar_width;
};

// A selector knob: a round skirt under a bar whose white line points at pointing_degrees.
void draw_bar_knob(cairo_t* cr, point centre, double pointing_degrees, const bar_knob_look& look);
