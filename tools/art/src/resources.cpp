// Resource directories: files, manifests and preview scenes.
#include "resources.h"

#include "containers.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <stdexcept>

namespace {

void write_file(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

}  // namespace

resource_directory::resource_directory(const std::filesystem::path& output_root, std::string directory_name)
    : name_(std::move(directory_name)), directory_(output_root / "gauges" / name_ / "res") {
    std::filesystem::create_directories(directory_);
}

resource_ref resource_directory::add_entry(resource_entry entry, const std::vector<std::uint8_t>& bytes) {
    for (const resource_entry& existing : entries_) {
        if (existing.file_name == entry.file_name) {
            throw std::logic_error("two resources named " + entry.file_name);
        }
    }
    write_file(directory_ / entry.file_name, bytes);
    entries_.push_back(std::move(entry));
    return entries_.size() - 1;
}

resource_ref resource_directory::add_picture(int id, std::string_view short_name, indexed_image picture) {
    std::vector<std::uint8_t> bytes = bmp_file(picture);
    return add_entry({resource_kind::bitmap, id, std::to_string(id) + "_" + std::string(short_name) + ".bmp",
                      std::move(picture)},
                     bytes);
}

resource_ref resource_directory::add_sound(int id, std::string_view short_name,
                                           const std::vector<std::uint8_t>& wave) {
    return add_entry({resource_kind::wave, id, std::to_string(id) + "_" + std::string(short_name) + ".wav", {}},
                     wave);
}

void resource_directory::write_manifest(std::string_view file_name, const std::vector<resource_ref>& listed) const {
    std::vector<const resource_entry*> ordered;
    for (resource_ref ref : listed) {
        ordered.push_back(&entries_.at(ref));
    }
    std::sort(ordered.begin(), ordered.end(), [](auto* a, auto* b) { return a->id < b->id; });
    std::set<int> ids;
    std::ofstream manifest(directory_ / file_name, std::ios::trunc);
    for (const resource_entry* entry : ordered) {
        if (!ids.insert(entry->id).second) {
            throw std::logic_error("resource id " + std::to_string(entry->id) + " listed twice in " +
                                   std::string(file_name));
        }
        manifest << (entry->kind == resource_kind::bitmap ? "BITMAP " : "WAVE ") << entry->id << ' '
                 << entry->file_name << '\n';
    }
    if (!manifest) {
        throw std::runtime_error("cannot write manifest " + std::string(file_name));
    }
}

void resource_directory::write_manifest() const {
    std::vector<resource_ref> all(entries_.size());
    for (resource_ref i = 0; i < all.size(); ++i) {
        all[i] = i;
    }
    write_manifest("resources.txt", all);
}

void resource_directory::add_scene(std::string title, std::vector<scene_layer> layers) {
    scenes_.push_back({std::move(title), std::move(layers)});
}
