// The panel preview: many gauges laid out by a panel.cfg [Window..] section, all reading one
// flight state, drawn together on a panel.
#pragma once

#include "block.h"
#include "gauge_host.h"
#include "image.h"

#include <cstdint>
#include <iosfwd>
#include <map>
#include <memory>
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

// What a flight-state file sets: simulator variables, and what partner modules have written
// into shared blocks, in file order.
struct flight_state {
    std::map<std::uint32_t, double> variables;
    std::vector<block_write> blocks;
    bool operator==(const flight_state &) const = default;
};

// Reads `TOKEN=VALUE` lines (token decimal or hex with 0x) and block writes,
// `write NAME OFFSET TEXT` and `write-hex NAME OFFSET HEX`; blank lines and comments starting
// with # or // are skipped. Each bad line adds one line to `errors`.
flight_state read_flight_state(std::istream &in, const std::string &file, std::vector<std::string> &errors);

// Every gauge of a layout loaded at once and kept running: the panel as the simulator holds it.
class live_panel {
public:
    // Loads each gauge of the layout (a line naming a missing module or another gauge goes to
    // layout_errors()), gives it every variable of `state`, queries, installs and initializes
    // it; then makes the state's block writes, as partner modules would. No frame runs yet.
    live_panel(const panel_layout &layout, const flight_state &state);

    struct gauge_in_panel {
        panel_gauge line; // the layout line it came from
        std::unique_ptr<gauge_host> host;
        int x, y, width, height; // where it is drawn, in panel pixels at scale 1
    };
    std::vector<gauge_in_panel> &gauges() { return gauges_; }
    const std::vector<std::string> &layout_errors() const { return layout_errors_; }
    // Faults the bench found in the gauges so far, "PATH: text".
    std::vector<std::string> gauge_errors() const;

    // One panel frame of every gauge, in layout order.
    void frame();
    // Sets a variable in every gauge's simulator state.
    void set_variable(std::uint32_t token, double value);
    // A click at panel coordinates goes to the topmost gauge under it, in that gauge's own
    // coordinates (undoing a size the layout line gives); nothing when no gauge is there.
    std::optional<click_record> click(int x, int y);

    // The panel at scale 1: it reaches past the farthest gauge by a margin.
    int width() const { return width_; }
    int height() const { return height_; }
    // Every gauge as it looks now, over the panel paint (black pixels of a gauge let the
    // paint show, as in the simulator); the picture stays valid until the next render.
    const image &render(int scale = 1);

private:
    std::vector<gauge_in_panel> gauges_;
    std::vector<std::string> layout_errors_;
    int width_ = 0, height_ = 0;
    image canvas_, scaled_;
};

struct panel_picture {
    image picture;
    // Lines of the layout that name a module that cannot be loaded, or whose gauge has
    // another name: the picture leaves those gauges out.
    std::vector<std::string> layout_errors;
    // Faults the bench found in gauges while running them, by module path.
    std::vector<std::string> gauge_errors;
};

// The live panel of the layout after a few frames, drawn; `scale` enlarges the whole picture.
panel_picture render_panel(const panel_layout &layout, const flight_state &state, int scale = 1);

// Frames each gauge runs with the flight state before it is drawn.
constexpr int panel_frames = 3;
constexpr rgba panel_paint = {52, 58, 62, 255};
constexpr int panel_margin = 10;

// The layout of all fourteen gauges and the flight state the bench uses when none is given:
// an airliner climbing steadily through 12,000 feet on a standard day.
extern const char default_panel_cfg[];
extern const char default_flight_state[];

// Reads the layout of `layout_file` and the flight state of `state_file`, or for an empty
// name the bench's own; each fault adds a line to `errors`.
void read_panel_inputs(const std::string &layout_file, const std::string &state_file, panel_layout &layout,
                       flight_state &state, std::vector<std::string> &errors);

// `gaugebench panel [PANEL_CFG] [--state FILE] -o FILE.png [--scale N]`, the arguments
// after "panel": returns the exit status.
int panel_command(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &errors);

extern const char panel_usage[];

} // namespace bench
