#include "WorksheetCall.h"

#include "xlw/ExcelApi.h"

#include <stdexcept>
#include <utility>

namespace xlhost {

namespace {

template <class Result, std::size_t... Index>
Result CallWith(Procedure procedure, const double* arguments, std::index_sequence<Index...>) {
    using Function = Result(XLW_STDCALL*)(decltype(static_cast<void>(Index), 0.0)...);
    return reinterpret_cast<Function>(procedure)(arguments[Index]...);
}

template <class Result, std::size_t... Count>
Result CallWithCount(Procedure procedure, const std::vector<double>& arguments,
                     std::index_sequence<Count...>) {
    using Caller = Result (*)(Procedure, const double*);
    // One caller per argument count, each with its own stdcall signature.
    static constexpr Caller callers[] = {[](Procedure p, const double* a) {
        return CallWith<Result>(p, a, std::make_index_sequence<Count>());
    }...};
    return callers[arguments.size()](procedure, arguments.data());
}

template <class Result> Result Call(Procedure procedure, const std::vector<double>& arguments) {
    if (arguments.size() > MaxNumberArguments) {
        throw std::invalid_argument("the stand-in Excel passes at most 16 number arguments");
    }
    return CallWithCount<Result>(procedure, arguments,
                                 std::make_index_sequence<MaxNumberArguments + 1>());
}

} // namespace

double CallReturningNumber(Procedure procedure, const std::vector<double>& arguments) {
    return Call<double>(procedure, arguments);
}

void* CallReturningRecord(Procedure procedure, const std::vector<double>& arguments) {
    return Call<void*>(procedure, arguments);
}

} // namespace xlhost
