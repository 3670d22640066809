#include "XltypeName.h"

#include "xlw/ExcelApi.h"
#include "xlw/XlfException.h"

namespace xlw {

std::string XltypeName(unsigned int type) {
    switch (type) {
    case xltypeNum:
        return "xltypeNum";
    case xltypeStr:
        return "xltypeStr";
    case xltypeBool:
        return "xltypeBool";
    case xltypeRef:
        return "xltypeRef";
    case xltypeErr:
        return "xltypeErr";
    case xltypeMulti:
        return "xltypeMulti";
    case xltypeMissing:
        return "xltypeMissing";
    case xltypeNil:
        return "xltypeNil";
    case xltypeSRef:
        return "xltypeSRef";
    case xltypeInt:
        return "xltypeInt";
    default:
        return "unknown";
    }
}

void RequireMulti(unsigned int type) {
    if ((type & xltypeMulti) == 0)
        throw XlfException("attempt to perform an xltypeMulti operation on a value of type " +
                           XltypeName(type));
}

} // namespace xlw
