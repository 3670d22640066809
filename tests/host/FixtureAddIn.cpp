// A tiny add-in written straight on the Excel records, without the
// framework: what the stand-in Excel is tested against. It registers its
// functions through XLCALL32.DLL as any add-in does. Setting the environment
// variable FIXTURE_OPEN_FAILS makes xlAutoOpen report failure.
#include "xlw/ExcelApi.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <type_traits>
#include <vector>

namespace {

Excel4vProc excel4v = nullptr;

// Counted strings live as long as the module: Excel reads them after the
// function returned. Excel 4 records by default, Excel 12 ones when asked.
template <class Record = XLOPER> Record Text(const std::string& text) {
    using Char = std::remove_pointer_t<decltype(Record{}.val.str)>;
    static std::deque<std::basic_string<Char>> kept;
    kept.emplace_back(1, static_cast<Char>(text.size()));
    kept.back().append(text.begin(), text.end());
    Record record = {};
    record.val.str = &kept.back()[0];
    record.xltype = xltypeStr;
    return record;
}

template <class Record = XLOPER> Record Number(double value) {
    Record record = {};
    record.val.num = value;
    record.xltype = xltypeNum;
    return record;
}

XLOPER Boolean(bool value) {
    XLOPER record = {};
    record.val.xbool = value ? 1 : 0;
    record.xltype = xltypeBool;
    return record;
}

XLOPER Error(int code) {
    XLOPER record = {};
    record.val.err = static_cast<std::uint16_t>(code);
    record.xltype = xltypeErr;
    return record;
}

int Call(int function, LPXLOPER result, std::vector<XLOPER> args) {
    std::vector<LPXLOPER> pointers;
    for (XLOPER& arg : args) {
        pointers.push_back(&arg);
    }
    return excel4v(function, result, static_cast<int>(pointers.size()), pointers.data());
}

void Free(XLOPER& record) {
    Call(xlFree, nullptr, {record});
}

std::string ModulePath() {
    XLOPER name = {};
    if (Call(xlGetName, &name, {}) != xlretSuccess || name.xltype != xltypeStr) {
        return std::string();
    }
    std::string path(name.val.str + 1, static_cast<unsigned char>(name.val.str[0]));
    Free(name);
    return path;
}

// xlfGetWorkspace(2)'s answer, or an empty text when the call fails.
std::string VersionText() {
    XLOPER version = {};
    if (Call(xlfGetWorkspace, &version, {Number(2)}) != xlretSuccess ||
        version.xltype != xltypeStr) {
        return std::string();
    }
    std::string text(version.val.str + 1, static_cast<unsigned char>(version.val.str[0]));
    Free(version);
    return text;
}

// Registers `procedure` under its own name, or another one; gives the
// callback's return code.
int Register(const std::string& module, const char* procedure, const char* type,
             const char* arguments, std::vector<std::string> argumentHelp,
             const char* name = nullptr) {
    name = name != nullptr ? name : procedure;
    std::vector<XLOPER> args = {Text(module),    Text(procedure),
                                Text(type),      Text(name),
                                Text(arguments), Number(1),
                                Text("Fixture"), Text(""),
                                Text(""),        Text(std::string("help for ") + name)};
    for (const std::string& help : argumentHelp) {
        args.push_back(Text(help));
    }
    XLOPER id = {};
    return Call(xlfRegister, &id, args);
}

MdCallBack12Proc Callback12() {
    return reinterpret_cast<MdCallBack12Proc>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA(nullptr), "MdCallBack12")));
}

XLOPER12 Row12(XLOPER12* elements, int columns) {
    XLOPER12 record = {};
    record.val.array.lparray = elements;
    record.val.array.rows = 1;
    record.val.array.columns = columns;
    record.xltype = xltypeMulti;
    return record;
}

