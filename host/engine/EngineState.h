// Everything the stand-in Excel remembers between calls.
#pragma once

#include "Engine.h"
#include "Ledger.h"
#include "MessageBoxes.h"
#include "Sheet.h"
#include "Windows.h"
#include "WorksheetCall.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace xlhost {

// What a registration points at: the procedure, and the module it lives in,
// which closing the add-in unloads. Both null when the registration was refused.
struct RegisteredProcedure {
    Procedure procedure = nullptr;
    void* module = nullptr;
};

struct Fault {
    int code = 0;
    int succeedFirst = 0; // calls still to run normally before the fault applies
};

class EngineState {
public:
    // The values of a fresh process; windows and loaded modules stay.
    void Reset();

    // The major version: 16 for "16.0"; 0 for a text that names none.
    int MajorVersion() const;
    // How many arguments a callback takes: 30 up to Excel 2003 (11.0), 255
    // from Excel 2007 on.
    int MaxCallArguments() const;

    std::string version;
    Ledger ledger;
    std::size_t resultsHandedBack = 0;
    std::size_t resultsWithoutAutoFree = 0;
    std::size_t clusterResultsHandedBack = 0;
    std::size_t clusterResultsWithoutAutoFree = 0;
    std::size_t clusterNodesEnded = 0;
    Sheet sheet;
    std::optional<std::string> statusBar;
    std::vector<std::optional<std::string>> statusHistory;
    std::vector<Registration> registrations;
    std::vector<RegisteredProcedure> procedures; // beside registrations
    double nextRegisterId = 1.0;
    std::string addInPath;
    bool breakPending = false;
    Windows windows;
    std::map<int, Fault> faults;
    std::vector<LoggedCall> callLog;
    MessageBoxes messageBoxes;
    // What the add-in opened last answered xlAddInManagerInfo; empty for none.
    std::string addInName;
    // Reference blocks made by Ref4 and Ref12: the tests' records, not Excel's.
    Ledger testReferenceBlocks;
    // Module handles of the open add-ins, in the order they were opened; an
    // add-in opened twice is here twice, as Windows counts it loaded twice.
    std::vector<void*> openAddIns;
    // References that registering from a module not yet loaded took.
    std::vector<void*> modulesLoadedByRegistration;
    // Held by every callback and every change to the ledger: worksheet
    // functions registered thread-safe call in from several threads at once.
    std::mutex mutex;
};

// The worksheet call running on the calling thread, if any: Excel runs
// several at once, each on its own thread.
struct RunningCall {
    // A function registered thread-safe ("$"): the callbacks it may not make
    // fail as the multithreaded recalculation makes them fail.
    bool threadSafe = false;
    // What xlGetName answers meanwhile: the called function's add-in.
    const std::string* addInPath = nullptr;
};
RunningCall& ThisThreadsCall();

} // namespace xlhost
