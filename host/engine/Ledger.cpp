#include "Ledger.h"

#include <stdexcept>

namespace xlhost {

namespace {

std::unique_ptr<char[]> ZeroedBlock(std::size_t bytes) {
    // A zero-byte request still gets its own address.
    return std::unique_ptr<char[]>(new char[bytes == 0 ? 1 : bytes]());
}

} // namespace

void* Ledger::Allocate(std::size_t bytes, const std::string& description) {
    Entry entry;
    entry.description = description;
    entry.blocks.push_back(ZeroedBlock(bytes));
    void* block = entry.blocks.front().get();
    outstanding_.emplace(block, std::move(entry));
    return block;
}

void* Ledger::AllocatePart(void* owner, std::size_t bytes) {
    const auto found = outstanding_.find(owner);
    if (found == outstanding_.end()) {
        throw std::logic_error("ledger: part of a block that is not outstanding");
    }
    found->second.blocks.push_back(ZeroedBlock(bytes));
    return found->second.blocks.back().get();
}

Ledger::FreeOutcome Ledger::Free(void* block) {
    const auto found = outstanding_.find(block);
    if (found != outstanding_.end()) {
        quarantine_.insert(outstanding_.extract(found));
        ++completedFrees_;
        return FreeOutcome::Freed;
    }
    if (quarantine_.count(block) != 0) {
        ++doubleFrees_;
        return FreeOutcome::DoubleFree;
    }
    ++foreignFrees_;
    return FreeOutcome::Foreign;
}

std::vector<std::string> Ledger::OutstandingDescriptions() const {
    std::vector<std::string> descriptions;
    for (const auto& entry : outstanding_) {
        descriptions.push_back(entry.second.description);
    }
    return descriptions;
}

void Ledger::Reset() {
    outstanding_.clear();
    quarantine_.clear();
    doubleFrees_ = 0;
    foreignFrees_ = 0;
    completedFrees_ = 0;
}

} // namespace xlhost
