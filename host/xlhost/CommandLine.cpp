#include "CommandLine.h"

#include "Engine.h"

#include <charconv>
#include <stdexcept>
#include <string>

namespace xlhost {

namespace {

int ThreadCount(const std::string& text) {
    int count = 0;
    const char* last = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), last, count);
    if (text.empty() || parsed.ec != std::errc() || parsed.ptr != last || count < 1 ||
        count > Engine::MaxThreads) {
        throw std::invalid_argument("--threads needs a whole number of threads from 1 to " +
                                    std::to_string(Engine::MaxThreads));
    }
    return count;
}

} // namespace

CommandLine CommandLine::Parse(const std::vector<std::string>& arguments) {
    CommandLine line;
    std::size_t i = 0;
    for (; i < arguments.size() && arguments[i].rfind("--", 0) == 0; ++i) {
        if (arguments[i] == "--excel") {
            if (++i == arguments.size()) {
                throw std::invalid_argument("--excel needs a version such as 12.0");
            }
            line.version = arguments[i];
        } else if (arguments[i] == "--set") {
            if (++i == arguments.size()) {
                throw std::invalid_argument("--set needs cells and values such as A1=3");
            }
            line.cells.push_back(CellSetting::Parse(arguments[i]));
        } else if (arguments[i] == "--threads") {
            line.threads = ThreadCount(++i < arguments.size() ? arguments[i] : std::string());
        } else if (arguments[i] == "--checksums") {
            line.checksums = true;
        } else if (arguments[i] == "--wizard") {
            line.wizard = true;
        } else if (arguments[i] == "--list") {
            line.list = true;
        } else if (arguments[i] == "--help") {
            line.help = true;
            return line;
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
    return "usage: xlhost [--excel VERSION] [--wizard] [--list] [--threads K] [--checksums]\n"
           "              [--set CELLS=VALUES]... ADDIN.xll FORMULA...\n"
           "  --excel VERSION    the Excel version to play: 11.0, 12.0 (default), 14.0, 16.0\n"
           "  --wizard           call the functions from inside the function wizard\n"
           "  --list             print every registration with all its xlfRegister arguments\n"
           "  --threads K        recalculate as Excel does with K threads (1 to 1024): the\n"
           "                     formulas of thread-safe functions on K threads at once, the\n"
           "                     others on the main thread; results still print in order.\n"
           "                     Without it every formula runs on the main thread in turn.\n"
           "  --checksums        print each result as its shape and a checksum of its cells\n"
           "                     (\"ROWSxCOLUMNS CHECKSUM\"), not the cells themselves\n"
           "  --set CELLS=VALUES put values into the sheet before the formulas run. CELLS is\n"
           "                     a cell (B1) or a range (A2:C3); VALUES has one value per\n"
           "                     cell, ',' between the cells of a row, ';' between rows: a\n"
           "                     number, TRUE, FALSE, an error (#N/A, #VALUE!, #DIV/0!, #NUM!,\n"
           "                     #REF!, #NAME?, #NULL!), a \"quoted text\" (\"\" for a quote;\n"
           "                     for text with ',' or ';' or that reads as a number), any\n"
           "                     other text as it stands, or nothing for an empty cell.\n"
           "                     e.g. --set 'A2:C3=1,2,3;4,five,TRUE' --set 'B1=\"1,5\"'\n"
           "  --help             print this help\n"
           "  FORMULA            a registered function and its arguments: numbers, \"texts\",\n"
           "                     TRUE, FALSE, errors, references to cells (A1) or ranges\n"
           "                     (A2:C3, up to XFD1048576; $ allowed), or nothing (omitted).\n"
           "                     e.g. 'rnd_Sobol(3, 8)' or 'my_Join(A2:C3, \"; \", , TRUE)'\n"
           "                     Under --excel 11.0 an Excel 4 record (types P and R) names\n"
           "                     only A1:IV65536: a reference beyond shows #REF!.\n";
}

} // namespace xlhost
