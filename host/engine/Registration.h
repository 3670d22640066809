// One xlfRegister call as the stand-in Excel received it.
#pragma once

#include "Cell.h"

#include <string>
#include <vector>

namespace xlhost {

// A parsed type text: "QBB!" is result "Q", arguments {"B", "B"}, volatile.
struct TypeText {
    std::string result;
    std::vector<std::string> arguments;
    bool isVolatile = false;      // "!"
    bool threadSafe = false;      // "$"
    bool macroEquivalent = false; // "#"
    bool clusterSafe = false;     // "&"

    // False (and the fields unspecified) for a text Excel would refuse.
    static bool Parse(const std::string& text, TypeText& parsed);
};

struct Registration {
    // Every argument exactly as passed, in order: module path, procedure,
    // type text, function text, argument text, macro type, category,
    // shortcut, help topic, function help, then one help per argument.
    // Absent trailing arguments are not listed.
    std::vector<Cell> arguments;
    int recordKind = 4; // 4: came through Excel4/Excel4v (XLOPER); 12: XLOPER12

    // Set when Excel accepted the registration: the register id it returned.
    bool accepted = false;
    double registerId = 0.0;
    // Why Excel refused it (#VALUE! to the caller), empty when accepted.
    std::string refusal;
    bool unregistered = false; // withdrawn by xlfUnregister

    TypeText parsedType;

    // Argument i as text ("" when absent or not text), and the macro type.
    std::string Text(std::size_t index) const;
    std::string ModulePath() const { return Text(0); }
    std::string Procedure() const { return Text(1); }
    std::string TypeCodes() const { return Text(2); }
    std::string FunctionText() const { return Text(3); }
    std::string ArgumentText() const { return Text(4); }
    double MacroType() const; // argument 6; 1 when absent
    std::string Category() const { return Text(6); }

    // One line per argument, "  [i] value", as `xlhost --list` prints it.
    std::string Describe() const;
};

} // namespace xlhost