// Registers through Excel12, the only way to register a cluster-safe
// function: the Excel 4 interface refuses "&".
void Register12(const std::string& module, const char* procedure, const char* type,
                const char* name) {
    XLOPER12 function = {};
    function.val.num = 1;
    function.xltype = xltypeNum;
    std::vector<XLOPER12> args = {Text<XLOPER12>(module),   Text<XLOPER12>(procedure),
                                  Text<XLOPER12>(type),     Text<XLOPER12>(name),
                                  Text<XLOPER12>(""),       function,
                                  Text<XLOPER12>("Fixture")};
    std::vector<LPXLOPER12> pointers;
    for (XLOPER12& arg : args) {
        pointers.push_back(&arg);
    }
    XLOPER12 id = {};
    Callback12()(xlfRegister, static_cast<int>(pointers.size()), pointers.data(), &id);
}

XLOPER MultiOf(XLOPER* elements, std::uint16_t rows, std::uint16_t columns) {
    XLOPER record = {};
    record.val.array.lparray = elements;
    record.val.array.rows = rows;
    record.val.array.columns = columns;
    record.xltype = xltypeMulti;
    return record;
}

} // namespace

namespace {

// The thread that opened the add-in: Excel's main thread.
DWORD mainThread = 0;
// Each recalculation thread's result that is out, marked xlbitDLLFree.
thread_local LPXLOPER12 resultOut = nullptr;
std::atomic<int> ownedFaults{0};
std::atomic<int> together{0};
std::atomic<int> mostTogether{0};

} // namespace

extern "C" int XLW_STDCALL xlAutoOpen() {
    if (std::getenv("FIXTURE_OPEN_FAILS") != nullptr) {
        return 0;
    }
    HMODULE library = LoadLibraryA("XLCALL32.DLL");
    excel4v = reinterpret_cast<Excel4vProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "Excel4v")));
    const std::string module = ModulePath();
    if (excel4v == nullptr || module.empty()) {
        return 0;
    }
    Call(xlcMessage, nullptr, {Boolean(true), Text("Registering fixture...")});
    Register(module, "fix_Table", "PBB", "a, b", {"first number", "second number"});
    Register(module, "fix_Errors", "P", "", {});
    Register(module, "fix_Null", "P", "", {});
    Register(module, "fix_Nil", "P", "", {});
    Register(module, "fix_Missing", "P", "", {});
    Register(module, "fix_Twice", "BB!", "x", {"a number"});
    Register(module, "fix_Version", "P", "", {});
    Register(module, "fix_Wizard", "P", "", {});
    Register(module, "fix_Absent", "P", "", {});
    Register(module, "fix_Difference", "JJJ", "a, b", {});
    Register(module, "fix_Not", "AA", "flag", {});
    Register(module, "fix_Type4", "JR", "x", {});
    Register(module, "fix_Type4", "JP", "x", {}, "fix_ValueType4");
    Register(module, "fix_Read4", "RR#", "x", {});
    Register(module, "fix_Loads", "J!", "", {});
    Register(module, "fix_Callbacks", "P", "", {});
    Register(module, "fix_Alert", "J", "", {});
    // What only Excel 2007 and later know, registered only there, as an add-in
    // that also runs in Excel 2003 must.
    if (std::atof(VersionText().c_str()) >= 12) {
        Register(module, "fix_Wide", "QB", "x", {"a number"});
        Register(module, "fix_Sheet", "Q", "", {});
        Register(module, "fix_Mix", "CBJCBAC%B", "a, j, c, b, flag, w, e", {});
        Register(module, "fix_Repeat", "D%DJ", "text, times", {});
        Register(module, "fix_Upper", "DC%", "text", {});
        Register(module, "fix_NotThrough", "LL$", "flag", {});
        Register(module, "fix_Type12", "JU", "x", {});
        Register(module, "fix_Type12", "JQ", "x", {}, "fix_ValueType12");
        Register(module, "fix_Read12", "UU", "x", {});
        Register(module, "fix_Read12", "QQ", "x", {}, "fix_Pass12");
        Register(module, "fix_Callbacks", "P$", "", {}, "fix_CallbacksThreadSafe");
        Register(module, "fix_Owned", "QB$", "x", {});
        Register(module, "fix_OwnedFaults", "J", "", {});
        Register(module, "fix_Together", "JB$", "count", {});
        Register(module, "fix_OnMainThread", "J", "", {});
        Register(module, "fix_CoerceMany", "JB$", "count", {});
        Register(module, "fix_Tall", "QB", "rows", {});
    }
    // Cluster-safe functions, from Excel 2010 on. The first two ask where
    // they run; the others answer the same on a node as here.
    if (std::atof(VersionText().c_str()) >= 14) {
        Register12(module, "fix_Where", "Q&", "fix_Where");
        Register12(module, "fix_Vanish", "BB&", "fix_Vanish");
        Register12(module, "fix_Spread", "QB$&", "fix_Spread");
        Register12(module, "fix_Beside", "Q&", "fix_Beside");
        Register12(module, "fix_Wide", "QB&", "fix_WideAnywhere");
        Register12(module, "fix_Mix", "CBJCBAC%B&", "fix_MixAnywhere");
        Register12(module, "fix_Repeat", "D%DJ&", "fix_RepeatAnywhere");
        Register12(module, "fix_Upper", "DC%&", "fix_UpperAnywhere");
        Register12(module, "fix_Not", "AA&", "fix_NotAnywhere");
        Register12(module, "fix_NotThrough", "LL&", "fix_NotThroughAnywhere");
        Register12(module, "fix_Difference", "JJJ&", "fix_DifferenceAnywhere");
        Register12(module, "fix_Read12", "QQ&", "fix_PassAnywhere");
        Register12(module, "fix_Null", "Q&", "fix_NullAnywhere");
        Register12(module, "fix_Twice", "BB&", "fix_TwiceAnywhere");
        Register12(module, "fix_Table", "PBB&", "fix_TableAnywhere");
        Register12(module, "fix_Hang", "BQ&", "fix_Hang");
        Register12(module, "fix_Unowned", "P&", "fix_Unowned");
    }
    mainThread = GetCurrentThreadId();
    Call(xlcMessage, nullptr, {Boolean(false)});
    return 1;
}

