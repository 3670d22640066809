#include "WholeNumberArgument.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace tesserine {

int WholeNumberArgument(double value, const char* name) {
    double whole = std::trunc(value);
    // Written so that NaN fails both comparisons.
    if (!(whole >= INT32_MIN && whole <= INT32_MAX))
        throw std::invalid_argument(std::string(name) +
                                    " must be a whole number from 0 to 2147483647");
    return static_cast<int>(whole);
}

} // namespace tesserine
