// Opening the built add-in: what Excel receives through xlfRegister, what the
// status bar shows, and how "Path" changes; then closing and opening again.
#include "AddInSession.h"
#include "StandardOutputCapture.h"
#include "Text.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstddef>
#include <iterator>
#include <string>
#include <vector>

using xlhost::Cell;
using xlhost::Engine;
using xlhost::Registration;

namespace {

struct ExpectedRegistration {
    const char* procedure;
    const char* argumentCodes;
    const char* functionText;
    const char* argumentText;
    const char* functionHelp;
    std::vector<const char*> argumentHelp;
    // Registered through Excel12 where Excel 12 records run, with "$" after
    // the argument codes, and "&" from Excel 2010 on; through Excel4 otherwise.
    bool randomised = false;
};

// The help texts that the randomised functions share, as the wizard shows them.
const char* const SeedHelp =
    " scrambling seed, a whole number from 0 to 4294967295 (0 if omitted) . ";
const char* const ReplicatesHelp =
    " number of independent copies, one block of n rows each, the copy r from seed + r (1 if "
    "omitted) . ";
const std::vector<const char*> ScrambledPointHelp = {
    " number of dimensions, at most 16384 (255 before Excel 2007) . ", " number of points . ",
    SeedHelp, " index of the first point, 0 for the first (0 if omitted) . ", ReplicatesHelp};

// Every help text as the wizard shows it: the stored text with ". " appended.
// The six original functions come first, unchanged, then the randomised ones.
const ExpectedRegistration Functions[] = {
    {"xlrnd_Sobol",
     "BB",
     "rnd_Sobol",
     "d, n",
     " generates n sobol points for d dimensions ",
     {" number of dimensions . ", " number of sobol points . "}},
    {"xlrnd_Faure",
     "BB",
     "rnd_Faure",
     "d, n",
     " generates first n point for d dimensions of Faure Sequence ",
     {" number of Dimensions . ", " number of Faure points . "}},
    {"xlrnd_Halton",
     "BB",
     "rnd_Halton",
     "d, n",
     " generates first n point for d dimensions of Halton Sequence ",
     {" number of Dimensions . ", " number of Halton points . "}},
    {"xlrnd_MoroNormSinInv",
     "B",
     "rnd_MoroNormSinInv",
     "rndNumber",
     " Calculates the Normal Standard number given a Random Number ",
     {" The associated uniform number (0, 1) . "}},
    {"xlrnd_NormalRNs",
     "BB",
     "rnd_NormalRNs",
     "d, n",
     " generates normally distributed Random numbers for the first d dimensions. Uses Sobol "
     "and Moro's inversion. ",
     {" number of dimensions . ", " number of points . "}},
    {"xlrnd_LogNormalRNs",
     "BB",
     "rnd_LogNormalRNs",
     "d, n",
     " generates Log normally distributed Random numbers for the first d dimensions. Uses "
     "Sobol and Moro's inversion. ",
     {" number of dimensions . ", " number of points . "}},
    {"xlrnd_ScrambledSobol", "BBBBB", "rnd_ScrambledSobol", "d, n, seed, start, replicates",
     " generates n Owen-scrambled Sobol points for d dimensions from point start on; each seed "
     "gives another randomisation ",
     ScrambledPointHelp, true},
    {"xlrnd_ScrambledNormalRNs", "BBBBB", "rnd_ScrambledNormalRNs", "d, n, seed, start, replicates",
     " generates normally distributed Random numbers from Owen-scrambled Sobol points, with a "
     "full-precision inverse normal ",
     ScrambledPointHelp, true},
    {"xlrnd_BrownianPaths",
     "BBBBBB",
     "rnd_BrownianPaths",
     "steps, n, maturity, seed, start, replicates",
     " generates n paths of standard Brownian motion at the times k * maturity / steps, from "
     "scrambled Sobol points through a Brownian bridge ",
     {" number of equal time steps, at most 16384 (255 before Excel 2007) . ",
      " number of paths . ", " time of the last step, a positive number . ", SeedHelp,
      " index of the first Sobol point, 0 for the first (0 if omitted) . ", ReplicatesHelp},
     true},
    {"xlrnd_ReplicateStats",
     "VBVVV",
     "rnd_ReplicateStats",
     "values, replicates, alpha, controls, control_means",
     " the mean of the R block means of values, its standard error and R, in one row; with alpha "
     "the half-width of the two-sided 1 - alpha interval too; with controls the control-variate "
     "estimate ",
     {" one column of R blocks of n numbers, such as the spill A1# of a replicated result . ",
      " R, the number of blocks, at least 2 . ",
      " 0.05 adds the half-width of the 95% Student-t interval, and so on (none if omitted) . ",
      " 1 to 8 columns beside values of quantities with known means, such as a geometric "
      "basket's payoffs (none if omitted) . ",
      " the known mean of each column of controls, in a row or a column . "},
     true},
    {"xlrnd_ScrambledHalton", "BBBBB", "rnd_ScrambledHalton", "d, n, seed, start, replicates",
     " generates n Halton points for d dimensions from point start on, each digit randomly "
     "permuted; each seed gives another randomisation ",
     ScrambledPointHelp, true},
    {"xlrnd_Discrepancy",
     "VV",
     "rnd_Discrepancy",
     "points, kind",
     " how far points are from uniform: the squared centred, wrap-around or mixture discrepancy, "
     "or the L2-star discrepancy, as scipy.stats.qmc defines them ",
     {" n rows of d coordinates in [0, 1] . ",
      " \"CD\" (centred, if omitted), \"WD\" (wrap-around), \"MD\" (mixture) or \"L2-star\" . "},
     true},
    {"xlrnd_CorrelatedPaths",
     "BBBVBBBV",
     "rnd_CorrelatedPaths",
     "steps, n, maturity, correlation, seed, start, replicates, method",
     " generates n rows of k correlated Brownian paths, asset after asset, from scrambled Sobol "
     "points through a Brownian bridge and the principal components of the correlation ",
     {" number of equal time steps of each asset . ", " number of paths . ",
      " time of the last step, a positive number . ",
      " k x k correlation matrix of the assets, a range or an array . ", SeedHelp,
      " index of the first Sobol point, 0 for the first (0 if omitted) . ", ReplicatesHelp,
      " \"pca\" (principal components, if omitted) or \"cholesky\" . "},
     true},
    {"xlrnd_Lattice",
     "BBBBBV",
     "rnd_Lattice",
     "d, n, seed, start, replicates, transform",
     " generates n points of a randomly shifted rank-1 lattice (Kuo's extensible vector) for d "
     "dimensions from point start on, in radical-inverse order; each seed gives another shift ",
     {" number of dimensions, at most 9125 (255 before Excel 2007) . ",
      " number of points; start + n at most 1048576 . ",
      " shift seed, a whole number from 0 to 4294967295 (0 if omitted) . ",
      " index of the first point, 0 for the first (0 if omitted) . ", ReplicatesHelp,
      " \"none\" (if omitted) or \"baker\", the tent map 1 - |2x - 1| . "},
     true},
    {"xlrnd_SensitivityDesign",
     "BBBBB",
     "rnd_SensitivityDesign",
     "d, n, seed, start, replicates",
     " Saltelli's design for Sobol' indices: the rows of A, B and AB_1 ... AB_d, n each, from "
     "2d-dimensional scrambled Sobol points; fill the model down beside them ",
     {" number of inputs of the model, at most 8192 (255 before Excel 2007) . ",
      " rows of A, of B and of each AB_i: a power of two such as 4096 . ", SeedHelp,
      " index of the first Sobol point, 0 for the first (0 if omitted) . ",
      " number of independent designs, one block of n x (d + 2) rows each, the design r from "
      "seed + r (1 if omitted) . "},
     true},
    {"xlrnd_SensitivityIndices",
     "VBBV",
     "rnd_SensitivityIndices",
     "values, d, replicates, alpha",
     " Sobol' indices from the outputs on rnd_SensitivityDesign's rows, one row per input: "
     "first-order S_i, its standard error, total ST_i, its standard error; with alpha their "
     "intervals' half-widths ",
     {" the model's outputs on the design's rows, in order: one column of replicates x n x (d + "
      "2) numbers . ",
      " number of inputs, as given to rnd_SensitivityDesign . ",
      " number of designs, as given to rnd_SensitivityDesign; with 1 (or omitted) the standard "
      "errors show #N/A . ",
      " 0.01 adds the half-widths of the 99% Student-t intervals of S_i and ST_i, and so on "
      "(none if omitted) . "},
     true},
};

int ExcelMajorVersion() {
    return std::stoi(Engine::Get().Version());
}

// "V" in the argument codes stands for a value of the running record kind.
std::vector<Cell> ExpectedArguments(const ExpectedRegistration& expected,
                                    const std::string& modulePath, bool excel12) {
    const char value = excel12 ? 'Q' : 'P';
    std::string codes = value + std::string(expected.argumentCodes);
    std::replace(codes.begin(), codes.end(), 'V', value);
    if (excel12 && expected.randomised)
        codes += ExcelMajorVersion() >= 14 ? "$&" : "$";
    std::vector<Cell> arguments = {Cell::Text(modulePath),
                                   Cell::Text(expected.procedure),
                                   Cell::Text(codes),
                                   Cell::Text(expected.functionText),
                                   Cell::Text(expected.argumentText),
                                   Cell::Number(1.0),
                                   Cell::Text("Tesserine"),
                                   Cell::Text(""),
                                   Cell::Text(""),
                                   Cell::Text(expected.functionHelp)};
    for (const char* help : expected.argumentHelp)
        arguments.push_back(Cell::Text(help));
    return arguments;
}

void ExpectTheRegistrations(const std::vector<Registration>& registrations) {
    const AddInSession& addIn = AddInSession::Get();
    const bool excel12 = addIn.UsesExcel12Records();
    // Last, under Excel 12 records alone, the hidden function the in-cell
    // help server calls.
    ASSERT_EQ(registrations.size(), std::size(Functions) + (excel12 ? 1 : 0));
    if (excel12) {
        const Registration& info = registrations.back();
        EXPECT_EQ(info.Procedure(), "xlwRegistrationInfo");
        EXPECT_EQ(info.TypeCodes(), "QQ");
        EXPECT_EQ(info.MacroType(), 0.0);
        EXPECT_EQ(info.FunctionText().rfind("RegistrationInfo_", 0), 0u);
    }
    for (std::size_t i = 0; i < std::size(Functions); ++i) {
        const Registration& registration = registrations[i];
        SCOPED_TRACE(Functions[i].functionText);
        // The six take Excel's Excel 4 path whatever Excel is running.
        EXPECT_EQ(registration.recordKind, excel12 && Functions[i].randomised ? 12 : 4);
        EXPECT_TRUE(registration.accepted) << registration.refusal;
        std::vector<Cell> expected = ExpectedArguments(Functions[i], addIn.Path(), excel12);
        ASSERT_EQ(registration.arguments.size(), expected.size());
        for (std::size_t j = 0; j < expected.size(); ++j)
            EXPECT_TRUE(registration.arguments[j] == expected[j])
                << "argument " << j + 1 << ": \"" << registration.arguments[j].Display()
                << "\" where \"" << expected[j].Display() << "\" was expected";
    }
}

std::string ModuleFileName(HMODULE module) {
    char fileName[MAX_PATH] = {};
    GetModuleFileNameA(module, fileName, MAX_PATH);
    return fileName;
}

// Closes the add-in, changes "Path", opens it again, and gives back the
// registrations of that opening. "Path" is put back afterwards.
class Reopening {
public:
    explicit Reopening(const std::optional<std::string>& searchPath) : saved_(SearchPath()) {
        Engine& engine = Engine::Get();
        EXPECT_EQ(engine.CloseAddIn(), 1);
        SetEnvironmentVariableA("Path", searchPath ? searchPath->c_str() : nullptr);
        std::size_t before = engine.Registrations().size();
        result_ = engine.OpenAddIn(AddInSession::Get().Path());
        registrations_.assign(engine.Registrations().begin() + before,
                              engine.Registrations().end());
        searchPathAfter_ = SearchPath();
    }
    ~Reopening() { SetEnvironmentVariableA("Path", saved_ ? saved_->c_str() : nullptr); }

