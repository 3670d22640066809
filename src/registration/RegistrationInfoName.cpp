#include "RegistrationInfoName.h"

#include "Sha1.h"

#include <windows.h>

#include <stdexcept>

namespace xlw {

namespace {

constexpr UuidBytes HelpServerNamespace = {0x30, 0x6D, 0x01, 0x6E, 0xCC, 0xE8, 0x48, 0x61,
                                           0x9D, 0xA1, 0x51, 0xA2, 0x7C, 0xBE, 0x34, 0x1A};

std::string Utf8(const std::wstring& text) {
    if (text.empty())
        return std::string();
    const int size = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &utf8[0], bytes, nullptr, nullptr);
    return utf8;
}

} // namespace

std::string NameBasedUuidDigits(const UuidBytes& nameSpace, const std::string& name) {
    Sha1 sha1;
    sha1.Update(nameSpace.data(), nameSpace.size());
    sha1.Update(name);
    const Sha1::Digest digest = sha1.Finish();
    UuidBytes uuid;
    for (std::size_t i = 0; i < uuid.size(); ++i)
        uuid[i] = digest[i];
    uuid[6] = static_cast<std::uint8_t>((uuid[6] & 0x0F) | 0x50);
    uuid[8] = static_cast<std::uint8_t>((uuid[8] & 0x3F) | 0x80);
    static const char hex[] = "0123456789abcdef";
    std::string digits;
    for (std::uint8_t byte : uuid) {
        digits += hex[byte >> 4];
        digits += hex[byte & 0x0F];
    }
    return digits;
}

// The server upper-cases with .NET's invariant culture, a fixed one-to-one
// mapping of each UTF-16 unit whatever the user's locale; LCMapStringEx with
// the invariant locale is Windows' same mapping, where the current locale's
// would turn a Turkish user's "i" into a dotted capital.
std::string UpperCaseUtf8(const std::wstring& path) {
    if (path.empty())
        return std::string();
    std::wstring upper(path.size(), L'\0');
    const int length = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, path.data(),
                                     static_cast<int>(path.size()), &upper[0],
                                     static_cast<int>(upper.size()), nullptr, nullptr, 0);
    if (length != static_cast<int>(path.size()))
        throw std::runtime_error("the add-in's path could not be upper-cased");
    return Utf8(upper);
}

std::string RegistrationInfoName(const std::wstring& modulePath) {
    return "RegistrationInfo_" +
           NameBasedUuidDigits(HelpServerNamespace, UpperCaseUtf8(modulePath));
}

} // namespace xlw
