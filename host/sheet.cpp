// The contact sheet: modules in bands, pictures flowing left to right.
#include "sheet.h"

#include "gauge_host.h"
#include "text.h"

#include <algorithm>
#include <filesystem>

namespace bench {
namespace {

constexpr int sheet_width = 1400;
constexpr int margin = 12;
constexpr int label_height = 14;
constexpr int picture_scale = 2;
constexpr rgba paper = {40, 42, 46, 255};
constexpr rgba ink = {235, 235, 235, 255};
constexpr rgba heading_ink = {255, 200, 80, 255};

struct tile {
    std::string label;
    image picture; // empty for a sound
};

image checkered(const image &picture) {
    image backed(picture.width, picture.height);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            backed.at(x, y) = ((x / 4 + y / 4) % 2) ? rgba{90, 90, 96, 255} : rgba{60, 60, 66, 255};
    draw_image(backed, picture, 0, 0, false);
    return scale_image(backed, picture_scale);
}

std::vector<tile> tiles_of(gauge_host &host) {
    std::vector<tile> tiles;
    for (std::uint32_t id : host.resource_ids()) {
        const image *picture = host.bitmap(id);
        std::string size = picture ? std::to_string(picture->width) + "x" + std::to_string(picture->height) : "bad";
        tiles.push_back({std::to_string(id) + " " + size, picture ? checkered(*picture) : image()});
    }
    for (std::uint32_t id : host.resource_ids("WAVE"))
        tiles.push_back({"WAVE " + std::to_string(id) + ", " + std::to_string(host.resource(id, "WAVE").size()) +
                             " bytes",
                         image()});
    return tiles;
}

} // namespace

std::vector<std::string> built_modules() {
    namespace fs = std::filesystem;
    std::vector<std::string> paths;
    fs::path directory = fs::path(program_directory()) / ".." / "modules";
    std::error_code failed;
    for (const fs::directory_entry &entry : fs::directory_iterator(directory, failed)) {
        std::string name = entry.path().filename().string();
        std::string suffix = entry.path().extension().string();
        if (!name.starts_with("probe_") && (suffix == ".so" || suffix == ".gau" || suffix == ".dll"))
            paths.push_back(entry.path().lexically_normal().string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

image contact_sheet(const std::vector<std::string> &modules, std::vector<std::string> &errors) {
    struct band {
        std::string name;
        std::vector<tile> tiles;
    };
    std::vector<band> bands;
    for (const std::string &module : modules) {
        try {
            gauge_host host(module);
            bands.push_back({std::filesystem::path(host.path()).filename().string(), tiles_of(host)});
            for (const std::string &error : host.errors())
                errors.push_back("\"" + host.name() + "\": " + error);
        } catch (const load_error &error) {
            errors.push_back(error.what());
        }
    }

    // Lay the tiles out once to learn the height, then draw them.
    struct placed {
        const tile *what;
        int x, y;
    };
    std::vector<placed> tiles;
    std::vector<std::pair<const band *, int>> headings;
    int y = margin;
    for (const band &module : bands) {
        headings.push_back({&module, y});
        y += label_height + 6;
        int x = margin, row_height = 0;
        for (const tile &t : module.tiles) {
            int width = std::max(t.picture.width, 8 * int(t.label.size()));
            if (x + width > sheet_width - margin && x > margin) {
                x = margin;
                y += row_height + margin;
                row_height = 0;
            }
            tiles.push_back({&t, x, y});
            x += width + margin;
            row_height = std::max(row_height, t.picture.height + label_height + 2);
        }
        y += row_height + 2 * margin;
    }

    image sheet(sheet_width, y, paper);
    for (const auto &[module, top] : headings)
        draw_text(sheet, module->name, {margin, top, sheet_width - 2 * margin, label_height}, heading_ink, "",
                  0x4);
    for (const placed &t : tiles) {
        draw_image(sheet, t.what->picture, t.x, t.y, true);
        draw_text(sheet, t.what->label, {t.x, t.y + t.what->picture.height + 2, 8 * int(t.what->label.size()), 11},
                  ink, "", 0x4);
    }
    return sheet;
}

} // namespace bench
