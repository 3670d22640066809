#include "xlw/XlfOper.h"

#include "ConversionReport.h"
#include "DoubleMatrix.h"
#include "ValueHelpers.h"
#include "records/ErrorValueText.h"
#include "records/XltypeName.h"
#include "xlw/CellMatrix.h"
#include "xlw/RaiseForReturnCode.h"
#include "xlw/XlfExcel.h"

#include <stdexcept>
#include <string>

namespace xlw {

namespace {
const XlfOperImpl& Impl() {
    return *XlfOperImpl::Current;
}

// Whether a text cell reads as a number, asked of Excel as the conversion
// asked it.
bool ReadsAsNumber(const CellValue& cell) {
    double number = 0.0;
    if (cell.IsWideStringCell())
        return XlfOper(cell.GetWideText()).ConvertToDouble(number) == xlretSuccess;
    return XlfOper(cell.GetText()).ConvertToDouble(number) == xlretSuccess;
}

// What a cell that is not a number is, in the words of a refusal.
std::string KindOfCell(const CellValue& cell) {
    if (cell.IsErrorCell())
        return "the error " + ErrorValueText(static_cast<int>(cell.GetErrorCode()));
    if (cell.IsStringCell() || cell.IsWideStringCell())
        return "text";
    if (cell.IsBooleanCell())
        return "a boolean";
    return "empty";
}

// The first cell, row by row, that `converts` refuses, and what it is: "cell 3
// of 10 is text, not a number", or "the value is ..." for a single cell;
// empty when every cell converts.
template <class Converts>
std::string FirstCellNotANumber(const CellMatrix& cells, const Converts& converts) {
    const unsigned long rows = cells.RowCount();
    const unsigned long columns = cells.ColumnCount();
    const std::string count = std::to_string(rows * columns);
    for (unsigned long i = 0; i < rows; ++i)
        for (unsigned long j = 0; j < columns; ++j) {
            const CellValue& cell = cells(i, j);
            if (converts(cell))
                continue;
            const std::string where =
                rows * columns == 1
                    ? std::string("the value")
                    : "cell " + std::to_string(i * columns + j + 1) + " of " + count;
            return where + " is " + KindOfCell(cell) + ", not a number";
        }
    return std::string();
}

// Why a value that failed to convert to numbers is not numbers: the first
// cell that `converts` refuses, or a shape the read order does not take.
template <class Converts>
std::string WhyNotNumbers(const XlfOper& oper, VectorReadOrder order, const Converts& converts) {
    CellMatrix cells;
    if (oper.ConvertToCellMatrix(cells) != xlretSuccess)
        return "a " + oper.XltypeName() + " value, not numbers";
    const std::string cell = FirstCellNotANumber(cells, converts);
    if (!cell.empty())
        return cell;
    if (!FitsReadOrder(order, cells.RowCount(), cells.ColumnCount()))
        return "the " + std::to_string(cells.RowCount()) + " rows and " +
               std::to_string(cells.ColumnCount()) + " columns are not one row or one column";
    return "cannot be read as numbers";
}

// Excel's conversion to a number takes everything but an error and a text
// that does not read as a number.
bool ExcelMakesANumber(const CellValue& cell) {
    if (cell.IsErrorCell())
        return false;
    return !(cell.IsStringCell() || cell.IsWideStringCell()) || ReadsAsNumber(cell);
}

bool IsNumber(const CellValue& cell) {
    return cell.IsNumberCell();
}
} // namespace

XlfOper::XlfOper() : record_(nullptr) {
    Allocate();
}

XlfOper::XlfOper(void* record) : record_(record) {}

XlfOper::XlfOper(const XlfOper& other) : record_(nullptr) {
    Impl().Copy(*this, other);
}

XlfOper::XlfOper(double value) : XlfOper() {
    Impl().SetNumber(*this, value);
}

XlfOper::XlfOper(bool value) : XlfOper() {
    Impl().SetBool(*this, value);
}

XlfOper::XlfOper(const char* text) : XlfOper() {
    Impl().SetString(*this, text);
}

XlfOper::XlfOper(const std::string& text) : XlfOper(text.c_str()) {}

XlfOper::XlfOper(const std::wstring& text) : XlfOper() {
    SetWideString(text);
}

XlfOper::XlfOper(const wchar_t* text) : XlfOper(std::wstring(text)) {}

XlfOper::XlfOper(short value) : XlfOper() {
    SetInt(value);
}

XlfOper::XlfOper(unsigned short value, bool isError) : XlfOper() {
    SetErrorOrInt(value, isError);
}

XlfOper::XlfOper(const CellMatrix& cells) : XlfOper() {
    SetCellMatrix(cells);
}

XlfOper::XlfOper(const DoubleMatrix& matrix) : XlfOper() {
    SetFromMatrix(matrix);
}

XlfOper::XlfOper(const DoubleMatrix& matrix, ArrayWidth width) : XlfOper() {
    SetFromMatrix(matrix, width);
}

XlfOper::~XlfOper() {
    Impl().Destroy(*this);
}

XlfOper XlfOper::MakeError(unsigned short code) {
    XlfOper error;
    Impl().SetError(error, code);
    return error;
}

int XlfOper::Allocate() {
    return Impl().Allocate(*this);
}

void* XlfOper::GetRecord() const {
    return Impl().GetRecord(*this);
}

LPXLOPER XlfOper::GetXloper() const {
    return Impl().GetXloper(*this);
}

LPXLOPER12 XlfOper::GetXloper12() const {
    return Impl().GetXloper12(*this);
}

unsigned int XlfOper::GetType() const {
    return Impl().GetType(*this);
}

std::string XlfOper::XltypeName() const {
    return xlw::XltypeName(GetType());
}

XlfOper& XlfOper::SetCellMatrix(const CellMatrix& cells) {
    return Impl().SetCellMatrix(*this, cells);
}

XlfOper& XlfOper::SetInt(short value) {
    return Impl().SetInt(*this, value);
}

XlfOper& XlfOper::SetErrorOrInt(unsigned short value, bool isError) {
    return Impl().SetErrorOrInt(*this, value, isError);
}

XlfOper& XlfOper::SetWideString(const std::wstring& text) {
    return Impl().SetWideString(*this, text);
}

XlfOper& XlfOper::SetRef(const XlfRangeRef& range) {
    return Impl().SetRef(*this, range);
}

void XlfOper::RequireMatrixFits(std::size_t rows, std::size_t columns, ArrayWidth width) {
    if (rows != 0 && columns != 0)
        Impl().RequireArrayShape(rows, columns, MaxArrayColumns(width));
}

std::size_t XlfOper::MaxArrayColumns(ArrayWidth width) {
    return width == ArrayWidth::SheetWidth ? Impl().SheetColumns() : ClassicArrayColumns;
}

std::size_t XlfOper::MaxArrayRows() {
    return XlfExcel::Get().IsExcel12() ? Excel12SheetRows : Excel4ArrayCount;
}

void XlfOper::RequireCellCountFits(std::size_t rows, std::size_t columns) {
    RequireArrayCells(rows, columns,
                      XlfExcel::Get().IsExcel12() ? sizeof(XLOPER12) : sizeof(XLOPER));
}

XlfOper& XlfOper::SetFromMatrix(const DoubleMatrix& matrix, ArrayWidth width) {
    if (matrix.RowCount() == 0 || matrix.ColumnCount() == 0)
        return *this;
    // The matrix's elements are one row-major block starting at row 0.
    return Impl().SetNumberArray(*this, matrix[0], matrix.RowCount(), matrix.ColumnCount(),
                                 MaxArrayColumns(width));
}

XlfOper& XlfOper::SetFromVector(const std::vector<double>& values) {
    if (values.empty())
        return *this;
    return Impl().SetNumberArray(*this, values.data(), values.size(), 1, ClassicArrayColumns);
}

int XlfOper::ConvertToDouble(double& out) const {
    return Impl().ConvertToDouble(*this, out);
}

int XlfOper::ConvertToDoubleVector(std::vector<double>& out, VectorReadOrder order) const {
    return Impl().ConvertToDoubleVector(*this, out, order);
}

int XlfOper::ConvertToShort(short& out) const {
    return Impl().ConvertToShort(*this, out);
}

int XlfOper::ConvertToBool(bool& out) const {
    return Impl().ConvertToBool(*this, out);
}

int XlfOper::ConvertToString(char*& out) const {
    return Impl().ConvertToString(*this, out);
}

int XlfOper::ConvertToWideString(std::wstring& out) const {
    return Impl().ConvertToWideString(*this, out);
}

int XlfOper::ConvertToCellMatrix(CellMatrix& out) const {
    return Impl().ConvertToCellMatrix(*this, out);
}

int XlfOper::ConvertToMatrix(DoubleMatrix& out) const {
    return Impl().ConvertToMatrix(*this, out);
}

int XlfOper::ConvertToRef(XlfRangeRef& out) const {
    return Impl().ConvertToRef(*this, out);
}

int XlfOper::ConvertToError(unsigned short& out) const {
    return Impl().ConvertToError(*this, out);
}

double XlfOper::GetDouble(int* returnCode) const {
    double value = 0.0;
    StoreOrRaise(ConvertToDouble(value), returnCode, &XlfOper::RaiseForReturnCode);
    return value;
}

double XlfOper::GetDouble(const std::string& errorId, int* returnCode) const {
    double value = 0.0;
    StoreOrRaise(ConvertToDouble(value), returnCode, &XlfOper::RaiseForReturnCode,
                 DoubleContext(errorId));
    return value;
}

std::vector<double> XlfOper::GetDoubleVector(VectorReadOrder order, int* returnCode) const {
    std::vector<double> values;
    StoreOrRaise(ConvertToDoubleVector(values, order), returnCode, &XlfOper::RaiseForReturnCode);
    return values;
}

std::vector<double> XlfOper::GetDoubleVector(const std::string& errorId, VectorReadOrder order,
                                             int* returnCode) const {
    std::vector<double> values;
    StoreOrRaise(NamedConversion(errorId, [&] { return ConvertToDoubleVector(values, order); }),
                 returnCode, &XlfOper::RaiseForReturnCode, DoubleVectorContext(errorId));
    return values;
}

std::vector<double> XlfOper::GetNumberArray(VectorReadOrder order, int* returnCode) const {
    return GetDoubleVector(order, returnCode);
}

std::vector<double> XlfOper::GetNumberArray(const std::string& errorId, VectorReadOrder order,
                                            int* returnCode) const {
    return GetDoubleVector(errorId, order, returnCode);
}

std::vector<double> XlfOper::ReadNumbers(const std::string& name, VectorReadOrder order,
                                         MissingArgument missing) const {
    // Read as no numbers, a forgotten argument would pass unnoticed.
    if ((GetType() & xltypeMissing) && missing == MissingArgument::Refused)
        throw std::invalid_argument(
            name + ": the argument is missing; give a number, a range or an array");
    std::vector<double> numbers;
    if (NamedConversion(name, [&] { return ConvertToDoubleVector(numbers, order); }) ==
        xlretSuccess)
        return numbers;
    throw std::invalid_argument(name + ": " + WhyNotNumbers(*this, order, ExcelMakesANumber));
}

short XlfOper::GetShort(int* returnCode) const {
    short value = 0;
    StoreOrRaise(ConvertToShort(value), returnCode, &XlfOper::RaiseForReturnCode);
    return value;
}

short XlfOper::GetShort(const std::string& errorId, int* returnCode) const {
    short value = 0;
    StoreOrRaise(ConvertToShort(value), returnCode, &XlfOper::RaiseForReturnCode,
                 ShortContext(errorId));
    return value;
}

bool XlfOper::GetBool(int* returnCode) const {
    bool value = false;
    StoreOrRaise(ConvertToBool(value), returnCode, &XlfOper::RaiseForReturnCode);
    return value;
}

bool XlfOper::GetBool(const std::string& errorId, int* returnCode) const {
    bool value = false;
    StoreOrRaise(ConvertToBool(value), returnCode, &XlfOper::RaiseForReturnCode,
                 BoolContext(errorId));
    return value;
}

DoubleMatrix XlfOper::GetMatrix(int* returnCode) const {
    return GetMatrix(std::string(), returnCode);
}

DoubleMatrix XlfOper::GetMatrix(const std::string& errorId, int* returnCode) const {
    DoubleMatrix matrix(0, 0);
    const int code = NamedConversion(errorId, [&] { return ConvertToMatrix(matrix); });
    // A named value that holds something other than numbers says where.
    if (code == xlretFailed && !returnCode && !errorId.empty())
        throw std::runtime_error(errorId + ": " + WhyNotNumbers(*this, RowMajor, IsNumber));
    StoreOrRaise(code, returnCode, &XlfOper::RaiseForReturnCode, MatrixContext(errorId));
    return matrix;
}

CellMatrix XlfOper::GetCellMatrix(int* returnCode) const {
    return GetCellMatrix(std::string(), returnCode);
}

CellMatrix XlfOper::GetCellMatrix(const std::string& errorId, int* returnCode) const {
    CellMatrix cells(1, 1);
    StoreOrRaise(NamedConversion(errorId, [&] { return ConvertToCellMatrix(cells); }), returnCode,
                 &XlfOper::RaiseForReturnCode, CellMatrixContext(errorId));
    return cells;
}

char* XlfOper::GetString(int* returnCode) const {
    char* text = nullptr;
    StoreOrRaise(ConvertToString(text), returnCode, &XlfOper::RaiseForReturnCode);
    return text;
}

char* XlfOper::GetString(const std::string& errorId, int* returnCode) const {
    char* text = nullptr;
    StoreOrRaise(ConvertToString(text), returnCode, &XlfOper::RaiseForReturnCode,
                 StringContext(errorId));
    return text;
}

std::wstring XlfOper::GetWideString(int* returnCode) const {
    std::wstring text;
    StoreOrRaise(ConvertToWideString(text), returnCode, &XlfOper::RaiseForReturnCode);
    return text;
}

XlfRangeRef XlfOper::GetRangeRef(int* returnCode) const {
    XlfRangeRef range;
    StoreOrRaise(ConvertToRef(range), returnCode, &XlfOper::RaiseForReturnCode);
    return range;
}

int XlfOper::RaiseForReturnCode(int code) {
    return xlw::RaiseForReturnCode(code, "invalid number of arguments");
}

int XlfOper::RaiseForReturnCode(int code, const std::string& context) {
    return xlw::RaiseForReturnCode(code, context);
}

} // namespace xlw
