// Opening the built add-in: what Excel receives through xlfRegister, what the
// status bar shows, and how "Path" changes; then closing and opening again.
#include "AddInSession.h"
#include "StandardOutputCapture.h"

#include <gtest/gtest.h>

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
};

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
    {"xlrnd_ScrambledSobol",
     "BBBB",
     "rnd_ScrambledSobol",
     "d, n, seed, start",
     " generates n Owen-scrambled Sobol points for d dimensions from point start on; each seed "
     "gives another randomisation ",
     {" number of dimensions, at most 255 . ", " number of points . ",
      " scrambling seed, a whole number from 0 to 4294967295 (0 if omitted) . ",
      " index of the first point, 0 for the first (0 if omitted) . "}},
    {"xlrnd_ScrambledNormalRNs",
     "BBBB",
     "rnd_ScrambledNormalRNs",
     "d, n, seed, start",
     " generates normally distributed Random numbers from Owen-scrambled Sobol points, with a "
     "full-precision inverse normal ",
     {" number of dimensions, at most 255 . ", " number of points . ",
      " scrambling seed, a whole number from 0 to 4294967295 (0 if omitted) . ",
      " index of the first point, 0 for the first (0 if omitted) . "}},
    {"xlrnd_BrownianPaths",
     "BBBBB",
     "rnd_BrownianPaths",
     "steps, n, maturity, seed, start",
     " generates n paths of standard Brownian motion at the times k * maturity / steps, from "
     "scrambled Sobol points through a Brownian bridge ",
     {" number of equal time steps, at most 255 . ", " number of paths . ",
      " time of the last step, a positive number . ",
      " scrambling seed, a whole number from 0 to 4294967295 (0 if omitted) . ",
      " index of the first Sobol point, 0 for the first (0 if omitted) . "}},
};

std::vector<Cell> ExpectedArguments(const ExpectedRegistration& expected,
                                    const std::string& modulePath, bool excel12) {
    std::vector<Cell> arguments = {
        Cell::Text(modulePath),
        Cell::Text(expected.procedure),
        Cell::Text((excel12 ? "Q" : "P") + std::string(expected.argumentCodes)),
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
    ASSERT_EQ(registrations.size(), std::size(Functions));
    for (std::size_t i = 0; i < registrations.size(); ++i) {
        const Registration& registration = registrations[i];
        SCOPED_TRACE(Functions[i].functionText);
        // Registration takes Excel's Excel 4 path whatever Excel is running.
        EXPECT_EQ(registration.recordKind, 4);
        EXPECT_TRUE(registration.accepted) << registration.refusal;
        std::vector<Cell> expected =
            ExpectedArguments(Functions[i], addIn.Path(), addIn.UsesExcel12Records());
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
