#include "XlfExcel.h"

#include "XlfOper.h"

#include <iostream>

namespace xlw {

std::string XlfExcel::ModuleName() const {
    XlfOper name;
    if (Invoke(xlGetName, name.GetRecord(), 0) != xlretSuccess) {
        std::cerr << "..\\..\\src\\XlfExcel(181): "
                  << "Could not get DLL name" << std::endl;
        return std::string();
    }
    // Copied before the handle's destruction hands Excel's string back.
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
