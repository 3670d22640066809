// This executable links the framework but is no Excel: it exports no
// MdCallBack12, so the add-in's Excel 12 forwarders have nothing to call.
#include "xlw/ExcelApi.h"

#include <gtest/gtest.h>

TEST(Excel12WithoutHost, ForwardersFailWithoutTheHostsCallback) {
    XLOPER12 value{};
    value.xltype = xltypeNum;
    value.val.num = 2.0;
    XLOPER12 target{};
    target.xltype = xltypeInt;
    target.val.w = xltypeInt;
    LPXLOPER12 args[] = {&value, &target};
    XLOPER12 result{};
    result.xltype = xltypeNil;

    EXPECT_EQ(Excel12(xlCoerce, &result, 2, &value, &target), xlretFailed);
    EXPECT_EQ(Excel12v(xlCoerce, &result, 2, args), xlretFailed);
    // The missing callback is found out before the count is looked at.
    EXPECT_EQ(Excel12(xlCoerce, &result, 256), xlretFailed);
    EXPECT_EQ(result.xltype, static_cast<unsigned>(xltypeNil));
}
