#include "BridgeHost.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

using namespace xlw;
using xlhost::Engine;

namespace {

// A top-level popup window of the given class, owned by `owner`: the shape of
// the function wizard's dialog.
HWND MakeOwnedWindow(const std::string& className, HWND owner) {
    static std::set<std::string> registered;
    if (registered.insert(className).second) {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = className.c_str();
        RegisterClassA(&windowClass);
    }
    return CreateWindowExA(0, className.c_str(), "", WS_POPUP, 0, 0, 10, 10, owner, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

} // namespace

TEST(FunctionWizard, FollowsTheHostsWizardMode) {
    Engine& engine = Engine::Get();
    const XlfExcel& excel = XlfExcel::Get();
    EXPECT_FALSE(excel.InFunctionWizard());
    engine.SetFunctionWizard(true);
    EXPECT_TRUE(excel.InFunctionWizard());
    engine.SetFunctionWizard(false);
    EXPECT_FALSE(excel.InFunctionWizard());
}

TEST(FunctionWizard, ClassPrefixInAnyCaseAndExcelAsOwnerDecide) {
    const XlfExcel& excel = XlfExcel::Get();
    const HWND excelWindow = reinterpret_cast<HWND>(Engine::Get().MainWindow());
    const HWND otherWindow = MakeOwnedWindow("TesserineOtherOwner", nullptr);
    ASSERT_NE(otherWindow, nullptr);
    ASSERT_NE(LOWORD(reinterpret_cast<UINT_PTR>(otherWindow)),
              LOWORD(reinterpret_cast<UINT_PTR>(excelWindow)));
    const struct {
        const char* className;
        HWND owner;
        bool inWizard;
    } cases[] = {
        {"bosa_sdm_XL9", excelWindow, true},         {"BOSA_SDM_XL", excelWindow, true},
        {"Bosa_Sdm_Xl_Anything", excelWindow, true}, {"bosa_sdm_X", excelWindow, false},
        {"bosa_sdm_", excelWindow, false},           {"xbosa_sdm_XL", excelWindow, false},
        {"bosa_sdm_XL9", otherWindow, false},        {"bosa_sdm_XL9", nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.className);
        const HWND window = MakeOwnedWindow(c.className, c.owner);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(excel.InFunctionWizard(), c.inWizard);
        DestroyWindow(window);
    }
    DestroyWindow(otherWindow);
}

TEST(FunctionWizard, UnknownExcelWindowMeansNotInWizard) {
    Engine& engine = Engine::Get();
    engine.SetFunctionWizard(true);
    engine.InjectFault(xlGetHwnd, xlretFailed);
    EXPECT_FALSE(XlfExcel::Get().InFunctionWizard());
    engine.ClearFaults();
    engine.SetFunctionWizard(false);
}
