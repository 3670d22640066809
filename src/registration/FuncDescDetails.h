// The worksheet-function part of a description, owned by its XlfFuncDesc.
#pragma once

#include "XlfArgDesc.h"
#include "xlw/FunctionRegistrar.h"

#include <string>

namespace xlw {

struct FuncDescDetails {
    // 1: volatile; every other value: not volatile.
    int recalculationPolicy = 0;
    std::string category;
    XlfArgDescList arguments;
    bool isThreadSafe = false;
    RegistrationOptions options;
};

} // namespace xlw
