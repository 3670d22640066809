#include "GeneratorArguments.h"

#include <stdexcept>

void RequireValidCounts(int d, int n) {
    if (d < 0)
        throw std::invalid_argument("the number of dimensions must not be negative");
    if (n < 0)
        throw std::invalid_argument("the number of points must not be negative");
}
