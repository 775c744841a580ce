// Text and JSON reports of a gauge under the bench.
#include "report.h"

#if !defined(_WIN32)
#include "sound.h"
#include "user_interface.h"
#endif

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace bench {

namespace {

const char *rect_kind_name(std::uint32_t kind) {
    switch (kind) {
    case rect_list_end: return "list end";
    case rect_group_start: return "group start";
    case rect_click_area: return "click area";
    case rect_group_end: return "group end";
    default: return "unknown";
    }
}

std::string element_line(const element_header &element) {
    std::ostringstream line;
    line << element_kind_name(element.element_type);
    if (element.bitmap_id == no_bitmap)
        line << ", no bitmap";
    else
        line << ", bitmap " << element.bitmap_id;
    line << ", at (" << element.position_x << ", " << element.position_y << "), flags "
         << hex_text(element.image_flags);
    if ((element.image_flags & image_hidden) != 0)
        line << " (hidden)";
    return line.str();
}

// A double as JSON: numbers where they are finite, else the text "nan", "inf" or "-inf".
nlohmann::ordered_json number(double value) {
    if (std::isfinite(value))
        return value;
    return std::isnan(value) ? "nan" : value > 0 ? "inf" : "-inf";
}

void add_view(nlohmann::ordered_json &entry, const element_header &element, const element_view &shown) {
    switch (element.element_type) {
    case element_needle:
        entry["value"] = number(shown.value_x);
        entry["angle"] = number(shown.angle);
        break;
    case element_icon:
        entry["value"] = number(shown.value_x);
        entry["state"] = shown.state;
        break;
    case element_slider:
    case element_moving_image:
        entry["x"] = number(shown.value_x);
        entry["y"] = number(shown.value_y);
        entry["offset_x"] = number(shown.offset_x);
        entry["offset_y"] = number(shown.offset_y);
        break;
    case element_string: {
        char colour[16];
        std::snprintf(colour, sizeof colour, "0x%08X", shown.colour);
        entry["text"] = shown.text;
        entry["colour"] = colour;
        entry["value"] = number(shown.value_x);
        break;
    }
    default:
        break;
    }
    if (shown.blank)
        entry["blank"] = true;
}

} // namespace

std::string describe_module(gauge_host &host) {
    std::ostringstream text;
    const module_linkage &linkage = host.linkage();
    const gauge_header &gauge = host.gauge();
    text << "module    " << host.path() << "\n";
    text << "linkage   module id " << hex_text(linkage.module_id) << ", one gauge header\n";
    text << "gauge     \"" << (gauge.gauge_name ? gauge.gauge_name : "") << "\", header version "
         << gauge.header_version << ", size_x " << gauge.size_x << "\n";
    text << "elements\n";
    std::vector<element_header *> elements = host.elements();
    for (std::size_t i = 0; i < elements.size(); ++i)
        text << "  " << i + 1 << ". " << element_line(*elements[i]) << "\n";
    text << "mouse list\n";
    const mouse_rect *list = host.live_mouse_list();
    if (list == nullptr) {
        text << "  none live\n";
        return text.str();
    }
    std::string fault;
    for (const placed_rect &placed : read_mouse_list(list, fault)) {
        const mouse_rect &rect = *placed.rect;
        text << std::string(2 + 2 * placed.depth, ' ') << rect_kind_name(rect.rect_kind);
        if (rect.rect_kind == rect_group_start || rect.rect_kind == rect_click_area)
            text << " (" << placed.x << ", " << placed.y << ", " << rect.box_w << ", " << rect.box_h << ")";
        if (rect.rect_kind == rect_group_start && rect.help_id != 0)
            text << ", help " << hex_text(rect.help_id);
        if (rect.rect_kind == rect_click_area) {
            text << ", cursor " << rect.cursor << ", flags " << hex_text(rect.mouse_flags);
            if (rect.event_id != 0)
                text << ", key event " << hex_text(rect.event_id);
            if (rect.click_callback != nullptr)
                text << ", click callback";
        }
        text << "\n";
    }
    if (!fault.empty())
        text << "  fault: " << fault << "\n";
    return text.str();
}

nlohmann::ordered_json state_json(gauge_host &host) {
    using json = nlohmann::ordered_json;
    json state;
    state["gauge"] = host.gauge().gauge_name ? host.gauge().gauge_name : "";
    state["header_version"] = host.gauge().header_version;
    json elements = json::array();
    std::vector<element_header *> tree = host.elements();
    for (std::size_t i = 0; i < tree.size(); ++i) {
        const element_header &element = *tree[i];
        json entry;
        entry["index"] = i + 1;
        entry["kind"] = element_kind_name(element.element_type);
        entry["bitmap"] = element.bitmap_id == no_bitmap ? json(nullptr) : json(element.bitmap_id);
        entry["position"] = {element.position_x, element.position_y};
        entry["image_flags"] = hex_text(element.image_flags);
        entry["hidden"] = (element.image_flags & image_hidden) != 0;
        add_view(entry, element, host.view(&element));
        elements.push_back(entry);
    }
    state["elements"] = elements;
    json events = json::array();
    for (const key_event &event : host.key_events())
        events.push_back({{"event", hex_text(event.event)}, {"value", event.value}});
    state["key_events"] = events;
    state["window_toggles"] = host.window_toggles();
    json windows = json::object();
    for (const auto &[id, shown] : host.windows())
        windows[std::to_string(id)] = shown ? "shown" : "hidden";
    state["windows"] = windows;
    json named = json::object();
    for (const auto &[name, value] : host.named_variables())
        named[name] = value;
    state["named_variables"] = named;
    json clicks = json::array();
    for (const click_record &click : host.clicks())
        clicks.push_back({{"x", click.x}, {"y", click.y}, {"outcome", click.outcome}});
    state["clicks"] = clicks;
    json boxes = json::array();
    json sounds = json::array();
#if !defined(_WIN32)
    for (const platform::message_box &box : platform::message_boxes())
        boxes.push_back({{"owner", box.owner ? "main window" : "none"},
                         {"text", box.text},
                         {"caption", box.caption},
                         {"style", hex_text(box.style)}});
    std::vector<std::uint32_t> waves = host.resource_ids("WAVE");
    for (const platform::played_sound &sound : platform::played_sounds()) {
        // The WAVE resource whose samples the buffer played, found by its bytes.
        json resource = nullptr;
        for (std::uint32_t id : waves) {
            std::span<const std::uint8_t> bytes = host.resource(id, "WAVE");
            if (!sound.samples.empty() &&
                std::search(bytes.begin(), bytes.end(), sound.samples.begin(), sound.samples.end()) != bytes.end())
                resource = id;
        }
        sounds.push_back({{"resource", resource}, {"bytes", sound.samples.size()}, {"flags", hex_text(sound.flags)}});
    }
#endif
    state["message_boxes"] = boxes;
    state["sounds"] = sounds;
    state["errors"] = host.errors();
    return state;
}

bool write_captured_sound(const std::string &path, std::string &error) {
#if defined(_WIN32)
    (void)path;
    error = "sound capture needs the bench's own sound device, which the Windows build does not use";
    return false;
#else
    std::vector<platform::played_sound> sounds = platform::played_sounds();
    WAVEFORMATEX format = sounds.empty() ? WAVEFORMATEX{1, 1, 11025, 11025, 1, 8, 0} : sounds.front().format;
    std::vector<std::uint8_t> samples;
    for (const platform::played_sound &sound : sounds)
        samples.insert(samples.end(), sound.samples.begin(), sound.samples.end());
    auto word = [](std::ofstream &out, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.put(char(value >> (8 * i) & 0xFF));
    };
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    word(out, std::uint32_t(36 + samples.size()), 4);
    out.write("WAVEfmt ", 8);
    word(out, 16, 4);
    word(out, 1, 2); // PCM
    word(out, format.nChannels, 2);
    word(out, format.nSamplesPerSec, 4);
    word(out, format.nAvgBytesPerSec, 4);
    word(out, format.nBlockAlign, 2);
    word(out, format.wBitsPerSample, 2);
    out.write("data", 4);
    word(out, std::uint32_t(samples.size()), 4);
    out.write(reinterpret_cast<const char *>(samples.data()), std::streamsize(samples.size()));
    if (!out) {
        error = "cannot write " + path;
        return false;
    }
    return true;
#endif
}

} // namespace bench
