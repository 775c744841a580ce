// The bench's stand-in for the panel system: loads one gauge module, hands it the panel
// service table, drives its routines, and records everything the module asks of the host.
#pragma once

#include "gauge.h"
#include "image.h"
#include "library.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench {

// A module that cannot be loaded or is not a gauge module; the text names the module as it
// was given, in quotes, and the fault.
struct load_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Resolves a deliverable name to its module in the build's modules directory; a path is kept.
std::string find_module(const std::string &name_or_path);

struct service_call {
    std::string service;
    std::vector<std::uintptr_t> arguments;
    std::uintptr_t result = 0; // for the services that return a value
    std::size_t platform_calls_before = 0; // where it falls among the substituted Windows calls
};

struct key_event {
    std::uint32_t event;
    std::uint32_t value;
};

// A mouse rectangle placed in gauge coordinates, with its nesting depth.
struct placed_rect {
    const mouse_rect *rect;
    int depth;
    int x, y; // top-left corner after adding the origins of the enclosing groups
};

// Reads a mouse rectangle list the way the host does. A list that is malformed (no list end,
// a group end without a group start) stops there and sets `error`.
std::vector<placed_rect> read_mouse_list(const mouse_rect *list, std::string &error);

struct click_record {
    int x, y;
    std::string outcome; // "key event 0x100D8", "callback returned 1", "no click area"
};

// What the host made of one element at its last update.
struct element_view {
    double value_x = 0;    // callback result (or variable) of the x axis; needle, icon and string: the one value
    double value_y = 0;    // slider and moving image: the y axis
    double angle = 0;      // needle: degrees clockwise from +x, after the nonlinearity table
    int state = -1;        // icon: the picture shown, -1 for none
    double offset_x = 0;   // slider and moving image: pixels the picture is shifted
    double offset_y = 0;
    std::string text;      // string
    std::uint32_t colour = 0; // string: 0x00BBGGRR
    bool blank = false;    // an active failure blanks the element
};

// What the bench does to an element whose failure list names an active failure.
enum failure_effect : std::uint32_t {
    failure_freezes = 1, // keeps what it showed
    failure_rests = 2,   // shows every value as 0
    failure_blanks = 3,  // is not drawn
};

// The host-owned record that a static image's host_image points to; mouse_list_install
// receives the address of the word at byte 4.
struct host_image_record {
    std::uint32_t element_index;
    std::uint32_t mouse_word;
};
static_assert(offsetof(host_image_record, mouse_word) == 4);

class gauge_host {
public:
    // Loads the module (a path, or a deliverable name: see find_module), fills its import
    // table, checks its linkage and calls module_init.
    explicit gauge_host(const std::string &module);
    // Kills a gauge still installed, calls module_deinit and unloads the module.
    ~gauge_host();
    gauge_host(const gauge_host &) = delete;
    gauge_host &operator=(const gauge_host &) = delete;

    // The gauge routines, called as the panel system calls them.
    void *query();
    void install();
    void initialize();
    void update();
    void generate(std::uint32_t phase);
    void draw();
    void kill();
    void gauge_callback(std::uint32_t service_id, std::uintptr_t parameter);

    // One panel frame: update, then draw; sounds play on for one frame's time.
    void frame();
    static constexpr double frame_milliseconds = 1000.0 / 18;
    // A click at gauge coordinates, hit-tested against the live mouse lists.
    click_record click(int x, int y);

    const std::string &name() const { return name_; } // the module as it was given
    const std::string &path() const { return path_; }
    library_handle instance() const { return library_; }
    module_linkage &linkage() const { return *linkage_; }
    import_table &imports() const { return *imports_; }
    gauge_header &gauge() const { return *gauge_; }
    element_header *top() const { return gauge_->element_list[0]; }
    bool installed() const { return installed_; }

    // Every element of the tree, depth first, parents before children.
    std::vector<element_header *> elements();
    // The mouse list the host holds live (registered, or the version 700 header's), or null.
    const mouse_rect *live_mouse_list() const;

