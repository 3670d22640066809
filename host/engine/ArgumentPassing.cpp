#include "ArgumentPassing.h"

#include "Coercion.h"
#include "Functions.h"
#include "Records.h"
#include "Text.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <type_traits>

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
    if (code == "P" || code == "R") {
        return AddRecord(code == "R", argument, records4_, shown);
    }
    if (code == "Q" || code == "U") {
        return AddRecord(code == "U", argument, records12_, shown);
    }
    if (!Supports(code)) {
        throw std::invalid_argument("the stand-in Excel cannot pass type " + code);
    }
    // A scalar takes one value: a reference must name one cell.
    Cell value = argument.value;
    if (argument.isReference) {
        if (!argument.range.IsSingleCell() || !Sheet::Contains(argument.range)) {
            shown = Cell::Error(xlerrValue);
            return false;
        }
        value = sheet_.Get(argument.range.rowFirst, argument.range.columnFirst);
    }
    Value converted;
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
    AddScalar(code, converted.cell);
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

template <class Record>
bool PassedArguments::AddRecord(bool asReference, const FormulaArgument& argument,
                                std::deque<Record>& records, Cell& shown) {
    constexpr bool excel4 = std::is_same<Record, XLOPER>::value;
    Value value = Value::Scalar(argument.value);
    if (argument.isReference) {
        const Range range =
            excel4 ? argument.RangeWithin(Sheet::Excel4RowCount, Sheet::Excel4ColumnCount)
                   : argument.range;
        if (excel4 ? !Sheet::WithinExcel4(range) : !Sheet::Contains(range)) {
            shown = Cell::Error(xlerrRef);
            return false;
        }
        Value reference;
        reference.type = xltypeSRef;
        reference.areas.push_back(range);
        value = reference;
        if (!asReference &&
            Coerce(reference, std::nullopt, sheet_, TheSheetId, value) != xlretSuccess) {
            shown = Cell::Error(xlerrValue);
            return false;
        }
    }
    Record& record = records.emplace_back(); // zero-filled
    if (!WriteValue(record, value, recordMemory_, "argument of a worksheet call")) {
        shown = Cell::Error(xlerrValue);
        return false;
    }
    frame_.AddPointer(&record);
    return true;
}

} // namespace xlhost
