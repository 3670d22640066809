#include "Reader.h"

#include "Sheet.h"
#include "Text.h"
#include "xlw/ExcelApi.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace xlhost {

namespace {

constexpr int ErrorCodes[] = {xlerrNull, xlerrDiv0, xlerrValue, xlerrRef,
                              xlerrName, xlerrNum,  xlerrNA};

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}
bool IsLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}
bool IsWordCharacter(char c) {
    return IsLetter(c) || IsDigit(c) || c == '$' || c == '_' || c == '.';
}

// A leading '$' (an absolute row or column) changes nothing here.
std::string WithoutDollar(const std::string& part) {
    return !part.empty() && part[0] == '$' ? part.substr(1) : part;
}

bool AllOf(const std::string& text, bool (*test)(char)) {
    return !text.empty() && std::all_of(text.begin(), text.end(), test);
}

// Column letters "B" to a zero-based column; false (and `outside` saying why)
// beyond the sheet.
bool ColumnIndex(const std::string& letters, int& column, std::string& outside) {
    long long columnNumber = 0;
    for (char letter : letters) {
        columnNumber =
            columnNumber * 26 + (std::toupper(static_cast<unsigned char>(letter)) - 'A' + 1);
        if (columnNumber > Sheet::ColumnCount) {
            outside = "column " + letters + " is beyond XFD, the last of the sheet";
            return false;
        }
    }
    column = static_cast<int>(columnNumber - 1);
    return true;
}

// Row digits "7" to a zero-based row; false (and `outside` saying why)
// outside the sheet.
bool RowIndex(const std::string& digits, int& row, std::string& outside) {
    long long rowNumber = 0;
    for (char digit : digits) {
        rowNumber = rowNumber * 10 + (digit - '0');
        if (rowNumber > Sheet::RowCount) {
            break;
        }
    }
    if (rowNumber < 1 || rowNumber > Sheet::RowCount) {
        outside = "row " + digits + " is outside the sheet's rows 1 to 1048576";
        return false;
    }
    row = static_cast<int>(rowNumber - 1);
    return true;
}

// One corner of a reference, "B7" or "$B$7", zero-based; false when the
// text is no cell name at all, or names a cell outside the sheet (then
// `outside` says why).
bool Corner(const std::string& text, int& row, int& column, std::string& outside) {
    const std::string cell = WithoutDollar(text);
    std::size_t pos = 0;
    while (pos < cell.size() && IsLetter(cell[pos])) {
        ++pos;
    }
    const std::string letters = cell.substr(0, pos);
    if (pos < cell.size() && cell[pos] == '$') {
        ++pos;
    }
    const std::string digits = cell.substr(pos);
    return !letters.empty() && AllOf(digits, IsDigit) && ColumnIndex(letters, column, outside) &&
           RowIndex(digits, row, outside);
}

} // namespace

Reader::Reader(const std::string& text, std::string what, std::string after)
    : text_(text), what_(std::move(what)), after_(std::move(after)) {}

void Reader::SkipBlanks() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) {
        ++pos_;
    }
}

bool Reader::Take(char c) {
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == c) {
        ++pos_;
        return true;
    }
    return false;
}

bool Reader::AtAnyOf(const char* stops) {
    SkipBlanks();
    return pos_ == text_.size() || std::strchr(stops, text_[pos_]) != nullptr;
}

bool Reader::NextIs(char c) {
    SkipBlanks();
    return pos_ < text_.size() && text_[pos_] == c;
}

std::string Reader::Name() {
    SkipBlanks();
    const std::size_t start = pos_;
    while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) ||
                                   text_[pos_] == '_' || text_[pos_] == '.')) {
        ++pos_;
    }
    return text_.substr(start, pos_ - start);
}

std::string Reader::Word() const {
    std::size_t end = pos_;
    while (end < text_.size() && IsWordCharacter(text_[end])) {
        ++end;
    }
    return text_.substr(pos_, end - pos_);
}

bool Reader::Value(Cell& value) {
    SkipBlanks();
    return QuotedText(value) || ErrorLiteral(value) || Number(value) || Boolean(value);
}

bool Reader::WholeValue(Cell& value, const char* stops) {
    const std::size_t start = pos_;
    if (Value(value) && AtAnyOf(stops)) {
        return true;
    }
    pos_ = start;
    return false;
}

// Digits with an optional sign, point and exponent, as a formula writes a
// number: strtod alone would also take "inf", "nan" and hexadecimal.
bool Reader::Number(Cell& value) {
    std::size_t end = pos_;
    if (end < text_.size() && (text_[end] == '+' || text_[end] == '-')) {
        ++end;
    }
    const std::size_t mantissa = end;
    while (end < text_.size() && IsDigit(text_[end])) {
        ++end;
    }
    if (end < text_.size() && text_[end] == '.') {
        ++end;
        while (end < text_.size() && IsDigit(text_[end])) {
            ++end;
        }
    }
    if (end == mantissa || (end == mantissa + 1 && text_[mantissa] == '.')) {
        return false;
    }
    if (end < text_.size() && (text_[end] == 'e' || text_[end] == 'E')) {
        std::size_t exponent = end + 1;
        if (exponent < text_.size() && (text_[exponent] == '+' || text_[exponent] == '-')) {
            ++exponent;
        }
        if (exponent < text_.size() && IsDigit(text_[exponent])) {
            end = exponent;
            while (end < text_.size() && IsDigit(text_[end])) {
                ++end;
            }
        }
    }
    if (end < text_.size() && IsWordCharacter(text_[end])) {
        return false;
    }
    const double number = std::strtod(text_.substr(pos_, end - pos_).c_str(), nullptr);
    if (!std::isfinite(number)) {
        Fail("a number within the range of doubles");
    }
    value = Cell::Number(number);
    pos_ = end;
    return true;
}

