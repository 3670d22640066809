// What the engine has handed out for xlFree to return. Freed blocks stay
// allocated in quarantine until Reset, so their addresses are never reused
// and a second free of the same pointer is told apart from a new block.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace xlhost {

class Ledger {
public:
    enum class FreeOutcome { Freed, DoubleFree, Foreign };

    // A zero-filled block, recorded as outstanding under `description`.
    void* Allocate(std::size_t bytes, const std::string& description);
    // A block that lives and dies with `owner` (an array's strings).
    void* AllocatePart(void* owner, std::size_t bytes);
    FreeOutcome Free(void* block);

    std::size_t Outstanding() const { return outstanding_.size(); }
    std::vector<std::string> OutstandingDescriptions() const;
    std::size_t DoubleFrees() const { return doubleFrees_; }
    std::size_t ForeignFrees() const { return foreignFrees_; }
    std::size_t CompletedFrees() const { return completedFrees_; }

    void Reset();

private:
    struct Entry {
        std::string description;
        std::vector<std::unique_ptr<char[]>> blocks; // the first is the handed-out one
    };

    std::map<const void*, Entry> outstanding_;
    std::map<const void*, Entry> quarantine_;
    std::size_t doubleFrees_ = 0;
    std::size_t foreignFrees_ = 0;
    std::size_t completedFrees_ = 0;
};

} // namespace xlhost
