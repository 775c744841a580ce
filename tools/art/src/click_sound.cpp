// The director switch's click: the snap of the toggle and its softer rebound, each a short
// noise burst with the ringing of the switch body (damped tones), faded to silence.
#include "click_sound.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace {

struct ringing_tone {
    double frequency;  // Hz
    double decay;      // time constant, seconds
    double level;
};

struct strike {
    double time;  // seconds from the start
    double level;
};

constexpr ringing_tone body_tones[] = {{2900.0, 0.004, 0.55}, {1250.0, 0.009, 0.45}, {180.0, 0.012, 0.35}};
constexpr double noise_decay = 0.0015;
constexpr strike strikes[] = {{0.002, 1.0}, {0.014, 0.45}};
constexpr double fade_seconds = 0.01;

}  // namespace

std::vector<std::uint8_t> click_samples() {
    std::minstd_rand noise_source(1998);  // fixed seed: the same click every run
    auto noise = [&noise_source] {
        return 2.0 * static_cast<double>(noise_source() - noise_source.min()) /
                   static_cast<double>(noise_source.max() - noise_source.min()) -
               1.0;
    };

    std::vector<double> wave(click_sample_count, 0.0);
    for (std::size_t i = 0; i < wave.size(); ++i) {
        const double t = static_cast<double>(i) / click_sample_rate;
        const double hiss = noise();
        for (const strike& s : strikes) {
            const double since = t - s.time;
            if (since < 0) {
                continue;
            }
            double v = hiss * std::exp(-since / noise_decay);
            for (const ringing_tone& tone : body_tones) {
                v += tone.level * std::exp(-since / tone.decay) *
                     std::sin(2 * std::numbers::pi * tone.frequency * since);
            }
            wave[i] += s.level * v;
        }
    }

    double peak = 0.0;
    for (double v : wave) {
        peak = std::max(peak, std::abs(v));
    }
    const double duration = static_cast<double>(click_sample_count) / click_sample_rate;
    std::vector<std::uint8_t> samples(wave.size());
    for (std::size_t i = 0; i < wave.size(); ++i) {
        const double t = static_cast<double>(i) / click_sample_rate;
        const double fade = std::clamp((duration - t) / fade_seconds, 0.0, 1.0);
        const double v = 0.85 * wave[i] / peak * fade;
        samples[i] = static_cast<std::uint8_t>(std::clamp(std::lround(128.0 + 127.0 * v), 1L, 255L));
    }
    return samples;
}
