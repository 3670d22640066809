#include "XlfAbstractCmdDesc.h"

#include "records/ErrorValueText.h"
#include "xlw/XlfExcel.h"

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
    int answeredError = NoErrorAnswer;
    const int code = PerformRegistration(RequiredModuleName(), answeredError);
    ReportRefusal("..\\..\\src\\XlfAbstractCmdDesc(62): ", code, functionText_);
    if (code != xlretSuccess)
        return "Excel returned code " + std::to_string(code);
    if (answeredError == NoErrorAnswer)
        return std::string();
    const std::string refusal = "Excel answered " + ErrorValueText(answeredError);
    std::cerr << "..\\..\\src\\XlfAbstractCmdDesc(62): " << refusal << " while registering "
              << functionText_ << std::endl;
    return refusal;
}

void XlfAbstractCmdDesc::UnregisterFromExcel() const {
    ReportRefusal("..\\..\\src\\XlfAbstractCmdDesc(78): ",
                  PerformUnregistration(RequiredModuleName()), functionText_);
}

} // namespace xlw
