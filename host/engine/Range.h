// A rectangle of the in-memory sheet, zero-based and inclusive, as in XLREF.
#pragma once

namespace xlhost {

struct Range {
    int rowFirst = 0;
    int rowLast = 0;
    int columnFirst = 0;
    int columnLast = 0;

    int Rows() const { return rowLast - rowFirst + 1; }
    int Columns() const { return columnLast - columnFirst + 1; }
    bool IsSingleCell() const { return Rows() == 1 && Columns() == 1; }
    // Up to 17 179 869 184 for a whole Excel 12 sheet: more than an int holds.
    long long CellCount() const { return static_cast<long long>(Rows()) * Columns(); }
};

} // namespace xlhost
