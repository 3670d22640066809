// The one mapping from an Excel callback's return code to an exception, which
// the value handles apply after each callback. The first bit set in the order
// 0x40, 0x01, 0x10, 0x08, 0x20, 0x04, 0x02 decides; a code with none of them
// (0 included) comes back unchanged.
#pragma once

#include <string>

namespace xlw {

// Without context. The two value handles word the argument-count failure
// differently, so the caller supplies that one text.
int RaiseForReturnCode(int code, const char* invalidCountMessage);

// With context: each text is a fixed phrase followed directly by the context.
// A string literal given here would pick the overload above: pass a std::string.
int RaiseForReturnCode(int code, const std::string& context);

} // namespace xlw
