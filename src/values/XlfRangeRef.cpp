#include "xlw/XlfRangeRef.h"

#include "xlw/XlfOper.h"
#include "xlw/XlfOper4.h"

namespace xlw {

XlfRangeRef::XlfRangeRef(std::int32_t firstRow, std::int32_t firstColumn, std::int32_t lastRow,
                         std::int32_t lastColumn, IDSHEET sheetId)
    : rowBegin_(firstRow), rowEnd_(lastRow + 1), columnBegin_(firstColumn),
      columnEnd_(lastColumn + 1), sheetId_(sheetId) {}

XlfRangeRef::XlfRangeRef(std::int32_t row, std::int32_t column, IDSHEET sheetId)
    : XlfRangeRef(row, column, row, column, sheetId) {}

XlfOper XlfRangeRef::Element(std::int32_t row, std::int32_t column) const {
    XlfOper cell;
    cell.SetRef(XlfRangeRef(rowBegin_ + row, columnBegin_ + column, sheetId_));
    return cell;
}

XlfOper4 XlfRangeRef::Element4(std::int32_t row, std::int32_t column) const {
    XlfOper4 cell;
    cell.SetRef(XlfRangeRef(rowBegin_ + row, columnBegin_ + column, sheetId_));
    return cell;
}

} // namespace xlw
