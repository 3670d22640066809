#include "FunctionRegistry.h"

#include "XlfArgDesc.h"
#include "XlfFuncDesc.h"
#include "xlw/XlfExcel.h"

namespace xlw {

namespace {

std::string ResolvedReturnTypeCode(const FunctionRegistration& record) {
    if (!record.returnTypeCode.empty())
        return record.returnTypeCode;
    return XlfExcel::Get().OperTypeCode();
}

// Why Excel refused the function, or an empty text.
std::string RegisterOne(const FunctionRegistration& record) {
    XlfFuncDesc description(record.functionName, record.excelName, record.helpText, record.category,
                            record.isVolatile ? 1 : 0, record.isThreadSafe,
                            ResolvedReturnTypeCode(record));
    XlfArgDescList arguments;
    for (int i = 0; i < record.argumentCount; ++i)
        arguments.emplace_back(record.argumentNames[i], record.argumentHelp[i],
                               record.argumentTypes[i]);
    description.AssignArguments(arguments);
    return description.RegisterWithExcel();
}

} // namespace

void FunctionRegistry::Append(const FunctionRegistration& record) {
    records_.push_back(record);
}

std::vector<std::string> FunctionRegistry::RegisterAllFunctions() const {
    std::vector<std::string> refusals;
    for (const FunctionRegistration& record : records_) {
        const std::string refusal = RegisterOne(record);
        if (!refusal.empty())
            refusals.push_back(record.excelName + ": " + refusal);
    }
    return refusals;
}

FunctionRegistry& RegisteredFunctions() {
    static FunctionRegistry registry;
    return registry;
}

} // namespace xlw
