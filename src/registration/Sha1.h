// SHA-1 (FIPS 180-4), for the name-based UUID that names the registration-info
// function; not for anything that must resist an attacker.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace xlw {

class Sha1 {
public:
    using Digest = std::array<std::uint8_t, 20>;

    Sha1();
    void Update(const void* bytes, std::size_t count);
    void Update(const std::string& bytes) { Update(bytes.data(), bytes.size()); }
    // Pads and gives the digest; the object is spent afterwards.
    Digest Finish();

private:
    void Compress(const std::uint8_t* block);

    std::array<std::uint32_t, 5> state_;
    std::array<std::uint8_t, 64> block_{};
    std::size_t blockUsed_ = 0;
    std::uint64_t totalBytes_ = 0;
};

} // namespace xlw
