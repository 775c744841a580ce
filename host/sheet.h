// A contact sheet of every picture and sound of a set of modules, for reviewing the art.
#pragma once

#include "image.h"

#include <string>
#include <vector>

namespace bench {

// The modules of the build's modules directory, by path, without the test probes.
std::vector<std::string> built_modules();

// One band per module: its name, then each bitmap over a checkerboard that shows its
// transparent pixels, labelled with its id and size, and each WAVE resource as a label.
// Modules that cannot be loaded are reported in `errors` and left out.
image contact_sheet(const std::vector<std::string> &modules, std::vector<std::string> &errors);

} // namespace bench
