// What Excel's Add-ins dialog asks the add-in: its long name. Excel may ask
// before xlAutoOpen, so the answer needs neither the callbacks nor temporary
// memory: it is built in static records, which the dialog reads at once.
#include "records/AnsiCodePage.h"
#include "xlw/AddInName.h"
#include "xlw/ExcelApi.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// pxAction 1 asks for the name; anything else has no answer.
template <class Record> bool AsksForTheName(const Record* action) {
    if (action == nullptr)
        return false;
    switch (action->xltype & ~(xlbitXLFree | xlbitDLLFree)) {
    case xltypeNum:
        return action->val.num == 1.0;
    case xltypeInt:
        return action->val.w == 1;
    default:
        return false;
    }
}

template <class Record> Record* ValueError(Record& record) {
    record.val.err = xlerrValue;
    record.xltype = xltypeErr;
    return &record;
}

} // namespace

XLW_EXPORT LPXLOPER XLW_STDCALL xlAddInManagerInfo(LPXLOPER action) {
    static XLOPER answer;
    static char text[256];
    const std::string& name = xlw::AddInName::Declared();
    if (!AsksForTheName(action) || name.empty())
        return ValueError(answer);
    const std::size_t length = std::min<std::size_t>(name.size(), 255);
    text[0] = static_cast<char>(length);
    std::memcpy(text + 1, name.data(), length);
    answer.val.str = text;
    answer.xltype = xltypeStr;
    return &answer;
}

XLW_EXPORT LPXLOPER12 XLW_STDCALL xlAddInManagerInfo12(LPXLOPER12 action) {
    static XLOPER12 answer;
    static std::wstring text;
    const std::string& name = xlw::AddInName::Declared();
    if (!AsksForTheName(action) || name.empty())
        return ValueError(answer);
    const std::wstring wide = xlw::FromAnsiCodePage(name.data(), name.size());
    text.assign(1, static_cast<wchar_t>(std::min<std::size_t>(wide.size(), 32767)));
    text.append(wide, 0, static_cast<std::size_t>(text[0]));
    answer.val.str = &text[0];
    answer.xltype = xltypeStr;
    return &answer;
}
