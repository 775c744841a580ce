// Animated GIFs of a scenario: one picture per frame the scenario runs.
#pragma once

#include "image.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace bench {

// Writes the frames as a looping GIF, each shown for `delay_centiseconds`, each reduced to
// its own 256-colour palette; frames smaller than the largest sit at its top left on panel
// paint. False (and `error`) where the file cannot be written.
bool write_gif(const std::vector<image> &frames, const std::string &path, int delay_centiseconds,
               std::string &error);

// `gaugebench animate SCENARIO -o FILE.gif [--scale N]`.
int animate_command(const std::vector<std::string> &arguments, std::ostream &out, std::ostream &errors);

} // namespace bench
