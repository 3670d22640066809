// The stand-in Excel: what the host executable's MdCallBack and MdCallBack12
// dispatch into, and what tests inspect afterwards.
//
// Every test executable that plays Excel links the engine through the CMake
// function tesserine_host_executable (host/CMakeLists.txt), which exports the
// two callbacks and puts XLCALL32.DLL beside it. The engine is made on first
// use; it answers only the function numbers it implements (xlfGetWorkspace,
// xlCoerce, xlFree, xlGetName, xlcMessage, xlfRegister, xlfUnregister,
// xlGetHwnd, xlAbort, from 14.0 xlRunningOnCluster, which answers 0 in
// Excel's process, xlfEvaluate of a name, which gives the register id of the
// function registered under it, hidden or not, or #NAME?, and xlUDF, which
// calls a registered function by its register id or name with values as its
// arguments and answers #NAME? for a function none registered) and returns
// xlretInvXlfn (2) for every other one.
// It refuses what the documented Excel of its version refuses: more than 30
// callback arguments before 12.0 (xlretInvCount); registrations whose type
// text that version does not know (Q, U and the % codes before 12.0, X
// before 14.0), that mark a function thread-safe ($) before 12.0 or together
// with "#", or cluster-safe (&) before 14.0, through Excel4, together with
// "#", or with a P, R, U or X argument. While a
// function registered thread-safe runs, xlfGetWorkspace fails (xlretFailed)
// and xlAbort(FALSE) fails with xlretNotThreadSafe, as on Excel's
// recalculation threads.
// EvaluateFormula calls a registered worksheet function as a cell formula
// does: each argument (a value or a reference to the engine's sheet) passed
// as its type code asks (ArgumentPassing.h), through a real call frame.
//
// The Excel version. The engine starts with the version in the environment
// variable TESSERINE_EXCEL_VERSION ("11.0", "12.0", "14.0", "15.0", "16.0"), or
// "12.0" when it is unset; SetVersion changes it. The framework reads the
// version once, when it binds, and picks its record kind for the whole
// process, so Excel 4 and Excel 12 suites are separate processes: register
// the same test executable twice with tesserine_add_host_test (which sets the
// variable), or call SetVersion before anything binds.
//
// Threads. Call the engine from one thread, Excel's main thread, which also
// runs the add-in's xlAuto procedures. Recalculate evaluates formulas as
// Excel's multithreaded recalculation does, on worker threads: the callbacks
// of functions registered thread-safe may then arrive from several threads
// at once, and the engine serialises them.
#pragma once

#include "Cell.h"
#include "FormulaArgument.h"
#include "Grid.h"
#include "MessageBoxes.h"
#include "Range.h"
#include "Registration.h"
#include "xlw/ExcelApi.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace xlhost {

constexpr const char* VersionVariable = "TESSERINE_EXCEL_VERSION";
constexpr const char* DefaultVersion = "12.0";

// One formula of a recalculation: a registered function and its arguments.
struct FormulaCall {
    std::string functionText;
    std::vector<FormulaArgument> arguments;
};

// What a formula of a recalculation gave: its grid, or the exception that
// EvaluateFormula threw for it.
using FormulaFinished =
    std::function<void(std::size_t index, Grid result, std::exception_ptr failure)>;

// One callback as it reached the engine.
struct LoggedCall {
    int function = 0;
    int recordKind = 4; // 4: XLOPER (MdCallBack), 12: XLOPER12 (MdCallBack12)
    std::vector<Cell> arguments;
    std::vector<unsigned> argumentTypes; // each argument's raw type word
    int returnCode = 0;
};

class ClusterNode;
class EngineState;

class Engine {
public:
    static Engine& Get();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Back to the state of a fresh process: no registrations, empty ledger,
    // sheet, log and status bar, no faults, no break, wizard off, the
    // add-in path of the executable, the version from the environment.
    void Reset();

    // What MdCallBack and MdCallBack12 forward to.
    int Dispatch4(int function, int count, LPXLOPER* args, LPXLOPER result);
    int Dispatch12(int function, int count, LPXLOPER12* args, LPXLOPER12 result);

    std::string Version() const;
    void SetVersion(const std::string& version);

    // The xlFree ledger. Every string, array and reference the engine hands
    // out is recorded until xlFree returns it. Freed memory is never reused
    // while the ledger remembers it, so a second free is always recognised.
    std::size_t OutstandingAllocations() const;
    // For failure messages: which call handed out each outstanding block.
    std::vector<std::string> OutstandingDescriptions() const;
    std::size_t DoubleFrees() const;
    // xlFree of a pointer the engine never handed out.
    std::size_t ForeignFrees() const;
    std::size_t CompletedFrees() const;
    // Results marked xlbitDLLFree: handed back to the add-in's xlAutoFree12
    // (xlAutoFree for XLOPER results) once read, each exactly once; and those
    // whose add-in exports none, which Excel can only leak.
    std::size_t ResultsHandedBack() const;
    std::size_t ResultsWithoutAutoFree() const;
    // Frees everything outstanding and forgets all counts.
    void ResetLedger();

