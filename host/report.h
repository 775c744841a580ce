// What the bench tells a person or a program about a gauge: readable text and JSON.
#pragma once

#include "gauge_host.h"

#include <nlohmann/json.hpp>

#include <string>

namespace bench {

// The linkage, the header, the element tree and the live mouse list, for reading.
std::string describe_module(gauge_host &host);

// The gauge's state: its name, elements, key events, window toggles, clicks and host errors.
nlohmann::ordered_json state_json(gauge_host &host);

// Writes every sound played so far, one after another, as a PCM WAVE file in the format of
// the first; false (and `error`) where it cannot.
bool write_captured_sound(const std::string &path, std::string &error);

} // namespace bench
