#include "ArgumentPassing.h"

#include "Coercion.h"
#include "Functions.h"
#include "Records.h"
#include "Text.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace xlhost {

namespace {

constexpr std::size_t MaxNarrowText = 255;
constexpr std::size_t MaxWideText = 32767;

bool IsNarrowText(const std::string& code) {
    return code == "C" || code == "D";
}
bool IsWideText(const std::string& code) {
    return code == "C%" || code == "D%";
}
bool IsCounted(const std::string& code) {
    return code[0] == 'D';
}

// The xltype the scalar code converts its value to; 0 for a record code. A
// J argument is read as a number first, so that one beyond 32 bits can be
// told from one that is no number at all.
unsigned ScalarTarget(const std::string& code) {
    if (code == "B" || code == "J") {
        return xltypeNum;
    }
    if (code == "A" || code == "L") {
        return xltypeBool;
    }
    if (IsNarrowText(code) || IsWideText(code)) {
        return xltypeStr;
    }
    return 0;
}

// Excel cuts a text to what the argument's type can count.
template <class Text> Text Counted(Text text, bool counted, std::size_t limit) {
    if (text.size() > limit) {
        text.resize(limit);
    }
    if (counted) {
        text.insert(text.begin(), static_cast<typename Text::value_type>(text.size()));
    }
    return text;
}

} // namespace

bool PassedArguments::Supports(const std::string& code) {
    return ScalarTarget(code) != 0 || code == "P" || code == "Q" || code == "R" || code == "U";
}

bool PassedArguments::Add(const std::string& code, const FormulaArgument& argument, Cell& shown) {
    Value converted;
    return Convert(code, argument, converted, shown) && AddConverted(code, converted, shown);
}

bool PassedArguments::Convert(const std::string& code, const FormulaArgument& argument,
                              Value& converted, Cell& shown) const {
    if (code == "P" || code == "R" || code == "Q" || code == "U") {
        return ConvertRecord(code == "P" || code == "R", code == "R" || code == "U", argument,
                             converted, shown);
    }
    if (!Supports(code)) {
        throw std::invalid_argument("the stand-in Excel cannot pass type " + code);
    }
    return ConvertScalar(code, argument, converted, shown);
}

bool PassedArguments::AddConverted(const std::string& code, const Value& converted, Cell& shown) {
    if (code == "P" || code == "R") {
        return AddRecord(converted, records4_, shown);
    }
    if (code == "Q" || code == "U") {
        return AddRecord(converted, records12_, shown);
    }
    if (ScalarTarget(code) == 0) {
        throw std::invalid_argument("the stand-in Excel cannot pass type " + code);
    }
    if (converted.type != ScalarTarget(code)) {
        // Only a value converted for this code reaches here from a node's host.
        shown = Cell::Error(xlerrValue);
        return false;
    }
    AddScalar(code, converted.cell);
    return true;
}

bool PassedArguments::ConvertScalar(const std::string& code, const FormulaArgument& argument,
                                    Value& converted, Cell& shown) const {
    // A scalar takes one value: a reference must name one cell.
    Cell value = argument.value;
    if (argument.isReference) {
        if (!argument.range.IsSingleCell() || !Sheet::Contains(argument.range)) {
            shown = Cell::Error(xlerrValue);
            return false;
        }
        value = sheet_.Get(argument.range.rowFirst, argument.range.columnFirst);
    }
    if (value.kind == Cell::Kind::Error || Coerce(Value::Scalar(value), ScalarTarget(code), sheet_,
                                                  TheSheetId, converted) != xlretSuccess) {
        shown = Cell::Error(xlerrValue);
        return false;
    }
    // Excel checks that an integer argument fits its type and shows #NUM!
    // when it does not; the fraction is dropped toward zero.
    const double whole = std::trunc(converted.cell.number);
    if (code == "J" && (whole < INT32_MIN || whole > INT32_MAX)) {
        shown = Cell::Error(xlerrNum);
        return false;
    }
    return true;
}

void PassedArguments::AddScalar(const std::string& code, const Cell& value) {
    if (code == "B") {
        frame_.AddDouble(value.number);
    } else if (code == "J") {
        frame_.AddInteger(static_cast<std::int32_t>(value.number));
    } else if (code == "A") {
        frame_.AddInteger(value.boolean ? 1 : 0);
    } else if (code == "L") {
        booleans_.push_back(value.boolean ? 1 : 0);
        frame_.AddPointer(&booleans_.back());
    } else if (IsNarrowText(code)) {
        narrowTexts_.push_back(Counted(Utf8ToLatin1(value.text), IsCounted(code), MaxNarrowText));
        frame_.AddPointer(narrowTexts_.back().c_str());
    } else {
        wideTexts_.push_back(Counted(Utf8ToUtf16(value.text), IsCounted(code), MaxWideText));
        frame_.AddPointer(wideTexts_.back().c_str());
    }
}

bool PassedArguments::ConvertRecord(bool excel4, bool asReference, const FormulaArgument& argument,
                                    Value& converted, Cell& shown) const {
    converted = Value::Scalar(argument.value);
    if (!argument.isReference) {
        return true;
    }
    const Range range = excel4
                            ? argument.RangeWithin(Sheet::Excel4RowCount, Sheet::Excel4ColumnCount)
                            : argument.range;
    if (excel4 ? !Sheet::WithinExcel4(range) : !Sheet::Contains(range)) {
        shown = Cell::Error(xlerrRef);
        return false;
    }
    Value reference;
    reference.type = xltypeSRef;
    reference.areas.push_back(range);
    converted = reference;
    if (!asReference &&
        Coerce(reference, std::nullopt, sheet_, TheSheetId, converted) != xlretSuccess) {
        shown = Cell::Error(xlerrValue);
        return false;
    }
    return true;
}

template <class Record>
bool PassedArguments::AddRecord(const Value& value, std::deque<Record>& records, Cell& shown) {
    Record& record = records.emplace_back(); // zero-filled
    if (!WriteValue(record, value, recordMemory_, "argument of a worksheet call")) {
        shown = Cell::Error(xlerrValue);
        return false;
    }
    frame_.AddPointer(&record);
    return true;
}

} // namespace xlhost
