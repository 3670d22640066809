// The base of every description that registers itself with Excel through
// xlfRegister.
#pragma once

#include "XlfArgDesc.h"

#include <string>

namespace xlw {

class XlfAbstractCmdDesc {
public:
    XlfAbstractCmdDesc(const std::string& procedureName, const std::string& functionText,
                       const std::string& comment);
    virtual ~XlfAbstractCmdDesc() = default;

    const std::string& GetProcedureName() const { return procedureName_; }
    const std::string& GetFunctionText() const { return functionText_; }
    const std::string& GetComment() const { return comment_; }
    const XlfArgDescList& GetArguments() const { return arguments_; }

    void SetProcedureName(const std::string& procedureName) { procedureName_ = procedureName; }
    void SetFunctionText(const std::string& functionText) { functionText_ = functionText; }
    void SetComment(const std::string& comment) { comment_ = comment; }
    void SetArguments(const XlfArgDescList& arguments) { arguments_ = arguments; }

    // Throws std::runtime_error when the add-in's module name is unavailable;
    // a code other than 0 from Excel is only reported as a diagnostic.
    void RegisterWithExcel() const;
    void UnregisterFromExcel() const;

protected:
    // Each returns Excel's return code.
    virtual int PerformRegistration(const std::string& moduleName) const = 0;
    virtual int PerformUnregistration(const std::string& moduleName) const = 0;

private:
    std::string procedureName_;
    std::string functionText_;
    std::string comment_;
    XlfArgDescList arguments_;
};

} // namespace xlw
