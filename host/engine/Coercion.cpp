#include "Coercion.h"

#include "Text.h"

#include <cmath>
#include <utility>

namespace xlhost {

namespace {

// The order in which a mask of several types is tried.
constexpr unsigned ScalarTargets[] = {xltypeNum, xltypeStr, xltypeBool,
                                      xltypeInt, xltypeErr, xltypeNil};

bool IsEmpty(const Cell& cell) {
    return cell.kind == Cell::Kind::Nil || cell.kind == Cell::Kind::Missing;
}

bool ToNumber(const Cell& cell, double& number) {
    switch (cell.kind) {
    case Cell::Kind::Number:
        number = cell.number;
        return true;
    case Cell::Kind::Boolean:
        number = cell.boolean ? 1.0 : 0.0;
        return true;
    case Cell::Kind::Text:
        return ParseExcelNumber(cell.text, number);
    default:
        number = 0.0;
        return IsEmpty(cell);
    }
}

bool ToText(const Cell& cell, std::string& text) {
    switch (cell.kind) {
    case Cell::Kind::Number:
        text = ExcelNumberText(cell.number);
        return true;
    case Cell::Kind::Boolean:
        text = cell.boolean ? "TRUE" : "FALSE";
        return true;
    case Cell::Kind::Text:
        text = cell.text;
        return true;
    default:
        text.clear();
        return IsEmpty(cell);
    }
}

bool ToBoolean(const Cell& cell, bool& boolean) {
    switch (cell.kind) {
    case Cell::Kind::Number:
        boolean = cell.number != 0.0;
        return true;
    case Cell::Kind::Boolean:
        boolean = cell.boolean;
        return true;
    case Cell::Kind::Text:
        return ParseExcelBoolean(cell.text, boolean);
    default:
        boolean = false;
        return IsEmpty(cell);
    }
}

bool ConvertScalar(const Cell& cell, unsigned target, Value& result) {
    double number = 0.0;
    std::string text;
    bool boolean = false;
    switch (target) {
    case xltypeNum:
        if (!ToNumber(cell, number)) {
            return false;
        }
        result = Value::Scalar(Cell::Number(number));
        return true;
    case xltypeStr:
        if (!ToText(cell, text)) {
            return false;
        }
        result = Value::Scalar(Cell::Text(text));
        return true;
    case xltypeBool:
        if (!ToBoolean(cell, boolean)) {
            return false;
        }
        result = Value::Scalar(Cell::Boolean(boolean));
        return true;
    case xltypeInt:
        // Whether the integer fits the record is decided when it is written.
        if (!ToNumber(cell, number) || std::fabs(number) >= 2147483648.0) {
            return false;
        }
        result = Value::Integer(static_cast<int>(std::trunc(number)));
        return true;
    case xltypeErr:
        if (cell.kind != Cell::Kind::Error) {
            return false;
        }
        result = Value::Scalar(cell);
        return true;
    case xltypeNil:
        if (!IsEmpty(cell)) {
            return false;
        }
        result = Value::Scalar(Cell::Nil());
        return true;
    default:
        return false;
    }
}

bool OnSheet(const Value& reference, std::uintptr_t sheetId) {
    if (reference.type == xltypeRef && reference.sheetId != sheetId) {
        return false;
    }
    for (const Range& area : reference.areas) {
        if (!Sheet::Contains(area)) {
            return false;
        }
    }
    return true;
}

// A reference asked for as a reference: an SRef always means the engine's
// one sheet, and only a one-area reference has an SRef form.
bool ConvertReference(const Value& source, unsigned mask, std::uintptr_t sheetId, Value& result) {
    result = source;
    if ((mask & source.type) != 0) {
        return true;
    }
    if ((mask & xltypeRef) != 0) {
        result.type = xltypeRef;
        result.sheetId = sheetId;
        return true;
    }
    result.type = xltypeSRef;
    result.sheetId = 0;
    return source.areas.size() == 1;
}

// The reference's values: an array for a range when `wholeRange`, else its
// first cell, which is all a single value is taken from.
bool Dereference(const Value& reference, const Sheet& sheet, bool wholeRange, Value& value) {
    if (reference.areas.size() != 1) {
        return false;
    }
    const Range& area = reference.areas[0];
    if (area.IsSingleCell() || !wholeRange) {
        value = Value::Scalar(sheet.Get(area.rowFirst, area.columnFirst));
        return true;
    }
    // An array the stand-in will not build fails, as Excel's xlCoerce fails
    // when it cannot allocate one.
    Grid cells;
    if (!sheet.Read(area, cells)) {
        return false;
    }
    value = Value::Array(std::move(cells));
    return true;
}

bool ConvertValue(const Value& value, unsigned mask, Value& result) {
    if ((mask & value.type) != 0) {
        result = value;
        return true;
    }
    if (value.type == xltypeMulti) {
        if (value.array.cells.empty()) {
            return false;
        }
        return ConvertValue(Value::Scalar(value.array.cells[0]), mask, result);
    }
    for (unsigned target : ScalarTargets) {
        if ((mask & target) != 0 && ConvertScalar(value.cell, target, result)) {
            return true;
        }
    }
    if ((mask & xltypeMulti) != 0) {
        result = Value::Array(Grid::Single(value.cell));
        return true;
    }
    return false;
}

} // namespace

int Coerce(const Value& source, std::optional<unsigned> target, const Sheet& sheet,
           std::uintptr_t sheetId, Value& result) {
    const unsigned mask = target.value_or(xltypeMissing);
    const bool byDefault = mask == xltypeMissing;
    Value value = source;
    if (source.IsReference()) {
        if (!OnSheet(source, sheetId)) {
            return xlretFailed;
        }
        if (!byDefault && (mask & (xltypeRef | xltypeSRef)) != 0) {
            return ConvertReference(source, mask, sheetId, result) ? xlretSuccess : xlretFailed;
        }
        if (!Dereference(source, sheet, byDefault || (mask & xltypeMulti) != 0, value)) {
            return xlretFailed;
        }
    }
    if (byDefault) {
        result = value;
        return xlretSuccess;
    }
    return ConvertValue(value, mask, result) ? xlretSuccess : xlretFailed;
}

} // namespace xlhost
