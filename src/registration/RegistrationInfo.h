// The registration-info function every add-in on the framework serves: the
// in-cell help server (Excel-DNA IntelliSense, loaded as an add-in of its own)
// finds it by a name made from the add-in's path (RegistrationInfoName.h),
// calls it through xlUDF with the version it saw last, and draws the
// tooltips of each function from the answer.
#pragma once

#include "FunctionRegistry.h"
#include "xlw/XlfOper.h"

#include <string>

namespace xlw {

class RegistrationInfo {
public:
    static RegistrationInfo& Get();

    // Registers the function hidden (macro type 0), after the add-in's own,
    // under Excel 12 records only; a new version when it does.
    void Register(const FunctionRegistry& registry);

    // #N/A when no function is registered; #NUM! when `version` is the
    // current one; otherwise the table: a first row with the add-in's path
    // and the current version, then one row per registered function as
    // xlfRegister's arguments, column 0 (the module) empty, 255 columns,
    // cells beyond a row's texts empty.
    XlfOper Answer(double version) const;

    double Version() const { return version_; }

private:
    RegistrationInfo() = default;

    const FunctionRegistry* registry_ = nullptr;
    double version_ = 0.0;
};

} // namespace xlw
