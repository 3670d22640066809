#include "xlw/XlfExcel.h"

#include "OwnModulePath.h"
#include "records/AnsiCodePage.h"
#include "xlw/XlfOper.h"

#include <windows.h>

#include <iostream>

namespace xlw {

namespace {

// Registration takes the module path as Excel 4 text: at most 255 bytes in
// the ANSI code page. A path that the code page cannot show, or that is
// longer (a folder deep in a synced profile), is given by its short (8.3)
// form, which names the same file in fewer plain ASCII characters where the
// volume keeps short names. Without one the path is given as it is, and
// Excel refuses the registrations.
std::string AnsiModulePath(const std::wstring& path) {
    constexpr std::size_t MaxExcel4Text = 255;
    std::string narrow;
    if (ToAnsiCodePageExactly(path.data(), path.size(), narrow) && narrow.size() <= MaxExcel4Text)
        return narrow;
    std::wstring shortPath(GetShortPathNameW(path.c_str(), nullptr, 0), L'\0');
    const DWORD length =
        GetShortPathNameW(path.c_str(), &shortPath[0], static_cast<DWORD>(shortPath.size()));
    if (length == 0 || length >= shortPath.size())
        return narrow;
    shortPath.resize(length);
    std::string shortNarrow;
    if (!ToAnsiCodePageExactly(shortPath.data(), shortPath.size(), shortNarrow))
        return narrow;
    return shortNarrow;
}

} // namespace

std::string XlfExcel::ModuleName() const {
    // A node refuses xlGetName, as it may refuse every callback but
    // xlRunningOnCluster; there the module names its own file, which is where
    // the connector put the add-in and the files beside it.
    if (onClusterNode_)
        return AnsiModulePath(OwnModulePath());
    XlfOper name;
    if (Invoke(xlGetName, name.GetRecord(), 0) != xlretSuccess) {
        std::cerr << "..\\..\\src\\XlfExcel(181): "
                  << "Could not get DLL name" << std::endl;
        return std::string();
    }
    // Copied before the handle's destruction hands Excel's string back. Excel
    // 12 answers in wide characters, Excel 4 in the ANSI code page already.
    if (IsExcel12())
        return AnsiModulePath(name.GetWideString());
    return name.GetString();
}

void XlfExcel::ShowStatus(const char* text) const {
    if (text) {
        XlfOper show(true);
        XlfOper message(text);
        Invoke(xlcMessage, nullptr, 2, show.GetRecord(), message.GetRecord());
    } else {
        XlfOper clear(false);
        Invoke(xlcMessage, nullptr, 1, clear.GetRecord());
    }
}

namespace {

// xlAbort's answer: whether Esc was pressed; `retain` leaves the break set.
// A call that fails (on a cluster's node, which has no Esc key) is no.
bool AskAbort(const XlfExcel& excel, bool retain) {
    XlfOper retainBreak(retain);
    XlfOper pressed;
    if (excel.Invoke(xlAbort, pressed.GetRecord(), 1, retainBreak.GetRecord()) != xlretSuccess)
        return false;
    return pressed.GetBool();
}

} // namespace

bool XlfExcel::BreakPending() const {
    return AskAbort(*this, true);
}

bool XlfExcel::BreakRequested() const {
    return AskAbort(*this, false);
}

} // namespace xlw
