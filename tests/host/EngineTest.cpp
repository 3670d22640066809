// The stand-in Excel's services, reached the way add-ins reach them.
#include "Engine.h"
#include "Sheet.h"
#include "TestRecords.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>

namespace {

using hosttest::Call;
using hosttest::Describe;
using hosttest::Free;
using hosttest::Records;
using xlhost::Cell;
using xlhost::Engine;
using xlhost::FormulaArgument;
using xlhost::FormulaCall;
using xlhost::Grid;

std::string BesideExecutable(const std::string& file) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1) + file;
}

const std::string FixturePath = BesideExecutable("FixtureAddIn.xll");

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { Engine::Get().Reset(); }
    Engine& engine = Engine::Get();
    Records<XLOPER> records4;
    Records<XLOPER12> records12;
};

TEST_F(EngineTest, LedgerCatchesLeakDoubleFreeAndForeignPointer) {
    XLOPER name = records4.Nil();
    ASSERT_EQ(Call<XLOPER>(xlGetName, &name, {}), xlretSuccess);
    EXPECT_EQ(engine.OutstandingAllocations(), 1u) << "a string handed out and not yet freed";
    EXPECT_EQ(engine.OutstandingDescriptions(), std::vector<std::string>{"xlGetName path"});

    XLOPER copy = name;
    EXPECT_EQ(Free(name), xlretSuccess);
    EXPECT_EQ(engine.OutstandingAllocations(), 0u);
    // xlFree resets the freed record's pointer, so freeing that record again
    // is harmless; a copy still holds the freed pointer.
    EXPECT_EQ(name.val.str, nullptr);
    EXPECT_EQ(name.xltype, xltypeStr);
    EXPECT_EQ(Free(name), xlretSuccess);
    EXPECT_NE(Free(copy), xlretSuccess) << "the second free of one string";
    EXPECT_EQ(engine.DoubleFrees(), 1u);

    XLOPER12 mine = records12.Text("not Excel's");
    EXPECT_NE(Free(mine), xlretSuccess);
    EXPECT_EQ(engine.ForeignFrees(), 1u);
    EXPECT_EQ(engine.CompletedFrees(), 1u);
}

TEST_F(EngineTest, FreeIsHarmlessOnRecordsWithoutMemory) {
    XLOPER number = records4.Number(1);
    XLOPER integer = records4.Integer(2);
    XLOPER12 nil = records12.Nil();
    XLOPER12 error = records12.Error(xlerrNA);
    EXPECT_EQ(Call<XLOPER>(xlFree, nullptr, {&number, &integer}), xlretSuccess);
    EXPECT_EQ(Call<XLOPER12>(xlFree, nullptr, {&nil, &error}), xlretSuccess);
    EXPECT_EQ(engine.DoubleFrees() + engine.ForeignFrees(), 0u);
}

TEST_F(EngineTest, FreeingAnArrayReturnsItsStringsWithIt) {
    engine.SetCell(0, 0, Cell::Text("a"));
    engine.SetCell(1, 0, Cell::Text("b"));
    XLOPER12 range = engine.Ref12({0, 1, 0, 0});
    XLOPER12 result = records12.Nil();
    ASSERT_EQ(Call<XLOPER12>(xlCoerce, &result, {&range}), xlretSuccess);
    EXPECT_EQ(Describe(result), "Multi 2x1 [Str a; Str b]");
    EXPECT_EQ(engine.OutstandingAllocations(), 1u);
    EXPECT_EQ(Free(result), xlretSuccess);
    EXPECT_EQ(result.val.array.lparray, nullptr);
    EXPECT_EQ(engine.OutstandingAllocations(), 0u);
}

TEST_F(EngineTest, VersionTextComesFromTheEnvironmentAndSetVersion) {
    // ctest starts this suite with TESSERINE_EXCEL_VERSION=14.0.
    const char* configured = std::getenv(xlhost::VersionVariable);
    ASSERT_NE(configured, nullptr);
    EXPECT_EQ(engine.Version(), configured);
    for (const char* version : {"11.0", "12.0", "16.0"}) {
        engine.SetVersion(version);
        XLOPER two = records4.Number(2);
        XLOPER text = records4.Nil();
        ASSERT_EQ(Call<XLOPER>(xlfGetWorkspace, &text, {&two}), xlretSuccess);
        EXPECT_EQ(Describe(text), std::string("Str ") + version);
        Free(text);
    }
    EXPECT_EQ(engine.OutstandingAllocations(), 0u);
}

TEST_F(EngineTest, AnswersOnlyWhatItImplements) {
    XLOPER one = records4.Number(1);
    XLOPER result = records4.Nil();
    EXPECT_NE(Call<XLOPER>(xlfGetWorkspace, &result, {&one}), xlretSuccess)
        << "workspace information other than the version";
    EXPECT_EQ(Call<XLOPER>(xlfCaller, &result, {}), xlretInvXlfn);
    EXPECT_EQ(Call<XLOPER>(xlSheetId, &result, {}), xlretInvXlfn);
    std::vector<XLOPER12*> tooMany(256, nullptr);
    XLOPER12 result12 = records12.Nil();
    EXPECT_EQ(Call<XLOPER12>(xlCoerce, &result12, tooMany), xlretInvCount);
    EXPECT_EQ(Call<XLOPER12>(xlCoerce, &result12, {nullptr}), xlretInvXloper);
    XLOPER12 flagged = records12.Number(1);
    flagged.xltype |= 0x8000;
    EXPECT_EQ(Call<XLOPER12>(xlCoerce, &result12, {&flagged}), xlretInvXloper)
        << "a type word with bits Excel does not define";
    EXPECT_EQ(Describe(result), "Nil");
    EXPECT_EQ(Describe(result12), "Nil");
}

// Microsoft's xlRunningOnCluster page: in Excel's own process the answer is
// 0 as an integer; the function came with Excel 2010, so before it is unknown.
TEST_F(EngineTest, RunningOnClusterAnswersZeroInExcelsProcessFrom2010) {
    const struct {
        const char* version;
        int code;
        const char* answer;
    } cases[] = {
        {"12.0", xlretInvXlfn, "Nil"},
        {"14.0", xlretSuccess, "Int 0"},
        {"16.0", xlretSuccess, "Int 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        engine.SetVersion(c.version);
        XLOPER result = records4.Nil();
        EXPECT_EQ(Call<XLOPER>(xlRunningOnCluster, &result, {}), c.code);
        EXPECT_EQ(Describe(result), c.answer);
        XLOPER12 result12 = records12.Nil();
        EXPECT_EQ(Call<XLOPER12>(xlRunningOnCluster, &result12, {}), c.code);
        EXPECT_EQ(Describe(result12), c.answer);
    }
}

TEST_F(EngineTest, StatusBarShowsAndClearsWithHistory) {
    XLOPER yes = records4.Boolean(true);
    XLOPER no = records4.Boolean(false);
    XLOPER text = records4.Text("Registering library...");
    EXPECT_EQ(Call<XLOPER>(xlcMessage, nullptr, {&yes, &text}), xlretSuccess);
    EXPECT_EQ(engine.StatusBar(), std::optional<std::string>("Registering library..."));
    XLOPER12 yes12 = records12.Boolean(true);
    XLOPER12 text12 = records12.Text("Tesserine.xll");
    EXPECT_EQ(Call<XLOPER12>(xlcMessage, nullptr, {&yes12, &text12}), xlretSuccess);
    EXPECT_EQ(Call<XLOPER>(xlcMessage, nullptr, {&no}), xlretSuccess);
    EXPECT_EQ(engine.StatusBar(), std::nullopt);
    const std::vector<std::optional<std::string>> expected = {"Registering library...",
                                                              "Tesserine.xll", std::nullopt};
    EXPECT_EQ(engine.StatusHistory(), expected);
    EXPECT_NE(Call<XLOPER>(xlcMessage, nullptr, {&yes}), xlretSuccess) << "TRUE without a text";
}

TEST_F(EngineTest, MainWindowHandleIsCutToSixteenBitsOnlyForExcel4) {
    const std::uintptr_t window = engine.MainWindow();
    char name[32] = {};
    GetClassNameA(reinterpret_cast<HWND>(window), name, sizeof name);
    EXPECT_STREQ(name, "XLMAIN");
    XLOPER handle4 = records4.Nil();
    ASSERT_EQ(Call<XLOPER>(xlGetHwnd, &handle4, {}), xlretSuccess);
    ASSERT_EQ(handle4.xltype, xltypeInt);
    EXPECT_EQ(static_cast<std::uint16_t>(handle4.val.w), window & 0xFFFF);
    XLOPER12 handle12 = records12.Nil();
    ASSERT_EQ(Call<XLOPER12>(xlGetHwnd, &handle12, {}), xlretSuccess);
    ASSERT_EQ(handle12.xltype, xltypeInt);
    EXPECT_EQ(static_cast<std::uintptr_t>(handle12.val.w), window);
}

struct WizardSearch {
    std::uintptr_t owner = 0;
    int found = 0;
};

BOOL CALLBACK CountWizards(HWND window, LPARAM state) {
    auto* search = reinterpret_cast<WizardSearch*>(state);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name).rfind("bosa_sdm_XL", 0) == 0 &&
        reinterpret_cast<std::uintptr_t>(GetParent(window)) == search->owner) {
        ++search->found;
    }
    return TRUE;
}

