// An argument that arrives as a value record of the running Excel (type
// code TypeCodes::Value: P before Excel 2007, Q since): a range arrives as
// its values. Read it through XlfOper(argument).
//
// It holds nothing but the record's address and is passed exactly as that
// address would be, on both architectures, so that an entry point can take
// it where Excel passes a pointer. A bare void* says nothing of the record,
// and WorksheetFunction refuses it.
#pragma once

namespace xlw {

struct ValueArgument {
    void* record;
};

} // namespace xlw
