// The raising conversions of both handles: which exception each return code
// becomes, with the exact words and blanks of its text, and the stored code
// when the caller asks for it instead.
#include "ValueTestSupport.h"

#include "DoubleMatrix.h"
#include "xlw/CellMatrix.h"
#include "xlw/XlfException.h"
#include "xlw/XlfExceptionAbort.h"
#include "xlw/XlfOper.h"
#include "xlw/XlfOper4.h"

#include <functional>
#include <stdexcept>
#include <vector>

using namespace xlw;
using xlhost::Engine;

namespace {

using RaisingTest = ValueTest;

// The text of what `conversion` throws; "" when it throws nothing.
template <class Thrown> std::string ThrownText(const std::function<void()>& conversion) {
    try {
        conversion();
    } catch (const Thrown& failure) {
        return failure.what();
    }
    return "";
}

// A string that Excel cannot read as a number: the coercion fails with 32.
TEST_F(RaisingTest, FailedCommandsNameTheConversion) {
    XlfOper text("abc");
    XlfOper array;
    XlfOperImpl::Current->SetMulti(array, 1, 1);
    XlfOperImpl::Current->SetElement(array, 0, 0, text);
    const struct {
        std::function<void()> conversion;
        const char* message;
    } rows[] = {
        {[&] { text.GetDouble(); }, "command failed"},
        {[&] { text.GetDouble("x"); }, "command failed, Conversion to double x"},
        {[&] { text.GetShort("arg"); }, "command failed, arg conversion to short failed"},
        {[&] { text.GetBool("b"); }, "command failed, b conversion to bool failed"},
        {[&] { array.GetDoubleVector("v", RowMajor); },
         "command failed, v conversion to double vector"},
        {[&] { array.GetNumberArray("v", RowMajor); },
         "command failed, v conversion to double vector"},
        {[&] { array.GetMatrix(); }, "command failed,  conversion to matrix failed"},
        {[&] { XlfOper(1.0).GetRangeRef(); }, "command failed"},
        // An integer is no single value for a cell matrix: it is taken for a reference.
        {[&] { XlfOper(short(3)).GetCellMatrix("c"); },
         "command failed, c conversion to cell matrix failed"},
        {[&] { XlfOper(short(3)).GetCellMatrix(); },
         "command failed,  conversion to cell matrix failed"},
        {[&] { XlfOper(true).GetString("s"); }, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ThrownText<std::runtime_error>(row.conversion), row.message);
}

TEST_F(RaisingTest, AHandleWithoutARecordIsAnInvalidRecord) {
    XlfOper none(static_cast<void*>(nullptr));
    EXPECT_EQ(ThrownText<XlfException>([&] { none.GetDouble("x"); }),
              "invalid OPER structure (memory could be exhausted),Conversion to double x");
    EXPECT_EQ(ThrownText<XlfException>([&] { none.GetString(); }),
              "invalid OPER structure (memory could be exhausted)");
    EXPECT_EQ(ThrownText<XlfException>([&] { none.GetDoubleVector(); }),
              "invalid OPER structure (memory could be exhausted)");
    EXPECT_EQ(ThrownText<XlfException>([&] { none.GetMatrix(); }),
              "invalid OPER structure (memory could be exhausted), conversion to matrix failed");
    EXPECT_EQ(ThrownText<XlfException>([&] { none.GetCellMatrix("c"); }),
              "invalid OPER structure (memory could be exhausted),c conversion to cell matrix "
              "failed");
    XlfOper4 none4(static_cast<LPXLOPER>(nullptr));
    EXPECT_EQ(ThrownText<XlfException>([&] { none4.GetDouble(); }),
              "invalid OPER structure (memory could be exhausted)");
    EXPECT_EQ(ThrownText<XlfException>([&] { none4.GetMatrix(); }),
              "invalid OPER structure (memory could be exhausted), conversion to matrix failed");
    EXPECT_EQ(ThrownText<XlfException>([&] { none4.GetDoubleVector(); }),
              "invalid OPER structure (memory could be exhausted)");
    EXPECT_EQ(CalledFunctions(), std::vector<int>());
}

TEST_F(RaisingTest, TheArgumentCountTextDiffersBetweenTheHandles) {
    Engine::Get().InjectFault(xlCoerce, xlretInvCount);
    EXPECT_EQ(ThrownText<std::runtime_error>([] { XlfOper("abc").GetDouble(); }),
              "invalid number of arguments");
    EXPECT_EQ(ThrownText<std::runtime_error>([] { XlfOper4("abc").GetDouble(); }),
              "invalid number of argument");
    EXPECT_EQ(ThrownText<std::runtime_error>([] { XlfOper4("abc").GetShort("n"); }),
              "invalid number of argument, n conversion to short failed");
}

TEST_F(RaisingTest, AGivenReturnCodeIsStoredAndNothingIsRaised) {
    Engine::Get().InjectFault(xlCoerce, xlretAbort);
    EXPECT_THROW(XlfOper("abc").GetDouble(), XlfExceptionAbort);
    XlfOper text("abc");
    XlfOper4 text4("abc");
    int code = 0;
    EXPECT_EQ(text.GetDouble(&code), 0.0);
    EXPECT_EQ(code, xlretAbort);
    code = 0;
    EXPECT_EQ(text.GetShort("s", &code), 0);
    EXPECT_EQ(code, xlretAbort);
    code = 0;
    EXPECT_FALSE(text.GetBool(&code));
    EXPECT_EQ(code, xlretAbort);
    code = 0;
    EXPECT_EQ(XlfOper(1.0).GetString(&code), nullptr);
    EXPECT_EQ(code, xlretAbort);
    code = 0;
    EXPECT_EQ(text4.GetDouble("d", &code), 0.0);
    EXPECT_EQ(code, xlretAbort);
    code = 0;
    EXPECT_TRUE(text.GetDoubleVector(RowMajor, &code).empty());
    EXPECT_EQ(code, xlretAbort);
    code = -1;
    EXPECT_EQ(XlfOper(2.0).GetDouble(&code), 2.0);
    EXPECT_EQ(code, 0);
}

TEST_F(RaisingTest, TheCodeMappingIsForwarded) {
    EXPECT_EQ(XlfOper::RaiseForReturnCode(0), 0);
    EXPECT_EQ(XlfOper4::RaiseForReturnCode(0x80), 0x80);
    EXPECT_EQ(ThrownText<std::runtime_error>([] { XlfOper::RaiseForReturnCode(4); }),
              "invalid number of arguments");
    EXPECT_EQ(ThrownText<std::runtime_error>([] { XlfOper4::RaiseForReturnCode(4); }),
              "invalid number of argument");
    EXPECT_EQ(
        ThrownText<std::runtime_error>([] { XlfOper::RaiseForReturnCode(2, std::string("abc")); }),
        "invalid function number, abc");
}

TEST_F(RaisingTest, FailedMatrixConversionsReturnWhatTheyHadReached) {
    int code = 0;
    CellMatrix cells = XlfOper(short(3)).GetCellMatrix(&code);
    EXPECT_EQ(code, xlretFailed);
    ASSERT_EQ(cells.RowCount(), 1u);
    EXPECT_TRUE(cells(0, 0).IsEmptyCell());
    // The matrix is sized before its first cell turns out not to be a number.
    DoubleMatrix matrix = XlfOper("abc").GetMatrix(&code);
    EXPECT_EQ(code, xlretFailed);
    EXPECT_EQ(matrix.RowCount(), 1u);
    EXPECT_EQ(matrix(0, 0), 0.0);
}

} // namespace

namespace {

// An array whose elements start empty (Nil): an empty element is left so.
XlfOper ArrayOf(const std::vector<XlfOper>& elements, int rows, int columns) {
    XlfOper array;
    XlfOperImpl::Current->SetMulti(array, rows, columns);
    for (int k = 0; k < rows * columns; ++k)
        if (elements[k].GetType() != xltypeNil)
            XlfOperImpl::Current->SetElement(array, k / columns, k % columns, elements[k]);
    return array;
}

} // namespace

// ReadNumbers names the argument, the first cell, row by row, that no
// conversion makes a number, and why; numeric texts, booleans and empty
// cells convert as in GetDoubleVector.
TEST_F(RaisingTest, ReadNumbersNamesTheCellAndTheCause) {
    const auto arrayOf = ArrayOf;
    const XlfOper numbers =
        arrayOf({XlfOper(1.0), XlfOper("2"), XlfOper(true), XlfOper(4.0)}, 2, 2);
    EXPECT_EQ(numbers.ReadNumbers("values"), (std::vector<double>{1, 2, 1, 4}));
    EXPECT_EQ(numbers.ReadNumbers("values", ColumnMajor), (std::vector<double>{1, 1, 2, 4}));

    const XlfOper textThird =
        arrayOf({XlfOper(1.0), XlfOper("2"), XlfOper("two"), XlfOper::MakeError(xlerrNA)}, 2, 2);
    const XlfOper errorFourth =
        arrayOf({XlfOper(1.0), XlfOper("2"), XlfOper(3.0), XlfOper::MakeError(xlerrNA)}, 1, 4);
    const struct {
        std::function<void()> read;
        const char* message;
    } rows[] = {
        {[&] { textThird.ReadNumbers("values"); }, "values: cell 3 of 4 is text, not a number"},
        {[&] { errorFourth.ReadNumbers("x"); }, "x: cell 4 of 4 is the error #N/A, not a number"},
        {[&] { XlfOper("abc").ReadNumbers("x"); }, "x: the value is text, not a number"},
        {[&] { numbers.ReadNumbers("m", OneDimensional); },
         "m: the 2 rows and 2 columns are not one row or one column"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ThrownText<std::invalid_argument>(row.read), row.message);
}

// A range refused as too large names the argument in the conversions that
// take an identifier, and only there.
TEST_F(RaisingTest, ARefusedRangeNamesTheArgument) {
    const bool excel12 = ProcessIsExcel12();
    XlfOper reference;
    reference.SetRef(excel12 ? XlfRangeRef(0, 0, 1048575, 16383, Engine::Get().SheetId())
                             : XlfRangeRef(0, 0, 65535, 255, Engine::Get().SheetId()));
    const std::string refusal =
        std::string("the range of ") +
        (excel12 ? "1048576 rows and 16384 columns" : "65536 rows and 256 columns") +
        " is too large to read: it has more than 1048576 cells";
    XlfOper4 reference4;
    reference4.SetRef(XlfRangeRef(0, 0, 65535, 255, Engine::Get().SheetId()));
    const std::string refusal4 =
        "the range of 65536 rows and 256 columns is too large to read: it has more than 1048576 "
        "cells";
    const struct {
        std::function<void()> read;
        std::string message;
    } rows[] = {
        {[&] { reference.ReadNumbers("values"); }, "values: " + refusal},
        {[&] { reference.GetCellMatrix("cells"); }, "cells: " + refusal},
        {[&] { reference.GetDoubleVector("v"); }, "v: " + refusal},
        {[&] { reference.GetMatrix("m"); }, "m: " + refusal},
        {[&] { reference.GetMatrix(); }, refusal},
        {[&] { reference4.GetCellMatrix("cells"); }, "cells: " + refusal4},
        {[&] { reference4.GetCellMatrix(); }, refusal4},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ThrownText<std::runtime_error>(row.read), row.message);
}

// A value converts alone as it converts inside a range: a cell passed as a
// value or a literal, the element of a one-cell array, and the same value
// beside a number in a two-cell array and in a range of the sheet. Excel
// documents the conversions: a text that reads as a number gives it, TRUE 1,
// FALSE and an empty cell 0.
TEST_F(RaisingTest, ASingleValueReadsAsItDoesInARange) {
    Engine& engine = Engine::Get();
    const struct {
        const char* what;
        XlfOper value;
        xlhost::Cell cell;
        double number;
    } cases[] = {
        {"the text 7", XlfOper("7"), xlhost::Cell::Text("7"), 7},
        {"the text -2.5e1", XlfOper("-2.5e1"), xlhost::Cell::Text("-2.5e1"), -25},
        {"TRUE", XlfOper(true), xlhost::Cell::Boolean(true), 1},
        {"FALSE", XlfOper(false), xlhost::Cell::Boolean(false), 0},
        {"nothing", XlfOper(), xlhost::Cell::Nil(), 0},
        {"the number 2.5", XlfOper(2.5), xlhost::Cell::Number(2.5), 2.5},
    };
    const IDSHEET sheet = engine.SheetId();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<double> alone = {c.number};
        const std::vector<double> beside = {c.number, 3};
        EXPECT_EQ(c.value.ReadNumbers("v"), alone);
        EXPECT_EQ(ArrayOf({c.value}, 1, 1).ReadNumbers("v"), alone);
        EXPECT_EQ(ArrayOf({c.value, XlfOper(3.0)}, 1, 2).ReadNumbers("v"), beside);
        engine.SetCell(0, 0, c.cell);
        engine.SetCell(0, 1, xlhost::Cell::Number(3));
        XlfOper cell;
        cell.SetRef(XlfRangeRef(0, 0, 0, 0, sheet));
        XlfOper range;
        range.SetRef(XlfRangeRef(0, 0, 0, 1, sheet));
        EXPECT_EQ(cell.ReadNumbers("v"), alone);
        EXPECT_EQ(range.ReadNumbers("v"), beside);
    }
    engine.ClearSheet();
    EXPECT_EQ(ThrownText<std::invalid_argument>([] { XlfOper("seven").ReadNumbers("v"); }),
              "v: the value is text, not a number");
    EXPECT_EQ(
        ThrownText<std::invalid_argument>([] { XlfOper::MakeError(xlerrDiv0).ReadNumbers("v"); }),
        "v: the value is the error #DIV/0!, not a number");
}

// An argument left out of the formula gives no number, not an empty list:
// refused in words unless the caller says it may be empty.
TEST_F(RaisingTest, AMissingArgumentIsRefusedUnlessItMayBeEmpty) {
    XLOPER missing4{};
    missing4.xltype = xltypeMissing;
    XLOPER12 missing12{};
    missing12.xltype = xltypeMissing;
    const XlfOper missing(ProcessIsExcel12() ? static_cast<void*>(&missing12) : &missing4);
    EXPECT_EQ(ThrownText<std::invalid_argument>([&] { missing.ReadNumbers("weights"); }),
              "weights: the argument is missing; give a number, a range or an array");
    EXPECT_EQ(missing.ReadNumbers("weights", RowMajor, MissingArgument::Empty),
              std::vector<double>{});
    EXPECT_EQ(XlfOper(4.0).ReadNumbers("weights", RowMajor, MissingArgument::Empty),
              std::vector<double>{4});
}

// GetMatrix takes number cells alone, and says which cell is not one, in
// the words of ReadNumbers, as a std::runtime_error like its other failures.
TEST_F(RaisingTest, GetMatrixNamesTheCellThatIsNotANumber) {
    Engine& engine = Engine::Get();
    engine.SetCell(0, 0, xlhost::Cell::Number(1));
    engine.SetCell(0, 1, xlhost::Cell::Number(2));
    engine.SetCell(0, 2, xlhost::Cell::Text("three"));
    XlfOper range;
    range.SetRef(XlfRangeRef(0, 0, 0, 2, engine.SheetId()));
    const struct {
        const char* what;
        std::function<void()> read;
        const char* message;
    } rows[] = {
        {"a text",
         [] {
             ArrayOf({XlfOper(1.0), XlfOper("two"), XlfOper(3.0), XlfOper(4.0)}, 2, 2)
                 .GetMatrix("values");
         },
         "values: cell 2 of 4 is text, not a number"},
        {"an error",
         [] {
             ArrayOf({XlfOper(1.0), XlfOper(2.0), XlfOper::MakeError(xlerrNA)}, 3, 1)
                 .GetMatrix("values");
         },
         "values: cell 3 of 3 is the error #N/A, not a number"},
        {"a boolean",
         [] {
             ArrayOf({XlfOper(1.0), XlfOper(true)}, 1, 2).GetMatrix("m");
         },
         "m: cell 2 of 2 is a boolean, not a number"},
        {"an empty cell",
         [] {
             ArrayOf({XlfOper(), XlfOper(1.0)}, 2, 1).GetMatrix("m");
         },
         "m: cell 1 of 2 is empty, not a number"},
        {"a single text", [] { XlfOper("abc").GetMatrix("m"); },
         "m: the value is text, not a number"},
        {"a range of the sheet", [&] { range.GetMatrix("values"); },
         "values: cell 3 of 3 is text, not a number"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(ThrownText<std::runtime_error>(row.read), row.message);
    }
    engine.ClearSheet();
}
