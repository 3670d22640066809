// Where Excel hands back a result marked xlbitDLLFree once it has copied the
// value: only the results of thread-safe calls, which own their memory.
#include "xlw/ExcelApi.h"
#include "xlw/OwnedResult.h"

XLW_EXPORT void XLW_STDCALL xlAutoFree12(LPXLOPER12 record) {
    xlw::OwnedResult::Free(record);
}
