// xlhost [--excel VERSION] [--wizard] [--list] [--threads K] [--cluster N]
//        [--node-timeout SECONDS] [--checksums] [--describe] [--intellisense-xml PATH]
//        [--separate] [--set CELLS=VALUES]... [--set-file CELLS=PATH]...
//        ADDIN.xll FORMULA...
#pragma once

#include "CellSetting.h"
#include "Engine.h"

#include <string>
#include <vector>

namespace xlhost {

struct CommandLine {
    // The default version: the Excel a user runs today.
    static const char* const NewestVersion;

    std::string version = NewestVersion;
    bool wizard = false;
    bool list = false;
    bool describe = false;
    std::string intellisenseXml; // empty: write no side file
    int threads = 0;             // 0: every formula on the main thread, in order
    int clusterNodes = 0;        // 0: no cluster; with nodes and no --threads, one thread
    std::chrono::seconds nodeTimeLimit =
        std::chrono::duration_cast<std::chrono::seconds>(Engine::DefaultNodeTimeLimit);
    bool checksums = false;
    bool separate = false;          // a blank line between the results of successive formulas
    bool help = false;              // --help: print Usage and do nothing else
    std::vector<CellSetting> cells; // in the order given; a later one wins
    std::string addIn;
    std::vector<std::string> formulas;

    // Throws std::invalid_argument with a message for the user.
    static CommandLine Parse(const std::vector<std::string>& arguments);
    static const char* Usage();
};

} // namespace xlhost
