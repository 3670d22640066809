// The randomised functions of the built add-in, evaluated as formulas through
// the stand-in Excel under the running record kind, against the generators
// computed in this process from the same param.txt.
#include "AddInSession.h"
#include "ResultRecord.h"
#include "StandardOutputCapture.h"

#include "BrownianPaths.h"
#include "CorrelatedPaths.h"
#include "CorrelationFactor.h"
#include "LatticePoints.h"
#include "ScrambledHalton.h"
#include "ScrambledSobol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

using xlhost::Cell;
using xlhost::Engine;
using xlhost::Grid;

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Infinity = std::numeric_limits<double>::infinity();

Grid Evaluate(const char* function, const std::vector<double>& arguments) {
    AddInSession::Get();
    return Engine::Get().Evaluate(function, arguments);
}

void ExpectGrid(const Grid& grid, const DoubleMatrix& expected) {
    ASSERT_EQ(grid.rows, expected.RowCount());
    ASSERT_EQ(grid.columns, expected.ColumnCount());
    for (std::size_t i = 0; i < grid.rows; ++i)
        for (std::size_t j = 0; j < grid.columns; ++j)
            ASSERT_TRUE(grid.At(i, j) == Cell::Number(expected(i, j)))
                << i << ", " << j << ": " << grid.At(i, j).Display();
}

void ExpectText(const Grid& grid, const std::string& text) {
    ASSERT_EQ(grid.cells.size(), 1u);
    EXPECT_TRUE(grid.At(0, 0) == Cell::Text(text)) << grid.At(0, 0).Display();
}

// The sheet's width under the running record kind: Excel 2007's 16384
// columns, or Excel 4's 255 that an array can fill.
int SheetWidth() {
    return AddInSession::Get().UsesExcel12Records() ? 16384 : 255;
}

std::string ColumnsText(const char* name) {
    return std::string(name) + " must be a whole number from 0 to " + std::to_string(SheetWidth());
}

// Whole arguments and omitted trailing ones (which Excel passes as 0).
TEST(RandomisedFunctions, AreTheirGeneratorsResults) {
    const struct {
        std::vector<double> arguments;
        int d, n;
        std::uint32_t seed, start;
    } cases[] = {{{5, 8, 7, 0}, 5, 8, 7, 0},
                 {{3, 10, 4294967295.0, 1000}, 3, 10, 4294967295u, 1000},
                 {{4, 16, 7}, 4, 16, 7, 0},
                 {{2, 3}, 2, 3, 0, 0},
                 {{255, 2, 1, 4294967294.0}, 255, 2, 1, 4294967294u}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.d << ", " << c.n << ", " << c.seed << ", " << c.start);
        ExpectGrid(Evaluate("rnd_ScrambledSobol", c.arguments),
                   ScrambledSobolPoints(c.d, c.n, c.seed, c.start));
        ExpectGrid(Evaluate("rnd_ScrambledNormalRNs", c.arguments),
                   ScrambledNormalVariates(c.d, c.n, c.seed, c.start));
    }
    ExpectGrid(Evaluate("rnd_BrownianPaths", {12, 20, 0.5, 9, 3}),
               BrownianPaths(12, 20, 0.5, 9, 3));
    ExpectGrid(Evaluate("rnd_BrownianPaths", {6, 4, 2}), BrownianPaths(6, 4, 2, 0, 0));
    // No points or no dimensions: the Nil record, as for the six functions.
    for (const Grid& empty :
         {Evaluate("rnd_ScrambledSobol", {0, 5, 1, 1}), Evaluate("rnd_BrownianPaths", {4, 0, 1})}) {
        ASSERT_EQ(empty.cells.size(), 1u);
        EXPECT_TRUE(empty.At(0, 0) == Cell::Nil()) << empty.At(0, 0).Display();
    }
}

// Under Excel 12 records the result owns its memory and goes back to the
// add-in's xlAutoFree12; under Excel 4 records it lives in the shared memory.
TEST(RandomisedFunctions, AnswerWithTheRunningRecordKind) {
    using Entry = void*(XLW_STDCALL*)(double, double, double, double, double);
    using AutoFree = void(XLW_STDCALL*)(void*);
    const AddInSession& addIn = AddInSession::Get();
    auto entry = reinterpret_cast<Entry>(
        reinterpret_cast<void*>(GetProcAddress(addIn.Module(), "xlrnd_ScrambledSobol")));
    auto autoFree = reinterpret_cast<AutoFree>(
        reinterpret_cast<void*>(GetProcAddress(addIn.Module(), "xlAutoFree12")));
    ASSERT_NE(entry, nullptr);
    ASSERT_NE(autoFree, nullptr);
    const bool excel12 = addIn.UsesExcel12Records();
    void* record = entry(3, 4, 5, 6, 1);
    const ResultRecord result = ReadRecord(record, excel12);
    if (excel12)
        autoFree(record);
    ASSERT_EQ(result.type, unsigned(xltypeMulti | (excel12 ? xlbitDLLFree : 0)));
    const DoubleMatrix expected = ScrambledSobolPoints(3, 4, 5, 6);
    for (unsigned k = 0; k < 12; ++k) {
        EXPECT_EQ(result.elementTypes[k], unsigned(xltypeNum));
        EXPECT_EQ(result.numbers[k], expected(k / 3, k % 3));
    }
}

TEST(RandomisedFunctions, ShowWhatIsAllowedForTheFirstWrongArgument) {
    const std::string seedText = "seed must be a whole number from 0 to 4294967295";
    const std::string startText = "start must be a whole number from 0 to 4294967295";
    const std::string pastTheEnd =
        "start + n must not exceed 4294967296, the length of the 32-bit Sobol sequence";
    const struct {
        std::vector<double> arguments;
        std::string text;
    } pointCases[] = {
        {{SheetWidth() + 1.0, 4}, ColumnsText("d")},
        {{-1, 4}, ColumnsText("d")},
        {{NaN, NaN}, ColumnsText("d")},
        {{3, 1e10}, "n must be a whole number from 0 to 2147483647"},
        {{3, -1}, "the number of points must not be negative"},
        {{3, -1, -1, -1}, "the number of points must not be negative"},
        {{3, 4, -1}, seedText},
        {{3, 4, 0.3}, seedText},
        {{3, 4, 4294967294.5}, seedText},
        {{3, 4, 7, 1000.7}, startText},
        {{3, 4, 4294967296.0}, seedText},
        {{3, 4, Infinity, -5}, seedText},
        {{3, 4, 0, -1}, startText},
        {{3, 4, 0, NaN}, startText},
        {{3, 4, 0, 4294967296.0}, startText},
        {{3, 2, 0, 4294967295.0}, pastTheEnd},
    };
    for (const char* function : {"rnd_ScrambledSobol", "rnd_ScrambledNormalRNs"})
        for (const auto& c : pointCases) {
            SCOPED_TRACE(function + (" " + c.text));
            ExpectText(Evaluate(function, c.arguments), c.text);
        }

    const std::string maturityText = "maturity must be a positive, finite number";
    const struct {
        std::vector<double> arguments;
        std::string text;
    } pathCases[] = {
        {{SheetWidth() + 1.0, 4, 1}, ColumnsText("steps")},
        {{4, NaN, 1}, "n must be a whole number from 0 to 2147483647"},
        {{3, -1, 0}, "the number of points must not be negative"},
        {{4, 8}, maturityText},
        {{4, 8, -1, -1}, maturityText},
        {{4, 8, Infinity}, maturityText},
        {{4, 8, NaN}, maturityText},
        {{4, 8, 1, -1}, seedText},
        {{4, 8, 1, 0.5}, seedText},
        {{4, 8, 1, 0, -2}, startText},
        {{4, 8, 1, 0, 4294967290.0}, pastTheEnd},
    };
    for (const auto& c : pathCases) {
        SCOPED_TRACE(c.text);
        ExpectText(Evaluate("rnd_BrownianPaths", c.arguments), c.text);
    }
}

