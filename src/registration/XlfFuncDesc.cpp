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

// Excel 2010 (14) brought cluster safety.
constexpr int ClusterSafetyVersion = 14;

// Sends xlfRegister with records of one kind: Oper is XlfOper4 with Excel4v,
// or XlfOper, of the running kind, with Excel12v.
template <class Oper, class Record>
int SendRegister(const RegisterArguments& texts, Record* (Oper::*recordOf)() const,
                 int (XlfExcel::*invoke)(int, Record*, int, Record**) const, double* registerId,
                 int* answeredError) {
    std::vector<Oper> values;
    for (const std::string& text : texts.leadingTexts)
        values.emplace_back(text);
    values.emplace_back(texts.macroType);
    for (const std::string& text : texts.trailingTexts)
        values.emplace_back(text);
    std::vector<Record*> arguments;
    for (Oper& value : values)
        arguments.push_back((value.*recordOf)());
    Oper result;
    const int code = (XlfExcel::Get().*invoke)(
        xlfRegister, (result.*recordOf)(), static_cast<int>(arguments.size()), arguments.data());
    if (registerId)
        *registerId = result.GetDouble();
    if (answeredError && code == xlretSuccess && (result.GetType() & xltypeErr))
        *answeredError = (result.*recordOf)()->val.err;
    return code;
}

} // namespace

XlfFuncDesc::XlfFuncDesc(const std::string& procedureName, const std::string& functionText,
                         const std::string& comment, const std::string& category,
                         int recalculationPolicy, bool isThreadSafe,
                         const std::string& returnTypeCode, const RegistrationOptions& options)
    : XlfAbstractCmdDesc(procedureName, functionText, comment),
      details_(new FuncDescDetails{recalculationPolicy, category, {}, isThreadSafe, options}),
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

bool XlfFuncDesc::ThroughExcel12() const {
    return details_->options.through == RegistrationInterface::RunningExcel &&
           XlfExcel::Get().IsExcel12();
}

// Thread safety is an Excel 12 notion: Excel 4 would refuse the "$". Cluster
// safety is Excel 2010's, and Excel registers it through Excel12v alone.
std::string XlfFuncDesc::TypeText() const {
    std::string typeText = returnTypeCode_;
    for (const XlfArgDesc& argument : details_->arguments)
        typeText += argument.RegistrationTypeCode();
    if (details_->recalculationPolicy == 1)
        typeText += "!";
    if (details_->options.isMacroSheetEquivalent)
        typeText += "#";
    if (XlfExcel::Get().IsExcel12() && details_->isThreadSafe)
        typeText += "$";
    if (details_->options.isClusterSafe && ThroughExcel12() &&
        XlfExcel::Get().MajorVersion() >= ClusterSafetyVersion)
        typeText += "&";
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

RegisterArguments XlfFuncDesc::Arguments(const std::string& moduleName, double macroType) const {
    RegisterArguments texts;
    texts.leadingTexts = {moduleName, GetProcedureName(), TypeText(), GetFunctionText(),
                          ArgumentText()};
    texts.macroType = macroType;
    texts.trailingTexts = {details_->category, std::string(), details_->options.helpTopic,
                           GetComment()};
    for (const XlfArgDesc& argument : details_->arguments)
        texts.trailingTexts.push_back(argument.GetComment());
    return texts;
}

int XlfFuncDesc::CallRegister(const std::string& moduleName, double macroType, double* registerId,
                              int* answeredError) const {
    const RegisterArguments texts = Arguments(moduleName, macroType);
    if (ThroughExcel12())
        return SendRegister<XlfOper>(texts, &XlfOper::GetXloper12, &XlfExcel::InvokeArray12,
                                     registerId, answeredError);
    return SendRegister<XlfOper4>(texts, &XlfOper4::GetXloper, &XlfExcel::InvokeArray4, registerId,
                                  answeredError);
}

} // namespace xlw
