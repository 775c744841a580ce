// Attributes the instructions of a callgrind profile to the module's own code, the C
// library it calls, the Windows calls it makes and the rest (the bench).
#include "measures.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace performance {

bool read_callgrind(const std::string &profile, const std::string &module_path, const std::string &platform_name,
                    instruction_split &split, std::string &error) {
    std::ifstream in(profile);
    if (!in) {
        error = "cannot read " + profile;
        return false;
    }
    std::string module = std::filesystem::canonical(module_path).string();
    std::string program = std::filesystem::canonical("/proc/self/exe").string();
    split = {};
    std::string object, called_object;
    bool in_module = false, cost_of_call = false;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("ob=")) {
            object = line.substr(3);
        } else if (line.starts_with("fn=")) {
            in_module = object == module;
            called_object = object;
        } else if (line.starts_with("cob=")) {
            called_object = line.substr(4);
        } else if (line.starts_with("calls=")) {
            cost_of_call = true;
        } else if (line.starts_with("summary:")) {
            split.total = std::stoull(line.substr(8));
        } else if (!line.empty() && (std::isdigit(static_cast<unsigned char>(line[0])) || line[0] == '+' ||
                                     line[0] == '-' || line[0] == '*')) {
            // "POSITION INSTRUCTIONS": the cost of the current function's own line, or, right
            // after a calls= line, everything the call ran.
            std::istringstream fields(line);
            std::string position;
            std::uint64_t instructions = 0;
            fields >> position >> instructions;
            if (cost_of_call) {
                if (in_module && called_object != module && called_object != program) {
                    if (called_object.find(platform_name) != std::string::npos)
                        split.windows += instructions;
                    else
                        split.runtime += instructions;
                }
                cost_of_call = false;
                called_object = object;
            } else if (in_module) {
                split.gauge += instructions;
            }
        }
    }
    if (split.total == 0) {
        error = profile + " holds no collected instructions";
        return false;
    }
    return true;
}

} // namespace performance
