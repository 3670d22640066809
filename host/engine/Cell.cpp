#include "Cell.h"

#include "xlw/ExcelApi.h"

#include <cstdio>
#include <utility>

namespace xlhost {

Cell Cell::Missing() {
    Cell cell;
    cell.kind = Kind::Missing;
    return cell;
}

Cell Cell::Number(double value) {
    Cell cell;
    cell.kind = Kind::Number;
    cell.number = value;
    return cell;
}

Cell Cell::Text(std::string value) {
    Cell cell;
    cell.kind = Kind::Text;
    cell.text = std::move(value);
    return cell;
}

Cell Cell::Boolean(bool value) {
    Cell cell;
    cell.kind = Kind::Boolean;
    cell.boolean = value;
    return cell;
}

Cell Cell::Error(int code) {
    Cell cell;
    cell.kind = Kind::Error;
    cell.error = code;
    return cell;
}

bool Cell::operator==(const Cell& other) const {
    if (kind != other.kind) {
        return false;
    }
    switch (kind) {
    case Kind::Number:
        return number == other.number;
    case Kind::Text:
        return text == other.text;
    case Kind::Boolean:
        return boolean == other.boolean;
    case Kind::Error:
        return error == other.error;
    default:
        return true;
    }
}

std::string Cell::Display() const {
    switch (kind) {
    case Kind::Number: {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.17g", number);
        return buffer;
    }
    case Kind::Text:
        return text;
    case Kind::Boolean:
        return boolean ? "TRUE" : "FALSE";
    case Kind::Error:
        return ErrorText(error);
    case Kind::Reference:
        return "<reference>";
    case Kind::Array:
        return "<array>";
    default:
        return std::string();
    }
}

std::string ErrorText(int code) {
    switch (code) {
    case xlerrNull:
        return "#NULL!";
    case xlerrDiv0:
        return "#DIV/0!";
    case xlerrValue:
        return "#VALUE!";
    case xlerrRef:
        return "#REF!";
    case xlerrName:
        return "#NAME?";
    case xlerrNum:
        return "#NUM!";
    case xlerrNA:
        return "#N/A";
    case SpillError:
        return "#SPILL!";
    default:
        return "#ERR" + std::to_string(code);
    }
}

} // namespace xlhost
