#include "CommandLine.h"

#include "Engine.h"

#include <charconv>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace xlhost {

namespace {

// "--threads needs a whole number of threads from 1 to 1024".
int CountOf(const std::string& text, const std::string& option, const std::string& what, int most) {
    int count = 0;
    const char* last = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), last, count);
    if (parsed.ec != std::errc() || parsed.ptr != last || count < 1 || count > most) {
        throw std::invalid_argument(option + " needs a whole number of " + what + " from 1 to " +
                                    std::to_string(most));
    }
    return count;
}

// The versions of Excel that load add-ins of this kind, as
// xlfGetWorkspace(2) reports them: 97 to 2003, then 2007 to 365.
const char* const ExcelVersions[] = {"8.0", "9.0", "10.0", "11.0", "12.0", "14.0", "15.0", "16.0"};

// Excel 2010 brought the cluster connector: no earlier Excel registers a
// function cluster-safe, so nothing would run on a node.
constexpr int FirstClusterVersion = 14;

// "14.0, 15.0 or 16.0": the versions from a major version on.
std::string VersionsFrom(int major) {
    std::vector<std::string> chosen;
    for (const char* version : ExcelVersions) {
        if (std::stoi(version) >= major) {
            chosen.emplace_back(version);
        }
    }
    std::string listed;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        listed += (i == 0 ? "" : i + 1 == chosen.size() ? " or " : ", ") + chosen[i];
    }
    return listed;
}

std::string ExcelVersion(const std::string& text) {
    for (const char* version : ExcelVersions) {
        if (text == version) {
            return text;
        }
    }
    throw std::invalid_argument("--excel needs one of the versions " + VersionsFrom(0) + ", not '" +
                                text + "'");
}

} // namespace

const char* const CommandLine::NewestVersion = std::end(ExcelVersions)[-1];

CommandLine CommandLine::Parse(const std::vector<std::string>& arguments) {
    CommandLine line;
    std::size_t i = 0;
    for (; i < arguments.size() && arguments[i].rfind("--", 0) == 0; ++i) {
        // "--excel=16.0" is "--excel 16.0".
        const std::size_t equals = arguments[i].find('=');
        const std::string option = arguments[i].substr(0, equals);
        const bool joined = equals != std::string::npos;
        const auto value = [&](const std::string& needed) {
            if (joined) {
                return arguments[i].substr(equals + 1);
            }
            if (++i == arguments.size()) {
                throw std::invalid_argument(option + " needs " + needed);
            }
            return arguments[i];
        };
        if (option == "--excel") {
            line.version = ExcelVersion(value("a version such as 12.0"));
        } else if (option == "--set") {
            line.cells.push_back(CellSetting::Parse(value("cells and values such as A1=3")));
        } else if (option == "--set-file") {
            line.cells.push_back(
                CellSetting::ReadFile(value("cells and a file such as A1:A100=cells.csv")));
        } else if (option == "--intellisense-xml") {
            line.intellisenseXml = value("the path of the XML file to write");
        } else if (option == "--threads") {
            line.threads =
                CountOf(value("a whole number of threads"), option, "threads", Engine::MaxThreads);
        } else if (option == "--cluster") {
            line.clusterNodes =
                CountOf(value("a whole number of nodes"), option, "nodes", Engine::MaxClusterNodes);
        } else if (option == "--node-timeout") {
            const auto most =
                std::chrono::duration_cast<std::chrono::seconds>(Engine::MaxNodeTimeLimit);
            line.nodeTimeLimit =
                std::chrono::seconds(CountOf(value("a whole number of seconds"), option, "seconds",
                                             static_cast<int>(most.count())));
        } else if (joined) {
            throw std::invalid_argument(option + " takes no value");
        } else if (option == "--checksums") {
            line.checksums = true;
        } else if (option == "--separate") {
            line.separate = true;
        } else if (option == "--wizard") {
            line.wizard = true;
        } else if (option == "--list") {
            line.list = true;
        } else if (option == "--describe") {
            line.describe = true;
        } else if (option == "--help") {
            line.help = true;
            return line;
        } else {
            throw std::invalid_argument("unknown option " + arguments[i]);
        }
    }
    if (i == arguments.size()) {
        throw std::invalid_argument("no add-in given");
    }
    if (line.clusterNodes > 0 && std::stoi(line.version) < FirstClusterVersion) {
        throw std::invalid_argument(
            "--cluster needs Excel 2010 or later, --excel " + VersionsFrom(FirstClusterVersion) +
            ": Excel " + line.version +
            " has no cluster connector and registers no function cluster-safe");
    }
    if (line.clusterNodes > 0 && line.threads == 0) {
        line.threads = 1;
    }
    line.addIn = arguments[i];
    line.formulas.assign(arguments.begin() + i + 1, arguments.end());
    if (line.formulas.empty() && !line.list && !line.describe && line.intellisenseXml.empty()) {
        throw std::invalid_argument("no formula given (and no --list, --describe or "
                                    "--intellisense-xml): nothing to do with " +
                                    line.addIn);
    }
    return line;
}

