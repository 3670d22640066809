// A worksheet formula as xlhost takes it: a registered function's name and
// its arguments, each a number, a "text" ("" inside for a quote), TRUE or
// FALSE, an error such as #N/A, a reference such as A1 or A1:C3 ($ signs
// allowed), or nothing: 'fix_Table(1.5, "a b", B2:C3, , #N/A)'.
#pragma once

#include "FormulaArgument.h"

#include <string>
#include <vector>

namespace xlhost {

struct Formula {
    std::string functionName;
    std::vector<FormulaArgument> arguments;

    // Throws std::invalid_argument saying what is wrong.
    static Formula Parse(const std::string& text);
};

} // namespace xlhost