extern "C" int XLW_STDCALL xlAutoClose() {
    std::printf("fixture closed\n");
    std::fflush(stdout);
    return 1;
}

// Two rows: the arguments and their sum, then a text, a boolean and an error.
extern "C" LPXLOPER XLW_STDCALL fix_Table(double a, double b) {
    static XLOPER elements[6];
    static XLOPER result;
    elements[0] = Number(a);
    elements[1] = Number(b);
    elements[2] = Number(a + b);
    elements[3] = Text("text");
    elements[4] = Boolean(true);
    elements[5] = Error(xlerrDiv0);
    result = MultiOf(elements, 2, 3);
    return &result;
}

extern "C" LPXLOPER XLW_STDCALL fix_Errors() {
    static XLOPER elements[7];
    static XLOPER result;
    const int codes[] = {xlerrNull, xlerrDiv0, xlerrValue, xlerrRef, xlerrName, xlerrNum, xlerrNA};
    for (int i = 0; i < 7; ++i) {
        elements[i] = Error(codes[i]);
    }
    result = MultiOf(elements, 1, 7);
    return &result;
}

extern "C" LPXLOPER XLW_STDCALL fix_Null() {
    return nullptr;
}

extern "C" LPXLOPER XLW_STDCALL fix_Nil() {
    static XLOPER result;
    result.xltype = xltypeNil;
    return &result;
}

extern "C" LPXLOPER12 XLW_STDCALL fix_Wide(double x) {
    static XCHAR text[] = {4, L'w', L'i', L'd', L'e'};
    static XLOPER12 elements[2];
    static XLOPER12 result;
    elements[0].val.str = text;
    elements[0].xltype = xltypeStr;
    elements[1] = Number<XLOPER12>(x);
    result = Row12(elements, 2);
    return &result;
}

extern "C" double XLW_STDCALL fix_Twice(double x) {
    return 2 * x;
}

// The version text, copied before Excel's string is handed back.
extern "C" LPXLOPER XLW_STDCALL fix_Version() {
    static XLOPER result;
    const std::string version = VersionText();
    result = version.empty() ? Error(xlerrNA) : Text(version);
    return &result;
}

