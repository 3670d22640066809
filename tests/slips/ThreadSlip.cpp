// An add-in whose functions are declared thread-safe but written with the
// ordinary frame, WorksheetCall, as an author easily writes them: Excel
// calls them on all its recalculation threads at once, and every cell must
// still get its own call's value (CheckThreadSlip.cmake).
#include "xlw/xlw.h"

#include <string>

using xlw::CellMatrix;
using xlw::CellValue;
using xlw::ThreadSafeFunction;
using xlw::WorksheetCall;
using xlw::WorksheetFunction;

namespace {

constexpr const char* Category = "slips";

std::string Whole(double x) {
    return std::to_string(static_cast<long long>(x));
}

} // namespace

XLW_EXPORT void* XLW_STDCALL xlslip_Square(double x) {
    return WorksheetCall([=] { return x * x; });
}
const WorksheetFunction<xlslip_Square> square("xlslip_Square", "slip_Square", " x squared ",
                                              Category, {{"x", " a number "}}, ThreadSafeFunction);

XLW_EXPORT void* XLW_STDCALL xlslip_Label(double x) {
    return WorksheetCall([=] { return "cell " + Whole(x); });
}
const WorksheetFunction<xlslip_Label> label("xlslip_Label", "slip_Label", " a text naming x ",
                                            Category, {{"x", " a whole number "}},
                                            ThreadSafeFunction);

// Numbers and a text in one array: every element must be this call's.
XLW_EXPORT void* XLW_STDCALL xlslip_Row(double x) {
    return WorksheetCall([=] {
        CellMatrix row(1, 3);
        row(0, 0) = CellValue(x);
        row(0, 1) = CellValue(-x);
        row(0, 2) = CellValue("row " + Whole(x));
        return row;
    });
}
const WorksheetFunction<xlslip_Row> row("xlslip_Row", "slip_Row",
                                        " x, -x and a text naming x, in one row ", Category,
                                        {{"x", " a whole number "}}, ThreadSafeFunction);
