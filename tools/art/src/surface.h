// Owned Cairo image surfaces and drawing contexts, with the colour type the pictures use.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>

struct colour {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    friend bool operator==(const colour&, const colour&) = default;
};

// Straight (not premultiplied) 8-bit colour with coverage.
struct rgba_pixel {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 0;
};

// An ARGB32 picture, fully transparent when created.
class surface {
public:
    surface(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    cairo_surface_t* get() const { return handle_.get(); }

    rgba_pixel pixel(int x, int y) const;

    // A copy of the w x h area whose top-left corner is (x, y).
    surface crop(int x, int y, int w, int h) const;

private:
    struct release {
        void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
    };
    int width_;
    int height_;
    std::unique_ptr<cairo_surface_t, release> handle_;
};

// A drawing context on a surface, with the text options every picture shares.
class canvas {
public:
    explicit canvas(surface& target);

    operator cairo_t*() const { return handle_.get(); }

private:
    struct release {
        void operator()(cairo_t* c) const { cairo_destroy(c); }
    };
    std::unique_ptr<cairo_t, release> handle_;
};

void set_colour(cairo_t* cr, colour c, double alpha = 1.0);

// c scaled towards black (factor < 1) or towards white (factor > 1).
colour shade(colour c, double factor);

// A surface of one colour.
surface flat_surface(int width, int height, colour c);
