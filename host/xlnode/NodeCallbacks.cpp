// A node's MdCallBack and MdCallBack12: what an add-in reaches through
// XLCALL32.DLL and Excel12 on a compute node. Microsoft's cluster pages let
// a connector support fewer callbacks than Excel; this one supports none but
// xlRunningOnCluster, which answers TRUE, so a cluster-safe function that
// relies on any other shows it on the node.
#include "xlw/ExcelApi.h"

namespace {

template <class Record> int Answer(int function, int count, Record* result) {
    if (function != xlRunningOnCluster) {
        return xlretFailed;
    }
    if (count != 0) {
        return xlretInvCount;
    }
    if (result != nullptr) {
        *result = Record{};
        result->val.xbool = 1;
        result->xltype = xltypeBool;
    }
    return xlretSuccess;
}

} // namespace

extern "C" int XLW_STDCALL MdCallBack(int function, int count, LPXLOPER*, LPXLOPER result) {
    return Answer(function, count, result);
}

extern "C" int XLW_STDCALL MdCallBack12(int function, int count, LPXLOPER12*, LPXLOPER12 result) {
    return Answer(function, count, result);
}
