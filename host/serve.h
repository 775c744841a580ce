// `gaugebench serve`: the panel live in a browser. The bench runs every gauge at the panel
// rate and plays the simulator's part (responses to key events); the page shows the panel,
// takes clicks, and reads and writes variables, named variables and shared blocks.
#pragma once

#include "block.h"
#include "panel.h"
#include "responses.h"

#include <cstdint>
#include <deque>
#include <iosfwd>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace bench {

// The answer to one request of the page.
struct reply {
    int status = 200;
    std::string type = "application/json";
    std::string body;
    std::map<std::string, std::string> headers;
};

// The live panel as the page operates it. Gauges may be called by one thread at a time, so
// every member takes the one lock.
class live_bench {
public:
    live_bench(const panel_layout &layout, const flight_state &state, std::vector<response> responses);
    ~live_bench();

    // One panel frame of every gauge, then the responses to the key events the frame sent.
    void frame();

    // GET /panel.png: the panel as it looks after the last frame, drawn once for every page;
    // the header X-Panel-Frame numbers the frame.
    reply picture();
    // GET /state: frame, gauges, variables read, named variables, blocks, windows, and the
    // events logged after number `since`.
    reply state(std::uint64_t since);
    // POST bodies, JSON: /click {"x":X,"y":Y} in panel pixels; /variable {"token":"0x93",
    // "value":V}; /named {"name":N,"value":V}; /block {"block":N,"offset":O,"bytes":[...]}.
    reply click(const std::string &body);
    reply set_variable(const std::string &body);
    reply set_named_variable(const std::string &body);
    reply write_block(const std::string &body);

    std::vector<std::string> layout_errors() const;
    int width() const;
    int height() const;

private:
    struct logged {
        std::uint64_t number;
        std::string gauge;
        std::string text;
        std::vector<std::string> responses;
    };
    struct gauge_seen {
        std::size_t key_events = 0, window_toggles = 0;
    };
    struct open_block {
        std::string name;
        std::size_t shown; // bytes the page shows
        std::unique_ptr<shared_block> block;
    };

    void collect();
    void note_tokens();
    void change_variable(std::uint32_t token, double value);
    double value(std::uint32_t token) const;
    void log(const std::string &gauge, std::string text, std::vector<std::string> responses = {});

    mutable std::mutex lock_;
    std::unique_ptr<live_panel> panel_;
    std::vector<response> responses_;
    std::map<std::uint32_t, double> values_;
    std::map<std::uint32_t, std::set<std::string>> readers_; // token: the gauges that read it
    std::vector<gauge_seen> seen_;
    std::deque<logged> log_;
    std::uint64_t logged_ = 0;
    std::vector<open_block> blocks_;
    std::uint64_t frames_ = 0;
    std::uint64_t picture_frame_ = 0;
    std::string picture_png_;
};

// The page's files, built into the program (web/).
struct web_file {
    const char *name; // "/index.html"
    const char *type; // "text/html"
    const unsigned char *bytes;
    std::size_t size;
};
extern const web_file web_files[];
extern const std::size_t web_file_count;

// GET of a path that is not one of the bench's own: the page's files at their names ("/" is
// the page), and nothing outside them.
reply page_file(const std::string &path);

// `gaugebench serve [PANEL_CFG] [--state FILE] [--responses FILE] [--port N] [--bind ADDR]`,
// the arguments after "serve": serves until interrupted, then returns the exit status.
int serve_command(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &errors);

extern const char serve_usage[];

} // namespace bench
