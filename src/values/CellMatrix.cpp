#include "xlw/CellMatrix.h"

#include <algorithm>

namespace xlw {

CellMatrix::CellMatrix() : rowCount(0), columnCount(0) {}

CellMatrix::CellMatrix(unsigned long rows, unsigned long columns)
    : cells(rows, std::vector<CellValue>(columns)), rowCount(rows), columnCount(columns) {}

CellMatrix::CellMatrix(double x) : cells(1, {CellValue(x)}), rowCount(1), columnCount(1) {}

CellMatrix::CellMatrix(const std::string& text)
    : cells(1, {CellValue(text)}), rowCount(1), columnCount(1) {}

CellMatrix::CellMatrix(const std::wstring& wideText)
    : cells(1, {CellValue(wideText)}), rowCount(1), columnCount(1) {}

CellMatrix::CellMatrix(const char* text) : CellMatrix(std::string(text)) {}

CellMatrix::CellMatrix(int n) : cells(1, {CellValue(n)}), rowCount(1), columnCount(1) {}

CellMatrix::CellMatrix(unsigned long n) : CellMatrix(static_cast<double>(n)) {}

CellMatrix::CellMatrix(const std::vector<double>& values)
    : cells(values.size()), rowCount(values.size()), columnCount(1) {
    for (std::size_t i = 0; i < values.size(); ++i)
        cells[i].push_back(CellValue(values[i]));
}

CellMatrix::CellMatrix(const DoubleMatrix& matrix)
    : cells(matrix.RowCount()), rowCount(matrix.RowCount()), columnCount(matrix.ColumnCount()) {
    for (unsigned long i = 0; i < rowCount; ++i) {
        cells[i].reserve(columnCount);
        for (unsigned long j = 0; j < columnCount; ++j)
            cells[i].push_back(CellValue(matrix(i, j)));
    }
}

const CellValue& CellMatrix::operator()(unsigned long row, unsigned long column) const {
    return cells.at(row).at(column);
}

CellValue& CellMatrix::operator()(unsigned long row, unsigned long column) {
    return cells.at(row).at(column);
}

void CellMatrix::AppendBelow(const CellMatrix& other) {
    CellMatrix below(other);
    const unsigned long width = std::max(columnCount, other.columnCount);
    for (std::vector<CellValue>& row : cells)
        row.resize(width);
    for (std::vector<CellValue>& row : below.cells)
        row.resize(width);
    cells.insert(cells.end(), below.cells.begin(), below.cells.end());
    rowCount = cells.size();
    columnCount = width;
}

CellMatrix StackVertically(const CellMatrix& top, const CellMatrix& bottom) {
    CellMatrix stacked(top.RowCount() + bottom.RowCount(),
                       std::max(top.ColumnCount(), bottom.ColumnCount()));
    for (unsigned long i = 0; i < top.RowCount(); ++i)
        for (unsigned long j = 0; j < top.ColumnCount(); ++j)
            stacked(i, j) = top(i, j);
    for (unsigned long i = 0; i < bottom.RowCount(); ++i)
        for (unsigned long j = 0; j < bottom.ColumnCount(); ++j)
            stacked(top.RowCount() + i, j) = bottom(i, j);
    return stacked;
}

} // namespace xlw
