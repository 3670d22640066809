// A callback read a cell that Excel has not calculated yet.
#pragma once

#include "XlfException.h"

namespace xlw {

class XlfExceptionUncalculated : public XlfException {
public:
    XlfExceptionUncalculated();
};

} // namespace xlw
