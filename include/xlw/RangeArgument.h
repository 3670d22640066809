// An argument that arrives as written (type code TypeCodes::Reference: R
// before Excel 2007, U since): a range arrives as a reference, and only the
// cells the function reads are read. Read it through XlfOper(argument).
//
// Like ValueArgument, it is passed exactly as the record's address.
#pragma once

namespace xlw {

struct RangeArgument {
    void* record;
};

} // namespace xlw
