// Reading records through XlfOper's raw conversions: direct reads without a
// callback, and everything else through the stand-in's xlCoerce.
#include "ValueTestSupport.h"

#include "CellMatrix.h"
#include "DoubleMatrix.h"
#include "XlfOper.h"

using namespace xlw;
using xlhost::Cell;
using xlhost::Engine;

namespace {

using ConversionTest = ValueTest;

// a b c / d e f as 1 2 3 / 4 5 6.
XlfOper TwoByThreeArray() {
    XlfOper array;
    XlfOperImpl::Current->SetMulti(array, 2, 3);
    for (unsigned int k = 0; k < 6; ++k)
        XlfOperImpl::Current->SetElement(array, k / 3, k % 3, XlfOper(k + 1.0));
    return array;
}

TEST_F(ConversionTest, NumbersAndIntegersAreReadWithoutACallback) {
    double value = 0.0;
    EXPECT_EQ(XlfOper(2.5).ConvertToDouble(value), 0);
    EXPECT_EQ(value, 2.5);
    EXPECT_EQ(XlfOper(short(-5)).ConvertToDouble(value), 0);
    EXPECT_EQ(value, -5.0);
    if (ProcessIsExcel12()) {
        XLOPER12 wideInteger{};
        wideInteger.xltype = xltypeInt;
        wideInteger.val.w = 100000;
        EXPECT_EQ(XlfOper(&wideInteger).ConvertToDouble(value), 0);
        EXPECT_EQ(value, 100000.0);
    }
    const struct {
        double number;
        short expected;
    } shorts[] = {{3.9, 3}, {-3.9, -3}, {40000.0, -25536}, {65536.0 * 3 + 7, 7}, {1e300, 0}};
    for (const auto& row : shorts) {
        short result = 99;
        EXPECT_EQ(XlfOper(row.number).ConvertToShort(result), 0);
        EXPECT_EQ(result, row.expected) << row.number;
    }
    bool flag = false;
    EXPECT_EQ(XlfOper(true).ConvertToBool(flag), 0);
    EXPECT_TRUE(flag);
    unsigned short code = 0;
    EXPECT_EQ(XlfOper::MakeError(42).ConvertToError(code), 0);
    EXPECT_EQ(code, 42);
    EXPECT_EQ(CalledFunctions(), std::vector<int>());
}

TEST_F(ConversionTest, OtherTypesGoThroughExcelsCoercion) {
    EXPECT_EQ(XlfOper("25").GetDouble(), 25.0);
    ExcelString twentyFive("25", ProcessIsExcel12());
    EXPECT_EQ(XlfOper(twentyFive.Record()).GetShort(), 25);
    EXPECT_EQ(XlfOper(short(7)).GetShort(), 7);
    EXPECT_TRUE(XlfOper(1.0).GetBool());
    EXPECT_EQ(XlfOper(2.5).GetWideString(), L"2.5");
    // Excel's string comes back marked and goes back through xlFree once.
    const std::size_t freesBefore = Engine::Get().CompletedFrees();
    EXPECT_STREQ(XlfOper(2.5).GetString(), "2.5");
    EXPECT_EQ(Engine::Get().CompletedFrees(), freesBefore + 1);
    for (const xlhost::LoggedCall& call : Engine::Get().CallLog())
        EXPECT_EQ(call.recordKind, ProcessIsExcel12() ? 12 : 4);
    int code = 0;
    EXPECT_EQ(XlfOper("abc").GetDouble(&code), 0.0);
    EXPECT_EQ(code, xlretFailed);
}

TEST_F(ConversionTest, StringsReadBackAsTheyWereStored) {
    char* text = nullptr;
    EXPECT_EQ(XlfOper("abc").ConvertToString(text), 0);
    EXPECT_STREQ(text, "abc");
    std::wstring wide;
    EXPECT_EQ(XlfOper("abc").ConvertToWideString(wide), 0);
    EXPECT_EQ(wide, L"abc");

    CellMatrix cells;
    EXPECT_EQ(XlfOper("abc").ConvertToCellMatrix(cells), 0);
    ASSERT_EQ(cells.RowCount(), 1u);
    if (ProcessIsExcel12()) {
        EXPECT_EQ(cells(0, 0).GetWideText(), L"abc");
        EXPECT_EQ(XlfOper(std::wstring(1, L'\u00e9')).ConvertToCellMatrix(cells), 0);
        EXPECT_EQ(cells(0, 0).GetWideText(), std::wstring(1, L'\u00e9'));
    } else {
        // The counted zero byte is part of the cell's text.
        EXPECT_TRUE(cells(0, 0).IsStringCell());
        EXPECT_EQ(cells(0, 0).GetText(), std::string("abc\0", 4));
    }
    EXPECT_EQ(CalledFunctions(), std::vector<int>());
}

TEST_F(ConversionTest, SingleValuesBecomeOneCellMatrices) {
    XLOPER missing4{};
    XLOPER12 missing12{};
    missing4.xltype = xltypeMissing;
    missing12.xltype = xltypeMissing;
    XlfOper missing(ProcessIsExcel12() ? static_cast<void*>(&missing12) : &missing4);
    const struct {
        XlfOper value;
        CellKind kind;
    } rows[] = {{XlfOper(1.5), NumberCell},
                {XlfOper(true), BooleanCell},
                {XlfOper::MakeError(7), ErrorCell},
                {XlfOper(), EmptyCell},
                {missing, EmptyCell}};
    for (const auto& row : rows) {
        CellMatrix cells;
        EXPECT_EQ(row.value.ConvertToCellMatrix(cells), 0);
        ASSERT_EQ(cells.RowCount(), 1u);
        ASSERT_EQ(cells.ColumnCount(), 1u);
        EXPECT_EQ(cells(0, 0).IsNumberCell(), row.kind == NumberCell);
        EXPECT_EQ(cells(0, 0).IsBooleanCell(), row.kind == BooleanCell);
        EXPECT_EQ(cells(0, 0).IsErrorCell(), row.kind == ErrorCell);
        EXPECT_EQ(cells(0, 0).IsEmptyCell(), row.kind == EmptyCell);
        DoubleMatrix matrix(3, 3);
        if (row.kind == EmptyCell) {
            EXPECT_EQ(row.value.ConvertToMatrix(matrix), 0);
            EXPECT_EQ(matrix.RowCount(), 0u);
            EXPECT_EQ(matrix.ColumnCount(), 0u);
        }
    }
    if (ProcessIsExcel12()) {
        // An Excel 12 boolean is true for the cell only when positive.
        XLOPER12 minusOne{};
        minusOne.xltype = xltypeBool;
        minusOne.val.xbool = -1;
        CellMatrix cells;
        EXPECT_EQ(XlfOper(&minusOne).ConvertToCellMatrix(cells), 0);
        EXPECT_FALSE(cells(0, 0).GetBoolean());
        EXPECT_TRUE(XlfOper(&minusOne).GetBool());
    }
}

TEST_F(ConversionTest, ArraysAreReadInTheAskedOrder) {
    XlfOper array = TwoByThreeArray();
    const struct {
        VectorReadOrder order;
        int code;
        std::vector<double> values;
    } rows[] = {{RowMajor, 0, {1, 2, 3, 4, 5, 6}},
                {ColumnMajor, 0, {1, 4, 2, 5, 3, 6}},
                {static_cast<VectorReadOrder>(7), 0, {1, 4, 2, 5, 3, 6}},
                {OneDimensional, xlretFailed, {}}};
    for (const auto& row : rows) {
        std::vector<double> values;
        EXPECT_EQ(array.ConvertToDoubleVector(values, row.order), row.code);
        EXPECT_EQ(values, row.values) << row.order;
    }
    XlfOper line;
    line.SetFromMatrix(DoubleMatrix(1, 3));
    std::vector<double> values;
    EXPECT_EQ(line.ConvertToDoubleVector(values, OneDimensional), 0);
    EXPECT_EQ(values, std::vector<double>(3, 0.0));
    EXPECT_EQ(XlfOper(4.5).ConvertToDoubleVector(values, OneDimensional), 0);
    EXPECT_EQ(values, std::vector<double>{4.5});

    DoubleMatrix matrix(0, 0);
    EXPECT_EQ(array.ConvertToMatrix(matrix), 0);
    ASSERT_EQ(matrix.RowCount(), 2u);
    ASSERT_EQ(matrix.ColumnCount(), 3u);
    EXPECT_EQ(matrix(1, 0), 4.0);
    EXPECT_EQ(CalledFunctions(), std::vector<int>());
}

TEST_F(ConversionTest, ArrayElementsThatAreNotNumbersAreConverted) {
    ExcelString seven("7", ProcessIsExcel12());
    XlfOper array;
    XlfOperImpl::Current->SetMulti(array, 1, 3);
    XlfOperImpl::Current->SetElement(array, 0, 0, XlfOper(short(-2)));
    XlfOperImpl::Current->SetElement(array, 0, 1, XlfOper(seven.Record()));
    XlfOperImpl::Current->SetElement(array, 0, 2, XlfOper(1.0));
    std::vector<double> values;
    EXPECT_EQ(array.ConvertToDoubleVector(values, RowMajor), 0);
    EXPECT_EQ(values, (std::vector<double>{-2, 7, 1}));
    // Only the string needed Excel.
    EXPECT_EQ(CalledFunctions(), std::vector<int>{xlCoerce});

    XlfOperImpl::Current->SetElement(array, 0, 1, XlfOper("seven"));
    EXPECT_EQ(array.ConvertToDoubleVector(values, RowMajor), xlretFailed);
    EXPECT_EQ(values, (std::vector<double>{-2, 7, 1}));
    // A cell matrix has no integer cells.
    DoubleMatrix matrix(0, 0);
    try {
        array.ConvertToMatrix(matrix);
        ADD_FAILURE() << "no exception";
    } catch (const char* text) {
        EXPECT_STREQ(text, "cell contains neither number nor string nor boolean nor empty");
    }
    XlfOperImpl::Current->SetElement(array, 0, 0, XlfOper(3.0));
    EXPECT_EQ(array.ConvertToMatrix(matrix), xlretFailed);
    EXPECT_EQ(matrix(0, 0), 3.0);
}

class RangeTest : public ConversionTest {
protected:
    void SetUp() override {
        ConversionTest::SetUp();
        Engine& engine = Engine::Get();
        engine.ClearSheet();
        for (int k = 0; k < 6; ++k)
            engine.SetCell(3 + k / 3, 4 + k % 3, Cell::Number(k + 1.0));
        range = XlfRangeRef(3, 4, 4, 6, engine.SheetId());
    }
    void TearDown() override {
        Engine::Get().ClearSheet();
        ConversionTest::TearDown();
    }
    XlfOper Reference() const {
        XlfOper reference;
        reference.SetRef(range);
        return reference;
    }
    XlfRangeRef range;
};

TEST_F(RangeTest, ReferencesAreReadCellByCellThroughCoercion) {
    XlfOper reference = Reference();
    XlfRangeRef back;
    EXPECT_EQ(reference.ConvertToRef(back), 0);
    EXPECT_EQ(back.RowBegin(), 3);
    EXPECT_EQ(back.RowEnd(), 5);
    EXPECT_EQ(back.ColumnBegin(), 4);
    EXPECT_EQ(back.ColumnEnd(), 7);
    EXPECT_EQ(back.SheetId(), range.SheetId());

    EXPECT_EQ(reference.GetDoubleVector(RowMajor), (std::vector<double>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(reference.GetDoubleVector(ColumnMajor), (std::vector<double>{1, 4, 2, 5, 3, 6}));
    std::vector<double> values;
    EXPECT_EQ(reference.ConvertToDoubleVector(values, OneDimensional), xlretFailed);
    EXPECT_EQ(
        XlfOper().SetRef(XlfRangeRef(3, 4, 3, 6, range.SheetId())).GetDoubleVector(OneDimensional),
        (std::vector<double>{1, 2, 3}));

    DoubleMatrix matrix = reference.GetMatrix();
    ASSERT_EQ(matrix.RowCount(), 2u);
    ASSERT_EQ(matrix.ColumnCount(), 3u);
    for (unsigned long k = 0; k < 6; ++k)
        EXPECT_EQ(matrix(k / 3, k % 3), k + 1.0);
    // One coercion per cell read: two vectors, the row and the matrix.
    EXPECT_EQ(CalledFunctions(), std::vector<int>(6 + 6 + 3 + 6, xlCoerce));
}

TEST_F(RangeTest, CellMatricesKeepEachCellsKind) {
    Engine& engine = Engine::Get();
    engine.SetCell(3, 5, Cell::Text("two"));
    engine.SetCell(3, 6, Cell::Boolean(true));
    engine.SetCell(4, 4, Cell::Error(xlerrNA));
    engine.SetCell(4, 5, Cell::Nil());
    XlfOper reference = Reference();
    CellMatrix cells = reference.GetCellMatrix();
    ASSERT_EQ(cells.RowCount(), 2u);
    ASSERT_EQ(cells.ColumnCount(), 3u);
    EXPECT_EQ(cells(0, 0).GetNumber(), 1.0);
    if (ProcessIsExcel12()) {
        EXPECT_EQ(cells(0, 1).GetWideText(), L"two");
    } else {
        EXPECT_EQ(cells(0, 1).GetText(), "two");
    }
    EXPECT_TRUE(cells(0, 2).GetBoolean());
    EXPECT_EQ(cells(1, 0).GetErrorCode(), static_cast<unsigned long>(xlerrNA));
    EXPECT_TRUE(cells(1, 1).IsEmptyCell());
    EXPECT_EQ(cells(1, 2).GetNumber(), 6.0);

    // One cell that does not convert: the cells before it are kept.
    DoubleMatrix matrix(0, 0);
    EXPECT_EQ(reference.ConvertToMatrix(matrix), xlretFailed);
}

TEST_F(ConversionTest, OnlyTheFirstAreaOfAReferenceCounts) {
    struct {
        std::uint16_t count;
        XLREF areas[2];
    } block4{2, {{1, 2, 3, 4}, {7, 8, 9, 10}}};
    struct {
        std::uint16_t count;
        XLREF12 areas[2];
    } block12{2, {{1, 2, 3, 4}, {7, 8, 9, 10}}};
    XLOPER record4{};
    record4.xltype = xltypeRef;
    record4.val.mref.lpmref = reinterpret_cast<XLMREF*>(&block4);
    XLOPER12 record12{};
    record12.xltype = xltypeRef;
    record12.val.mref.lpmref = reinterpret_cast<XLMREF12*>(&block12);
    XlfOper twoAreas(ProcessIsExcel12() ? static_cast<void*>(&record12) : &record4);
    XlfRangeRef first = twoAreas.GetRangeRef();
    EXPECT_EQ(first.RowBegin(), 1);
    EXPECT_EQ(first.RowEnd(), 3);
    EXPECT_EQ(first.ColumnBegin(), 3);
    EXPECT_EQ(first.ColumnEnd(), 5);
}

} // namespace
