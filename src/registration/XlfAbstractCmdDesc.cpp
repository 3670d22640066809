#include "XlfAbstractCmdDesc.h"

#include "records/ErrorValueText.h"
#include "xlw/XlfExcel.h"

#include <windows.h>

#include <iostream>
#include <stdexcept>

namespace xlw {

namespace {

std::string RequiredModuleName() {
    std::string moduleName = XlfExcel::Get().ModuleName();
    if (moduleName.empty())
        throw std::runtime_error("Could not get library name");
    return moduleName;
}

// Excel looks the procedure up in the module it is given, and answers only
// #VALUE! for a name that module does not export. A module that is not
// loaded under that name (a short 8.3 path) is left for Excel to look in.
bool ModuleLacksProcedure(const std::string& moduleName, const std::string& procedureName) {
    const HMODULE module = GetModuleHandleA(moduleName.c_str());
    return module != nullptr && GetProcAddress(module, procedureName.c_str()) == nullptr;
}

void ReportRefusal(const char* sourcePosition, int code, const std::string& functionText) {
    if (code != xlretSuccess)
        std::cerr << sourcePosition << "Error " << code << " while registering " << functionText
                  << std::endl;
}

} // namespace

XlfAbstractCmdDesc::XlfAbstractCmdDesc(const std::string& procedureName,
                                       const std::string& functionText, const std::string& comment)
    : procedureName_(procedureName), functionText_(functionText), comment_(comment) {}

std::string XlfAbstractCmdDesc::RegisterWithExcel() const {
    const std::string moduleName = RequiredModuleName();
    if (ModuleLacksProcedure(moduleName, procedureName_))
        return Refused("the add-in exports no procedure " + procedureName_);
    int answeredError = NoErrorAnswer;
    const int code = PerformRegistration(moduleName, answeredError);
    ReportRefusal("..\\..\\src\\XlfAbstractCmdDesc(62): ", code, functionText_);
    if (code != xlretSuccess)
        return "Excel returned code " + std::to_string(code);
    if (answeredError == NoErrorAnswer)
        return std::string();
    return Refused("Excel answered " + ErrorValueText(answeredError));
}

std::string XlfAbstractCmdDesc::Refused(const std::string& refusal) const {
    std::cerr << "..\\..\\src\\XlfAbstractCmdDesc(62): " << refusal << " while registering "
              << functionText_ << std::endl;
    return refusal;
}

void XlfAbstractCmdDesc::UnregisterFromExcel() const {
    ReportRefusal("..\\..\\src\\XlfAbstractCmdDesc(78): ",
                  PerformUnregistration(RequiredModuleName()), functionText_);
}

} // namespace xlw
