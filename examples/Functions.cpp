// The worksheet functions of XlwExample. Each one is declared once, with
// XLW_EXPORT, which is all the export table needs; the FunctionRegistrar
// beside it tells Excel its name, arguments and help when the add-in opens.
//
// Every entry point that returns a value record runs its work inside
// WorksheetCall: whatever it throws reaches the cell as a text (a
// std::exception's what()) instead of leaving the add-in, and the temporary
// memory of the previous call is given back. ex_Greet and ex_Describe touch
// nothing shared, so they are registered thread-safe and run inside
// ThreadSafeWorksheetCall: Excel may then call them on all its
// recalculation threads at once, each result owning its memory. ex_Calls
// returns a plain double ("B") and can fail in no way.
#include "xlw/xlw.h"

#include <cmath>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

using xlw::ArgumentSpec;
using xlw::CellMatrix;
using xlw::CellValue;
using xlw::FunctionRegistrar;
using xlw::ThreadSafeWorksheetCall;
using xlw::WorksheetCall;
using xlw::XlfOper;

namespace {

constexpr const char* Category = "xlw example";
// Empty: the value record of the running Excel, "P" before Excel 2007 and
// "Q" since, read and written through XlfOper whichever it is.
constexpr const char* ValueResult = "";
constexpr const char* NumberResult = "B";
constexpr bool Volatile = true;
constexpr bool NotVolatile = false;
constexpr bool NotThreadSafe = false;
constexpr bool ThreadSafe = true;

// "XLF_OPER" asks for a value (P or Q): a range arrives as its values.
// "XLF_XLOPER" asks for the argument as it was written (R or U), so that a
// range arrives as a reference and is read only as far as we read it.
constexpr const char* Value = "XLF_OPER";
constexpr const char* Reference = "XLF_XLOPER";

const ArgumentSpec GreetArguments[] = {{"name", " whom to greet ", Value}};
const FunctionRegistrar greet("xlex_Greet", "ex_Greet", " greets by name ", Category,
                              GreetArguments, std::size(GreetArguments), NotVolatile, ThreadSafe,
                              ValueResult);

const ArgumentSpec RangeArguments[] = {{"range", " the cells to look at ", Reference}};
const FunctionRegistrar
    countKinds("xlex_CountKinds", "ex_CountKinds",
               " counts the numbers, texts, booleans, errors and empty cells of a range ", Category,
               RangeArguments, std::size(RangeArguments), NotVolatile, NotThreadSafe, ValueResult);
const FunctionRegistrar sum("xlex_Sum", "ex_Sum", " adds up the numbers of a range ", Category,
                            RangeArguments, std::size(RangeArguments), NotVolatile, NotThreadSafe,
                            ValueResult);

const ArgumentSpec DescribeArguments[] = {{"x", " any number ", "B"}};
const FunctionRegistrar describe("xlex_Describe", "ex_Describe",
                                 " a table of facts about x: the number, whether it is whole, "
                                 "its square root and its reciprocal ",
                                 Category, DescribeArguments, std::size(DescribeArguments),
                                 NotVolatile, ThreadSafe, ValueResult);

const ArgumentSpec FindArguments[] = {{"value", " the number, text or boolean to find ", Value},
                                      {"range", " the cells to search, row by row ", Reference}};
const FunctionRegistrar find("xlex_Find", "ex_Find",
                             " the position (1 for the first cell, counted row by row) of the "
                             "first cell of range that holds value; #N/A when none does ",
                             Category, FindArguments, std::size(FindArguments), NotVolatile,
                             NotThreadSafe, ValueResult);

const FunctionRegistrar calls("xlex_Calls", "ex_Calls",
                              " how many times Excel has called this function ", Category, nullptr,
                              0, Volatile, NotThreadSafe, NumberResult);

// Excel compares texts without regard to case; everything else must match
// in kind and value. Under Excel 4 texts arrive narrow, under Excel 12 wide:
// the lower-case wide text reads both.
bool SameValue(const CellValue& cell, const CellValue& wanted) {
    const bool cellIsText = cell.IsStringCell() || cell.IsWideStringCell();
    const bool wantedIsText = wanted.IsStringCell() || wanted.IsWideStringCell();
    if (cellIsText || wantedIsText)
        return cellIsText && wantedIsText &&
               cell.GetLowerCaseWideText() == wanted.GetLowerCaseWideText();
    if (cell.IsNumberCell() && wanted.IsNumberCell())
        return cell.GetNumber() == wanted.GetNumber();
    if (cell.IsBooleanCell() && wanted.IsBooleanCell())
        return cell.GetBoolean() == wanted.GetBoolean();
    return false;
}

CellValue ErrorCell(int code) {
    return CellValue(static_cast<unsigned long>(code), true);
}

} // namespace

