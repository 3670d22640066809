// libFuzzer target for the direction-number reader: any file either reads
// as direction numbers the recurrence can extend to 32 bits, or is refused
// with std::runtime_error, read line by line and as the direction integers
// of several dimensions (SobolDirectionIntegers). The first byte picks how
// many numbers a line gives (1 to 32, as the bit count of n or the 32-bit
// generators would) and how many dimensions the integers have; the rest is
// the file.
#include "DirectionNumberFile.h"
#include "SobolDirectionNumbers.h"

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int MostBits = 32;
constexpr int MostDimensions = 64;

// One file per process, rewritten for each input and removed after it.
const std::string& ScratchFile() {
    static const std::string path = "/tmp/tesserine-fuzz-" + std::to_string(getpid()) + ".txt";
    return path;
}

// m_i odd and below 2^i; a 64-bit shift, since i reaches 32.
bool ValidDirectionInteger(std::uint32_t m, int i) {
    return m % 2 == 1 && (std::uint64_t{m} >> i) == 0;
}

// What every accepted line must give: m_i odd and below 2^i for each i up to
// the bit count, read or derived.
void CheckLine(const DimensionLine& line, int count) {
    std::vector<std::uint32_t> m(MostBits + 1, 1);
    if (line.initialNumbers.size() != static_cast<std::size_t>(std::min(line.degree, count)))
        std::abort();
    std::copy(line.initialNumbers.begin(), line.initialNumbers.end(), m.begin() + 1);
    ExtendDirectionNumbers(m, line.degree, line.coefficients, count);
    for (int i = 1; i <= count; ++i)
        if (!ValidDirectionInteger(m[i], i))
            std::abort();
}

// The integers of `dimensions` dimensions: entry (i - 1) * d + j is m_i.
void CheckIntegers(int dimensions, int count) {
    const std::vector<std::uint32_t> integers =
        SobolDirectionIntegers(dimensions, count, ScratchFile());
    if (integers.size() != static_cast<std::size_t>(dimensions) * count)
        std::abort();
    for (int i = 1; i <= count; ++i)
        for (int j = 0; j < dimensions; ++j)
            if (!ValidDirectionInteger(integers[(i - 1) * static_cast<std::size_t>(dimensions) + j],
                                       i))
                std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const int count = 1 + data[0] % MostBits;
    const int integerDimensions = 2 + data[0] / MostBits;
    {
        std::ofstream file(ScratchFile(), std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    try {
        DirectionNumberFile file(ScratchFile());
        for (int dimension = 2; dimension <= MostDimensions; ++dimension)
            CheckLine(file.ReadDimension(dimension, count), count);
    } catch (const std::runtime_error&) {
    }
    try {
        CheckIntegers(integerDimensions, count);
    } catch (const std::runtime_error&) {
    }
    std::remove(ScratchFile().c_str());
    return 0;
}
