#include "ResultMemory.h"

namespace tesserine {

std::string ResultShapeText(int rows, int columns) {
    return "a result of " + std::to_string(rows) + (rows == 1 ? " row" : " rows") + " and " +
           std::to_string(columns) + (columns == 1 ? " column" : " columns");
}

} // namespace tesserine