// Excel 4 keeps at most 255 bytes of a text: a longer greeting is cut there.
XLW_EXPORT void* XLW_STDCALL xlex_Greet(void* name) {
    return ThreadSafeWorksheetCall([=] {
        std::wstring text;
        if (XlfOper(name).ConvertToWideString(text) != 0)
            throw std::runtime_error("name must be a text");
        return XlfOper(L"Hello, " + (text.empty() ? std::wstring(L"world") : text) + L"!");
    });
}

// A two-column table, one row per kind of cell: its name, then how many.
XLW_EXPORT void* XLW_STDCALL xlex_CountKinds(void* range) {
    return WorksheetCall([=] {
        const CellMatrix cells = XlfOper(range).GetCellMatrix("range");
        double numbers = 0, texts = 0, booleans = 0, errors = 0, empty = 0;
        for (unsigned long i = 0; i < cells.RowCount(); ++i)
            for (unsigned long j = 0; j < cells.ColumnCount(); ++j) {
                const CellValue& cell = cells(i, j);
                if (cell.IsNumberCell())
                    ++numbers;
                else if (cell.IsStringCell() || cell.IsWideStringCell())
                    ++texts;
                else if (cell.IsBooleanCell())
                    ++booleans;
                else if (cell.IsErrorCell())
                    ++errors;
                else
                    ++empty;
            }
        const char* names[] = {"numbers", "texts", "booleans", "errors", "empty"};
        const double counts[] = {numbers, texts, booleans, errors, empty};
        CellMatrix table(std::size(names), 2);
        for (unsigned long k = 0; k < std::size(names); ++k) {
            table(k, 0) = CellValue(names[k]);
            table(k, 1) = CellValue(counts[k]);
        }
        return XlfOper(table);
    });
}

// Each cell is read as Excel turns it into a number: a numeric text or a
// boolean counts, an empty cell counts as 0, any other text or an error
// stops the sum.
XLW_EXPORT void* XLW_STDCALL xlex_Sum(void* range) {
    return WorksheetCall([=] {
        int code = 0;
        const std::vector<double> numbers = XlfOper(range).GetDoubleVector(xlw::RowMajor, &code);
        if (code != 0)
            throw std::runtime_error("a cell of the range is not a number");
        double total = 0;
        for (double number : numbers)
            total += number;
        return XlfOper(total);
    });
}

// Numbers, texts, a boolean and errors in one result: where a fact does not
// exist, its cell holds the error Excel itself would show.
XLW_EXPORT void* XLW_STDCALL xlex_Describe(double x) {
    return ThreadSafeWorksheetCall([=] {
        CellMatrix table(4, 2);
        table(0, 0) = CellValue("number");
        table(0, 1) = CellValue(x);
        table(1, 0) = CellValue("whole");
        table(1, 1) = CellValue(std::trunc(x) == x);
        table(2, 0) = CellValue("square root");
        table(2, 1) = x < 0 ? ErrorCell(xlerrNum) : CellValue(std::sqrt(x));
        table(3, 0) = CellValue("reciprocal");
        table(3, 1) = x == 0 ? ErrorCell(xlerrDiv0) : CellValue(1 / x);
        return XlfOper(table);
    });
}

// A lookup that finds nothing answers #N/A, as Excel's MATCH does, so that
// IFNA and ISNA on the sheet can tell it from a wrong argument.
XLW_EXPORT void* XLW_STDCALL xlex_Find(void* value, void* range) {
    return WorksheetCall([=] {
        const CellMatrix wanted = XlfOper(value).GetCellMatrix("value");
        if (wanted.RowCount() != 1 || wanted.ColumnCount() != 1)
            throw std::runtime_error("value must be a single cell");
        const CellMatrix cells = XlfOper(range).GetCellMatrix("range");
        for (unsigned long i = 0; i < cells.RowCount(); ++i)
            for (unsigned long j = 0; j < cells.ColumnCount(); ++j)
                if (SameValue(cells(i, j), wanted(0, 0)))
                    return XlfOper(static_cast<double>(i * cells.ColumnCount() + j + 1));
        return XlfOper::MakeError(xlerrNA);
    });
}

// Registered volatile: Excel calls it at every recalculation, whether or not
// anything changed, and it counts those calls.
XLW_EXPORT double XLW_STDCALL xlex_Calls() {
    static double count = 0;
    return ++count;
}
