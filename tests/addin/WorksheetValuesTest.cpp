// The six entry points of the built add-in against the generators computed
// in this process, read from the records Excel would receive.
#include "AddInSession.h"
#include "CommittedMemory.h"
#include "ResultRecord.h"
#include "StandardOutputCapture.h"

#include "FaurePoints.h"
#include "HaltonPoints.h"
#include "MoroInverseNormal.h"
#include "NormalVariates.h"
#include "SobolPoints.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <new>
#include <set>
#include <stdexcept>

using xlhost::Cell;
using xlhost::Engine;

namespace {

struct PointSetFunction {
    const char* procedure;
    const char* functionText;
    DoubleMatrix (*generate)(int d, int n);
    bool readsDirectionNumbers;
};

const PointSetFunction PointSets[] = {
    {"xlrnd_Sobol", "rnd_Sobol", [](int d, int n) { return SobolPoints(d, n); }, true},
    {"xlrnd_Faure", "rnd_Faure", [](int d, int n) { return FaurePoints(d, n); }, false},
    {"xlrnd_Halton", "rnd_Halton", [](int d, int n) { return HaltonPoints(d, n); }, false},
    {"xlrnd_NormalRNs", "rnd_NormalRNs", [](int d, int n) { return NormalVariates(d, n); }, true},
    {"xlrnd_LogNormalRNs", "rnd_LogNormalRNs", [](int d, int n) { return LogNormalVariates(d, n); },
     true},
};

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Infinity = std::numeric_limits<double>::infinity();

ResultRecord Call(const PointSetFunction& function, double d, double n) {
    const AddInSession& addIn = AddInSession::Get();
    return ReadRecord(addIn.PointSet(function.procedure)(d, n), addIn.UsesExcel12Records());
}

ResultRecord CallMoro(double u) {
    const AddInSession& addIn = AddInSession::Get();
    return ReadRecord(addIn.Scalar("xlrnd_MoroNormSinInv")(u), addIn.UsesExcel12Records());
}

// The whole type word is compared: a returned record carries neither
// xlbitDLLFree nor xlbitXLFree, since the add-in exports no xlAutoFree.
void ExpectArrayOf(const ResultRecord& result, const DoubleMatrix& expected) {
    ASSERT_EQ(result.type, unsigned(xltypeMulti));
    ASSERT_EQ(result.rows, expected.RowCount());
    ASSERT_EQ(result.columns, expected.ColumnCount());
    for (unsigned i = 0; i < result.rows; ++i)
        for (unsigned j = 0; j < result.columns; ++j) {
            unsigned k = i * result.columns + j;
            EXPECT_EQ(result.elementTypes[k], unsigned(xltypeNum)) << i << ", " << j;
            EXPECT_EQ(result.numbers[k], expected(i, j)) << i << ", " << j;
        }
}

void ExpectText(const ResultRecord& result, const std::string& text) {
    EXPECT_EQ(result.type, unsigned(xltypeStr));
    EXPECT_EQ(result.text, text);
}

std::string InvalidArgumentText(const PointSetFunction& function, int d, int n) {
    try {
        function.generate(d, n);
    } catch (const std::invalid_argument& failure) {
        return failure.what();
    }
    return "no std::invalid_argument";
}

} // namespace

// A result that owns its memory is handed back to the add-in's xlAutoFree12,
// which must give the memory back: twenty results of 16 MB each leave the
// process no larger than one would. Under Excel 4 records the results share
// the temporary memory, which the next call reuses.
TEST(WorksheetValues, ResultsHandedBackLeaveNoMemoryBehind) {
    Engine& engine = Engine::Get();
    AddInSession::Get();
    engine.Evaluate("rnd_ScrambledSobol", {10, 50000, 1});
    const std::size_t start = CommittedBytes();
    for (double seed = 2; seed < 22; ++seed)
        ASSERT_EQ(engine.Evaluate("rnd_ScrambledSobol", {10, 50000, seed}).rows, 50000u);
    constexpr std::size_t MiB = 1 << 20;
    EXPECT_LT(CommittedBytes(), start + 24 * MiB)
        << (CommittedBytes() - start) / MiB << " MiB more after twenty results";
}

