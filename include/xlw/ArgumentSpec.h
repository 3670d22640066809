// One entry of a worksheet function's static argument table for a
// FunctionRegistrar; typeCode is one of TypeCodes.h. The number of entries
// travels beside the table, not in it.
#pragma once

namespace xlw {

struct ArgumentSpec {
    const char* name;
    const char* help;
    const char* typeCode;
};

} // namespace xlw
