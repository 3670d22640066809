#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

// The 32-bit direction integers of the first `capacity` Sobol dimensions,
// read from a direction-number file once, at first use, however many threads
// ask at once; afterwards every answer comes from memory without a lock.
// A file that cannot be opened is tried again at the next use, since the
// user may yet put it in place. A file with a bad line is read up to that
// line: dimensions before it are answered, and asking for it or beyond
// throws the std::runtime_error that reading it threw.
class SobolDirectionTable {
public:
    SobolDirectionTable(std::filesystem::path path, int capacity);
    SobolDirectionTable(const SobolDirectionTable&) = delete;
    SobolDirectionTable& operator=(const SobolDirectionTable&) = delete;

    // What SobolDirectionIntegers(d, 32, path) gives, for d from 1 to the
    // capacity; std::invalid_argument beyond it.
    std::vector<std::uint32_t> DirectionIntegers(int d) const;
    int Capacity() const { return capacity_; }

private:
    void ReadOnce() const;

    const std::filesystem::path path_;
    const int capacity_;
    mutable std::mutex reading_;
    mutable std::atomic<bool> read_{false};
    // m_1 ... m_32 of each dimension read, one dimension after another.
    mutable std::vector<std::uint32_t> byDimension_;
    mutable int dimensionsRead_ = 0;
    mutable std::string fault_;
};

// The table of "param.txt" beside the module (DirectionNumberFilePath) for
// the 255 dimensions a worksheet function can ask for, read once per load
// of the module.
const SobolDirectionTable& ModuleSobolDirections();
