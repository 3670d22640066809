#include "AnsiCodePage.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

namespace xlw {

namespace {

// The Win32 conversions count in int.
int ConvertibleLength(std::size_t length) {
    if (length > static_cast<std::size_t>(INT_MAX))
        throw std::length_error("a text of " + std::to_string(length) +
                                " characters is too long to convert");
    return static_cast<int>(length);
}

} // namespace

bool ToCodePage(unsigned codePage, const wchar_t* text, std::size_t length,
                std::string& converted) {
    converted.clear();
    const int units = ConvertibleLength(length);
    if (units == 0)
        return true;
    // Without WC_NO_BEST_FIT_CHARS, Omega would become "O". UTF-8 shows every
    // character and takes neither that flag nor a default: Windows refuses
    // the whole conversion when given them.
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* unknown = utf8 ? nullptr : "?";
    const int bytes =
        WideCharToMultiByte(codePage, flags, text, units, nullptr, 0, unknown, nullptr);
    converted.assign(static_cast<std::size_t>(bytes), '\0');
    BOOL lost = FALSE;
    WideCharToMultiByte(codePage, flags, text, units, &converted[0], bytes, unknown,
                        utf8 ? nullptr : &lost);
    return bytes > 0 && !lost;
}

std::string ToCodePageWithin(unsigned codePage, const wchar_t* text, std::size_t length,
                             std::size_t limit) {
    std::string converted;
    ToCodePage(codePage, text, length, converted);
    if (converted.size() <= limit)
        return converted;
    // Character by character until the next one would not fit; a surrogate
    // pair is one character.
    std::size_t taken = 0;
    std::size_t bytes = 0;
    while (taken < length) {
        const bool pair = taken + 1 < length && IS_HIGH_SURROGATE(text[taken]) &&
                          IS_LOW_SURROGATE(text[taken + 1]);
        const std::size_t units = pair ? 2 : 1;
        std::string character;
        ToCodePage(codePage, text + taken, units, character);
        if (bytes + character.size() > limit)
            break;
        bytes += character.size();
        taken += units;
    }
    ToCodePage(codePage, text, taken, converted);
    return converted;
}

std::string ToAnsiCodePageWithin(const wchar_t* text, std::size_t length, std::size_t limit) {
    return ToCodePageWithin(GetACP(), text, length, limit);
}

std::string ToAnsiCodePage(const wchar_t* text, std::size_t length) {
    std::string converted;
    ToCodePage(GetACP(), text, length, converted);
    return converted;
}

bool ToAnsiCodePageExactly(const wchar_t* text, std::size_t length, std::string& converted) {
    return ToCodePage(GetACP(), text, length, converted);
}

std::wstring FromAnsiCodePage(const char* text, std::size_t length) {
    const int bytes = ConvertibleLength(length);
    if (bytes == 0)
        return std::wstring();
    const int units = MultiByteToWideChar(CP_ACP, 0, text, bytes, nullptr, 0);
    std::wstring converted(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, bytes, &converted[0], units);
    return converted;
}

} // namespace xlw
