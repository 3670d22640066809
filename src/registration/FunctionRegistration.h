// What the registry keeps of one worksheet function until the add-in opens.
// It owns copies of every text, never pointers into the static tables.
#pragma once

#include "xlw/FunctionRegistrar.h"

#include <string>
#include <vector>

namespace xlw {

struct FunctionRegistration {
    std::string functionName;
    std::string excelName;
    std::string helpText;
    std::string category;
    int argumentCount = 0;
    std::vector<std::string> argumentNames;
    std::vector<std::string> argumentHelp;
    std::vector<std::string> argumentTypes;
    bool isVolatile = false;
    bool isThreadSafe = false;
    // Empty: the value-record type code of the running Excel ("P" or "Q").
    std::string returnTypeCode;
    RegistrationOptions options;
};

} // namespace xlw
