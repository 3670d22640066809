// libFuzzer target for the direction-number reader: any file either reads
// as direction numbers the recurrence can extend to 31 bits, or is refused
// with std::runtime_error. The first byte picks how many initial numbers a
// line gives (as the bit count of n would), the rest is the file.
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

constexpr int MostBits = 31;
constexpr int MostDimensions = 64;

// One file per process, rewritten for each input and removed after it.
const std::string& ScratchFile() {
    static const std::string path = "/tmp/tesserine-fuzz-" + std::to_string(getpid()) + ".txt";
    return path;
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
        if (m[i] % 2 == 0 || (m[i] >> i) != 0)
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const int count = 1 + data[0] % MostBits;
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
    std::remove(ScratchFile().c_str());
    return 0;
}
