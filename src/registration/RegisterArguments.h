// xlfRegister's arguments for one function, in its order: what the framework
// sends Excel, and what the registration-info function describes afterwards.
#pragma once

#include <string>
#include <vector>

namespace xlw {

struct RegisterArguments {
    std::vector<std::string> leadingTexts; // module, procedure, type, function, argument text
    double macroType = 1.0;
    std::vector<std::string> trailingTexts; // category, shortcut, help topic, help, per argument
};

} // namespace xlw
