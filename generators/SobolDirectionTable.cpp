#include "SobolDirectionTable.h"

#include "DirectionNumberFile.h"
#include "SobolDirectionNumbers.h"

#include <stdexcept>
#include <utility>

namespace {

constexpr int SobolBits = 32;
constexpr int WorksheetDimensions = 255;

} // namespace

SobolDirectionTable::SobolDirectionTable(std::filesystem::path path, int capacity)
    : path_(std::move(path)), capacity_(capacity) {}

std::vector<std::uint32_t> SobolDirectionTable::DirectionIntegers(int d) const {
    if (d < 1 || d > capacity_)
        throw std::invalid_argument("d must be a whole number from 1 to " +
                                    std::to_string(capacity_));
    ReadOnce();
    if (d > dimensionsRead_)
        throw std::runtime_error(fault_);
    std::vector<std::uint32_t> integers(static_cast<std::size_t>(SobolBits) * d);
    for (int j = 0; j < d; ++j)
        for (int i = 0; i < SobolBits; ++i)
            integers[static_cast<std::size_t>(i) * d + j] = byDimension_[j * SobolBits + i];
    return integers;
}

// The flag is set, with release, only after everything else is written, so
// a thread that sees it set reads a complete table.
void SobolDirectionTable::ReadOnce() const {
    if (read_.load(std::memory_order_acquire))
        return;
    const std::lock_guard<std::mutex> lock(reading_);
    if (read_.load(std::memory_order_relaxed))
        return;
    std::vector<std::uint32_t> byDimension(SobolBits, 1); // dimension 1: every m_i is 1
    int dimensionsRead = 1;
    std::string fault;
    if (capacity_ > 1) {
        DirectionNumberFile file(path_); // throws, unread, when it cannot be opened
        std::vector<std::uint32_t> m(SobolBits + 1, 1);
        try {
            for (; dimensionsRead < capacity_; ++dimensionsRead) {
                ReadDirectionNumbers(file, dimensionsRead + 1, SobolBits, m);
                byDimension.insert(byDimension.end(), m.begin() + 1, m.end());
            }
        } catch (const std::runtime_error& error) {
            fault = error.what();
        }
    }
    byDimension_ = std::move(byDimension);
    dimensionsRead_ = dimensionsRead;
    fault_ = std::move(fault);
    read_.store(true, std::memory_order_release);
}

const SobolDirectionTable& ModuleSobolDirections() {
    static const SobolDirectionTable table(DirectionNumberFilePath(), WorksheetDimensions);
    return table;
}
