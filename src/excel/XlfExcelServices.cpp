#include "xlw/XlfExcel.h"

#include "xlw/XlfOper.h"

#include <windows.h>

#include <iostream>

namespace xlw {

namespace {

// The text in the ANSI code page; false when a character has no place in it.
bool ToAnsi(const std::wstring& wide, std::string& narrow) {
    narrow.clear();
    if (wide.empty())
        return true;
    const int count = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), count,
                                           nullptr, 0, nullptr, nullptr);
    narrow.assign(static_cast<std::size_t>(length), '\0');
    BOOL lost = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), count, &narrow[0], length,
                        nullptr, &lost);
    return !lost;
}

// Registration takes the module path as Excel 4 text, in the ANSI code page.
// A path that the code page cannot show is given by its short (8.3) form,
// which names the same file in plain ASCII where the volume keeps short names.
std::string AnsiModulePath(const std::wstring& path) {
    std::string narrow;
    if (ToAnsi(path, narrow))
        return narrow;
    std::wstring shortPath(GetShortPathNameW(path.c_str(), nullptr, 0), L'\0');
    const DWORD length =
        GetShortPathNameW(path.c_str(), &shortPath[0], static_cast<DWORD>(shortPath.size()));
    if (length == 0 || length >= shortPath.size())
        return narrow;
    shortPath.resize(length);
    ToAnsi(shortPath, narrow);
    return narrow;
}

} // namespace

std::string XlfExcel::ModuleName() const {
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

bool XlfExcel::BreakRequested() const {
    XlfOper retainBreak(false);
    XlfOper pressed;
    Invoke(xlAbort, pressed.GetRecord(), 1, retainBreak.GetRecord());
    return pressed.GetBool();
}

} // namespace xlw
