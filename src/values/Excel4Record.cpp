#include "Excel4Record.h"

#include "ValueHelpers.h"
#include "records/AnsiCodePage.h"
#include "records/XltypeName.h"
#include "xlw/CellMatrix.h"
#include "xlw/XlfException.h"
#include "xlw/XlfRangeRef.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace xlw {

namespace {

constexpr std::size_t MaxStringBytes = 254;
constexpr std::size_t MaxWideStringBytes = 255;
// The sheet of Excel 4: an XLREF's 16-bit rows and 8-bit columns reach every cell of it.
constexpr std::int32_t GridRows = 65536;
constexpr std::int32_t GridColumns = 256;

bool OnGrid(const XlfRangeRef& range) {
    return 0 <= range.RowBegin() && range.RowBegin() < range.RowEnd() &&
           range.RowEnd() <= GridRows && 0 <= range.ColumnBegin() &&
           range.ColumnBegin() < range.ColumnEnd() && range.ColumnEnd() <= GridColumns;
}

void RequireArrayCount(std::size_t count, const char* what) {
    if (count > Excel4ArrayCount)
        throw std::runtime_error("an Excel 4 array holds at most 65535 " + std::string(what) +
                                 "; " + std::to_string(count) + " were asked for");
}

// A wide cell's text in the code page, as Excel would convert it, not cut to
// each character's low byte.
std::string AnsiText(const std::wstring& text) {
    return ToAnsiCodePage(text.data(), text.size());
}

void WriteCell(XLOPER& record, const CellValue& cell, const char* truncationPosition) {
    if (cell.IsNumberCell())
        WriteNumber(record, cell.GetNumber());
    else if (cell.IsStringCell())
        WriteString(record, cell.GetText().c_str(), truncationPosition);
    else if (cell.IsWideStringCell())
        WriteString(record, AnsiText(cell.GetWideText()).c_str(), truncationPosition);
    else if (cell.IsBooleanCell())
        WriteBool(record, cell.GetBoolean());
    else if (cell.IsErrorCell())
        WriteErrorOrInt(record, static_cast<unsigned short>(cell.GetErrorCode()), true);
    else
        WriteString(record, "", truncationPosition);
}

} // namespace

LPXLOPER NewRecord4() {
    auto* record = reinterpret_cast<LPXLOPER>(TempBytes(sizeof(XLOPER)));
    record->xltype = xltypeNil;
    return record;
}

void WriteNumber(XLOPER& record, double value) {
    // The bytes the number leaves unused are zero, not whatever the memory
    // held, so that equal arrays are equal byte for byte.
    std::memset(&record, 0, sizeof record);
    record.xltype = xltypeNum;
    record.val.num = value;
}

void WriteInt(XLOPER& record, short value) {
    record.xltype = xltypeInt;
    record.val.w = value;
}

void WriteBool(XLOPER& record, bool value) {
    record.xltype = xltypeBool;
    record.val.xbool = value ? 1 : 0;
}

void WriteError(XLOPER& record, unsigned short code) {
    record.xltype = xltypeErr;
    record.val.err = code;
}

void WriteErrorOrInt(XLOPER& record, unsigned short value, bool isError) {
    if (isError)
        WriteError(record, value);
    else
        WriteInt(record, static_cast<short>(value));
}

void WriteString(XLOPER& record, const char* text, const char* truncationPosition) {
    std::size_t length = LengthWithinLimit(std::strlen(text), MaxStringBytes, truncationPosition,
                                           "String truncated to 254 bytes");
    char* buffer = TempBytes(length + 2);
    std::memcpy(buffer + 1, text, length);
    buffer[length + 1] = '\0';
    // The count includes the zero byte: "abc" is stored as 4 characters.
    buffer[0] = static_cast<char>(length + 1);
    record.val.str = buffer;
    record.xltype = xltypeStr;
}

void WriteWideString(XLOPER& record, const std::wstring& text, const char* truncationPosition) {
    // A zero character ends the text, as it ends Excel 12's copy; the count
    // still covers the characters after it, as zero bytes.
    const std::size_t end = std::find(text.begin(), text.end(), L'\0') - text.begin();
    std::string bytes = ToAnsiCodePage(text.data(), end);
    bytes.resize(bytes.size() + (text.size() - end), '\0');
    std::size_t length = LengthWithinLimit(bytes.size(), MaxWideStringBytes, truncationPosition,
                                           "String truncated to 255 bytes");
    // The cut ends on a whole character: half of a double-byte one would
    // show as another character, or as none.
    const std::size_t convertedBytes = bytes.size() - (text.size() - end);
    if (convertedBytes > length)
        length = ToAnsiCodePageWithin(text.data(), end, length).size();
    char* buffer = TempBytes(length + 1);
    std::memcpy(buffer + 1, bytes.data(), length);
    buffer[0] = static_cast<char>(length);
    record.val.str = buffer;
    record.xltype = xltypeStr;
}

