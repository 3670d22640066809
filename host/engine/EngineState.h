// Everything the stand-in Excel remembers between calls.
#pragma once

#include "Engine.h"
#include "Ledger.h"
#include "Sheet.h"
#include "Windows.h"
#include "WorksheetCall.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace xlhost {

struct Fault {
    int code = 0;
    int succeedFirst = 0; // calls still to run normally before the fault applies
};

class EngineState {
public:
    // The values of a fresh process; windows and loaded modules stay.
    void Reset();

    std::string version;
    Ledger ledger;
    Sheet sheet;
    std::optional<std::string> statusBar;
    std::vector<std::optional<std::string>> statusHistory;
    std::vector<Registration> registrations;
    std::vector<Procedure> procedures; // beside registrations; null when refused
    double nextRegisterId = 1.0;
    std::string addInPath;
    bool breakPending = false;
    Windows windows;
    std::map<int, Fault> faults;
    std::vector<LoggedCall> callLog;
    // Reference blocks made by Ref4 and Ref12: the tests' records, not Excel's.
    Ledger testReferenceBlocks;
    void* openAddIn = nullptr; // module handle of the add-in opened last
};

} // namespace xlhost
