#include "xlw/FunctionRegistrar.h"

#include "FunctionRegistry.h"

namespace xlw {

FunctionRegistrar::FunctionRegistrar(const std::string& functionName, const std::string& excelName,
                                     const std::string& helpText, const std::string& category,
                                     const ArgumentSpec* arguments, int argumentCount,
                                     bool isVolatile, bool isThreadSafe,
                                     const std::string& returnTypeCode,
                                     const RegistrationOptions& options) {
    FunctionRegistration record;
    record.functionName = functionName;
    record.excelName = excelName;
    record.helpText = helpText;
    record.category = category;
    record.argumentCount = argumentCount;
    record.isVolatile = isVolatile;
    record.isThreadSafe = isThreadSafe;
    record.returnTypeCode = returnTypeCode;
    record.options = options;
    for (int i = 0; i < argumentCount; ++i) {
        record.argumentNames.push_back(arguments[i].name);
        record.argumentHelp.push_back(arguments[i].help);
        record.argumentTypes.push_back(arguments[i].typeCode);
    }
    RegisteredFunctions().Append(record);
}

} // namespace xlw
