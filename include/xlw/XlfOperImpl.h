// The operations behind every XlfOper: one implementation per Excel record
// kind, of which exactly one is current in a process.
#pragma once

#include "ExcelApi.h"

#include <cstddef>
#include <string>
#include <vector>

class DoubleMatrix;

namespace xlw {

class CellMatrix;
class XlfOper;
class XlfRangeRef;

// How an array or range is read into a vector of doubles. Any value other
// than OneDimensional and RowMajor reads column after column.
enum VectorReadOrder : int { OneDimensional = 0, RowMajor = 1, ColumnMajor = 2 };

// The slot order is fixed: keep new operations out of the middle.
class XlfOperImpl {
public:
    // The implementation constructed last; null until XlfExcel binds.
    static XlfOperImpl* Current;

    XlfOperImpl(const XlfOperImpl&) = delete;
    XlfOperImpl& operator=(const XlfOperImpl&) = delete;

    virtual void Destroy(XlfOper& oper) const = 0;
    virtual void FreeExcelMemory(XlfOper& oper) const = 0;
    virtual XlfOper& Copy(XlfOper& target, const XlfOper& source) const = 0;
    virtual XlfOper GetElement(const XlfOper& array, unsigned int row,
                               unsigned int column) const = 0;
    virtual LPXLOPER GetXloper(const XlfOper& oper) const = 0;
    virtual LPXLOPER12 GetXloper12(const XlfOper& oper) const = 0;
    virtual void* GetRecord(const XlfOper& oper) const = 0;
    virtual bool IsMissing(const XlfOper& oper) const = 0;
    virtual bool IsError(const XlfOper& oper) const = 0;
    virtual bool IsRef(const XlfOper& oper) const = 0;
    virtual bool IsSRef(const XlfOper& oper) const = 0;
    virtual bool IsMulti(const XlfOper& oper) const = 0;
    virtual bool IsNumber(const XlfOper& oper) const = 0;
    virtual bool IsString(const XlfOper& oper) const = 0;
    virtual bool IsNil(const XlfOper& oper) const = 0;
    virtual bool IsBool(const XlfOper& oper) const = 0;
    virtual bool IsInt(const XlfOper& oper) const = 0;
    virtual unsigned int Rows(const XlfOper& array) const = 0;
    virtual unsigned int Columns(const XlfOper& array) const = 0;
    virtual void* RecordPointer(const XlfOper& oper) const = 0;
    virtual XlfOper& SetMulti(XlfOper& oper, unsigned int rows, unsigned int columns) const = 0;
    virtual XlfOper& SetErrorOrInt(XlfOper& oper, unsigned short value, bool isError) const = 0;
    virtual XlfOper& SetRef(XlfOper& oper, const XlfRangeRef& range) const = 0;
    virtual XlfOper& SetCellMatrix(XlfOper& oper, const CellMatrix& cells) const = 0;
    virtual XlfOper& SetWideString(XlfOper& oper, const std::wstring& text) const = 0;
    virtual XlfOper& SetString(XlfOper& oper, const char* text) const = 0;
    virtual XlfOper& SetBool(XlfOper& oper, bool value) const = 0;
    virtual XlfOper& SetInt(XlfOper& oper, short value) const = 0;
    virtual XlfOper& SetNumber(XlfOper& oper, double value) const = 0;
    virtual XlfOper& SetRecord(XlfOper& oper, void* record) const = 0;
    virtual XlfOper& SetElement(XlfOper& array, unsigned int row, unsigned int column,
                                const XlfOper& value) const = 0;
    virtual XlfOper& SetError(XlfOper& oper, unsigned short code) const = 0;
    virtual int Coerce(const XlfOper& source, unsigned short type, XlfOper& result) const = 0;
    virtual int Allocate(XlfOper& oper) const = 0;
    virtual int ConvertToDoubleVector(const XlfOper& oper, std::vector<double>& out,
                                      VectorReadOrder order) const = 0;
    virtual int ConvertToDouble(const XlfOper& oper, double& out) const = 0;
    virtual int ConvertToShort(const XlfOper& oper, short& out) const = 0;
    virtual int ConvertToBool(const XlfOper& oper, bool& out) const = 0;
    virtual int ConvertToString(const XlfOper& oper, char*& out) const = 0;
    virtual int ConvertToWideString(const XlfOper& oper, std::wstring& out) const = 0;
    virtual int ConvertToCellMatrix(const XlfOper& oper, CellMatrix& out) const = 0;
    virtual int ConvertToMatrix(const XlfOper& oper, DoubleMatrix& out) const = 0;
    virtual int ConvertToRef(const XlfOper& oper, XlfRangeRef& out) const = 0;
    virtual int ConvertToError(const XlfOper& oper, unsigned short& out) const = 0;
    virtual unsigned int GetType(const XlfOper& oper) const = 0;
    // The rows x columns numbers at `values`, row after row, as an array
    // whose elements are written straight from the doubles: the record that
    // SetCellMatrix makes of number cells, byte for byte, without a cell per
    // element on the way. Refuses the shapes SetCellMatrix refuses.
    // At most maxColumns columns, which the caller has kept within
    // SheetColumns.
    virtual XlfOper& SetNumberArray(XlfOper& oper, const double* values, std::size_t rows,
                                    std::size_t columns, std::size_t maxColumns) const = 0;
    // Throws what SetNumberArray throws for that shape, without a record.
    virtual void RequireArrayShape(std::size_t rows, std::size_t columns,
                                   std::size_t maxColumns) const = 0;
    // The widest array of this record kind: a sheet's columns, less the one
    // an Excel 4 array cannot reach.
    virtual std::size_t SheetColumns() const = 0;

protected:
    // Makes the new object current.
    XlfOperImpl();
    // Implementations live for the whole process and are never deleted
    // through this interface.
    ~XlfOperImpl() = default;

    // The handle's one field, for the implementations only.
    static void* RecordOf(const XlfOper& oper);
    static void PointAt(XlfOper& oper, void* record);

    // What the implementations share because it works through handles only.
    int CoerceInExcel(const XlfOper& source, unsigned short type, XlfOper& result) const;
    // A single value (a text, boolean, error, empty cell or integer) as one
    // number, converted as the same value is as an element of an array;
    // anything else as each cell of the reference the handle converts to,
    // through Excel's coercion of a single-cell reference to a number.
    int ConvertValueOrRangeToDoubles(const XlfOper& oper, std::vector<double>& out,
                                     VectorReadOrder order) const;
    // Through ConvertToCellMatrix; Missing and Nil give a 0 x 0 matrix.
    int ConvertCellsToMatrix(const XlfOper& oper, DoubleMatrix& out) const;
};

} // namespace xlw