    int Result() const { return result_; }
    const std::vector<Registration>& Registrations() const { return registrations_; }
    const std::optional<std::string>& SearchPathAfter() const { return searchPathAfter_; }

private:
    std::optional<std::string> saved_;
    int result_ = 0;
    std::vector<Registration> registrations_;
    std::optional<std::string> searchPathAfter_;
};

} // namespace

TEST(Registration, OpeningRegistersTheFunctionsInOrderWithEveryTextExact) {
    const FirstOpening& first = AddInSession::Get().First();
    EXPECT_EQ(first.result, 1);
    ExpectTheRegistrations(first.registrations);
}

TEST(Registration, StatusBarShowsTheModuleFileThenRegisteringThenIsCleared) {
    const AddInSession& addIn = AddInSession::Get();
    std::vector<std::optional<std::string>> expected = {
        ModuleFileName(addIn.Module()), std::string("Registering library..."), std::nullopt};
    EXPECT_EQ(addIn.First().statusHistory, expected);
}

TEST(Registration, SearchPathEndsWithTheModuleFolder) {
    const AddInSession& addIn = AddInSession::Get();
    std::string moduleFile = ModuleFileName(addIn.Module());
    std::string folder = moduleFile.substr(0, moduleFile.rfind('\\'));
    EXPECT_EQ(addIn.First().searchPathAfter, addIn.First().searchPathBefore + ";" + folder);
}

