// What the sensitivity functions refuse, in words, under the running record
// kind. Their values are checked against the Sobol points and numpy in
// check_sensitivity.py.
#include "AddInSession.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using xlhost::Cell;
using xlhost::Engine;
using xlhost::FormulaArgument;
using xlhost::Grid;

namespace {

FormulaArgument Number(double value) {
    return FormulaArgument::Literal(Cell::Number(value));
}

// Column A: replicate 1 of d = 1, n = 2 (rows 1-6) varies, replicate 2 (rows
// 7-12) is constant; B1:C2 a square; row 3 of column D a text.
void FillTheSheet(Engine& engine) {
    const double column[] = {1, 2, 3, 4, 5, 6, 7, 7, 7, 7, 7, 7};
    for (int i = 0; i < 12; ++i) {
        engine.SetCell(i, 0, Cell::Number(column[i]));
        engine.SetCell(i, 3, i == 2 ? Cell::Text("x") : Cell::Number(i));
    }
    for (int i = 0; i < 2; ++i)
        for (int j = 1; j < 3; ++j)
            engine.SetCell(i, j, Cell::Number(i + j));
}

// Rows 1 to `rows` of one column (0 for A).
FormulaArgument Column(int rows, int column = 0) {
    return FormulaArgument::Reference({0, rows - 1, column, column});
}

TEST(SensitivityFunctions, SayWhatIsWrongBeforeComputing) {
    Engine& engine = Engine::Get();
    const bool excel12 = AddInSession::Get().UsesExcel12Records();
    engine.ClearSheet();
    FillTheSheet(engine);
    const std::string widest = excel12 ? "8192" : "255";
    // 4 replicates of d = 3 take 20 rows per point: 1048576 / 20 and 65535 /
    // 20, rounded down, are the largest n.
    const std::string tooTall =
        excel12 ? "replicates x n x (d + 2) = 1310720 rows, more than the 1048576 an array "
                  "holds: n can be at most 52428 for d = 3 and 4 replicates"
                : "replicates x n x (d + 2) = 1310720 rows, more than the 65535 an array holds: "
                  "n can be at most 3276 for d = 3 and 4 replicates";
    const std::string alpha =
        "alpha must be a number between 1e-300 and 1, such as 0.05 for a 95% interval";
    const struct {
        const char* function;
        std::vector<FormulaArgument> arguments;
        std::string text;
    } cases[] = {
        {"rnd_SensitivityDesign",
         {Number(8193), Number(4)},
         "d must be a whole number from 0 to " + widest},
        {"rnd_SensitivityDesign",
         {Number(1.5), Number(4)},
         "d must be a whole number from 0 to " + widest},
        {"rnd_SensitivityDesign",
         {Number(3), Number(-1)},
         "the number of points must not be negative"},
        {"rnd_SensitivityDesign",
         {Number(3), Number(4), Number(0.5)},
         "seed must be a whole number from 0 to 4294967295"},
        {"rnd_SensitivityDesign",
         {Number(3), Number(4), Number(0), Number(-1)},
         "start must be a whole number from 0 to 4294967295"},
        {"rnd_SensitivityDesign",
         {Number(3), Number(4), Number(0), Number(0), Number(-1)},
         "replicates must not be negative"},
        {"rnd_SensitivityDesign",
         {Number(3), Number(2), Number(0), Number(4294967295.0)},
         "start + n must not exceed 4294967296, the length of the 32-bit Sobol sequence"},
        {"rnd_SensitivityDesign",
         {Number(3), Number(65536), Number(0), Number(0), Number(4)},
         tooTall},
        {"rnd_SensitivityIndices",
         {FormulaArgument::Reference({0, 1, 1, 2}), Number(1)},
         "values must be one column of numbers, not 2 rows and 2 columns"},
        {"rnd_SensitivityIndices",
         {Column(6, 3), Number(1)},
         "values must all be numbers: row 3 is not"},
        {"rnd_SensitivityIndices",
         {Column(12), Number(0)},
         "d must be a whole number from 1 to 8192"},
        {"rnd_SensitivityIndices",
         {Column(12), Number(8193)},
         "d must be a whole number from 1 to 8192"},
        {"rnd_SensitivityIndices",
         {Column(12), Number(1.5)},
         "d must be a whole number from 1 to 8192"},
        {"rnd_SensitivityIndices",
         {Column(12), Number(1), Number(-1)},
         "replicates must not be negative"},
        {"rnd_SensitivityIndices",
         {Column(11), Number(1), Number(2)},
         "values must hold replicates x n x (d + 2) numbers, 2 x n x 3 for some n, such as 12; it "
         "holds 11"},
        {"rnd_SensitivityIndices",
         {Column(5), Number(1), Number(2)},
         "values must hold replicates x n x (d + 2) numbers, 2 x n x 3 for some n, such as 6; it "
         "holds 5"},
        {"rnd_SensitivityIndices",
         {Column(12), Number(1), Number(2)},
         "the outputs on A and B of replicate 2 are all equal: an output that does not vary has "
         "no sensitivity indices"},
        {"rnd_SensitivityIndices", {Column(6), Number(1), Number(1), Number(1)}, alpha},
        {"rnd_SensitivityIndices",
         {Column(6), Number(1), Number(1), FormulaArgument::Literal(Cell::Text("0.05"))},
         alpha},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Grid answer = engine.EvaluateFormula(c.function, c.arguments);
        ASSERT_EQ(answer.cells.size(), 1u);
        EXPECT_TRUE(answer.At(0, 0) == Cell::Text(c.text)) << answer.At(0, 0).Display();
    }
    if (excel12) {
        const Grid cells =
            engine.EvaluateFormula("rnd_SensitivityDesign", {Number(8192), Number(30)});
        EXPECT_TRUE(
            cells.At(0, 0) ==
            Cell::Text("an array holds at most 134217727 cells; 245820 x 8192 were asked for"))
            << cells.At(0, 0).Display();
    }
    engine.SetBreak(true);
    const Grid stopped =
        engine.EvaluateFormula("rnd_SensitivityDesign", {Number(200), Number(300)});
    engine.SetBreak(false);
    EXPECT_TRUE(stopped.At(0, 0) == Cell::Text("calculation interrupted"))
        << stopped.At(0, 0).Display();
    engine.ClearSheet();
    EXPECT_EQ(engine.OutstandingAllocations(), 0u);
}

} // namespace
