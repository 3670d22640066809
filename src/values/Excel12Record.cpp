#include "Excel12Record.h"

#include "ValueHelpers.h"
#include "records/AnsiCodePage.h"
#include "records/XltypeName.h"
#include "xlw/CellMatrix.h"
#include "xlw/XlfException.h"
#include "xlw/XlfRangeRef.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <stdexcept>
#include <string>

namespace xlw {

namespace {

// Excel's limit for a text; the 16-bit count would wrap at 65536.
constexpr std::size_t MaxStringCharacters = 32767;
constexpr const char* TruncationPosition = "..\\..\\src\\XlfOperImpl12(163): ";
constexpr const char* TruncationMessage = "String truncated to 32767 characters";

XCHAR* NewCountedString(std::size_t length) {
    return reinterpret_cast<XCHAR*>(TempBytes((length + 1) * sizeof(XCHAR)));
}

void WriteCell(XLOPER12& record, const CellValue& cell) {
    if (cell.IsNumberCell())
        WriteNumber(record, cell.GetNumber());
    else if (cell.IsStringCell())
        WriteString(record, cell.GetText().c_str());
    else if (cell.IsWideStringCell())
        WriteWideString(record, cell.GetWideText());
    else if (cell.IsBooleanCell())
        WriteBool(record, cell.GetBoolean());
    else if (cell.IsErrorCell())
        WriteErrorOrInt(record, static_cast<unsigned short>(cell.GetErrorCode()), true);
    else
        WriteString(record, "");
}

} // namespace

LPXLOPER12 NewRecord12() {
    auto* record = reinterpret_cast<LPXLOPER12>(TempBytes(sizeof(XLOPER12)));
    record->xltype = xltypeNil;
    return record;
}

void WriteNumber(XLOPER12& record, double value) {
    // The bytes the number leaves unused are zero, not whatever the memory
    // held, so that equal arrays are equal byte for byte.
    std::memset(&record, 0, sizeof record);
    record.xltype = xltypeNum;
    record.val.num = value;
}

void WriteInt(XLOPER12& record, short value) {
    record.xltype = xltypeInt;
    record.val.w = value;
}

void WriteBool(XLOPER12& record, bool value) {
    record.xltype = xltypeBool;
    record.val.xbool = value ? 1 : 0;
}

void WriteError(XLOPER12& record, unsigned short code) {
    record.xltype = xltypeErr;
    record.val.err = code;
}

void WriteErrorOrInt(XLOPER12& record, unsigned short value, bool isError) {
    if (isError) {
        record.xltype = xltypeErr;
        record.val.err = static_cast<short>(value);
    } else {
        WriteInt(record, static_cast<short>(value));
    }
}

void WriteString(XLOPER12& record, const char* text) {
    std::wstring characters = FromAnsiCodePage(text, std::strlen(text));
    std::size_t length = LengthWithinLimit(characters.size(), MaxStringCharacters,
                                           TruncationPosition, TruncationMessage);
    XCHAR* buffer = NewCountedString(length);
    record.val.str = buffer;
    record.xltype = xltypeStr;
    std::copy(characters.begin(), characters.begin() + length, buffer + 1);
    buffer[0] = static_cast<XCHAR>(length);
}

void WriteWideString(XLOPER12& record, const std::wstring& text) {
    std::size_t length =
        LengthWithinLimit(text.size(), MaxStringCharacters, TruncationPosition, TruncationMessage);
    XCHAR* buffer = NewCountedString(length);
    std::wcsncpy(buffer + 1, text.c_str(), length);
    buffer[0] = static_cast<XCHAR>(length);
    record.val.str = buffer;
    record.xltype = xltypeStr;
}

void WriteRef(XLOPER12& record, const XlfRangeRef& range) {
    auto* block = reinterpret_cast<XLMREF12*>(TempBytes(sizeof(XLMREF12)));
    block->count = 1;
    block->reftbl[0].rwFirst = range.RowBegin();
    block->reftbl[0].rwLast = range.RowEnd() - 1;
    block->reftbl[0].colFirst = range.ColumnBegin();
    block->reftbl[0].colLast = range.ColumnEnd() - 1;
    record.val.mref.lpmref = block;
    record.val.mref.idSheet = range.SheetId();
    record.xltype = xltypeRef;
}

void WriteMulti(XLOPER12& record, unsigned int rows, unsigned int columns) {
    WriteArray(record, rows, columns, [&](XLOPER12* elements) {
        for (std::size_t i = 0; i < std::size_t(rows) * columns; ++i)
            elements[i].xltype = xltypeNil;
    });
}

void WriteElement(XLOPER12& array, unsigned int row, unsigned int column, const XLOPER12& value) {
    XLOPER12& element = *ElementOf(array, row, column);
    switch (value.xltype) {
    case xltypeNum:
        element.val.num = value.val.num;
        break;
    case xltypeStr: {
        std::size_t count = value.val.str[0];
        XCHAR* copy = NewCountedString(count);
        std::copy(value.val.str, value.val.str + count + 1, copy);
        element.val.str = copy;
        break;
    }
    case xltypeBool:
    case xltypeErr:
    case xltypeInt:
        element.val.w = value.val.w;
        break;
    default:
        throw XlfException("attempt to set a matrix element to a value of type " +
                           XltypeName(value.xltype));
    }
    element.xltype = value.xltype;
}

void RequireExcel12ArrayShape(std::size_t rows, std::size_t columns, std::size_t maxColumns) {
    if (rows > Excel12SheetRows)
        throw std::runtime_error("an array holds at most 1048576 rows, the sheet's height; " +
                                 std::to_string(rows) + " were asked for");
    RequireArrayColumns(columns, maxColumns);
}

void WriteCellMatrix(XLOPER12& record, const CellMatrix& cells) {
    const std::size_t rows = cells.RowCount();
    const std::size_t columns = cells.ColumnCount();
    RequireExcel12ArrayShape(rows, columns, ClassicArrayColumns);
    WriteArray(record, rows, columns, [&](XLOPER12* elements) {
        for (std::size_t i = 0; i < rows; ++i)
            for (std::size_t j = 0; j < columns; ++j)
                WriteCell(elements[i * columns + j], cells(i, j));
    });
}

void WriteNumbers(XLOPER12& record, const double* values, std::size_t rows, std::size_t columns,
                  std::size_t maxColumns) {
    RequireExcel12ArrayShape(rows, columns, maxColumns);
    WriteArray(record, rows, columns, [&](XLOPER12* elements) {
        for (std::size_t k = 0; k < rows * columns; ++k)
            WriteNumber(elements[k], values[k]);
    });
}

LPXLOPER12 ElementOf(const XLOPER12& array, unsigned int row, unsigned int column) {
    RequireMulti(array.xltype);
    return array.val.array.lparray +
           std::size_t(row) * static_cast<std::uint32_t>(array.val.array.columns) + column;
}

unsigned int RowsOf(const XLOPER12& array) {
    RequireMulti(array.xltype);
    return static_cast<unsigned int>(array.val.array.rows);
}

unsigned int ColumnsOf(const XLOPER12& array) {
    RequireMulti(array.xltype);
    return static_cast<unsigned int>(array.val.array.columns);
}

char* ReadString(const XLOPER12& record) {
    std::size_t count = record.val.str[0];
    std::string bytes = ToAnsiCodePage(record.val.str + 1, count);
    char* text = TempBytes(bytes.size() + 1);
    std::memcpy(text, bytes.data(), bytes.size());
    text[bytes.size()] = '\0';
    return text;
}

std::wstring ReadWideString(const XLOPER12& record) {
    std::size_t count = record.val.str[0];
    XCHAR* text = NewCountedString(count);
    std::copy(record.val.str + 1, record.val.str + 1 + count, text);
    text[count] = L'\0';
    return text;
}

XlfRangeRef ReadRef(const XLOPER12& record) {
    const XLREF12& area = record.val.mref.lpmref->reftbl[0];
    return XlfRangeRef(area.rwFirst, area.colFirst, area.rwLast, area.colLast,
                       record.val.mref.idSheet);
}

bool ReadCell(const XLOPER12& record, unsigned int type, CellValue& cell) {
    switch (type) {
    case xltypeMissing:
    case xltypeNil:
        cell = CellValue();
        return true;
    case xltypeNum:
        cell = CellValue(record.val.num);
        return true;
    case xltypeBool:
        // Unlike ConvertToBool's "not 0"; the two agree on Excel's 0 and 1.
        cell = CellValue(record.val.xbool > 0);
        return true;
    case xltypeErr:
        cell = CellValue(static_cast<unsigned long>(record.val.err), true);
        return true;
    case xltypeStr:
        cell = CellValue(std::wstring(record.val.str + 1, record.val.str[0]));
        return true;
    default:
        return false;
    }
}

CellMatrix ReadArray(const XLOPER12& array) {
    CellMatrix cells(static_cast<unsigned long>(array.val.array.rows),
                     static_cast<unsigned long>(array.val.array.columns));
    for (unsigned long i = 0; i < cells.RowCount(); ++i)
        for (unsigned long j = 0; j < cells.ColumnCount(); ++j) {
            const XLOPER12& element = array.val.array.lparray[i * cells.ColumnCount() + j];
            if (!ReadCell(element, element.xltype, cells(i, j)))
                throw "cell contains neither number nor string nor boolean nor empty";
        }
    return cells;
}

} // namespace xlw
