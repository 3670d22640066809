#include "XlfFuncDesc.h"

#include "xlw/XlfExcel.h"
#include "xlw/XlfOper.h"
#include "xlw/XlfOper4.h"

#include <vector>

namespace xlw {

namespace {

// Macro type 1 shows the function in the wizard; 0 registers it hidden.
constexpr double WorksheetFunction = 1.0;
constexpr double HiddenFunction = 0.0;

} // namespace

XlfFuncDesc::XlfFuncDesc(const std::string& procedureName, const std::string& functionText,
                         const std::string& comment, const std::string& category,
                         int recalculationPolicy, bool isThreadSafe,
                         const std::string& returnTypeCode)
    : XlfAbstractCmdDesc(procedureName, functionText, comment),
      details_(new FuncDescDetails{recalculationPolicy, category, {}, isThreadSafe}),
      returnTypeCode_(returnTypeCode) {}

XlfFuncDesc::~XlfFuncDesc() = default;

void XlfFuncDesc::AssignArguments(const XlfArgDescList& arguments) {
    details_->arguments = arguments;
}

int XlfFuncDesc::PerformRegistration(const std::string& moduleName, int& answeredError) const {
    return CallRegister(moduleName, WorksheetFunction, nullptr, &answeredError);
}

int XlfFuncDesc::PerformUnregistration(const std::string& moduleName) const {
    double registerId = 0.0;
    CallRegister(moduleName, HiddenFunction, &registerId);
    XlfOper result;
    XlfOper id(registerId);
    return XlfExcel::Get().Invoke(xlfUnregister, result.GetRecord(), 1, id.GetRecord());
}

// Thread safety is an Excel 12 notion: Excel 4 would refuse the "$".
std::string XlfFuncDesc::TypeText() const {
    std::string typeText = returnTypeCode_;
    for (const XlfArgDesc& argument : details_->arguments)
        typeText += argument.RegistrationTypeCode();
    if (details_->recalculationPolicy == 1)
        typeText += "!";
    if (XlfExcel::Get().IsExcel12() && details_->isThreadSafe)
        typeText += "$";
    return typeText;
}

std::string XlfFuncDesc::ArgumentText() const {
    std::string argumentText;
    const char* separator = "";
    for (const XlfArgDesc& argument : details_->arguments) {
        // Counted by position, not by the text so far: a name may be empty.
        argumentText += separator + argument.GetName();
        separator = ", ";
    }
    return argumentText;
}

int XlfFuncDesc::CallRegister(const std::string& moduleName, double macroType, double* registerId,
                              int* answeredError) const {
    std::vector<XlfOper4> values = {XlfOper4(moduleName),         XlfOper4(GetProcedureName()),
                                    XlfOper4(TypeText()),         XlfOper4(GetFunctionText()),
                                    XlfOper4(ArgumentText()),     XlfOper4(macroType),
                                    XlfOper4(details_->category), XlfOper4(std::string()),
                                    XlfOper4(std::string()),      XlfOper4(GetComment())};
    for (const XlfArgDesc& argument : details_->arguments)
        values.emplace_back(argument.GetComment());

    std::vector<LPXLOPER> arguments;
    for (XlfOper4& value : values)
        arguments.push_back(value.GetXloper());
    XlfOper4 result;
    int code = XlfExcel::Get().InvokeArray4(xlfRegister, result.GetXloper(),
                                            static_cast<int>(arguments.size()), arguments.data());
    if (registerId)
        *registerId = result.GetDouble();
    if (answeredError && code == xlretSuccess && (result.GetType() & xltypeErr))
        *answeredError = result.GetXloper()->val.err;
    return code;
}

} // namespace xlw