TEST(WorksheetValues, EveryPointSetIsItsGeneratorsMatrixInTheRunningRecordKind) {
    const struct {
        int d;
        int n;
    } sizes[] = {{1, 1}, {3, 8}, {5, 33}, {2, 100}};
    for (const PointSetFunction& function : PointSets)
        for (const auto& size : sizes) {
            SCOPED_TRACE(std::string(function.functionText) + "(" + std::to_string(size.d) + ", " +
                         std::to_string(size.n) + ")");
            ExpectArrayOf(Call(function, size.d, size.n), function.generate(size.d, size.n));
        }
}

TEST(WorksheetValues, NoPointsOrNoDimensionsGiveNil) {
    for (const PointSetFunction& function : PointSets) {
        SCOPED_TRACE(function.functionText);
        EXPECT_EQ(Call(function, 0, 5).type, unsigned(xltypeNil));
        EXPECT_EQ(Call(function, 3, 0).type, unsigned(xltypeNil));
        // Truncation toward zero: -0.5 counts as 0 dimensions, not -1.
        EXPECT_EQ(Call(function, -0.5, 4).type, unsigned(xltypeNil));
    }
}

TEST(WorksheetValues, FractionalCountsAreTruncated) {
    for (const PointSetFunction& function : PointSets) {
        SCOPED_TRACE(function.functionText);
        ExpectArrayOf(Call(function, 2.9, 3.7), function.generate(2, 3));
    }
}

TEST(WorksheetValues, MoroTakesItsArgumentUntruncated) {
    // Truncated, every one of these would be 0 and give minus infinity.
    for (double u : {0.975, 0.5, 0.3, 0.02425, 1e-9}) {
        SCOPED_TRACE(u);
        ResultRecord result = CallMoro(u);
        EXPECT_EQ(result.type, unsigned(xltypeNum));
        EXPECT_EQ(result.number, MoroInverseNormal(u));
    }
}

TEST(WorksheetValues, CountsWithoutASigned32BitWholePartShowWhatIsAllowed) {
    const std::string dText = "d must be a whole number from 0 to 2147483647";
    const std::string nText = "n must be a whole number from 0 to 2147483647";
    const struct {
        double d;
        double n;
        const std::string& text;
    } cases[] = {
        {NaN, 3, dText},       {3, NaN, nText},          {Infinity, 3, dText},
        {3, -Infinity, nText}, {2147483648.0, 1, dText}, {1, -2147483649.0, nText},
        {-1e300, 2, dText},    {NaN, NaN, dText},
    };
    for (const PointSetFunction& function : PointSets)
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(function.functionText) + "(" + std::to_string(c.d) + ", " +
                         std::to_string(c.n) + ")");
            ExpectText(Call(function, c.d, c.n), c.text);
        }
}

// The most cells an array of the running record kind holds: its records
// share one piece of temporary memory of at most 2^32 - 1 bytes.
std::string MostCellsText(const std::string& shape) {
    const std::size_t recordSize =
        AddInSession::Get().UsesExcel12Records() ? sizeof(XLOPER12) : sizeof(XLOPER);
    return "an array holds at most " + std::to_string(4294967295u / recordSize) + " cells; " +
           shape + " were asked for";
}

// 2147483647 itself passes the check of the worksheet argument; its result
// cannot exist, and says so in words before anything is computed: the rows
// of the sheet, or the cells one piece of temporary memory holds.
TEST(WorksheetValues, TheLargestCountPassesTheArgumentCheck) {
    const bool excel4 = !AddInSession::Get().UsesExcel12Records();
    for (const PointSetFunction& function : PointSets) {
        SCOPED_TRACE(function.functionText);
        ExpectText(Call(function, 1, 2147483647.0),
                   excel4 ? "an Excel 4 array holds at most 65535 rows; 2147483647 were asked for"
                          : "an array holds at most 1048576 rows, the sheet's height; 2147483647 "
                            "were asked for");
        ExpectText(Call(function, 2147483647.0, 1), MostCellsText("1 x 2147483647"));
    }
}

