// `gaugebench serve`: the live bench behind the page, and the HTTP server that serves both.
#include "serve.h"

#include "control.h"
#include "gauge_host.h"
#include "image.h"
#include "lines.h"
#include "numbers.h"

#include <httplib.h>
#include <png.h>
#include <nlohmann/json.hpp>

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <ostream>
#include <sstream>
#include <thread>

namespace bench {
namespace {

using json = nlohmann::ordered_json;

constexpr std::size_t logged_kept = 1000;        // the page shows the events logged since it asked last
constexpr std::size_t largest_body = 16 * 1024;  // every request the page makes is far smaller
constexpr std::size_t errors_shown = 20;
constexpr int default_port = 8018;

// The shared blocks the panel's gauges exchange with modules outside it, and the bytes the
// page shows of each: the gear panel reads the first word of one, the map mode switch keeps
// its text in the other.
struct known_block {
    const char *name;
    std::size_t size; // when the bench is the first to open it; 0: the allocation granularity
    std::size_t shown;
};
constexpr known_block known_blocks[] = {
    {"QUORVAL_COM_IPC", 0, 16},
    {"NDPassData", 20, 20},
};

reply json_reply(const json &body, int status = 200) { return {status, "application/json", body.dump()}; }
reply refusal(int status, const std::string &text) { return json_reply({{"error", text}}, status); }

// A request whose body the bench cannot act on.
struct bad_request {
    std::string text;
};

json parse_body(const std::string &body) {
    json parsed = json::parse(body, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object())
        throw bad_request{"the body is not a JSON object"};
    return parsed;
}

double number_field(const json &body, const char *name) {
    auto found = body.find(name);
    if (found == body.end() || !found->is_number() || !std::isfinite(found->get<double>()))
        throw bad_request{in_quotes(name) + " must be a finite number"};
    return found->get<double>();
}

int whole_field(const json &body, const char *name, int lowest, int highest) {
    auto found = body.find(name);
    if (found == body.end() || !found->is_number_integer() || found->get<std::int64_t>() < lowest ||
        found->get<std::int64_t>() > highest)
        throw bad_request{in_quotes(name) + " must be a whole number from " + std::to_string(lowest) + " to " +
                          std::to_string(highest)};
    return int(found->get<std::int64_t>());
}

std::string text_field(const json &body, const char *name) {
    auto found = body.find(name);
    if (found == body.end() || !found->is_string())
        throw bad_request{in_quotes(name) + " must be a text"};
    return found->get<std::string>();
}

std::uint32_t token_field(const json &body) {
    auto found = body.find("token");
    std::optional<std::uint32_t> token;
    if (found != body.end() && found->is_string())
        token = read_token(found->get<std::string>());
    else if (found != body.end() && found->is_number_unsigned() && found->get<std::uint64_t>() <= UINT32_MAX)
        token = std::uint32_t(found->get<std::uint64_t>());
    if (!token)
        throw bad_request{"\"token\" must be a token: a number, or a text decimal or hex with 0x"};
    return *token;
}

// Runs a request's action, answering a body it cannot act on with 400 and the reason.
reply answering(const std::function<reply()> &action) {
    try {
        return action();
    } catch (const bad_request &fault) {
        return refusal(400, fault.text);
    }
}

std::string printable(const std::vector<unsigned char> &bytes) {
    std::string text;
    for (unsigned char byte : bytes)
        text += byte >= 0x20 && byte < 0x7F ? char(byte) : '.';
    return text;
}

std::string hex_bytes(const std::vector<unsigned char> &bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 0xF];
    }
    return text;
}

std::string gauge_name(const live_panel::gauge_in_panel &gauge) { return gauge.line.gauge_name; }

