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

    // Throws std::runtime_error when the add-in's module name is unavailable.
    // Gives why Excel refused the function, or an empty text when it took it:
    // Excel refuses with a return code other than 0, or with return code 0
    // and an error value (#VALUE!) as its answer. A procedure that the loaded
    // module does not export is refused by name before Excel is asked. A
    // refusal is also written as a diagnostic.
    std::string RegisterWithExcel() const;
    // A code other than 0 from Excel is only reported as a diagnostic.
    void UnregisterFromExcel() const;

protected:
    // Each returns Excel's return code. `answeredError` gets the error code
    // that Excel answered with, or NoErrorAnswer when its answer was none.
    virtual int PerformRegistration(const std::string& moduleName, int& answeredError) const = 0;
    virtual int PerformUnregistration(const std::string& moduleName) const = 0;
    static constexpr int NoErrorAnswer = -1;

private:
    // Writes the refusal as a diagnostic and gives it back.
    std::string Refused(const std::string& refusal) const;

    std::string procedureName_;
    std::string functionText_;
    std::string comment_;
    XlfArgDescList arguments_;
};

} // namespace xlw
