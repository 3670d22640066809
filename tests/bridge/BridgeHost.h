// What the bridge suites share: this executable is the Excel that the
// framework binds to, and its engine's version says which record kind the
// process uses for good.
#pragma once

#include "Engine.h"
#include "xlw/XlfExcel.h"

#include <cstdlib>
#include <string>

inline bool ProcessIsExcel12() {
    const char* version = std::getenv(xlhost::VersionVariable);
    return std::string(version ? version : xlhost::DefaultVersion) == "12.0";
}

// Destroys the instance so that the next Get binds again against the
// engine's present state.
inline xlw::XlfExcel& Rebind() {
    delete &xlw::XlfExcel::Get();
    return xlw::XlfExcel::Get();
}