// Every count of these functions is a whole number: a fraction is named, as a
// fractional seed is, not truncated (2.9 replicates would silently be 2). The
// six original functions keep their truncation (see WorksheetValuesTest).
TEST(RandomisedFunctions, RefuseAFractionForEveryCount) {
    const std::string n = "n must be a whole number from 0 to 2147483647";
    const std::string replicates = "replicates must be a whole number from 0 to 2147483647";
    const struct {
        std::vector<double> arguments;
        std::string text;
    } pointCases[] = {
        {{1.5, 4, 7}, ColumnsText("d")},
        {{3 + 1e-9, 4, 7}, ColumnsText("d")},
        {{3, 4.5, 7}, n},
        {{3, -0.5, 7}, n},
        {{3, 4, 7, 0, 2.9}, replicates},
        {{3, 4, 7, 0, 0.5}, replicates},
        {{3, 4, 7, 0, -1.5}, replicates},
    };
    for (const char* function :
         {"rnd_ScrambledSobol", "rnd_ScrambledNormalRNs", "rnd_ScrambledHalton"})
        for (const auto& c : pointCases) {
            SCOPED_TRACE(testing::Message() << function << " " << c.text);
            ExpectText(Evaluate(function, c.arguments), c.text);
        }
    ExpectText(Evaluate("rnd_BrownianPaths", {4.5, 8, 1}), ColumnsText("steps"));
    ExpectText(Evaluate("rnd_BrownianPaths", {4, 8.5, 1}), n);
    ExpectText(Evaluate("rnd_BrownianPaths", {4, 8, 1, 0, 0, 1.5}), replicates);

    Engine& engine = Engine::Get();
    engine.ClearSheet();
    for (int i = 0; i < 6; ++i)
        engine.SetCell(i, 0, Cell::Number(i));
    ExpectText(engine.EvaluateFormula("rnd_ReplicateStats",
                                      {xlhost::FormulaArgument::Reference({0, 5, 0, 0}),
                                       xlhost::FormulaArgument::Literal(Cell::Number(2.9))}),
               replicates);
    engine.ClearSheet();
}

// Under Excel 4 more rows than an array holds are refused before a point is
// computed (two billion rows of ten columns would fail to allocate), after
// every argument text, the generators' own included.
TEST(RandomisedFunctions, UnderExcel4TooManyRowsAreRefusedBeforeComputingThem) {
    if (AddInSession::Get().UsesExcel12Records())
        GTEST_SKIP() << "Excel 12 arrays hold every row count";
    const std::string tooManyRows =
        "an Excel 4 array holds at most 65535 rows; 2000000000 were asked for";
    const std::string pastTheEnd =
        "start + n must not exceed 4294967296, the length of the 32-bit Sobol sequence";
    for (const char* function : {"rnd_ScrambledSobol", "rnd_ScrambledNormalRNs"}) {
        SCOPED_TRACE(function);
        ExpectText(Evaluate(function, {10, 2e9, 7, 5}), tooManyRows);
        ExpectText(Evaluate(function, {10, 2e9, 7, 2294967297.0}), pastTheEnd);
        ExpectText(Evaluate(function, {10, 2e9, -1}),
                   "seed must be a whole number from 0 to 4294967295");
        ExpectText(Evaluate(function, {10, -2e9}), "the number of points must not be negative");
    }
    ExpectText(Evaluate("rnd_BrownianPaths", {10, 2e9, 1, 7}), tooManyRows);
    ExpectText(Evaluate("rnd_BrownianPaths", {10, 2e9, 0, 7}),
               "maturity must be a positive, finite number");
    ExpectText(Evaluate("rnd_BrownianPaths", {10, 2e9, 1, 7, 2294967297.0}), pastTheEnd);
}

// Under Excel 12 a result of more cells than one array's records can hold
// (2^32 - 1 bytes of 32-byte XLOPER12s) is refused in words before a point is
// computed, on both architectures; 255 x 600000 once allocated and computed
// 4 GB before it failed.
TEST(RandomisedFunctions, UnderExcel12TooManyCellsAreRefusedBeforeComputingThem) {
    if (!AddInSession::Get().UsesExcel12Records())
        GTEST_SKIP() << "Excel 4 refuses such rows first";
    const std::string tooManyCells =
        "an array holds at most 134217727 cells; 600000 x 255 were asked for";
    ExpectText(Evaluate("rnd_ScrambledSobol", {255, 600000, 7}), tooManyCells);
    ExpectText(Evaluate("rnd_ScrambledNormalRNs", {255, 600000, 7}), tooManyCells);
    ExpectText(Evaluate("rnd_BrownianPaths", {255, 600000, 1, 7}), tooManyCells);
}

// An array result is no taller than the sheet it spills into: 1048576 rows
// under Excel 12 records, replicates counted, refused in words before a point
// is computed, by the six original functions too.
TEST(RandomisedFunctions, UnderExcel12RowsPastTheSheetAreRefused) {
    if (!AddInSession::Get().UsesExcel12Records())
        GTEST_SKIP() << "Excel 4 refuses 65536 rows and more";
    const auto rowsText = [](const char* rows) {
        return std::string("an array holds at most 1048576 rows, the sheet's height; ") + rows +
               " were asked for";
    };
    const struct {
        const char* function;
        std::vector<double> arguments;
        const char* rows;
    } cases[] = {
        {"rnd_ScrambledSobol", {1, 1048577, 7}, "1048577"},
        {"rnd_ScrambledSobol", {1, 2147483647, 7}, "2147483647"},
        {"rnd_ScrambledNormalRNs", {3, 600000, 7, 0, 2}, "1200000"},
        {"rnd_ScrambledHalton", {1, 2000000, 7}, "2000000"},
        {"rnd_BrownianPaths", {3, 600000, 1, 7, 0, 3}, "1800000"},
        {"rnd_Sobol", {1, 1048577}, "1048577"},
        {"rnd_NormalRNs", {1, 1048577}, "1048577"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.function);
        const StandardOutputCapture printed; // the six original functions print their param.txt
        ExpectText(Evaluate(c.function, c.arguments), rowsText(c.rows));
    }
    const Grid tallest = Evaluate("rnd_ScrambledSobol", {1, 1048576, 7});
    EXPECT_EQ(tallest.rows, 1048576u);
}

