// Reading and building Excel 4 records (XLOPER), shared by XlfOperImpl4 and
// XlfOper4. Nothing here calls Excel; the two callers differ only in the
// callback path they take and in the source position their diagnostics name.
// Excel12Record.h has the same operations for Excel 12 records.
#pragma once

#include "xlw/ExcelApi.h"

#include <cstddef>
#include <string>

namespace xlw {

class CellMatrix;
class CellValue;
class XlfRangeRef;

// A fresh xltypeNil record in temporary memory.
LPXLOPER NewRecord4();

// The setters overwrite the whole type word, ExcelAllocatedBit included, and
// never release what the record held. Those that need memory take it before
// they write anything, so a std::bad_alloc leaves the record as it was.
void WriteNumber(XLOPER& record, double value);
void WriteInt(XLOPER& record, short value);
void WriteBool(XLOPER& record, bool value);
void WriteError(XLOPER& record, unsigned short code);
void WriteErrorOrInt(XLOPER& record, unsigned short value, bool isError);
// At most 254 bytes; the count byte includes the terminating zero byte.
// A longer text writes `truncationPosition` "String truncated to 254 bytes".
void WriteString(XLOPER& record, const char* text, const char* truncationPosition);
// At most 255 bytes in the ANSI code page, counted without a terminator. A
// longer text writes `truncationPosition` "String truncated to 255 bytes".
void WriteWideString(XLOPER& record, const std::wstring& text, const char* truncationPosition);
// A range that is empty or leaves the Excel 4 sheet (65536 rows, 256
// columns) gives a reference to no cell: a block of no areas.
void WriteRef(XLOPER& record, const XlfRangeRef& range);
// rows x columns xltypeNil elements. std::runtime_error for more than 65535
// rows or columns, before anything is allocated.
void WriteMulti(XLOPER& record, unsigned int rows, unsigned int columns);
// Copies a number, string (deeply), boolean, error or integer into element
// (row, column), whose position is not checked.
void WriteElement(XLOPER& array, unsigned int row, unsigned int column, const XLOPER& value);
// std::runtime_error for more than 65535 rows or, those being fine, more than
// maxColumns (at most 255): the shapes WriteCellMatrix (at 255) and
// WriteNumbers refuse.
void RequireExcel4ArrayShape(std::size_t rows, std::size_t columns, std::size_t maxColumns);
// std::runtime_error for the shapes RequireExcel4ArrayShape refuses, before
// anything is allocated. Strings are cut as WriteString cuts them; wide cells
// give their text in the ANSI code page and empty cells the empty string.
void WriteCellMatrix(XLOPER& record, const CellMatrix& cells, const char* truncationPosition);
// The rows x columns numbers at `values`, row after row, straight into the
// elements: the record WriteCellMatrix makes of number cells, byte for byte.
// Refuses the shapes of RequireExcel4ArrayShape.
void WriteNumbers(XLOPER& record, const double* values, std::size_t rows, std::size_t columns,
                  std::size_t maxColumns);

// XlfException unless the record is an array; the element's position is
// not checked.
LPXLOPER ElementOf(const XLOPER& array, unsigned int row, unsigned int column);
unsigned int RowsOf(const XLOPER& array);
unsigned int ColumnsOf(const XLOPER& array);

// The record must hold the type each reader expects.
char* ReadString(const XLOPER& record);
std::wstring ReadWideString(const XLOPER& record);
// The first area only.
XlfRangeRef ReadRef(const XLOPER& record);
// A reference of no areas, which WriteRef makes of a range off the sheet:
// its conversions fail with xlretFailed, and Excel is never asked about it.
bool RefersToNoCell(const XLOPER& record);
// A number, string, boolean, error or empty value (Missing or Nil) as a cell,
// by `type`, the record's type word or part of it; false for any other type.
bool ReadCell(const XLOPER& record, unsigned int type, CellValue& cell);
// Throws "cell contains neither number nor string nor boolean nor empty" for
// an element that ReadCell refuses.
CellMatrix ReadArray(const XLOPER& array);

} // namespace xlw
