// The frame of the worksheet entry points, run in this process on the
// framework's own copy: every kind of failure becomes the value Excel shows.
#include "ResultRecord.h"

#include "Engine.h"
#include "xlw/CellMatrix.h"
#include "xlw/WorksheetCall.h"
#include "xlw/XlfExceptionAbort.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

using xlw::CellMatrix;
using xlw::WorksheetCall;
using xlw::XlfOper;

namespace {

bool Excel12Records() {
    return xlw::XlfExcel::Get().IsExcel12();
}

ResultRecord Guarded(const std::function<XlfOper()>& compute) {
    void* record = WorksheetCall(compute);
    if (!record)
        return ResultRecord{};
    return ReadRecord(record, Excel12Records());
}

CellMatrix MixedCells() {
    CellMatrix cells(2, 2);
    cells(0, 0) = 1.5;
    cells(0, 1) = "a";
    cells(1, 0) = true;
    cells(1, 1) = -2.0;
    return cells;
}

} // namespace

TEST(WorksheetCall, EachKindOfFailureBecomesItsCellValue) {
    const struct {
        const char* thrown;
        std::function<void()> raise;
        unsigned type;
        std::string text;
    } cases[] = {
        {"std::runtime_error", [] { throw std::runtime_error("command failed"); }, xltypeStr,
         "command failed"},
        {"std::invalid_argument", [] { throw std::invalid_argument("n is wrong"); }, xltypeStr,
         "n is wrong"},
        {"std::bad_alloc", [] { throw std::bad_alloc(); }, xltypeStr, std::bad_alloc().what()},
        {"std::string", [] { throw std::string("from a std::string"); }, xltypeStr,
         "from a std::string"},
        {"const char*", [] { throw "from a character pointer"; }, xltypeStr,
         "from a character pointer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.thrown);
        ResultRecord result = Guarded([&]() -> XlfOper {
            c.raise();
            return XlfOper(0.0);
        });
        EXPECT_EQ(result.type, c.type);
        EXPECT_EQ(result.text, c.text);
    }
}

TEST(WorksheetCall, FrameworkExceptionsGiveANullRecordAheadOfStdException) {
    EXPECT_EQ(WorksheetCall([]() -> XlfOper { throw xlw::XlfException("bad record"); }), nullptr);
    EXPECT_EQ(WorksheetCall([]() -> XlfOper { throw xlw::XlfExceptionAbort(); }), nullptr);
}

TEST(WorksheetCall, AThrownCellMatrixBecomesTheArray) {
    ResultRecord result = Guarded([]() -> XlfOper { throw MixedCells(); });
    ASSERT_EQ(result.type, unsigned(xltypeMulti));
    ASSERT_EQ(result.rows, 2u);
    ASSERT_EQ(result.columns, 2u);
    std::vector<unsigned> expectedTypes = {xltypeNum, xltypeStr, xltypeBool, xltypeNum};
    EXPECT_EQ(result.elementTypes, expectedTypes);
    EXPECT_EQ(result.numbers[0], 1.5);
    EXPECT_EQ(result.numbers[3], -2.0);
}

TEST(WorksheetCall, AnythingElseShowsValueError) {
    ResultRecord result = Guarded([]() -> XlfOper { throw 42; });
    EXPECT_EQ(result.type, unsigned(xltypeErr));
    EXPECT_EQ(result.error, xlerrValue);
}

TEST(WorksheetCall, AResultIsReturnedAsBuilt) {
    ResultRecord result = Guarded([] { return XlfOper(2.5); });
    EXPECT_EQ(result.type, unsigned(xltypeNum));
    EXPECT_EQ(result.number, 2.5);
}

// A computation may return a plain value; the frame builds its record.
TEST(WorksheetCall, PlainResultsBecomeTheirRecords) {
    const std::vector<double> three(3);
    ResultRecord number = ReadRecord(WorksheetCall([] { return 2.5; }), Excel12Records());
    EXPECT_EQ(number.type, unsigned(xltypeNum));
    EXPECT_EQ(number.number, 2.5);
    ResultRecord count =
        ReadRecord(WorksheetCall([&] { return static_cast<int>(three.size()); }), Excel12Records());
    EXPECT_EQ(count.type, unsigned(xltypeNum));
    EXPECT_EQ(count.number, 3.0);
    ResultRecord flag = ReadRecord(WorksheetCall([] { return false; }), Excel12Records());
    EXPECT_EQ(flag.type, unsigned(xltypeBool));
    EXPECT_FALSE(flag.flag);
    ResultRecord text =
        ReadRecord(WorksheetCall([] { return std::string("abc"); }), Excel12Records());
    EXPECT_EQ(text.type, unsigned(xltypeStr));
    EXPECT_EQ(text.text, "abc");
    ResultRecord wide = ReadRecord(WorksheetCall([] { return L"w"; }), Excel12Records());
    EXPECT_EQ(wide.text, "w");
    ResultRecord matrix = ReadRecord(WorksheetCall([] {
                                         DoubleMatrix values(1, 2);
                                         values(0, 1) = -4;
                                         return values;
                                     }),
                                     Excel12Records());
    EXPECT_EQ(matrix.type, unsigned(xltypeMulti));
    EXPECT_EQ(matrix.numbers, (std::vector<double>{0, -4}));
    ResultRecord cells = ReadRecord(WorksheetCall(MixedCells), Excel12Records());
    EXPECT_EQ(cells.elementTypes,
              (std::vector<unsigned>{xltypeNum, xltypeStr, xltypeBool, xltypeNum}));
}

TEST(WorksheetCall, InsideTheFunctionWizardTrueComesBackWithoutComputing) {
    xlhost::Engine::Get().SetFunctionWizard(true);
    bool computed = false;
    ResultRecord result = Guarded([&] {
        computed = true;
        return XlfOper(1.0);
    });
    xlhost::Engine::Get().SetFunctionWizard(false);
    EXPECT_FALSE(computed);
    EXPECT_EQ(result.type, unsigned(xltypeBool));
    EXPECT_TRUE(result.flag);
}

// No array holds more than 255 columns, so building this thrown matrix fails
// inside the handler itself; what comes back lies outside temporary memory
// and survives the next call's release.
TEST(WorksheetCall, AFailureWhileBuildingTheHandlersResultGivesAStaticValueError) {
    CellMatrix tooWide(1, 256);
    void* first = WorksheetCall([&]() -> XlfOper { throw tooWide; });
    void* second = WorksheetCall([&]() -> XlfOper { throw tooWide; });
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    ResultRecord result = ReadRecord(first, Excel12Records());
    EXPECT_EQ(result.type, unsigned(xltypeErr));
    EXPECT_EQ(result.error, xlerrValue);
}

TEST(WorksheetCall, TheStaticValueErrorIsARecordOfTheRunningKind) {
    ResultRecord result = ReadRecord(xlw::StaticValueError(), Excel12Records());
    EXPECT_EQ(result.type, unsigned(xltypeErr));
    EXPECT_EQ(result.error, xlerrValue);
}