bool Reader::QuotedText(Cell& value) {
    if (pos_ == text_.size() || text_[pos_] != '"') {
        return false;
    }
    std::string text;
    for (std::size_t pos = pos_ + 1; pos < text_.size(); ++pos) {
        if (text_[pos] != '"') {
            text += text_[pos];
        } else if (pos + 1 < text_.size() && text_[pos + 1] == '"') {
            text += '"';
            ++pos;
        } else {
            value = Cell::Text(text);
            pos_ = pos + 1;
            return true;
        }
    }
    Fail("a closing '\"'");
}

bool Reader::ErrorLiteral(Cell& value) {
    if (pos_ == text_.size() || text_[pos_] != '#') {
        return false;
    }
    for (int code : ErrorCodes) {
        const std::string name = ErrorText(code);
        if (SameIgnoringCase(text_.substr(pos_, name.size()), name)) {
            value = Cell::Error(code);
            pos_ += name.size();
            return true;
        }
    }
    Fail("an error: #NULL!, #DIV/0!, #VALUE!, #REF!, #NAME?, #NUM! or #N/A");
}

bool Reader::Boolean(Cell& value) {
    const std::string word = Word();
    const bool isTrue = SameIgnoringCase(word, "TRUE");
    if (!isTrue && !SameIgnoringCase(word, "FALSE")) {
        return false;
    }
    value = Cell::Boolean(isTrue);
    pos_ += word.size();
    return true;
}

bool Reader::Reference(FormulaArgument& reference) {
    SkipBlanks();
    const std::string first = Word();
    int rowFirst = 0;
    int columnFirst = 0;
    std::string outside;
    if (first.empty()) {
        return false;
    }
    const bool cell = Corner(first, rowFirst, columnFirst, outside);
    const bool beforeColon =
        pos_ + first.size() < text_.size() && text_[pos_ + first.size()] == ':';
    const bool columns = !cell && beforeColon && AllOf(WithoutDollar(first), IsLetter);
    const bool rows = !cell && beforeColon && AllOf(WithoutDollar(first), IsDigit);
    if (!outside.empty()) {
        Fail("a reference within the sheet: " + outside);
    }
    if (!cell && !columns && !rows) {
        return false;
    }
    int rowLast = rowFirst;
    int columnLast = columnFirst;
    if (columns || rows) {
        // A:C is A1:C1048576 and 1:3 is A1:XFD3 on Excel 12's sheet.
        pos_ += first.size() + 1;
        const std::string last = WithoutDollar(Word());
        const bool read = columns ? AllOf(last, IsLetter) &&
                                        ColumnIndex(WithoutDollar(first), columnFirst, outside) &&
                                        ColumnIndex(last, columnLast, outside)
                                  : AllOf(last, IsDigit) &&
                                        RowIndex(WithoutDollar(first), rowFirst, outside) &&
                                        RowIndex(last, rowLast, outside);
        if (!read) {
            Fail(!outside.empty() ? "a reference within the sheet: " + outside
                 : columns        ? "a column after ':', as in A:C"
                                  : "a row after ':', as in 1:3");
        }
        pos_ += Word().size();
        rowFirst = columns ? 0 : rowFirst;
        rowLast = columns ? Sheet::RowCount - 1 : rowLast;
        columnFirst = rows ? 0 : columnFirst;
        columnLast = rows ? Sheet::ColumnCount - 1 : columnLast;
    } else {
        pos_ += first.size();
        if (pos_ < text_.size() && text_[pos_] == ':') {
            ++pos_;
            const std::string last = Word();
            if (!Corner(last, rowLast, columnLast, outside)) {
                Fail(outside.empty() ? "a cell after ':', as in A1:C3"
                                     : "a reference within the sheet: " + outside);
            }
            pos_ += last.size();
        }
    }
    // Excel writes a range from its top left corner whichever corners were typed.
    reference = FormulaArgument::Reference(
        Range{std::min(rowFirst, rowLast), std::max(rowFirst, rowLast),
              std::min(columnFirst, columnLast), std::max(columnFirst, columnLast)});
    reference.wholeColumns = columns;
    reference.wholeRows = rows;
    return true;
}

std::string Reader::RawUntil(const char* stops) {
    SkipBlanks();
    const std::size_t start = pos_;
    while (pos_ < text_.size() && std::strchr(stops, text_[pos_]) == nullptr) {
        ++pos_;
    }
    std::size_t end = pos_;
    while (end > start && std::isspace(static_cast<unsigned char>(text_[end - 1]))) {
        --end;
    }
    return text_.substr(start, end - start);
}

void Reader::Fail(const std::string& expected) const {
    throw std::invalid_argument(what_ + ": expected " + expected + " at position " +
                                std::to_string(pos_ + 1) + after_);
}

} // namespace xlhost
