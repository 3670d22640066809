// The Excel-4-only handle, in both processes: its records are always
// XLOPERs and its callbacks always take Excel's Excel 4 path.
#include "ValueTestSupport.h"

#include "DoubleMatrix.h"
#include "xlw/CellMatrix.h"
#include "xlw/XlfException.h"
#include "xlw/XlfOper4.h"

#include <stdexcept>

using namespace xlw;
using xlhost::Cell;
using xlhost::Engine;

namespace {

using Oper4Test = ValueTest;

TEST_F(Oper4Test, ConstructorsBuildExcel4Records) {
    EXPECT_EQ(RawRecord::Of(XlfOper4(2.5)).Number(), 2.5);
    EXPECT_EQ(RawRecord::Of(XlfOper4(true)).BoolWord(), 1);
    EXPECT_EQ(RawRecord::Of(XlfOper4(static_cast<unsigned short>(0xFFFD))).Type(), 0x0800u);
    EXPECT_EQ(RawRecord::Of(XlfOper4(static_cast<unsigned short>(0xFFFD))).Integer(), -3);
    EXPECT_EQ(RawRecord::Of(XlfOper4(static_cast<unsigned short>(0x8001), true)).ErrorWord(),
              0x8001u);
    EXPECT_EQ(RawRecord::Of(XlfOper4()).Type(), 0x0100u);
    EXPECT_EQ(RawRecord::Of(XlfOper4("abc")).StringUnits(), Units(4, std::string("abc\0", 4)));
    EXPECT_EQ(RawRecord::Of(XlfOper4(std::string("a\0b", 3))).StringUnits(),
              Units(2, std::string("a\0", 2)));
    // A wide literal is a string in the code page, not TRUE; counted without
    // a zero byte, as Excel 4 records hold wide text.
    EXPECT_EQ(RawRecord::Of(XlfOper4(L"abc")).StringUnits(), Units(3, "abc"));
    const std::string omega = OmegaInAnsiCodePage();
    if (!omega.empty()) {
        EXPECT_EQ(RawRecord::Of(XlfOper4(L"\u03A9")).StringUnits(),
                  Units(static_cast<unsigned long>(omega.size()), omega));
    }

    CerrCapture cerr;
    XlfOper4 cut(std::string(300, 'x'));
    EXPECT_EQ(RawRecord::Of(cut).StringUnits(),
              Units(255, std::string(254, 'x') + std::string(1, '\0')));
    EXPECT_EQ(cerr.Text(), "..\\..\\src\\XlfOper4(968): String truncated to 254 bytes\n");
}

TEST_F(Oper4Test, ConversionsReadDirectlyOrThroughTheExcel4Path) {
    EXPECT_EQ(XlfOper4(2.5).GetDouble(), 2.5);
    XlfOper4 integer;
    integer.SetInt(-3);
    EXPECT_EQ(integer.GetDouble(), -3.0);
    EXPECT_EQ(XlfOper4(40000.0).GetShort(), -25536);
    EXPECT_TRUE(XlfOper4(true).GetBool());
    EXPECT_EQ(CalledFunctions(), std::vector<int>());

    EXPECT_EQ(XlfOper4("25").GetDouble(), 25.0);
    EXPECT_STREQ(XlfOper4(2.5).GetString(), "2.5");
    unsigned short code = 0;
    EXPECT_EQ(XlfOper4().SetError(xlerrNum).ConvertToError(code), 0);
    EXPECT_EQ(code, xlerrNum);
    for (const xlhost::LoggedCall& call : Engine::Get().CallLog())
        EXPECT_EQ(call.recordKind, 4);
    EXPECT_EQ(CalledFunctions(), (std::vector<int>{xlCoerce, xlCoerce, xlFree}));

    CellMatrix cells = XlfOper4("abc").GetCellMatrix();
    EXPECT_EQ(cells(0, 0).GetText(), std::string("abc\0", 4));
}

TEST_F(Oper4Test, ArraysAndTheirLimits) {
    XlfOper4 array;
    array.SetMulti(3, 2);
    EXPECT_EQ(array.Rows(), 3u);
    EXPECT_EQ(array.Columns(), 2u);
    EXPECT_EQ(RawRecord::Of(array).Element(2, 1).Type(), 0x0100u);
    array.SetElement(2, 1, XlfOper4("s"));
    EXPECT_EQ(RawRecord::Of(array.GetElement(2, 1)).StringUnits(), Units(2, std::string("s\0", 2)));
    try {
        array.SetElement(0, 0, XlfOper4());
        ADD_FAILURE() << "no exception";
    } catch (const XlfException& failure) {
        EXPECT_STREQ(failure.what(),
                     "attempt to set a matrix element to a value of type xltypeNil");
    }
    try {
        XlfOper4(1.0).Rows();
        ADD_FAILURE() << "no exception";
    } catch (const XlfException& failure) {
        EXPECT_STREQ(failure.what(),
                     "attempt to perform an xltypeMulti operation on a value of type xltypeNum");
    }
    XlfOper4 refused;
    EXPECT_THROW(refused.SetMulti(70000, 1), std::runtime_error);
    EXPECT_THROW(refused.SetCellMatrix(CellMatrix(65536, 1)), std::runtime_error);
    EXPECT_EQ(refused.GetType(), 0x0100u);

    CellMatrix cells(2, 255);
    cells(0, 0) = CellValue(std::wstring(L"Wide"));
    cells(1, 254) = CellValue(5.0);
    XlfOper4 wide;
    wide.SetCellMatrix(cells);
    RawRecord raw = RawRecord::Of(wide);
    EXPECT_EQ(raw.Columns(), 255u);
    EXPECT_EQ(raw.Element(0, 0).StringUnits(), Units(5, std::string("Wide\0", 5)));
    EXPECT_EQ(raw.Element(0, 1).StringUnits(), Units(1, std::string(1, '\0')));
    EXPECT_EQ(raw.Element(1, 254).Number(), 5.0);

    XlfOper4 untouched(7.0);
    untouched.SetFromMatrix(DoubleMatrix(0, 4));
    EXPECT_EQ(RawRecord::Of(untouched).Number(), 7.0);
    XlfOper4 column;
    column.SetFromVector({1.0, 2.0});
    EXPECT_EQ(column.Rows(), 2u);
    EXPECT_EQ(column.Columns(), 1u);
    EXPECT_EQ(column.GetDoubleVector(OneDimensional), (std::vector<double>{1.0, 2.0}));
}

TEST_F(Oper4Test, FailingArrayElementsRaiseInsteadOfReturningTheirCode) {
    XlfOper4 array;
    array.SetMulti(1, 2);
    array.SetElement(0, 0, XlfOper4(1.0));
    array.SetElement(0, 1, XlfOper4("two"));
    std::vector<double> values;
    try {
        array.ConvertToDoubleVector(values, RowMajor);
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& failure) {
        EXPECT_STREQ(failure.what(), "command failed");
    }
    try {
        array.GetMatrix();
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& failure) {
        EXPECT_STREQ(failure.what(), "command failed,  conversion to matrix failed");
    }
}

TEST_F(Oper4Test, ReferencesAreReadThroughExcel4CellReferences) {
    Engine& engine = Engine::Get();
    for (int k = 0; k < 6; ++k)
        engine.SetCell(k / 3, k % 3, Cell::Number(k + 1.0));
    engine.SetCell(1, 2, Cell::Text("six"));
    XlfOper4 reference;
    reference.SetRef(XlfRangeRef(0, 0, 1, 2, engine.SheetId()));
    EXPECT_EQ(RawRecord::Of(reference).Reference().rowLast, 1);

    std::vector<double> values;
    EXPECT_EQ(reference.ConvertToDoubleVector(values, ColumnMajor), xlretFailed);
    EXPECT_EQ(values, (std::vector<double>{1, 4, 2, 5, 3, 0}));
    CellMatrix cells = reference.GetCellMatrix();
    EXPECT_EQ(cells(0, 2).GetNumber(), 3.0);
    EXPECT_EQ(cells(1, 2).GetText(), "six");
    XlfRangeRef range = reference.GetRangeRef();
    EXPECT_EQ(range.RowCount(), 2);
    EXPECT_EQ(range.ColumnCount(), 3);
    EXPECT_EQ(RawRecord::Of(range.Element4(1, 2)).Reference().columnFirst, 2);
    for (const xlhost::LoggedCall& call : engine.CallLog())
        EXPECT_EQ(call.recordKind, 4);
    engine.ClearSheet();
}

} // namespace
