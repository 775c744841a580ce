// GIF output through giflib, palettes through libimagequant.
#include "animation.h"

#include "gauge_host.h"
#include "numbers.h"
#include "scenario.h"

#include <gif_lib.h>
#include <libimagequant.h>

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <memory>

namespace bench {
namespace {

constexpr rgba panel_paint = {46, 48, 52, 255};

// A frame as the GIF's palette and pixel indices.
struct indexed_frame {
    std::vector<GifColorType> colours;
    std::vector<GifByteType> pixels;
};

bool quantize(const image &frame, indexed_frame &indexed) {
    liq_attr *attributes = liq_attr_create();
    liq_image *source = liq_image_create_rgba(attributes, frame.pixels.data(), frame.width, frame.height, 0);
    liq_result *result = nullptr;
    bool done = source && liq_image_quantize(source, attributes, &result) == LIQ_OK;
    if (done) {
        indexed.pixels.resize(frame.pixels.size());
        done = liq_write_remapped_image(result, source, indexed.pixels.data(), indexed.pixels.size()) == LIQ_OK;
        const liq_palette *palette = liq_get_palette(result);
        indexed.colours.assign(256, GifColorType{0, 0, 0});
        for (unsigned i = 0; i < palette->count && i < 256; ++i)
            indexed.colours[i] = {palette->entries[i].r, palette->entries[i].g, palette->entries[i].b};
    }
    if (result)
        liq_result_destroy(result);
    if (source)
        liq_image_destroy(source);
    liq_attr_destroy(attributes);
    return done;
}

} // namespace

bool write_gif(const std::vector<image> &frames, const std::string &path, int delay_centiseconds,
               std::string &error) {
    if (frames.empty()) {
        error = "the scenario ran no frame";
        return false;
    }
    int width = 0, height = 0;
    for (const image &frame : frames) {
        width = std::max(width, frame.width);
        height = std::max(height, frame.height);
    }
    std::ofstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot write \"" + path + "\"";
        return false;
    }
    auto put = [](GifFileType *target, const GifByteType *bytes, int count) -> int {
        auto *stream = static_cast<std::ofstream *>(target->UserData);
        stream->write(reinterpret_cast<const char *>(bytes), count);
        return *stream ? count : 0;
    };
    int status = 0;
    GifFileType *gif = EGifOpen(&file, put, &status);
    if (gif == nullptr) {
        error = "cannot write \"" + path + "\": " + GifErrorString(status);
        return false;
    }
    EGifSetGifVersion(gif, true);
    bool written = EGifPutScreenDesc(gif, width, height, 8, 0, nullptr) == GIF_OK;
    // Loop for ever.
    static const unsigned char loop_name[] = "NETSCAPE2.0";
    static const unsigned char loop_count[] = {1, 0, 0};
    written = written && EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
              EGifPutExtensionBlock(gif, 11, loop_name) == GIF_OK && EGifPutExtensionBlock(gif, 3, loop_count) == GIF_OK &&
              EGifPutExtensionTrailer(gif) == GIF_OK;
    for (std::size_t i = 0; written && i < frames.size(); ++i) {
        image canvas(width, height, panel_paint);
        draw_image(canvas, frames[i], 0, 0, true);
        indexed_frame indexed;
        if (!quantize(canvas, indexed)) {
            error = "cannot reduce frame " + std::to_string(i + 1) + " to 256 colours";
            written = false;
            break;
        }
        GraphicsControlBlock timing{.DisposalMode = DISPOSE_DO_NOT, .UserInputFlag = false,
                                    .DelayTime = delay_centiseconds, .TransparentColor = NO_TRANSPARENT_COLOR};
        GifByteType extension[4];
        EGifGCBToExtension(&timing, extension);
        std::unique_ptr<ColorMapObject, void (*)(ColorMapObject *)> palette(
            GifMakeMapObject(256, indexed.colours.data()), GifFreeMapObject);
        written = palette && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK &&
                  EGifPutImageDesc(gif, 0, 0, width, height, false, palette.get()) == GIF_OK;
        for (int row = 0; written && row < height; ++row)
            written = EGifPutLine(gif, indexed.pixels.data() + std::size_t(row) * width, width) == GIF_OK;
    }
    if (EGifCloseFile(gif, &status) != GIF_OK)
        written = false;
    if (!written && error.empty())
        error = "cannot write \"" + path + "\"";
    return written;
}

int animate_command(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &errors) {
    const char *usage = "usage: gaugebench animate SCENARIO -o FILE.gif [--scale N]\n"
                        "Runs the scenario and records one picture per frame, for example:\n"
                        "  gaugebench animate docs/climb.scn -o out/climb.gif --scale 2\n";
    std::string scenario, output;
    int scale = 1;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (argument == "--help") {
            out << usage;
            return 0;
        }
        bool has_value = i + 1 < arguments.size();
        if ((argument == "-o" || argument == "--scale") && !has_value) {
            errors << "gaugebench: " << argument << " needs a value (gaugebench animate --help shows the usage)\n";
            return 2;
        }
        if (argument == "-o") {
            output = arguments[++i];
        } else if (argument == "--scale") {
            auto value = read_whole_number(arguments[++i]);
            if (!value || *value < 1 || *value > 8) {
                errors << "gaugebench: --scale must be from 1 to 8, not \"" << arguments[i] << "\"\n";
                return 2;
            }
            scale = *value;
        } else if (!argument.starts_with("-") && scenario.empty()) {
            scenario = argument;
        } else {
            errors << "gaugebench: unexpected \"" << argument << "\" (gaugebench animate --help shows the usage)\n";
            return 2;
        }
    }
    if (scenario.empty() || output.empty()) {
        errors << "gaugebench: animate needs " << (scenario.empty() ? "a SCENARIO file" : "-o FILE.gif")
               << " (gaugebench animate --help shows the usage)\n";
        return 2;
    }
    std::ifstream text(scenario);
    if (!text) {
        errors << "gaugebench: cannot read \"" << scenario << "\"\n";
        return 2;
    }
    std::vector<image> frames;
    bool terminal = &errors == &std::cerr && isatty(2);
    scenario_result result = run_scenario(scenario, text, [&](gauge_host &host) {
        frames.push_back(host.render(scale));
        if (terminal && frames.size() % 10 == 0)
            errors << "\r" << frames.size() << " frames" << std::flush;
    });
    if (terminal && frames.size() >= 10)
        errors << "\r";
    if (!result.passed) {
        errors << "gaugebench: " << result.failure << "\n";
        return 1;
    }
    std::string error;
    if (!write_gif(frames, output, 6, error)) {
        errors << "gaugebench: " << error << "\n";
        return 1;
    }
    out << output << ": " << frames.size() << " frames\n";
    return 0;
}

} // namespace bench
