#include "xlw/CellValue.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace xlw {

namespace {

const char* const NotAString = "non string cell asked to be a string";
const char* const NotAWideString = "non wstring cell asked to be a wstring";
const char* const NotANumber = "non number cell asked to be a number";
const char* const NotABoolean = "non boolean cell asked to be a bool";
const char* const NotAnError = "non error cell asked to be an error";

// Only A to Z change, whatever the process's locale.
template <class Char> Char LowerCaseLetter(Char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

// Each wide character keeps its low 8 bits.
std::string Narrow(const std::wstring& wide) {
    std::string narrow;
    narrow.reserve(wide.size());
    for (wchar_t c : wide)
        narrow += static_cast<char>(static_cast<unsigned char>(c));
    return narrow;
}

// Bytes are signed: 0x80 and above become 0xFF80 and above, as Excel's
// 16-bit characters do when a signed char is widened.
std::wstring Widen(const std::string& narrow) {
    std::wstring wide;
    wide.reserve(narrow.size());
    for (char c : narrow)
        wide += static_cast<wchar_t>(static_cast<std::uint16_t>(static_cast<signed char>(c)));
    return wide;
}

// The low 32 bits of the number truncated toward zero, computed exactly for
// every double, where a cast of a large one to an integer would be undefined.
unsigned long LowWordOfTruncated(double number) {
    if (!std::isfinite(number))
        return 0;
    constexpr double wordRange = 4294967296.0;
    double low = std::fmod(std::trunc(number), wordRange);
    if (low < 0)
        low += wordRange;
    return static_cast<unsigned long>(low);
}

} // namespace

CellValue::CellValue() : kind(EmptyCell), number(0.0), flag(false), errorCode(0) {}

// Each constructor starts from an empty cell, so every field it does not name
// keeps its neutral value.
CellValue::CellValue(const std::string& text) : CellValue() {
    kind = StringCell;
    this->text = text;
}

CellValue::CellValue(const char* text) : CellValue(std::string(text)) {}

CellValue::CellValue(const std::wstring& wideText) : CellValue() {
    kind = WideStringCell;
    this->wideText = wideText;
}

CellValue::CellValue(double number) : CellValue() {
    kind = NumberCell;
    this->number = number;
}

CellValue::CellValue(int number) : CellValue(static_cast<double>(number)) {}

CellValue::CellValue(unsigned long code, bool isError) : CellValue(static_cast<double>(code)) {
    kind = isError ? ErrorCell : NumberCell;
    errorCode = code;
}

CellValue::CellValue(bool flag) : CellValue() {
    kind = BooleanCell;
    this->flag = flag;
}

std::string CellValue::GetText() const {
    if (kind == WideStringCell)
        return Narrow(wideText);
    if (kind != StringCell)
        throw std::runtime_error(NotAString);
    return text;
}

const std::wstring& CellValue::GetWideText() const {
    if (kind != WideStringCell)
        throw std::runtime_error(NotAWideString);
    return wideText;
}

double CellValue::GetNumber() const {
    if (kind != NumberCell)
        throw std::runtime_error(NotANumber);
    return number;
}

bool CellValue::GetBoolean() const {
    if (kind != BooleanCell)
        throw std::runtime_error(NotABoolean);
    return flag;
}

unsigned long CellValue::GetErrorCode() const {
    if (kind != ErrorCell)
        throw std::runtime_error(NotAnError);
    return errorCode;
}

std::string CellValue::GetLowerCaseText() const {
    if (kind == WideStringCell)
        return Narrow(GetLowerCaseWideText());
    if (kind != StringCell)
        throw std::runtime_error(NotAString);
    std::string lower = text;
    for (char& c : lower)
        c = LowerCaseLetter(c);
    return lower;
}

std::wstring CellValue::GetLowerCaseWideText() const {
    if (kind == StringCell)
        return Widen(GetLowerCaseText());
    if (kind != WideStringCell)
        throw std::runtime_error(NotAString);
    std::wstring lower = wideText;
    for (wchar_t& c : lower)
        c = LowerCaseLetter(c);
    return lower;
}

CellValue::operator std::string() const {
    if (kind != StringCell)
        throw std::runtime_error(NotAString);
    return text;
}

// Refuses with the "string" text, unlike GetWideText.
CellValue::operator std::wstring() const {
    if (kind != WideStringCell)
        throw std::runtime_error(NotAString);
    return wideText;
}

// Explicit: a cell in a condition must be a boolean cell, and a number cell
// does not quietly become a bool.
CellValue::operator bool() const {
    return GetBoolean();
}

CellValue::operator double() const {
    return GetNumber();
}

CellValue::operator unsigned long() const {
    return LowWordOfTruncated(GetNumber());
}

void CellValue::Clear() {
    *this = CellValue();
}

} // namespace xlw
