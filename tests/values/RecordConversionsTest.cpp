// Reading records through XlfOper's raw conversions: direct reads without a
// callback, and everything else through the stand-in's xlCoerce.
#include "ValueTestSupport.h"

#include "DoubleMatrix.h"
#include "values/ValueHelpers.h"
#include "xlw/CellMatrix.h"
#include "xlw/XlfOper.h"
#include "xlw/XlfOper4.h"

#include <windows.h>

#include <climits>
#include <functional>
#include <stdexcept>

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

// Under Excel 4 a wide cell of a matrix takes the code page as every other
// wide text does, not each character's low byte (U+03A9's low byte, 0xA9, is
// "\u00a9" in 1252). Excel 12 keeps the characters.
TEST_F(ConversionTest, WideCellsOfAMatrixTakeTheAnsiCodePage) {
    const std::string omega = OmegaInAnsiCodePage();
    if (omega.empty())
        GTEST_SKIP() << "ANSI code page " << GetACP() << " is not in the test's table";
    CellMatrix cells(1, 2);
    cells(0, 0) = CellValue(std::wstring(L"a\u03A9b"));
    cells(0, 1) = CellValue(std::wstring(L"x\0y", 3));
    XlfOper oper(cells);
    const RawRecord array = RawRecord::Of(oper);
    if (ProcessIsExcel12()) {
        EXPECT_EQ(array.Element(0, 0).StringUnits(),
                  (std::vector<unsigned long>{3, 'a', 0x03A9, 'b'}));
    } else {
        // Counted with the zero byte, as every Excel 4 string of a matrix.
        const std::string narrow = "a" + omega + "b";
        EXPECT_EQ(array.Element(0, 0).StringUnits(),
                  Units(static_cast<unsigned long>(narrow.size() + 1), narrow + '\0'));
        // The text ends at its first zero character, as before.
        EXPECT_EQ(array.Element(0, 1).StringUnits(), Units(2, std::string("x\0", 2)));
    }
}

// A wide literal makes a wide string, not the boolean its pointer converts to.
TEST_F(ConversionTest, AWideLiteralMakesAString) {
    XlfOper literal(L"a\u03A9b");
    XlfOper fromString(std::wstring(L"a\u03A9b"));
    EXPECT_EQ(literal.XltypeName(), "xltypeStr");
    EXPECT_EQ(RawRecord::Of(literal).StringUnits(), RawRecord::Of(fromString).StringUnits());
    EXPECT_EQ(XlfOper(L"").XltypeName(), "xltypeStr");
}

TEST_F(ConversionTest, TextOutsideLatin1TakesTheAnsiCodePage) {
    const std::string omega = OmegaInAnsiCodePage();
    if (omega.empty())
        GTEST_SKIP() << "ANSI code page " << GetACP() << " is not in the test's table";
    const std::string narrow = "a" + omega + "b";
    // The wide text that the narrow one stands for.
    const std::wstring wide = omega == "?" ? L"a?b" : L"a\u03A9b";
    if (ProcessIsExcel12()) {
        EXPECT_STREQ(XlfOper(std::wstring(L"a\u03A9b")).GetString(), narrow.c_str());
        EXPECT_EQ(RawRecord::Of(XlfOper(narrow)).StringUnits(),
                  (std::vector<unsigned long>{3, 'a', static_cast<unsigned long>(wide[1]), 'b'}));
    } else {
        // Counted without a terminator, one unit per byte of the code page.
        EXPECT_EQ(RawRecord::Of(XlfOper(std::wstring(L"a\u03A9b"))).StringUnits(),
                  Units(static_cast<unsigned long>(narrow.size()), narrow));
        ExcelString excelText(narrow, false);
        EXPECT_EQ(XlfOper(excelText.Record()).GetWideString(), wide);
    }
    // Past the character that the code page may lack, nothing is lost.
    const std::wstring longer = std::wstring(L"\u03A9") + std::wstring(300, L'z');
    CerrCapture cerr;
    std::wstring back = XlfOper(longer).GetWideString();
    ASSERT_FALSE(back.empty());
    EXPECT_EQ(back.substr(1), std::wstring(ProcessIsExcel12() ? 300 : 255 - omega.size(), L'z'));
    EXPECT_EQ(cerr.Text(), ProcessIsExcel12()
                               ? ""
                               : "..\\..\\src\\XlfOperImpl4(813): String truncated to 255 bytes\n");
}

