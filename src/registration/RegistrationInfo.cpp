#include "RegistrationInfo.h"

#include "RegistrationInfoName.h"
#include "XlfArgDesc.h"
#include "XlfFuncDesc.h"
#include "excel/OwnModulePath.h"
#include "records/ErrorValueText.h"
#include "xlw/CellMatrix.h"
#include "xlw/TypeCodes.h"
#include "xlw/XlfExcel.h"

#include <windows.h>

#include <iostream>

namespace xlw {

namespace {

constexpr const char* Procedure = "xlwRegistrationInfo";
constexpr double HiddenMacroType = 0.0;
// The server reads rows of xlfRegister's 255 arguments at most.
constexpr std::size_t TableColumns = 255;

// Milliseconds since 1601 from the system clock: a version that a later
// opening of the add-in, in this process or a new one, exceeds, as the
// server expects of a version it has seen. Exact in a double (below 2^53).
double ClockVersion() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const unsigned long long ticks =
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<double>(ticks / 10000);
}

// CellMatrix writes an empty cell as an empty text; the server reads an
// entry with nothing to say as Nil.
void EmptyTextsAsNil(XlfOper& answer) {
    LPXLOPER12 record = answer.GetXloper12();
    if (record == nullptr || (record->xltype & xltypeMulti) == 0)
        return;
    const std::size_t count = static_cast<std::size_t>(record->val.array.rows) *
                              static_cast<std::size_t>(record->val.array.columns);
    for (std::size_t i = 0; i < count; ++i) {
        XLOPER12& element = record->val.array.lparray[i];
        if (element.xltype == xltypeStr && element.val.str[0] == 0)
            element.xltype = xltypeNil;
    }
}

} // namespace

RegistrationInfo& RegistrationInfo::Get() {
    static RegistrationInfo info;
    return info;
}

// The server runs in Excel 2010 and later and calls the function with Excel
// 12 records ("QQ"); an Excel with Excel 4 records alone has no server to
// call it, so the name is not added there.
void RegistrationInfo::Register(const FunctionRegistry& registry) {
    if (!XlfExcel::Get().IsExcel12())
        return;
    registry_ = &registry;
    // Within one process two openings may fall in one millisecond.
    const double now = ClockVersion();
    version_ = now > version_ ? now : version_ + 1;
    RegistrationOptions options;
    XlfFuncDesc description(Procedure, RegistrationInfoName(OwnModulePath()),
                            "describes this add-in's functions to the in-cell help", "", 0, false,
                            TypeCodes::Excel12Value, options);
    description.AssignArguments(
        {XlfArgDesc("version", "the version seen last, or -1", TypeCodes::Excel12Value)});
    int answeredError = -1;
    const int code = description.CallRegister(XlfExcel::Get().ModuleName(), HiddenMacroType,
                                              nullptr, &answeredError);
    if (code != xlretSuccess || answeredError != -1)
        std::cerr << "..\\..\\src\\RegistrationInfo: Excel refused " << Procedure << " (code "
                  << code << (answeredError != -1 ? ", " + ErrorValueText(answeredError) : "")
                  << ")" << std::endl;
}

XlfOper RegistrationInfo::Answer(double version) const {
    if (registry_ == nullptr || registry_->Registered().empty())
        return XlfOper::MakeError(xlerrNA);
    if (version == version_)
        return XlfOper::MakeError(xlerrNum);
    const std::vector<RegisterArguments>& registered = registry_->Registered();
    CellMatrix table(registered.size() + 1, TableColumns);
    table(0, 0) = CellValue(OwnModulePath());
    table(0, 1) = CellValue(version_);
    for (std::size_t row = 1; row <= registered.size(); ++row) {
        const RegisterArguments& sent = registered[row - 1];
        std::size_t column = 1;
        for (std::size_t i = 1; i < sent.leadingTexts.size(); ++i)
            table(row, column++) = CellValue(sent.leadingTexts[i]);
        table(row, column++) = CellValue(sent.macroType);
        for (std::size_t i = 0; i < sent.trailingTexts.size() && column < TableColumns; ++i)
            table(row, column++) = CellValue(sent.trailingTexts[i]);
    }
    XlfOper answer(table);
    EmptyTextsAsNil(answer);
    return answer;
}

} // namespace xlw
