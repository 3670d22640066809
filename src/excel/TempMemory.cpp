#include "xlw/TempMemory.h"

#include "xlw/ExcelApi.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <new>

namespace xlw {

namespace {

constexpr unsigned FirstTempBlockSize = 8192;
// Every request starts at a multiple of this, so any record (doubles
// included) is properly aligned wherever the previous request ended. Records
// hold nothing wider than 8 bytes on either target: 64-bit pointers need no
// more than doubles do.
constexpr unsigned TempAlignment = 8;
static_assert(alignof(XLOPER) <= TempAlignment && alignof(XLOPER12) <= TempAlignment &&
                  alignof(XLMREF12) <= TempAlignment,
              "temporary memory aligns every record");
static_assert(__STDCPP_DEFAULT_NEW_ALIGNMENT__ >= TempAlignment,
              "temporary blocks start on the records' alignment");

unsigned NextTempBlockSize(unsigned capacity) {
    const double grown = capacity * 1.5;
    if (grown > std::numeric_limits<unsigned>::max())
        throw std::bad_alloc();
    return static_cast<unsigned>(grown);
}

std::uint64_t AlignedOffset(unsigned offset) {
    return (std::uint64_t(offset) + TempAlignment - 1) / TempAlignment * TempAlignment;
}

template <class Blocks> std::vector<unsigned int> CapacitiesOf(const Blocks& blocks) {
    std::vector<unsigned int> capacities;
    for (const auto& block : blocks)
        capacities.push_back(block.capacity);
    return capacities;
}

// Routes one thread's allocations; trivially destructible, so an unloaded
// module leaves no thread-exit work behind.
thread_local TempMemory* thisThreadsOwn = nullptr;

} // namespace

TempMemory::~TempMemory() {
    Release(true);
}

char* TempMemory::Allocate(unsigned int bytes) {
    if (bytes >= LargeRequest)
        return AddLargeBlock(bytes);
    if (blocks_.empty() || AlignedOffset(offset_) + bytes >= blocks_.front().capacity)
        AddBlock(LadderSizeFor(bytes));
    const auto start = static_cast<unsigned>(AlignedOffset(offset_));
    offset_ = start + bytes;
    return blocks_.front().bytes + start;
}

void TempMemory::Release(bool all) {
    delete[] spare_.bytes;
    spare_ = {0, nullptr};
    if (!all && !largeBlocks_.empty()) {
        spare_ = largeBlocks_.front();
        largeBlocks_.pop_front();
    }
    for (const Block& block : largeBlocks_)
        delete[] block.bytes;
    largeBlocks_.clear();
    const std::size_t kept = all ? 0 : 1;
    while (blocks_.size() > kept) {
        delete[] blocks_.back().bytes;
        blocks_.pop_back();
    }
    offset_ = 0;
}

unsigned int TempMemory::LadderSizeFor(unsigned int bytes) const {
    unsigned size =
        blocks_.empty() ? FirstTempBlockSize : NextTempBlockSize(blocks_.front().capacity);
    // A new block starts at offset 0, and a request fits strictly below the capacity.
    while (bytes >= size)
        size = NextTempBlockSize(size);
    return size;
}

void TempMemory::AddBlock(unsigned int size) {
    std::unique_ptr<char[]> bytes(new char[size]);
    blocks_.push_front({size, bytes.get()});
    bytes.release();
    offset_ = 0;
}

char* TempMemory::AddLargeBlock(unsigned int size) {
    // Reused, its pages are already the process's: a fresh block of this
    // size costs more in page faults than filling it does.
    if (size <= spare_.capacity && size >= spare_.capacity / 2) {
        largeBlocks_.push_front(spare_);
        spare_ = {0, nullptr};
        return largeBlocks_.front().bytes;
    }
    // Freed before the new one is taken, so the two never coexist.
    delete[] spare_.bytes;
    spare_ = {0, nullptr};
    std::unique_ptr<char[]> bytes(new char[size]);
    largeBlocks_.push_front({size, bytes.get()});
    return bytes.release();
}

std::vector<unsigned int> TempMemory::BlockCapacities() const {
    return CapacitiesOf(blocks_);
}

std::vector<unsigned int> TempMemory::LargeBlockCapacities() const {
    return CapacitiesOf(largeBlocks_);
}

TempMemory* TempMemory::ThisThreadsOwn() {
    return thisThreadsOwn;
}

void TempMemory::SetThisThreadsOwn(TempMemory* memory) {
    thisThreadsOwn = memory;
}

} // namespace xlw
