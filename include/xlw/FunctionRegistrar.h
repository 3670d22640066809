// A static object per worksheet function: its constructor appends the
// function's record to the registry while the module loads, before Excel
// calls xlAutoOpen. The codes are texts of TypeCodes.h: one per argument in
// the table of argumentCount entries, and returnTypeCode for the result,
// where the empty TypeCodes::ValueResult means the value record of the
// running Excel. WorksheetFunction works all of them out from the entry
// point instead, and is the safer way to register.
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