// The count byte of an Excel 4 text and the 16-bit word of its boolean are
// unsigned: a text of 128 bytes or more and a boolean of 2 or 0xFFFF are read
// whole, through either handle.
template <class Handle> void ExpectExcel4RecordsReadWhole() {
    const std::string text(200, 't');
    ExcelString longText(text, false);
    XLOPER elements[4] = {*static_cast<XLOPER*>(longText.Record())};
    const std::uint16_t booleans[] = {2, 0x8000, 0xFFFF};
    for (int k = 0; k < 3; ++k) {
        elements[k + 1].xltype = xltypeBool;
        elements[k + 1].val.xbool = booleans[k];
    }
    XLOPER array{};
    array.xltype = xltypeMulti;
    array.val.array.lparray = elements;
    array.val.array.rows = 1;
    array.val.array.columns = 4;

    CellMatrix cells;
    ASSERT_EQ(Handle(&array).ConvertToCellMatrix(cells), 0);
    ASSERT_EQ(cells.ColumnCount(), 4u);
    EXPECT_EQ(cells(0, 0).GetText(), text);
    for (int column = 0; column < 4; ++column) {
        CellMatrix single;
        ASSERT_EQ(Handle(&elements[column]).ConvertToCellMatrix(single), 0);
        if (column == 0) {
            EXPECT_EQ(single(0, 0).GetText(), text);
            continue;
        }
        EXPECT_TRUE(cells(0, column).GetBoolean()) << booleans[column - 1];
        EXPECT_TRUE(single(0, 0).GetBoolean()) << booleans[column - 1];
        bool flag = false;
        EXPECT_EQ(Handle(&elements[column]).ConvertToBool(flag), 0);
        EXPECT_TRUE(flag) << booleans[column - 1];
    }
}

TEST_F(ConversionTest, Excel4CountsAndBooleansAreUnsigned) {
    ExpectExcel4RecordsReadWhole<XlfOper4>();
    if (!ProcessIsExcel12())
        ExpectExcel4RecordsReadWhole<XlfOper>();
    EXPECT_EQ(CalledFunctions(), std::vector<int>());
}

TEST_F(ConversionTest, ReferencesOffTheExcel4SheetReadNoOtherCell) {
    Engine& engine = Engine::Get();
    engine.ClearSheet();
    const IDSHEET sheet = engine.SheetId();
    // Where the off-sheet cells would land if their rows and columns were
    // cut to XLREF's 16 and 8 bits.
    engine.SetCell(70000 - 65536, 0, Cell::Number(-1.0));
    engine.SetCell(0, 300 - 256, Cell::Number(-2.0));
    engine.SetCell(3, 0, Cell::Number(-3.0));
    const struct {
        XlfRangeRef range;
        double value; // the first cell on Excel 12's sheet
        bool onExcel4Sheet;
    } rows[] = {
        {XlfRangeRef(65535, 255, sheet), 1.0, true},
        {XlfRangeRef(70000, 0, sheet), 2.0, false},
        {XlfRangeRef(0, 300, sheet), 3.0, false},
        // Its last row, 65539, would be row 3.
        {XlfRangeRef(65535, 0, 65539, 0, sheet), 4.0, false},
    };
    for (const auto& row : rows)
        engine.SetCell(row.range.RowBegin(), row.range.ColumnBegin(), Cell::Number(row.value));
    for (const auto& row : rows) {
        const bool read = ProcessIsExcel12() || row.onExcel4Sheet;
        XlfOper reference;
        reference.SetRef(row.range);
        double value = 0.0;
        EXPECT_EQ(reference.ConvertToDouble(value), read ? 0 : xlretFailed) << row.value;
        EXPECT_EQ(value, read ? row.value : 0.0);
        XlfOper4 reference4;
        reference4.SetRef(row.range);
        value = 0.0;
        EXPECT_EQ(reference4.ConvertToDouble(value), row.onExcel4Sheet ? 0 : xlretFailed);
        EXPECT_EQ(value, row.onExcel4Sheet ? row.value : 0.0);
        if (read)
            continue;
        XlfRangeRef range;
        CellMatrix cells;
        std::vector<double> values;
        char* text = nullptr;
        EXPECT_EQ(reference.ConvertToRef(range), xlretFailed);
        EXPECT_EQ(reference.ConvertToCellMatrix(cells), xlretFailed);
        EXPECT_EQ(reference.ConvertToDoubleVector(values, RowMajor), xlretFailed);
        EXPECT_EQ(reference.ConvertToString(text), xlretFailed);
        EXPECT_EQ(reference4.ConvertToRef(range), xlretFailed);
        EXPECT_EQ(reference4.ConvertToCellMatrix(cells), xlretFailed);
    }
    // Only the references that exist were handed to Excel.
    std::size_t coercions = 0;
    for (const auto& row : rows)
        coercions += (row.onExcel4Sheet ? 2 : 0) + (ProcessIsExcel12() && !row.onExcel4Sheet);
    EXPECT_EQ(CalledFunctions(), std::vector<int>(coercions, xlCoerce));
    engine.ClearSheet();
}

