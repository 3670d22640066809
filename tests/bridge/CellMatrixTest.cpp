#include "xlw/CellMatrix.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

using namespace xlw;

namespace {

void ExpectShape(const CellMatrix& m, unsigned long rows, unsigned long columns) {
    EXPECT_EQ(m.RowCount(), rows);
    EXPECT_EQ(m.ColumnCount(), columns);
    // The counts have to agree with the cells that are really there.
    for (unsigned long i = 0; i < rows; ++i)
        for (unsigned long j = 0; j < columns; ++j)
            EXPECT_NO_THROW(m(i, j)) << i << "," << j;
    EXPECT_THROW(m(rows, 0), std::out_of_range);
    if (rows > 0) {
        EXPECT_THROW(m(0, columns), std::out_of_range);
    }
}

// Number cells marking where each cell came from: 10 * row + column + base.
CellMatrix Numbered(unsigned long rows, unsigned long columns, double base) {
    CellMatrix m(rows, columns);
    for (unsigned long i = 0; i < rows; ++i)
        for (unsigned long j = 0; j < columns; ++j)
            m(i, j) = CellValue(base + 10.0 * i + j);
    return m;
}

} // namespace

TEST(CellMatrix, ShapesOfTheConstructors) {
    ExpectShape(CellMatrix(), 0, 0);
    const CellMatrix empty(2, 3);
    ExpectShape(empty, 2, 3);
    for (unsigned long i = 0; i < 2; ++i)
        for (unsigned long j = 0; j < 3; ++j)
            EXPECT_TRUE(empty(i, j).IsEmptyCell());

    ExpectShape(CellMatrix(std::vector<double>{}), 0, 1);
    const CellMatrix column(std::vector<double>{1.5, 2.5, 3.5});
    ExpectShape(column, 3, 1);
    EXPECT_EQ(column(2, 0).GetNumber(), 3.5);

    DoubleMatrix source(2, 3);
    source(1, 2) = 9.25;
    const CellMatrix fromMatrix(source);
    ExpectShape(fromMatrix, 2, 3);
    EXPECT_EQ(fromMatrix(1, 2).GetNumber(), 9.25);
    EXPECT_EQ(fromMatrix(0, 0).GetNumber(), 0.0);
    ExpectShape(CellMatrix(DoubleMatrix(0, 4)), 0, 4);
    ExpectShape(CellMatrix(DoubleMatrix(3, 0)), 3, 0);
}

TEST(CellMatrix, SingleCellConstructors) {
    const CellMatrix number(7.5);
    ExpectShape(number, 1, 1);
    EXPECT_EQ(number(0, 0).GetNumber(), 7.5);
    EXPECT_THROW(number(0, 0).GetText(), std::runtime_error);

    EXPECT_TRUE(CellMatrix("a")(0, 0).IsStringCell());
    EXPECT_TRUE(CellMatrix(std::string("a"))(0, 0).IsStringCell());
    EXPECT_TRUE(CellMatrix(std::wstring(L"a"))(0, 0).IsWideStringCell());
    EXPECT_EQ(CellMatrix(-4)(0, 0).GetNumber(), -4.0);
    EXPECT_EQ(CellMatrix(4000000000ul)(0, 0).GetNumber(), 4000000000.0);
}

TEST(CellMatrix, AppendBelowWidensTheNarrowerSide) {
    CellMatrix m = Numbered(2, 2, 0);
    m.AppendBelow(Numbered(1, 3, 100));
    ExpectShape(m, 3, 3);
    EXPECT_TRUE(m(0, 2).IsEmptyCell());
    EXPECT_TRUE(m(1, 2).IsEmptyCell());
    EXPECT_EQ(m(1, 1).GetNumber(), 11.0);
    EXPECT_EQ(m(2, 0).GetNumber(), 100.0);
    EXPECT_EQ(m(2, 2).GetNumber(), 102.0);

    CellMatrix wide = Numbered(1, 3, 0);
    wide.AppendBelow(Numbered(2, 1, 100));
    ExpectShape(wide, 3, 3);
    EXPECT_EQ(wide(2, 0).GetNumber(), 110.0);
    EXPECT_TRUE(wide(2, 2).IsEmptyCell());

    CellMatrix self = Numbered(1, 2, 0);
    self.AppendBelow(self);
    ExpectShape(self, 2, 2);
    EXPECT_EQ(self(1, 1).GetNumber(), 1.0);
}

TEST(CellMatrix, StackVerticallyPutsTopRowsFirst) {
    const CellMatrix stacked = StackVertically(Numbered(1, 1, 0), Numbered(2, 3, 100));
    ExpectShape(stacked, 3, 3);
    EXPECT_EQ(stacked(0, 0).GetNumber(), 0.0);
    EXPECT_TRUE(stacked(0, 1).IsEmptyCell());
    EXPECT_TRUE(stacked(0, 2).IsEmptyCell());
    EXPECT_EQ(stacked(1, 0).GetNumber(), 100.0);
    EXPECT_EQ(stacked(2, 2).GetNumber(), 112.0);

    const CellMatrix bottomNarrow = StackVertically(Numbered(1, 2, 0), Numbered(1, 1, 100));
    ExpectShape(bottomNarrow, 2, 2);
    EXPECT_TRUE(bottomNarrow(1, 1).IsEmptyCell());
    ExpectShape(StackVertically(CellMatrix(), CellMatrix()), 0, 0);
}
