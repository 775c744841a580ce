// The fourteen deliverable modules, as the build declares them.
#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace tests {

inline std::vector<std::string> deliverables() {
    std::vector<std::string> names;
    std::istringstream list(GAUGE_DELIVERABLES);
    for (std::string name; std::getline(list, name, ',');)
        names.push_back(name);
    return names;
}

} // namespace tests