// Nothing to compute is settled before anything is: no rows or no columns
// give the empty result at once, whatever the replicate count, and the
// replicated empty result is still empty (d = 0 once dereferenced a block
// that was never made).
TEST(RandomisedFunctions, AnEmptyResultIsBuiltOnceWhateverTheReplicates) {
    const struct {
        const char* function;
        std::vector<double> arguments;
    } cases[] = {
        {"rnd_ScrambledSobol", {0, 3, 1, 0, 2}},
        {"rnd_ScrambledHalton", {0, 3, 1, 0, 2}},
        {"rnd_ScrambledNormalRNs", {3, 0, 1, 0, 2147483647}},
        {"rnd_BrownianPaths", {double(SheetWidth()), 0, 1, 1, 0, 2147483647}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.function);
        const Grid empty = Evaluate(c.function, c.arguments);
        ASSERT_EQ(empty.cells.size(), 1u);
        EXPECT_EQ(empty.At(0, 0).kind, Cell::Kind::Nil) << empty.At(0, 0).Display();
    }
}

std::size_t BreakChecks() {
    std::size_t checks = 0;
    for (const xlhost::LoggedCall& call : Engine::Get().CallLog())
        checks += call.function == xlAbort;
    return checks;
}

// Esc stops a long call: the functions ask Excel's break flag, leaving it for
// Excel to clear, before every block of about 65536 numbers, and answer
// "calculation interrupted" at once, their memory given back.
TEST(RandomisedFunctions, EscStopsALongCallBetweenBlocksOfRows) {
    Engine& engine = Engine::Get();
    AddInSession::Get();
    for (const char* function : {"rnd_ScrambledSobol", "rnd_ScrambledNormalRNs"}) {
        SCOPED_TRACE(function);
        engine.ClearCallLog();
        const bool uniform = std::string(function) == "rnd_ScrambledSobol";
        ExpectGrid(Evaluate(function, {16, 3 * 4096, 7}),
                   uniform ? ScrambledSobolPoints(16, 12288, 7, 0)
                           : ScrambledNormalVariates(16, 12288, 7, 0));
        EXPECT_EQ(BreakChecks(), 3u) << "before rows 0, 4096 and 8192";
        for (const xlhost::LoggedCall& call : engine.CallLog()) {
            if (call.function == xlAbort) {
                EXPECT_TRUE(call.arguments.at(0) == Cell::Boolean(true)) << "the break is kept";
            }
        }

        engine.SetBreak(true);
        engine.ClearCallLog();
        ExpectText(Evaluate(function, {255, 60000, 7}), "calculation interrupted");
        EXPECT_EQ(BreakChecks(), 1u) << "stopped at the first block";
        EXPECT_TRUE(engine.BreakPending()) << "Excel clears the break, not the function";
        engine.SetBreak(false);
    }
    const struct {
        const char* function;
        std::vector<double> arguments;
    } stopped[] = {{"rnd_BrownianPaths", {255, 60000, 1, 7}}, {"rnd_Lattice", {255, 60000, 7}}};
    for (const auto& c : stopped) {
        SCOPED_TRACE(c.function);
        engine.SetBreak(true);
        engine.ClearCallLog();
        ExpectText(Evaluate(c.function, c.arguments), "calculation interrupted");
        EXPECT_EQ(BreakChecks(), 1u) << "stopped at the first block";
        engine.SetBreak(false);
    }
    // Where xlAbort fails, as every callback does on a strict cluster node,
    // there is no Esc to stop for: the call goes on to its result.
    engine.SetBreak(true);
    engine.InjectFault(xlAbort, xlretFailed);
    ExpectGrid(Evaluate("rnd_ScrambledSobol", {16, 3 * 4096, 7}),
               ScrambledSobolPoints(16, 12288, 7, 0));
    engine.ClearFaults();
    engine.SetBreak(false);
    EXPECT_EQ(engine.OutstandingAllocations(), 0u);
}

// Under Excel 12 records the call looks for the wizard only when its result
// is worth skipping: above 4096 cells. Excel 4 records have no thread-safe
// functions, and there every call answers TRUE in the wizard. No call prints.
TEST(RandomisedFunctions, InTheFunctionWizardOnlyALargeResultIsSkipped) {
    Engine& engine = Engine::Get();
    const bool excel12 = AddInSession::Get().UsesExcel12Records();
    engine.SetFunctionWizard(true);
    StandardOutputCapture output;
    const Grid small = Evaluate("rnd_ScrambledSobol", {4, 1024, 1, 0});
    const Grid normals = Evaluate("rnd_ScrambledNormalRNs", {3, 4, 1, 0});
    const Grid paths = Evaluate("rnd_BrownianPaths", {3, 4, 1, 1, 0});
    const std::vector<Grid> large = {Evaluate("rnd_ScrambledSobol", {4, 1025, 1, 0}),
                                     Evaluate("rnd_ScrambledNormalRNs", {255, 17, 1, 0}),
                                     Evaluate("rnd_BrownianPaths", {2, 2049, 1, 1, 0}),
                                     Evaluate("rnd_Lattice", {4, 1025, 1})};
    engine.SetFunctionWizard(false);
    const Grid outside = Evaluate("rnd_BrownianPaths", {2, 2049, 1, 1, 0});
    EXPECT_EQ(output.Finish(), "");

    const Cell wizardAnswer = Cell::Boolean(true);
    for (const Grid& answer : large) {
        ASSERT_EQ(answer.cells.size(), 1u);
        EXPECT_TRUE(answer.At(0, 0) == wizardAnswer) << answer.At(0, 0).Display();
    }
    if (excel12) {
        ExpectGrid(small, ScrambledSobolPoints(4, 1024, 1, 0));
        ExpectGrid(normals, ScrambledNormalVariates(3, 4, 1, 0));
        ExpectGrid(paths, BrownianPaths(3, 4, 1, 1, 0));
    } else {
        for (const Grid* answer : {&small, &normals, &paths})
            EXPECT_TRUE(answer->cells.size() == 1 && answer->At(0, 0) == wizardAnswer);
    }
    ExpectGrid(outside, BrownianPaths(2, 2049, 1, 1, 0));
}

} // namespace

namespace {

xlhost::FormulaCall Formula(const char* function, const std::vector<double>& arguments) {
    xlhost::FormulaCall call{function, {}};
    for (double argument : arguments)
        call.arguments.push_back(xlhost::FormulaArgument::Literal(Cell::Number(argument)));
    return call;
}

Grid ToGrid(const DoubleMatrix& matrix) {
    Grid grid(matrix.RowCount(), matrix.ColumnCount());
    for (std::size_t i = 0; i < grid.rows; ++i)
        for (std::size_t j = 0; j < grid.columns; ++j)
            grid.At(i, j) = Cell::Number(matrix(i, j));
    return grid;
}

} // namespace

