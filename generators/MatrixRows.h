#pragma once

#include <cstddef>

// rows x columns doubles, row after row in one block that another owns (a
// DoubleMatrix, a numpy array, a part of either): where a generator writes
// its result in place, so that stacked results are one allocation, uncopied.
class MatrixRows {
public:
    MatrixRows(double* first, unsigned long rows, unsigned long columns)
        : first_(first), rows_(rows), columns_(columns) {}

    unsigned long RowCount() const { return rows_; }
    unsigned long ColumnCount() const { return columns_; }

    double* operator[](unsigned long i) const {
        return first_ + static_cast<std::size_t>(i) * columns_;
    }

    // Rows from ... from + count - 1 of these.
    MatrixRows Rows(unsigned long from, unsigned long count) const {
        return MatrixRows((*this)[from], count, columns_);
    }

private:
    double* first_;
    unsigned long rows_;
    unsigned long columns_;
};
