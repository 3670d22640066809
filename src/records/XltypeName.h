// The names of Excel's value types, as the framework's messages use them.
#pragma once

#include <string>

namespace xlw {

// The whole type word is compared, so a word with any further bit set
// (ExcelAllocatedBit, xltypeFlow, xltypeBigData) is "unknown".
std::string XltypeName(unsigned int type);

// XlfException "attempt to perform an xltypeMulti operation on a value of
// type ..." unless the type word has the xltypeMulti bit.
void RequireMulti(unsigned int type);

} // namespace xlw
