// What the value records of both kinds share apart from their layout:
// temporary memory, array sizes, the order in which an array is read
// into a vector, and reading a cell matrix as numbers.
#pragma once

#include "xlw/XlfOperImpl.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class DoubleMatrix;

namespace xlw {

class CellMatrix;
class CellValue;
class XlfRangeRef;

// The coercion target that turns a single-cell reference into the cell's own
// value: a number, string, boolean, error, or Nil for an empty cell.
constexpr unsigned short CellValueTypes =
    xltypeNum | xltypeStr | xltypeBool | xltypeErr | xltypeNil;

// Temporary memory for a record, string or block; std::bad_alloc for a size
// beyond what TempAlloc can hand out in one piece.
char* TempBytes(std::size_t bytes);

// The bytes of a rows x columns array of records; std::bad_alloc when they
// exceed what temporary memory can hand out in one piece.
std::size_t ArrayBytes(std::size_t rows, std::size_t columns, std::size_t recordSize);

// Builds an array record of either kind: `fill` writes the rows x columns
// elements before the record points at them, so a failure on the way (no
// memory for the elements or for a string in them) leaves the record as it
// was instead of claiming an array it does not have.
template <class Record, class Fill>
void WriteArray(Record& record, std::size_t rows, std::size_t columns, Fill fill) {
    auto* elements =
        reinterpret_cast<Record*>(TempBytes(ArrayBytes(rows, columns, sizeof(Record))));
    fill(elements);
    record.val.array.lparray = elements;
    record.val.array.rows = static_cast<decltype(record.val.array.rows)>(rows);
    record.val.array.columns = static_cast<decltype(record.val.array.columns)>(columns);
    record.xltype = xltypeMulti;
}

// An array's records come from one piece of temporary memory, which holds
// at most 4294967295 bytes: std::runtime_error, naming the shape, for more
// cells of `recordSize` bytes (134217727 cells of an XLOPER12).
void RequireArrayCells(std::size_t rows, std::size_t columns, std::size_t recordSize);

// Arrays built from cells or numbers stop at 255 columns under both record
// kinds, one short of an Excel 4 sheet's 256, unless built to the sheet's
// width, which under Excel 12 records is 16384 columns.
constexpr std::size_t ClassicArrayColumns = 255;
constexpr std::size_t Excel12SheetColumns = 16384;
// An array result spills into the sheet, so it can be no taller than the
// sheet: Excel shows #SPILL! for one that runs over its edge.
constexpr std::size_t Excel12SheetRows = 1048576;
// An Excel 4 array's counts are 16-bit: a larger count would reach Excel cut
// to its low bits, as a different, smaller array.
constexpr std::size_t Excel4ArrayCount = 65535;

// std::runtime_error for more than maxColumns, so that no column is dropped
// without a word.
void RequireArrayColumns(std::size_t columns, std::size_t maxColumns);

// The length of a text that a record keeps: at most `limit`. A longer text
// writes `message` after the source position `position` to std::cerr, once.
std::size_t LengthWithinLimit(std::size_t length, std::size_t limit, const char* position,
                              const char* message);

// OneDimensional accepts a single row or a single column only.
bool FitsReadOrder(VectorReadOrder order, std::size_t rows, std::size_t columns);
// Where element (row, column) lands in the vector.
std::size_t ReadOrderIndex(VectorReadOrder order, std::size_t row, std::size_t column,
                           std::size_t rows, std::size_t columns);

// A number truncated toward zero, then cut to its low 16 bits (40000.0 gives
// -25536); 0 for NaN and the infinities, which have no integer.
short LowSixteenBits(double number);

// The most cells a range is read with, one coercion each: a whole column of
// an Excel 12 sheet. Its cells take some hundred megabytes as a CellMatrix;
// a whole Excel 4 sheet (2^24 cells) would take gigabytes, and an Excel 12
// one (2^34) more than any process has.
constexpr std::uint64_t MaxRangeCells = 1048576;

// std::runtime_error, worded for the worksheet, for a range of more than
// MaxRangeCells cells ("the range of 1048576 rows and 16384 columns is too
// large to read: it has more than 1048576 cells") or one that ends before
// it begins. Counted in 64 bits: Excel 12's 2^34 cells wrap a 32-bit size_t.
void RequireReadableRange(const XlfRangeRef& range);

// Reads the cells of a range one at a time: readCell converts the cell at
// (row, column) of the range and returns its code. The first failing code
// is returned at once, with the cells before it already stored. Both throw
// what RequireReadableRange throws before anything is allocated or read.
using DoubleCellReader = std::function<int(std::int32_t, std::int32_t, double&)>;
using CellReader = std::function<int(std::int32_t, std::int32_t, CellValue&)>;
// Refuses a range that is neither one row nor one column under OneDimensional.
int ReadRangeAsDoubles(const XlfRangeRef& range, VectorReadOrder order, std::vector<double>& out,
                       const DoubleCellReader& readCell);
int ReadRangeAsCells(const XlfRangeRef& range, CellMatrix& out, const CellReader& readCell);

// Every cell must be a number: xlretFailed at the first that is not, with
// the numbers before it stored.
int ReadCellsAsNumbers(const CellMatrix& cells, DoubleMatrix& out);

} // namespace xlw