// Many calls of every randomised function, some refused, among specified
// functions that stay on the main thread: at 1, 2 and 8 recalculation
// threads each result is, bit for bit, the one its generator gives, and
// every owned result went back to the add-in once.
TEST(RandomisedFunctions, RecalculatedOnAnyNumberOfThreadsGiveTheSameBits) {
    Engine& engine = Engine::Get();
    const bool excel12 = AddInSession::Get().UsesExcel12Records();
    std::vector<xlhost::FormulaCall> formulas;
    std::vector<Grid> expected;
    std::size_t owned = 0;
    for (int i = 0; i < 90; ++i) {
        const int d = 1 + i % 9;
        const int n = 1 + (i * 37) % 300;
        const std::uint32_t seed = 7919u * i;
        const std::uint32_t start = 31u * i;
        switch (i % 5) {
        case 0:
            formulas.push_back(
                Formula("rnd_ScrambledSobol", {double(d), double(n), double(seed), double(start)}));
            expected.push_back(ToGrid(ScrambledSobolPoints(d, n, seed, start)));
            break;
        case 1:
            formulas.push_back(Formula("rnd_ScrambledNormalRNs",
                                       {double(d), double(n), double(seed), double(start)}));
            expected.push_back(ToGrid(ScrambledNormalVariates(d, n, seed, start)));
            break;
        case 2:
            formulas.push_back(Formula(
                "rnd_BrownianPaths", {double(d), double(n), 0.5 + i, double(seed), double(start)}));
            expected.push_back(ToGrid(BrownianPaths(d, n, 0.5 + i, seed, start)));
            break;
        case 3:
            formulas.push_back(Formula("rnd_ScrambledSobol", {double(d), -1.0 - i}));
            expected.push_back(
                Grid::Single(Cell::Text("the number of points must not be negative")));
            break;
        default:
            formulas.push_back(Formula("rnd_Halton", {double(d), double(n)}));
            expected.push_back(engine.Evaluate("rnd_Halton", {double(d), double(n)}));
        }
        // Every result of a thread-safe function, a refusal too, owns its memory.
        owned += formulas.back().functionText != "rnd_Halton";
    }
    for (int threads : {1, 2, 8}) {
        SCOPED_TRACE(threads);
        const std::size_t handedBack = engine.ResultsHandedBack();
        std::vector<Grid> results(formulas.size());
        engine.Recalculate(formulas, threads,
                           [&](std::size_t i, Grid grid, std::exception_ptr failure) {
                               results[i] = failure ? Grid::Single(Cell::Text("threw")) : grid;
                           });
        for (std::size_t i = 0; i < formulas.size(); ++i)
            ASSERT_TRUE(results[i].cells == expected[i].cells &&
                        results[i].rows == expected[i].rows)
                << formulas[i].functionText << " #" << i << ": " << results[i].At(0, 0).Display();
        EXPECT_EQ(engine.ResultsHandedBack() - handedBack, excel12 ? owned : 0);
    }
    EXPECT_EQ(engine.ResultsWithoutAutoFree(), 0u);
    EXPECT_EQ(engine.OutstandingAllocations(), 0u);
}

namespace {

DoubleMatrix Stacked(const std::vector<DoubleMatrix>& blocks) {
    DoubleMatrix all(blocks.size() * blocks[0].RowCount(), blocks[0].ColumnCount());
    unsigned long row = 0;
    for (const DoubleMatrix& block : blocks)
        for (unsigned long i = 0; i < block.RowCount(); ++i, ++row)
            for (unsigned long j = 0; j < block.ColumnCount(); ++j)
                all(row, j) = block(i, j);
    return all;
}

} // namespace

// R blocks, block r the generator's points for seed + r (wrapping past
// 4294967295) from the same start; 0, 1 and an omitted count give one.
TEST(RandomisedFunctions, ReplicatesAreTheBlocksOfTheFollowingSeeds) {
    const std::uint32_t last = 4294967295u;
    ExpectGrid(Evaluate("rnd_ScrambledSobol", {3, 8, double(last - 1), 5, 3}),
               Stacked({ScrambledSobolPoints(3, 8, last - 1, 5),
                        ScrambledSobolPoints(3, 8, last, 5), ScrambledSobolPoints(3, 8, 0, 5)}));
    ExpectGrid(
        Evaluate("rnd_ScrambledNormalRNs", {2, 5, 7, 0, 4}),
        Stacked({ScrambledNormalVariates(2, 5, 7, 0), ScrambledNormalVariates(2, 5, 8, 0),
                 ScrambledNormalVariates(2, 5, 9, 0), ScrambledNormalVariates(2, 5, 10, 0)}));
    ExpectGrid(Evaluate("rnd_BrownianPaths", {4, 3, 2, 11, 1, 2}),
               Stacked({BrownianPaths(4, 3, 2, 11, 1), BrownianPaths(4, 3, 2, 12, 1)}));
    for (double one : {0.0, 1.0})
        ExpectGrid(Evaluate("rnd_ScrambledSobol", {3, 8, 7, 5, one}),
                   ScrambledSobolPoints(3, 8, 7, 5));
    ExpectGrid(Evaluate("rnd_ScrambledSobol", {3, 8, 7, 5}), ScrambledSobolPoints(3, 8, 7, 5));
}

TEST(RandomisedFunctions, ReplicatesBeyondAResultAreRefusedFirst) {
    ExpectText(Evaluate("rnd_ScrambledSobol", {3, 8, 7, 0, -1}), "replicates must not be negative");
    ExpectText(Evaluate("rnd_BrownianPaths", {3, 8, 1, 7, 0, NaN}),
               "replicates must be a whole number from 0 to 2147483647");
    ExpectText(Evaluate("rnd_ScrambledSobol", {1, 2000000000, 7, 0, 2}),
               "replicates x n = 4000000000 rows, more than a result holds");
    // Arguments are judged in their order: a bad start before the replicates.
    ExpectText(Evaluate("rnd_ScrambledSobol", {1, 8, 7, 0.5, -1}),
               "start must be a whole number from 0 to 4294967295");
    const Grid tooMany = Evaluate("rnd_ScrambledNormalRNs", {255, 1000000, 7, 0, 1000});
    ASSERT_EQ(tooMany.cells.size(), 1u);
    EXPECT_EQ(tooMany.At(0, 0).kind, Cell::Kind::Text) << "refused before computing";
}

