#include "xlw/XlfExceptionStackOverflow.h"

namespace xlw {

XlfExceptionStackOverflow::XlfExceptionStackOverflow() : XlfException("stack overflow") {}

} // namespace xlw
