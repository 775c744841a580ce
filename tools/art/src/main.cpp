// gauge_art: draws every gauge picture and the click sound into OUTPUT_ROOT/gauges/*/res/,
// with the manifests the module build embeds; --preview DIR also writes a PNG sheet per directory.
#include "gauges/gauges.h"
#include "preview.h"

#include <omp.h>

#include <exception>
#include <iostream>
#include <optional>
#include <string_view>

int main(int argc, char** argv) {
    std::optional<std::filesystem::path> output_root;
    std::optional<std::filesystem::path> preview_dir;
    bool arguments_understood = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--preview" && i + 1 < argc) {
            preview_dir = argv[++i];
        } else if (!output_root && !arg.starts_with("-")) {
            output_root = arg;
        } else {
            arguments_understood = false;
        }
    }
    if (!arguments_understood || !output_root) {
        std::cerr << "usage: gauge_art OUTPUT_ROOT [--preview DIR]\n";
        return 2;
    }

    // libimagequant runs its loops in parallel; one thread keeps its sums in one order, so
    // every run gives the same palettes.
    omp_set_num_threads(1);

    using maker = resource_directory (*)(const std::filesystem::path&);
    constexpr maker makers[] = {
        make_window_toggle, make_fuel_cutoff_switch, make_baro_altimeter, make_oil_thermometer,
        make_autobrake_selector, make_director_switch, make_gear_panel, make_map_mode_switch,
        make_brake_flag, make_selector_knobs, make_flap_lever, make_fuel_readout,
        make_air_temp_readout,
    };
    try {
        if (preview_dir) {
            std::filesystem::create_directories(*preview_dir);
        }
        for (maker make : makers) {
            const resource_directory directory = make(*output_root);
            std::cout << "gauges/" << directory.name() << "/res: " << directory.entries().size() << " resources\n";
            if (preview_dir) {
                write_preview(directory, *preview_dir / (directory.name() + ".png"));
            }
        }
    } catch (const std::exception& error) {
        std::cerr << "gauge_art: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
