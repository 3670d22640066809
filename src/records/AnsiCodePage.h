// Text between Excel 12's UTF-16 and the byte strings of Excel 4 records and
// of the framework's narrow strings, in the process's ANSI code page, as
// Excel itself converts between the two record kinds.
#pragma once

#include <cstddef>
#include <string>

namespace xlw {

// Every character is converted, zero characters included; one that the code
// page cannot show becomes "?" rather than a look-alike. A character may
// take more than one byte (double-byte and UTF-8 code pages).
std::string ToAnsiCodePage(const wchar_t* text, std::size_t length);
// The same, false when a character had no place in the code page (it became
// "?") or Windows refused the conversion.
bool ToAnsiCodePageExactly(const wchar_t* text, std::size_t length, std::string& converted);
// The same in a given code page, for the code pages a test cannot make the
// process's own (CP_UTF8, the "Use Unicode UTF-8" option of Windows).
bool ToCodePage(unsigned codePage, const wchar_t* text, std::size_t length, std::string& converted);
// The longest start of the text whose conversion into `codePage` takes at
// most `limit` bytes, converted: a character that the code page writes in
// two bytes (or UTF-8 in up to four) is kept whole or left out whole, never
// cut in half. The ANSI code page's form below.
std::string ToCodePageWithin(unsigned codePage, const wchar_t* text, std::size_t length,
                             std::size_t limit);
std::string ToAnsiCodePageWithin(const wchar_t* text, std::size_t length, std::size_t limit);
// Every byte is converted, zero bytes included.
std::wstring FromAnsiCodePage(const char* text, std::size_t length);

} // namespace xlw
