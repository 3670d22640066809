// Describing worksheet functions and registering them, run in this process on
// the framework's own copy against the stand-in Excel.
#include "AddInSession.h"

#include "registration/FunctionRegistry.h"
#include "registration/XlfArgDesc.h"
#include "registration/XlfFuncDesc.h"
#include "xlw/FunctionRegistrar.h"
#include "xlw/WorksheetFunction.h"
#include "xlw/XlfExcel.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <stdexcept>

using xlhost::Cell;
using xlhost::Engine;
using xlw::XlfArgDesc;
using xlw::XlfArgDescList;
using xlw::XlfFuncDesc;

namespace {

bool Excel12Records() {
    return xlw::XlfExcel::Get().IsExcel12();
}

class ErrorStreamCapture {
public:
    ErrorStreamCapture() : saved_(std::cerr.rdbuf(captured_.rdbuf())) {}
    ~ErrorStreamCapture() { std::cerr.rdbuf(saved_); }
    std::string Text() const { return captured_.str(); }

private:
    std::ostringstream captured_;
    std::streambuf* saved_;
};

XlfArgDescList TwoNumbers() {
    return {XlfArgDesc("a", "", "B"), XlfArgDesc("b", "", "B")};
}

// A description of xlrnd_Sobol, which the loaded add-in exports, under the
// given marks; registers it and returns what Excel received.
xlhost::Registration Registered(const std::string& returnCode, int policy, bool threadSafe,
                                const XlfArgDescList& arguments) {
    AddInSession::Get();
    XlfFuncDesc description("xlrnd_Sobol", "rnd_Sobol", "help", "Tests", policy, threadSafe,
                            returnCode);
    description.AssignArguments(arguments);
    description.RegisterWithExcel();
    return Engine::Get().Registrations().back();
}

xlw::FunctionRegistration Record(const std::string& excelName) {
    xlw::FunctionRegistration record;
    record.functionName = "xlrnd_Halton";
    record.excelName = excelName;
    record.helpText = "help";
    record.category = "Tests";
    return record;
}

// Entry points of every C++ type the typed registration knows; never called.
int XLW_STDCALL EveryArgument(double, short, unsigned short, int, bool, const char*, const wchar_t*,
                              xlw::ValueArgument, xlw::RangeArgument) {
    return 0;
}
double XLW_STDCALL DoubleResult() {
    return 0;
}
short XLW_STDCALL ShortResult() {
    return 0;
}
unsigned short XLW_STDCALL UnsignedShortResult() {
    return 0;
}
void* XLW_STDCALL ValueResult() {
    return nullptr;
}

// The type text that Excel receives for a function declared typed.
std::string RegisteredTypeText(const xlw::FunctionRegistration& declared) {
    AddInSession::Get();
    xlw::FunctionRegistry registry;
    registry.Append(declared);
    registry.RegisterAllFunctions();
    return Engine::Get().Registrations().back().TypeCodes();
}

template <auto EntryPoint> std::string TypedTypeText() {
    const xlw::WorksheetFunction<EntryPoint> declared("xlrnd_Halton", "rnd_Typed", "help", "Tests");
    return RegisteredTypeText(xlw::RegisteredFunctions().Records().back());
}

} // namespace

// Each C++ type its own code, pinned under the running record kind: the value
// and reference records follow it, the rest are fixed.
TEST(WorksheetFunction, EachCppTypeRegistersItsOwnTypeCode) {
    const bool excel12 = Excel12Records();
    static const xlw::ArgumentHelp nine[] = {{"b", ""}, {"i", ""}, {"h", ""}, {"j", ""}, {"a", ""},
                                             {"c", ""}, {"w", ""}, {"q", ""}, {"u", ""}};
    const xlw::WorksheetFunction<EveryArgument> every("xlrnd_Halton", "rnd_Typed", "help", "Tests",
                                                      nine);
    EXPECT_EQ(RegisteredTypeText(xlw::RegisteredFunctions().Records().back()),
              excel12 ? "JBIHJACC%QU" : "JBIHJACC%PR");
    EXPECT_EQ(TypedTypeText<DoubleResult>(), "B");
    EXPECT_EQ(TypedTypeText<ShortResult>(), "I");
    EXPECT_EQ(TypedTypeText<UnsignedShortResult>(), "H");
    EXPECT_EQ(TypedTypeText<ValueResult>(), excel12 ? "Q" : "P");
}

