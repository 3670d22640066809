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

void RegisterOne(const FunctionRegistration& record) {
    XlfFuncDesc description(record.functionName, record.excelName, record.helpText, record.category,
                            record.isVolatile ? 1 : 0, record.isThreadSafe,
                            ResolvedReturnTypeCode(record));
    XlfArgDescList arguments;
    for (int i = 0; i < record.argumentCount; ++i)
        arguments.emplace_back(record.argumentNames[i], record.argumentHelp[i],
                               record.argumentTypes[i]);
    description.AssignArguments(arguments);
    description.RegisterWithExcel();
}

} // namespace

void FunctionRegistry::Append(const FunctionRegistration& record) {
    records_.push_back(record);
}

void FunctionRegistry::RegisterAllFunctions() const {
    for (const FunctionRegistration& record : records_)
        RegisterOne(record);
}

FunctionRegistry& RegisteredFunctions() {
    static FunctionRegistry registry;
    return registry;
}

} // namespace xlw
