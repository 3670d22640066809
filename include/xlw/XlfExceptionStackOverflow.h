// Excel ran short of stack during a callback.
#pragma once

#include "XlfException.h"

namespace xlw {

class XlfExceptionStackOverflow : public XlfException {
public:
    XlfExceptionStackOverflow();
};

} // namespace xlw
