// Reads xlhost's formulas and cell settings piece by piece: values written
// as in an Excel formula (numbers, "text" with "" for a quote, TRUE, FALSE,
// #N/A and the other errors) and references (A1, A1:C3, $A$1, up to
// XFD1048576, column letters in any case; whole columns A:C and rows 1:3).
#pragma once

#include "Cell.h"
#include "FormulaArgument.h"

#include <cstddef>
#include <string>

namespace xlhost {

class Reader {
public:
    // `what` names the text in messages, e.g. "formula 'f(1)'"; `after`
    // follows every message of Fail.
    Reader(const std::string& text, std::string what, std::string after = "");

    void SkipBlanks();
    // After blanks: takes `c` if it comes next.
    bool Take(char c);
    // After blanks: true when the text ends or one of `stops` comes next.
    bool AtAnyOf(const char* stops);
    bool AtEnd() { return AtAnyOf(""); }
    // After blanks: true when `c` comes next.
    bool NextIs(char c);
    // Letters, digits, '_' and '.'.
    std::string Name();
    // A value, when one starts here; false with nothing read otherwise.
    // Texts need their quotes.
    bool Value(Cell& value);
    // A value that fills all up to one of `stops` or the end; false with
    // nothing read otherwise ("1 2" is no value but may be a text).
    bool WholeValue(Cell& value, const char* stops);
    // A reference, when one starts here; false with nothing read otherwise.
    // Throws std::invalid_argument for a reference outside the sheet.
    bool Reference(FormulaArgument& reference);
    // Everything up to one of `stops` or the end, blanks around it removed.
    std::string RawUntil(const char* stops);

    [[noreturn]] void Fail(const std::string& expected) const;

private:
    bool Number(Cell& value);
    bool QuotedText(Cell& value);
    bool ErrorLiteral(Cell& value);
    bool Boolean(Cell& value);
    // Letters, digits and '$' from here, as a reference or TRUE is written.
    std::string Word() const;

    const std::string& text_;
    std::string what_;
    std::string after_;
    std::size_t pos_ = 0;
};

} // namespace xlhost
