// Bump-allocated memory for value records: the records of a call's result
// live here until the memory is released, and the blocks are kept from one
// call to the next so that a steady workload allocates nothing.
#pragma once

#include <list>
#include <vector>

namespace xlw {

class TempMemory {
public:
    TempMemory() = default;
    // Frees every block.
    ~TempMemory();
    TempMemory(const TempMemory&) = delete;
    TempMemory& operator=(const TempMemory&) = delete;

    // Valid until the next Release. Never returns null.
    // Requests below LargeRequest share blocks that grow by half from 8192
    // bytes: one that does not fit gets one new block, the first step of
    // that ladder big enough for it. A larger request gets a block of its
    // own: the spare block when it holds the request without wasting half of
    // itself, otherwise a new block of exactly the request's size.
    char* Allocate(unsigned int bytes);
    // Frees every block (all), or every block but the newest ladder block,
    // and rewinds. Of the large blocks, the newest becomes the spare block
    // for the next call, and a spare block that the call just ended did not
    // use is freed: a steady workload of large results reuses its memory,
    // while a large result's memory outlives it by one call at most.
    void Release(bool all);
    static constexpr unsigned int LargeRequest = 8u << 20;

    // Read-only views, newest block first: the ladder blocks, and the blocks
    // of large requests.
    std::vector<unsigned int> BlockCapacities() const;
    std::vector<unsigned int> LargeBlockCapacities() const;
    // 0 when there is no spare block.
    unsigned int SpareBlockCapacity() const { return spare_.capacity; }
    unsigned int Offset() const { return offset_; }

    // The memory this thread's records go to instead of the add-in's shared
    // temporary memory (see XlfExcel::TempAlloc); null when none is set.
    static TempMemory* ThisThreadsOwn();
    static void SetThisThreadsOwn(TempMemory* memory);

private:
    struct Block {
        unsigned int capacity;
        char* bytes;
    };

    // The first ladder step above the newest ladder block (or from 8192
    // bytes) that holds `bytes`.
    unsigned int LadderSizeFor(unsigned int bytes) const;
    void AddBlock(unsigned int size);
    char* AddLargeBlock(unsigned int size);

    std::list<Block> blocks_;
    std::list<Block> largeBlocks_;
    Block spare_ = {0, nullptr};
    unsigned int offset_ = 0;
};

} // namespace xlw
