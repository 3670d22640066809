// The framework's handle on one Excel value record, of whichever record kind
// the running Excel uses. It holds only the record's address; every operation
// on the record goes to XlfOperImpl::Current.
#pragma once

#include "ArrayWidth.h"
#include "ExcelApi.h"
#include "RangeArgument.h"
#include "ValueArgument.h"
#include "XlfOperImpl.h"
#include "XlfRangeRef.h"

#include <string>
#include <vector>

class DoubleMatrix;

namespace xlw {

// The numerical layer's matrix, global there, reachable here as
// xlw::DoubleMatrix.
using ::DoubleMatrix;

class CellMatrix;

// What ReadNumbers makes of an argument left out of the formula: a refusal
// in words, or no numbers at all.
enum class MissingArgument { Refused, Empty };

class XlfOper {
public:
    // A fresh xltypeNil record from temporary memory.
    XlfOper();
    // Points at an existing record; allocates nothing.
    explicit XlfOper(void* record);
    // The record an entry point was given.
    explicit XlfOper(ValueArgument argument) : XlfOper(argument.record) {}
    explicit XlfOper(RangeArgument argument) : XlfOper(argument.record) {}
    // Shares the other handle's record.
    XlfOper(const XlfOper& other);
    // Re-pointing a handle would drop, unfreed, what Excel allocated in the
    // record it held.
    XlfOper& operator=(const XlfOper& other) = delete;
    explicit XlfOper(double value);
    explicit XlfOper(bool value);
    explicit XlfOper(const char* text);
    // The text up to its first zero byte.
    explicit XlfOper(const std::string& text);
    explicit XlfOper(const std::wstring& text);
    // Without it a wide literal would convert to bool and make TRUE.
    explicit XlfOper(const wchar_t* text);
    explicit XlfOper(short value);
    XlfOper(unsigned short value, bool isError);
    explicit XlfOper(const CellMatrix& cells);
    // xltypeNil for a matrix without elements, else an array of numbers of
    // at most 255 columns.
    explicit XlfOper(const DoubleMatrix& matrix);
    // The same, up to the given width.
    XlfOper(const DoubleMatrix& matrix, ArrayWidth width);
    // Gives back to Excel what Excel allocated, once however many handles
    // share the record.
    ~XlfOper();

    static XlfOper MakeError(unsigned short code);
    // Throws what XlfOper(DoubleMatrix) throws for a matrix of that shape
    // under the running record kind, so that a result no array can hold is
    // refused before it is computed. An empty shape passes: it makes no array.
    static void RequireMatrixFits(std::size_t rows, std::size_t columns,
                                  ArrayWidth width = ArrayWidth::Classic);
    // The most columns an array of that width holds under the running record
    // kind: 255, or 16384 for the sheet's width under Excel 12 records.
    static std::size_t MaxArrayColumns(ArrayWidth width);
    // The most rows an array holds under the running record kind: 65535
    // under Excel 4 records, the sheet's 1048576 under Excel 12 records.
    static std::size_t MaxArrayRows();
    // The number of cells, which RequireMatrixFits leaves alone: an array's
    // records come from one piece of temporary memory of at most 4294967295
    // bytes (134217727 XLOPER12s). Throws std::runtime_error naming the
    // limit and the shape, so that a result that cannot exist is refused
    // before it is computed instead of failing to allocate after.
    static void RequireCellCountFits(std::size_t rows, std::size_t columns);

    int Allocate();
    void* GetRecord() const;
    LPXLOPER GetXloper() const;
    LPXLOPER12 GetXloper12() const;
    unsigned int GetType() const;
    // "xltypeNum" and so on; "unknown" for any other type word.
    std::string XltypeName() const;

    XlfOper& SetCellMatrix(const CellMatrix& cells);
    XlfOper& SetInt(short value);
    XlfOper& SetErrorOrInt(unsigned short value, bool isError);
    XlfOper& SetWideString(const std::wstring& text);
    XlfOper& SetRef(const XlfRangeRef& range);
    // The numbers go straight into the array's elements, as SetCellMatrix
    // would write number cells. Leave the record as it is for an empty matrix
    // or vector; a vector becomes one column.
    XlfOper& SetFromMatrix(const DoubleMatrix& matrix, ArrayWidth width = ArrayWidth::Classic);
    XlfOper& SetFromVector(const std::vector<double>& values);