// Blocks (1, 2), (3, 4), (5, 7): means 1.5, 3.5 and 6, worked out here by
// their definition; each wrong input named in words. With alpha the
// half-width: R = 3, two degrees of freedom, whose t quantile is (2p - 1) /
// sqrt(2p(1 - p)) at p = 1 - alpha / 2 (the Student-t distribution function
// for two degrees of freedom, inverted by hand). Without alpha, or with an
// empty cell, the row keeps three cells.
TEST(RandomisedFunctions, ReplicateStatsGiveTheErrorBarAndIntervalOrSayWhatIsWrong) {
    Engine& engine = Engine::Get();
    AddInSession::Get();
    engine.ClearSheet();
    const double column[] = {1, 2, 3, 4, 5, 7};
    for (int i = 0; i < 6; ++i)
        engine.SetCell(i, 0, Cell::Number(column[i]));
    engine.SetCell(0, 1, Cell::Text("x"));
    const auto stats = [&](int rows, int columns, double replicates) {
        return engine.EvaluateFormula(
            "rnd_ReplicateStats",
            {xlhost::FormulaArgument::Reference({0, rows - 1, 0, columns - 1}),
             xlhost::FormulaArgument::Literal(Cell::Number(replicates))});
    };
    const double mean = (1.5 + 3.5 + 6) / 3;
    const double spread = std::sqrt(
        ((1.5 - mean) * (1.5 - mean) + (3.5 - mean) * (3.5 - mean) + (6 - mean) * (6 - mean)) / 2);
    const Grid summary = stats(6, 1, 3);
    ASSERT_EQ(summary.columns, 3u);
    EXPECT_DOUBLE_EQ(summary.At(0, 0).number, mean);
    EXPECT_DOUBLE_EQ(summary.At(0, 1).number, spread / std::sqrt(3.0));
    EXPECT_EQ(summary.At(0, 2).number, 3);
    // Near the largest doubles, which values taken relative to the first one
    // would overflow: blocks (1e308, -1e308) twice, means 0 and 0 (by hand).
    for (int i = 0; i < 4; ++i)
        engine.SetCell(i, 4, Cell::Number(i % 2 == 0 ? 1e308 : -1e308));
    const Grid nearLargest = engine.EvaluateFormula(
        "rnd_ReplicateStats", {xlhost::FormulaArgument::Reference({0, 3, 4, 4}),
                               xlhost::FormulaArgument::Literal(Cell::Number(2))});
    ASSERT_EQ(nearLargest.columns, 3u);
    EXPECT_TRUE(nearLargest.At(0, 0) == Cell::Number(0)) << nearLargest.At(0, 0).Display();
    EXPECT_TRUE(nearLargest.At(0, 1) == Cell::Number(0)) << nearLargest.At(0, 1).Display();
    ExpectText(stats(6, 1, 4), "the 6 values do not split into 4 blocks of equal length");
    ExpectText(stats(2, 2, 2), "values must be one column of numbers, not 2 rows and 2 columns");
    ExpectText(stats(1, 2, 2), "values must be one column of numbers, not 1 row and 2 columns");
    ExpectText(stats(7, 1, 7), "values must all be numbers: row 7 is not");
    ExpectText(stats(6, 1, 1),
               "replicates must be at least 2: the spread of one block is no error bar");
    const auto interval = [&](std::vector<xlhost::FormulaArgument> alpha) {
        std::vector<xlhost::FormulaArgument> arguments = {
            xlhost::FormulaArgument::Reference({0, 5, 0, 0}),
            xlhost::FormulaArgument::Literal(Cell::Number(3))};
        arguments.insert(arguments.end(), alpha.begin(), alpha.end());
        return engine.EvaluateFormula("rnd_ReplicateStats", arguments);
    };
    for (double alpha : {0.05, 0.5, 1e-6, 1e-299}) {
        SCOPED_TRACE(alpha);
        const Grid row = interval({xlhost::FormulaArgument::Literal(Cell::Number(alpha))});
        ASSERT_EQ(row.columns, 4u);
        // 2p - 1 = 1 - alpha and 1 - p = alpha / 2, without the cancellation.
        const double p = 1 - alpha / 2;
        const double quantile = (1 - alpha) / std::sqrt(p * alpha);
        EXPECT_NEAR(row.At(0, 3).number / (quantile * row.At(0, 1).number), 1.0, 1e-13);
    }
    EXPECT_EQ(interval({}).columns, 3u);
    EXPECT_EQ(interval({xlhost::FormulaArgument::Reference({0, 0, 3, 3})}).columns, 3u)
        << "an empty cell";
    // Below 1e-300 the quantile of few replicates would pass the largest
    // double: refused in these words, not in the quantile library's.
    const std::string alphaText =
        "alpha must be a number between 1e-300 and 1, such as 0.05 for a 95% interval";
    for (const Cell& wrong :
         {Cell::Number(0), Cell::Number(4.9e-324), Cell::Number(1e-300), Cell::Number(1),
          Cell::Number(-0.05), Cell::Number(5), Cell::Text("0.05"), Cell::Boolean(true)})
        ExpectText(interval({xlhost::FormulaArgument::Literal(wrong)}), alphaText);
    engine.ClearSheet();
}

// Values 1, 2, 3, 4, 5, 7, 8, 8 in four blocks and the control 0, 1, 1, 2,
// 2, 4, 3, 4 of known mean 2: estimate 409/91 and squared standard error
// 2047/33124 by Python's fractions on the normal equations; the half-width
// takes R - 1 - q = 2 degrees of freedom, whose quantile is (1 - alpha) /
// sqrt(p alpha) at p = 1 - alpha / 2. The means are read from a cell, a row
// or a column; what is missing or misshapen is named.
TEST(RandomisedFunctions, ReplicateStatsTakeControlsFromTheSheetOrSayWhatIsWrong) {
    using xlhost::FormulaArgument;
    Engine& engine = Engine::Get();
    AddInSession::Get();
    engine.ClearSheet();
    const double values[] = {1, 2, 3, 4, 5, 7, 8, 8}, control[] = {0, 1, 1, 2, 2, 4, 3, 4};
    const double second[] = {1, 0, 2, 1, 1, 0, 2, 2};
    for (int i = 0; i < 8; ++i) {
        engine.SetCell(i, 0, Cell::Number(values[i]));
        engine.SetCell(i, 1, Cell::Number(control[i]));
        engine.SetCell(i, 2, Cell::Number(second[i]));
        engine.SetCell(i, 3, Cell::Number(control[i]));
    }
    engine.SetCell(2, 3, Cell::Text("x"));
    engine.SetCell(0, 4, Cell::Number(2));
    engine.SetCell(1, 4, Cell::Number(2));
    engine.SetCell(0, 5, Cell::Number(2));
    engine.SetCell(2, 4, Cell::Text("2"));
    const auto stats = [&](FormulaArgument controls, FormulaArgument means) {
        return engine.EvaluateFormula(
            "rnd_ReplicateStats",
            {FormulaArgument::Reference({0, 7, 0, 0}), FormulaArgument::Literal(Cell::Number(4)),
             FormulaArgument::Literal(Cell::Number(0.05)), controls, means});
    };
    const FormulaArgument controlB = FormulaArgument::Reference({0, 7, 1, 1});
    const double quantile = 0.95 / std::sqrt(0.975 * 0.05);
    for (const FormulaArgument& mean :
         {FormulaArgument::Reference({0, 0, 4, 4}), FormulaArgument::Literal(Cell::Number(2))}) {
        const Grid cells = stats(controlB, mean);
        ASSERT_EQ(cells.columns, 4u);
        EXPECT_NEAR(cells.At(0, 0).number, 409.0 / 91, 1e-14);
        EXPECT_NEAR(cells.At(0, 1).number, std::sqrt(2047.0 / 33124), 1e-14);
        EXPECT_EQ(cells.At(0, 2).number, 4);
        EXPECT_NEAR(cells.At(0, 3).number / (quantile * cells.At(0, 1).number), 1.0, 1e-13);
    }
    // Two controls, B and C, their means in a column and in a row.
    const FormulaArgument twoControls = FormulaArgument::Reference({0, 7, 1, 2});
    const Grid column = stats(twoControls, FormulaArgument::Reference({0, 1, 4, 4}));
    ASSERT_EQ(column.columns, 4u);
    const Grid row = stats(twoControls, FormulaArgument::Reference({0, 0, 4, 5}));
    for (unsigned j = 0; j < 4; ++j)
        EXPECT_TRUE(row.At(0, j) == column.At(0, j)) << row.At(0, j).Display();
    const struct {
        FormulaArgument controls, means;
        const char* text;
    } refused[] = {
        {controlB, FormulaArgument::Omitted(),
         "controls need control_means, the known mean of each control"},
        {FormulaArgument::Reference({0, 0, 6, 6}), FormulaArgument::Literal(Cell::Number(2)),
         "control_means need controls, the columns whose means they are"},
        {FormulaArgument::Reference({0, 6, 1, 1}), FormulaArgument::Literal(Cell::Number(2)),
         "controls must have 8 rows, as values has, and from 1 to 8 columns, one per control: "
         "not 7 rows and 1 column"},
        {FormulaArgument::Reference({0, 7, 3, 3}), FormulaArgument::Literal(Cell::Number(2)),
         "controls must all be numbers: row 3, column 1 is not"},
        {controlB, FormulaArgument::Reference({0, 1, 4, 5}),
         "control_means must be one row or one column of numbers, not 2 rows and 2 columns"},
        {controlB, FormulaArgument::Reference({1, 2, 4, 4}),
         "control_means must all be numbers: number 2 is not"},
        {controlB, FormulaArgument::Reference({0, 1, 4, 4}),
         "control_means must hold 1 number, one per control column, not 2"},
    };
    for (const auto& c : refused)
        ExpectText(stats(c.controls, c.means), c.text);
    engine.ClearSheet();
}