TEST(Lifecycle, ClosingAndOpeningAgainRegistersAgainAndAppendsTheFolderAgain) {
    const AddInSession& addIn = AddInSession::Get();
    std::string before = SearchPath().value_or("");
    Reopening reopening(before);
    EXPECT_EQ(reopening.Result(), 1);
    ExpectTheRegistrations(reopening.Registrations());
    EXPECT_EQ(reopening.SearchPathAfter(), before + ";" + addIn.Folder());
}

TEST(Lifecycle, WithoutAPathVariableOpeningStillRegistersAndSetsNoPath) {
    Reopening reopening(std::nullopt);
    EXPECT_EQ(reopening.Result(), 1);
    ExpectTheRegistrations(reopening.Registrations());
    EXPECT_EQ(reopening.SearchPathAfter(), std::nullopt);
}

TEST(Lifecycle, AnEmptyPathVariableGetsTheFolderAlone) {
    Reopening reopening{std::string()};
    EXPECT_EQ(reopening.Result(), 1);
    EXPECT_EQ(reopening.SearchPathAfter(), AddInSession::Get().Folder());
}

// The add-in's std::cerr writes to the C runtime's standard error, which it
// shares with this executable, once close has given its buffer back.
TEST(Lifecycle, OpeningTwiceStillGivesTheStandardErrorBackAtClose) {
    const std::string& path = AddInSession::Get().Path();
    Engine& engine = Engine::Get();
    ASSERT_EQ(engine.CloseAddIn(), 1);
    StandardOutputCapture errors(StandardOutputCapture::Error);
    EXPECT_EQ(engine.OpenAddIn(path), 1);
    EXPECT_EQ(engine.OpenAddIn(path), 1);
    EXPECT_EQ(engine.CloseAddIn(), 1);
    EXPECT_EQ(engine.CloseAddIn(), 1);
    const std::string written = errors.Finish();
    // Leaves the add-in open, as the other tests expect it.
    EXPECT_EQ(engine.OpenAddIn(path), 1);
    EXPECT_NE(written.find("Releasing ressources"), std::string::npos) << written;
}

