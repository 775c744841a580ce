// One deliverable's resource directory: the pictures and sounds written into it, the
// manifests that list them for the module build, and the scenes that preview them together.
#pragma once

#include "palette.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class resource_kind { bitmap, wave };

struct resource_entry {
    resource_kind kind;
    int id;
    std::string file_name;
    indexed_image picture;  // bitmaps only
};

// Position of an entry in its directory.
using resource_ref = std::size_t;

// A picture as the host would place it: its pivot lands on (x, y), turned by angle degrees
// clockwise. With a window, the picture is a strip seen through that window picture at (x, y),
// moved up by travel_fraction of its travel (0 shows its top cell, 1 its bottom cell).
struct scene_layer {
    resource_ref picture;
    double x = 0;
    double y = 0;
    double pivot_x = 0;
    double pivot_y = 0;
    double angle = 0;
    std::optional<resource_ref> window;
    double travel_fraction = 0;
};

struct scene {
    std::string title;
    std::vector<scene_layer> layers;  // the first one is the gauge's background
};

class resource_directory {
public:
    // Files go to output_root/gauges/<directory_name>/res/.
    resource_directory(const std::filesystem::path& output_root, std::string directory_name);

    resource_ref add_picture(int id, std::string_view short_name, indexed_image picture);
    resource_ref add_sound(int id, std::string_view short_name, const std::vector<std::uint8_t>& wave);

    // Lists the given entries, in ascending id order, as "BITMAP <id> <file>" / "WAVE <id> <file>".
    void write_manifest(std::string_view file_name, const std::vector<resource_ref>& listed) const;
    // resources.txt listing every entry.
    void write_manifest() const;

    void add_scene(std::string title, std::vector<scene_layer> layers);

    const std::string& name() const { return name_; }
    const std::vector<resource_entry>& entries() const { return entries_; }
    const std::vector<scene>& scenes() const { return scenes_; }

private:
    resource_ref add_entry(resource_entry entry, const std::vector<std::uint8_t>& bytes);

    std::string name_;
    std::filesystem::path directory_;
    std::vector<resource_entry> entries_;
    std::vector<scene> scenes_;
};