TEST(ArgumentDescription, CommentsEndInPeriodAndBlank) {
    const struct {
        const char* given;
        const char* stored;
    } cases[] = {{"", ". "}, {"x", "x. "}, {"x.", "x.. "}, {"x. ", "x. "}, {" n ", " n . "}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(XlfArgDesc("a", c.given, "B").GetComment(), c.stored);
        XlfArgDesc assigned;
        assigned.AssignComment(c.given);
        EXPECT_EQ(assigned.GetComment(), c.stored);
    }
}

TEST(ArgumentDescription, NamesLongerThan18CharactersAreWarnedAboutAndKept) {
    ErrorStreamCapture errors;
    XlfArgDesc fits("abcdefghijklmnopqr", "", "B");
    EXPECT_EQ(errors.Text(), "");
    XlfArgDesc tooLong("abcdefghijklmnopqrs", "", "B");
    EXPECT_EQ(errors.Text(), "..\\..\\src\\XlfArgDesc(37): Argument name \"abcdefghijklmnopqrs\" "
                             "may be too long to fit the in the function wizard\n");
    EXPECT_EQ(tooLong.GetName(), "abcdefghijklmnopqrs");
}

TEST(ArgumentDescription, SymbolicTypesFollowTheRunningExcelAndOthersPassUnchanged) {
    bool excel12 = Excel12Records();
    const struct {
        const char* declared;
        const char* code;
    } cases[] = {{"XLF_OPER", excel12 ? "Q" : "P"},
                 {"XLF_XLOPER", excel12 ? "U" : "R"},
                 {"XLW_WSTR", excel12 ? "C%" : "C"},
                 {"xlf_oper", "xlf_oper"},
                 {"B", "B"}};
    for (const auto& c : cases)
        EXPECT_EQ(XlfArgDesc("a", "", c.declared).RegistrationTypeCode(), c.code) << c.declared;
}

