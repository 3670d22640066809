#include "Formula.h"

#include "Reader.h"

namespace xlhost {

namespace {

FormulaArgument Argument(Reader& reader) {
    // Nothing before the next ',' or ')': omitted, as in 'f(1,,3)'.
    if (reader.AtAnyOf(",)")) {
        return FormulaArgument::Omitted();
    }
    // References first: the rows 1:3 begin as the number 1 does.
    FormulaArgument reference;
    if (reader.Reference(reference)) {
        return reference;
    }
    Cell value;
    if (reader.Value(value)) {
        return FormulaArgument::Literal(value);
    }
    reader.Fail("an argument: a number, a \"text\", TRUE, FALSE, an error such as #N/A, a "
                "reference such as A1 or A1:C3, or nothing");
}

} // namespace

const char* const Formula::Grammar =
    "xlhost evaluates one call of a registered function, its arguments numbers, \"texts\", "
    "TRUE, FALSE, errors, references such as A1 or A1:C3, or nothing: no operators, nested "
    "calls, names, LET or spill references such as A1#";

Formula Formula::Parse(const std::string& text) {
    Reader reader(text, "formula '" + text + "'", std::string(". ") + Grammar);
    Formula formula;
    reader.Take('=');
    formula.functionName = reader.Name();
    if (formula.functionName.empty()) {
        reader.Fail("a function name");
    }
    if (!reader.Take('(')) {
        reader.Fail("'('");
    }
    // 'f()' has no argument; 'f(,)' has two, both omitted.
    if (!reader.Take(')')) {
        do {
            formula.arguments.push_back(Argument(reader));
        } while (reader.Take(','));
        if (!reader.Take(')')) {
            reader.Fail("',' or ')'");
        }
    }
    if (!reader.AtEnd()) {
        reader.Fail("the end");
    }
    return formula;
}

} // namespace xlhost