// The picture as a PNG file in memory, made for speed rather than size: a page fetches one
// every frame.
std::string png_of(const image &picture) {
    std::string bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(
        png, &bytes,
        [](png_structp to, png_bytep data, std::size_t size) {
            static_cast<std::string *>(png_get_io_ptr(to))->append(reinterpret_cast<const char *>(data), size);
        },
        nullptr);
    png_set_IHDR(png, info, std::uint32_t(picture.width), std::uint32_t(picture.height), 8, PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_write_info(png, info);
    static_assert(sizeof(rgba) == 4);
    for (int y = 0; y < picture.height; ++y)
        png_write_row(png, reinterpret_cast<png_const_bytep>(&picture.at(0, y)));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

} // namespace

live_bench::live_bench(const panel_layout &layout, const flight_state &state, std::vector<response> responses)
    : panel_(std::make_unique<live_panel>(layout, state)), responses_(std::move(responses)),
      values_(state.variables), seen_(panel_->gauges().size()) {
    for (const known_block &known : known_blocks) {
        auto block = std::make_unique<shared_block>(known.name, known.size);
        if (block->is_open())
            blocks_.push_back({known.name, known.shown, std::move(block)});
    }
    // What the gauges asked for while they were installed and initialized.
    note_tokens();
}

live_bench::~live_bench() = default;

std::vector<std::string> live_bench::layout_errors() const {
    std::lock_guard hold(lock_);
    return panel_->layout_errors();
}

int live_bench::width() const {
    std::lock_guard hold(lock_);
    return panel_->width();
}

int live_bench::height() const {
    std::lock_guard hold(lock_);
    return panel_->height();
}

void live_bench::frame() {
    std::lock_guard hold(lock_);
    panel_->frame();
    ++frames_;
    note_tokens();
    collect();
}

// The tokens of every variable a gauge reads: those its elements carry, and those of the
// module variables it initializes or looks up. The call log is emptied here, so that it does
// not grow with every frame.
void live_bench::note_tokens() {
    for (live_panel::gauge_in_panel &gauge : panel_->gauges()) {
        auto note = [&](const module_variable &variable) {
            if (variable.token != 0)
                readers_[variable.token].insert(gauge_name(gauge));
        };
        for (element_header *element : gauge.host->elements()) {
            switch (element->element_type) {
            case element_needle:
                note(reinterpret_cast<needle_element *>(element)->variable);
                break;
            case element_icon:
                note(reinterpret_cast<icon_element *>(element)->variable);
                break;
            case element_slider:
                note(reinterpret_cast<slider_element *>(element)->x_variable);
                note(reinterpret_cast<slider_element *>(element)->y_variable);
                break;
            case element_moving_image:
                note(reinterpret_cast<moving_image_element *>(element)->x_variable);
                note(reinterpret_cast<moving_image_element *>(element)->y_variable);
                break;
            case element_string:
                for (const module_variable &variable : reinterpret_cast<string_element *>(element)->variables)
                    note(variable);
                break;
            default:
                break;
            }
        }
        for (const service_call &call : gauge.host->calls())
            if ((call.service == "module_variable_lookup" || call.service == "module_variable_initialize") &&
                !call.arguments.empty() && call.arguments[0] != 0)
                note(*reinterpret_cast<const module_variable *>(call.arguments[0]));
        gauge.host->clear_calls();
    }
}

// Logs the key events and window toggles the gauges sent since the last look, and plays the
// simulator's part: each key event's responses, in table order.
void live_bench::collect() {
    std::vector<live_panel::gauge_in_panel> &gauges = panel_->gauges();
    for (std::size_t i = 0; i < gauges.size(); ++i) {
        gauge_host &host = *gauges[i].host;
        for (; seen_[i].key_events < host.key_events().size(); ++seen_[i].key_events) {
            key_event event = host.key_events()[seen_[i].key_events];
            std::vector<std::string> done;
            for (const response &line : responses_) {
                if (line.event != event.event)
                    continue;
                double before = value(line.token);
                double after = respond(line, [this](std::uint32_t token) { return value(token); });
                change_variable(line.token, after);
                std::ostringstream text;
                text << hex_text(line.token) << ": " << before << " -> " << after;
                done.push_back(text.str());
            }
            log(gauge_name(gauges[i]),
                "key event " + hex_text(event.event) + " value " + std::to_string(event.value), done);
        }
        for (; seen_[i].window_toggles < host.window_toggles().size(); ++seen_[i].window_toggles) {
            std::uint32_t window = host.window_toggles()[seen_[i].window_toggles];
            log(gauge_name(gauges[i]),
                "window " + std::to_string(window) + (host.window_shown(window) ? " shown" : " hidden"));
        }
    }
}

void live_bench::log(const std::string &gauge, std::string text, std::vector<std::string> responses) {
    log_.push_back({++logged_, gauge, std::move(text), std::move(responses)});
    if (log_.size() > logged_kept)
        log_.pop_front();
}

void live_bench::change_variable(std::uint32_t token, double value) {
    values_[token] = value;
    panel_->set_variable(token, value);
}

double live_bench::value(std::uint32_t token) const {
    auto found = values_.find(token);
    return found == values_.end() ? 0.0 : found->second;
}

reply live_bench::picture() {
    std::lock_guard hold(lock_);
    if (picture_png_.empty() || picture_frame_ != frames_) {
        picture_png_ = png_of(panel_->render());
        picture_frame_ = frames_;
    }
    return {200, "image/png", picture_png_, {{"X-Panel-Frame", std::to_string(picture_frame_)}}};
}

reply live_bench::state(std::uint64_t since) {
    std::lock_guard hold(lock_);
    json body;
    body["frame"] = frames_;
    body["width"] = panel_->width();
    body["height"] = panel_->height();
    json gauges = json::array(), named = json::array(), windows = json::array();
    for (live_panel::gauge_in_panel &gauge : panel_->gauges()) {
        gauges.push_back({{"gauge", gauge_name(gauge)},
                          {"module", gauge.line.module},
                          {"x", gauge.x},
                          {"y", gauge.y},
                          {"width", gauge.width},
                          {"height", gauge.height}});
        for (const auto &[name, value] : gauge.host->named_variables())
            named.push_back({{"name", name}, {"value", value}, {"gauge", gauge_name(gauge)}});
        for (const auto &[window, shown] : gauge.host->windows())
            windows.push_back({{"window", window}, {"shown", shown}, {"gauge", gauge_name(gauge)}});
    }
    body["gauges"] = gauges;
    json variables = json::array();
    for (const auto &[token, readers] : readers_)
        variables.push_back({{"token", hex_text(token)}, {"value", value(token)}, {"readers", readers}});
    body["variables"] = variables;
    body["named_variables"] = named;
    json blocks = json::array();
    for (const open_block &open : blocks_) {
        std::vector<unsigned char> bytes = open.block->read(0, open.shown);
        blocks.push_back({{"block", open.name}, {"hex", hex_bytes(bytes)}, {"text", printable(bytes)}});
    }
    body["blocks"] = blocks;
    body["windows"] = windows;
    json events = json::array();
    for (const logged &entry : log_)
        if (entry.number > since)
            events.push_back({{"number", entry.number},
                              {"gauge", entry.gauge},
                              {"text", entry.text},
                              {"responses", entry.responses}});
    body["events"] = events;
    json table = json::array();
    for (const response &line : responses_)
        table.push_back(response_text(line));
    body["responses"] = table;
    std::vector<std::string> faults = panel_->gauge_errors();
    if (faults.size() > errors_shown)
        faults.erase(faults.begin(), faults.end() - errors_shown);
    body["errors"] = faults;
    return json_reply(body);
}

reply live_bench::click(const std::string &body) {
    return answering([&] {
        json request = parse_body(body);
        std::lock_guard hold(lock_);
        int x = whole_field(request, "x", 0, panel_->width() - 1);
        int y = whole_field(request, "y", 0, panel_->height() - 1);
        std::optional<click_record> done = panel_->click(x, y);
        collect();
        return json_reply({{"x", x}, {"y", y}, {"outcome", done ? done->outcome : "no gauge there"}});
    });
}

reply live_bench::set_variable(const std::string &body) {
    return answering([&] {
        json request = parse_body(body);
        std::uint32_t token = token_field(request);
        double value = number_field(request, "value");
        std::lock_guard hold(lock_);
        change_variable(token, value);
        return json_reply({{"token", hex_text(token)}, {"value", value}});
    });
}

reply live_bench::set_named_variable(const std::string &body) {
    return answering([&] {
        json request = parse_body(body);
        std::string name = text_field(request, "name");
        double value = number_field(request, "value");
        std::lock_guard hold(lock_);
        bool found = false;
        for (live_panel::gauge_in_panel &gauge : panel_->gauges())
            found = gauge.host->set_named_variable(name, value) || found;
        if (!found)
            return refusal(404, "no gauge registered the named variable " + in_quotes(name));
        return json_reply({{"name", name}, {"value", value}});
    });
}

reply live_bench::write_block(const std::string &body) {
    return answering([&] {
        json request = parse_body(body);
        std::string name = text_field(request, "block");
        int offset = whole_field(request, "offset", 0, INT_MAX);
        auto found = request.find("bytes");
        if (found == request.end() || !found->is_array())
            throw bad_request{"\"bytes\" must be a list of numbers from 0 to 255"};
        std::vector<unsigned char> bytes;
        for (const json &byte : *found) {
            if (!byte.is_number_unsigned() || byte.get<std::uint64_t>() > 255)
                throw bad_request{"\"bytes\" must be a list of numbers from 0 to 255"};
            bytes.push_back((unsigned char)byte.get<std::uint64_t>());
        }
        std::lock_guard hold(lock_);
        auto open = std::find_if(blocks_.begin(), blocks_.end(), [&](const open_block &b) { return b.name == name; });
        if (open == blocks_.end())
            return refusal(404, "no shared block " + in_quotes(name));
        if (!open->block->write(std::size_t(offset), bytes))
            return refusal(400, "the bytes do not fit in " + in_quotes(name) + " at offset " + std::to_string(offset));
        return json_reply({{"block", name}, {"offset", offset}, {"bytes", bytes.size()}});
    });
}

reply page_file(const std::string &path) {
    const std::string wanted = path == "/" ? "/index.html" : path;
    for (std::size_t i = 0; i < web_file_count; ++i)
        if (wanted == web_files[i].name)
            return {200, web_files[i].type,
                    std::string(reinterpret_cast<const char *>(web_files[i].bytes), web_files[i].size)};
    return refusal(404, "no such page file " + in_quotes(path));
}

namespace {

struct usage_error {
    std::string text;
};

struct serve_line {
    std::string layout_file, state_file, responses_file;
    std::string bind = "127.0.0.1";
    int port = default_port;
};

serve_line parse_serve_line(const std::vector<std::string> &arguments) {
    serve_line line;
    auto set_port = [&](const std::string &text) {
        std::optional<int> port = read_whole_number(text);
        if (!port || *port < 0 || *port > 65535)
            throw usage_error{"--port must be from 0 to 65535, not " + in_quotes(text)};
        line.port = *port;
    };
    const verb_options options = {
        {"--state", [&](const std::string &text) { line.state_file = text; }},
        {"--responses", [&](const std::string &text) { line.responses_file = text; }},
        {"--bind", [&](const std::string &text) { line.bind = text; }},
        {"--port", set_port},
    };
    if (std::optional<std::string> fault = read_arguments(arguments, options, "serve", line.layout_file))
        throw usage_error{*fault};
    return line;
}

// The routes of the page and its requests; anything else is refused.
void route(httplib::Server &server, live_bench &bench) {
    auto send = [](httplib::Response &response, const reply &answer) {
        response.status = answer.status;
        response.set_content(answer.body, answer.type.c_str());
        response.set_header("Cache-Control", "no-store");
        for (const auto &[name, value] : answer.headers)
            response.set_header(name, value);
    };
    // A path that climbs out of the page's files is refused before any route sees it.
    server.set_pre_routing_handler([send](const httplib::Request &request, httplib::Response &response) {
        if (request.path.find("..") == std::string::npos && request.path.find('\\') == std::string::npos)
            return httplib::Server::HandlerResponse::Unhandled;
        send(response, refusal(400, "the path " + in_quotes(request.path) + " is outside the bench's own"));
        return httplib::Server::HandlerResponse::Handled;
    });
    server.Get("/panel.png", [&bench, send](const httplib::Request &, httplib::Response &response) {
        send(response, bench.picture());
    });
    server.Get("/state", [&bench, send](const httplib::Request &request, httplib::Response &response) {
        std::uint64_t since = 0;
        if (request.has_param("since"))
            since = std::strtoull(request.get_param_value("since").c_str(), nullptr, 10);
        send(response, bench.state(since));
    });
    const std::pair<const char *, reply (live_bench::*)(const std::string &)> posts[] = {
        {"/click", &live_bench::click},
        {"/variable", &live_bench::set_variable},
        {"/named", &live_bench::set_named_variable},
        {"/block", &live_bench::write_block},
    };
    for (const auto &post : posts)
        server.Post(post.first, [&bench, send, action = post.second](const httplib::Request &request,
                                                                      httplib::Response &response) {
            send(response, (bench.*action)(request.body));
        });
    server.Get(".*", [send](const httplib::Request &request, httplib::Response &response) {
        send(response, page_file(request.path));
    });
    // Errors the library answers by itself (a request too large, no such route) get a body
    // that says so; the routes' own answers keep theirs.
    server.set_error_handler([](const httplib::Request &, httplib::Response &response) {
        if (!response.body.empty())
            return;
        std::string text = response.status == 413 ? "the request is larger than the bench takes (" +
                                                        std::to_string(largest_body) + " bytes)"
                                                  : "HTTP status " + std::to_string(response.status);
        response.set_content(json({{"error", text}}).dump(), "application/json");
    });
    // The library's own choice, SO_REUSEPORT, would let a second bench share a port in use.
    server.set_socket_options([](socket_t socket) {
        int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    server.set_payload_max_length(largest_body);
    server.set_read_timeout(5);
    server.set_write_timeout(5);
    server.set_keep_alive_max_count(1000);
}

// Runs frames at the simulator's panel rate until `running` is cleared. A frame that comes
// late is run at once, and the clock starts afresh rather than running frames to catch up.
void run_frames(live_bench &bench, const std::atomic<bool> &running) {
    using clock = std::chrono::steady_clock;
    const auto period = std::chrono::duration_cast<clock::duration>(
        std::chrono::duration<double, std::milli>(gauge_host::frame_milliseconds));
    auto next = clock::now();
    while (running) {
        bench.frame();
        next += period;
        if (next < clock::now())
            next = clock::now();
        std::this_thread::sleep_until(next);
    }
}

} // namespace

const char serve_usage[] =
    "usage: gaugebench serve [PANEL_CFG] [--state FILE] [--responses FILE] [--port N] [--bind ADDR]\n"
    "\n"
    "Runs the gauges of PANEL_CFG (or of the bench's own panel) as a live panel at 18 frames a\n"
    "second, and serves it to a browser: the page shows the panel, sends clicks to its gauges,\n"
    "lists the key events they send, and has a control for every variable they read, their\n"
    "named variables and the shared blocks. --state gives the flight state to start from, as for\n"
    "gaugebench panel. The bench plays the simulator's part by a table of responses to key\n"
    "events, its own for its panel or the one of --responses FILE, one line each:\n"
    "  EVENT step TOKEN AMOUNT MIN MAX   add AMOUNT, staying within MIN to MAX\n"
    "  EVENT set TOKEN VALUE\n"
    "  EVENT toggle TOKEN [A B]          A becomes B, anything else A (A B default to 0 1)\n"
    "  EVENT follow TOKEN SOURCE FACTOR  the value of SOURCE times FACTOR\n"
    "The server listens on 127.0.0.1 (--bind ADDR for another address) at port 8018 (--port N;\n"
    "0 picks a free one), prints the address to open, and runs until interrupted.\n"
    "Example:\n"
    "  gaugebench serve --port 8080 --responses my_responses.txt\n";

int serve_command(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &errors) {
    serve_line line;
    try {
        if (std::find(arguments.begin(), arguments.end(), "--help") != arguments.end()) {
            out << serve_usage;
            return 0;
        }
        line = parse_serve_line(arguments);
    } catch (const usage_error &error) {
        errors << "gaugebench: " << error.text << " (gaugebench serve --help shows the usage)\n";
        return 2;
    }
    std::vector<std::string> input_errors;
    panel_layout layout;
    flight_state state;
    read_panel_inputs(line.layout_file, line.state_file, layout, state, input_errors);
    std::vector<response> responses;
    if (line.responses_file.empty()) {
        std::istringstream in(default_responses);
        responses = read_responses(in, "(built-in responses)", input_errors);
    } else if (std::ifstream in(line.responses_file); !in) {
        input_errors.push_back("cannot read " + in_quotes(line.responses_file));
    } else {
        responses = read_responses(in, line.responses_file, input_errors);
    }
    for (const std::string &error : input_errors)
        errors << "gaugebench: " << error << "\n";
    if (!input_errors.empty())
        return 2;

    // SIGINT and SIGTERM are taken by one thread of their own, which stops the server; every
    // thread started from here on leaves them to it.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

    // The server runs for as long as it is wanted: the platform's log of Windows calls, which
    // it never reads, would grow with every frame.
    platform::keep_call_log(false);
    run_block_namespace blocks("serve");
    live_bench bench(layout, state, std::move(responses));
    for (const std::string &error : bench.layout_errors())
        errors << "gaugebench: " << error << "\n";
    httplib::Server server;
    route(server, bench);
    int port = line.port;
    bool bound = false;
    if (port == 0) {
        port = server.bind_to_any_port(line.bind);
        bound = port > 0;
    } else {
        bound = server.bind_to_port(line.bind, port);
    }
    if (!bound) {
        int fault = errno;
        errors << "gaugebench: cannot listen on " << line.bind << " port " << line.port << ": "
               << (fault == EADDRINUSE ? "the port is in use (--port N picks another)" : std::strerror(fault))
               << "\n";
        return 1;
    }
    std::string shown = line.bind.find(':') != std::string::npos ? "[" + line.bind + "]" : line.bind;
    out << "gaugebench: serving the panel at http://" << shown << ":" << port << "/ (interrupt to stop)"
        << std::endl;

    std::atomic<bool> running = true, signalled = false;
    std::thread frames(run_frames, std::ref(bench), std::cref(running));
    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stop_signals, &signal);
        signalled = true;
        server.stop();
    });
    bool served = server.listen_after_bind();
    running = false;
    frames.join();
    // A server that stopped by itself leaves the stopper waiting: a signal of our own ends it.
    if (!signalled)
        pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    if (!served && !signalled) {
        errors << "gaugebench: the server stopped on a fault\n";
        return 1;
    }
    out << "gaugebench: stopped" << std::endl;
    return 0;
}

} // namespace bench
