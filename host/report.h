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

} // namespace bench
