// A worksheet formula as xlhost takes it: a registered function's name and
// its arguments, each a number, a "text" ("" inside for a quote), TRUE or
// FALSE, an error such as #N/A, a reference such as A1 or A1:C3 ($ signs
// allowed), or nothing: 'fix_Table(1.5, "a b", B2:C3, , #N/A)', with or
// without the '=' a cell's formula begins with.
#pragma once

#include "FormulaArgument.h"

#include <string>
#include <vector>

namespace xlhost {

struct Formula {
    std::string functionName;
    std::vector<FormulaArgument> arguments;

    // What xlhost evaluates, the sentence that ends every refusal of a
    // formula, since the formulas a user tries come from real sheets.
    static const char* const Grammar;

    // Throws std::invalid_argument saying what is wrong, then Grammar.
    static Formula Parse(const std::string& text);
};

} // namespace xlhost
