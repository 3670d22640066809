#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The 32-bit direction integers of the first `capacity` Sobol dimensions,
// read from a direction-number file at first use, however many threads ask
// at once; afterwards every answer within what was read comes from memory
// without a lock. The first reading stops at 255 dimensions, what a sheet
// could ask for before 2007: the whole table of 16384 takes a good part of a
// second to read, which a call in ten dimensions should not wait for. A
// call beyond what was read reads again, to at least twice as many, so a
// table is read a handful of times at most; dimensions once read never
// change. A file that cannot be opened is tried again at the next use, since
// the user may yet put it in place. A file with a bad line is read up to that
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
    void ReadAtLeast(int d) const;

    const std::filesystem::path path_;
    const int capacity_;
    mutable std::mutex reading_;
    // m_1 ... m_32 of each dimension, one dimension after another: room for
    // the capacity, taken at the first reading, so that readers never see it
    // move.
    mutable std::unique_ptr<std::uint32_t[]> byDimension_;
    // Dimensions in place, stored with release after they are written.
    mutable std::atomic<int> dimensionsRead_{0};
    // Read under the lock.
    mutable std::string fault_;
};

// The table of "param.txt" beside the module (DirectionNumberFilePath) for
// the 16384 dimensions a worksheet function can ask for, read once per load
// of the module.
const SobolDirectionTable& ModuleSobolDirections();
