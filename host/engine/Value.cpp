#include "Value.h"

#include <utility>

namespace xlhost {

Value Value::Scalar(const Cell& cell) {
    Value value;
    value.cell = cell;
    switch (cell.kind) {
    case Cell::Kind::Number:
        value.type = xltypeNum;
        break;
    case Cell::Kind::Text:
        value.type = xltypeStr;
        break;
    case Cell::Kind::Boolean:
        value.type = xltypeBool;
        break;
    case Cell::Kind::Error:
        value.type = xltypeErr;
        break;
    case Cell::Kind::Missing:
        value.type = xltypeMissing;
        break;
    default:
        value.type = xltypeNil;
        value.cell = Cell::Nil();
        break;
    }
    return value;
}

Value Value::Integer(int integer) {
    Value value;
    value.type = xltypeInt;
    value.cell = Cell::Number(integer);
    return value;
}

Value Value::Array(Grid grid) {
    Value value;
    value.type = xltypeMulti;
    value.array = std::move(grid);
    return value;
}

Cell Value::AsCell() const {
    if (IsReference()) {
        Cell reference;
        reference.kind = Cell::Kind::Reference;
        return reference;
    }
    if (type == xltypeMulti) {
        Cell array;
        array.kind = Cell::Kind::Array;
        return array;
    }
    return cell;
}

} // namespace xlhost
