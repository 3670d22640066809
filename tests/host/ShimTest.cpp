// XLCALL32.DLL in an executable that exports no MdCallBack: it must refuse,
// not crash or pretend.
#include "xlw/ExcelApi.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

template <class Target> Target Lookup(const char* name) {
    HMODULE library = LoadLibraryA("XLCALL32.DLL");
    return reinterpret_cast<Target>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

TEST(ShimTest, WithoutMdCallBackEveryCallFailsWith32) {
    const auto excel4 = Lookup<Excel4Proc>("Excel4");
    const auto excel4v = Lookup<Excel4vProc>("Excel4v");
    ASSERT_NE(excel4, nullptr);
    ASSERT_NE(excel4v, nullptr);
    XLOPER result = {};
    result.xltype = xltypeNil;
    XLOPER two = {};
    two.val.num = 2;
    two.xltype = xltypeNum;
    LPXLOPER args[] = {&two};
    EXPECT_EQ(excel4(xlfGetWorkspace, &result, 1, &two), xlretFailed);
    EXPECT_EQ(excel4v(xlfGetWorkspace, &result, 1, args), xlretFailed);
    EXPECT_EQ(result.xltype, xltypeNil);
}

TEST(ShimTest, Excel4RefusesCountsOutside0To255) {
    const auto excel4 = Lookup<Excel4Proc>("Excel4");
    XLOPER result = {};
    EXPECT_EQ(excel4(xlGetName, &result, -1), xlretInvCount);
    EXPECT_EQ(excel4(xlGetName, &result, 256), xlretInvCount);
    EXPECT_EQ(excel4(xlGetName, &result, 0), xlretFailed) << "a valid count reaches the lookup";
}

TEST(ShimTest, ReportsTheCallbackLibraryOfExcel2007AndLater) {
    using CallVer = int(XLW_STDCALL*)();
    const auto version = Lookup<CallVer>("XLCallVer");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version(), 3072);
}

} // namespace
