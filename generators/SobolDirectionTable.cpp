#include "SobolDirectionTable.h"

#include "DirectionNumberFile.h"
#include "SobolDirectionNumbers.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {

constexpr int SobolBits = 32;
// The widest sheet, Excel's since 2007.
constexpr int WorksheetDimensions = 16384;
// What a sheet could ask for before 2007, read at first use.
constexpr int FirstReading = 255;

} // namespace

SobolDirectionTable::SobolDirectionTable(std::filesystem::path path, int capacity)
    : path_(std::move(path)), capacity_(capacity) {}

std::vector<std::uint32_t> SobolDirectionTable::DirectionIntegers(int d) const {
    if (d < 1 || d > capacity_)
        throw std::invalid_argument("d must be a whole number from 1 to " +
                                    std::to_string(capacity_));
    // The first dimension has no direction numbers to read: every m_i is 1.
    if (d == 1)
        return std::vector<std::uint32_t>(SobolBits, 1u);
    if (dimensionsRead_.load(std::memory_order_acquire) < d)
        ReadAtLeast(d);
    std::vector<std::uint32_t> integers(static_cast<std::size_t>(SobolBits) * d);
    for (int j = 0; j < d; ++j)
        for (int i = 0; i < SobolBits; ++i)
            integers[static_cast<std::size_t>(i) * d + j] = byDimension_[j * SobolBits + i];
    return integers;
}

// Dimensions already held are parsed again, the file being read in order,
// and left as they are: a reader may be copying them.
void SobolDirectionTable::ReadAtLeast(int d) const {
    const std::lock_guard<std::mutex> lock(reading_);
    const int held = dimensionsRead_.load(std::memory_order_relaxed);
    if (held >= d)
        return;
    if (!fault_.empty())
        throw std::runtime_error(fault_);
    const int target = std::min(capacity_, std::max({d, 2 * held, FirstReading}));
    if (held == 0) {
        byDimension_.reset(new std::uint32_t[static_cast<std::size_t>(SobolBits) * capacity_]);
        std::fill_n(byDimension_.get(), SobolBits, 1u); // dimension 1: every m_i is 1
    }
    int dimensionsRead = 1;
    if (target > 1) {
        DirectionNumberFile file(path_); // throws, unread, when it cannot be opened
        std::vector<std::uint32_t> m(SobolBits + 1, 1);
        try {
            for (; dimensionsRead < target; ++dimensionsRead) {
                ReadDirectionNumbers(file, dimensionsRead + 1, SobolBits, m);
                if (dimensionsRead >= held)
                    std::copy(m.begin() + 1, m.end(),
                              &byDimension_[static_cast<std::size_t>(dimensionsRead) * SobolBits]);
            }
        } catch (const std::runtime_error& error) {
            fault_ = error.what();
        }
    }
    // A file changed since it was read may now fail earlier; what was answered
    // stays answered.
    dimensionsRead_.store(std::max(held, dimensionsRead), std::memory_order_release);
    if (dimensionsRead < d)
        throw std::runtime_error(fault_);
}

const SobolDirectionTable& ModuleSobolDirections() {
    static const SobolDirectionTable table(DirectionNumberFilePath(), WorksheetDimensions);
    return table;
}
