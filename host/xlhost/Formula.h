// A worksheet formula as xlhost takes it: a function name and number
// arguments, "rnd_Sobol(3, 8)".
#pragma once

#include <string>
#include <vector>

namespace xlhost {

struct Formula {
    std::string functionName;
    std::vector<double> arguments;

    // Throws std::invalid_argument saying what is wrong.
    static Formula Parse(const std::string& text);
};

} // namespace xlhost
