// The name that Excel's Add-ins dialog shows for the add-in instead of its
// file name. An add-in declares it once, at namespace scope:
//
//   const xlw::AddInName name("Tesserine quasi-Monte Carlo");
//
// Excel asks for it through xlAddInManagerInfo (Excel 4 records) or
// xlAddInManagerInfo12, which the framework exports; an add-in that declares
// none is shown by its file name.
#pragma once

#include <string>

namespace xlw {

class AddInName {
public:
    // In the ANSI code page, as the framework's narrow texts are; at most 255
    // bytes reach an Excel 4 record.
    explicit AddInName(const std::string& name);

    // The declared name; empty when the add-in declares none.
    static const std::string& Declared();

private:
    static std::string& Stored();
};

} // namespace xlw
