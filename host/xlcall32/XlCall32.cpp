// XLCALL32.DLL as Excel ships it: a thin library that add-ins load and that
// forwards every Excel4 call to the MdCallBack export of the executable that
// loaded it.
#include "xlw/ExcelApi.h"

#include <windows.h>

#include <cstdarg>

namespace {

// The most arguments an Excel call takes since Excel 2007.
constexpr int MaxArguments = 255;

// Excel 2007 and later; the shim always reports the newer library, whatever
// version the engine plays (add-ins learn the version from xlfGetWorkspace).
constexpr int CallbackLibraryVersion = 3072;

MdCallBackProc FindHostCallback() {
    // Looked up on every call: cheap, and a host has no way to unexport it.
    return reinterpret_cast<MdCallBackProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), "MdCallBack")));
}

} // namespace

extern "C" int XLW_STDCALL Excel4v(int function, LPXLOPER result, int count, LPXLOPER args[]) {
    MdCallBackProc callback = FindHostCallback();
    if (callback == nullptr) {
        return xlretFailed;
    }
    return callback(function, count, args, result);
}

extern "C" int XLW_CDECL Excel4(int function, LPXLOPER result, int count, ...) {
    if (count < 0 || count > MaxArguments) {
        return xlretInvCount;
    }
    LPXLOPER args[MaxArguments];
    va_list list;
    va_start(list, count);
    for (int i = 0; i < count; ++i) {
        args[i] = va_arg(list, LPXLOPER);
    }
    va_end(list);
    return Excel4v(function, result, count, args);
}

extern "C" int XLW_STDCALL XLCallVer() {
    return CallbackLibraryVersion;
}