void WriteRef(XLOPER& record, const XlfRangeRef& range) {
    auto* block = reinterpret_cast<XLMREF*>(TempBytes(sizeof(XLMREF)));
    block->count = 1;
    block->reftbl[0].rwFirst = static_cast<std::uint16_t>(range.RowBegin());
    block->reftbl[0].rwLast = static_cast<std::uint16_t>(range.RowEnd() - 1);
    block->reftbl[0].colFirst = static_cast<std::uint8_t>(range.ColumnBegin());
    block->reftbl[0].colLast = static_cast<std::uint8_t>(range.ColumnEnd() - 1);
    record.val.mref.lpmref = block;
    record.val.mref.idSheet = range.SheetId();
    // Cut to XLREF's widths, such a range would point at other cells.
    if (!OnGrid(range))
        *block = XLMREF{};
    record.xltype = xltypeRef;
}

void WriteMulti(XLOPER& record, unsigned int rows, unsigned int columns) {
    RequireArrayCount(rows, "rows");
    RequireArrayCount(columns, "columns");
    WriteArray(record, rows, columns, [&](XLOPER* elements) {
        for (std::size_t i = 0; i < std::size_t(rows) * columns; ++i)
            elements[i].xltype = xltypeNil;
    });
}

void WriteElement(XLOPER& array, unsigned int row, unsigned int column, const XLOPER& value) {
    XLOPER& element = *ElementOf(array, row, column);
    switch (value.xltype) {
    case xltypeNum:
        element.val.num = value.val.num;
        break;
    case xltypeStr: {
        std::size_t count = static_cast<unsigned char>(value.val.str[0]);
        char* copy = TempBytes(count + 1);
        std::memcpy(copy, value.val.str, count + 1);
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

void RequireExcel4ArrayShape(std::size_t rows, std::size_t columns, std::size_t maxColumns) {
    RequireArrayCount(rows, "rows");
    RequireArrayColumns(columns, maxColumns);
}

void WriteCellMatrix(XLOPER& record, const CellMatrix& cells, const char* truncationPosition) {
    const std::size_t rows = cells.RowCount();
    const std::size_t columns = cells.ColumnCount();
    RequireExcel4ArrayShape(rows, columns, ClassicArrayColumns);
    WriteArray(record, rows, columns, [&](XLOPER* elements) {
        for (std::size_t i = 0; i < rows; ++i)
            for (std::size_t j = 0; j < columns; ++j)
                WriteCell(elements[i * columns + j], cells(i, j), truncationPosition);
    });
}

void WriteNumbers(XLOPER& record, const double* values, std::size_t rows, std::size_t columns,
                  std::size_t maxColumns) {
    RequireExcel4ArrayShape(rows, columns, maxColumns);
    WriteArray(record, rows, columns, [&](XLOPER* elements) {
        for (std::size_t k = 0; k < rows * columns; ++k)
            WriteNumber(elements[k], values[k]);
    });
}

LPXLOPER ElementOf(const XLOPER& array, unsigned int row, unsigned int column) {
    RequireMulti(array.xltype);
    return array.val.array.lparray + std::size_t(row) * array.val.array.columns + column;
}

unsigned int RowsOf(const XLOPER& array) {
    RequireMulti(array.xltype);
    return array.val.array.rows;
}

unsigned int ColumnsOf(const XLOPER& array) {
    RequireMulti(array.xltype);
    return array.val.array.columns;
}

char* ReadString(const XLOPER& record) {
    std::size_t count = static_cast<unsigned char>(record.val.str[0]);
    char* text = TempBytes(count + 1);
    std::memcpy(text, record.val.str + 1, count);
    text[count] = '\0';
    return text;
}

std::wstring ReadWideString(const XLOPER& record) {
    std::size_t count = static_cast<unsigned char>(record.val.str[0]);
    std::wstring text = FromAnsiCodePage(record.val.str + 1, count);
    // Ends at the first zero, like the text of a zero-terminated string.
    text.erase(std::find(text.begin(), text.end(), L'\0'), text.end());
    return text;
}

bool RefersToNoCell(const XLOPER& record) {
    return (record.xltype & xltypeRef) && record.val.mref.lpmref->count == 0;
}

XlfRangeRef ReadRef(const XLOPER& record) {
    const XLREF& area = record.val.mref.lpmref->reftbl[0];
    return XlfRangeRef(area.rwFirst, area.colFirst, area.rwLast, area.colLast,
                       record.val.mref.idSheet);
}

bool ReadCell(const XLOPER& record, unsigned int type, CellValue& cell) {
    switch (type) {
    case xltypeMissing:
    case xltypeNil:
        cell = CellValue();
        return true;
    case xltypeNum:
        cell = CellValue(record.val.num);
        return true;
    case xltypeBool:
        cell = CellValue(record.val.xbool != 0);
        return true;
    case xltypeErr:
        cell = CellValue(static_cast<unsigned long>(record.val.err), true);
        return true;
    case xltypeStr:
        // Exactly the counted characters, so the zero byte that WriteString
        // counts stays part of the text.
        cell = CellValue(
            std::string(record.val.str + 1, static_cast<unsigned char>(record.val.str[0])));
        return true;
    default:
        return false;
    }
}

CellMatrix ReadArray(const XLOPER& array) {
    CellMatrix cells(array.val.array.rows, array.val.array.columns);
    for (unsigned long i = 0; i < cells.RowCount(); ++i)
        for (unsigned long j = 0; j < cells.ColumnCount(); ++j) {
            const XLOPER& element = array.val.array.lparray[i * cells.ColumnCount() + j];
            if (!ReadCell(element, element.xltype, cells(i, j)))
                throw "cell contains neither number nor string nor boolean nor empty";
        }
    return cells;
}

} // namespace xlw