TEST(RandomisedFunctions, ScrambledHaltonIsItsGeneratorsPointsAndReplicates) {
    ExpectGrid(Evaluate("rnd_ScrambledHalton", {5, 40, 7, 3}), ScrambledHaltonPoints(5, 40, 7, 3));
    ExpectGrid(
        Evaluate("rnd_ScrambledHalton", {2, 9, 4294967295.0, 0, 2}),
        Stacked({ScrambledHaltonPoints(2, 9, 4294967295u, 0), ScrambledHaltonPoints(2, 9, 0, 0)}));
    ExpectText(Evaluate("rnd_ScrambledHalton", {SheetWidth() + 1.0, 1}), ColumnsText("d"));
}

// One column per dimension or step, as many as the sheet has: Excel 2007's
// 16384 under Excel 12 records, Excel 4's 255 otherwise.
TEST(RandomisedFunctions, ReachTheSheetsWidth) {
    const int d = SheetWidth();
    ExpectGrid(Evaluate("rnd_ScrambledSobol", {double(d), 3, 7, 5}),
               ScrambledSobolPoints(d, 3, 7, 5));
    ExpectGrid(Evaluate("rnd_ScrambledNormalRNs", {double(d), 2, 8, 0, 2}),
               Stacked({ScrambledNormalVariates(d, 2, 8, 0), ScrambledNormalVariates(d, 2, 9, 0)}));
    ExpectGrid(Evaluate("rnd_ScrambledHalton", {double(d), 2, 9}),
               ScrambledHaltonPoints(d, 2, 9, 0));
    ExpectGrid(Evaluate("rnd_BrownianPaths", {double(d), 2, 1, 10}), BrownianPaths(d, 2, 1, 10, 0));
}

// The values themselves are checked against scipy (check_against_scipy.py);
// here what is refused, in words, before any pair is summed.
TEST(RandomisedFunctions, DiscrepancySaysWhatIsWrongWithItsPoints) {
    Engine& engine = Engine::Get();
    AddInSession::Get();
    engine.ClearSheet();
    engine.SetCell(0, 0, Cell::Number(0.25));
    engine.SetCell(1, 0, Cell::Number(1.5));
    engine.SetCell(0, 1, Cell::Text("x"));
    const auto discrepancy = [&](int rows, int columns, const Cell& kind) {
        return engine.EvaluateFormula(
            "rnd_Discrepancy", {xlhost::FormulaArgument::Reference({0, rows - 1, 0, columns - 1}),
                                xlhost::FormulaArgument::Literal(kind)});
    };
    // One point at 1/4 in one dimension: (13/12) - 2 (1 + 1/8 - 1/32) + (1 + 1/4).
    const Grid one = discrepancy(1, 1, Cell::Missing());
    ASSERT_EQ(one.cells.size(), 1u);
    EXPECT_DOUBLE_EQ(one.At(0, 0).number, 13.0 / 12 - 2 * (1 + 0.125 - 0.03125) + 1.25);
    ExpectText(discrepancy(1, 1, Cell::Text("star")),
               "kind must be \"CD\", \"WD\", \"MD\" or \"L2-star\", not \"star\"");
    // No kind is taken from the low bytes of wider characters, and a long
    // text is echoed only in part.
    for (const char* notAKind : {"\xC5\x83\xC5\x84", "\xC5\xAC"
                                                     "2-\xC5\xB3TAR"}) {
        const Grid refused = discrepancy(1, 1, Cell::Text(notAKind));
        ASSERT_EQ(refused.cells.size(), 1u);
        EXPECT_EQ(refused.At(0, 0).text.rfind("kind must be", 0), 0u) << refused.At(0, 0).Display();
    }
    const Grid longKind = discrepancy(1, 1, Cell::Text(std::string(20000, 'a')));
    ASSERT_EQ(longKind.cells.size(), 1u);
    EXPECT_LT(longKind.At(0, 0).text.size(), 200u);
    ExpectText(discrepancy(2, 1, Cell::Text("cd")), "points must lie in [0, 1]: row 2, column 1 "
                                                    "does not");
    ExpectText(discrepancy(1, 2, Cell::Text("CD")),
               "points must all be numbers: row 1, column 2 is not");
    const Grid tooMany = discrepancy(10001, 1, Cell::Text("CD"));
    ASSERT_EQ(tooMany.cells.size(), 1u);
    EXPECT_NE(tooMany.At(0, 0).text.find("at most 100000000"), std::string::npos);
    engine.ClearSheet();
}

namespace {

using xlhost::FormulaArgument;

// The README's basket correlation in A1:C3, an empty D1, a text in E1, and a
// call of rnd_CorrelatedPaths(steps, n, maturity, correlation, seed, start,
// replicates, method) on it, with `correlation` and `method` as given.
class CorrelatedPathsSheet {
public:
    CorrelatedPathsSheet() {
        AddInSession::Get();
        Engine& engine = Engine::Get();
        engine.ClearSheet();
        const double basket[3][3] = {{1, 0.5, 0.3}, {0.5, 1, 0.4}, {0.3, 0.4, 1}};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                engine.SetCell(i, j, Cell::Number(basket[i][j]));
                correlation(i, j) = basket[i][j];
            }
        engine.SetCell(0, 4, Cell::Text("x"));
    }
    ~CorrelatedPathsSheet() { Engine::Get().ClearSheet(); }

    static FormulaArgument Cells(int rows, int columns) {
        return FormulaArgument::Reference({0, rows - 1, 0, columns - 1});
    }

    Grid Call(const std::vector<double>& numbers, const FormulaArgument& matrix,
              const Cell& method = Cell::Missing()) const {
        std::vector<FormulaArgument> arguments;
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            if (i == 3)
                arguments.push_back(matrix);
            arguments.push_back(FormulaArgument::Literal(Cell::Number(numbers[i])));
        }
        arguments.push_back(FormulaArgument::Literal(method));
        return Engine::Get().EvaluateFormula("rnd_CorrelatedPaths", arguments);
    }

    DoubleMatrix Factor(FactorMethod method) const {
        return CorrelationFactor(correlation, CheckedCorrelation(correlation), method);
    }

    DoubleMatrix correlation = DoubleMatrix(3, 3);
};