extern "C" LPXLOPER XLW_STDCALL fix_Missing() {
    static XLOPER result;
    result.xltype = xltypeMissing;
    return &result;
}

// How often it ran since the module was loaded: a module loaded anew starts
// again from 1.
extern "C" int XLW_STDCALL fix_Loads() {
    static int calls = 0;
    return ++calls;
}

// Tells the user something in a message box, and what the box answered.
extern "C" int XLW_STDCALL fix_Alert() {
    return MessageBoxA(nullptr, "Something to know.\nSecond line.", "Fixture", MB_OK);
}

// The return codes of three callbacks that a thread-safe function may not
// make: xlfGetWorkspace(2), an information function, xlAbort(FALSE), which
// clears the break, and xlcMessage, a command (the status bar is cleared
// again where it succeeds); then of xlfRegister, which no worksheet function
// may call.
extern "C" LPXLOPER XLW_STDCALL fix_Callbacks() {
    static XLOPER elements[4];
    static XLOPER result;
    XLOPER version = {};
    const int workspace = Call(xlfGetWorkspace, &version, {Number(2)});
    if (workspace == xlretSuccess) {
        Free(version);
    }
    elements[0] = Number(workspace);
    XLOPER pending = {};
    elements[1] = Number(Call(xlAbort, &pending, {Boolean(false)}));
    const int message = Call(xlcMessage, nullptr, {Boolean(true), Text("busy")});
    if (message == xlretSuccess) {
        Call(xlcMessage, nullptr, {Boolean(false)});
    }
    elements[2] = Number(message);
    elements[3] = Number(Register(ModulePath(), "fix_Twice", "BB", "x", {}, "fix_Again"));
    result = MultiOf(elements, 1, 4);
    return &result;
}

