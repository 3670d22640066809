#include "xlw/WorksheetCall.h"

#include "xlw/TempMemory.h"

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

bool WizardPreviewOnly(double cells) {
    // Only a thread-safe call builds its records in memory of its own.
    if (TempMemory::ThisThreadsOwn() == nullptr || cells <= WizardFreeCells)
        return false;
    return XlfExcel::Get().InFunctionWizard();
}

} // namespace xlw