int WizardWindowsOwnedBy(std::uintptr_t owner) {
    WizardSearch search;
    search.owner = owner;
    EnumWindows(CountWizards, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

TEST_F(EngineTest, WizardWindowIsFoundByClassAndOwnerOnlyWhileOn) {
    engine.SetVersion("14.0");
    const std::uintptr_t main = engine.MainWindow();
    EXPECT_EQ(WizardWindowsOwnedBy(main), 0);
    engine.SetFunctionWizard(true);
    EXPECT_TRUE(engine.FunctionWizard());
    EXPECT_EQ(WizardWindowsOwnedBy(main), 1);
    engine.SetFunctionWizard(false);
    EXPECT_EQ(WizardWindowsOwnedBy(main), 0);
    EXPECT_EQ(engine.WizardWindow(), 0u);
}

BOOL CALLBACK CollectMainWindows(HWND window, LPARAM found) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (std::string(name) == "XLMAIN" && process == GetCurrentProcessId()) {
        reinterpret_cast<std::vector<std::uintptr_t>*>(found)->push_back(
            reinterpret_cast<std::uintptr_t>(window));
    }
    return TRUE;
}

// Excel 2013 and later give each workbook a main window of its own; the
// wizard belongs to the active workbook's, which xlGetHwnd need not name.
TEST_F(EngineTest, FromExcel2013TheWizardIsOwnedByAnotherWorkbookWindow) {
    const std::uintptr_t main = engine.MainWindow();
    for (const char* version : {"11.0", "12.0", "14.0", "15.0", "16.0"}) {
        SCOPED_TRACE(version);
        engine.SetVersion(version);
        const bool singleDocument = std::atof(version) >= 15;
        engine.SetFunctionWizard(true);
        const std::uintptr_t owner = engine.WizardOwner();
        EXPECT_EQ(WizardWindowsOwnedBy(main), singleDocument ? 0 : 1);
        EXPECT_EQ(WizardWindowsOwnedBy(owner), 1);
        char name[32] = {};
        GetClassNameA(reinterpret_cast<HWND>(owner), name, sizeof name);
        EXPECT_STREQ(name, "XLMAIN");
        EXPECT_EQ(owner != main, singleDocument);
        std::vector<std::uintptr_t> mainWindows;
        EnumWindows(CollectMainWindows, reinterpret_cast<LPARAM>(&mainWindows));
        EXPECT_GE(mainWindows.size(), singleDocument ? 2u : 1u);
        XLOPER12 handle = records12.Nil();
        ASSERT_EQ(Call<XLOPER12>(xlGetHwnd, &handle, {}), xlretSuccess);
        EXPECT_EQ(static_cast<std::uintptr_t>(handle.val.w), main) << "xlGetHwnd names the first";
        engine.SetFunctionWizard(false);
        EXPECT_EQ(engine.WizardOwner(), 0u);
    }
}

TEST_F(EngineTest, AbortReportsTheBreakAndFalseClearsIt) {
    XLOPER retain = records4.Boolean(true);
    XLOPER clear = records4.Boolean(false);
    XLOPER result = records4.Nil();
    engine.SetBreak(true);
    ASSERT_EQ(Call<XLOPER>(xlAbort, &result, {&retain}), xlretSuccess);
    EXPECT_EQ(Describe(result), "Bool TRUE");
    ASSERT_EQ(Call<XLOPER>(xlAbort, &result, {&clear}), xlretSuccess);
    EXPECT_EQ(Describe(result), "Bool TRUE");
    ASSERT_EQ(Call<XLOPER>(xlAbort, &result, {&clear}), xlretSuccess);
    EXPECT_EQ(Describe(result), "Bool FALSE");
}

TEST_F(EngineTest, InjectedFaultAnswersAfterTheGivenSuccesses) {
    engine.InjectFault(xlGetName, xlretUncalced, 1);
    XLOPER12 name = records12.Nil();
    ASSERT_EQ(Call<XLOPER12>(xlGetName, &name, {}), xlretSuccess);
    Free(name);
    XLOPER12 untouched = records12.Nil();
    EXPECT_EQ(Call<XLOPER12>(xlGetName, &untouched, {}), xlretUncalced);
    EXPECT_EQ(Call<XLOPER12>(xlGetName, &untouched, {}), xlretUncalced);
    EXPECT_EQ(Describe(untouched), "Nil");
    engine.ClearFaults();
    EXPECT_EQ(Call<XLOPER12>(xlGetName, &untouched, {}), xlretSuccess);
    Free(untouched);
    std::vector<int> codes;
    for (const xlhost::LoggedCall& call : engine.CallLog()) {
        codes.push_back(call.returnCode);
    }
    EXPECT_EQ(codes, (std::vector<int>{0, 0, xlretUncalced, xlretUncalced, 0, 0}));
    EXPECT_EQ(engine.CallLog()[1].function, xlFree);
    EXPECT_EQ(engine.CallLog()[1].recordKind, 12);
}

// Registers a fixture procedure, through Excel 4 records as add-ins do unless
// Excel 12 records are asked for.
template <class Record>
Record RegisterFixtureWith(Records<Record>& records, const std::string& procedure,
                           const std::string& typeText, double macroType = 1,
                           int expectedCode = xlretSuccess) {
    std::vector<Record> args = {
        records.Text(FixturePath), records.Text(procedure), records.Text(typeText),
        records.Text(procedure),   records.Text("a, b"),    records.Number(macroType),
        records.Text("Fixture"),   records.Text(""),        records.Text(""),
        records.Text("adds"),      records.Text("first. "), records.Text("second. ")};
    std::vector<Record*> pointers;
    for (Record& arg : args) {
        pointers.push_back(&arg);
    }
    Record id = records.Nil();
    EXPECT_EQ(Call<Record>(xlfRegister, &id, pointers), expectedCode);
    return id;
}

XLOPER RegisterFixture(Records<XLOPER>& records, const std::string& procedure,
                       const std::string& typeText, double macroType = 1) {
    return RegisterFixtureWith(records, procedure, typeText, macroType);
}

TEST_F(EngineTest, RegistrationKeepsEveryArgumentAndChecksTheExport) {
    ASSERT_NE(LoadLibraryA(FixturePath.c_str()), nullptr);
    const XLOPER id = RegisterFixture(records4, "fix_Table", "PBB!");
    ASSERT_EQ(id.xltype, xltypeNum);
    const XLOPER refused = RegisterFixture(records4, "fix_Absent", "PBB");
    EXPECT_EQ(Describe(refused), "Err 15");
    const XLOPER invalid = RegisterFixture(records4, "fix_Table", "P?B");
    EXPECT_EQ(Describe(invalid), "Err 15");

    ASSERT_EQ(engine.Registrations().size(), 3u);
    const xlhost::Registration& table = engine.Registrations()[0];
    EXPECT_TRUE(table.accepted);
    EXPECT_EQ(table.registerId, id.val.num);
    ASSERT_EQ(table.arguments.size(), 12u);
    EXPECT_EQ(table.ModulePath(), FixturePath);
    EXPECT_EQ(table.ArgumentText(), "a, b");
    EXPECT_EQ(table.MacroType(), 1.0);
    EXPECT_EQ(table.Category(), "Fixture");
    EXPECT_EQ(table.arguments[7], Cell::Text(""));
    EXPECT_EQ(table.arguments[11], Cell::Text("second. "));
    EXPECT_EQ(table.parsedType.result, "P");
    EXPECT_EQ(table.parsedType.arguments, (std::vector<std::string>{"B", "B"}));
    EXPECT_TRUE(table.parsedType.isVolatile);
    EXPECT_FALSE(table.parsedType.threadSafe);
    EXPECT_FALSE(engine.Registrations()[1].accepted);
    EXPECT_NE(engine.Registrations()[1].refusal.find("fix_Absent"), std::string::npos);
    EXPECT_FALSE(engine.Registrations()[2].accepted);
}

// What each Excel refuses at registration, from the xlfRegister page: codes
// and marks newer than the running version, "$" with "#", and cluster safety
// through the Excel 4 interface; from the cluster-safe functions page, "&"
// with "#", with an argument of type P, R or U, or asynchronous (X). A
// refusal answers #VALUE! with success.
TEST_F(EngineTest, RegistrationIsRefusedAsTheRunningExcelRefusesIt) {
    const struct {
        const char* version;
        int recordKind;
        const char* type;
        const char* refusal; // empty when accepted
    } cases[] = {
        {"11.0", 4, "PBB!", ""},
        {"11.0", 4, "RR#", ""},
        {"11.0", 4, "JJJ", ""},
        {"11.0", 4, "QB", "type code Q needs Excel 2007 (12.0); this is Excel 11.0"},
        {"11.0", 4, "JU", "type code U needs Excel 2007"},
        {"11.0", 4, "CBJCBAC%B", "type code C% needs Excel 2007"},
        {"11.0", 4, "D%DJ", "type code D% needs Excel 2007"},
        {"11.0", 4, "BK%", "type code K% needs Excel 2007"},
        {"11.0", 4, "BB$", "thread safety ($) needs Excel 2007"},
        {"11.0", 4, "BB&", "cluster-safe function (&) is registered through Excel12"},
        {"12.0", 4, "QB", ""},
        {"12.0", 4, "BB$", ""},
        {"12.0", 12, "BB!$", ""},
        {"12.0", 12, "BB&", "cluster safety (&) needs Excel 2010 (14.0); this is Excel 12.0"},
        {"12.0", 12, "PX", "type code X needs Excel 2010 (14.0)"},
        {"14.0", 12, "BB&", ""},
        {"14.0", 4, "BB&", "cluster-safe function (&) is registered through Excel12"},
        {"16.0", 12, "BB$#", "both thread-safe ($) and macro-sheet equivalent (#)"},
        {"16.0", 4, "BB#$", "both thread-safe ($) and macro-sheet equivalent (#)"},
        {"16.0", 12, "BB#!", ""},
        {"14.0", 12, "QQB$&", ""},
        {"14.0", 12, "BQQ&!", ""},
        {"16.0", 12, "JJ&$", ""},
        {"14.0", 4, "QQB$&", "cluster-safe function (&) is registered through Excel12"},
        {"12.0", 12, "QQB$&", "cluster safety (&) needs Excel 2010 (14.0); this is Excel 12.0"},
        {"14.0", 12, "BB&#", "both cluster-safe (&) and macro-sheet equivalent (#)"},
        {"16.0", 12, "QB#&", "both cluster-safe (&) and macro-sheet equivalent (#)"},
        {"14.0", 12, "QBP&", "takes no P, R or U argument; argument 2 is P"},
        {"14.0", 12, "QR&", "takes no P, R or U argument; argument 1 is R"},
        {"16.0", 12, "QQU$&", "takes no P, R or U argument; argument 2 is U"},
        {"14.0", 12, "QU&", "takes no P, R or U argument; argument 1 is U"},
        {"14.0", 12, "QR", ""},
        {"14.0", 12, "QBX", ""},
        {"14.0", 12, "QBX&", "cluster-safe function (&) cannot be asynchronous (X argument 2)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.version) + " " + c.type + " through Excel" +
                     std::to_string(c.recordKind));
        engine.SetVersion(c.version);
        const std::string id = c.recordKind == 4
                                   ? Describe(RegisterFixture(records4, "fix_Twice", c.type))
                                   : Describe(RegisterFixtureWith(records12, "fix_Twice", c.type));
        const xlhost::Registration& made = engine.Registrations().back();
        if (*c.refusal == '\0') {
            EXPECT_EQ(id.rfind("Num ", 0), 0u) << id;
            EXPECT_TRUE(made.accepted) << made.refusal;
        } else {
            EXPECT_EQ(id, "Err 15");
            EXPECT_FALSE(made.accepted);
            EXPECT_NE(made.refusal.find(c.refusal), std::string::npos) << made.refusal;
        }
    }
}

// Excel 2003 takes 30 arguments in any callback, Excel 2007 and later 255:
// more gives xlretInvCount, and the refused registration is on record.
TEST_F(EngineTest, Excel2003TakesThirtyCallbackArguments) {
    for (const char* version : {"11.0", "12.0"}) {
        SCOPED_TRACE(version);
        engine.SetVersion(version);
        const bool excel2003 = std::string(version) == "11.0";
        std::vector<XLOPER> args = {records4.Text(FixturePath), records4.Text("fix_Twice"),
                                    records4.Text("BB"), records4.Text("fix_Twice")};
        args.resize(30, records4.Text("help"));
        std::vector<XLOPER*> pointers;
        for (XLOPER& arg : args) {
            pointers.push_back(&arg);
        }
        XLOPER id = records4.Nil();
        EXPECT_EQ(Call<XLOPER>(xlfRegister, &id, pointers), xlretSuccess);
        EXPECT_EQ(id.xltype, xltypeNum);
        XLOPER extra = records4.Text("one more");
        pointers.push_back(&extra);
        XLOPER refused = records4.Nil();
        EXPECT_EQ(Call<XLOPER>(xlfRegister, &refused, pointers),
                  excel2003 ? xlretInvCount : xlretSuccess);
        const xlhost::Registration& last = engine.Registrations().back();
        EXPECT_EQ(last.arguments.size(), 31u);
        EXPECT_EQ(last.accepted, !excel2003);
        if (excel2003) {
            EXPECT_EQ(last.refusal, "31 arguments; Excel 11.0 takes at most 30");
            EXPECT_EQ(Describe(refused), "Nil") << "a failed call leaves the result alone";
        }
        std::vector<XLOPER> numbers(31, records4.Number(1));
        std::vector<XLOPER*> frees;
        for (XLOPER& number : numbers) {
            frees.push_back(&number);
        }
        EXPECT_EQ(Call<XLOPER>(xlFree, nullptr, frees), excel2003 ? xlretInvCount : xlretSuccess);
    }
}

TEST_F(EngineTest, ACountedZeroEndsRegistrationAndStatusTexts) {
    // Add-ins that count the terminating zero into a string's length.
    XLOPER module = records4.Text(FixturePath + std::string(1, '\0'));
    XLOPER procedure = records4.Text(std::string("fix_Twice\0", 10));
    XLOPER type = records4.Text(std::string("BB\0", 3));
    XLOPER id = records4.Nil();
    ASSERT_EQ(Call<XLOPER>(xlfRegister, &id, {&module, &procedure, &type}), xlretSuccess);
    EXPECT_EQ(id.xltype, xltypeNum);
    ASSERT_EQ(engine.Registrations().size(), 1u);
    EXPECT_EQ(engine.Registrations()[0].Procedure(), "fix_Twice");
    EXPECT_EQ(engine.Registrations()[0].TypeCodes(), "BB");

    XLOPER12 yes = records12.Boolean(true);
    XLOPER12 text = records12.Text(std::string("ready\0", 6));
    ASSERT_EQ(Call<XLOPER12>(xlcMessage, nullptr, {&yes, &text}), xlretSuccess);
    EXPECT_EQ(engine.StatusBar(), std::optional<std::string>("ready"));
}

TEST_F(EngineTest, HiddenRegisterAgainGivesTheIdThatUnregisterWithdraws) {
    const XLOPER id = RegisterFixture(records4, "fix_Table", "PBB");
    const XLOPER again = RegisterFixture(records4, "fix_Table", "PBB", 0);
    ASSERT_EQ(again.xltype, xltypeNum);
    EXPECT_EQ(again.val.num, id.val.num);
    ASSERT_NE(engine.FindFunction("fix_Table"), nullptr);
    XLOPER12 id12 = records12.Number(again.val.num);
    XLOPER12 done = records12.Nil();
    ASSERT_EQ(Call<XLOPER12>(xlfUnregister, &done, {&id12}), xlretSuccess);
    EXPECT_EQ(Describe(done), "Bool TRUE");
    EXPECT_EQ(engine.FindFunction("fix_Table"), nullptr);
    EXPECT_THROW(engine.Evaluate("fix_Table", {1, 2}), std::runtime_error);
}

// Microsoft's xlfRegister and xlUDF pages: a function text is a hidden name
// whose value is the register id, hidden functions' too, and xlUDF calls a
// registered function by that id or by the name. What no one registered is
// #NAME?, as in a cell; formulas other than a name the stand-in does not
// evaluate.
TEST_F(EngineTest, EvaluateGivesTheRegisterIdAndUdfCallsByIdOrName) {
    ASSERT_NE(LoadLibraryA(FixturePath.c_str()), nullptr);
    const XLOPER id = RegisterFixture(records4, "fix_Table", "PBB", 0);
    ASSERT_EQ(id.xltype, xltypeNum);
    const std::string idShown = Describe(records12.Number(id.val.num));
    const struct {
        std::string text;
        int code;
        std::string answer;
    } lookups[] = {{"FIX_table", xlretSuccess, idShown},
                   {"=fix_Table", xlretSuccess, idShown},
                   {"fix_Unknown", xlretSuccess, "Err 29"},
                   {"fix_Table(1, 2)", xlretFailed, "Nil"}};
    for (const auto& lookup : lookups) {
        XLOPER12 name = records12.Text(lookup.text);
        XLOPER12 result = records12.Nil();
        EXPECT_EQ(Call<XLOPER12>(xlfEvaluate, &result, {&name}), lookup.code) << lookup.text;
        EXPECT_EQ(Describe(result), lookup.answer) << lookup.text;
    }
    XLOPER12 byId = records12.Number(id.val.num);
    XLOPER12 byName = records12.Text("fix_table");
    XLOPER12 unknown = records12.Text("fix_Unknown");
    XLOPER12 first = records12.Number(1.5);
    XLOPER12 second = records12.Number(2);
    for (XLOPER12* function : {&byId, &byName}) {
        XLOPER12 result = records12.Nil();
        ASSERT_EQ(Call<XLOPER12>(xlUDF, &result, {function, &first, &second}), xlretSuccess);
        ASSERT_EQ(result.xltype & ~xlbitXLFree, static_cast<unsigned>(xltypeMulti));
        EXPECT_EQ(Describe(result.val.array.lparray[2]), "Num 3.5");
        EXPECT_EQ(Free(result), xlretSuccess);
    }
    XLOPER12 result = records12.Nil();
    EXPECT_EQ(Call<XLOPER12>(xlUDF, &result, {&unknown, &first}), xlretSuccess);
    EXPECT_EQ(Describe(result), "Err 29");
    EXPECT_EQ(engine.OutstandingAllocations(), 0u);
}

TEST_F(EngineTest, EvaluateReadsResultsAsASheetShowsThem) {
    ASSERT_EQ(engine.OpenAddIn(FixturePath), 1);
    EXPECT_EQ(engine.AddInPath(), FixturePath);
    const xlhost::Grid table = engine.Evaluate("fix_Table", {1.5, 2});
    ASSERT_EQ(table.rows, 2u);
    ASSERT_EQ(table.columns, 3u);
    EXPECT_EQ(table.At(0, 2), Cell::Number(3.5));
    EXPECT_EQ(table.At(1, 0), Cell::Text("text"));
    EXPECT_EQ(table.At(1, 1), Cell::Boolean(true));
    EXPECT_EQ(table.At(1, 2), Cell::Error(xlerrDiv0));
    EXPECT_EQ(engine.Evaluate("fix_Table", {4}).At(0, 2), Cell::Number(4))
        << "a missing number argument is 0";
    EXPECT_EQ(engine.Evaluate("fix_Null", {}).Display(), "#NUM!\n");
    // An empty or missing result shows 0; the grid still tells them apart.
    const xlhost::Grid nil = engine.Evaluate("fix_Nil", {});
    EXPECT_EQ(nil.At(0, 0), Cell::Nil());
    EXPECT_EQ(nil.Shown(), "0\n");
    const xlhost::Grid missing = engine.Evaluate("fix_Missing", {});
    EXPECT_EQ(missing.At(0, 0), Cell::Missing());
    EXPECT_EQ(missing.Shown(), "0\n");
    EXPECT_EQ(engine.Evaluate("fix_Wide", {3}).Display(), "wide,3\n");
    EXPECT_EQ(engine.Evaluate("fix_Twice", {0.25}).Display(), "0.5\n");
    EXPECT_THROW(engine.Evaluate("fix_Twice", {1, 2}), std::runtime_error);
    EXPECT_THROW(engine.Evaluate("fix_Nothing", {}), std::runtime_error);
    EXPECT_EQ(engine.CloseAddIn(), 1);
    EXPECT_EQ(engine.OutstandingAllocations(), 0u) << "the fixture frees its xlGetName text";
}

// The multithreaded recalculation page: an information function fails with
// xlretFailed, clearing the break and a command with xlretNotThreadSafe in a
// function registered thread-safe; the same code registered without "$"
// makes all three. xlfRegister is for commands alone: from either it fails,
// and nothing is registered.
TEST_F(EngineTest, AThreadSafeFunctionCannotMakeTheCallsOfTheCalculationThread) {
    ASSERT_EQ(engine.OpenAddIn(FixturePath), 1);
    engine.SetBreak(true);
    const std::size_t statusChanges = engine.StatusHistory().size();
    EXPECT_EQ(engine.Evaluate("fix_CallbacksThreadSafe", {}).Shown(), "32,128,128,128\n");
    EXPECT_TRUE(engine.BreakPending()) << "the refused xlAbort(FALSE) leaves the break";
    EXPECT_EQ(engine.StatusHistory().size(), statusChanges) << "the refused xlcMessage";
    EXPECT_EQ(engine.Evaluate("fix_Callbacks", {}).Shown(), "0,0,0,2\n");
    EXPECT_EQ(engine.FindFunction("fix_Again"), nullptr) << "registered from a worksheet call";
    EXPECT_EQ(engine.StatusHistory().size(), statusChanges + 2);
    EXPECT_FALSE(engine.BreakPending());
    EXPECT_EQ(engine.Evaluate("fix_Version", {}).Shown(), "14.0\n")
        << "outside the thread-safe call the information function answers again";
    EXPECT_EQ(engine.CloseAddIn(), 1);
    EXPECT_EQ(engine.OutstandingAllocations(), 0u);
}

FormulaCall Formula(const std::string& function, const std::vector<double>& arguments) {
    FormulaCall call{function, {}};
    for (double argument : arguments)
        call.arguments.push_back(FormulaArgument::Literal(Cell::Number(argument)));
    return call;
}

// Every formula's shown result, or "failed: what" for one that threw; and,
// when asked, when each finished.
std::vector<std::string>
Recalculated(Engine& engine, const std::vector<FormulaCall>& formulas, int threads,
             int clusterNodes = 0,
             std::chrono::milliseconds nodeTimeLimit = Engine::DefaultNodeTimeLimit,
             std::vector<ULONGLONG>* finished = nullptr) {
    std::vector<std::string> shown(formulas.size());
    if (finished != nullptr)
        finished->assign(formulas.size(), 0);
    engine.Recalculate(
        formulas, threads,
        [&](std::size_t i, Grid grid, std::exception_ptr failure) {
            if (finished != nullptr)
                (*finished)[i] = GetTickCount64();
            try {
                if (failure)
                    std::rethrow_exception(failure);
                shown[i] = grid.Shown();
            } catch (const std::exception& error) {
                shown[i] = std::string("failed: ") + error.what();
            }
        },
        clusterNodes, nodeTimeLimit);
    return shown;
}

// Thread-safe functions run on the workers at once, the others on the
// calling thread; a function that does not exist fails alone.
TEST_F(EngineTest, RecalculationRunsTheThreadSafeFunctionsTogether) {
    ASSERT_EQ(engine.OpenAddIn(FixturePath), 1);
    const std::vector<FormulaCall> formulas = {
        Formula("fix_Together", {3}),   Formula("fix_OnMainThread", {}),
        Formula("fix_Together", {3}),   Formula("fix_Twice", {4}),
        Formula("fix_Together", {3}),   Formula("fix_Nowhere", {}),
        Formula("fix_OnMainThread", {})};
    EXPECT_EQ(
        Recalculated(engine, formulas, 3),
        (std::vector<std::string>{"3\n", "1\n", "3\n", "8\n", "3\n",
                                  "failed: no registered function is named fix_Nowhere", "1\n"}));
    EXPECT_EQ(Recalculated(engine, {Formula("fix_OnMainThread", {})}, 1),
              std::vector<std::string>{"1\n"});
    EXPECT_EQ(Recalculated(engine, {Formula("fix_CallbacksThreadSafe", {})}, 2),
              std::vector<std::string>{"32,128,128,128\n"})
        << "the callbacks of the main thread fail on a worker as well";
    EXPECT_THROW(engine.Recalculate(formulas, 0, {}), std::invalid_argument);
    EXPECT_THROW(engine.Recalculate(formulas, Engine::MaxThreads + 1, {}), std::invalid_argument);
    EXPECT_EQ(engine.CloseAddIn(), 1);
}

// The node folders this process made that are still in the temporary folder.
std::size_t NodeFoldersLeft() {
    char temporary[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temporary, temporary);
    const std::string pattern =
        std::string(temporary) + "xlnode-" + std::to_string(GetCurrentProcessId()) + "-*";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    std::size_t left = 0;
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        ++left;
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return left;
}

// The cluster connector: cluster-safe calls run on a node, whose
// xlRunningOnCluster answers TRUE and whose other callbacks fail (fix_Where),
// whose DLL-freed results go to its own xlAutoFree12 before its next call
// (fix_Spread's first cell counts those that did not) and never to the
// ledger here; a node that dies (fix_Vanish) fails its formula alone and is
// started again; its folder is gone when the recalculation ends.
TEST_F(EngineTest, ClusterSafeCallsRunOnStrictNodes) {
    ASSERT_EQ(engine.OpenAddIn(FixturePath), 1);
    const std::string spread6 = "0,t1,TRUE,#N/A,0,5.25\n";
    const std::vector<FormulaCall> formulas = {
        Formula("fix_Spread", {6}),        Formula("fix_Where", {}),   Formula("fix_Spread", {3}),
        Formula("fix_OnMainThread", {}),   Formula("fix_Vanish", {2}), Formula("fix_Spread", {6}),
        Formula("fix_TwiceAnywhere", {4}), Formula("fix_Twice", {4}),  Formula("fix_Unowned", {})};
    EXPECT_EQ(Recalculated(engine, formulas, 1, 1),
              (std::vector<std::string>{
                  spread6, "0,4,TRUE,32\n", "0,t1,TRUE\n", "1\n",
                  "failed: the cluster node 1 running fix_Vanish stopped before answering (exit "
                  "code 7)",
                  spread6, "8\n", "8\n", "42\n"}));
    EXPECT_EQ(engine.ClusterResultsHandedBack(), 3u);
    EXPECT_EQ(engine.ClusterResultsWithoutAutoFree(), 1u) << "fix_Unowned: no xlAutoFree";
    EXPECT_EQ(engine.ClusterNodesEnded(), 0u) << "each node left with exit code 0 when told";
    EXPECT_EQ(NodeFoldersLeft(), 0u);

    std::vector<FormulaCall> many(12, Formula("fix_Spread", {6}));
    many.push_back(Formula("fix_Where", {}));
    std::vector<std::string> expected(12, spread6);
    expected.push_back("0,4,TRUE,32\n");
    EXPECT_EQ(Recalculated(engine, many, 2, 2), expected);
    EXPECT_EQ(engine.ClusterResultsHandedBack(), 15u);
    EXPECT_EQ(engine.ClusterResultsWithoutAutoFree(), 1u);
    EXPECT_EQ(engine.ClusterNodesEnded(), 0u);
    EXPECT_EQ(NodeFoldersLeft(), 0u);

    // A node loads its own copy of the add-in, with the data file beside it
    // and none of the programs that lie beside the add-in here.
    const Grid here = engine.Evaluate("fix_Beside", {});
    EXPECT_EQ(here.At(0, 0), Cell::Text(FixturePath));
    EXPECT_EQ(here.At(0, 1), Cell::Text("found beside the fixture"));
    EXPECT_GE(here.At(0, 2).number, 3) << "this program, XLCALL32.DLL and xlnode.exe";
    const std::vector<std::string> beside = Recalculated(engine, {Formula("fix_Beside", {})}, 1, 1);
    const std::string copy = beside[0].substr(0, beside[0].find(','));
    EXPECT_NE(copy, FixturePath);
    EXPECT_EQ(copy.substr(copy.find_last_of('\\')), "\\FixtureAddIn.xll");
    EXPECT_EQ(beside[0].substr(copy.size()), ",found beside the fixture,0\n");
    EXPECT_EQ(GetFileAttributesA(copy.c_str()), INVALID_FILE_ATTRIBUTES) << "removed";

    EXPECT_EQ(engine.Evaluate("fix_Where", {}).Shown(), "0,2048,0,0\n") << "in Excel's process";
    EXPECT_EQ(engine.Evaluate("fix_Vanish", {2}).Shown(), "4\n") << "in Excel's process";
    EXPECT_EQ(engine.ResultsHandedBack(), 0u) << "the nodes' results never come here";
    EXPECT_EQ(engine.OutstandingAllocations(), 0u);
    EXPECT_THROW(engine.Recalculate(formulas, 1, {}, -1), std::invalid_argument);
    EXPECT_THROW(engine.Recalculate(formulas, 1, {}, Engine::MaxClusterNodes + 1),
                 std::invalid_argument);
    for (std::chrono::milliseconds limit :
         {std::chrono::milliseconds(0), Engine::MaxNodeTimeLimit + std::chrono::milliseconds(1)})
        EXPECT_THROW(engine.Recalculate(formulas, 1, {}, 1, limit), std::invalid_argument);
    EXPECT_EQ(engine.CloseAddIn(), 1);
}

// A call that gives no answer within its node's time limit fails alone, soon
// after the limit, with a sentence naming the node and the function; the
// node is ended and replaced for the formulas left.
TEST_F(EngineTest, ACallOverItsTimeLimitFailsAloneAndItsNodeIsReplaced) {
    ASSERT_EQ(engine.OpenAddIn(FixturePath), 1);
    const std::vector<FormulaCall> formulas = {
        Formula("fix_TwiceAnywhere", {1}), Formula("fix_Hang", {1}),
        Formula("fix_TwiceAnywhere", {2}), Formula("fix_Hang", {2}), Formula("fix_Spread", {3})};
    const std::string hung =
        "failed: the cluster node 1 running fix_Hang gave no answer within 1.5 s and was ended";
    const ULONGLONG started = GetTickCount64();
    std::vector<ULONGLONG> finished;
    const std::vector<std::string> shown =
        Recalculated(engine, formulas, 1, 1, std::chrono::milliseconds(1500), &finished);
    EXPECT_EQ(shown, (std::vector<std::string>{"2\n", hung, "4\n", hung, "0,t1,TRUE\n"}));
    // One node, one formula after another: each hung call took its 1.5 s and
    // no more than a node's start beside (under Wine up to about 3 s).
    for (std::size_t i : {1, 3}) {
        EXPECT_GE(finished[i] - (i == 1 ? started : finished[i - 1]), 1500u);
        EXPECT_LT(finished[i] - (i == 1 ? started : finished[i - 1]), 6500u);
    }
    EXPECT_EQ(engine.ClusterNodesEnded(), 2u);
    EXPECT_EQ(NodeFoldersLeft(), 0u);
    EXPECT_EQ(engine.CloseAddIn(), 1);
}

// Nodes started at once from many threads, half of them dying in their
// call, half hanging until their time limit: each death is seen at once, not
// when a node started meanwhile, which would hold the dead one's pipe ends
// were they left inheritable, is ended with its call.
TEST_F(EngineTest, NodesStartedAtOnceSeeEachOthersDeaths) {
    ASSERT_EQ(engine.OpenAddIn(FixturePath), 1);
    std::vector<FormulaCall> formulas;
    for (int i = 0; i < 4; ++i) {
        formulas.push_back(Formula("fix_Vanish", {1}));
        formulas.push_back(Formula("fix_Hang", {1}));
    }
    std::vector<ULONGLONG> finished;
    const std::vector<std::string> shown =
        Recalculated(engine, formulas, 1, 8, std::chrono::milliseconds(6000), &finished);
    ULONGLONG lastDeath = 0;
    ULONGLONG firstHang = ~0ull;
    for (std::size_t i = 0; i < formulas.size(); i += 2) {
        EXPECT_NE(shown[i].find(" running fix_Vanish stopped before answering (exit code 7)"),
                  std::string::npos)
            << shown[i];
        EXPECT_NE(shown[i + 1].find(" running fix_Hang gave no answer within 6 s"),
                  std::string::npos)
            << shown[i + 1];
        lastDeath = std::max(lastDeath, finished[i]);
        firstHang = std::min(firstHang, finished[i + 1]);
    }
    EXPECT_LT(lastDeath, firstHang) << "a death was seen only when a hung node was ended";
    EXPECT_EQ(engine.ClusterNodesEnded(), 4u);
    EXPECT_EQ(NodeFoldersLeft(), 0u);
    EXPECT_EQ(engine.CloseAddIn(), 1);
}

// A file beside the add-in that another process holds open with no sharing
// cannot be copied for a node: every call says so, the first and the later
// ones, and once the file is let go the calls run.
TEST_F(EngineTest, ANodeCopyThatFailsIsMadeAgainNotRemembered) {
    ASSERT_EQ(engine.OpenAddIn(FixturePath), 1);
    const std::vector<FormulaCall> formulas = {Formula("fix_TwiceAnywhere", {1}),
                                               Formula("fix_TwiceAnywhere", {2})};
    HANDLE locked = CreateFileA(BesideExecutable("FixtureData.txt").c_str(), GENERIC_READ, 0,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    const std::string refused = "failed: the cluster node 1 running fix_TwiceAnywhere could not "
                                "start: cannot copy FixtureData.txt beside the node's add-in "
                                "(error 32)";
    EXPECT_EQ(Recalculated(engine, formulas, 1, 1), (std::vector<std::string>{refused, refused}));
    EXPECT_EQ(NodeFoldersLeft(), 0u);
    CloseHandle(locked);
    EXPECT_EQ(Recalculated(engine, formulas, 1, 1), (std::vector<std::string>{"2\n", "4\n"}));
    EXPECT_EQ(NodeFoldersLeft(), 0u);
    EXPECT_EQ(engine.CloseAddIn(), 1);
}

// An array result runs no further than the sheet: from 16.0, whose results
// spill, one over the sheet's edge shows #SPILL!; before, an array formula
// covers at most the sheet, and shows that much of the result.
TEST_F(EngineTest, AResultTallerThanTheSheetSpillsOrIsCutAtItsEdge) {
    engine.SetVersion("16.0");
    ASSERT_EQ(engine.OpenAddIn(FixturePath), 1);
    EXPECT_EQ(engine.Evaluate("fix_Tall", {1048577}).Display(), "#SPILL!\n");
    const xlhost::Grid whole = engine.Evaluate("fix_Tall", {1048576});
    ASSERT_EQ(whole.rows, 1048576u);
    EXPECT_EQ(whole.At(1048575, 0), Cell::Number(1048575));
    engine.SetVersion("12.0");
    const xlhost::Grid cut = engine.Evaluate("fix_Tall", {1048580});
    ASSERT_EQ(cut.rows, 1048576u);
    EXPECT_EQ(cut.At(1048575, 0), Cell::Number(1048575));
    EXPECT_EQ(engine.CloseAddIn(), 1);
}

// Callbacks from many threads at once, each allocating in Excel's ledger and
// freeing again: every call succeeds and the ledger balances, as it can only
// when the stand-in takes its callbacks one at a time.
TEST_F(EngineTest, CallbacksFromManyThreadsKeepTheLedger) {
    ASSERT_EQ(engine.OpenAddIn(FixturePath), 1);
    std::vector<FormulaCall> formulas(64, Formula("fix_CoerceMany", {3000}));
    EXPECT_EQ(Recalculated(engine, formulas, 8), std::vector<std::string>(64, "0\n"));
    EXPECT_EQ(engine.OutstandingAllocations(), 0u);
    EXPECT_EQ(engine.CloseAddIn(), 1);
}

// Each result marked xlbitDLLFree goes back to xlAutoFree12 once, on the
// thread that returned it and before that thread's next call (the fixture
// counts every breach), at any number of threads.
TEST_F(EngineTest, ADllFreeResultGoesBackOnItsThreadBeforeItsNextCall) {
    ASSERT_EQ(engine.OpenAddIn(FixturePath), 1);
    std::vector<FormulaCall> formulas;
    std::vector<std::string> expected;
    for (int i = 0; i < 300; ++i) {
        formulas.push_back(Formula("fix_Owned", {i + 0.5}));
        expected.push_back(Cell::Number(i + 0.5).Display() + "\n");
    }
    std::size_t handedBack = 0;
    for (int threads : {1, 2, 8}) {
        SCOPED_TRACE(threads);
        EXPECT_EQ(Recalculated(engine, formulas, threads), expected);
        handedBack += formulas.size();
        EXPECT_EQ(engine.ResultsHandedBack(), handedBack);
    }
    EXPECT_EQ(engine.Evaluate("fix_Owned", {2}).Shown(), "2\n");
    EXPECT_EQ(engine.ResultsHandedBack(), handedBack + 1);
    EXPECT_EQ(engine.Evaluate("fix_OwnedFaults", {}).Shown(), "0\n");
    EXPECT_EQ(engine.ResultsWithoutAutoFree(), 0u);
    EXPECT_EQ(engine.CloseAddIn(), 1);
    EXPECT_EQ(engine.OutstandingAllocations(), 0u);
}

// A message box waits for a user; Excel's user reads it and presses OK, and
// so does the stand-in, keeping what it read.
TEST_F(EngineTest, AMessageBoxIsReadAndAnsweredOk) {
    ASSERT_EQ(engine.OpenAddIn(FixturePath), 1);
    EXPECT_EQ(engine.Evaluate("fix_Alert", {}).Shown(), std::to_string(IDOK) + "\n");
    EXPECT_EQ(engine.Evaluate("fix_Alert", {}).Shown(), std::to_string(IDOK) + "\n");
    ASSERT_EQ(engine.MessageBoxesShown().size(), 2u);
    EXPECT_EQ(engine.MessageBoxesShown()[0].caption, "Fixture");
    EXPECT_EQ(engine.MessageBoxesShown()[1].text, "Something to know.\nSecond line.");
    EXPECT_EQ(engine.CloseAddIn(), 1);
}

std::wstring Wide(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

// Excel unloads an add-in it closes; opening it again loads it anew, with its
// static objects made again. A copy of its own, which no other test loads.
TEST_F(EngineTest, ClosingUnloadsTheAddInAndOpeningLoadsItAnew) {
    const std::string copy =
        BesideExecutable("FixtureCopy-" + std::to_string(GetCurrentProcessId()) + ".xll");
    ASSERT_TRUE(CopyFileA(FixturePath.c_str(), copy.c_str(), FALSE));
    for (int opening = 1; opening <= 2; ++opening) {
        SCOPED_TRACE(opening);
        ASSERT_EQ(engine.OpenAddIn(copy), 1);
        ASSERT_NE(GetModuleHandleW(Wide(copy).c_str()), nullptr);
        EXPECT_EQ(engine.Evaluate("fix_Loads", {}).Shown(), "1\n");
        EXPECT_EQ(engine.Evaluate("fix_Loads", {}).Shown(), "2\n");
        EXPECT_EQ(engine.CloseAddIn(), 1);
        EXPECT_EQ(GetModuleHandleW(Wide(copy).c_str()), nullptr);
        EXPECT_EQ(engine.FindFunction("fix_Loads"), nullptr) << "its functions went with it";
        EXPECT_THROW(engine.Evaluate("fix_Loads", {}), std::runtime_error);
    }
    // Opened twice, it stays loaded until the second close.
    ASSERT_EQ(engine.OpenAddIn(copy), 1);
    ASSERT_EQ(engine.OpenAddIn(copy), 1);
    EXPECT_EQ(engine.CloseAddIn(), 1);
    EXPECT_EQ(engine.Evaluate("fix_Loads", {}).Shown(), "1\n");
    EXPECT_EQ(engine.CloseAddIn(), 1);
    EXPECT_EQ(GetModuleHandleW(Wide(copy).c_str()), nullptr);
    EXPECT_THROW(engine.CloseAddIn(), std::runtime_error);
    EXPECT_TRUE(DeleteFileA(copy.c_str())) << "nothing holds the file any more";
}

// A result too large to read (fix_Sheet's whole-sheet array) ends the call
// with an exception; the add-in path from before the call is still restored.
TEST_F(EngineTest, EvaluateRestoresTheAddInPathWhenTheResultCannotBeRead) {
    ASSERT_EQ(engine.OpenAddIn(FixturePath), 1);
    const std::string elsewhere = "C:\\elsewhere\\Other.xll";
    engine.SetAddInPath(elsewhere);
    EXPECT_ANY_THROW(engine.Evaluate("fix_Sheet", {}));
    EXPECT_EQ(engine.AddInPath(), elsewhere);
    EXPECT_EQ(engine.Evaluate("fix_Twice", {1}).Display(), "2\n");
    EXPECT_EQ(engine.AddInPath(), elsewhere);
    EXPECT_EQ(engine.CloseAddIn(), 1);
}

using xlhost::FormulaArgument;
using xlhost::Range;

FormulaArgument N(double number) {
    return FormulaArgument::Literal(Cell::Number(number));
}
FormulaArgument S(const std::string& text) {
    return FormulaArgument::Literal(Cell::Text(text));
}
FormulaArgument B(bool value) {
    return FormulaArgument::Literal(Cell::Boolean(value));
}
FormulaArgument E(int code) {
    return FormulaArgument::Literal(Cell::Error(code));
}
FormulaArgument Omitted() {
    return FormulaArgument::Omitted();
}
// Zero-based rows, then columns: R(0, 1, 0, 2) is A1:C2.
FormulaArgument R(int rowFirst, int rowLast, int columnFirst, int columnLast) {
    return FormulaArgument::Reference(Range{rowFirst, rowLast, columnFirst, columnLast});
}

struct CallCase {
    const char* rule;
    const char* function;
    std::vector<FormulaArgument> arguments;
    std::string shown; // as xlhost prints the result
};

// The sheet of the cases: A1 = 1.5, B1 = "two", C1 = TRUE, A2 = #N/A,
// B2 empty, C2 = "3" (a text), D1 = 9 and E5 = 8 beside the ranges read.
void FillSheet(Engine& engine) {
    engine.SetCell(0, 0, Cell::Number(1.5));
    engine.SetCell(0, 1, Cell::Text("two"));
    engine.SetCell(0, 2, Cell::Boolean(true));
    engine.SetCell(1, 0, Cell::Error(xlerrNA));
    engine.SetCell(1, 2, Cell::Text("3"));
    engine.SetCell(0, 3, Cell::Number(9));
    engine.SetCell(4, 4, Cell::Number(8));
}

// As a sheet shows a result: the empty B2 comes back Nil and shows 0.
const std::string Sheet2x3 = "1.5,two,TRUE\n#N/A,0,3\n";
const std::string CoerceFailed = "xlCoerce failed with 32\n";
constexpr int WholeSheetRows = 1048576;
constexpr int WholeSheetColumns = 16384;

const CallCase Cases[] = {
    // fix_Mix(double, int, char*, double, short, wchar_t*, double) prints
    // its arguments joined by '|'.
    {"mixed slots, registers and stack",
     "fix_Mix",
     {N(-0.5), N(-7), S("abc"), N(1e10), B(true), S("wide"), N(0.125)},
     "-0.5|-7|abc|10000000000|1|wide|0.125\n"},
    {"mixed slots from cells",
     "fix_Mix",
     {R(0, 0, 0, 0), R(1, 1, 2, 2), R(0, 0, 1, 1), R(1, 1, 2, 2), R(0, 0, 2, 2), R(0, 0, 1, 1),
      R(0, 0, 0, 0)},
     "1.5|3|two|3|1|two|1.5\n"},
    {"numbers become texts, integers truncate",
     "fix_Mix",
     {N(0), N(2.9), N(42), N(-2.5), N(0), N(0.5), N(0)},
     "0|2|42|-2.5|0|0.5|0\n"},
    {"omitted arguments are 0, FALSE and empty texts", "fix_Mix", {}, "0|0||0|0||0\n"},
    {"omitted between others", "fix_Mix", {Omitted(), N(1), Omitted()}, "0|1||0|0||0\n"},
    {"an empty cell is 0 and an empty text",
     "fix_Mix",
     {R(1, 1, 1, 1), R(1, 1, 1, 1), R(1, 1, 1, 1)},
     "0|0||0|0||0\n"},
    {"text that is no number is refused", "fix_Mix", {S("x")}, "#VALUE!\n"},
    {"an error is refused", "fix_Difference", {E(xlerrNA), N(1)}, "#VALUE!\n"},
    {"an error in a cell is refused", "fix_Difference", {R(1, 1, 0, 0), N(1)}, "#VALUE!\n"},
    {"a range is no number", "fix_Difference", {R(0, 0, 0, 1), N(1)}, "#VALUE!\n"},
    {"a cell text is no number", "fix_Difference", {R(0, 0, 1, 1), N(1)}, "#VALUE!\n"},
    {"beyond 32 bits", "fix_Difference", {N(3e9), N(0)}, "#NUM!\n"},
    {"just beyond 32 bits", "fix_Difference", {N(0), N(2147483648.0)}, "#NUM!\n"},
    {"a text beyond 32 bits", "fix_Difference", {S("-3e9"), N(0)}, "#NUM!\n"},
    {"the ends of 32 bits", "fix_Difference", {N(2147483647.9), N(0)}, "2147483647\n"},
    {"the fraction goes before the check",
     "fix_Difference",
     {N(-2147483648.5), N(0)},
     "-2147483648\n"},
    {"a text is no boolean", "fix_Not", {S("maybe")}, "#VALUE!\n"},
    {"int in, int out", "fix_Difference", {N(7), N(10)}, "-3\n"},
    {"truncation toward zero, numeric text", "fix_Difference", {N(-2.9), S("4")}, "-6\n"},
    {"short boolean", "fix_Not", {N(0)}, "TRUE\n"},
    {"boolean text", "fix_Not", {S("true")}, "FALSE\n"},
    {"empty cell is FALSE", "fix_Not", {R(1, 1, 1, 1)}, "TRUE\n"},
    {"boolean through a pointer", "fix_NotThrough", {B(false)}, "TRUE\n"},
    {"omitted boolean through a pointer", "fix_NotThrough", {}, "TRUE\n"},
    {"counted text in, counted wide text out", "fix_Repeat", {S("ab"), N(3)}, "ababab\n"},
    {"a number as a counted text", "fix_Repeat", {R(0, 0, 0, 0), N(2)}, "1.51.5\n"},
    {"Latin-1 both ways", "fix_Repeat", {S("\xc3\xa9"), N(2)}, "\xc3\xa9\xc3\xa9\n"},
    {"wide text in, counted text out", "fix_Upper", {S("hello")}, "HELLO\n"},
    {"a boolean cell as text", "fix_Upper", {R(0, 0, 2, 2)}, "TRUE\n"},
    // The type words: xltypeNum 1, Str 2, Multi 64, Missing 128, Nil 256, SRef 1024.
    {"a cell reaches R as a reference", "fix_Type4", {R(0, 0, 0, 0)}, "1024\n"},
    {"a literal reaches R as a value", "fix_Type4", {N(1)}, "1\n"},
    {"a text literal", "fix_Type4", {S("a")}, "2\n"},
    {"omitted is missing", "fix_Type4", {}, "128\n"},
    {"the last Excel 4 cell", "fix_Type4", {R(65535, 65535, 255, 255)}, "1024\n"},
    {"row 65537 has no Excel 4 name", "fix_Type4", {R(65536, 65536, 0, 0)}, "#REF!\n"},
    {"column 257 has no Excel 4 name", "fix_Type4", {R(0, 0, 256, 256)}, "#REF!\n"},
    {"P reads a range into an array", "fix_ValueType4", {R(0, 1, 0, 1)}, "64\n"},
    {"P reads a cell into its value", "fix_ValueType4", {R(0, 0, 0, 0)}, "1\n"},
    {"P reads an empty cell as Nil", "fix_ValueType4", {R(1, 1, 1, 1)}, "256\n"},
    {"a range reaches U as a reference", "fix_Type12", {R(0, 1, 0, 2)}, "1024\n"},
    {"the last Excel 12 cell", "fix_Type12", {R(1048575, 1048575, 16383, 16383)}, "1024\n"},
    {"Q reads a text cell", "fix_ValueType12", {R(1, 1, 2, 2)}, "2\n"},
    {"the add-in coerces an R reference", "fix_Read4", {R(0, 1, 0, 2)}, Sheet2x3},
    {"the add-in coerces a U reference", "fix_Read12", {R(0, 1, 0, 2)}, Sheet2x3},
    {"cells set beside the range stay out",
     "fix_Read12",
     {R(0, 4, 1, 3)},
     "two,TRUE,9\n0,3,0\n0,0,0\n0,0,0\n0,0,0\n"},
    {"a one-cell reference coerces to its value", "fix_Read12", {R(0, 0, 1, 1)}, "two\n"},
    {"values come back as they went", "fix_Read12", {E(xlerrDiv0)}, "#DIV/0!\n"},
    {"Q passes the array", "fix_Pass12", {R(0, 1, 0, 1)}, "1.5,two\n#N/A,0\n"},
    {"a whole sheet is too large to coerce",
     "fix_Read12",
     {R(0, WholeSheetRows - 1, 0, WholeSheetColumns - 1)},
     CoerceFailed},
    {"a whole Excel 4 sheet is too large to coerce",
     "fix_Read4",
     {R(0, 65535, 0, 255)},
     CoerceFailed},
    {"a whole sheet reaches U as a reference",
     "fix_Type12",
     {R(0, WholeSheetRows - 1, 0, WholeSheetColumns - 1)},
     "1024\n"},
    {"a whole sheet cannot be read for Q",
     "fix_Pass12",
     {R(0, WholeSheetRows - 1, 0, WholeSheetColumns - 1)},
     "#VALUE!\n"},
    {"a whole sheet has no Excel 4 name",
     "fix_Read4",
     {R(0, WholeSheetRows - 1, 0, WholeSheetColumns - 1)},
     "#REF!\n"},
};

TEST_F(EngineTest, PassesEachArgumentAsItsTypeCodeAsks) {
    ASSERT_EQ(engine.OpenAddIn(FixturePath), 1);
    FillSheet(engine);
    for (const CallCase& c : Cases) {
        SCOPED_TRACE(c.rule);
        EXPECT_EQ(engine.EvaluateFormula(c.function, c.arguments).Shown(), c.shown);
        EXPECT_EQ(engine.OutstandingAllocations(), 0u) << "coerced arrays are freed";
    }
    EXPECT_EQ(engine.DoubleFrees() + engine.ForeignFrees(), 0u);
    EXPECT_EQ(engine.CloseAddIn(), 1);
}

TEST_F(EngineTest, RefusesWhatItCannotCall) {
    ASSERT_EQ(engine.OpenAddIn(FixturePath), 1);
    EXPECT_THROW(engine.EvaluateFormula("fix_Not", {N(1), N(2)}), std::runtime_error);
    EXPECT_THROW(engine.EvaluateFormula("fix_Nothing", {}), std::runtime_error);
    const XLOPER modifies = RegisterFixture(records4, "fix_Twice", "1E");
    ASSERT_EQ(modifies.xltype, xltypeNum);
    EXPECT_THROW(engine.EvaluateFormula("fix_Twice", {N(1)}), std::runtime_error)
        << "a modify-in-place function";
    EXPECT_EQ(engine.CloseAddIn(), 1);
}

TEST_F(EngineTest, ArraysFromTheSheetStopAtTheBoundButReferencesCostNothing) {
    // Four whole columns are just within the bound (4 x 1048576 = 2^22
    // cells), five beyond it.
    const long long rows = WholeSheetRows;
    ASSERT_EQ(xlhost::Sheet::MaxArrayCells, 4 * rows);
    engine.SetCell(WholeSheetRows - 1, 3, Cell::Number(2));
    XLOPER12 within = engine.SheetRef12({0, WholeSheetRows - 1, 0, 3});
    XLOPER12 beyond = engine.SheetRef12({0, WholeSheetRows - 1, 0, 4});
    XLOPER12 result = records12.Nil();
    ASSERT_EQ(Call<XLOPER12>(xlCoerce, &result, {&within}), xlretSuccess);
    ASSERT_EQ(result.xltype & xltypeMulti, xltypeMulti);
    EXPECT_EQ(result.val.array.rows, rows);
    const XLOPER12& last = result.val.array.lparray[rows * 4 - 1];
    EXPECT_EQ(Describe(last), "Num 2");
    EXPECT_EQ(Describe(result.val.array.lparray[0]), "Nil");
    EXPECT_EQ(Free(result), xlretSuccess);
    XLOPER12 untouched = records12.Nil();
    EXPECT_EQ(Call<XLOPER12>(xlCoerce, &untouched, {&beyond}), xlretFailed);
    EXPECT_EQ(Describe(untouched), "Nil");
    // Asked for as a reference or a single value, the whole sheet costs nothing.
    XLOPER12 whole = engine.SheetRef12({0, WholeSheetRows - 1, 0, WholeSheetColumns - 1});
    engine.SetCell(0, 0, Cell::Text("7"));
    XLOPER12 asNumber = records12.Integer(xltypeNum);
    ASSERT_EQ(Call<XLOPER12>(xlCoerce, &result, {&whole, &asNumber}), xlretSuccess);
    EXPECT_EQ(Describe(result), "Num 7");
    XLOPER12 asRef = records12.Integer(xltypeRef);
    ASSERT_EQ(Call<XLOPER12>(xlCoerce, &result, {&whole, &asRef}), xlretSuccess);
    EXPECT_EQ(Describe(result), "Ref sheet [0:1048575,0:16383]");
    EXPECT_EQ(Free(result), xlretSuccess);
    EXPECT_EQ(engine.OutstandingAllocations(), 0u);
}

} // namespace
