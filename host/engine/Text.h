// The engine keeps text in UTF-8. Excel 4 records carry byte strings, read
// here as Latin-1 (the first 256 code points); Excel 12 records carry UTF-16.
#pragma once

#include <cstddef>
#include <string>

namespace xlhost {

std::string Latin1ToUtf8(const char* bytes, std::size_t count);
// Characters beyond Latin-1 become '?'.
std::string Utf8ToLatin1(const std::string& text);
std::string Utf16ToUtf8(const wchar_t* units, std::size_t count);
std::wstring Utf8ToUtf16(const std::string& text);

// A number as Excel's General format writes it into text: up to 15
// significant digits, exponent form as "1E+20".
std::string ExcelNumberText(double value);
// A text that reads as a number (blanks around it allowed) gives true and the
// number; anything else, hexadecimal, "inf" and "nan" included, gives false.
bool ParseExcelNumber(const std::string& text, double& value);
// "TRUE"/"FALSE" in any letter case.
bool ParseExcelBoolean(const std::string& text, bool& value);
// Equal but for the case of ASCII letters, as Excel compares function names,
// error literals and TRUE or FALSE.
bool SameIgnoringCase(const std::string& a, const std::string& b);

} // namespace xlhost
