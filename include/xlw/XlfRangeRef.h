// A rectangle of cells on one sheet, with exclusive ends.
#pragma once

#include "ExcelApi.h"

#include <cstdint>

namespace xlw {

class XlfOper;
class XlfOper4;

class XlfRangeRef {
public:
    // Cleared: all five fields 0.
    XlfRangeRef() = default;
    // The last row and column are inclusive.
    XlfRangeRef(std::int32_t firstRow, std::int32_t firstColumn, std::int32_t lastRow,
                std::int32_t lastColumn, IDSHEET sheetId);
    // One cell.
    XlfRangeRef(std::int32_t row, std::int32_t column, IDSHEET sheetId);

    std::int32_t RowBegin() const { return rowBegin_; }
    std::int32_t RowEnd() const { return rowEnd_; }
    std::int32_t ColumnBegin() const { return columnBegin_; }
    std::int32_t ColumnEnd() const { return columnEnd_; }
    IDSHEET SheetId() const { return sheetId_; }
    std::int32_t RowCount() const { return rowEnd_ - rowBegin_; }
    std::int32_t ColumnCount() const { return columnEnd_ - columnBegin_; }

    // A new single-cell reference record, relative to the range's first cell,
    // in the current record kind (Element) or as an Excel 4 record (Element4).
    // The cell is not checked against the range.
    XlfOper Element(std::int32_t row, std::int32_t column) const;
    XlfOper4 Element4(std::int32_t row, std::int32_t column) const;

private:
    std::int32_t rowBegin_ = 0;
    std::int32_t rowEnd_ = 0;
    std::int32_t columnBegin_ = 0;
    std::int32_t columnEnd_ = 0;
    IDSHEET sheetId_ = 0;
};

} // namespace xlw
