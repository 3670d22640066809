#pragma once

#include "MatrixRows.h"

#include <cstdint>
#include <memory>

// A rectangular, zero-filled matrix of doubles: one contiguous row-major block,
// a single allocation whatever its shape. Counts are unsigned 32-bit on every
// platform, so a negative count cast to unsigned behaves as on Win32.
class DoubleMatrix {
public:
    DoubleMatrix(unsigned long rows, unsigned long columns);
    DoubleMatrix(const DoubleMatrix& other);
    DoubleMatrix& operator=(const DoubleMatrix& other);
    // A moved-from matrix is 0 x 0.
    DoubleMatrix(DoubleMatrix&& other) noexcept;
    DoubleMatrix& operator=(DoubleMatrix&& other) noexcept;
    ~DoubleMatrix() = default;

    // A matrix whose elements are left as allocated, for a caller that writes
    // every element before it reads any: large results skip a pass of zeros.
    static DoubleMatrix ForOverwrite(unsigned long rows, unsigned long columns);

    DoubleMatrix& Resize(unsigned long rows, unsigned long columns);

    unsigned long RowCount() const { return rowCount; }
    unsigned long ColumnCount() const { return columnCount; }

    double* operator[](unsigned long i) { return elements.get() + RowOffset(i); }
    const double* operator[](unsigned long i) const { return elements.get() + RowOffset(i); }

    double operator()(unsigned long i, unsigned long j) const { return (*this)[i][j]; }
    double& operator()(unsigned long i, unsigned long j) { return (*this)[i][j]; }

    // Every row, for a generator to write in place.
    MatrixRows Rows() { return MatrixRows(elements.get(), rowCount, columnCount); }

private:
    enum class Fill { Zeros, None };

    std::uint32_t ElementCount() const;
    std::size_t RowOffset(unsigned long i) const {
        return static_cast<std::size_t>(i) * columnCount;
    }
    void Allocate(unsigned long rows, unsigned long columns, Fill fill = Fill::Zeros);

    std::uint32_t rowCount = 0;
    std::uint32_t columnCount = 0;
    std::unique_ptr<double[]> elements;
};