TEST(FunctionDescription, TypeTextCarriesTheMarksTheRunningExcelKnows) {
    bool excel12 = Excel12Records();
    const struct {
        const char* returnCode;
        int policy;
        bool threadSafe;
        const char* typeText;
    } cases[] = {
        {"P", 0, false, "PBB"},
        {"P", 1, false, "PBB!"},
        {"P", 2, false, "PBB"},
        {"Q", 1, true, excel12 ? "QBB!$" : "QBB!"},
        {"Q", 0, true, excel12 ? "QBB$" : "QBB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typeText);
        xlhost::Registration registration =
            Registered(c.returnCode, c.policy, c.threadSafe, TwoNumbers());
        EXPECT_EQ(registration.TypeCodes(), c.typeText);
        EXPECT_EQ(registration.ArgumentText(), "a, b");
        EXPECT_EQ(registration.arguments.size(), 12u);
    }
}

TEST(FunctionDescription, ArgumentNamesAreSeparatedByPositionEvenWhenEmpty) {
    const struct {
        XlfArgDescList arguments;
        const char* text;
    } cases[] = {
        {{XlfArgDesc("", "", "B"), XlfArgDesc("b", "", "B")}, ", b"},
        {{XlfArgDesc("a", "", "B"), XlfArgDesc("", "", "B")}, "a, "},
        {{XlfArgDesc("", "", "B"), XlfArgDesc("", "", "B"), XlfArgDesc("c", "", "B")}, ", , c"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Registered("P", 0, false, c.arguments).ArgumentText(), c.text);
}

TEST(FunctionDescription, WithoutArgumentsTenArgumentsReachExcel) {
    xlhost::Registration registration = Registered("P", 0, false, {});
    EXPECT_EQ(registration.TypeCodes(), "P");
    EXPECT_EQ(registration.ArgumentText(), "");
    EXPECT_EQ(registration.arguments.size(), 10u);
}

TEST(FunctionDescription, WithoutAModuleNameNothingIsSentToExcel) {
    AddInSession::Get();
    Engine& engine = Engine::Get();
    std::size_t before = engine.Registrations().size();
    engine.InjectFault(xlGetName, xlretFailed);
    XlfFuncDesc description("xlrnd_Sobol", "rnd_Sobol", "help", "Tests", 0, false, "P");
    ErrorStreamCapture errors;
    try {
        description.RegisterWithExcel();
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& failure) {
        EXPECT_STREQ(failure.what(), "Could not get library name");
    }
    engine.ClearFaults();
    EXPECT_EQ(engine.Registrations().size(), before);
}

TEST(FunctionDescription, ARefusalIsReportedAndTheNextFunctionIsStillRegistered) {
    AddInSession::Get();
    Engine& engine = Engine::Get();
    xlw::FunctionRegistry registry;
    registry.Append(Record("rnd_First"));
    registry.Append(Record("rnd_Second"));
    registry.Append(Record("rnd_Third"));
    std::size_t before = engine.Registrations().size();
    engine.InjectFault(xlfRegister, xlretFailed, 1);
    ErrorStreamCapture errors;
    registry.RegisterAllFunctions();
    engine.ClearFaults();
    EXPECT_EQ(errors.Text(),
              "..\\..\\src\\XlfAbstractCmdDesc(62): Error 32 while registering rnd_Second\n"
              "..\\..\\src\\XlfAbstractCmdDesc(62): Error 32 while registering rnd_Third\n");
    EXPECT_EQ(engine.Registrations().size(), before + 1);
}

TEST(FunctionDescription, AnExceptionEndsTheRegistrationLoop) {
    AddInSession::Get();
    Engine& engine = Engine::Get();
    xlw::FunctionRegistry registry;
    for (const char* name : {"rnd_First", "rnd_Second", "rnd_Third"})
        registry.Append(Record(name));
    std::size_t before = engine.Registrations().size();
    engine.InjectFault(xlGetName, xlretFailed, 2);
    ErrorStreamCapture errors;
    EXPECT_THROW(registry.RegisterAllFunctions(), std::runtime_error);
    engine.ClearFaults();
    ASSERT_EQ(engine.Registrations().size(), before + 2);
    EXPECT_EQ(engine.Registrations().back().FunctionText(), "rnd_Second");
}

// What the add-in can tell without Excel is refused before Excel is asked:
// an exported name that the module does not have, which Excel would answer
// only with #VALUE!, and one sheet name given to two functions, of which
// Excel would keep the later silently, whatever the case of its letters.
TEST(FunctionRegistry, AMissingExportAndASharedSheetNameAreRefusedByName) {
    AddInSession::Get();
    Engine& engine = Engine::Get();
    const auto record = [](const std::string& procedure, const std::string& excelName) {
        xlw::FunctionRegistration registration = Record(excelName);
        registration.functionName = procedure;
        return registration;
    };
    xlw::FunctionRegistry registry;
    registry.Append(record("xlmy_Discont", "my_Discont"));
    registry.Append(record("xlrnd_Halton", "rnd_Twice"));
    registry.Append(record("xlrnd_Faure", "rnd_Alone"));
    registry.Append(record("xlrnd_Sobol", "RND_TWICE"));
    const std::size_t before = engine.Registrations().size();
    ErrorStreamCapture errors;
    const std::vector<std::string> refusals = registry.RegisterAllFunctions();
    EXPECT_EQ(refusals,
              (std::vector<std::string>{
                  "my_Discont: the add-in exports no procedure xlmy_Discont",
                  "rnd_Twice: xlrnd_Halton and xlrnd_Sobol have this sheet name; give each "
                  "function a name of its own",
                  "RND_TWICE: xlrnd_Halton and xlrnd_Sobol have this sheet name; give each "
                  "function a name of its own"}));
    ASSERT_EQ(engine.Registrations().size(), before + 1) << "Excel was asked for the others";
    EXPECT_EQ(engine.Registrations().back().FunctionText(), "rnd_Alone");
}

// From Excel 2007 on a function is registered through Excel12v, unless held
// to Excel4v as the six original ones are; "&" is added from Excel 2010 on,
// through Excel12v alone, since Excel refuses it through Excel4v.
TEST(FunctionDescription, TheInterfaceAndTheMarksFollowTheRunningExcel) {
    AddInSession::Get();
    const bool excel12 = Excel12Records();
    const bool excel2010 = std::stoi(Engine::Get().Version()) >= 14;
    using xlw::RegistrationInterface;
    const int running = excel12 ? 12 : 4;
    const struct {
        const char* label;
        xlw::RegistrationOptions options;
        bool threadSafe;
        int recordKind;
        std::string marks;
    } cases[] = {
        {"ordinary", {}, false, running, ""},
        {"held to Excel4", {RegistrationInterface::Excel4}, false, 4, ""},
        {"cluster-safe",
         {RegistrationInterface::RunningExcel, true},
         true,
         running,
         !excel12    ? ""
         : excel2010 ? "$&"
                     : "$"},
        {"cluster-safe held to Excel4", {RegistrationInterface::Excel4, true}, false, 4, ""},
        {"macro-sheet equivalent",
         {RegistrationInterface::RunningExcel, false, true},
         false,
         running,
         "#"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        XlfFuncDesc description("xlrnd_Sobol", "rnd_Sobol", "help", "Tests", 0, c.threadSafe, "B",
                                c.options);
        description.AssignArguments(TwoNumbers());
        EXPECT_EQ(description.RegisterWithExcel(), "");
        const xlhost::Registration& registration = Engine::Get().Registrations().back();
        EXPECT_EQ(registration.recordKind, c.recordKind);
        EXPECT_EQ(registration.TypeCodes(), "BBB" + c.marks);
        EXPECT_EQ(registration.Text(9), "help");
    }
}

// A function registered by its codes, cluster-safe but taking what a node
// cannot be given, is refused by name; Excel is not asked.
TEST(FunctionRegistry, AClusterSafeFunctionTakingAReferenceOrAnXloperIsRefused) {
    AddInSession::Get();
    Engine& engine = Engine::Get();
    const struct {
        const char* code;
        bool macroSheetEquivalent;
        const char* refusal;
    } cases[] = {
        {"R", false, "a cluster-safe function cannot take an argument of type R"},
        {"U", false, "a cluster-safe function cannot take an argument of type U"},
        {"XLF_XLOPER", false, "a cluster-safe function cannot take an argument of type XLF_XLOPER"},
        {"P", false, "a cluster-safe function cannot take an argument of type P"},
        {"B", true, "a cluster-safe function cannot be macro-sheet equivalent"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        xlw::FunctionRegistration record = Record("rnd_Offloaded");
        record.argumentCount = 1;
        record.argumentNames = {"x"};
        record.argumentHelp = {""};
        record.argumentTypes = {c.code};
        record.options.isClusterSafe = true;
        record.options.isMacroSheetEquivalent = c.macroSheetEquivalent;
        xlw::FunctionRegistry registry;
        registry.Append(record);
        const std::size_t before = engine.Registrations().size();
        const std::vector<std::string> refusals = registry.RegisterAllFunctions();
        ASSERT_EQ(refusals.size(), 1u);
        EXPECT_EQ(refusals[0].rfind(std::string("rnd_Offloaded: ") + c.refusal, 0), 0u)
            << refusals[0];
        EXPECT_EQ(engine.Registrations().size(), before);
    }
}

TEST(FunctionDescription, UnregisteringWithdrawsTheHiddenRegistrationsId) {
    AddInSession::Get();
    Engine& engine = Engine::Get();
    XlfFuncDesc description("xlrnd_Faure", "rnd_Faure", "help", "Tests", 0, false, "P");
    description.AssignArguments(TwoNumbers());
    description.UnregisterFromExcel();
    const xlhost::Registration& hidden = engine.Registrations().back();
    EXPECT_EQ(hidden.MacroType(), 0.0);
    ASSERT_TRUE(hidden.accepted) << hidden.refusal;
    const xlhost::LoggedCall& withdrawal = engine.CallLog().back();
    EXPECT_EQ(withdrawal.function, xlfUnregister);
    ASSERT_EQ(withdrawal.arguments.size(), 1u);
    EXPECT_TRUE(withdrawal.arguments[0] == Cell::Number(hidden.registerId));
}

TEST(FunctionRegistrar, ARecordCopiesItsTableInOrder) {
    static const xlw::ArgumentSpec table[] = {{"x", " first ", "B"}, {"y", " second ", "P"}};
    std::size_t before = xlw::RegisteredFunctions().Records().size();
    xlw::FunctionRegistrar two("xlf_two", "two", " help ", "Tests", table, 2, true, false, "");
    xlw::FunctionRegistrar none("xlf_none", "none", "", "Tests", table, 0, false, true, "Q");
    const std::vector<xlw::FunctionRegistration>& records = xlw::RegisteredFunctions().Records();
    ASSERT_EQ(records.size(), before + 2);
    const xlw::FunctionRegistration& first = records[before];
    EXPECT_EQ(first.functionName, "xlf_two");
    EXPECT_EQ(first.excelName, "two");
    EXPECT_EQ(first.helpText, " help ");
    EXPECT_EQ(first.argumentCount, 2);
    EXPECT_EQ(first.argumentNames, (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(first.argumentHelp, (std::vector<std::string>{" first ", " second "}));
    EXPECT_EQ(first.argumentTypes, (std::vector<std::string>{"B", "P"}));
    EXPECT_TRUE(first.isVolatile);
    EXPECT_FALSE(first.isThreadSafe);
    EXPECT_EQ(first.returnTypeCode, "");
    const xlw::FunctionRegistration& second = records[before + 1];
    EXPECT_EQ(second.argumentCount, 0);
    EXPECT_TRUE(second.argumentNames.empty());
    EXPECT_TRUE(second.argumentHelp.empty());
    EXPECT_TRUE(second.argumentTypes.empty());
    EXPECT_TRUE(second.isThreadSafe);
    EXPECT_EQ(second.returnTypeCode, "Q");
}