// Under Excel 12 no more rows than the sheet has, and not any number of
// cells: three billion cells (96 GB of records) are refused before a point is
// computed, under either architecture. Where memory runs out within those
// bounds, as it does for four gigabytes of records in a 32-bit process, the
// text says so in words.
TEST(WorksheetValues, Excel12RefusesMoreCellsThanAnArrayHoldsBeforeComputingThem) {
    if (!AddInSession::Get().UsesExcel12Records())
        GTEST_SKIP() << "Excel 4 refuses such rows first";
    for (const PointSetFunction& function : PointSets) {
        SCOPED_TRACE(function.functionText);
        const std::size_t before = CommittedBytes();
        ExpectText(Call(function, 3, 1e9), "an array holds at most 1048576 rows, the sheet's "
                                           "height; 1000000000 were asked for");
        ExpectText(Call(function, 255, 600000), MostCellsText("600000 x 255"));
        EXPECT_LT(CommittedBytes(), before + (std::size_t(1) << 20)) << "no points were computed";
    }
    if (sizeof(void*) == 4)
        ExpectText(Call(PointSets[2], 127, 1048576),
                   "not enough memory for a result of 1048576 rows and 127 columns");
}

// Under Excel 4 more rows than an array holds are refused before a point is
// computed: ten dimensions of two billion rows need 160 GB, which a 32-bit
// process cannot have, yet the answer is the row limit, not the allocation
// failure. Argument texts still come first, and a shape without elements is
// still no array at all.
TEST(WorksheetValues, Excel4RefusesTooManyRowsBeforeComputingThem) {
    if (AddInSession::Get().UsesExcel12Records())
        GTEST_SKIP() << "Excel 12 arrays hold every row count";
    for (const PointSetFunction& function : PointSets) {
        SCOPED_TRACE(function.functionText);
        const std::size_t before = CommittedBytes();
        ExpectText(Call(function, 10, 2000000000.0),
                   "an Excel 4 array holds at most 65535 rows; 2000000000 were asked for");
        EXPECT_LT(CommittedBytes(), before + (std::size_t(1) << 20)) << "no rows were computed";
        ExpectText(Call(function, 300, 65536),
                   "an Excel 4 array holds at most 65535 rows; 65536 were asked for");
        ExpectText(Call(function, 10, 3e9), "n must be a whole number from 0 to 2147483647");
        ExpectText(Call(function, NaN, 2e9), "d must be a whole number from 0 to 2147483647");
        ExpectText(Call(function, -1, 2e9), InvalidArgumentText(function, -1, 3));
        EXPECT_EQ(Call(function, 0, 2e9).type, unsigned(xltypeNil));
    }
}

TEST(WorksheetValues, NegativeCountsShowTheGeneratorsOwnText) {
    for (const PointSetFunction& function : PointSets) {
        SCOPED_TRACE(function.functionText);
        ExpectText(Call(function, -1, 3), InvalidArgumentText(function, -1, 3));
        ExpectText(Call(function, 2, -2147483648.0), InvalidArgumentText(function, 2, INT32_MIN));
    }
}

TEST(WorksheetValues, ShapesNoArrayHoldsAreRefusedWithTheLimitInsteadOfCut) {
    const bool excel4 = !AddInSession::Get().UsesExcel12Records();
    for (const PointSetFunction& function : PointSets) {
        SCOPED_TRACE(function.functionText);
        ExpectText(Call(function, 300, 2),
                   "an array holds at most 255 columns; 300 were asked for");
        ExpectText(Call(function, 256, 1),
                   "an array holds at most 255 columns; 256 were asked for");
        if (excel4)
            ExpectText(Call(function, 1, 65536),
                       "an Excel 4 array holds at most 65535 rows; 65536 were asked for");
    }
}

TEST(WorksheetValues, TheLargestExcel4ArrayComesBackWhole) {
    const AddInSession& addIn = AddInSession::Get();
    if (addIn.UsesExcel12Records())
        GTEST_SKIP() << "the largest array of an Excel 4 record";
    const auto* result = static_cast<const XLOPER*>(addIn.PointSet("xlrnd_Halton")(255, 65535));
    ASSERT_NE(result, nullptr);
    ASSERT_EQ(result->xltype, xltypeMulti);
    ASSERT_EQ(result->val.array.rows, 65535);
    ASSERT_EQ(result->val.array.columns, 255);
    const DoubleMatrix expected = HaltonPoints(255, 65535);
    // A count and the first difference, not 16.7 million assertions.
    std::size_t differences = 0;
    std::string first;
    for (unsigned i = 0; i < 65535; ++i)
        for (unsigned j = 0; j < 255; ++j) {
            const XLOPER& element = result->val.array.lparray[std::size_t(i) * 255 + j];
            if (element.xltype == xltypeNum && element.val.num == expected(i, j))
                continue;
            if (differences++ == 0)
                first = "(" + std::to_string(i) + ", " + std::to_string(j) + ")";
        }
    EXPECT_EQ(differences, 0u) << "first at " << first;
}

