// The type codes of xlfRegister's type text, one per argument and one for
// the result, each under a name. A FunctionRegistrar takes them as texts in
// its argument table; a WorksheetFunction works them out from the C++
// signature and needs none of them.
#pragma once

namespace xlw {
namespace TypeCodes {

// A double by value (double).
constexpr const char Double[] = "B";
// A 16-bit signed integer by value (short).
constexpr const char Short[] = "I";
// A 16-bit unsigned integer by value (unsigned short).
constexpr const char UnsignedShort[] = "H";
// A 32-bit signed integer by value (int).
constexpr const char Int[] = "J";
// A 16-bit integer holding 0 or 1 (read as bool).
constexpr const char Boolean[] = "A";
// A zero-terminated byte text (const char*), at most 255 bytes.
constexpr const char Text[] = "C";
// A zero-terminated wide text (const wchar_t*); Excel 2007 and later only.
constexpr const char WideText[] = "C%";

// The value records of each record kind, fixed: P (XLOPER) and Q (XLOPER12)
// bring a range as its values; R and U bring a range as a reference.
constexpr const char Excel4Value[] = "P";
constexpr const char Excel4Reference[] = "R";
constexpr const char Excel12Value[] = "Q";
constexpr const char Excel12Reference[] = "U";

// The codes that follow the running Excel, resolved when the add-in opens:
// the value record of its record kind (P before Excel 2007, Q since), read
// and written through XlfOper whichever it is...
constexpr const char Value[] = "XLF_OPER";
// ... the same records as written, so that a range arrives as a reference
// (R or U) and is read only as far as the function reads it...
constexpr const char Reference[] = "XLF_XLOPER";
// ... and a wide text where Excel has them (C% since Excel 2007), a byte
// text (C) before: the function must read whichever arrives.
constexpr const char RunningWideText[] = "XLW_WSTR";

// As a result code, the empty text means Value: the entry point returns the
// record of the running record kind (void*, from WorksheetCall), which Excel
// reads as an XLOPER before Excel 2007 and an XLOPER12 since. It is the only
// code that may be empty, and only for the result.
constexpr const char ValueResult[] = "";

} // namespace TypeCodes
} // namespace xlw
