// A static object per worksheet function: its constructor appends the
// function's record to the registry while the module loads, before Excel
// calls xlAutoOpen. The codes are texts of TypeCodes.h: one per argument in
// the table of argumentCount entries, and returnTypeCode for the result,
// where the empty TypeCodes::ValueResult means the value record of the
// running Excel. WorksheetFunction works all of them out from the entry
// point instead, and is the safer way to register.
#pragma once

#include "ArgumentSpec.h"

#include <string>

namespace xlw {

// Which of Excel's interfaces registers the function: the running Excel's
// own, Excel12v with Excel 12 texts from Excel 2007 on, or Excel4v with
// Excel 4 texts whatever the Excel, for a function whose registration must
// stay as add-ins made it before Excel 2007.
enum class RegistrationInterface { RunningExcel, Excel4 };

struct RegistrationOptions {
    RegistrationInterface through = RegistrationInterface::RunningExcel;
    // "&" from Excel 2010 on, through Excel12v alone: the function may run
    // on a compute cluster's node. One that takes a reference (R, U), an
    // XLOPER (P) or is macro-sheet equivalent is refused before Excel is
    // asked, as Excel would refuse it.
    bool isClusterSafe = false;
    // "#": the function may call what only macro sheets may.
    bool isMacroSheetEquivalent = false;
    // What the function wizard's "Help on this function" opens, as
    // xlfRegister takes it: "C:\help\my.chm!1001", or a web address
    // followed by "!0". Empty: no help topic.
    std::string helpTopic = std::string();
};

class FunctionRegistrar {
public:
    FunctionRegistrar(const std::string& functionName, const std::string& excelName,
                      const std::string& helpText, const std::string& category,
                      const ArgumentSpec* arguments, int argumentCount, bool isVolatile,
                      bool isThreadSafe, const std::string& returnTypeCode,
                      const RegistrationOptions& options = RegistrationOptions());
};

} // namespace xlw
