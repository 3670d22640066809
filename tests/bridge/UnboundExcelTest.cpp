// Runs in a copy of the test executable without XLCALL32.DLL beside it, so
// that binding fails the way it does on a machine without Excel.
#include "BridgeHost.h"
#include "xlw/XlfOperImpl.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using namespace xlw;
using xlhost::Engine;

TEST(UnboundExcel, FailedBindingLeavesAnInstanceThatCallsNothing) {
    try {
        XlfExcel::Get();
        FAIL() << "binding succeeded";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Could not load library XLCALL32.DLL");
    }
    // The unbound instance stays and is not bound again.
    XlfExcel& excel = XlfExcel::Get();
    EXPECT_FALSE(excel.IsExcel12());
    EXPECT_EQ(excel.OperTypeCode(), "");
    EXPECT_EQ(XlfOperImpl::Current, nullptr);

    Engine& engine = Engine::Get();
    engine.SetFunctionWizard(true);
    engine.ClearCallLog();
    XLOPER result4{};
    XLOPER12 result12{};
    LPXLOPER args4[] = {&result4};
    LPXLOPER12 args12[] = {&result12};
    void* args[] = {&result4};
    EXPECT_EQ(excel.Invoke(xlGetName, &result4, 0), xlretFailed);
    EXPECT_EQ(excel.InvokeArray(xlGetName, &result4, 1, args), xlretFailed);
    EXPECT_EQ(excel.Invoke4(xlGetName, &result4, 0), xlretFailed);
    EXPECT_EQ(excel.InvokeArray4(xlGetName, &result4, 1, args4), xlretFailed);
    EXPECT_EQ(excel.Invoke12(xlGetName, &result12, 0), xlretFailed);
    EXPECT_EQ(excel.InvokeArray12(xlGetName, &result12, 1, args12), xlretFailed);
    EXPECT_FALSE(excel.InFunctionWizard());
    EXPECT_TRUE(engine.CallLog().empty());
    engine.SetFunctionWizard(false);

    // Temporary memory needs no Excel.
    EXPECT_NE(excel.TempAlloc(8), nullptr);
    delete &excel;
}
