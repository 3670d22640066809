// Excel 12's callbacks are not in XLCALL32.DLL: the host exports MdCallBack12
// from its main module and the add-in carries the forwarders.
#include "ProcAddress.h"
#include "xlw/ExcelApi.h"

#include <cstdarg>

namespace {

MdCallBack12Proc mdCallBack12 = nullptr;

// Looked up again on every call until found, then never again.
MdCallBack12Proc FindMdCallBack12() {
    if (!mdCallBack12) {
        mdCallBack12 = xlw::FindProc<MdCallBack12Proc>(GetModuleHandleA(nullptr), "MdCallBack12");
    }
    return mdCallBack12;
}

// Excel 2007 and later take at most this many arguments in one call.
constexpr int MaxArguments = 255;

} // namespace

int XLW_CDECL Excel12(int xlfn, LPXLOPER12 result, int count, ...) {
    const MdCallBack12Proc callback = FindMdCallBack12();
    if (!callback)
        return xlretFailed;
    if (count < 0 || count > MaxArguments)
        return xlretInvCount;
    LPXLOPER12 args[MaxArguments];
    va_list list;
    va_start(list, count);
    for (int i = 0; i < count; ++i)
        args[i] = va_arg(list, LPXLOPER12);
    va_end(list);
    return callback(xlfn, count, args, result);
}

int XLW_STDCALL Excel12v(int xlfn, LPXLOPER12 result, int count, LPXLOPER12 args[]) {
    const MdCallBack12Proc callback = FindMdCallBack12();
    if (!callback)
        return xlretFailed;
    return callback(xlfn, count, args, result);
}
