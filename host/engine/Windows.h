// The stand-in Excel's windows: the main window that xlGetHwnd names and the
// function wizard's dialog, which add-ins look for by class and owner. Under
// Wine they need the null graphics driver (cmake/wine-run.sh sets it).
//
// Up to Excel 2010 one main window holds every workbook and owns the wizard.
// From Excel 2013 on each workbook has a main window of its own (the single
// document interface): the wizard belongs to the active workbook's window,
// which need not be the one xlGetHwnd names. The stand-in then keeps a second
// workbook window, active, and the wizard is owned by it.
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
    // The window that owns the wizard: the main window, or with a single
    // document interface the active workbook's other window.
    void OpenWizard(bool singleDocument);
    void CloseWizard();
    std::uintptr_t Wizard() const { return wizard_; }
    // The active workbook's window of a single document interface, made by
    // the first wizard opened there; 0 before.
    std::uintptr_t ActiveWorkbookWindow() const { return activeWorkbook_; }

private:
    std::uintptr_t main_ = 0;
    std::uintptr_t activeWorkbook_ = 0;
    std::uintptr_t wizard_ = 0;
};

} // namespace xlhost
