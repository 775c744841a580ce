// The panel preview: many gauges laid out by a panel.cfg [Window..] section, all reading one
// flight state, drawn together on a panel.
#pragma once

#include "image.h"

#include <cstdint>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace bench {

// One `gaugeNN=module!gauge, x, y[, w[, h]]` line.
struct panel_gauge {
    std::string module;     // as written: a deliverable name or a path
    std::string gauge_name; // the part after "!", compared letter for letter
    int x = 0, y = 0;
    std::optional<int> width, height; // the size to draw the gauge at; its own size if absent
    int line = 0;           // where it stands in the file
};

struct panel_layout {
    std::string file;    // the file name as given, for messages
    std::string section; // the [Window..] section the gauges came from
    std::vector<panel_gauge> gauges;
};

// Reads the first [Window..] section that has gauge lines (section names and keys in any
// case; "//" starts a comment; keys other than gaugeNN are ignored). Each bad gauge line,
// or a file without such a section, adds one line to `errors`: "FILE:LINE: what: "text"".
panel_layout read_panel_cfg(std::istream &in, const std::string &file, std::vector<std::string> &errors);

// Simulator variable values by token.
using flight_state = std::map<std::uint32_t, double>;

// Reads `TOKEN=VALUE` lines (token decimal or hex with 0x); blank lines and comments
// starting with # or // are skipped. Each bad line adds one line to `errors`.
flight_state read_flight_state(std::istream &in, const std::string &file, std::vector<std::string> &errors);

struct panel_picture {
    image picture;
    // Lines of the layout that name a module that cannot be loaded, or whose gauge has
    // another name: the picture leaves those gauges out.
    std::vector<std::string> layout_errors;
    // Faults the bench found in gauges while running them, by module path.
    std::vector<std::string> gauge_errors;
};

// Loads each gauge on its own, installs and initializes it, gives it every value of `state`,
// runs a few frames, and draws it at its place over the panel paint (black pixels of the
// gauge let the paint show, as in the simulator). The panel reaches past the farthest gauge
// by a margin; `scale` enlarges the whole picture.
panel_picture render_panel(const panel_layout &layout, const flight_state &state, int scale = 1);

// Frames each gauge runs with the flight state before it is drawn.
constexpr int panel_frames = 3;
constexpr rgba panel_paint = {52, 58, 62, 255};
constexpr int panel_margin = 10;

// The layout of all fourteen gauges and the flight state the bench uses when none is given:
// an airliner climbing steadily through 12,000 feet on a standard day.
extern const char default_panel_cfg[];
extern const char default_flight_state[];

// `gaugebench panel [PANEL_CFG] [--state FILE] -o FILE.png [--scale N]`, the arguments
// after "panel": returns the exit status.
int panel_command(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &errors);

extern const char panel_usage[];

} // namespace bench
