#include "xlw/XlfOper4.h"

#include "ConversionReport.h"
#include "DoubleMatrix.h"
#include "Excel4Record.h"
#include "ValueHelpers.h"
#include "xlw/CellMatrix.h"
#include "xlw/RaiseForReturnCode.h"
#include "xlw/XlfExcel.h"

#include <iostream>

namespace xlw {

namespace {

// Converts what Excel's coercion makes of the value, reading the result
// with the same conversion. The result record is local to the call; its
// handle's destruction hands what Excel allocated back.
template <typename Value>
int ConvertThroughExcel(const XlfOper4& oper, unsigned short type,
                        int (XlfOper4::*convert)(Value&) const, Value& out) {
    XLOPER local{};
    local.xltype = xltypeNil;
    XlfOper4 result(&local);
    int code = oper.Coerce(type, result);
    return code == xlretSuccess ? (result.*convert)(out) : code;
}

// The cell's own value, through Excel's coercion of the single-cell reference.
int ReadReferencedCell(const XlfOper4& reference, CellValue& cell) {
    XLOPER local{};
    local.xltype = xltypeNil;
    XlfOper4 value(&local);
    int code = reference.Coerce(CellValueTypes, value);
    if (code != xlretSuccess)
        return code;
    return ReadCell(local, local.xltype & ~ExcelAllocatedBit, cell) ? xlretSuccess : xlretInvXloper;
}

constexpr const char* TruncationPosition = "..\\..\\src\\XlfOper4(968): ";

} // namespace

XlfOper4::XlfOper4() : record_(nullptr) {
    Allocate();
}

XlfOper4::XlfOper4(LPXLOPER record) : record_(record) {}

XlfOper4& XlfOper4::operator=(const XlfOper4& other) {
    // A handle that already shares the other's record must not free it.
    if (record_ != other.record_) {
        ReleaseExcelMemory();
        record_ = other.record_;
    }
    return *this;
}

XlfOper4::XlfOper4(double value) : XlfOper4() {
    SetNumber(value);
}

XlfOper4::XlfOper4(const char* text) : XlfOper4() {
    SetString(text);
}

XlfOper4::XlfOper4(const std::string& text) : XlfOper4(text.c_str()) {}

XlfOper4::XlfOper4(const wchar_t* text) : XlfOper4() {
    if (record_)
        WriteWideString(*record_, text, TruncationPosition);
}

XlfOper4::XlfOper4(unsigned short value) : XlfOper4() {
    SetInt(static_cast<short>(value));
}

XlfOper4::XlfOper4(unsigned short value, bool isError) : XlfOper4() {
    SetErrorOrInt(value, isError);
}

XlfOper4::XlfOper4(bool value) : XlfOper4() {
    SetBool(value);
}

XlfOper4::~XlfOper4() {
    ReleaseExcelMemory();
}

void XlfOper4::ReleaseExcelMemory() {
    if (record_ && (record_->xltype & ExcelAllocatedBit)) {
        // Cleared first, so that another handle on the record frees nothing.
        record_->xltype &= ~ExcelAllocatedBit;
        if (XlfExcel::Get().Invoke4(xlFree, nullptr, 1, record_) != xlretSuccess)
            std::cerr << "..\\..\\src\\XlfOper4(81): "
                      << "Call to xlFree failed" << std::endl;
    }
}

int XlfOper4::Allocate() {
    record_ = NewRecord4();
    return xlretSuccess;
}

int XlfOper4::Coerce(unsigned short type, XlfOper4& result) const {
    if (record_ && RefersToNoCell(*record_))
        return xlretFailed;
    XlfOper4 target(type);
    return XlfExcel::Get().Invoke4(xlCoerce, result.record_, 2, record_, target.record_);
}

unsigned int XlfOper4::GetType() const {
    return record_ ? record_->xltype : 0;
}

XlfOper4 XlfOper4::GetElement(unsigned short row, unsigned short column) const {
    return XlfOper4(ElementOf(*record_, row, column));
}

unsigned int XlfOper4::Rows() const {
    return RowsOf(*record_);
}

unsigned int XlfOper4::Columns() const {
    return ColumnsOf(*record_);
}

XlfOper4& XlfOper4::SetNumber(double value) {
    if (record_)
        WriteNumber(*record_, value);
    return *this;
}

XlfOper4& XlfOper4::SetInt(short value) {
    if (record_)
        WriteInt(*record_, value);
    return *this;
}

XlfOper4& XlfOper4::SetErrorOrInt(unsigned short value, bool isError) {
    if (record_)
        WriteErrorOrInt(*record_, value, isError);
    return *this;
}

XlfOper4& XlfOper4::SetBool(bool value) {
    if (record_)
        WriteBool(*record_, value);
    return *this;
}

XlfOper4& XlfOper4::SetError(unsigned short code) {
    if (record_)
        WriteError(*record_, code);
    return *this;
}

XlfOper4& XlfOper4::SetString(const char* text) {
    if (record_)
        WriteString(*record_, text, TruncationPosition);
    return *this;
}

XlfOper4& XlfOper4::SetRef(const XlfRangeRef& range) {
    if (record_)
        WriteRef(*record_, range);
    return *this;
}

XlfOper4& XlfOper4::SetMulti(unsigned int rows, unsigned int columns) {
    if (record_)
        WriteMulti(*record_, rows, columns);
    return *this;
}

XlfOper4& XlfOper4::SetElement(unsigned short row, unsigned short column, const XlfOper4& value) {
    WriteElement(*record_, row, column, *value.record_);
    return *this;
}

XlfOper4& XlfOper4::SetCellMatrix(const CellMatrix& cells) {
    if (record_)
        WriteCellMatrix(*record_, cells, TruncationPosition);
    return *this;
}

XlfOper4& XlfOper4::SetFromMatrix(const DoubleMatrix& matrix) {
    if (record_ && matrix.RowCount() != 0 && matrix.ColumnCount() != 0)
        // The matrix's elements are one row-major block starting at row 0.
        WriteNumbers(*record_, matrix[0], matrix.RowCount(), matrix.ColumnCount(),
                     ClassicArrayColumns);
    return *this;
}

XlfOper4& XlfOper4::SetFromVector(const std::vector<double>& values) {
    if (record_ && !values.empty())
        WriteNumbers(*record_, values.data(), values.size(), 1, ClassicArrayColumns);
    return *this;
}

int XlfOper4::ConvertToDouble(double& out) const {
    if (!record_)
        return xlretInvXloper;
    if (record_->xltype & xltypeInt) {
        out = record_->val.w;
        return xlretSuccess;
    }
    if (record_->xltype & xltypeNum) {
        out = record_->val.num;
        return xlretSuccess;
    }
    return ConvertThroughExcel(*this, xltypeNum, &XlfOper4::ConvertToDouble, out);
}

int XlfOper4::ConvertToDoubleVector(std::vector<double>& out, VectorReadOrder order) const {
    if (!record_)
        return xlretInvXloper;
    if (record_->xltype == xltypeMissing) {
        out.resize(0);
        return xlretSuccess;
    }
    if (record_->xltype & xltypeNum) {
        out.resize(1);
        return ConvertToDouble(out[0]);
    }
    if (record_->xltype & xltypeMulti) {
        std::size_t rows = record_->val.array.rows;
        std::size_t columns = record_->val.array.columns;
        if (!FitsReadOrder(order, rows, columns))
            return xlretFailed;
        out.resize(rows * columns);
        for (std::size_t i = 0; i < rows; ++i)
            for (std::size_t j = 0; j < columns; ++j) {
                XLOPER& element = record_->val.array.lparray[i * columns + j];
                double& target = out[ReadOrderIndex(order, i, j, rows, columns)];
                // Unlike XlfOperImpl4, a failing element raises here.
                target =
                    element.xltype == xltypeNum ? element.val.num : XlfOper4(&element).GetDouble();
            }
        return xlretSuccess;
    }
    XlfRangeRef range;
    if (int code = ConvertToRef(range))
        return code;
    return ReadRangeAsDoubles(range, order, out, [&range](int row, int column, double& value) {
        return range.Element4(row, column).ConvertToDouble(value);
    });
}

int XlfOper4::ConvertToShort(short& out) const {
    if (!record_)
        return xlretInvXloper;
    if (record_->xltype & xltypeNum) {
        out = LowSixteenBits(record_->val.num);
        return xlretSuccess;
    }
    return ConvertThroughExcel(*this, xltypeNum, &XlfOper4::ConvertToShort, out);
}

int XlfOper4::ConvertToBool(bool& out) const {
    if (!record_)
        return xlretInvXloper;
    if (record_->xltype & xltypeBool) {
        out = record_->val.xbool != 0;
        return xlretSuccess;
    }
    return ConvertThroughExcel(*this, xltypeBool, &XlfOper4::ConvertToBool, out);
}

int XlfOper4::ConvertToError(unsigned short& out) const {
    if (!record_)
        return xlretInvXloper;
    if (record_->xltype & xltypeErr) {
        out = record_->val.err;
        return xlretSuccess;
    }
    return ConvertThroughExcel(*this, xltypeErr, &XlfOper4::ConvertToError, out);
}

int XlfOper4::ConvertToString(char*& out) const {
    if (!record_)
        return xlretInvXloper;
    if (record_->xltype & xltypeStr) {
        out = ReadString(*record_);
        return xlretSuccess;
    }
    return ConvertThroughExcel(*this, xltypeStr, &XlfOper4::ConvertToString, out);
}

int XlfOper4::ConvertToRef(XlfRangeRef& out) const {
    if (!record_)
        return xlretInvXloper;
    if (RefersToNoCell(*record_))
        return xlretFailed;
    if (record_->xltype & xltypeRef) {
        out = ReadRef(*record_);
        return xlretSuccess;
    }
    return ConvertThroughExcel(*this, xltypeRef, &XlfOper4::ConvertToRef, out);
}

int XlfOper4::ConvertToMatrix(DoubleMatrix& out) const {
    if (GetType() == xltypeMissing || GetType() == xltypeNil) {
        out = DoubleMatrix(0, 0);
        return xlretSuccess;
    }
    CellMatrix cells;
    if (int code = ConvertToCellMatrix(cells))
        return code;
    return ReadCellsAsNumbers(cells, out);
}

int XlfOper4::ConvertToCellMatrix(CellMatrix& out) const {
    if (!record_)
        return xlretInvXloper;
    CellValue single;
    if (ReadCell(*record_, record_->xltype, single)) {
        out = CellMatrix(1, 1);
        out(0, 0) = single;
        return xlretSuccess;
    }
    if (record_->xltype == xltypeMulti) {
        out = ReadArray(*record_);
        return xlretSuccess;
    }
    XlfRangeRef range;
    if (int code = ConvertToRef(range))
        return code;
    return ReadRangeAsCells(range, out, [&range](int row, int column, CellValue& cell) {
        return ReadReferencedCell(range.Element4(row, column), cell);
    });
}

double XlfOper4::GetDouble(int* returnCode) const {
    double value = 0.0;
    StoreOrRaise(ConvertToDouble(value), returnCode, &XlfOper4::RaiseForReturnCode);
    return value;
}

double XlfOper4::GetDouble(const std::string& errorId, int* returnCode) const {
    double value = 0.0;
    StoreOrRaise(ConvertToDouble(value), returnCode, &XlfOper4::RaiseForReturnCode,
                 DoubleContext(errorId));
    return value;
}

std::vector<double> XlfOper4::GetDoubleVector(VectorReadOrder order, int* returnCode) const {
    std::vector<double> values;
    StoreOrRaise(ConvertToDoubleVector(values, order), returnCode, &XlfOper4::RaiseForReturnCode);
    return values;
}

std::vector<double> XlfOper4::GetDoubleVector(const std::string& errorId, VectorReadOrder order,
                                              int* returnCode) const {
    std::vector<double> values;
    StoreOrRaise(NamedConversion(errorId, [&] { return ConvertToDoubleVector(values, order); }),
                 returnCode, &XlfOper4::RaiseForReturnCode, DoubleVectorContext(errorId));
    return values;
}

std::vector<double> XlfOper4::GetNumberArray(VectorReadOrder order, int* returnCode) const {
    return GetDoubleVector(order, returnCode);
}

std::vector<double> XlfOper4::GetNumberArray(const std::string& errorId, VectorReadOrder order,
                                             int* returnCode) const {
    return GetDoubleVector(errorId, order, returnCode);
}

short XlfOper4::GetShort(int* returnCode) const {
    short value = 0;
    StoreOrRaise(ConvertToShort(value), returnCode, &XlfOper4::RaiseForReturnCode);
    return value;
}

short XlfOper4::GetShort(const std::string& errorId, int* returnCode) const {
    short value = 0;
    StoreOrRaise(ConvertToShort(value), returnCode, &XlfOper4::RaiseForReturnCode,
                 ShortContext(errorId));
    return value;
}

bool XlfOper4::GetBool(int* returnCode) const {
    bool value = false;
    StoreOrRaise(ConvertToBool(value), returnCode, &XlfOper4::RaiseForReturnCode);
    return value;
}

bool XlfOper4::GetBool(const std::string& errorId, int* returnCode) const {
    bool value = false;
    StoreOrRaise(ConvertToBool(value), returnCode, &XlfOper4::RaiseForReturnCode,
                 BoolContext(errorId));
    return value;
}

DoubleMatrix XlfOper4::GetMatrix(int* returnCode) const {
    return GetMatrix(std::string(), returnCode);
}

DoubleMatrix XlfOper4::GetMatrix(const std::string& errorId, int* returnCode) const {
    DoubleMatrix matrix(0, 0);
    StoreOrRaise(NamedConversion(errorId, [&] { return ConvertToMatrix(matrix); }), returnCode,
                 &XlfOper4::RaiseForReturnCode, MatrixContext(errorId));
    return matrix;
}

CellMatrix XlfOper4::GetCellMatrix(int* returnCode) const {
    return GetCellMatrix(std::string(), returnCode);
}

CellMatrix XlfOper4::GetCellMatrix(const std::string& errorId, int* returnCode) const {
    CellMatrix cells(1, 1);
    StoreOrRaise(NamedConversion(errorId, [&] { return ConvertToCellMatrix(cells); }), returnCode,
                 &XlfOper4::RaiseForReturnCode, CellMatrixContext(errorId));
    return cells;
}

char* XlfOper4::GetString(int* returnCode) const {
    char* text = nullptr;
    StoreOrRaise(ConvertToString(text), returnCode, &XlfOper4::RaiseForReturnCode);
    return text;
}

char* XlfOper4::GetString(const std::string& errorId, int* returnCode) const {
    char* text = nullptr;
    StoreOrRaise(ConvertToString(text), returnCode, &XlfOper4::RaiseForReturnCode,
                 StringContext(errorId));
    return text;
}

XlfRangeRef XlfOper4::GetRangeRef(int* returnCode) const {
    XlfRangeRef range;
    StoreOrRaise(ConvertToRef(range), returnCode, &XlfOper4::RaiseForReturnCode);
    return range;
}

int XlfOper4::RaiseForReturnCode(int code) {
    return xlw::RaiseForReturnCode(code, "invalid number of argument");
}

int XlfOper4::RaiseForReturnCode(int code, const std::string& context) {
    return xlw::RaiseForReturnCode(code, context);
}

} // namespace xlw