    // Raw conversions: Excel return codes, never an exception for a code.
    // A reference of more than 1048576 cells is not read, as cells, numbers
    // or a matrix, in either form: std::runtime_error with a text for the
    // cell ("the range of 65536 rows and 256 columns is too large to read:
    // it has more than 1048576 cells"), before anything is allocated.
    int ConvertToDouble(double& out) const;
    int ConvertToDoubleVector(std::vector<double>& out, VectorReadOrder order) const;
    int ConvertToShort(short& out) const;
    int ConvertToBool(bool& out) const;
    int ConvertToString(char*& out) const;
    int ConvertToWideString(std::wstring& out) const;
    int ConvertToCellMatrix(CellMatrix& out) const;
    int ConvertToMatrix(DoubleMatrix& out) const;
    int ConvertToRef(XlfRangeRef& out) const;
    int ConvertToError(unsigned short& out) const;

    // Raising conversions: a non-zero code is stored in returnCode when it is
    // given, and raised through RaiseForReturnCode otherwise. errorId names
    // the value in the exception's text.
    double GetDouble(int* returnCode = nullptr) const;
    double GetDouble(const std::string& errorId, int* returnCode = nullptr) const;
    std::vector<double> GetDoubleVector(VectorReadOrder order = OneDimensional,
                                        int* returnCode = nullptr) const;
    std::vector<double> GetDoubleVector(const std::string& errorId,
                                        VectorReadOrder order = OneDimensional,
                                        int* returnCode = nullptr) const;
    std::vector<double> GetNumberArray(VectorReadOrder order = OneDimensional,
                                       int* returnCode = nullptr) const;
    std::vector<double> GetNumberArray(const std::string& errorId,
                                       VectorReadOrder order = OneDimensional,
                                       int* returnCode = nullptr) const;
    // The numbers of a value, array or range as Excel converts them (a text
    // that reads as a number, a boolean, an empty cell as 0), in `order`; a
    // single value converts as it would inside a range. When a cell is not a
    // number, std::invalid_argument names the argument, the cell, counted
    // row by row, and the cause: "values: cell 3 of 10 is text, not a
    // number", "values: cell 2 of 4 is the error #N/A, not a number"; a
    // range too large to read is refused as "values: the range of ...". An
    // argument left out of the formula is refused as well ("values: the
    // argument is missing; ..."), unless `missing` says it reads as no
    // numbers. The texts of GetDoubleVector stay as they are.
    std::vector<double> ReadNumbers(const std::string& name, VectorReadOrder order = RowMajor,
                                    MissingArgument missing = MissingArgument::Refused) const;
    short GetShort(int* returnCode = nullptr) const;
    short GetShort(const std::string& errorId, int* returnCode = nullptr) const;
    bool GetBool(int* returnCode = nullptr) const;
    bool GetBool(const std::string& errorId, int* returnCode = nullptr) const;
    DoubleMatrix GetMatrix(int* returnCode = nullptr) const;
    // Number cells only. Raised, a failure names the first other cell as
    // ReadNumbers does ("values: cell 2 of 4 is a boolean, not a number"),
    // as a std::runtime_error.
    DoubleMatrix GetMatrix(const std::string& errorId, int* returnCode = nullptr) const;
    CellMatrix GetCellMatrix(int* returnCode = nullptr) const;
    CellMatrix GetCellMatrix(const std::string& errorId, int* returnCode = nullptr) const;
    // Zero-terminated, in temporary memory.
    char* GetString(int* returnCode = nullptr) const;
    char* GetString(const std::string& errorId, int* returnCode = nullptr) const;
    std::wstring GetWideString(int* returnCode = nullptr) const;
    XlfRangeRef GetRangeRef(int* returnCode = nullptr) const;

    static int RaiseForReturnCode(int code);
    static int RaiseForReturnCode(int code, const std::string& context);

private:
    friend class XlfOperImpl;

    void* record_;
};

} // namespace xlw