const char* CommandLine::Usage() {
    return "usage: xlhost [--excel VERSION] [--wizard] [--list] [--threads K] [--cluster N]\n"
           "              [--node-timeout SECONDS] [--checksums] [--separate]\n"
           "              [--describe] [--intellisense-xml PATH]\n"
           "              [--set CELLS=VALUES]...\n"
           "              [--set-file CELLS=PATH]...\n"
           "              ADDIN.xll FORMULA...\n"
           "  --excel VERSION    the Excel version to play: 8.0 to 11.0 (97 to 2003, Excel 4\n"
           "                     records), 12.0 (2007), 14.0, 15.0, 16.0 (2016 to 365, the\n"
           "                     default)\n"
           "  --wizard           call the functions from inside the function wizard\n"
           "  --list             print every registration, which way it came (through\n"
           "                     Excel4 or Excel12), and all its xlfRegister arguments\n"
           "  --describe         ask the add-in as the in-cell help server does: evaluate\n"
           "                     the name of its registration-info function, computed from\n"
           "                     its path, call that through xlUDF with version -1, then\n"
           "                     with the version it answered (which must give #NUM!), and\n"
           "                     print the table, each function's xlfRegister arguments\n"
           "                     numbered as --list numbers them\n"
           "  --intellisense-xml PATH  ask the same and write the table to PATH as the\n"
           "                     in-cell help server's side file (ADDIN.intellisense.xml)\n"
           "  --threads K        recalculate as Excel does with K threads (1 to 1024): the\n"
           "                     formulas of thread-safe functions on K threads at once, the\n"
           "                     others on the main thread; results still print in order.\n"
           "                     Without it every formula runs on the main thread in turn.\n"
           "  --cluster N        recalculate with a cluster connector of N nodes (1 to 64):\n"
           "                     each formula of a function registered cluster-safe (&)\n"
           "                     runs in one of N node processes, each with its own copy\n"
           "                     of the add-in and the *.txt and *.csv files beside it, no\n"
           "                     xlAutoOpen, and no callback but xlRunningOnCluster (TRUE\n"
           "                     there); the others run here meanwhile, on --threads K\n"
           "                     threads (1 when not given). Needs --excel 14.0 or later;\n"
           "                     names on standard error the functions it could not offload\n"
           "  --node-timeout SECONDS  how long a node may take over one call (1 to 86400,\n"
           "                     60 when not given): a node that runs over is ended and\n"
           "                     replaced, its formula fails, and the others go on\n"
           "  --checksums        print each result as its shape and a checksum of its cells\n"
           "                     (\"ROWSxCOLUMNS CHECKSUM\"), not the cells themselves; a\n"
           "                     result of one text, such as a refusal, prints as it stands\n"
           "  --separate         a blank line between the results of successive formulas\n"
           "  --set CELLS=VALUES put values into the sheet before the formulas run. CELLS is\n"
           "                     a cell (B1) or a range (A2:C3); VALUES has one value per\n"
           "                     cell, ',' between the cells of a row, ';' between rows: a\n"
           "                     number, TRUE, FALSE, an error (#N/A, #VALUE!, #DIV/0!, #NUM!,\n"
           "                     #REF!, #NAME?, #NULL!), a \"quoted text\" (\"\" for a quote;\n"
           "                     for text with ',' or ';' or that reads as a number), any\n"
           "                     other text as it stands, or nothing for an empty cell.\n"
           "                     e.g. --set 'A2:C3=1,2,3;4,five,TRUE' --set 'B1=\"1,5\"'\n"
           "  --set-file CELLS=PATH  the same from a CSV file, for ranges too long for the\n"
           "                     command line (32767 characters): one line per row of\n"
           "                     CELLS, ',' between its cells, the values as for --set\n"
           "                     (';' is text). A byte-order mark and CR LF line ends are\n"
           "                     read as Excel writes them. e.g. --set-file A1:A16384=p.csv\n"
           "  --help             print this help\n"
           "  An option's value may also follow '=': --excel=16.0.\n"
           "  FORMULA            one call of a registered function, '=' before it allowed,\n"
           "                     its arguments numbers, \"texts\",\n"
           "                     TRUE, FALSE, errors, references to cells (A1) or ranges\n"
           "                     (A2:C3, up to XFD1048576; $ allowed), whole columns (A:C)\n"
           "                     or rows (1:3), or nothing (omitted). Function names match\n"
           "                     in any letter case, as in Excel. No operators, nested\n"
           "                     calls, names, LET or spill references (A1#).\n"
           "                     e.g. 'rnd_Sobol(3, 8)' or 'my_Join(A2:C3, \"; \", , TRUE)'\n"
           "                     Under --excel 11.0 an Excel 4 record (types P and R) names\n"
           "                     only A1:IV65536: a reference beyond shows #REF!.\n";
}

} // namespace xlhost