    // The status bar: xlcMessage(TRUE, text) shows text, xlcMessage(FALSE)
    // clears it. History holds every change in order, std::nullopt for a clear.
    std::optional<std::string> StatusBar() const;
    std::vector<std::optional<std::string>> StatusHistory() const;

    // Every xlfRegister call in order, refused ones included.
    const std::vector<Registration>& Registrations() const;
    // The newest accepted, not withdrawn registration under that Excel name,
    // in any letter case, as a formula finds it.
    const Registration* FindFunction(const std::string& functionText) const;

    // The name Excel's Add-ins dialog shows for the add-in opened last, which
    // OpenAddIn asks for as Excel does (xlAddInManagerInfo12, or
    // xlAddInManagerInfo before Excel 2007, with action 1); empty when the
    // add-in gives none and the dialog shows its file name.
    std::string AddInName() const;

    // What xlGetName answers: the add-in being opened or called; by default
    // the host executable's own path (a test executable is its own add-in).
    // Paths are UTF-8, as every text of the engine, whatever the ANSI code page.
    std::string AddInPath() const;
    void SetAddInPath(const std::string& path);

    // The break flag (Esc pressed): xlAbort(FALSE) reports and clears it,
    // xlAbort(TRUE) or xlAbort() reports and keeps it.
    void SetBreak(bool pressed);
    bool BreakPending() const;

    // The main window (class "XLMAIN"), made on first use. xlGetHwnd gives
    // its low 16 bits through Excel 4 records and the whole handle through
    // Excel 12 records.
    std::uintptr_t MainWindow();
    // Function-wizard mode: while on, a top-level popup window of class
    // "bosa_sdm_XL9" exists, owned by the main window up to 14.0 and from
    // 15.0 on by another window of class "XLMAIN", the active workbook's.
    void SetFunctionWizard(bool on);
    bool FunctionWizard() const;
    std::uintptr_t WizardWindow() const; // 0 while off
    std::uintptr_t WizardOwner() const;  // 0 while off

    // Fault injection: after `succeedFirst` more calls of `function` that
    // run normally, every call returns `code` and does nothing else.
    void InjectFault(int function, int code, int succeedFirst = 0);
    void ClearFaults();

    // The in-memory sheet (up to Excel 12's 1 048 576 x 16 384 cells), kept
    // sparse: only cells set take memory. xlCoerce reads a range into an
    // array of at most Sheet::MaxArrayCells cells and fails with xlretFailed
    // beyond, as Excel fails when it cannot allocate one; a reference asked
    // for as a reference costs nothing however large.
    void SetCell(int row, int column, const Cell& value);
    Cell GetCell(int row, int column) const; // Nil when never set
    void ClearSheet();
    // References to sheet cells, for xlCoerce. The Ref forms point at a
    // reference block that the engine keeps until Reset; it is the test's
    // record, not Excel-allocated, so it never goes through xlFree.
    // Throw std::out_of_range for a range outside the record kind's sheet.
    XLOPER SheetRef4(const Range& range); // xltypeSRef
    XLOPER Ref4(const Range& range);      // xltypeRef on the engine's sheet
    XLOPER12 SheetRef12(const Range& range);
    XLOPER12 Ref12(const Range& range);
    IDSHEET SheetId() const;

    // Every message box an add-in showed while the engine ran its code
    // (xlAutoOpen, xlAutoClose, a worksheet function), in order. The engine
    // reads each and presses OK, as Excel's user would.
    std::vector<ShownMessageBox> MessageBoxesShown() const;

    const std::vector<LoggedCall>& CallLog() const;
    void ClearCallLog();

    // Loads the add-in (a UTF-8 path) with LoadLibraryW, makes its path the xlGetName answer
    // and runs its xlAutoOpen, returning what that returned. Throws
    // std::runtime_error when the module cannot be loaded or has no xlAutoOpen.
    int OpenAddIn(const std::string& path);
    // Runs xlAutoClose of the add-in opened last, then unloads it as Excel
    // unloads a closed add-in: its module is freed (unless it is still open
    // from an earlier OpenAddIn) and its functions are withdrawn, so the next
    // OpenAddIn loads it anew. Throws std::runtime_error when none is open or
    // it lacks xlAutoClose.
    int CloseAddIn();

