#include "Functions.h"

#include "Coercion.h"
#include "Text.h"

#include <windows.h>

#include <cctype>
#include <cstdint>

namespace xlhost {

namespace {

// Module path, procedure and type text are the least xlfRegister takes.
constexpr int MinRegisterArguments = 3;
// xlfGetWorkspace's information number for the version text.
constexpr double WorkspaceVersion = 2.0;

Outcome Failed(int code) {
    Outcome outcome;
    outcome.code = code;
    return outcome;
}

Outcome Result(const Value& value, const std::string& description = std::string()) {
    Outcome outcome;
    outcome.result = value;
    outcome.description = description;
    return outcome;
}

bool CountWithin(const std::vector<Value>& args, std::size_t least, std::size_t most) {
    return args.size() >= least && args.size() <= most;
}

bool ArgumentAs(const EngineState& state, const Value& arg, unsigned type, Value& converted) {
    return Coerce(arg, type, state.sheet, TheSheetId, converted) == xlretSuccess;
}

Outcome GetWorkspace(EngineState& state, const std::vector<Value>& args) {
    if (!CountWithin(args, 1, 1)) {
        return Failed(xlretInvCount);
    }
    if (ThisThreadsCall().threadSafe) {
        // An information function: thread-safe functions cannot call them.
        return Failed(xlretFailed);
    }
    Value number;
    if (!ArgumentAs(state, args[0], xltypeNum, number) || number.cell.number != WorkspaceVersion) {
        // Only the version is known to the stand-in.
        return Failed(xlretFailed);
    }
    return Result(Value::Scalar(Cell::Text(state.version)), "xlfGetWorkspace(2) version text");
}

Outcome CoerceArgument(EngineState& state, const std::vector<Value>& args) {
    if (!CountWithin(args, 1, 2)) {
        return Failed(xlretInvCount);
    }
    std::optional<unsigned> target;
    if (args.size() == 2 && args[1].type != xltypeMissing) {
        Value mask;
        if (!ArgumentAs(state, args[1], xltypeNum, mask) || mask.cell.number < 0 ||
            mask.cell.number > 0xFFFF) {
            return Failed(xlretFailed);
        }
        target = static_cast<unsigned>(mask.cell.number);
    }
    Outcome outcome;
    Value result;
    outcome.code = Coerce(args[0], target, state.sheet, TheSheetId, result);
    if (outcome.code == xlretSuccess) {
        outcome.result = result;
        outcome.description = "xlCoerce result";
    }
    return outcome;
}

Outcome GetName(EngineState& state, const std::vector<Value>& args) {
    if (!args.empty()) {
        return Failed(xlretInvCount);
    }
    const std::string* calling = ThisThreadsCall().addInPath;
    return Result(Value::Scalar(Cell::Text(calling != nullptr ? *calling : state.addInPath)),
                  "xlGetName path");
}

Outcome Message(EngineState& state, const std::vector<Value>& args) {
    if (!CountWithin(args, 1, 2)) {
        return Failed(xlretInvCount);
    }
    Value show;
    if (!ArgumentAs(state, args[0], xltypeBool, show)) {
        return Failed(xlretFailed);
    }
    if (!show.cell.boolean) {
        state.statusBar.reset();
    } else {
        Value text;
        if (args.size() != 2 || !ArgumentAs(state, args[1], xltypeStr, text)) {
            return Failed(xlretFailed);
        }
        state.statusBar = text.cell.text;
    }
    state.statusHistory.push_back(state.statusBar);
    return Result(Value::Scalar(Cell::Boolean(true)));
}

bool SameModule(const std::string& a, const std::string& b) {
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, Utf8ToUtf16(a).c_str(), -1,
                          Utf8ToUtf16(b).c_str(), -1) == CSTR_EQUAL;
}

// What a cluster node cannot do for a function (Microsoft's cluster-safe
// functions page): run it as a macro sheet would, reach a cell through a
// reference, keep an asynchronous call open.
std::string ClusterRefusal(const TypeText& type) {
    if (!type.clusterSafe) {
        return std::string();
    }
    if (type.macroEquivalent) {
        return "a function cannot be both cluster-safe (&) and macro-sheet equivalent (#)";
    }
    for (std::size_t i = 0; i < type.arguments.size(); ++i) {
        const std::string& code = type.arguments[i];
        if (code == "P" || code == "R" || code == "U") {
            return "a cluster-safe function (&) takes no P, R or U argument; argument " +
                   std::to_string(i + 1) + " is " + code;
        }
        if (code == "X") {
            return "a cluster-safe function (&) cannot be asynchronous (X argument " +
                   std::to_string(i + 1) + ")";
        }
    }
    return std::string();
}

// Why a type text that parses is still refused by this Excel, or empty. The
// codes and marks are those the xlfRegister page dates: Excel 2007 (12.0)
// brought the XLOPER12 records, wide texts, FP12 and thread safety; Excel
// 2010 (14.0) the asynchronous handle and cluster safety, which only the
// Excel 12 interface registers.
std::string VersionRefusal(const TypeText& type, int major, int recordKind) {
    if (type.threadSafe && type.macroEquivalent) {
        return "a function cannot be both thread-safe ($) and macro-sheet equivalent (#)";
    }
    if (type.clusterSafe && recordKind == 4) {
        return "a cluster-safe function (&) is registered through Excel12, not Excel4";
    }
    const std::string clusterRefusal = ClusterRefusal(type);
    if (!clusterRefusal.empty()) {
        return clusterRefusal;
    }
    const std::string excel = "; this is Excel " + std::to_string(major) + ".0";
    std::vector<std::string> codes = type.arguments;
    codes.insert(codes.begin(), type.result);
    for (const std::string& code : codes) {
        const bool excel2007 = code == "Q" || code == "U" || code.back() == '%';
        if (excel2007 && major < 12) {
            return "type code " + code + " needs Excel 2007 (12.0)" + excel;
        }
        if (code == "X" && major < 14) {
            return "type code X needs Excel 2010 (14.0)" + excel;
        }
    }
    if (type.threadSafe && major < 12) {
        return "thread safety ($) needs Excel 2007 (12.0)" + excel;
    }
    if (type.clusterSafe && major < 14) {
        return "cluster safety (&) needs Excel 2010 (14.0)" + excel;
    }
    return std::string();
}

// Empty when Excel would accept the registration; `registered` is then found.
std::string Refusal(EngineState& state, Registration& registration,
                    RegisteredProcedure& registered) {
    const int major = state.MajorVersion();
    if (registration.arguments.size() > static_cast<std::size_t>(state.MaxCallArguments())) {
        return std::to_string(registration.arguments.size()) + " arguments; Excel " +
               std::to_string(major) + ".0 takes at most " +
               std::to_string(state.MaxCallArguments());
    }
    for (std::size_t i = 0; i < 3; ++i) {
        if (registration.arguments[i].kind != Cell::Kind::Text) {
            return "module, procedure and type text must be texts";
        }
    }
    if (!TypeText::Parse(registration.TypeCodes(), registration.parsedType)) {
        return "type text \"" + registration.TypeCodes() + "\" is not valid";
    }
    const std::string versionRefusal =
        VersionRefusal(registration.parsedType, major, registration.recordKind);
    if (!versionRefusal.empty()) {
        return "type text \"" + registration.TypeCodes() + "\": " + versionRefusal;
    }
    const std::string module = registration.ModulePath();
    const std::wstring wideModule = Utf8ToUtf16(module);
    HMODULE handle = GetModuleHandleW(wideModule.c_str());
    if (handle == nullptr) {
        // Excel loads a module it is asked to register from; it stays loaded
        // until the add-in is closed.
        handle = LoadLibraryW(wideModule.c_str());
        if (handle != nullptr) {
            state.modulesLoadedByRegistration.push_back(handle);
        }
    }
    if (handle == nullptr) {
        return "module \"" + module + "\" cannot be loaded";
    }
    registered.procedure = reinterpret_cast<Procedure>(
        reinterpret_cast<void (*)()>(GetProcAddress(handle, registration.Procedure().c_str())));
    if (registered.procedure == nullptr) {
        return "module \"" + module + "\" exports no \"" + registration.Procedure() + "\"";
    }
    registered.module = handle;
    return std::string();
}

// Registering a procedure again gives it its earlier register id, as Excel does.
double RegisterIdFor(EngineState& state, const Registration& registration) {
    for (const Registration& earlier : state.registrations) {
        if (earlier.accepted && !earlier.unregistered &&
            SameModule(earlier.ModulePath(), registration.ModulePath()) &&
            earlier.Procedure() == registration.Procedure()) {
            return earlier.registerId;
        }
    }
    return state.nextRegisterId++;
}

Outcome Register(EngineState& state, const std::vector<Value>& args, int recordKind) {
    if (args.size() < MinRegisterArguments) {
        return Failed(xlretInvCount);
    }
    Registration registration;
    registration.recordKind = recordKind;
    for (const Value& arg : args) {
        registration.arguments.push_back(arg.AsCell());
    }
    RegisteredProcedure procedure;
    registration.refusal = Refusal(state, registration, procedure);
    registration.accepted = registration.refusal.empty();
    if (registration.accepted) {
        registration.registerId = RegisterIdFor(state, registration);
    }
    state.registrations.push_back(registration);
    state.procedures.push_back(procedure);
    if (args.size() > static_cast<std::size_t>(state.MaxCallArguments())) {
        return Failed(xlretInvCount);
    }
    // A refusal is no failed call: Excel answers #VALUE! with success.
    return Result(registration.accepted ? Value::Scalar(Cell::Number(registration.registerId))
                                        : Value::Scalar(Cell::Error(xlerrValue)));
}

Outcome Unregister(EngineState& state, const std::vector<Value>& args) {
    if (!CountWithin(args, 1, 1)) {
        return Failed(xlretInvCount);
    }
    // A register id withdraws one function; a module name all of the module's.
    Value id;
    Value module;
    const bool byId = ArgumentAs(state, args[0], xltypeNum, id);
    if (!byId && !ArgumentAs(state, args[0], xltypeStr, module)) {
        return Failed(xlretFailed);
    }
    bool found = false;
    for (Registration& registration : state.registrations) {
        const bool matches = byId ? registration.registerId == id.cell.number
                                  : SameModule(registration.ModulePath(), module.cell.text);
        if (registration.accepted && !registration.unregistered && matches) {
            registration.unregistered = true;
            found = true;
        }
    }
    return Result(found ? Value::Scalar(Cell::Boolean(true))
                        : Value::Scalar(Cell::Error(xlerrValue)));
}

// A name as a formula writes one: what xlfRegister defines for each
// function text, and all the stand-in evaluates.
bool IsPlainName(const std::string& text) {
    if (text.empty() || std::isdigit(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    for (char c : text) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '.') {
            return false;
        }
    }
    return true;
}

// xlfRegister defines a hidden name per function text that evaluates to the
// register id, hidden functions' included; a name nothing defined is #NAME?.
// Other formulas the stand-in does not evaluate: it fails them.
Outcome Evaluate(const EngineState& state, const std::vector<Value>& args) {
    if (!CountWithin(args, 1, 1)) {
        return Failed(xlretInvCount);
    }
    if (args[0].type != xltypeStr) {
        return Failed(xlretFailed);
    }
    std::string name = args[0].cell.text;
    if (!name.empty() && name[0] == '=') {
        name.erase(0, 1);
    }
    if (!IsPlainName(name)) {
        return Failed(xlretFailed);
    }
    const Registration* registration = FindRegistration(state, Cell::Text(name));
    return Result(Value::Scalar(registration != nullptr ? Cell::Number(registration->registerId)
                                                        : Cell::Error(xlerrName)));
}

Outcome GetHwnd(EngineState& state, const std::vector<Value>& args, int recordKind) {
    if (!args.empty()) {
        return Failed(xlretInvCount);
    }
    const std::uintptr_t window = state.windows.MainWindow();
    // An XLOPER integer holds 16 bits: Excel 4 callers get the low word only.
    // An XLOPER12 integer holds the whole handle on both targets: 64-bit
    // Windows keeps window handles within 32 bits, sign-extended.
    const int handle = recordKind == 4 ? static_cast<std::int16_t>(window & 0xFFFF)
                                       : static_cast<std::int32_t>(window);
    return Result(Value::Integer(handle));
}

// Excel 2010 brought the cluster connector; in Excel's own process the
// answer is 0 as an integer (Microsoft's xlRunningOnCluster page). A node
// answers TRUE, in its own process (host/xlnode).
Outcome RunningOnCluster(const EngineState& state, const std::vector<Value>& args) {
    if (state.MajorVersion() < 14) {
        return Failed(xlretInvXlfn);
    }
    if (!args.empty()) {
        return Failed(xlretInvCount);
    }
    return Result(Value::Integer(0));
}

Outcome Abort(EngineState& state, const std::vector<Value>& args) {
    if (!CountWithin(args, 0, 1)) {
        return Failed(xlretInvCount);
    }
    bool retain = true;
    if (!args.empty() && args[0].type != xltypeMissing) {
        Value flag;
        if (!ArgumentAs(state, args[0], xltypeBool, flag)) {
            return Failed(xlretFailed);
        }
        retain = flag.cell.boolean;
    }
    if (!retain && ThisThreadsCall().threadSafe) {
        // Clearing the break is for the calculation thread alone.
        return Failed(xlretNotThreadSafe);
    }
    const bool pending = state.breakPending;
    if (!retain) {
        state.breakPending = false;
    }
    return Result(Value::Scalar(Cell::Boolean(pending)));
}

} // namespace