namespace {

struct WizardSearch {
    std::uint16_t mainWindow;
    bool found;
};

BOOL CALLBACK MatchWizard(HWND window, LPARAM state) {
    auto* search = reinterpret_cast<WizardSearch*>(state);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    const auto owner = reinterpret_cast<std::uintptr_t>(GetParent(window));
    if (std::strncmp(name, "bosa_sdm_XL", 11) == 0 && (owner & 0xFFFF) == search->mainWindow) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

} // namespace

// TRUE while the function wizard is open, found the way add-ins look for it.
extern "C" LPXLOPER XLW_STDCALL fix_Wizard() {
    static XLOPER result;
    XLOPER window = {};
    if (excel4v(xlGetHwnd, &window, 0, nullptr) != xlretSuccess) {
        result = Error(xlerrNA);
        return &result;
    }
    WizardSearch search = {static_cast<std::uint16_t>(window.val.w), false};
    EnumWindows(MatchWizard, reinterpret_cast<LPARAM>(&search));
    result = Boolean(search.found);
    return &result;
}

// An array the size of a whole Excel 12 sheet, 1048576 x 16384 cells, more
// than a 32-bit host can hold. The host gives up before it reads an element,
// so one element stands for all of them.
extern "C" LPXLOPER12 XLW_STDCALL fix_Sheet() {
    static XLOPER12 element;
    static XLOPER12 result;
    element.val.num = 1.0;
    element.xltype = xltypeNum;
    result.val.array.lparray = &element;
    result.val.array.rows = 1048576;
    result.val.array.columns = 16384;
    result.xltype = xltypeMulti;
    return &result;
}

// Every argument in one line, so that a slot passed wrongly shows: doubles
// in slots 0, 3 and 6, integers in 1 and 4, pointers in 2 and 5 (the first
// four slots in registers on x86-64, the rest on the stack).
extern "C" const char* XLW_STDCALL fix_Mix(double a, int j, const char* c, double b, short flag,
                                           const wchar_t* w, double e) {
    static char line[512];
    std::string wide;
    for (; *w != 0; ++w) {
        wide += *w < 128 ? static_cast<char>(*w) : '?';
    }
    std::snprintf(line, sizeof line, "%.17g|%d|%s|%.17g|%d|%s|%.17g", a, j, c, b, flag,
                  wide.c_str(), e);
    return line;
}

// The counted text `times` times over, as a counted wide text.
extern "C" const XCHAR* XLW_STDCALL fix_Repeat(const char* counted, int times) {
    static std::wstring result;
    const std::string text(counted + 1, static_cast<unsigned char>(counted[0]));
    result.assign(1, L'\0');
    for (int i = 0; i < times; ++i) {
        for (char c : text) {
            result += static_cast<wchar_t>(static_cast<unsigned char>(c));
        }
    }
    result[0] = static_cast<wchar_t>(result.size() - 1);
    return result.c_str();
}

// The ASCII letters in upper case, as a counted byte text.
extern "C" const char* XLW_STDCALL fix_Upper(const wchar_t* text) {
    static std::string result;
    result.assign(1, '\0');
    for (; *text != 0; ++text) {
        result += *text >= L'a' && *text <= L'z' ? static_cast<char>(*text - L'a' + 'A')
                                                 : static_cast<char>(*text);
    }
    result[0] = static_cast<char>(result.size() - 1);
    return result.c_str();
}

extern "C" int XLW_STDCALL fix_Difference(int a, int b) {
    return a - b;
}

extern "C" short XLW_STDCALL fix_Not(short flag) {
    return flag == 0 ? 1 : 0;
}

extern "C" short* XLW_STDCALL fix_NotThrough(short* flag) {
    static short result;
    result = *flag == 0 ? 1 : 0;
    return &result;
}

// The type word of the record as it arrived.
extern "C" int XLW_STDCALL fix_Type4(LPXLOPER x) {
    return x->xltype;
}

extern "C" int XLW_STDCALL fix_Type12(LPXLOPER12 x) {
    return static_cast<int>(x->xltype);
}

// A reference read through xlCoerce into Excel's memory, handed back for
// Excel to free; any other value handed back as it came; a failed xlCoerce
// as a text with its return code.
extern "C" LPXLOPER XLW_STDCALL fix_Read4(LPXLOPER x) {
    static XLOPER result;
    if (x->xltype != xltypeRef && x->xltype != xltypeSRef) {
        return x;
    }
    LPXLOPER args[] = {x};
    const int code = excel4v(xlCoerce, &result, 1, args);
    if (code != xlretSuccess) {
        result = Text("xlCoerce failed with " + std::to_string(code));
        return &result;
    }
    result.xltype |= xlbitXLFree;
    return &result;
}

extern "C" LPXLOPER12 XLW_STDCALL fix_Read12(LPXLOPER12 x) {
    static XLOPER12 result;
    static XCHAR failed[64];
    if (x->xltype != xltypeRef && x->xltype != xltypeSRef) {
        return x;
    }
    LPXLOPER12 args[] = {x};
    const int code = Callback12()(xlCoerce, 1, args, &result);
    if (code != xlretSuccess) {
        const std::string text = "xlCoerce failed with " + std::to_string(code);
        failed[0] = static_cast<XCHAR>(text.size());
        std::copy(text.begin(), text.end(), failed + 1);
        result.val.str = failed;
        result.xltype = xltypeStr;
        return &result;
    }
    result.xltype |= xlbitXLFree;
    return &result;
}

// What multithreaded recalculation must keep: a result marked xlbitDLLFree
// comes back to xlAutoFree12 on the thread that returned it, before that
// thread calls again. Each thread remembers the result it has out.
extern "C" LPXLOPER12 XLW_STDCALL fix_Owned(double x) {
    if (resultOut != nullptr) {
        ++ownedFaults; // the previous result was never handed back
    }
    resultOut = new XLOPER12;
    resultOut->val.num = x;
    resultOut->xltype = xltypeNum | xlbitDLLFree;
    return resultOut;
}

extern "C" void XLW_STDCALL xlAutoFree12(LPXLOPER12 record) {
    if (record != resultOut) {
        ++ownedFaults; // another thread's result, or one freed already
        return;
    }
    if ((record->xltype & ~xlbitDLLFree) == xltypeMulti) {
        LPXLOPER12 elements = record->val.array.lparray;
        for (int i = 0; i < record->val.array.columns; ++i) {
            if (elements[i].xltype == xltypeStr) {
                delete[] elements[i].val.str;
            }
        }
        delete[] elements;
    }
    delete resultOut;
    resultOut = nullptr;
}

extern "C" int XLW_STDCALL fix_OwnedFaults() {
    return ownedFaults;
}

// Waits until `count` calls have been inside at once, or two seconds have
// passed, and answers the most that were. The last call out starts the count
// afresh for the next recalculation.
extern "C" int XLW_STDCALL fix_Together(double count) {
    const int inside = ++together;
    for (int peak = mostTogether;
         peak < inside && !mostTogether.compare_exchange_weak(peak, inside);)
        ;
    for (int waited = 0; mostTogether < count && waited < 2000; ++waited)
        Sleep(1);
    const int most = mostTogether;
    if (--together == 0)
        mostTogether = 0;
    return most;
}

extern "C" int XLW_STDCALL fix_OnMainThread() {
    return GetCurrentThreadId() == mainThread ? 1 : 0;
}

// `count` times over: a number coerced to a text that Excel allocates, then
// freed, through the Excel 12 callback, as the framework's thread-safe
// conversions do; answers how many of the calls failed. Many threads at once
// put the stand-in's ledger under load.
extern "C" int XLW_STDCALL fix_CoerceMany(double count) {
    const auto callback = reinterpret_cast<MdCallBack12Proc>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA(nullptr), "MdCallBack12")));
    if (callback == nullptr)
        return -1;
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        XLOPER12 number = {};
        number.val.num = i + 0.5;
        number.xltype = xltypeNum;
        XLOPER12 target = {};
        target.val.w = xltypeStr;
        target.xltype = xltypeInt;
        LPXLOPER12 coerceArgs[] = {&number, &target};
        XLOPER12 text = {};
        if (callback(xlCoerce, 2, coerceArgs, &text) != xlretSuccess || text.xltype != xltypeStr) {
            ++failures;
            continue;
        }
        LPXLOPER12 freeArgs[] = {&text};
        failures += callback(xlFree, 1, freeArgs, nullptr) != xlretSuccess;
    }
    return failures;
}

