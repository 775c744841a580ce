// The bench host: module binding, the panel service table, and the host's state.
#include "gauge_host.h"

#include "services.h"

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include "control.h"
#include "resources.h"
#include "sound.h"
#include "user_interface.h"
#endif

#include <algorithm>
#include <array>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <span>
#include <utility>

namespace bench {
namespace {

// The host whose module is running a routine or callback right now, and the hosts alive.
gauge_host *active_host = nullptr;
// Where a call at an unexpected offset leaves the module: the trap cannot know how many
// arguments its caller pushed, so it must not return into the module.
std::jmp_buf *trap_exit = nullptr;
std::vector<gauge_host *> live_hosts;

constexpr std::size_t service_slots = 64;
constexpr std::size_t largest_tree = 1024;
constexpr std::size_t deepest_tree = 64;
constexpr std::size_t longest_mouse_list = 1024;
constexpr std::size_t longest_import_table = 64;

template <typename Pointer> std::uintptr_t word(Pointer pointer) {
    if constexpr (std::is_pointer_v<Pointer>)
        return reinterpret_cast<std::uintptr_t>(pointer);
    else
        return static_cast<std::uintptr_t>(pointer);
}

bool file_exists(const std::string &path) { return std::ifstream(path).good(); }

// Gauge code runs with the x87 unit rounding to double precision, as Windows starts every
// thread and as the panel system runs its gauges; a 32-bit Linux process starts at extended
// precision, which would change results. Elsewhere arithmetic is in double precision anyway.
struct gauge_precision {
#if defined(__i386__)
    std::uint16_t saved;
    gauge_precision() {
        asm volatile("fnstcw %0" : "=m"(saved));
        std::uint16_t rounding = std::uint16_t((saved & ~0x300) | 0x200);
        asm volatile("fldcw %0" : : "m"(rounding));
    }
    ~gauge_precision() { asm volatile("fldcw %0" : : "m"(saved)); }
#endif
};

BOOL WINAPI collect_resource_id(HMODULE, LPCSTR, LPSTR name, LONG_PTR found) {
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<std::uint32_t> *>(found)->push_back(
            std::uint32_t(reinterpret_cast<std::uintptr_t>(name)));
    return TRUE;
}

} // namespace

std::string hex_text(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

std::string element_kind_name(std::uint32_t element_type) {
    static const char *const names[] = {"static image", "needle", "string", "slider", "icon", "moving image"};
    return element_type < std::size(names) ? names[element_type] : "unknown kind " + std::to_string(element_type);
}

std::string find_module(const std::string &name_or_path) {
    if (name_or_path.find_first_of("/\\") != std::string::npos || file_exists(name_or_path))
        return name_or_path;
    std::string directory = std::filesystem::path(program_directory() + "/../modules/").lexically_normal().string();
#if defined(_WIN32)
    const char *suffixes[] = {".gau", ".dll"};
#else
    const char *suffixes[] = {".so"};
#endif
    for (const char *suffix : suffixes)
        if (file_exists(directory + name_or_path + suffix))
            return directory + name_or_path + suffix;
    return directory + name_or_path + suffixes[0];
}

std::vector<placed_rect> read_mouse_list(const mouse_rect *list, std::string &error) {
    std::vector<placed_rect> placed;
    struct origin {
        int x, y;
    };
    std::vector<origin> groups;
    for (std::size_t i = 0; i < longest_mouse_list; ++i) {
        const mouse_rect &rect = list[i];
        origin base = groups.empty() ? origin{0, 0} : groups.back();
        int depth = int(groups.size());
        // Corners are added up in 64 bits; one that leaves the int range is a fault of the list.
        std::int64_t corner_x = std::int64_t(base.x) + rect.box_x, corner_y = std::int64_t(base.y) + rect.box_y;
        if ((rect.rect_kind == rect_group_start || rect.rect_kind == rect_click_area) &&
            (corner_x != int(corner_x) || corner_y != int(corner_y))) {
            error = "mouse list record " + std::to_string(i + 1) + " lies outside the coordinate range";
            return placed;
        }
        switch (rect.rect_kind) {
        case rect_list_end:
            if (!groups.empty())
                error = "mouse list ends with " + std::to_string(groups.size()) + " group(s) still open";
            placed.push_back({&rect, 0, 0, 0});
            return placed;
        case rect_group_start:
            placed.push_back({&rect, depth, int(corner_x), int(corner_y)});
            groups.push_back({int(corner_x), int(corner_y)});
            break;
        case rect_click_area:
            placed.push_back({&rect, depth, int(corner_x), int(corner_y)});
            break;
        case rect_group_end:
            if (groups.empty()) {
                error = "mouse list record " + std::to_string(i + 1) + " ends a group that was never started";
                return placed;
            }
            groups.pop_back();
            placed.push_back({&rect, depth - 1, 0, 0});
            break;
        default:
            error = "mouse list record " + std::to_string(i + 1) + " has unknown kind " +
                    std::to_string(rect.rect_kind);
            return placed;
        }
    }
    error = "mouse list has no list end within " + std::to_string(longest_mouse_list) + " records";
    return placed;
}

// The service table's entry points. Each records the call on the host whose module is
// calling and acts on that host's state.
struct gauge_host::services {
    static gauge_host &host(const char *service) {
        if (active_host != nullptr)
            return *active_host;
        gauge_host &last = *live_hosts.back();
        last.error(std::string(service) + " called outside every gauge routine and callback");
        return last;
    }

    static void GAUGE_CALL element_refresh(element_header *element) {
        host("element_refresh").record("element_refresh", {word(element)});
    }
    static void *GAUGE_CALL element_list_query(element_header *top) {
        gauge_host &h = host("element_list_query");
        h.record("element_list_query", {word(top)}, word(h.query_token()));
        h.check_top("element_list_query", top);
        return h.query_token();
    }
    static void GAUGE_CALL element_list_install(element_header *top, void *instance) {
        gauge_host &h = host("element_list_install");
        h.record("element_list_install", {word(top), word(instance)});
        h.check_top("element_list_install", top);
        if (instance != h.library_)
            h.error("element_list_install received instance " + hex_text(word(instance)) +
                    ", not the module's own handle");
        h.host_records_.clear();
        for (element_header *element : h.walk_tree()) {
            element->host_pos_x = element->position_x;
            element->host_pos_y = element->position_y;
            if (element->element_type == element_static_image) {
                h.host_records_.push_back({std::uint32_t(h.host_records_.size() + 1), 0});
                reinterpret_cast<static_image *>(element)->host_image = &h.host_records_.back();
            }
        }
    }
    static void GAUGE_CALL element_list_initialize(element_header *top) { element_list_call("element_list_initialize", top); }
    static void GAUGE_CALL element_list_update(element_header *top) {
        element_list_call("element_list_update", top).evaluate_tree();
    }
    static void GAUGE_CALL element_list_draw(element_header *top) { element_list_call("element_list_draw", top); }
    static void GAUGE_CALL element_list_generate(element_header *top, std::uint32_t phase) {
        gauge_host &h = host("element_list_generate");
        h.record("element_list_generate", {word(top), phase});
        h.check_top("element_list_generate", top);
    }
    static void GAUGE_CALL element_list_kill(element_header *top) {
        gauge_host &h = element_list_call("element_list_kill", top);
        for (element_header *element : h.walk_tree()) {
            element->host_pos_x = 0;
            element->host_pos_y = 0;
            if (element->element_type == element_static_image)
                reinterpret_cast<static_image *>(element)->host_image = nullptr;
            if (element->element_type == element_string)
                reinterpret_cast<string_element *>(element)->text = nullptr;
        }
        h.host_records_.clear();
        h.views_.clear();
        h.text_buffers_.clear();
    }
    static gauge_host &element_list_call(const char *service, element_header *top) {
        gauge_host &h = host(service);
        h.record(service, {word(top)});
        h.check_top(service, top);
        return h;
    }

    static void GAUGE_CALL mouse_list_install(mouse_rect *list, gauge_header *gauge, std::uint32_t *host_word) {
        gauge_host &h = host("mouse_list_install");
        h.record("mouse_list_install", {word(list), word(gauge), word(host_word)});
        auto *top_image = reinterpret_cast<static_image *>(h.top());
        auto *expected = top_image->host_image ? &static_cast<host_image_record *>(top_image->host_image)->mouse_word
                                               : nullptr;
        if (expected == nullptr || host_word != expected)
            h.error("mouse_list_install received " + hex_text(word(host_word)) +
                    ", not byte 4 of the top element's host record");
        if (gauge != h.gauge_)
            h.error("mouse_list_install received a gauge header that is not the module's");
        if (h.find_mouse_list(list) != h.mouse_lists_.end())
            h.error("mouse_list_install of a list already installed");
        else
            h.mouse_lists_.push_back({list, gauge, false});
    }
    static void GAUGE_CALL mouse_list_register(mouse_rect *list, gauge_header *gauge) {
        gauge_host &h = host("mouse_list_register");
        h.record("mouse_list_register", {word(list), word(gauge)});
        auto found = h.find_mouse_list(list);
        if (found == h.mouse_lists_.end())
            h.error("mouse_list_register of a list that was never installed");
        else
            found->registered = true;
    }
    static void GAUGE_CALL mouse_list_unregister(mouse_rect *list, gauge_header *gauge) {
        gauge_host &h = host("mouse_list_unregister");
        h.record("mouse_list_unregister", {word(list), word(gauge)});
        auto found = h.find_mouse_list(list);
        if (found == h.mouse_lists_.end() || !found->registered)
            h.error("mouse_list_unregister of a list that is not registered");
        else
            h.mouse_lists_.erase(found);
    }

    static std::uint32_t GAUGE_CALL panel_window_toggle(std::uint32_t window_id) {
        gauge_host &h = host("panel_window_toggle");
        bool shown = !h.window_shown(window_id);
        h.windows_[window_id] = shown;
        h.window_toggles_.push_back(window_id);
        h.record("panel_window_toggle", {window_id}, shown ? 1 : 0);
        return shown ? 1 : 0;
    }
    static void GAUGE_CALL key_event_trigger(std::uint32_t event_id, std::uint32_t value) {
        gauge_host &h = host("key_event_trigger");
        h.record("key_event_trigger", {event_id, value});
        h.key_events_.push_back({event_id, value});
    }

    static void GAUGE_CALL named_variable_register(void *storage, std::uint32_t type_code, const char *name) {
        gauge_host &h = host("named_variable_register");
        h.record("named_variable_register", {word(storage), type_code, word(name)});
        if (storage == nullptr || name == nullptr)
            h.error("named_variable_register without storage or name");
        else
            h.named_variables_[name] = {storage, type_code};
    }
    static void GAUGE_CALL named_variables_unregister() {
        gauge_host &h = host("named_variables_unregister");
        h.record("named_variables_unregister", {});
        h.named_variables_.clear();
    }
    static void GAUGE_CALL module_variable_initialize(module_variable *variable) {
        gauge_host &h = host("module_variable_initialize");
        h.record("module_variable_initialize", {word(variable)});
    }
    static void GAUGE_CALL module_variable_lookup(module_variable *variable) {
        gauge_host &h = host("module_variable_lookup");
        h.record("module_variable_lookup", {word(variable)});
        if (variable != nullptr)
            h.refresh_variable(*variable);
    }

    template <std::size_t slot> static void GAUGE_CALL trap() {
        host("panel service").error("panel service at unexpected offset " + hex_text(slot * 4));
        if (trap_exit != nullptr)
            std::longjmp(*trap_exit, 1);
    }

    template <std::size_t... slot> static std::array<void (*)(), service_slots> traps(std::index_sequence<slot...>) {
        return {reinterpret_cast<void (*)()>(&trap<slot>)...};
    }

    static const std::array<void (*)(), service_slots> &table() {
        static const std::array<void (*)(), service_slots> built = [] {
            auto slots = traps(std::make_index_sequence<service_slots>());
            auto set = [&](std::uint32_t offset, auto function) {
                slots[service_slot(offset)] = reinterpret_cast<void (*)()>(function);
            };
            set(offset_element_refresh, &element_refresh);
            set(offset_element_list_query, &element_list_query);
            set(offset_element_list_install, &element_list_install);
            set(offset_element_list_initialize, &element_list_initialize);
            set(offset_element_list_update, &element_list_update);
            set(offset_element_list_generate, &element_list_generate);
            set(offset_element_list_draw, &element_list_draw);
            set(offset_element_list_kill, &element_list_kill);
            set(offset_mouse_list_install, &mouse_list_install);
            set(offset_mouse_list_register, &mouse_list_register);
            set(offset_mouse_list_unregister, &mouse_list_unregister);
            set(offset_panel_window_toggle, &panel_window_toggle);
            set(offset_key_event_trigger, &key_event_trigger);
            set(offset_named_variable_register, &named_variable_register);
            set(offset_module_variable_initialize, &module_variable_initialize);
            set(offset_module_variable_lookup, &module_variable_lookup);
            set(offset_named_variables_unregister, &named_variables_unregister);
            return slots;
        }();
        return built;
    }
};

// Runs `call` with this host as the one whose module is calling. A trapped service call
// abandons the module's code and returns a zero result here; nothing between the setjmp and
// the module has a destructor to skip.
template <typename Call> auto gauge_host::calling(Call call) {
    using result_type = decltype(call());
    [[maybe_unused]] gauge_precision as_the_host_runs_gauges;
    gauge_host *previous = std::exchange(active_host, this);
    std::jmp_buf *outer = std::exchange(trap_exit, nullptr);
    std::jmp_buf exit;
    trap_exit = &exit;
    if constexpr (std::is_void_v<result_type>) {
        if (setjmp(exit) == 0)
            call();
        trap_exit = outer;
        active_host = previous;
    } else {
        volatile result_type result{};
        if (setjmp(exit) == 0)
            result = call();
        trap_exit = outer;
        active_host = previous;
        return result;
    }
}

gauge_host::gauge_host(const std::string &module) : name_(module), path_(find_module(module)) {
    auto fail = [&](const std::string &fault) {
        if (library_ != nullptr)
            close_library(library_);
        throw load_error("\"" + module + "\": " + fault);
    };
    if (path_ != module && !file_exists(path_))
        fail("no module of that name (no file \"" + path_ + "\")");
    std::string reason;
    library_ = open_library(path_, reason);
    if (library_ == nullptr)
        fail("cannot be loaded as a module: " + reason);
    imports_ = static_cast<import_table *>(library_symbol(library_, "ImportTable"));
    linkage_ = static_cast<module_linkage *>(library_symbol(library_, "Linkage"));
    if (linkage_ == nullptr)
        fail("not a gauge module: it exports no Linkage");
    if (imports_ == nullptr)
        fail("not a gauge module: it exports no ImportTable");
    // The records the bench reads before it calls the module must lie in the module itself.
    auto outside = [&](const void *record, std::size_t size) { return !library_contains(library_, record, size); };
    if (outside(linkage_, sizeof *linkage_))
        fail("its Linkage lies outside the module");
    if (linkage_->module_id != gauge_module_id)
        fail("not a gauge module: its module id is " + hex_text(linkage_->module_id) + ", not 0x13");
    if (linkage_->gauge_headers[0] == nullptr)
        fail("its Linkage lists no gauge header");
    if (linkage_->gauge_headers[1] != nullptr)
        fail("its Linkage's gauge header list is not ended by null after one header");
    gauge_ = linkage_->gauge_headers[0];
    if (outside(gauge_, sizeof *gauge_))
        fail("its gauge header lies outside the module");
    if (gauge_->header_version != header_version_610 && gauge_->header_version != header_version_700)
        fail("its gauge header version is " + std::to_string(gauge_->header_version) + ", not 610 or 700");
    if (gauge_->element_list == nullptr || outside(gauge_->element_list, sizeof gauge_->element_list[0]) ||
        gauge_->element_list[0] == nullptr)
        fail("its gauge header has no top element");

    import_entry *services_entry = nullptr;
    import_entry *entries = imports_->entries;
    for (std::size_t i = 0; i < longest_import_table; ++i) {
        if (outside(&entries[i], sizeof entries[i]))
            fail("its ImportTable runs outside the module");
        if (entries[i].import_id == 0)
            break;
        if (entries[i].import_id == panel_service_import_id)
            services_entry = &entries[i];
    }
    if (services_entry == nullptr)
        fail("its ImportTable has no panel service entry (0x0F)");
    services_entry->import_pointer = const_cast<void (**)()>(services::table().data());

    live_hosts.push_back(this);
#if !defined(_WIN32)
    // The bench plays the simulator's main window, for gauges that look for it.
    static int main_window;
    platform::set_main_window(&main_window);
#endif
    if (linkage_->module_init != nullptr)
        calling([&] { linkage_->module_init(); });
}

gauge_host::~gauge_host() {
    if (installed_)
        kill();
    if (linkage_->module_deinit != nullptr)
        calling([&] { linkage_->module_deinit(); });
    std::erase(live_hosts, this);
    close_library(library_);
}

void gauge_host::record(const char *service, std::vector<std::uintptr_t> arguments, std::uintptr_t result) {
    if (!keeping_calls_)
        return;
#if defined(_WIN32)
    std::size_t platform_calls = 0;
#else
    std::size_t platform_calls = platform::recorded_call_count();
#endif
    calls_.push_back({service, std::move(arguments), result, platform_calls});
}

void gauge_host::check_top(const char *service, element_header *element) {
    if (element != top())
        error(std::string(service) + " received " + hex_text(word(element)) + ", not the gauge's top element");
}

std::vector<gauge_host::mouse_registration>::iterator gauge_host::find_mouse_list(mouse_rect *list) {
    return std::find_if(mouse_lists_.begin(), mouse_lists_.end(),
                        [&](const mouse_registration &r) { return r.list == list; });
}

std::vector<element_header *> gauge_host::walk_tree() {
    std::vector<element_header *> order;
    // An element met again is a cycle or a shared child. Searching the few elements met so far
    // costs less than a set's allocation per element at every update.
    auto met = [&](element_header *element) { return std::find(order.begin(), order.end(), element) != order.end(); };
    auto visit = [&](auto &self, element_header *element, std::size_t depth) -> void {
        if (met(element)) {
            error("element tree reaches its " + element_kind_name(element->element_type) + " element at " +
                  hex_text(word(element)) + " twice, through a cycle or a second parent; the bench skips it");
            return;
        }
        if (order.size() >= largest_tree || depth > deepest_tree) {
            error("element tree is larger than " + std::to_string(largest_tree) + " elements or deeper than " +
                  std::to_string(deepest_tree) + " levels; the bench skips the rest");
            return;
        }
        order.push_back(element);
        if (element->next_elements == nullptr)
            return;
        for (element_header **child = element->next_elements; *child != nullptr; ++child)
            self(self, *child, depth + 1);
    };
    visit(visit, top(), 0);
    return order;
}

std::vector<element_header *> gauge_host::elements() { return walk_tree(); }

void *gauge_host::query() {
    return calling([&] { return gauge_->query_routine(); });
}

// A version 700 gauge also hears from the host through its gauge callback: service 3 with
// the module handle once it is installed, service 12 before it is killed.
constexpr std::uint32_t service_gauge_created = 3;
constexpr std::uint32_t service_gauge_destroying = 12;

void gauge_host::install() {
    calling([&] { gauge_->install_routine(library_); });
    installed_ = true;
    gauge_callback(service_gauge_created, reinterpret_cast<std::uintptr_t>(library_));
}

void gauge_host::initialize() {
    calling([&] { gauge_->initialize_routine(); });
}
void gauge_host::update() {
    calling([&] { gauge_->update_routine(); });
}
void gauge_host::generate(std::uint32_t phase) {
    calling([&] { gauge_->generate_routine(phase); });
}
void gauge_host::draw() {
    calling([&] { gauge_->draw_routine(); });
}

void gauge_host::kill() {
    gauge_callback(service_gauge_destroying, 0);
    calling([&] { gauge_->kill_routine(); });
    installed_ = false;
}

void gauge_host::gauge_callback(std::uint32_t service_id, std::uintptr_t parameter) {
    if (gauge_->header_version == header_version_700 && gauge_->gauge_callback != nullptr)
        calling([&] { gauge_->gauge_callback(0, service_id, parameter); });
}

void gauge_host::frame() {
    update();
    draw();
#if !defined(_WIN32)
    platform::advance_sound_clock(frame_milliseconds);
#endif
}

const mouse_rect *gauge_host::live_mouse_list() const {
    if (gauge_->header_version == header_version_700)
        return installed_ ? gauge_->mouse_rects : nullptr;
    for (const mouse_registration &registration : mouse_lists_)
        if (registration.registered)
            return registration.list;
    return nullptr;
}

click_record gauge_host::click(int x, int y) {
    click_record outcome{x, y, "no click area"};
    const mouse_rect *list = live_mouse_list();
    if (list == nullptr) {
        outcome.outcome = "no mouse list is live";
        clicks_.push_back(outcome);
        return outcome;
    }
    std::string fault;
    std::vector<placed_rect> placed = read_mouse_list(list, fault);
    if (!fault.empty())
        error(fault);
    for (const placed_rect &area : placed) {
        const mouse_rect &rect = *area.rect;
        if (rect.rect_kind != rect_click_area || x < area.x || y < area.y ||
            x >= std::int64_t(area.x) + rect.box_w || y >= std::int64_t(area.y) + rect.box_h)
            continue;
        if (rect.event_id != 0) {
            key_events_.push_back({rect.event_id, 0});
            outcome.outcome = "key event " + hex_text(rect.event_id);
        } else if (rect.click_callback != nullptr) {
            std::uint32_t result = calling([&] { return rect.click_callback(std::uint32_t(x), std::uint32_t(y)); });
            outcome.outcome = "callback returned " + std::to_string(result);
        } else {
            outcome.outcome = "click area without key event or callback";
        }
        break;
    }
    clicks_.push_back(outcome);
    return outcome;
}

bool gauge_host::window_shown(std::uint32_t window_id) const {
    auto found = windows_.find(window_id);
    return found != windows_.end() && found->second;
}

void gauge_host::refresh_variable(module_variable &record) const {
    constexpr std::uint32_t integer_valued_token = 0x2E7;
    if (record.token == 0)
        return;
    double value = variable(record.token);
    unsigned char bytes[8] = {};
    if (record.token == integer_valued_token) {
        // Written as a signed 32-bit integer in the first four bytes, zero in the last four.
        std::int32_t whole = 0;
        if (std::isfinite(value))
            whole = std::int32_t(std::clamp(std::trunc(value), -2147483648.0, 2147483647.0));
        std::memcpy(bytes, &whole, sizeof whole);
    } else {
        std::memcpy(bytes, &value, sizeof value);
    }
    std::memcpy(&record.value, bytes, sizeof bytes);
}

double gauge_host::variable(std::uint32_t token) const {
    auto found = variables_.find(token);
    return found == variables_.end() ? 0.0 : found->second;
}

std::map<std::string, double> gauge_host::named_variables() const {
    std::map<std::string, double> current;
    for (const auto &[name, variable] : named_variables_) {
        double value;
        std::memcpy(&value, variable.storage, sizeof value);
        current[name] = value;
    }
    return current;
}

bool gauge_host::set_named_variable(const std::string &name, double value) {
    auto found = named_variables_.find(name);
    if (found == named_variables_.end())
        return false;
    std::memcpy(const_cast<void *>(found->second.storage), &value, sizeof value);
    return true;
}

std::vector<std::uint32_t> gauge_host::resource_ids(const char *type) {
#if !defined(_WIN32)
    platform::bench_own_calls own;
#endif
    std::vector<std::uint32_t> ids;
    EnumResourceNamesA(static_cast<HMODULE>(library_), type ? type : RT_BITMAP, collect_resource_id,
                       reinterpret_cast<LONG_PTR>(&ids));
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::span<const std::uint8_t> gauge_host::resource(std::uint32_t id, const char *type) {
#if !defined(_WIN32)
    platform::bench_own_calls own;
#endif
    auto module = static_cast<HMODULE>(library_);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type ? type : RT_BITMAP);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    auto *bytes = static_cast<const std::uint8_t *>(loaded ? LockResource(loaded) : nullptr);
    if (bytes == nullptr)
        return {};
    return {bytes, SizeofResource(module, found)};
}

const image *gauge_host::bitmap(std::uint32_t id) {
    auto cached = bitmaps_.find(id);
    if (cached != bitmaps_.end())
        return cached->second.get();
    std::unique_ptr<image> decoded;
    std::span<const std::uint8_t> bytes = resource(id);
    if (bytes.empty()) {
        error("bitmap " + std::to_string(id) + " is not among the module's resources");
    } else {
        std::string fault;
        image picture = decode_bitmap(bytes, fault);
        if (fault.empty())
            decoded = std::make_unique<image>(std::move(picture));
        else
            error("bitmap " + std::to_string(id) + ": " + fault);
    }
    return (bitmaps_[id] = std::move(decoded)).get();
}

image gauge_host::render(int scale) {
    const image *background = bitmap(top()->bitmap_id);
    if (background == nullptr)
        return {};
    image canvas(background->width, background->height);
    draw_image(canvas, *background, top()->position_x, top()->position_y, true);
    for (element_header *element : walk_tree())
        if (element != top() && (element->image_flags & image_hidden) == 0 && !view(element).blank)
            draw_element(canvas, element);
    return scale_image(std::move(canvas), scale);
}

} // namespace bench
