#include "xlw/WorksheetCall.h"

namespace xlw {

namespace {

bool RunsExcel12Records() noexcept {
    try {
        return XlfExcel::Get().IsExcel12();
    } catch (...) {
        return false;
    }
}

} // namespace

void* StaticValueError() noexcept {
    static XLOPER error4;
    static XLOPER12 error12;
    if (RunsExcel12Records()) {
        error12.val.err = xlerrValue;
        error12.xltype = xltypeErr;
        return &error12;
    }
    error4.val.err = xlerrValue;
    error4.xltype = xltypeErr;
    return &error4;
}

} // namespace xlw