// Both methods in any letter case, principal components when omitted or
// empty, replicates from the following seeds; one asset of correlation 1,
// a number instead of a range, is rnd_BrownianPaths; the paths reach the
// sheet's width.
TEST(CorrelatedPathsFunction, IsItsGeneratorsPathsForEitherMethod) {
    const CorrelatedPathsSheet sheet;
    const DoubleMatrix pca = sheet.Factor(FactorMethod::PrincipalComponents);
    const DoubleMatrix cholesky = sheet.Factor(FactorMethod::Cholesky);
    const FormulaArgument basket = CorrelatedPathsSheet::Cells(3, 3);
    ExpectGrid(sheet.Call({5, 16, 2.5, 7, 3, 1}, basket), CorrelatedPaths(5, 16, 2.5, pca, 7, 3));
    ExpectGrid(sheet.Call({5, 16, 2.5, 7, 3, 1}, basket, Cell::Text("PCA")),
               CorrelatedPaths(5, 16, 2.5, pca, 7, 3));
    ExpectGrid(sheet.Call({4, 8, 1, 4294967295.0, 0, 2}, basket, Cell::Text("Cholesky")),
               Stacked({CorrelatedPaths(4, 8, 1, cholesky, 4294967295u, 0),
                        CorrelatedPaths(4, 8, 1, cholesky, 0, 0)}));
    const Grid brownian = Evaluate("rnd_BrownianPaths", {6, 10, 0.75, 11, 2, 2});
    for (const char* method : {"pca", "cholesky"}) {
        const Grid one = sheet.Call({6, 10, 0.75, 11, 2, 2},
                                    FormulaArgument::Literal(Cell::Number(1)), Cell::Text(method));
        EXPECT_TRUE(one.cells == brownian.cells && one.rows == 20 && one.columns == 6) << method;
    }
    // Two assets (A1:B2) of half the sheet's width each: 16384 columns under
    // Excel 12 records, all there is.
    DoubleMatrix pair(2, 2);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j)
            pair(i, j) = sheet.correlation(i, j);
    const int half = SheetWidth() / 2;
    ExpectGrid(sheet.Call({double(half), 2, 1, 5, 0, 1}, CorrelatedPathsSheet::Cells(2, 2)),
               CorrelatedPaths(half, 2, 1,
                               CorrelationFactor(pair, CheckedCorrelation(pair),
                                                 FactorMethod::PrincipalComponents),
                               5, 0));
}

// Each wrong argument in words, the first in the order of the arguments:
// the correlation's faults by cell before the seed's.
TEST(CorrelatedPathsFunction, SaysWhatIsWrongBeforeComputing) {
    const CorrelatedPathsSheet sheet;
    Engine& engine = Engine::Get();
    const FormulaArgument basket = CorrelatedPathsSheet::Cells(3, 3);
    const int width = SheetWidth();
    // Two assets (A1:B2) of one step more than half the sheet: one column
    // past it under Excel 4 records (256).
    const std::string wide = "k x steps must be at most " + std::to_string(width) +
                             ", the sheet's width: 2 assets of " + std::to_string(width / 2 + 1) +
                             " steps are " + std::to_string(2 * (width / 2 + 1)) + " columns";
    const std::string methodText = "method must be \"pca\" or \"cholesky\"";
    const struct {
        std::vector<double> numbers;
        FormulaArgument matrix;
        Cell method;
        std::string text;
    } cases[] = {
        {{width + 1.0, 8, 1, -1}, basket, Cell::Missing(), ColumnsText("steps")},
        {{4, -1, 1, -1}, basket, Cell::Missing(), "the number of points must not be negative"},
        {{4, 8, 0, -1}, basket, Cell::Missing(), "maturity must be a positive, finite number"},
        {{4, 8, 1, -1},
         CorrelatedPathsSheet::Cells(2, 3),
         Cell::Missing(),
         "correlation must be square, not 2 rows and 3 columns"},
        {{4, 8, 1, -1},
         FormulaArgument::Reference({0, 2, 2, 4}),
         Cell::Missing(),
         "correlation must all be numbers: row 1, column 2 is not"},
        {{4, 8, 1, -1},
         FormulaArgument::Omitted(),
         Cell::Missing(),
         "correlation must be a square range or array of numbers"},
        {{4, 8, 1, -1},
         FormulaArgument::Reference({0, 1, 1, 2}),
         Cell::Missing(),
         "correlation must have ones on its diagonal: row 1, column 1 is 0.5"},
        {{4, 8, 1, 0.5},
         basket,
         Cell::Missing(),
         "seed must be a whole number from 0 to 4294967295"},
        {{4, 8, 1, 7, -1},
         basket,
         Cell::Missing(),
         "start must be a whole number from 0 to 4294967295"},
        {{4, 8, 1, 7, 0, -1}, basket, Cell::Text("svd"), "replicates must not be negative"},
        {{4, 8, 1, 7, 0, 1}, basket, Cell::Text("svd"), methodText + ", not \"svd\""},
        {{4, 8, 1, 7, 0, 1}, basket, Cell::Number(1), methodText + ", not \"1\""},
        {{width / 2 + 1.0, 8, 1, 7, 0, 1},
         CorrelatedPathsSheet::Cells(2, 2),
         Cell::Missing(),
         wide},
        {{4, 8, 1, 7, 4294967290.0, 1},
         basket,
         Cell::Missing(),
         "start + n must not exceed 4294967296, the length of the 32-bit Sobol sequence"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ExpectText(sheet.Call(c.numbers, c.matrix, c.method), c.text);
    }
    // Not positive semidefinite: a, a and -a off the diagonal, whose smallest
    // eigenvalue is 1 - 2a (by hand), -0.8 or, past rounding by far but no
    // more, -1e-6: refused under either method, the eigenvalue in the text.
    const std::string lead =
        "correlation must be positive semidefinite: its smallest eigenvalue is ";
    for (double a : {0.9, 0.5000005}) {
        const struct {
            int row, column;
            double value;
        } indefinite[] = {{0, 1, a}, {0, 2, a}, {1, 2, -a}};
        for (const auto& cell : indefinite) {
            engine.SetCell(cell.row, cell.column, Cell::Number(cell.value));
            engine.SetCell(cell.column, cell.row, Cell::Number(cell.value));
        }
        for (const char* method : {"pca", "cholesky"}) {
            SCOPED_TRACE(testing::Message() << a << ", " << method);
            const Grid refusal = sheet.Call({4, 8, 1, 7, 0, 1}, basket, Cell::Text(method));
            ASSERT_EQ(refusal.At(0, 0).kind, Cell::Kind::Text);
            const std::string text = refusal.At(0, 0).text;
            ASSERT_EQ(text.substr(0, lead.size()), lead);
            EXPECT_NEAR(std::stod(text.substr(lead.size())), 1 - 2 * a, 1e-15);
            if (a == 0.9) {
                EXPECT_EQ(text, lead + "-0.8") << "the shortest text of the double";
            }
        }
    }
    EXPECT_EQ(engine.OutstandingAllocations(), 0u);
}

// Esc between blocks of rows; in the wizard a large result is TRUE (under
// Excel 4 records every result); on several threads the same bits.
TEST(CorrelatedPathsFunction, StopsOnEscSkipsTheWizardAndRunsOnEveryThread) {
    const CorrelatedPathsSheet sheet;
    Engine& engine = Engine::Get();
    const FormulaArgument basket = CorrelatedPathsSheet::Cells(3, 3);
    engine.SetBreak(true);
    ExpectText(sheet.Call({64, 4096, 1, 7, 0, 1}, basket), "calculation interrupted");
    engine.SetBreak(false);
    // One asset has no rotations to stop between: the break is asked before
    // the blocks of normals and of paths, as rnd_BrownianPaths asks it.
    engine.ClearCallLog();
    sheet.Call({16, 12288, 1, 7, 0, 1}, FormulaArgument::Literal(Cell::Number(1)));
    const std::size_t checks = BreakChecks();
    engine.ClearCallLog();
    Evaluate("rnd_BrownianPaths", {16, 12288, 1, 7});
    EXPECT_EQ(checks, BreakChecks());
    EXPECT_EQ(checks, 6u) << "three blocks of 4096 rows of normals, then of paths";

    engine.SetFunctionWizard(true);
    const Grid large = sheet.Call({64, 4096, 1, 7, 0, 1}, basket);
    const Grid small = sheet.Call({2, 4, 1, 7, 0, 1}, basket);
    engine.SetFunctionWizard(false);
    ASSERT_EQ(large.cells.size(), 1u);
    EXPECT_TRUE(large.At(0, 0) == Cell::Boolean(true)) << large.At(0, 0).Display();
    const DoubleMatrix pca = sheet.Factor(FactorMethod::PrincipalComponents);
    if (AddInSession::Get().UsesExcel12Records())
        ExpectGrid(small, CorrelatedPaths(2, 4, 1, pca, 7, 0));
    else
        EXPECT_TRUE(small.cells.size() == 1 && small.At(0, 0) == Cell::Boolean(true));

    std::vector<xlhost::FormulaCall> formulas;
    std::vector<DoubleMatrix> expected;
    for (int i = 0; i < 24; ++i) {
        const double seed = 101.0 * i;
        xlhost::FormulaCall call{"rnd_CorrelatedPaths", {}};
        for (double number : {1.0 + i % 5, 50.0, 0.5 + i, seed})
            call.arguments.push_back(FormulaArgument::Literal(Cell::Number(number)));
        call.arguments.insert(call.arguments.begin() + 3, basket);
        formulas.push_back(call);
        expected.push_back(
            CorrelatedPaths(1 + i % 5, 50, 0.5 + i, pca, static_cast<std::uint32_t>(seed), 0));
    }
    for (int threads : {1, 2, 8}) {
        SCOPED_TRACE(threads);
        std::vector<Grid> results(formulas.size());
        engine.Recalculate(formulas, threads,
                           [&](std::size_t i, Grid grid, std::exception_ptr failure) {
                               results[i] = failure ? Grid::Single(Cell::Text("threw")) : grid;
                           });
        for (std::size_t i = 0; i < formulas.size(); ++i)
            ExpectGrid(results[i], expected[i]);
    }
    EXPECT_EQ(engine.OutstandingAllocations(), 0u);
}

} // namespace