// A column of `rows` numbers 0, 1, ...: tall enough to run over the sheet.
extern "C" LPXLOPER12 XLW_STDCALL fix_Tall(double rows) {
    static std::vector<XLOPER12> elements;
    static XLOPER12 result;
    elements.assign(static_cast<std::size_t>(rows), XLOPER12{});
    for (std::size_t i = 0; i < elements.size(); ++i) {
        elements[i].val.num = static_cast<double>(i);
        elements[i].xltype = xltypeNum;
    }
    result.val.array.lparray = elements.data();
    result.val.array.rows = static_cast<std::int32_t>(elements.size());
    result.val.array.columns = 1;
    result.xltype = xltypeMulti;
    return &result;
}

namespace {

// xlRunningOnCluster's return code and answer.
int RunningOnCluster(XLOPER12& answer) {
    answer = XLOPER12{};
    return Callback12()(xlRunningOnCluster, 0, nullptr, &answer);
}

} // namespace

// Where it runs, as xlRunningOnCluster tells it: that callback's return
// code, the type of its answer and the answer; then the return code of
// xlGetName, a callback any function may make in Excel's process and that a
// strict cluster node refuses.
extern "C" LPXLOPER12 XLW_STDCALL fix_Where() {
    static XLOPER12 elements[4];
    static XLOPER12 result;
    XLOPER12 answer;
    elements[0] = Number<XLOPER12>(RunningOnCluster(answer));
    elements[1] = Number<XLOPER12>(answer.xltype);
    elements[2] = answer;
    XLOPER12 name = {};
    const int nameCode = Callback12()(xlGetName, 0, nullptr, &name);
    if (nameCode == xlretSuccess) {
        LPXLOPER12 freeArgs[] = {&name};
        Callback12()(xlFree, 1, freeArgs, nullptr);
    }
    elements[3] = Number<XLOPER12>(nameCode);
    result = Row12(elements, 4);
    return &result;
}

