// The worksheet functions of XlwExample. Each one is declared once, with
// XLW_EXPORT, which is all the export table needs; the WorksheetFunction
// after it tells Excel its name, arguments and help when the add-in opens,
// and works out the type text from the entry point's C++ type: a double
// argument is passed as a number ("B"), a ValueArgument as the value record
// of the running Excel ("P" or "Q"), a RangeArgument as written, a range as
// a reference ("R" or "U"). An argument table that does not fit the
// signature does not compile.
//
// Every entry point that returns a value record runs its work inside
// WorksheetCall: whatever it throws reaches the cell as a text (a
// std::exception's what()) instead of leaving the add-in, and the temporary
// memory of the previous call is given back. ex_Greet and ex_Describe touch
// nothing shared, so they are registered thread-safe and run inside
// ThreadSafeWorksheetCall: Excel may then call them on all its
// recalculation threads at once, each result owning its memory. ex_Calls
// returns a plain double and can fail in no way. ex_RunsWhere and
// ex_AddInFile are cluster-safe as well: from Excel 2010 on, with a cluster
// connector, Excel may run them on a compute cluster's node.
#include "xlw/xlw.h"

#include <cmath>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

using xlw::CellMatrix;
using xlw::CellValue;
using xlw::ClusterSafeFunction;
using xlw::RangeArgument;
using xlw::ThreadSafeFunction;
using xlw::ThreadSafeWorksheetCall;
using xlw::ValueArgument;
using xlw::VolatileFunction;
using xlw::WorksheetCall;
using xlw::WorksheetFunction;
using xlw::XlfOper;

namespace {

constexpr const char* Category = "xlw example";

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
XLW_EXPORT void* XLW_STDCALL xlex_Greet(ValueArgument name) {
    return ThreadSafeWorksheetCall([=] {
        std::wstring text;
        if (XlfOper(name).ConvertToWideString(text) != 0)
            throw std::runtime_error("name must be a text");
        return XlfOper(L"Hello, " + (text.empty() ? std::wstring(L"world") : text) + L"!");
    });
}
const WorksheetFunction<xlex_Greet> greet("xlex_Greet", "ex_Greet", " greets by name ", Category,
                                          {{"name", " whom to greet "}}, ThreadSafeFunction);

// A two-column table, one row per kind of cell: its name, then how many.
XLW_EXPORT void* XLW_STDCALL xlex_CountKinds(RangeArgument range) {
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
const WorksheetFunction<xlex_CountKinds>
    countKinds("xlex_CountKinds", "ex_CountKinds",
               " counts the numbers, texts, booleans, errors and empty cells of a range ", Category,
               {{"range", " the cells to look at "}});

// Each cell is read as Excel turns it into a number: a numeric text or a
// boolean counts, an empty cell counts as 0, any other text or an error
// stops the sum, and the cell shows which cell and why.
XLW_EXPORT void* XLW_STDCALL xlex_Sum(RangeArgument range) {
    return WorksheetCall([=] {
        const std::vector<double> numbers = XlfOper(range).ReadNumbers("range");
        double total = 0;
        for (double number : numbers)
            total += number;
        return XlfOper(total);
    });
}
const WorksheetFunction<xlex_Sum> sum("xlex_Sum", "ex_Sum", " adds up the numbers of a range ",
                                      Category, {{"range", " the cells to look at "}});

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
const WorksheetFunction<xlex_Describe> describe("xlex_Describe", "ex_Describe",
                                                " a table of facts about x: the number, whether it "
                                                "is whole, its square root and its reciprocal ",
                                                Category, {{"x", " any number "}},
                                                ThreadSafeFunction);

// A lookup that finds nothing answers #N/A, as Excel's MATCH does, so that
// IFNA and ISNA on the sheet can tell it from a wrong argument.
XLW_EXPORT void* XLW_STDCALL xlex_Find(ValueArgument value, RangeArgument range) {
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
const WorksheetFunction<xlex_Find>
    find("xlex_Find", "ex_Find",
         " the position (1 for the first cell, counted row by row) of the first cell of range "
         "that holds value; #N/A when none does ",
         Category,
         {{"value", " the number, text or boolean to find "},
          {"range", " the cells to search, row by row "}});

// Registered volatile: Excel calls it at every recalculation, whether or not
// anything changed, and it counts those calls.
XLW_EXPORT double XLW_STDCALL xlex_Calls() {
    static double count = 0;
    return ++count;
}
const WorksheetFunction<xlex_Calls> calls("xlex_Calls", "ex_Calls",
                                          " how many times Excel has called this function ",
                                          Category, VolatileFunction);

// Where the call ran: a node answers xlRunningOnCluster, Excel's own process
// does not.
XLW_EXPORT void* XLW_STDCALL xlex_RunsWhere() {
    return ThreadSafeWorksheetCall([] {
        return std::string(xlw::RunningOnCluster() ? "on a compute cluster's node"
                                                   : "in Excel's own process");
    });
}
const WorksheetFunction<xlex_RunsWhere> runsWhere("xlex_RunsWhere", "ex_RunsWhere",
                                                  " where Excel ran this call ", Category,
                                                  ThreadSafeFunction | ClusterSafeFunction);

// The add-in's own file name, from the path that data files beside it are
// found by: XlfExcel::ModuleName answers on a cluster's node as in Excel.
XLW_EXPORT void* XLW_STDCALL xlex_AddInFile() {
    return ThreadSafeWorksheetCall([] {
        const std::string path = xlw::XlfExcel::Get().ModuleName();
        if (path.empty())
            throw std::runtime_error("Excel did not give the add-in's path");
        return path.substr(path.find_last_of('\\') + 1);
    });
}
const WorksheetFunction<xlex_AddInFile> addInFile("xlex_AddInFile", "ex_AddInFile",
                                                  " the file name of this add-in ", Category,
                                                  ThreadSafeFunction | ClusterSafeFunction);