TEST(Lifecycle, SearchPathLongerThanTheFirstBufferIsReadWhole) {
    const AddInSession& addIn = AddInSession::Get();
    // 4095 characters fit the first 4096-byte read; 4096 need the second read.
    for (std::size_t length : {4095u, 4096u, 9000u}) {
        SCOPED_TRACE(length);
        std::string longPath = "C:\\A;" + std::string(length - 5, 'x');
        ASSERT_EQ(longPath.size(), length);
        Reopening reopening(longPath);
        EXPECT_EQ(reopening.Result(), 1);
        EXPECT_EQ(reopening.SearchPathAfter(), longPath + ";" + addIn.Folder());
    }
}

namespace {

std::wstring WideSearchPath() {
    const DWORD needed = GetEnvironmentVariableW(L"Path", nullptr, 0);
    std::wstring value(needed, L'\0');
    value.resize(GetEnvironmentVariableW(L"Path", &value[0], needed));
    return value;
}

std::wstring Utf16(const std::string& utf8) {
    return xlhost::Utf8ToUtf16(utf8);
}

} // namespace

// A copy of the add-in in a folder named in Cyrillic, which code page 1252
// cannot show: "Path" gets that folder, not one named "????", and an element
// in that script that "Path" held before stays as it was. Under Excel 4 the
// copy cannot register (Excel 4 names modules in the code page), but "Path"
// is extended before registration. The folder is this process's own: the
// suites of other Excel versions may run at the same time.
TEST(Lifecycle, SearchPathGetsAFolderNamedInAnyScript) {
    const std::string& original = AddInSession::Get().Path();
    const std::wstring folder = Utf16(AddInSession::Get().Folder()) +
                                L"\\\u0418\u0432\u0430\u043d-" +
                                std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring copy = folder + L"\\Tesserine.xll";
    ASSERT_TRUE(CopyFileW(Utf16(original).c_str(), copy.c_str(), FALSE));
    const std::wstring saved = WideSearchPath();
    const std::wstring before = L"C:\\\u0414\u043e\u043c;C:\\Bin";
    SetEnvironmentVariableW(L"Path", before.c_str());
    Engine& engine = Engine::Get();
    ASSERT_EQ(engine.CloseAddIn(), 1);
    const int opened = engine.OpenAddIn(xlhost::Utf16ToUtf8(copy.c_str(), copy.size()));
    const std::wstring after = WideSearchPath();
    EXPECT_EQ(engine.CloseAddIn(), 1);
    EXPECT_EQ(engine.OpenAddIn(original), 1);
    SetEnvironmentVariableW(L"Path", saved.c_str());
    FreeLibrary(GetModuleHandleW(copy.c_str()));
    DeleteFileW(copy.c_str());
    RemoveDirectoryW(folder.c_str());
    EXPECT_EQ(after, before + L";" + folder);
    if (AddInSession::Get().UsesExcel12Records()) {
        EXPECT_EQ(opened, 1);
    }
}

namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

// Excel shows #NAME? for a function it refused and says nothing more: the
// add-in says once which functions are missing and why, and registers the
// others all the same.
TEST(Registration, RefusedFunctionsAreNamedInOneBoxAndTheOthersStillRegister) {
    Engine& engine = Engine::Get();
    const std::size_t boxesBefore = engine.MessageBoxesShown().size();
    engine.InjectFault(xlfRegister, xlretFailed, 3);
    int opened = 0;
    std::vector<Registration> registrations;
    {
        Reopening reopening(SearchPath());
        opened = reopening.Result();
        registrations = reopening.Registrations();
    }
    engine.ClearFaults();
    EXPECT_EQ(opened, 1) << "all but three functions are missing, three work";
    ASSERT_EQ(registrations.size(), 3u) << "the calls that failed registered nothing";
    ASSERT_EQ(engine.MessageBoxesShown().size(), boxesBefore + 1);
    const xlhost::ShownMessageBox box = engine.MessageBoxesShown().back();
    EXPECT_EQ(box.caption, "XLL Error");
    const std::string count = std::to_string(std::size(Functions));
    EXPECT_TRUE(Contains(box.text, "Excel did not register " +
                                       std::to_string(std::size(Functions) - 3) + " of the " +
                                       count + " functions of "))
        << box.text;
    EXPECT_TRUE(Contains(box.text, "cells that use them show #NAME?")) << box.text;
    for (std::size_t i = 0; i < std::size(Functions); ++i) {
        const std::string line = std::string("\n") + Functions[i].functionText + ": ";
        EXPECT_EQ(Contains(box.text, line + "Excel returned code 32"), i >= 3) << line;
    }
    EXPECT_FALSE(Contains(box.text, "shorter path"));

    // Opened again without the fault, the add-in registers everything and
    // shows no box.
    Reopening again(SearchPath());
    EXPECT_EQ(again.Result(), 1);
    ExpectTheRegistrations(again.Registrations());
    EXPECT_EQ(engine.MessageBoxesShown().size(), boxesBefore + 1);
}

