// The stand-in Excel's windows: the main window that xlGetHwnd names and the
// function wizard's dialog, which add-ins look for by class and owner. Under
// Wine they need the null graphics driver (cmake/wine-run.sh sets it).
#pragma once

#include <cstdint>

namespace xlhost {

class Windows {
public:
    Windows() = default;
    ~Windows();
    Windows(const Windows&) = delete;
    Windows& operator=(const Windows&) = delete;

    // Created on first use. Throws std::runtime_error when Windows refuses.
    std::uintptr_t MainWindow();
    void OpenWizard();
    void CloseWizard();
    std::uintptr_t Wizard() const { return wizard_; }

private:
    std::uintptr_t main_ = 0;
    std::uintptr_t wizard_ = 0;
};

} // namespace xlhost
