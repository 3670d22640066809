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

// Up to Excel 2010 the wizard must be owned by the window xlGetHwnd names;
// from Excel 2013 on any wizard dialog of this process counts, since the
// active workbook's own main window owns it.
TEST(FunctionWizard, ClassPrefixInAnyCaseAndExcelAsOwnerDecide) {
    const XlfExcel& excel = XlfExcel::Get();
    const bool singleDocument = excel.MajorVersion() >= 15;
    const HWND excelWindow = reinterpret_cast<HWND>(Engine::Get().MainWindow());
    const HWND otherWindow = MakeOwnedWindow("TesserineOtherOwner", nullptr);
    ASSERT_NE(otherWindow, nullptr);
    ASSERT_NE(LOWORD(reinterpret_cast<UINT_PTR>(otherWindow)),
              LOWORD(reinterpret_cast<UINT_PTR>(excelWindow)));
    const struct {
        const char* className;
        HWND owner;
        bool inWizard;
        bool inWizardFrom2013;
    } cases[] = {
        {"bosa_sdm_XL9", excelWindow, true, true},
        {"BOSA_SDM_XL", excelWindow, true, true},
        {"Bosa_Sdm_Xl_Anything", excelWindow, true, true},
        {"bosa_sdm_X", excelWindow, false, false},
        {"bosa_sdm_", excelWindow, false, false},
        {"xbosa_sdm_XL", excelWindow, false, false},
        {"bosa_sdm_XL9", otherWindow, false, true},
        {"bosa_sdm_XL9", nullptr, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.className);
        const HWND window = MakeOwnedWindow(c.className, c.owner);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(excel.InFunctionWizard(), singleDocument ? c.inWizardFrom2013 : c.inWizard);
        DestroyWindow(window);
    }
    DestroyWindow(otherWindow);
}

// From Excel 2013 on the test does not ask for Excel's window at all.
TEST(FunctionWizard, UnknownExcelWindowMeansNotInWizardBeforeExcel2013) {
    Engine& engine = Engine::Get();
    engine.SetFunctionWizard(true);
    engine.InjectFault(xlGetHwnd, xlretFailed);
    EXPECT_EQ(XlfExcel::Get().InFunctionWizard(), XlfExcel::Get().MajorVersion() >= 15);
    engine.ClearFaults();
    engine.SetFunctionWizard(false);
}
