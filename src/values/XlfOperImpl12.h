// The value operations on Excel 12 records (XLOPER12): 32-bit type words and counts, counted
// 16-bit strings.
#pragma once

#include "xlw/XlfOperImpl.h"

namespace xlw {

class XlfOperImpl12 : public XlfOperImpl {
public:
    void Destroy(XlfOper& oper) const override;
    void FreeExcelMemory(XlfOper& oper) const override;
    XlfOper& Copy(XlfOper& target, const XlfOper& source) const override;
    XlfOper GetElement(const XlfOper& array, unsigned int row, unsigned int column) const override;
    LPXLOPER GetXloper(const XlfOper& oper) const override;
    LPXLOPER12 GetXloper12(const XlfOper& oper) const override;
    void* GetRecord(const XlfOper& oper) const override;
    bool IsMissing(const XlfOper& oper) const override;
    bool IsError(const XlfOper& oper) const override;
    bool IsRef(const XlfOper& oper) const override;
    bool IsSRef(const XlfOper& oper) const override;
    bool IsMulti(const XlfOper& oper) const override;
    bool IsNumber(const XlfOper& oper) const override;
    bool IsString(const XlfOper& oper) const override;
    bool IsNil(const XlfOper& oper) const override;
    bool IsBool(const XlfOper& oper) const override;
    bool IsInt(const XlfOper& oper) const override;
    unsigned int Rows(const XlfOper& array) const override;
    unsigned int Columns(const XlfOper& array) const override;
    void* RecordPointer(const XlfOper& oper) const override;
    XlfOper& SetMulti(XlfOper& oper, unsigned int rows, unsigned int columns) const override;
    XlfOper& SetErrorOrInt(XlfOper& oper, unsigned short value, bool isError) const override;
    XlfOper& SetRef(XlfOper& oper, const XlfRangeRef& range) const override;
    XlfOper& SetCellMatrix(XlfOper& oper, const CellMatrix& cells) const override;
    XlfOper& SetWideString(XlfOper& oper, const std::wstring& text) const override;
    XlfOper& SetString(XlfOper& oper, const char* text) const override;
    XlfOper& SetBool(XlfOper& oper, bool value) const override;
    XlfOper& SetInt(XlfOper& oper, short value) const override;
    XlfOper& SetNumber(XlfOper& oper, double value) const override;
    XlfOper& SetRecord(XlfOper& oper, void* record) const override;
    XlfOper& SetElement(XlfOper& array, unsigned int row, unsigned int column,
                        const XlfOper& value) const override;
    XlfOper& SetError(XlfOper& oper, unsigned short code) const override;
    int Coerce(const XlfOper& source, unsigned short type, XlfOper& result) const override;
    int Allocate(XlfOper& oper) const override;
    int ConvertToDoubleVector(const XlfOper& oper, std::vector<double>& out,
                              VectorReadOrder order) const override;
    int ConvertToDouble(const XlfOper& oper, double& out) const override;
    int ConvertToShort(const XlfOper& oper, short& out) const override;
    int ConvertToBool(const XlfOper& oper, bool& out) const override;
    int ConvertToString(const XlfOper& oper, char*& out) const override;
    int ConvertToWideString(const XlfOper& oper, std::wstring& out) const override;
    int ConvertToCellMatrix(const XlfOper& oper, CellMatrix& out) const override;
    int ConvertToMatrix(const XlfOper& oper, DoubleMatrix& out) const override;
    int ConvertToRef(const XlfOper& oper, XlfRangeRef& out) const override;
    int ConvertToError(const XlfOper& oper, unsigned short& out) const override;
    unsigned int GetType(const XlfOper& oper) const override;
    XlfOper& SetNumberArray(XlfOper& oper, const double* values, std::size_t rows,
                            std::size_t columns, std::size_t maxColumns) const override;
    void RequireArrayShape(std::size_t rows, std::size_t columns,
                           std::size_t maxColumns) const override;
    std::size_t SheetColumns() const override;
};

} // namespace xlw
