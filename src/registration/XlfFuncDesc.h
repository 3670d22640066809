// The description of one worksheet function, turned into one xlfRegister call.
#pragma once

#include "FuncDescDetails.h"
#include "RegisterArguments.h"
#include "XlfAbstractCmdDesc.h"

#include <memory>
#include <string>

namespace xlw {

class XlfFuncDesc : public XlfAbstractCmdDesc {
public:
    XlfFuncDesc(const std::string& procedureName, const std::string& functionText,
                const std::string& comment, const std::string& category, int recalculationPolicy,
                bool isThreadSafe, const std::string& returnTypeCode,
                const RegistrationOptions& options = RegistrationOptions());
    ~XlfFuncDesc() override;

    void AssignArguments(const XlfArgDescList& arguments);

    // xlfRegister's arguments for this function, as CallRegister sends them.
    RegisterArguments Arguments(const std::string& moduleName, double macroType) const;

    // Sends xlfRegister through the interface the options name and returns
    // its code; stores the register id, or the error Excel answered with,
    // when asked to.
    int CallRegister(const std::string& moduleName, double macroType, double* registerId = nullptr,
                     int* answeredError = nullptr) const;

protected:
    int PerformRegistration(const std::string& moduleName, int& answeredError) const override;
    // Registers the function again as hidden to learn its id, then withdraws it.
    int PerformUnregistration(const std::string& moduleName) const override;

private:
    // Excel12v with Excel 12 texts, or Excel4v with Excel 4 texts.
    bool ThroughExcel12() const;
    std::string TypeText() const;
    std::string ArgumentText() const;

    std::unique_ptr<FuncDescDetails> details_;
    std::string returnTypeCode_;
};

} // namespace xlw
