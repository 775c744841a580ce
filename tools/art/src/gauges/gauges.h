// The resources of every deliverable, one maker per resource directory, and the two ways a
// drawn picture becomes a resource.
#pragma once

#include "paint.h"
#include "palette.h"
#include "resources.h"
#include "text.h"

#include <filesystem>

// A picture the host draws opaque (a gauge's background, a digit strip).
inline resource_ref add_opaque(resource_directory& directory, int id, std::string_view name,
                               const surface& picture) {
    return directory.add_picture(id, name, reduce_opaque(picture));
}

// A picture drawn over another; beneath is what lies under it on the gauge, of the same size.
inline resource_ref add_overlay(resource_directory& directory, int id, std::string_view name,
                                const surface& layer, const surface& beneath) {
    return directory.add_picture(id, name, reduce_overlay(layer, beneath));
}

resource_directory make_window_toggle(const std::filesystem::path& output_root);
resource_directory make_fuel_cutoff_switch(const std::filesystem::path& output_root);
resource_directory make_baro_altimeter(const std::filesystem::path& output_root);
resource_directory make_oil_thermometer(const std::filesystem::path& output_root);
resource_directory make_autobrake_selector(const std::filesystem::path& output_root);
resource_directory make_director_switch(const std::filesystem::path& output_root);
resource_directory make_gear_panel(const std::filesystem::path& output_root);
resource_directory make_map_mode_switch(const std::filesystem::path& output_root);
resource_directory make_brake_flag(const std::filesystem::path& output_root);
resource_directory make_selector_knobs(const std::filesystem::path& output_root);
resource_directory make_flap_lever(const std::filesystem::path& output_root);
resource_directory make_fuel_readout(const std::filesystem::path& output_root);
resource_directory make_air_temp_readout(const std::filesystem::path& output_root);
