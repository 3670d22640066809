#include "Windows.h"

#include <windows.h>

#include <stdexcept>
#include <string>

namespace xlhost {

namespace {

constexpr const char* MainClass = "XLMAIN";
// Excel's function-wizard dialogs have classes "bosa_sdm_XL" plus a version digit.
constexpr const char* WizardClass = "bosa_sdm_XL9";

void RegisterClassOnce(const char* name) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = name;
    if (RegisterClassA(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw std::runtime_error(std::string("cannot register window class ") + name);
    }
}

std::uintptr_t Create(const char* className, const char* title, DWORD style, HWND owner) {
    RegisterClassOnce(className);
    HWND window = CreateWindowExA(0, className, title, style, 0, 0, 400, 300, owner, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) {
        throw std::runtime_error(std::string("cannot create the window of class ") + className);
    }
    return reinterpret_cast<std::uintptr_t>(window);
}

HWND Handle(std::uintptr_t window) {
    return reinterpret_cast<HWND>(window);
}

} // namespace

Windows::~Windows() {
    CloseWizard();
    for (std::uintptr_t window : {activeWorkbook_, main_}) {
        if (window != 0) {
            DestroyWindow(Handle(window));
        }
    }
}

std::uintptr_t Windows::MainWindow() {
    if (main_ == 0) {
        main_ = Create(MainClass, "Microsoft Excel", WS_OVERLAPPEDWINDOW, nullptr);
    }
    return main_;
}

void Windows::OpenWizard(bool singleDocument) {
    CloseWizard();
    std::uintptr_t owner = MainWindow();
    if (singleDocument) {
        if (activeWorkbook_ == 0) {
            activeWorkbook_ = Create(MainClass, "Book2 - Excel", WS_OVERLAPPEDWINDOW, nullptr);
        }
        owner = activeWorkbook_;
    }
    // A popup: GetParent of a top-level popup window gives its owner.
    wizard_ = Create(WizardClass, "Function Arguments", WS_POPUP, Handle(owner));
}

void Windows::CloseWizard() {
    if (wizard_ != 0) {
        DestroyWindow(Handle(wizard_));
        wizard_ = 0;
    }
}

} // namespace xlhost