    const std::vector<service_call> &calls() const { return calls_; }
    void clear_calls() { calls_.clear(); }
    // Whether service calls are kept (they are from the start); a long run switches it off so
    // that the record does not grow without bound.
    void keep_calls(bool keep) { keeping_calls_ = keep; }
    const std::vector<key_event> &key_events() const { return key_events_; }
    const std::vector<std::uint32_t> &window_toggles() const { return window_toggles_; }
    bool window_shown(std::uint32_t window_id) const;
    const std::map<std::uint32_t, bool> &windows() const { return windows_; }
    const std::vector<click_record> &clicks() const { return clicks_; }
    const std::vector<std::string> &errors() const { return errors_; }
    void *query_token() const { return const_cast<host_image_record *>(&query_token_); }

    // The simulator's state: a value per variable token; a token never set reads 0.0.
    void set_variable(std::uint32_t token, double value) { variables_[token] = value; }
    double variable(std::uint32_t token) const;
    // Makes a host failure active (see failure_effect).
    void set_failure(std::uint32_t key) { failures_.insert(key); }

    // What the host made of the element at the last element_list_update.
    const element_view &view(const element_header *element) { return views_[element]; }
    // Named variables the module registered, with the current content of their storage.
    std::map<std::string, double> named_variables() const;
    // Writes a named variable's storage, as another gauge reading it could; false when the
    // module registered no variable of that name.
    bool set_named_variable(const std::string &name, double value);

    // The numeric ids of the module's resources of one type, ascending; `type` is a name
    // ("WAVE") or null for bitmaps.
    std::vector<std::uint32_t> resource_ids(const char *type = nullptr);
    // The bytes of one resource (type as above), or an empty span if the module has none.
    std::span<const std::uint8_t> resource(std::uint32_t id, const char *type = nullptr);

    // The module's BITMAP resource, decoded; null (and an error recorded) if it is missing or bad.
    const image *bitmap(std::uint32_t id);
    // The gauge as the host would draw it now.
    image render(int scale = 1);

    // Records a fault of the module once, however often the host meets it again.
    void error(std::string text) {
        if (std::find(errors_.begin(), errors_.end(), text) == errors_.end())
            errors_.push_back(std::move(text));
    }

    // Entry points of the service table; each acts on the host whose module is calling.
    struct services;

private:
    struct mouse_registration {
        mouse_rect *list;
        gauge_header *gauge;
        bool registered;
    };
    struct named_variable {
        const void *storage;
        std::uint32_t type_code;
    };

    template <typename Call> auto calling(Call call);
    void record(const char *service, std::vector<std::uintptr_t> arguments, std::uintptr_t result = 0);
    void check_top(const char *service, element_header *element);
    std::vector<element_header *> walk_tree();
    std::vector<mouse_registration>::iterator find_mouse_list(mouse_rect *list);
    void refresh_variable(module_variable &variable) const;
    void evaluate_tree();
    void evaluate(element_header *element, element_view &view, bool at_rest);
    std::uint32_t active_failure_effect(const element_header *element) const;
    void draw_element(image &canvas, element_header *element);

    std::string name_;
    std::string path_;
    library_handle library_ = nullptr;
    module_linkage *linkage_ = nullptr;
    import_table *imports_ = nullptr;
    gauge_header *gauge_ = nullptr;
    bool installed_ = false;

    std::vector<service_call> calls_;
    bool keeping_calls_ = true;
    std::vector<key_event> key_events_;
    std::vector<std::uint32_t> window_toggles_;
    std::map<std::uint32_t, bool> windows_;
    std::vector<click_record> clicks_;
    std::vector<std::string> errors_;
    std::deque<host_image_record> host_records_;
    std::vector<mouse_registration> mouse_lists_;
    std::map<std::uint32_t, double> variables_;
    std::map<std::string, named_variable> named_variables_;
    std::map<std::uint32_t, std::unique_ptr<image>> bitmaps_;
    std::set<std::uint32_t> failures_;
    std::map<const element_header *, element_view> views_;
    std::map<const element_header *, std::vector<char>> text_buffers_;
    host_image_record query_token_{};
};

std::string element_kind_name(std::uint32_t element_type);
std::string hex_text(std::uint64_t value); // "0x100D8"

} // namespace bench