// Reading a range allocates one element per cell and asks Excel once per
// cell, so a range beyond 2^20 cells is refused with a text before either
// happens: the product of its counts, not their 32-bit product, decides.
TEST(RangeSizeTest, RangesBeyondAWholeColumnAreRefusedBeforeAnythingIsRead) {
    const std::string tooLarge = " is too large to read: it has more than 1048576 cells";
    const struct {
        XlfRangeRef range;
        std::string refusal; // empty: read
    } rows[] = {
        {XlfRangeRef(0, 0, 1048575, 16383, 1),
         "the range of 1048576 rows and 16384 columns" + tooLarge},
        {XlfRangeRef(0, 0, 65535, 255, 1), "the range of 65536 rows and 256 columns" + tooLarge},
        // 2^32 cells: the 32-bit product is 0.
        {XlfRangeRef(0, 0, 1048575, 4095, 1),
         "the range of 1048576 rows and 4096 columns" + tooLarge},
        {XlfRangeRef(0, 0, INT_MAX - 1, INT_MAX - 1, 1),
         "the range of 2147483647 rows and 2147483647 columns" + tooLarge},
        {XlfRangeRef(0, 0, 1023, 1024, 1), "the range of 1024 rows and 1025 columns" + tooLarge},
        {XlfRangeRef(5, 0, 3, 0, 1), "the range of -1 rows and 1 columns ends before it begins"},
        // Last column before the first: refused as such, neither as too large
        // (a negative count read unsigned) nor as an empty range read.
        {XlfRangeRef(0, 5, 0, 3, 1), "the range of 1 rows and -1 columns ends before it begins"},
        {XlfRangeRef(0, 4000, 1048575, 0, 1),
         "the range of 1048576 rows and -3999 columns ends before it begins"},
        {XlfRangeRef(0, 0, 1023, 1023, 1), ""},
        {XlfRangeRef(0, 0, 1048575, 0, 1), ""},
    };
    for (const auto& row : rows) {
        const std::size_t cells =
            row.refusal.empty() ? std::size_t(row.range.RowCount()) * row.range.ColumnCount() : 0;
        int reads = 0;
        std::vector<double> values;
        auto readDouble = [&reads](std::int32_t, std::int32_t, double& value) {
            value = ++reads;
            return 0;
        };
        CellMatrix matrix;
        auto readCell = [&reads](std::int32_t, std::int32_t, CellValue& cell) {
            cell = CellValue(static_cast<double>(++reads));
            return 0;
        };
        for (int kind = 0; kind < 2; ++kind) {
            reads = 0;
            try {
                int code = kind == 0 ? ReadRangeAsDoubles(row.range, RowMajor, values, readDouble)
                                     : ReadRangeAsCells(row.range, matrix, readCell);
                EXPECT_EQ(code, 0);
                EXPECT_TRUE(row.refusal.empty()) << "read " << row.refusal;
            } catch (const std::runtime_error& refusal) {
                EXPECT_EQ(refusal.what(), row.refusal);
            }
            EXPECT_EQ(reads, static_cast<int>(cells)) << row.refusal;
        }
        EXPECT_EQ(values.size(), cells);
        EXPECT_EQ(std::size_t(matrix.RowCount()) * matrix.ColumnCount(), cells);
        if (cells != 0) {
            EXPECT_EQ(values.back(), static_cast<double>(cells));
            EXPECT_EQ(matrix(matrix.RowCount() - 1, matrix.ColumnCount() - 1).GetNumber(),
                      static_cast<double>(cells));
        }
    }
}

// The whole sheet of the running record kind through every conversion that
// reads a range: the refusal reaches the caller as the worksheet's text,
// with no cell asked for, whatever the record kind and the architecture.
TEST_F(ConversionTest, AWholeSheetReferenceIsRefusedWithAText) {
    const bool excel12 = ProcessIsExcel12();
    const std::string refusal =
        excel12 ? "the range of 1048576 rows and 16384 columns is too large to read: it has more "
                  "than 1048576 cells"
                : "the range of 65536 rows and 256 columns is too large to read: it has more "
                  "than 1048576 cells";
    const IDSHEET sheet = Engine::Get().SheetId();
    const XlfRangeRef wholeSheet =
        excel12 ? XlfRangeRef(0, 0, 1048575, 16383, sheet) : XlfRangeRef(0, 0, 65535, 255, sheet);
    XlfOper reference;
    reference.SetRef(wholeSheet);
    XlfOper4 reference4;
    reference4.SetRef(XlfRangeRef(0, 0, 65535, 255, sheet));
    const std::string refusal4 = "the range of 65536 rows and 256 columns is too large to read: "
                                 "it has more than 1048576 cells";
    int code = 0;
    const struct {
        const char* conversion;
        std::function<void()> read;
        const std::string& text;
    } rows[] = {
        {"GetCellMatrix", [&] { reference.GetCellMatrix(&code); }, refusal},
        {"GetDoubleVector", [&] { reference.GetDoubleVector(RowMajor, &code); }, refusal},
        {"GetMatrix", [&] { reference.GetMatrix(&code); }, refusal},
        {"XlfOper4::GetCellMatrix", [&] { reference4.GetCellMatrix(&code); }, refusal4},
        {"XlfOper4::GetDoubleVector", [&] { reference4.GetDoubleVector(ColumnMajor, &code); },
         refusal4},
    };
    for (const auto& row : rows) {
        try {
            row.read();
            ADD_FAILURE() << row.conversion << " read the whole sheet";
        } catch (const std::runtime_error& failure) {
            EXPECT_EQ(failure.what(), row.text) << row.conversion;
        }
    }
    EXPECT_EQ(code, 0);
    EXPECT_EQ(CalledFunctions(), std::vector<int>());
}

} // namespace