const Registration* FindRegistration(const EngineState& state, const Cell& nameOrId) {
    const auto& registrations = state.registrations;
    for (auto it = registrations.rbegin(); it != registrations.rend(); ++it) {
        if (!it->accepted || it->unregistered) {
            continue;
        }
        if (nameOrId.kind == Cell::Kind::Number
                ? it->registerId == nameOrId.number
                : nameOrId.kind == Cell::Kind::Text &&
                      SameIgnoringCase(it->FunctionText(), nameOrId.text)) {
            return &*it;
        }
    }
    return nullptr;
}

Outcome RunFunction(EngineState& state, int function, const std::vector<Value>& args,
                    int recordKind) {
    // Commands and the macro-sheet functions that change Excel's state are
    // for the main thread alone.
    const bool mainThreadOnly =
        function == xlcMessage || function == xlfRegister || function == xlfUnregister;
    if (mainThreadOnly && ThisThreadsCall().threadSafe) {
        return Failed(xlretNotThreadSafe);
    }
    // xlfRegister "can be called from a DLL or XLL command that has itself
    // been called by Microsoft Excel" (Microsoft's xlfRegister pages): from
    // xlAutoOpen or a command, never from a worksheet function, which Excel
    // may be running on other threads meanwhile.
    const bool commandOnly = function == xlfRegister || function == xlfUnregister;
    if (commandOnly && ThisThreadsCall().addInPath != nullptr) {
        return Failed(xlretInvXlfn);
    }
    switch (function) {
    case xlfGetWorkspace:
        return GetWorkspace(state, args);
    case xlCoerce:
        return CoerceArgument(state, args);
    case xlGetName:
        return GetName(state, args);
    case xlcMessage:
        return Message(state, args);
    case xlfRegister:
        return Register(state, args, recordKind);
    case xlfUnregister:
        return Unregister(state, args);
    case xlGetHwnd:
        return GetHwnd(state, args, recordKind);
    case xlfEvaluate:
        return Evaluate(state, args);
    case xlAbort:
        return Abort(state, args);
    case xlRunningOnCluster:
        return RunningOnCluster(state, args);
    default:
        return Failed(xlretInvXlfn);
    }
}

} // namespace xlhost