// Twice x here; on a cluster node it ends its own process, as a node that
// crashes or is killed ends.
extern "C" double XLW_STDCALL fix_Vanish(double x) {
    XLOPER12 answer;
    if (RunningOnCluster(answer) == xlretSuccess && answer.xltype == xltypeBool &&
        answer.val.xbool != 0) {
        TerminateProcess(GetCurrentProcess(), 7);
    }
    return 2 * x;
}

// The number of cells of its argument here; on a cluster node it never
// answers, as a node stopped by a debugger or a hung call does not.
extern "C" double XLW_STDCALL fix_Hang(LPXLOPER12 value) {
    XLOPER12 answer;
    if (RunningOnCluster(answer) == xlretSuccess && answer.xltype == xltypeBool &&
        answer.val.xbool != 0) {
        Sleep(INFINITE);
    }
    return (value->xltype & ~xlbitDLLFree) == xltypeMulti
               ? static_cast<double>(value->val.array.rows) * value->val.array.columns
               : 1.0;
}

// 42 in a record marked xlbitDLLFree, from an add-in that exports only
// xlAutoFree12: no xlAutoFree takes an Excel 4 record back, so Excel can
// only leak it. The record is static: nothing is lost.
extern "C" LPXLOPER XLW_STDCALL fix_Unowned() {
    static XLOPER result;
    result = Number(42);
    result.xltype |= xlbitDLLFree;
    return &result;
}

// A row of `count` cells allocated here and marked xlbitDLLFree, for
// xlAutoFree12: first how many results this thread had out that were never
// handed back (ownedFaults), then element i is i + 0.25, the text "t" i,
// TRUE, #N/A or empty as i mod 5 is 0, 1, 2, 3 or 4.
extern "C" LPXLOPER12 XLW_STDCALL fix_Spread(double count) {
    if (resultOut != nullptr) {
        ++ownedFaults;
    }
    const int columns = static_cast<int>(count);
    auto* elements = new XLOPER12[columns]();
    elements[0] = Number<XLOPER12>(ownedFaults);
    for (int i = 1; i < columns; ++i) {
        XLOPER12& element = elements[i];
        switch (i % 5) {
        case 0:
            element = Number<XLOPER12>(i + 0.25);
            break;
        case 1: {
            const std::string text = "t" + std::to_string(i);
            element.val.str = new XCHAR[text.size() + 1];
            element.val.str[0] = static_cast<XCHAR>(text.size());
            std::copy(text.begin(), text.end(), element.val.str + 1);
            element.xltype = xltypeStr;
            break;
        }
        case 2:
            element.val.xbool = 1;
            element.xltype = xltypeBool;
            break;
        case 3:
            element.val.err = xlerrNA;
            element.xltype = xltypeErr;
            break;
        default:
            element.xltype = xltypeNil;
            break;
        }
    }
    resultOut = new XLOPER12(Row12(elements, columns));
    resultOut->xltype |= xlbitDLLFree;
    return resultOut;
}

// Where this module was loaded from, the first line of FixtureData.txt
// beside it ("none" when there is no such file), found as an add-in finds
// its data files: from its own path, with no callback; then how many
// programs (*.exe, *.dll) lie beside it.
extern "C" LPXLOPER12 XLW_STDCALL fix_Beside() {
    static XLOPER12 elements[3];
    static XLOPER12 result;
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&fix_Beside), &self);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(self, path, MAX_PATH);
    const std::string module = path;
    const std::string folder = module.substr(0, module.find_last_of('\\') + 1);
    std::string line = "none";
    if (std::FILE* file = std::fopen((folder + "FixtureData.txt").c_str(), "r")) {
        char text[256] = {};
        if (std::fgets(text, sizeof text, file) != nullptr) {
            line = std::string(text, std::strcspn(text, "\r\n"));
        }
        std::fclose(file);
    }
    int programs = 0;
    for (const char* pattern : {"*.exe", "*.dll"}) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + pattern).c_str(), &found);
        for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
            ++programs;
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
    }
    elements[0] = Text<XLOPER12>(module);
    elements[1] = Text<XLOPER12>(line);
    elements[2] = Number<XLOPER12>(programs);
    result = Row12(elements, 3);
    return &result;
}
