// The sheet name of the registration-info function, which the in-cell help
// server computes from the add-in's path alone: "RegistrationInfo_" and the
// 32 lowercase hexadecimal digits of the name-based (version 5, SHA-1) UUID
// of the full path, upper-cased and in UTF-8, in the server's namespace
// 306D016E-CCE8-4861-9DA1-51A27CBE341A.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace xlw {

using UuidBytes = std::array<std::uint8_t, 16>;

// RFC 9562, section 5.5: SHA-1 over the namespace's 16 bytes (network order)
// and the name's, the first 16 bytes of the digest with the version (5) and
// the RFC variant set; as 32 lowercase hexadecimal digits.
std::string NameBasedUuidDigits(const UuidBytes& nameSpace, const std::string& name);

// The path upper-cased as the server does, with the one-to-one invariant
// mapping, then as UTF-8.
std::string UpperCaseUtf8(const std::wstring& path);

std::string RegistrationInfoName(const std::wstring& modulePath);

} // namespace xlw
