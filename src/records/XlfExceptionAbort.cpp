#include "xlw/XlfExceptionAbort.h"

namespace xlw {

XlfExceptionAbort::XlfExceptionAbort() : XlfException("abort") {}

} // namespace xlw