TEST(WorksheetValues, FormulasThroughTheStandInShowArraysAndTexts) {
    AddInSession::Get();
    Engine& engine = Engine::Get();
    xlhost::Grid halton = engine.Evaluate("rnd_Halton", {2, 3});
    DoubleMatrix expected = HaltonPoints(2, 3);
    ASSERT_EQ(halton.rows, 3u);
    ASSERT_EQ(halton.columns, 2u);
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 2; ++j)
            EXPECT_TRUE(halton.At(i, j) == Cell::Number(expected(i, j)));

    xlhost::Grid refused = engine.Evaluate("rnd_Faure", {NaN, 3});
    ASSERT_EQ(refused.cells.size(), 1u);
    EXPECT_TRUE(refused.At(0, 0) == Cell::Text("d must be a whole number from 0 to 2147483647"));
}

TEST(FunctionWizard, EveryFunctionAnswersTrueWithoutComputingOrReadingTheFile) {
    Engine& engine = Engine::Get();
    engine.SetFunctionWizard(true);
    StandardOutputCapture output;
    std::vector<ResultRecord> answers;
    // Arguments that would otherwise give a text show that none is looked at.
    for (const PointSetFunction& function : PointSets)
        answers.push_back(Call(function, NaN, -1));
    answers.push_back(CallMoro(NaN));
    std::string printed = output.Finish();
    engine.SetFunctionWizard(false);

    for (const ResultRecord& answer : answers) {
        EXPECT_EQ(answer.type, unsigned(xltypeBool));
        EXPECT_TRUE(answer.flag);
    }
    EXPECT_EQ(printed, "");

    // The Sobol-based functions name the file they read on standard output,
    // so the silence above means something.
    StandardOutputCapture control;
    Call(PointSets[0], 2, 2);
    EXPECT_NE(control.Finish().find("param.txt"), std::string::npos);
}

TEST(Soak, TenThousandCallsReuseOneBlockAndLeaveTheLedgerBalanced) {
    const AddInSession& addIn = AddInSession::Get();
    Engine& engine = Engine::Get();
    PointSetEntry halton = addIn.PointSet("xlrnd_Halton");
    ScalarEntry moro = addIn.Scalar("xlrnd_MoroNormSinInv");
    std::size_t outstandingBefore = engine.OutstandingAllocations();
    std::size_t doubleFreesBefore = engine.DoubleFrees();
    std::size_t foreignFreesBefore = engine.ForeignFrees();
    halton(4, 60);
    std::size_t privateBefore = CommittedBytes();

    // Each call gives up the previous result and builds its own at the start
    // of the one block kept, so every record lies at the same address.
    std::set<void*> addresses;
    for (int call = 0; call < 10000; ++call) {
        switch (call % 3) {
        case 0:
            addresses.insert(halton(4, 60));
            break;
        case 1:
            addresses.insert(moro(0.25));
            break;
        default:
            addresses.insert(halton(NaN, 1));
            break;
        }
    }
    EXPECT_EQ(addresses.size(), 1u);
    // One lost 8 KB block per call would be 80 MB.
    EXPECT_LT(CommittedBytes(), privateBefore + 4 * 1024 * 1024);
    EXPECT_EQ(engine.OutstandingAllocations(), outstandingBefore);
    EXPECT_EQ(engine.DoubleFrees(), doubleFreesBefore);
    EXPECT_EQ(engine.ForeignFrees(), foreignFreesBefore);
    ExpectArrayOf(ReadRecord(halton(4, 60), addIn.UsesExcel12Records()), HaltonPoints(4, 60));
}
