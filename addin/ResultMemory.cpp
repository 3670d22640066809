#include "ResultMemory.h"

#include "GeneratorArguments.h"

namespace tesserine {

std::string ResultShapeText(int rows, int columns) {
    return "a result of " + ShapeText(rows, columns);
}

} // namespace tesserine
