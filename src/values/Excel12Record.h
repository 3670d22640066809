// Reading and building Excel 12 records (XLOPER12) for XlfOperImpl12: the
// operations of Excel4Record.h with 32-bit counts and values and counted
// 16-bit strings.
#pragma once

#include "xlw/ExcelApi.h"

#include <cstddef>
#include <string>

namespace xlw {

class CellMatrix;
class CellValue;
class XlfRangeRef;

// A fresh xltypeNil record in temporary memory.
LPXLOPER12 NewRecord12();

// The setters overwrite the whole type word, ExcelAllocatedBit included, and
// never release what the record held. Those that need memory take it before
// they write anything, so a std::bad_alloc leaves the record as it was.
void WriteNumber(XLOPER12& record, double value);
void WriteInt(XLOPER12& record, short value);
void WriteBool(XLOPER12& record, bool value);
// Zero-extended: the code is an unsigned 16-bit value.
void WriteError(XLOPER12& record, unsigned short code);
// Sign-extended, errors included: above 0x7FFF the two error setters differ.
void WriteErrorOrInt(XLOPER12& record, unsigned short value, bool isError);
// The bytes converted from the ANSI code page, counted without a terminator.
// At most 32767 characters, Excel's limit: a longer text is cut with the
// diagnostic "String truncated to 32767 characters".
void WriteString(XLOPER12& record, const char* text);
// Every character, counted without a terminator; a zero character ends the
// copy and the rest of the count is zero characters. Cut as WriteString cuts.
void WriteWideString(XLOPER12& record, const std::wstring& text);
void WriteRef(XLOPER12& record, const XlfRangeRef& range);
void WriteMulti(XLOPER12& record, unsigned int rows, unsigned int columns);
// Copies a number, string (deeply), boolean, error or integer into element
// (row, column), whose position is not checked.
void WriteElement(XLOPER12& array, unsigned int row, unsigned int column, const XLOPER12& value);
// std::runtime_error for more than maxColumns columns or more rows than the
// sheet has (1048576): the shapes WriteCellMatrix (at 255 columns, as under
// Excel 4) and WriteNumbers refuse.
void RequireExcel12ArrayShape(std::size_t rows, std::size_t columns, std::size_t maxColumns);
// std::runtime_error for the shapes RequireExcel12ArrayShape refuses, before
// anything is allocated; wide cells stay wide and empty cells give the empty
// string. Strings are cut as WriteString cuts them.
void WriteCellMatrix(XLOPER12& record, const CellMatrix& cells);
// The rows x columns numbers at `values`, row after row, straight into the
// elements: the record WriteCellMatrix makes of number cells, byte for byte.
// Refuses the shapes of RequireExcel12ArrayShape.
void WriteNumbers(XLOPER12& record, const double* values, std::size_t rows, std::size_t columns,
                  std::size_t maxColumns);

// XlfException unless the record is an array; the element's position is
// not checked.
LPXLOPER12 ElementOf(const XLOPER12& array, unsigned int row, unsigned int column);
unsigned int RowsOf(const XLOPER12& array);
unsigned int ColumnsOf(const XLOPER12& array);

// The record must hold the type each reader expects.
char* ReadString(const XLOPER12& record);
std::wstring ReadWideString(const XLOPER12& record);
// The first area only.
XlfRangeRef ReadRef(const XLOPER12& record);
// A number, wide string, boolean, error or empty value (Missing or Nil) as a
// cell, by `type`, the record's type word or part of it; false for any other.
bool ReadCell(const XLOPER12& record, unsigned int type, CellValue& cell);
// Throws "cell contains neither number nor string nor boolean nor empty" for
// an element that ReadCell refuses.
CellMatrix ReadArray(const XLOPER12& array);

} // namespace xlw