// A synced folder deep in a profile: the add-in's path is longer than the 255
// bytes of an Excel 4 text. From Excel 2007 on it registers by its short (8.3)
// path; under Excel 4, whose xlGetName cannot name it, every registration is
// refused and the box says to move the add-in.
TEST(Lifecycle, AnAddInDeeperThanMaxPathRegistersByItsShortPath) {
    Engine& engine = Engine::Get();
    const std::string& original = AddInSession::Get().Path();
    const std::string expected = engine.Evaluate("rnd_Halton", {2, 3}).Shown();
    const std::wstring name =
        L"\\" + std::wstring(90, L'd') + L"-" + std::to_wstring(GetCurrentProcessId());
    std::vector<std::wstring> folders = {Utf16(AddInSession::Get().Folder()) + name};
    while (folders.size() < 3) {
        folders.push_back(folders.back() + name);
    }
    for (const std::wstring& folder : folders) {
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS);
    }
    const std::wstring copy = folders.back() + L"\\Tesserine.xll";
    ASSERT_GT(copy.size(), 260u);
    ASSERT_TRUE(CopyFileW(Utf16(original).c_str(), copy.c_str(), FALSE));
    const std::size_t boxesBefore = engine.MessageBoxesShown().size();
    ASSERT_EQ(engine.CloseAddIn(), 1);
    const std::size_t registeredBefore = engine.Registrations().size();
    const int opened = engine.OpenAddIn(xlhost::Utf16ToUtf8(copy.c_str(), copy.size()));
    const std::vector<Registration> registrations(engine.Registrations().begin() +
                                                      static_cast<std::ptrdiff_t>(registeredBefore),
                                                  engine.Registrations().end());
    std::string shown;
    if (opened == 1) {
        shown = engine.Evaluate("rnd_Halton", {2, 3}).Shown();
    }
    EXPECT_EQ(engine.CloseAddIn(), 1);
    EXPECT_EQ(engine.OpenAddIn(original), 1);
    EXPECT_TRUE(DeleteFileW(copy.c_str()));
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
        RemoveDirectoryW(folder->c_str());
    }
    // The help server's function too, named from the long path, under Excel 12.
    const bool excel12 = AddInSession::Get().UsesExcel12Records();
    ASSERT_EQ(registrations.size(), std::size(Functions) + (excel12 ? 1 : 0));
    if (excel12) {
        EXPECT_EQ(opened, 1);
        for (const Registration& registration : registrations) {
            EXPECT_TRUE(registration.accepted) << registration.refusal;
            EXPECT_LE(registration.ModulePath().size(), 255u) << registration.ModulePath();
        }
        EXPECT_EQ(shown, expected);
        EXPECT_EQ(engine.MessageBoxesShown().size(), boxesBefore);
    } else {
        EXPECT_EQ(opened, 0) << "no function is left to use";
        for (const Registration& registration : registrations) {
            EXPECT_FALSE(registration.accepted);
        }
        ASSERT_EQ(engine.MessageBoxesShown().size(), boxesBefore + 1);
        const std::string text = engine.MessageBoxesShown().back().text;
        const std::string count = std::to_string(std::size(Functions));
        EXPECT_TRUE(
            Contains(text, "Excel did not register " + count + " of the " + count + " functions"))
            << text;
        EXPECT_TRUE(Contains(text, "rnd_Sobol: Excel answered #VALUE!")) << text;
        EXPECT_TRUE(Contains(text, "move the add-in to a folder with a shorter path")) << text;
    }
}

// Excel's Add-ins dialog asks for the add-in's name with action 1, through
// xlAddInManagerInfo12 from Excel 2007 on; any other action has no answer.
TEST(Registration, TheAddInsDialogShowsItsName) {
    const std::string name = "Tesserine quasi-Monte Carlo";
    EXPECT_EQ(Engine::Get().AddInName(), name);
    const HMODULE module = AddInSession::Get().Module();
    using Info4 = LPXLOPER(XLW_STDCALL*)(LPXLOPER);
    using Info12 = LPXLOPER12(XLW_STDCALL*)(LPXLOPER12);
    const auto info4 = reinterpret_cast<Info4>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "xlAddInManagerInfo")));
    const auto info12 = reinterpret_cast<Info12>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "xlAddInManagerInfo12")));
    ASSERT_NE(info4, nullptr);
    ASSERT_NE(info12, nullptr);
    XLOPER action4 = {};
    action4.val.w = 1;
    action4.xltype = xltypeInt;
    const XLOPER* answer4 = info4(&action4);
    ASSERT_EQ(answer4->xltype, xltypeStr);
    EXPECT_EQ(std::string(answer4->val.str + 1, static_cast<unsigned char>(answer4->val.str[0])),
              name);
    action4.val.w = 2;
    EXPECT_EQ(info4(&action4)->xltype, xltypeErr);
    XLOPER12 action12 = {};
    action12.val.num = 1;
    action12.xltype = xltypeNum;
    const XLOPER12* answer12 = info12(&action12);
    ASSERT_EQ(answer12->xltype, xltypeStr);
    EXPECT_EQ(std::wstring(answer12->val.str + 1, answer12->val.str[0]),
              std::wstring(name.begin(), name.end()));
    for (double other : {0.0, 2.0, 1.5}) {
        action12.val.num = other;
        const XLOPER12* refused = info12(&action12);
        ASSERT_EQ(refused->xltype, xltypeErr) << other;
        EXPECT_EQ(refused->val.err, xlerrValue);
    }
}
