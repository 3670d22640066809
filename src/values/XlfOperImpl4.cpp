#include "XlfOperImpl4.h"

#include "Excel4Record.h"
#include "ValueHelpers.h"
#include "xlw/CellMatrix.h"
#include "xlw/XlfExcel.h"
#include "xlw/XlfOper.h"
#include "xlw/XlfRangeRef.h"

#include <iostream>

namespace xlw {

namespace {

// Converts what Excel's coercion makes of the value, reading the result
// with the same conversion. The result record is local to the call; its
// handle's destruction hands what Excel allocated back.
template <typename Value>
int ConvertThroughExcel(const XlfOperImpl4& impl, const XlfOper& oper, unsigned short type,
                        int (XlfOper::*convert)(Value&) const, Value& out) {
    XLOPER local{};
    local.xltype = xltypeNil;
    XlfOper result(&local);
    int code = impl.Coerce(oper, type, result);
    return code == xlretSuccess ? (result.*convert)(out) : code;
}

// The cell's own value, through Excel's coercion of the single-cell reference.
int ReadReferencedCell(const XlfOperImpl4& impl, const XlfOper& reference, CellValue& cell) {
    XLOPER local{};
    local.xltype = xltypeNil;
    XlfOper value(&local);
    int code = impl.Coerce(reference, CellValueTypes, value);
    if (code != xlretSuccess)
        return code;
    return ReadCell(local, local.xltype & ~ExcelAllocatedBit, cell) ? xlretSuccess : xlretInvXloper;
}

} // namespace

void XlfOperImpl4::Destroy(XlfOper& oper) const {
    LPXLOPER record = GetXloper(oper);
    if (record && (record->xltype & ExcelAllocatedBit)) {
        // Cleared first, so that another handle on the record frees nothing.
        record->xltype &= ~ExcelAllocatedBit;
        FreeExcelMemory(oper);
    }
}

void XlfOperImpl4::FreeExcelMemory(XlfOper& oper) const {
    if (XlfExcel::Get().Invoke(xlFree, nullptr, 1, GetRecord(oper)) != xlretSuccess)
        std::cerr << "..\\..\\src\\XlfOperImpl4(78): "
                  << "Call to xlFree failed" << std::endl;
}

XlfOper& XlfOperImpl4::Copy(XlfOper& target, const XlfOper& source) const {
    PointAt(target, RecordOf(source));
    return target;
}

XlfOper XlfOperImpl4::GetElement(const XlfOper& array, unsigned int row,
                                 unsigned int column) const {
    return XlfOper(ElementOf(*GetXloper(array), row, column));
}

LPXLOPER XlfOperImpl4::GetXloper(const XlfOper& oper) const {
    return static_cast<LPXLOPER>(RecordOf(oper));
}

LPXLOPER12 XlfOperImpl4::GetXloper12(const XlfOper&) const {
    throw "Unable to convert Excel 4 datatype to Excel 12 datatype - operation not yet implemented";
}

void* XlfOperImpl4::GetRecord(const XlfOper& oper) const {
    return RecordOf(oper);
}

bool XlfOperImpl4::IsMissing(const XlfOper& oper) const {
    return (GetType(oper) & xltypeMissing) != 0;
}

bool XlfOperImpl4::IsError(const XlfOper& oper) const {
    return (GetType(oper) & xltypeErr) != 0;
}

bool XlfOperImpl4::IsRef(const XlfOper& oper) const {
    return (GetType(oper) & xltypeRef) != 0;
}

bool XlfOperImpl4::IsSRef(const XlfOper& oper) const {
    return (GetType(oper) & xltypeSRef) != 0;
}

bool XlfOperImpl4::IsMulti(const XlfOper& oper) const {
    return (GetType(oper) & xltypeMulti) != 0;
}

bool XlfOperImpl4::IsNumber(const XlfOper& oper) const {
    return (GetType(oper) & xltypeNum) != 0;
}

bool XlfOperImpl4::IsString(const XlfOper& oper) const {
    return (GetType(oper) & xltypeStr) != 0;
}

bool XlfOperImpl4::IsNil(const XlfOper& oper) const {
    return (GetType(oper) & xltypeNil) != 0;
}

bool XlfOperImpl4::IsBool(const XlfOper& oper) const {
    return (GetType(oper) & xltypeBool) != 0;
}

bool XlfOperImpl4::IsInt(const XlfOper& oper) const {
    return (GetType(oper) & xltypeInt) != 0;
}

unsigned int XlfOperImpl4::Rows(const XlfOper& array) const {
    return RowsOf(*GetXloper(array));
}

unsigned int XlfOperImpl4::Columns(const XlfOper& array) const {
    return ColumnsOf(*GetXloper(array));
}

void* XlfOperImpl4::RecordPointer(const XlfOper& oper) const {
    return RecordOf(oper);
}

XlfOper& XlfOperImpl4::SetMulti(XlfOper& oper, unsigned int rows, unsigned int columns) const {
    if (LPXLOPER record = GetXloper(oper))
        WriteMulti(*record, rows, columns);
    return oper;
}

XlfOper& XlfOperImpl4::SetErrorOrInt(XlfOper& oper, unsigned short value, bool isError) const {
    if (LPXLOPER record = GetXloper(oper))
        WriteErrorOrInt(*record, value, isError);
    return oper;
}

XlfOper& XlfOperImpl4::SetRef(XlfOper& oper, const XlfRangeRef& range) const {
    if (LPXLOPER record = GetXloper(oper))
        WriteRef(*record, range);
    return oper;
}

XlfOper& XlfOperImpl4::SetCellMatrix(XlfOper& oper, const CellMatrix& cells) const {
    if (LPXLOPER record = GetXloper(oper))
        WriteCellMatrix(*record, cells, "..\\..\\src\\XlfOperImpl4(782): ");
    return oper;
}

XlfOper& XlfOperImpl4::SetWideString(XlfOper& oper, const std::wstring& text) const {
    if (LPXLOPER record = GetXloper(oper))
        WriteWideString(*record, text, "..\\..\\src\\XlfOperImpl4(813): ");
    return oper;
}

XlfOper& XlfOperImpl4::SetString(XlfOper& oper, const char* text) const {
    if (LPXLOPER record = GetXloper(oper))
        WriteString(*record, text, "..\\..\\src\\XlfOperImpl4(782): ");
    return oper;
}

XlfOper& XlfOperImpl4::SetBool(XlfOper& oper, bool value) const {
    if (LPXLOPER record = GetXloper(oper))
        WriteBool(*record, value);
    return oper;
}

XlfOper& XlfOperImpl4::SetInt(XlfOper& oper, short value) const {
    if (LPXLOPER record = GetXloper(oper))
        WriteInt(*record, value);
    return oper;
}

XlfOper& XlfOperImpl4::SetNumber(XlfOper& oper, double value) const {
    if (LPXLOPER record = GetXloper(oper))
        WriteNumber(*record, value);
    return oper;
}

XlfOper& XlfOperImpl4::SetRecord(XlfOper& oper, void* record) const {
    PointAt(oper, record);
    return oper;
}

XlfOper& XlfOperImpl4::SetElement(XlfOper& array, unsigned int row, unsigned int column,
                                  const XlfOper& value) const {
    WriteElement(*GetXloper(array), row, column, *GetXloper(value));
    return array;
}

XlfOper& XlfOperImpl4::SetError(XlfOper& oper, unsigned short code) const {
    if (LPXLOPER record = GetXloper(oper))
        WriteError(*record, code);
    return oper;
}

int XlfOperImpl4::Coerce(const XlfOper& source, unsigned short type, XlfOper& result) const {
    const XLOPER* record = GetXloper(source);
    if (record && RefersToNoCell(*record))
        return xlretFailed;
    return CoerceInExcel(source, type, result);
}

int XlfOperImpl4::Allocate(XlfOper& oper) const {
    PointAt(oper, NewRecord4());
    return xlretSuccess;
}

int XlfOperImpl4::ConvertToDoubleVector(const XlfOper& oper, std::vector<double>& out,
                                        VectorReadOrder order) const {
    const XLOPER* pointer = GetXloper(oper);
    if (!pointer)
        return xlretInvXloper;
    const XLOPER& record = *pointer;
    if (record.xltype == xltypeMissing) {
        out.resize(0);
        return xlretSuccess;
    }
    if (record.xltype & xltypeNum) {
        out.resize(1);
        return ConvertToDouble(oper, out[0]);
    }
    if (record.xltype & xltypeMulti) {
        std::size_t rows = record.val.array.rows;
        std::size_t columns = record.val.array.columns;
        if (!FitsReadOrder(order, rows, columns))
            return xlretFailed;
        out.resize(rows * columns);
        for (std::size_t i = 0; i < rows; ++i)
            for (std::size_t j = 0; j < columns; ++j) {
                XLOPER& element = record.val.array.lparray[i * columns + j];
                double& target = out[ReadOrderIndex(order, i, j, rows, columns)];
                if (element.xltype == xltypeNum)
                    target = element.val.num;
                else if (int code = XlfOper(&element).ConvertToDouble(target))
                    return code;
            }
        return xlretSuccess;
    }
    return ConvertValueOrRangeToDoubles(oper, out, order);
}

int XlfOperImpl4::ConvertToDouble(const XlfOper& oper, double& out) const {
    const XLOPER* record = GetXloper(oper);
    if (!record)
        return xlretInvXloper;
    if (record->xltype & xltypeInt) {
        out = record->val.w;
        return xlretSuccess;
    }
    if (record->xltype & xltypeNum) {
        out = record->val.num;
        return xlretSuccess;
    }
    return ConvertThroughExcel(*this, oper, xltypeNum, &XlfOper::ConvertToDouble, out);
}

int XlfOperImpl4::ConvertToShort(const XlfOper& oper, short& out) const {
    const XLOPER* record = GetXloper(oper);
    if (!record)
        return xlretInvXloper;
    if (record->xltype & xltypeNum) {
        out = LowSixteenBits(record->val.num);
        return xlretSuccess;
    }
    return ConvertThroughExcel(*this, oper, xltypeNum, &XlfOper::ConvertToShort, out);
}

int XlfOperImpl4::ConvertToBool(const XlfOper& oper, bool& out) const {
    const XLOPER* record = GetXloper(oper);
    if (!record)
        return xlretInvXloper;
    if (record->xltype & xltypeBool) {
        out = record->val.xbool != 0;
        return xlretSuccess;
    }
    return ConvertThroughExcel(*this, oper, xltypeBool, &XlfOper::ConvertToBool, out);
}

int XlfOperImpl4::ConvertToString(const XlfOper& oper, char*& out) const {
    const XLOPER* record = GetXloper(oper);
    if (!record)
        return xlretInvXloper;
    if (record->xltype & xltypeStr) {
        out = ReadString(*record);
        return xlretSuccess;
    }
    return ConvertThroughExcel(*this, oper, xltypeStr, &XlfOper::ConvertToString, out);
}

int XlfOperImpl4::ConvertToWideString(const XlfOper& oper, std::wstring& out) const {
    const XLOPER* record = GetXloper(oper);
    if (!record)
        return xlretInvXloper;
    if (record->xltype & xltypeStr) {
        out = ReadWideString(*record);
        return xlretSuccess;
    }
    return ConvertThroughExcel(*this, oper, xltypeStr, &XlfOper::ConvertToWideString, out);
}

int XlfOperImpl4::ConvertToCellMatrix(const XlfOper& oper, CellMatrix& out) const {
    const XLOPER* pointer = GetXloper(oper);
    if (!pointer)
        return xlretInvXloper;
    const XLOPER& record = *pointer;
    CellValue single;
    if (ReadCell(record, record.xltype, single)) {
        out = CellMatrix(1, 1);
        out(0, 0) = single;
        return xlretSuccess;
    }
    if (record.xltype == xltypeMulti) {
        out = ReadArray(record);
        return xlretSuccess;
    }
    XlfRangeRef range;
    if (int code = ConvertToRef(oper, range))
        return code;
    return ReadRangeAsCells(range, out, [this, &range](int row, int column, CellValue& cell) {
        return ReadReferencedCell(*this, range.Element(row, column), cell);
    });
}

int XlfOperImpl4::ConvertToMatrix(const XlfOper& oper, DoubleMatrix& out) const {
    return ConvertCellsToMatrix(oper, out);
}

int XlfOperImpl4::ConvertToRef(const XlfOper& oper, XlfRangeRef& out) const {
    const XLOPER* record = GetXloper(oper);
    if (!record)
        return xlretInvXloper;
    if (RefersToNoCell(*record))
        return xlretFailed;
    if (record->xltype & xltypeRef) {
        out = ReadRef(*record);
        return xlretSuccess;
    }
    return ConvertThroughExcel(*this, oper, xltypeRef, &XlfOper::ConvertToRef, out);
}

int XlfOperImpl4::ConvertToError(const XlfOper& oper, unsigned short& out) const {
    const XLOPER* record = GetXloper(oper);
    if (!record)
        return xlretInvXloper;
    if (record->xltype & xltypeErr) {
        out = record->val.err;
        return xlretSuccess;
    }
    return ConvertThroughExcel(*this, oper, xltypeErr, &XlfOper::ConvertToError, out);
}

unsigned int XlfOperImpl4::GetType(const XlfOper& oper) const {
    const XLOPER* record = GetXloper(oper);
    return record ? record->xltype : 0;
}

XlfOper& XlfOperImpl4::SetNumberArray(XlfOper& oper, const double* values, std::size_t rows,
                                      std::size_t columns, std::size_t maxColumns) const {
    if (LPXLOPER record = GetXloper(oper))
        WriteNumbers(*record, values, rows, columns, maxColumns);
    return oper;
}

void XlfOperImpl4::RequireArrayShape(std::size_t rows, std::size_t columns,
                                     std::size_t maxColumns) const {
    RequireExcel4ArrayShape(rows, columns, maxColumns);
}

std::size_t XlfOperImpl4::SheetColumns() const {
    return ClassicArrayColumns;
}

} // namespace xlw
