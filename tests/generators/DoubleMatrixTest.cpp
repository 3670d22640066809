#include "DoubleMatrix.h"

#include <gtest/gtest.h>

#include <new>
#include <utility>

namespace {

void ExpectAllZero(const DoubleMatrix& matrix) {
    for (unsigned long i = 0; i < matrix.RowCount(); ++i)
        for (unsigned long j = 0; j < matrix.ColumnCount(); ++j)
            EXPECT_EQ(matrix(i, j), 0.0) << i << ", " << j;
}

DoubleMatrix Numbered(unsigned long rows, unsigned long columns) {
    DoubleMatrix matrix(rows, columns);
    for (unsigned long i = 0; i < rows; ++i)
        for (unsigned long j = 0; j < columns; ++j)
            matrix(i, j) = 10.0 * i + j + 1;
    return matrix;
}

void ExpectNumbered(const DoubleMatrix& matrix, unsigned long rows, unsigned long columns) {
    ASSERT_EQ(matrix.RowCount(), rows);
    ASSERT_EQ(matrix.ColumnCount(), columns);
    for (unsigned long i = 0; i < rows; ++i)
        for (unsigned long j = 0; j < columns; ++j)
            EXPECT_EQ(matrix(i, j), 10.0 * i + j + 1) << i << ", " << j;
}

TEST(DoubleMatrix, KeepsItsCountsWithoutElements) {
    const struct { unsigned long rows, columns; } cases[] = {{0, 0}, {3, 0}, {0, 5}};
    for (const auto& c : cases) {
        const DoubleMatrix matrix(c.rows, c.columns);
        EXPECT_EQ(matrix.RowCount(), c.rows);
        EXPECT_EQ(matrix.ColumnCount(), c.columns);
        DoubleMatrix copy(matrix);
        copy = matrix;
        copy.Resize(c.rows, c.columns);
        EXPECT_EQ(copy.RowCount(), c.rows);
        EXPECT_EQ(copy.ColumnCount(), c.columns);
    }
}

TEST(DoubleMatrix, IsZeroFilledAndRowMajorInOneBlock) {
    DoubleMatrix matrix(2, 3);
    ExpectAllZero(matrix);
    EXPECT_EQ(matrix[1], matrix[0] + 3);
    EXPECT_EQ(&matrix(1, 2), &matrix[0][0] + 5);
    matrix[1][2] = 7.5;
    EXPECT_EQ(matrix(1, 2), 7.5);
    const DoubleMatrix& constant = matrix;
    EXPECT_EQ(constant[1][2], 7.5);
}

TEST(DoubleMatrix, ResizeKeepsContentsOnlyForTheSameCounts) {
    DoubleMatrix matrix = Numbered(3, 2);
    matrix.Resize(3, 2);
    ExpectNumbered(matrix, 3, 2);

    matrix.Resize(2, 3);
    EXPECT_EQ(matrix.RowCount(), 2u);
    EXPECT_EQ(matrix.ColumnCount(), 3u);
    ExpectAllZero(matrix);

    matrix = Numbered(2, 3);
    matrix.Resize(4, 0);
    EXPECT_EQ(matrix.RowCount(), 4u);
    EXPECT_EQ(matrix.ColumnCount(), 0u);
    matrix.Resize(1, 1);
    ExpectAllZero(matrix);
}

TEST(DoubleMatrix, CopiesAreDeep) {
    const DoubleMatrix original = Numbered(2, 2);
    DoubleMatrix copy(original);
    copy(0, 0) = -1.0;
    ExpectNumbered(original, 2, 2);

    DoubleMatrix assigned(3, 1);
    assigned = original;
    ExpectNumbered(assigned, 2, 2);
    assigned(1, 1) = -1.0;
    ExpectNumbered(original, 2, 2);

    DoubleMatrix sameShape(2, 2);
    sameShape = original;
    ExpectNumbered(sameShape, 2, 2);

    DoubleMatrix emptied = Numbered(2, 2);
    emptied = DoubleMatrix(0, 0);
    EXPECT_EQ(emptied.RowCount(), 0u);
    EXPECT_EQ(emptied.ColumnCount(), 0u);
}

TEST(DoubleMatrix, AssigningToItselfChangesNothing) {
    DoubleMatrix matrix = Numbered(3, 4);
    const double* const block = &matrix(0, 0);
    DoubleMatrix& alias = matrix;
    matrix = alias;
    ExpectNumbered(matrix, 3, 4);
    EXPECT_EQ(&matrix(0, 0), block);
}

TEST(DoubleMatrix, MovedFromMatrixIsEmpty) {
    DoubleMatrix source = Numbered(2, 3);
    DoubleMatrix target(std::move(source));
    ExpectNumbered(target, 2, 3);
    EXPECT_EQ(source.RowCount(), 0u);
    EXPECT_EQ(source.ColumnCount(), 0u);

    source = std::move(target);
    ExpectNumbered(source, 2, 3);
    EXPECT_EQ(target.RowCount(), 0u);
    target = source;
    ExpectNumbered(target, 2, 3);
}

// The add-in is 32-bit: element counts and byte sizes beyond 32 bits cannot be
// allocated, and a negative count arrives as 2^32 - |count|.
TEST(DoubleMatrix, RefusesCountsBeyondThirtyTwoBits) {
    EXPECT_THROW(DoubleMatrix(65536, 65536), std::bad_alloc);
    EXPECT_THROW(DoubleMatrix(0x20000000, 1), std::bad_alloc);
    EXPECT_THROW(DoubleMatrix(1, 0x20000000), std::bad_alloc);
    EXPECT_THROW(DoubleMatrix(static_cast<unsigned long>(-1), 2), std::bad_alloc);

    const DoubleMatrix negativeRows(static_cast<unsigned long>(-1), 0);
    EXPECT_EQ(negativeRows.RowCount(), 4294967295u);
    EXPECT_EQ(negativeRows.ColumnCount(), 0u);

    DoubleMatrix kept = Numbered(2, 2);
    EXPECT_THROW(kept.Resize(65536, 65536), std::bad_alloc);
    ExpectNumbered(kept, 2, 2);
}

} // namespace
