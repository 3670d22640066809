// One cell of a CellMatrix: a string, wide string, number, boolean, error
// code or nothing. It knows nothing of Excel records.
#pragma once

#include <string>
#include <type_traits>

namespace xlw {

enum CellKind : int {
    StringCell = 0,
    WideStringCell = 1,
    NumberCell = 2,
    BooleanCell = 3,
    ErrorCell = 5,
    EmptyCell = 6
};

class CellValue {
public:
    CellValue();
    CellValue(const std::string& text);
    CellValue(const char* text);
    CellValue(const std::wstring& wideText);
    CellValue(double number);
    CellValue(int number);
    // Any other number type, so that cells(0, 1) = v.size() and the like
    // choose a number cell instead of being ambiguous between double, int
    // and bool. A bool stays a boolean cell.
    template <
        class Number,
        std::enable_if_t<std::is_arithmetic_v<Number> && !std::is_same_v<Number, bool>, int> = 0>
    CellValue(Number number) : CellValue(static_cast<double>(number)) {}
    CellValue(unsigned long code, bool isError);
    CellValue(bool flag);

    bool IsStringCell() const { return kind == StringCell; }
    bool IsWideStringCell() const { return kind == WideStringCell; }
    bool IsNumberCell() const { return kind == NumberCell; }
    bool IsBooleanCell() const { return kind == BooleanCell; }
    bool IsErrorCell() const { return kind == ErrorCell; }
    bool IsEmptyCell() const { return kind == EmptyCell; }

    // Each throws std::runtime_error naming the mismatch for a cell of another
    // kind.
    std::string GetText() const;
    const std::wstring& GetWideText() const;
    double GetNumber() const;
    bool GetBoolean() const;
    unsigned long GetErrorCode() const;
    std::string GetLowerCaseText() const;
    std::wstring GetLowerCaseWideText() const;

    operator std::string() const;
    operator std::wstring() const;
    explicit operator bool() const;
    operator double() const;
    operator unsigned long() const;

    void Clear();

private:
    CellKind kind;
    std::string text;
    std::wstring wideText;
    double number;
    bool flag;
    unsigned long errorCode;
};

} // namespace xlw
