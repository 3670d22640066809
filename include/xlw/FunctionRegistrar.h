// A static object per worksheet function: its constructor appends the
// function's record to the registry while the module loads, before Excel
// calls xlAutoOpen.
#pragma once

#include "ArgumentSpec.h"

#include <string>

namespace xlw {

class FunctionRegistrar {
public:
    FunctionRegistrar(const std::string& functionName, const std::string& excelName,
                      const std::string& helpText, const std::string& category,
                      const ArgumentSpec* arguments, int argumentCount, bool isVolatile,
                      bool isThreadSafe, const std::string& returnTypeCode);
};

} // namespace xlw
