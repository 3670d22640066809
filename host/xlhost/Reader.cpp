#include "Reader.h"

#include "Sheet.h"
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

bool SameLetters(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// One corner of a reference, "B7" or "$B$7", zero-based; false when the
// text is no cell name at all, or names a cell outside the sheet (then
// `outside` says why).
bool Corner(const std::string& text, int& row, int& column, std::string& outside) {
    if (text.empty()) {
        return false;
    }
    std::size_t pos = text[0] == '$' ? 1 : 0;
    const std::size_t lettersStart = pos;
    while (pos < text.size() && IsLetter(text[pos])) {
        ++pos;
    }
    const std::string letters = text.substr(lettersStart, pos - lettersStart);
    if (pos < text.size() && text[pos] == '$') {
        ++pos;
    }
    const std::string digits = text.substr(pos);
    if (letters.empty() || digits.empty() ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    long long columnNumber = 0;
    for (char letter : letters) {
        columnNumber =
            columnNumber * 26 + (std::toupper(static_cast<unsigned char>(letter)) - 'A' + 1);
        if (columnNumber > Sheet::ColumnCount) {
            outside = "column " + letters + " is beyond XFD, the last of the sheet";
            return false;
        }
    }
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
    column = static_cast<int>(columnNumber - 1);
    return true;
}

} // namespace

Reader::Reader(const std::string& text, std::string what) : text_(text), what_(std::move(what)) {}

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
        if (SameLetters(text_.substr(pos_, name.size()), name)) {
            value = Cell::Error(code);
            pos_ += name.size();
            return true;
        }
    }
    Fail("an error: #NULL!, #DIV/0!, #VALUE!, #REF!, #NAME?, #NUM! or #N/A");
}

bool Reader::Boolean(Cell& value) {
    const std::string word = Word();
    const bool isTrue = SameLetters(word, "TRUE");
    if (!isTrue && !SameLetters(word, "FALSE")) {
        return false;
    }
    value = Cell::Boolean(isTrue);
    pos_ += word.size();
    return true;
}

bool Reader::Reference(Range& range) {
    SkipBlanks();
    const std::string first = Word();
    int rowFirst = 0;
    int columnFirst = 0;
    std::string outside;
    if (first.empty() || !Corner(first, rowFirst, columnFirst, outside)) {
        if (!outside.empty()) {
            Fail("a reference within the sheet: " + outside);
        }
        return false;
    }
    pos_ += first.size();
    int rowLast = rowFirst;
    int columnLast = columnFirst;
    if (pos_ < text_.size() && text_[pos_] == ':') {
        ++pos_;
        const std::string last = Word();
        if (!Corner(last, rowLast, columnLast, outside)) {
            Fail(outside.empty() ? "a cell after ':', as in A1:C3"
                                 : "a reference within the sheet: " + outside);
        }
        pos_ += last.size();
    }
    // Excel writes a range from its top left corner whichever corners were typed.
    range = Range{std::min(rowFirst, rowLast), std::max(rowFirst, rowLast),
                  std::min(columnFirst, columnLast), std::max(columnFirst, columnLast)};
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
                                std::to_string(pos_ + 1));
}

bool ParseValue(const std::string& text, Cell& value) {
    Reader reader(text, "value '" + text + "'");
    return reader.Value(value) && reader.AtEnd();
}

} // namespace xlhost
