// A handle on an Excel 4 record (XLOPER) whatever Excel is running, so that
// registration can take Excel's Excel 4 path in every host. It carries its
// own copy of the Excel 4 behaviour and calls Excel through Invoke4.
#pragma once

#include "ExcelApi.h"
#include "XlfOperImpl.h"
#include "XlfRangeRef.h"

#include <string>
#include <vector>

class DoubleMatrix;

namespace xlw {

class CellMatrix;

class XlfOper4 {
public:
    // A fresh xltypeNil record from temporary memory.
    XlfOper4();
    // Points at an existing record; allocates nothing.
    explicit XlfOper4(LPXLOPER record);
    // Shares the other handle's record.
    XlfOper4(const XlfOper4& other) = default;
    // Gives back to Excel what Excel allocated in the record held so far,
    // then shares the other handle's record.
    XlfOper4& operator=(const XlfOper4& other);
    explicit XlfOper4(double value);
    explicit XlfOper4(const char* text);
    // The text up to its first zero byte, at most 254 bytes of it.
    explicit XlfOper4(const std::string& text);
    // The text in the ANSI code page, as Excel 4 records hold it ("?" for a
    // character the code page lacks), at most 255 bytes of it. Without it a
    // wide literal would convert to bool and make TRUE.
    explicit XlfOper4(const wchar_t* text);
    explicit XlfOper4(unsigned short value);
    XlfOper4(unsigned short value, bool isError);
    explicit XlfOper4(bool value);
    // Gives back to Excel what Excel allocated, once however many handles
    // share the record.
    ~XlfOper4();

    int Allocate();
    int Coerce(unsigned short type, XlfOper4& result) const;
    LPXLOPER GetXloper() const { return record_; }
    unsigned int GetType() const;

    XlfOper4 GetElement(unsigned short row, unsigned short column) const;
    unsigned int Rows() const;
    unsigned int Columns() const;

    XlfOper4& SetNumber(double value);
    XlfOper4& SetInt(short value);
    XlfOper4& SetErrorOrInt(unsigned short value, bool isError);
    XlfOper4& SetBool(bool value);
    XlfOper4& SetError(unsigned short code);
    XlfOper4& SetString(const char* text);
    XlfOper4& SetRef(const XlfRangeRef& range);
    // Refuses more than 65535 rows or columns: an Excel 4 array cannot hold them.
    XlfOper4& SetMulti(unsigned int rows, unsigned int columns);
    XlfOper4& SetElement(unsigned short row, unsigned short column, const XlfOper4& value);
    // Refuses more than 65535 rows or 255 columns.
    XlfOper4& SetCellMatrix(const CellMatrix& cells);
    // The numbers go straight into the array's elements, as SetCellMatrix
    // would write number cells. Leave the record as it is for an empty matrix
    // or vector; a vector becomes one column.
    XlfOper4& SetFromMatrix(const DoubleMatrix& matrix);
    XlfOper4& SetFromVector(const std::vector<double>& values);

    // Raw conversions: Excel return codes. Only the array elements read by
    // ConvertToDoubleVector raise their failures instead.
    int ConvertToDouble(double& out) const;
    int ConvertToDoubleVector(std::vector<double>& out, VectorReadOrder order) const;
    int ConvertToShort(short& out) const;
    int ConvertToBool(bool& out) const;
    int ConvertToError(unsigned short& out) const;
    int ConvertToString(char*& out) const;
    int ConvertToRef(XlfRangeRef& out) const;
    int ConvertToMatrix(DoubleMatrix& out) const;
    int ConvertToCellMatrix(CellMatrix& out) const;

    // Raising conversions, as XlfOper's, raising through this class's own
    // RaiseForReturnCode.
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
    short GetShort(int* returnCode = nullptr) const;
    short GetShort(const std::string& errorId, int* returnCode = nullptr) const;
    bool GetBool(int* returnCode = nullptr) const;
    bool GetBool(const std::string& errorId, int* returnCode = nullptr) const;
    DoubleMatrix GetMatrix(int* returnCode = nullptr) const;
    DoubleMatrix GetMatrix(const std::string& errorId, int* returnCode = nullptr) const;
    CellMatrix GetCellMatrix(int* returnCode = nullptr) const;
    CellMatrix GetCellMatrix(const std::string& errorId, int* returnCode = nullptr) const;
    // Zero-terminated, in temporary memory.
    char* GetString(int* returnCode = nullptr) const;
    char* GetString(const std::string& errorId, int* returnCode = nullptr) const;
    XlfRangeRef GetRangeRef(int* returnCode = nullptr) const;

    // Unlike XlfOper's, says "invalid number of argument" for code 4.
    static int RaiseForReturnCode(int code);
    static int RaiseForReturnCode(int code, const std::string& context);

private:
    void ReleaseExcelMemory();

    LPXLOPER record_;
};

} // namespace xlw
