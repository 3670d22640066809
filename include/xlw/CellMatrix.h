// Rows x columns of CellValues: the neutral form between program values and
// Excel arrays.
#pragma once

#include "CellValue.h"

#include "DoubleMatrix.h"

#include <string>
#include <vector>

namespace xlw {

class CellMatrix {
public:
    CellMatrix();
    CellMatrix(unsigned long rows, unsigned long columns);
    explicit CellMatrix(double x);
    explicit CellMatrix(const std::string& text);
    explicit CellMatrix(const std::wstring& wideText);
    explicit CellMatrix(const char* text);
    explicit CellMatrix(int n);
    explicit CellMatrix(unsigned long n);
    explicit CellMatrix(const std::vector<double>& values);
    explicit CellMatrix(const DoubleMatrix& matrix);

    // Bounds-tested; std::out_of_range outside the matrix.
    const CellValue& operator()(unsigned long row, unsigned long column) const;
    CellValue& operator()(unsigned long row, unsigned long column);

    unsigned long RowCount() const { return rowCount; }
    unsigned long ColumnCount() const { return columnCount; }

    void AppendBelow(const CellMatrix& other);

private:
    std::vector<std::vector<CellValue>> cells;
    unsigned long rowCount;
    unsigned long columnCount;
};

CellMatrix StackVertically(const CellMatrix& top, const CellMatrix& bottom);

} // namespace xlw
