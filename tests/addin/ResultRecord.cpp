#include "ResultRecord.h"

#include "xlw/ExcelApi.h"

#include <type_traits>

namespace {

// The count is the first character, read as unsigned: Excel 4 counts reach
// 255. A counted zero ends the text, as Excel reads it: the framework counts
// the terminating zero of an Excel 4 string.
template <class Character> std::string CountedText(const Character* counted) {
    using Count = std::make_unsigned_t<Character>;
    std::string text;
    for (unsigned i = 1; i <= static_cast<Count>(counted[0]) && counted[i] != 0; ++i)
        text += static_cast<char>(counted[i]);
    return text;
}

template <class Record> ResultRecord Read(const Record& record) {
    ResultRecord result;
    result.type = record.xltype;
    switch (record.xltype & ~(xlbitXLFree | xlbitDLLFree)) {
    case xltypeNum:
        result.number = record.val.num;
        break;
    case xltypeStr:
        result.text = CountedText(record.val.str);
        break;
    case xltypeBool:
        result.flag = record.val.xbool != 0;
        break;
    case xltypeErr:
        result.error = record.val.err;
        break;
    case xltypeMulti:
        result.rows = static_cast<unsigned>(record.val.array.rows);
        result.columns = static_cast<unsigned>(record.val.array.columns);
        for (unsigned i = 0; i < result.rows * result.columns; ++i) {
            result.elementTypes.push_back(record.val.array.lparray[i].xltype);
            result.numbers.push_back(record.val.array.lparray[i].val.num);
        }
        break;
    default:
        break;
    }
    return result;
}

} // namespace

ResultRecord ReadRecord(const void* record, bool excel12Records) {
    if (excel12Records)
        return Read(*static_cast<const XLOPER12*>(record));
    return Read(*static_cast<const XLOPER*>(record));
}
