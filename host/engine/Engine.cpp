#include "Engine.h"

#include "ArgumentPassing.h"
#include "ClusterNode.h"
#include "Coercion.h"
#include "EngineState.h"
#include "Functions.h"
#include "ModulePath.h"
#include "Records.h"
#include "Returned.h"
#include "ShownResult.h"
#include "Text.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <stdexcept>
#include <thread>
#include <utility>

namespace xlhost {

namespace {

constexpr int MaxCallArguments = 255;
constexpr int Excel4Records = 4;
constexpr int Excel12Records = 12;
// Excel 2013 (15.0) gave each workbook a main window of its own.
constexpr int SingleDocumentVersion = 15;

std::string VersionFromEnvironment() {
    const char* version = std::getenv(VersionVariable);
    return version != nullptr && *version != '\0' ? version : DefaultVersion;
}

// xlFree on one record: hands its Excel-allocated contents back to the ledger
// and, as Excel does, sets the record's pointer to null, so that freeing the
// same record again does nothing.
template <class Pointer> Ledger::FreeOutcome FreeBlock(Ledger& ledger, Pointer& block) {
    if (block == nullptr) {
        return Ledger::FreeOutcome::Freed;
    }
    const Ledger::FreeOutcome outcome = ledger.Free(block);
    block = nullptr;
    return outcome;
}

template <class Record> Ledger::FreeOutcome FreeRecord(Ledger& ledger, Record& record) {
    switch (TypeOf(record)) {
    case xltypeStr:
        return FreeBlock(ledger, record.val.str);
    case xltypeMulti:
        return FreeBlock(ledger, record.val.array.lparray);
    case xltypeRef:
        return FreeBlock(ledger, record.val.mref.lpmref);
    default:
        // Harmless on records that hold no memory, as in Excel.
        return Ledger::FreeOutcome::Freed;
    }
}

// A record that xlFree has freed: its type still says it holds memory, its
// pointer is null. Freeing it again is harmless.
template <class Record> bool IsFreed(const Record& record) {
    switch (TypeOf(record)) {
    case xltypeStr:
        return record.val.str == nullptr;
    case xltypeMulti:
        return record.val.array.lparray == nullptr;
    case xltypeRef:
        return record.val.mref.lpmref == nullptr;
    default:
        return false;
    }
}

template <class Record> int FreeRecords(Ledger& ledger, const std::vector<Record*>& records) {
    int code = xlretSuccess;
    for (Record* record : records) {
        if (FreeRecord(ledger, *record) != Ledger::FreeOutcome::Freed) {
            // Excel's behaviour here is undefined; the stand-in says so.
            code = xlretFailed;
        }
    }
    return code;
}

template <class Record>
int Dispatch(EngineState& state, int function, int count, Record** args, Record* result,
             int recordKind) {
    LoggedCall call;
    call.function = function;
    call.recordKind = recordKind;
    std::vector<Record*> records;
    std::vector<Value> values;
    bool readable = count >= 0 && count <= MaxCallArguments && (count == 0 || args != nullptr);
    for (int i = 0; readable && i < count; ++i) {
        Value value;
        readable = args[i] != nullptr &&
                   ((function == xlFree && IsFreed(*args[i])) || ReadValue(*args[i], value));
        if (readable) {
            records.push_back(args[i]);
            values.push_back(value);
            call.arguments.push_back(value.AsCell());
            call.argumentTypes.push_back(args[i]->xltype);
        }
    }
    const auto fault = state.faults.find(function);
    // xlfRegister keeps a record of what it refused, its count included.
    const bool overVersionCount = function != xlfRegister && count > state.MaxCallArguments();
    if (count < 0 || count > MaxCallArguments || overVersionCount) {
        call.returnCode = xlretInvCount;
    } else if (!readable) {
        call.returnCode = xlretInvXloper;
    } else if (fault != state.faults.end() && fault->second.succeedFirst == 0) {
        call.returnCode = fault->second.code;
    } else {
        if (fault != state.faults.end()) {
            --fault->second.succeedFirst;
        }
        if (function == xlFree) {
            call.returnCode = FreeRecords(state.ledger, records);
        } else {
            const Outcome outcome = RunFunction(state, function, values, recordKind);
            call.returnCode = outcome.code;
            if (outcome.code == xlretSuccess && outcome.result && result != nullptr &&
                !WriteValue(*result, *outcome.result, state.ledger, outcome.description)) {
                call.returnCode = xlretFailed;
            }
        }
    }
    state.callLog.push_back(call);
    return call.returnCode;
}

// A record too large to read spills before it is read.
template <class Record> Grid ResultGrid(const EngineState& state, const Record* record) {
    if (record != nullptr &&
        (record->xltype & ~unsigned(xlbitXLFree | xlbitDLLFree)) == xltypeMulti &&
        SpillsOverTheEdge(state, record->val.array.rows, record->val.array.columns)) {
        return Grid::Single(Cell::Error(SpillError));
    }
    return ShownGrid(state, Returned::Of(record));
}

// Hands a returned record back as its type bits ask: xlbitDLLFree to the
// add-in's xlAutoFree, xlbitXLFree to Excel's own memory.
template <class Record>
void ReleaseResult(EngineState& state, HMODULE module, Record* record, const char* autoFree) {
    if (record == nullptr) {
        return;
    }
    if ((record->xltype & xlbitXLFree) != 0) {
        const std::lock_guard<std::mutex> lock(state.mutex);
        FreeRecord(state.ledger, *record);
    }
    if ((record->xltype & xlbitDLLFree) != 0) {
        const bool handedBack = HandBack(module, record, autoFree);
        const std::lock_guard<std::mutex> lock(state.mutex);
        ++(handedBack ? state.resultsHandedBack : state.resultsWithoutAutoFree);
    }
}

template <class Record>
Grid CallForRecord(EngineState& state, HMODULE module, Procedure procedure, const CallFrame& frame,
                   const char* autoFree) {
    auto* record = reinterpret_cast<Record*>(frame.CallForWord(procedure));
    Grid grid = ResultGrid(state, record);
    ReleaseResult(state, module, record, autoFree);
    return grid;
}

// While Excel runs a function, xlGetName names that function's add-in and,
// for a thread-safe function, the callbacks of the main thread fail; what the
// thread had before comes back however the call ends, a result that cannot
// be read included.
class CallOnThisThread {
public:
    CallOnThisThread(const std::string& addInPath, bool threadSafe) : previous_(ThisThreadsCall()) {
        ThisThreadsCall() = RunningCall{threadSafe, &addInPath};
    }
    ~CallOnThisThread() { ThisThreadsCall() = previous_; }
    CallOnThisThread(const CallOnThisThread&) = delete;
    CallOnThisThread& operator=(const CallOnThisThread&) = delete;

private:
    const RunningCall previous_;
};

void CheckCallable(const Registration& registration, std::size_t argumentCount) {
    const TypeText& type = registration.parsedType;
    for (const std::string& code : type.arguments) {
        if (!PassedArguments::Supports(code)) {
            throw std::runtime_error(registration.FunctionText() + " takes an argument of type " +
                                     code +
                                     "; the stand-in passes B, J, A, L, C, C%, D, D%, P, "
                                     "Q, R and U");
        }
    }
    if (!PassedArguments::Supports(type.result)) {
        throw std::runtime_error(registration.FunctionText() + " returns type " + type.result +
                                 "; the stand-in reads B, J, A, L, C, C%, D, D%, P, Q, R and U "
                                 "results");
    }
    if (type.arguments.size() > MaxWorksheetArguments) {
        throw std::runtime_error(registration.FunctionText() + " takes more arguments than the " +
                                 "stand-in passes (" + std::to_string(MaxWorksheetArguments) + ")");
    }
    if (argumentCount > type.arguments.size()) {
        throw std::runtime_error(registration.FunctionText() + " takes " +
                                 std::to_string(type.arguments.size()) + " arguments, not " +
                                 std::to_string(argumentCount));
    }
}

// Excel's Add-ins dialog lists an add-in by what its xlAddInManagerInfo
// (xlAddInManagerInfo12 from Excel 2007 on) answers action 1, or by its file
// name when it exports none or answers no text.
template <class Record>
std::string AskAddInName(EngineState& state, HMODULE module, const char* procedureName,
                         const char* autoFree) {
    using Info = Record*(XLW_STDCALL*)(Record*);
    const auto info =
        reinterpret_cast<Info>(reinterpret_cast<void (*)()>(GetProcAddress(module, procedureName)));
    if (info == nullptr) {
        return std::string();
    }
    Record action = {};
    action.val.num = 1.0;
    action.xltype = xltypeNum;
    Record* answer = info(&action);
    Value value;
    const bool text =
        answer != nullptr && ReadValue(*answer, value) && value.cell.kind == Cell::Kind::Text;
    ReleaseResult(state, module, answer, autoFree);
    return text ? value.cell.text : std::string();
}

std::string AddInNameOf(EngineState& state, HMODULE module) {
    if (state.MajorVersion() >= 12 && GetProcAddress(module, "xlAddInManagerInfo12") != nullptr) {
        return AskAddInName<XLOPER12>(state, module, "xlAddInManagerInfo12", "xlAutoFree12");
    }
    return AskAddInName<XLOPER>(state, module, "xlAddInManagerInfo", "xlAutoFree");
}

using AutoProcedure = int(XLW_STDCALL*)();

int RunAutoProcedure(HMODULE module, const char* name) {
    const auto procedure =
        reinterpret_cast<AutoProcedure>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    if (procedure == nullptr) {
        throw std::runtime_error("the add-in " + ModulePath(module) + " exports no " + name);
    }
    return procedure();
}

// Excel unloads an add-in that is closed and no longer open: the references
// that registering from it took go, and its functions, whose code goes with
// the module, are withdrawn.
void Unload(EngineState& state, HMODULE module) {
    auto& taken = state.modulesLoadedByRegistration;
    for (auto it = taken.begin(); it != taken.end();) {
        if (*it == module) {
            FreeLibrary(module);
            it = taken.erase(it);
        } else {
            ++it;
        }
    }
    for (std::size_t i = 0; i < state.registrations.size(); ++i) {
        if (state.procedures[i].module == module) {
            state.registrations[i].unregistered = true;
            state.procedures[i] = RegisteredProcedure();
        }
    }
}

} // namespace

RunningCall& ThisThreadsCall() {
    thread_local RunningCall call;
    return call;
}

int EngineState::MajorVersion() const {
    return std::atoi(version.c_str());
}

int EngineState::MaxCallArguments() const {
    return MajorVersion() < 12 ? 30 : 255;
}

void EngineState::Reset() {
    version = VersionFromEnvironment();
    ledger.Reset();
    resultsHandedBack = 0;
    resultsWithoutAutoFree = 0;
    clusterResultsHandedBack = 0;
    clusterResultsWithoutAutoFree = 0;
    clusterNodesEnded = 0;
    sheet.Clear();
    statusBar.reset();
    statusHistory.clear();
    registrations.clear();
    procedures.clear();
    nextRegisterId = 1.0;
    addInPath = ExecutablePath();
    breakPending = false;
    windows.CloseWizard();
    faults.clear();
    callLog.clear();
    messageBoxes.Clear();
    addInName.clear();
    testReferenceBlocks.Reset();
}

Engine& Engine::Get() {
    // Never destroyed: add-ins may still call in while the process exits.
    static Engine* engine = new Engine();
    return *engine;
}

Engine::Engine() : state_(new EngineState()) {
    state_->Reset();
}

Engine::~Engine() = default;

void Engine::Reset() {
    state_->Reset();
}

int Engine::Dispatch4(int function, int count, LPXLOPER* args, LPXLOPER result) {
    if (function == xlUDF) {
        return CallUserFunction(count, args, result, Excel4Records);
    }
    const std::lock_guard<std::mutex> lock(state_->mutex);
    try {
        return Dispatch(*state_, function, count, args, result, Excel4Records);
    } catch (const std::exception&) {
        return xlretFailed;
    }
}

int Engine::Dispatch12(int function, int count, LPXLOPER12* args, LPXLOPER12 result) {
    if (function == xlUDF) {
        return CallUserFunction(count, args, result, Excel12Records);
    }
    const std::lock_guard<std::mutex> lock(state_->mutex);
    try {
        return Dispatch(*state_, function, count, args, result, Excel12Records);
    } catch (const std::exception&) {
        return xlretFailed;
    }
}

// xlUDF runs the called function's code, which calls back into the engine:
// the lock is held only around what reads or changes the engine's state.
template <class Record>
int Engine::CallUserFunction(int count, Record** args, Record* result, int recordKind) {
    LoggedCall call;
    call.function = xlUDF;
    call.recordKind = recordKind;
    std::vector<FormulaArgument> arguments;
    bool scalars = count >= 1 && count <= MaxCallArguments && args != nullptr;
    for (int i = 0; scalars && i < count; ++i) {
        Value value;
        scalars = args[i] != nullptr && ReadValue(*args[i], value) && !value.IsReference() &&
                  value.type != xltypeMulti;
        if (scalars) {
            call.arguments.push_back(value.AsCell());
            call.argumentTypes.push_back(args[i]->xltype);
            if (i > 0) {
                arguments.push_back(FormulaArgument::Literal(value.cell));
            }
        }
    }
    std::string functionText;
    std::optional<Value> answer;
    {
        const std::lock_guard<std::mutex> lock(state_->mutex);
        if (count < 1 || count > state_->MaxCallArguments()) {
            call.returnCode = xlretInvCount;
        } else if (!scalars) {
            // The stand-in passes values through xlUDF, not arrays or references.
            call.returnCode = xlretFailed;
        } else {
            const Registration* registration = FindRegistration(*state_, call.arguments[0]);
            // A function no one registered is #NAME?, as in a cell.
            if (registration == nullptr) {
                answer = Value::Scalar(Cell::Error(xlerrName));
            } else {
                functionText = registration->FunctionText();
            }
        }
    }
    if (call.returnCode == xlretSuccess && !answer) {
        try {
            const Grid grid = EvaluateFormula(functionText, arguments);
            answer = grid.rows == 1 && grid.columns == 1 ? Value::Scalar(grid.cells[0])
                                                         : Value::Array(grid);
        } catch (const std::exception&) {
            call.returnCode = xlretFailed;
        }
    }
    const std::lock_guard<std::mutex> lock(state_->mutex);
    if (answer && result != nullptr &&
        !WriteValue(*result, *answer, state_->ledger, "xlUDF result of " + functionText)) {
        call.returnCode = xlretFailed;
    }
    state_->callLog.push_back(call);
    return call.returnCode;
}

std::string Engine::Version() const {
    return state_->version;
}
void Engine::SetVersion(const std::string& version) {
    state_->version = version;
}

std::size_t Engine::OutstandingAllocations() const {
    return state_->ledger.Outstanding();
}
std::vector<std::string> Engine::OutstandingDescriptions() const {
    return state_->ledger.OutstandingDescriptions();
}
std::size_t Engine::DoubleFrees() const {
    return state_->ledger.DoubleFrees();
}
std::size_t Engine::ForeignFrees() const {
    return state_->ledger.ForeignFrees();
}
std::size_t Engine::ResultsHandedBack() const {
    return state_->resultsHandedBack;
}
std::size_t Engine::ResultsWithoutAutoFree() const {
    return state_->resultsWithoutAutoFree;
}
std::size_t Engine::CompletedFrees() const {
    return state_->ledger.CompletedFrees();
}
void Engine::ResetLedger() {
    state_->ledger.Reset();
    state_->resultsHandedBack = 0;
    state_->resultsWithoutAutoFree = 0;
    state_->clusterResultsHandedBack = 0;
    state_->clusterResultsWithoutAutoFree = 0;
    state_->clusterNodesEnded = 0;
}

std::size_t Engine::ClusterResultsHandedBack() const {
    return state_->clusterResultsHandedBack;
}
std::size_t Engine::ClusterResultsWithoutAutoFree() const {
    return state_->clusterResultsWithoutAutoFree;
}
std::size_t Engine::ClusterNodesEnded() const {
    return state_->clusterNodesEnded;
}

std::optional<std::string> Engine::StatusBar() const {
    return state_->statusBar;
}
std::vector<std::optional<std::string>> Engine::StatusHistory() const {
    return state_->statusHistory;
}

const std::vector<Registration>& Engine::Registrations() const {
    return state_->registrations;
}

const Registration* Engine::FindFunction(const std::string& functionText) const {
    return FindRegistration(*state_, Cell::Text(functionText));
}

std::string Engine::AddInName() const {
    return state_->addInName;
}

std::string Engine::AddInPath() const {
    return state_->addInPath;
}
void Engine::SetAddInPath(const std::string& path) {
    state_->addInPath = path;
}

void Engine::SetBreak(bool pressed) {
    state_->breakPending = pressed;
}
bool Engine::BreakPending() const {
    return state_->breakPending;
}

std::uintptr_t Engine::MainWindow() {
    return state_->windows.MainWindow();
}

void Engine::SetFunctionWizard(bool on) {
    if (on) {
        state_->windows.OpenWizard(state_->MajorVersion() >= SingleDocumentVersion);
    } else {
        state_->windows.CloseWizard();
    }
}

bool Engine::FunctionWizard() const {
    return state_->windows.Wizard() != 0;
}
std::uintptr_t Engine::WizardWindow() const {
    return state_->windows.Wizard();
}
std::uintptr_t Engine::WizardOwner() const {
    const std::uintptr_t wizard = state_->windows.Wizard();
    return wizard == 0
               ? 0
               : reinterpret_cast<std::uintptr_t>(GetParent(reinterpret_cast<HWND>(wizard)));
}

void Engine::InjectFault(int function, int code, int succeedFirst) {
    state_->faults[function] = Fault{code, succeedFirst};
}

void Engine::ClearFaults() {
    state_->faults.clear();
}

void Engine::SetCell(int row, int column, const Cell& value) {
    state_->sheet.Set(row, column, value);
}

Cell Engine::GetCell(int row, int column) const {
    return state_->sheet.Get(row, column);
}
void Engine::ClearSheet() {
    state_->sheet.Clear();
}

namespace {

// A test's reference to sheet cells; a Ref's block comes from `blocks`.
template <class Record> Record ReferenceRecord(unsigned type, const Range& range, Ledger& blocks) {
    Value reference;
    reference.type = type;
    reference.areas.push_back(range);
    reference.sheetId = TheSheetId;
    Record record = {};
    if (!Sheet::Contains(range) || !WriteValue(record, reference, blocks, "test reference block")) {
        throw std::out_of_range("range outside the sheet of this record kind");
    }
    return record;
}

} // namespace

XLOPER Engine::SheetRef4(const Range& range) {
    return ReferenceRecord<XLOPER>(xltypeSRef, range, state_->testReferenceBlocks);
}

XLOPER Engine::Ref4(const Range& range) {
    return ReferenceRecord<XLOPER>(xltypeRef, range, state_->testReferenceBlocks);
}

XLOPER12 Engine::SheetRef12(const Range& range) {
    return ReferenceRecord<XLOPER12>(xltypeSRef, range, state_->testReferenceBlocks);
}

XLOPER12 Engine::Ref12(const Range& range) {
    return ReferenceRecord<XLOPER12>(xltypeRef, range, state_->testReferenceBlocks);
}

IDSHEET Engine::SheetId() const {
    return TheSheetId;
}

std::vector<ShownMessageBox> Engine::MessageBoxesShown() const {
    return state_->messageBoxes.Shown();
}

const std::vector<LoggedCall>& Engine::CallLog() const {
    return state_->callLog;
}
void Engine::ClearCallLog() {
    state_->callLog.clear();
}

int Engine::OpenAddIn(const std::string& path) {
    HMODULE module = LoadLibraryW(Utf8ToUtf16(path).c_str());
    if (module == nullptr) {
        throw std::runtime_error("cannot load the add-in " + path + " (error " +
                                 std::to_string(GetLastError()) + ")");
    }
    state_->openAddIns.push_back(module);
    state_->addInPath = ModulePath(module);
    const MessageBoxes::Watch boxes(state_->messageBoxes);
    const int opened = RunAutoProcedure(module, "xlAutoOpen");
    state_->addInName = AddInNameOf(*state_, module);
    return opened;
}

int Engine::CloseAddIn() {
    if (state_->openAddIns.empty()) {
        throw std::runtime_error("no add-in is open");
    }
    const auto module = static_cast<HMODULE>(state_->openAddIns.back());
    const MessageBoxes::Watch boxes(state_->messageBoxes);
    const int closed = RunAutoProcedure(module, "xlAutoClose");
    state_->openAddIns.pop_back();
    if (std::find(state_->openAddIns.begin(), state_->openAddIns.end(), module) ==
        state_->openAddIns.end()) {
        Unload(*state_, module);
    }
    FreeLibrary(module); // the reference this opening took
    if (state_->openAddIns.empty()) {
        MessageBoxes::Unhook();
    }
    return closed;
}

const Registration* Engine::CallableFunction(const std::string& functionText,
                                             std::size_t argumentCount) const {
    const Registration* registration = FindFunction(functionText);
    if (registration == nullptr) {
        throw std::runtime_error("no registered function is named " + functionText);
    }
    CheckCallable(*registration, argumentCount);
    return registration;
}

Grid Engine::Evaluate(const std::string& functionText, const std::vector<double>& arguments) {
    std::vector<FormulaArgument> numbers;
    for (double number : arguments) {
        numbers.push_back(FormulaArgument::Literal(Cell::Number(number)));
    }
    return EvaluateFormula(functionText, numbers);
}

Grid Engine::EvaluateFormula(const std::string& functionText,
                             const std::vector<FormulaArgument>& arguments) {
    const Registration* registration = CallableFunction(functionText, arguments.size());
    const TypeText& type = registration->parsedType;
    PassedArguments passed(state_->sheet);
    for (std::size_t i = 0; i < type.arguments.size(); ++i) {
        Cell shown;
        const FormulaArgument argument =
            i < arguments.size() ? arguments[i] : FormulaArgument::Omitted();
        if (!passed.Add(type.arguments[i], argument, shown)) {
            return Grid::Single(shown);
        }
    }
    const RegisteredProcedure& registered =
        state_->procedures[registration - state_->registrations.data()];
    const Procedure procedure = registered.procedure;
    const auto module = static_cast<HMODULE>(registered.module);

    const std::string modulePath = registration->ModulePath();
    const CallOnThisThread call(modulePath, type.threadSafe);
    const MessageBoxes::Watch boxes(state_->messageBoxes);
    if (type.result == "P" || type.result == "R") {
        return CallForRecord<XLOPER>(*state_, module, procedure, passed.Frame(), "xlAutoFree");
    }
    if (type.result == "Q" || type.result == "U") {
        return CallForRecord<XLOPER12>(*state_, module, procedure, passed.Frame(), "xlAutoFree12");
    }
    return ShownGrid(*state_, CallForScalar(type.result, procedure, passed.Frame()));
}

} // namespace xlhost