    // Calls the registered worksheet function as a cell formula would, each
    // argument passed as its type code asks (ArgumentPassing.h: B, J, A, L,
    // C, C%, D, D%, P, Q, R, U; an argument left out, or past the end, is
    // omitted as in Excel), and reads the result of any of those types into
    // a grid. A reference argument points at the engine's sheet. A null
    // record or pointer shows #NUM!; an argument Excel would not pass shows
    // its error (#VALUE!, #REF!, #NUM! for a J argument beyond 32 bits)
    // without calling. The grid keeps Nil and Missing cells as they came
    // back; Grid::Shown displays them as 0, as a sheet does. Throws std::runtime_error
    // when no function has that name, it takes fewer arguments than given,
    // or its type text has codes the engine cannot pass.
    Grid EvaluateFormula(const std::string& functionText,
                         const std::vector<FormulaArgument>& arguments);
    // The same with number arguments.
    Grid Evaluate(const std::string& functionText, const std::vector<double>& arguments);

    // Evaluates every formula once, as Excel's multithreaded recalculation
    // with `threads` calculation threads (1 to 1024) does: the formulas of
    // functions registered thread-safe ("$") on that many worker threads at
    // once, each taking the next one left; all others on the calling thread,
    // Excel's main thread, one at a time and in order, while the workers run.
    // A result marked xlbitDLLFree goes back to the add-in's xlAutoFree12 on
    // the thread that called, right after it is copied. `finished` is called
    // once per formula (index into `formulas`), on the thread that evaluated
    // it, possibly on several threads at once; it returns before Recalculate.
    //
    // With `clusterNodes` (1 to MaxClusterNodes) the recalculation also plays
    // Excel's cluster connector: every formula of a function registered
    // cluster-safe ("&") runs in one of that many node processes instead of
    // here, each node taking the next such formula left, while the others go
    // on here as above. A node is the program xlnode.exe beside the host
    // executable (XLCALL32.DLL beside it); it loads the add-in from its own
    // temporary copy of the add-in and the data files beside it (*.txt and
    // *.csv), runs no xlAutoOpen, finds the function by its exported name and is
    // called with the arguments made here what their codes ask for (a range
    // read for Q), sent across a pipe; the result comes back the same way, and
    // one marked xlbitDLLFree goes to the node's xlAutoFree12, never to this
    // process's ledger (ClusterResultsHandedBack). On a node xlRunningOnCluster
    // answers TRUE and every other callback fails with xlretFailed, the
    // strictest connector Excel's documentation allows; a node touches no
    // sheet, ledger or registration here. Nodes start in parallel on their
    // first formula and stop, their copies removed, before Recalculate
    // returns. A node that dies during a call fails that formula alone with
    // "the cluster node N running NAME stopped before answering (exit code
    // C)"; one that gives no answer within `nodeTimeLimit` (1 ms to
    // MaxNodeTimeLimit) is ended and fails it with "the cluster node N running
    // NAME gave no answer within S s and was ended". Either is started again
    // for the formulas left. The nodes run in a job that ends them with this
    // process; a console's Ctrl-C removes their copies, and copies left by a
    // process that was killed are swept when the next one starts a node.
    void Recalculate(const std::vector<FormulaCall>& formulas, int threads,
                     const FormulaFinished& finished, int clusterNodes = 0,
                     std::chrono::milliseconds nodeTimeLimit = DefaultNodeTimeLimit);
    static constexpr int MaxThreads = 1024;
    static constexpr int MaxClusterNodes = 64;
    static constexpr std::chrono::milliseconds DefaultNodeTimeLimit = std::chrono::seconds(60);
    static constexpr std::chrono::milliseconds MaxNodeTimeLimit = std::chrono::hours(24);

    // The results of offloaded calls marked xlbitDLLFree that the nodes handed
    // to their add-in's xlAutoFree12 (or xlAutoFree), and those whose add-in
    // exports none. ResetLedger forgets them.
    std::size_t ClusterResultsHandedBack() const;
    std::size_t ClusterResultsWithoutAutoFree() const;
    // The nodes the connector had to end: a call ran over its time limit, or
    // a node told to stop did not leave with exit code 0 by itself within
    // 10 s. ResetLedger forgets them.
    std::size_t ClusterNodesEnded() const;

private:
    Engine();
    // The registration a formula calls; throws as EvaluateFormula does.
    const Registration* CallableFunction(const std::string& functionText,
                                         std::size_t argumentCount) const;
    Grid EvaluateOnNode(ClusterNode& node, const FormulaCall& formula);
    template <class Record>
    int CallUserFunction(int count, Record** args, Record* result, int recordKind);
    std::unique_ptr<EngineState> state_;
};

} // namespace xlhost
