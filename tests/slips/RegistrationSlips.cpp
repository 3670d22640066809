// An add-in with the registration slips the build cannot catch: an exported
// name given with a typing error, and one sheet name given to two
// functions. It must open with its sound function, and say what is wrong
// with the others (CheckRegistrationSlips.cmake).
#include "xlw/xlw.h"

using xlw::WorksheetCall;
using xlw::WorksheetFunction;

namespace {

constexpr const char* Category = "slips";

} // namespace

XLW_EXPORT void* XLW_STDCALL xlmy_Discount(double rate, double years) {
    return WorksheetCall([=] { return 1 / (1 + rate * years); });
}
const WorksheetFunction<xlmy_Discount>
    discount("xlmy_Discont", "my_Discount", " a simple discount factor ", Category,
             {{"rate", " a yearly rate "}, {"years", " a time in years "}});

XLW_EXPORT void* XLW_STDCALL xlmy_Half(double x) {
    return WorksheetCall([=] { return x / 2; });
}
const WorksheetFunction<xlmy_Half> half("xlmy_Half", "my_Scale", " x halved ", Category,
                                        {{"x", " a number "}});

XLW_EXPORT void* XLW_STDCALL xlmy_Double(double x) {
    return WorksheetCall([=] { return x * 2; });
}
const WorksheetFunction<xlmy_Double> twice("xlmy_Double", "MY_SCALE", " x doubled ", Category,
                                           {{"x", " a number "}});

XLW_EXPORT void* XLW_STDCALL xlmy_Square(double x) {
    return WorksheetCall([=] { return x * x; });
}
const WorksheetFunction<xlmy_Square> square("xlmy_Square", "my_Square", " x squared ", Category,
                                            {{"x", " a number "}});
