#include "ErrorValueText.h"

#include "xlw/ExcelApi.h"

namespace xlw {

std::string ErrorValueText(int error) {
    switch (error) {
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
    default:
        return "error " + std::to_string(error);
    }
}

} // namespace xlw
