#include "xlw/XlfExceptionUncalculated.h"

namespace xlw {

XlfExceptionUncalculated::XlfExceptionUncalculated() : XlfException("") {}

} // namespace xlw