namespace {

// Numbers as typed, then the transform as given: a text, omitted, or a
// reference to an empty cell.
Grid EvaluateLattice(const std::vector<double>& numbers, const xlhost::FormulaArgument& transform) {
    AddInSession::Get();
    std::vector<xlhost::FormulaArgument> arguments;
    for (double number : numbers)
        arguments.push_back(xlhost::FormulaArgument::Literal(Cell::Number(number)));
    arguments.resize(5, xlhost::FormulaArgument::Omitted());
    arguments.push_back(transform);
    return Engine::Get().EvaluateFormula("rnd_Lattice", arguments);
}

xlhost::FormulaArgument Text(const char* text) {
    return xlhost::FormulaArgument::Literal(Cell::Text(text));
}

} // namespace

// The generator's points for every spelling and absence of the transform,
// replicates as the blocks of the following seeds, as wide as both the sheet
// and the vector allow.
TEST(RandomisedFunctions, LatticeIsItsGeneratorsPointsAndReplicates) {
    const auto omitted = xlhost::FormulaArgument::Omitted();
    const auto emptyCell = xlhost::FormulaArgument::Reference({3, 3, 3, 3});
    const int widest = std::min(SheetWidth(), 9125);
    const auto none = LatticeTransform::None;
    const auto baker = LatticeTransform::Baker;
    Engine::Get().ClearSheet();
    const struct {
        std::vector<double> numbers;
        xlhost::FormulaArgument transform;
        DoubleMatrix expected;
    } cases[] = {
        {{3, 8, 7}, omitted, LatticePoints(3, 8, 7, 0, none)},
        {{3, 8, 7}, emptyCell, LatticePoints(3, 8, 7, 0, none)},
        {{3, 8, 7, 0, 1}, Text(""), LatticePoints(3, 8, 7, 0, none)},
        {{2, 5, 1, 1048571}, Text("NONE"), LatticePoints(2, 5, 1, 1048571, none)},
        {{4, 16, 7, 3}, Text("Baker"), LatticePoints(4, 16, 7, 3, baker)},
        {{2, 9, 4294967295.0, 0, 2},
         Text("baker"),
         Stacked({LatticePoints(2, 9, 4294967295u, 0, baker), LatticePoints(2, 9, 0, 0, baker)})},
        {{double(widest), 2, 9}, omitted, LatticePoints(widest, 2, 9, 0, none)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.numbers[0] << ", " << c.numbers[1]);
        ExpectGrid(EvaluateLattice(c.numbers, c.transform), c.expected);
    }
}

// Every argument judged in its order, before a point is computed: the
// lattice's own limits where they fall, then the transform.
TEST(RandomisedFunctions, LatticeShowsWhatIsAllowedForTheFirstWrongArgument) {
    const bool excel12 = AddInSession::Get().UsesExcel12Records();
    const std::string tooWide =
        excel12 ? "the lattice has at most 9125 dimensions; d was 9126" : ColumnsText("d");
    const std::string pastTheEnd =
        "the lattice holds at most 1048576 points; start + n was 1048577";
    const std::string transformText = "transform must be \"none\" or \"baker\"";
    const auto omitted = xlhost::FormulaArgument::Omitted();
    const struct {
        std::vector<double> numbers;
        xlhost::FormulaArgument transform;
        std::string text;
    } cases[] = {
        {{9126, 1}, omitted, tooWide},
        {{9126, -1}, Text("tent"), tooWide},
        {{-1, 1}, omitted, ColumnsText("d")},
        {{3, -1}, omitted, "the number of points must not be negative"},
        {{3, 1048577}, omitted, pastTheEnd},
        {{3, 1, 0, 1048576}, omitted, pastTheEnd},
        {{3, 1, 0, 1048576, -1}, Text("tent"), pastTheEnd},
        {{3, 4, 0.5}, Text("tent"), "seed must be a whole number from 0 to 4294967295"},
        {{3, 4, 0, 0.5}, omitted, "start must be a whole number from 0 to 4294967295"},
        {{3, 4, 0, 0, -1}, Text("tent"), "replicates must not be negative"},
        {{3, 4}, Text("tent"), transformText + ", not \"tent\""},
        {{3, 4}, Text(" baker"), transformText + ", not \" baker\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ExpectText(EvaluateLattice(c.numbers, c.transform), c.text);
    }
    // No name is taken from the low bytes of wider characters: these four
    // are "none" that way. Excel 4 records show them as "?".
    const Grid refused = EvaluateLattice({3, 4}, Text("\xC5\xAE\xC5\xAF\xC5\xAE\xC5\xA5"));
    ASSERT_EQ(refused.cells.size(), 1u);
    EXPECT_EQ(refused.At(0, 0).text.rfind(transformText, 0), 0u) << refused.At(0, 0).Display();
}
