#include "CommandLine.h"

#include <stdexcept>

namespace xlhost {

CommandLine CommandLine::Parse(const std::vector<std::string>& arguments) {
    CommandLine line;
    std::size_t i = 0;
    for (; i < arguments.size() && arguments[i].rfind("--", 0) == 0; ++i) {
        if (arguments[i] == "--excel") {
            if (++i == arguments.size()) {
                throw std::invalid_argument("--excel needs a version such as 12.0");
            }
            line.version = arguments[i];
        } else if (arguments[i] == "--wizard") {
            line.wizard = true;
        } else if (arguments[i] == "--list") {
            line.list = true;
        } else {
            throw std::invalid_argument("unknown option " + arguments[i]);
        }
    }
    if (i == arguments.size()) {
        throw std::invalid_argument("no add-in given");
    }
    line.addIn = arguments[i];
    line.formulas.assign(arguments.begin() + i + 1, arguments.end());
    return line;
}

const char* CommandLine::Usage() {
    return "usage: xlhost [--excel VERSION] [--wizard] [--list] ADDIN.xll FORMULA...\n"
           "  --excel VERSION  the Excel version to play: 11.0, 12.0 (default), 14.0, 16.0\n"
           "  --wizard         call the functions from inside the function wizard\n"
           "  --list           print every registration with all its xlfRegister arguments\n"
           "  FORMULA          a worksheet call with number arguments, e.g. 'rnd_Sobol(3, 8)'\n";
}

} // namespace xlhost
