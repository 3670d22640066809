// The user interrupted Excel (Esc) during a callback.
#pragma once

#include "XlfException.h"

namespace xlw {

class XlfExceptionAbort : public XlfException {
public:
    XlfExceptionAbort();
};

} // namespace xlw
