// Selector knobs: the shared 39 x 39 knob base, and the knob's frames for the speed knob (two)
// and the heading knob (three). The cap's four marks and the ridged rim repeat every quarter
// turn, and each frame turns the knob by an equal share of that quarter, so the cycle of
// frames turns on without a jump.
#include "gauges.h"

#include <string>
#include <vector>

namespace {

constexpr point knob_centre{19.5, 19.5};

struct knob_variant {
    std::string name;
    knurled_knob_look look;
    int frames;
};

constexpr colour cap_mark{150, 152, 156};
const knob_variant speed{"speed", {15.0, 20, {74, 76, 80}, 4, cap_mark}, 2};
const knob_variant heading{"heading", {15.5, 16, {64, 66, 70}, 4, cap_mark}, 3};

surface draw_base() {
    surface picture(39, 39);
    canvas cr(picture);
    fill_panel(cr, 39, 39);
    draw_knob_collar(cr, knob_centre, 18.0);
    return picture;
}

std::vector<resource_ref> add_frames(resource_directory& directory, const knob_variant& knob,
                                     const surface& base) {
    std::vector<resource_ref> frames;
    const double step = 90.0 / knob.frames;
    for (int k = 0; k < knob.frames; ++k) {
        surface layer(39, 39);
        canvas cr(layer);
        draw_knurled_knob(cr, knob_centre, k * step, knob.look);
        frames.push_back(add_overlay(directory, 8192 + 3 * k, knob.name + "_frame" + std::to_string(k), layer, base));
    }
    return frames;
}

}  // namespace

resource_directory make_selector_knobs(const std::filesystem::path& output_root) {
    resource_directory directory(output_root, "selector_knobs");
    const surface base_picture = draw_base();
    const resource_ref base = add_opaque(directory, 4096, "knob_base", base_picture);
    const std::vector<resource_ref> speed_frames = add_frames(directory, speed, base_picture);
    const std::vector<resource_ref> heading_frames = add_frames(directory, heading, base_picture);

    for (const auto& [knob, frames] : {std::pair{&speed, &speed_frames}, std::pair{&heading, &heading_frames}}) {
        std::vector<resource_ref> listed{base};
        listed.insert(listed.end(), frames->begin(), frames->end());
        directory.write_manifest(knob->name + "_knob.txt", listed);
        for (std::size_t k = 0; k < frames->size(); ++k) {
            directory.add_scene(knob->name + " frame " + std::to_string(k),
                                {{.picture = base}, {.picture = (*frames)[k]}});
        }
    }
    return directory;
}
