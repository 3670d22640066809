#include "xlw/OwnedResult.h"

#include "xlw/ExcelApi.h"
#include "xlw/TempMemory.h"

#include <cstring>

namespace xlw {

namespace {

// The handed record sits in its own memory, just after the pointer that
// xlAutoFree12 needs to free that memory; the gap keeps the record on the
// memory's 8-byte alignment on both targets.
constexpr unsigned OwnerGap = 8;
static_assert(sizeof(TempMemory*) <= OwnerGap, "the owner fits before the record");

} // namespace

OwnedResult::OwnedResult() : memory_(new TempMemory), previous_(TempMemory::ThisThreadsOwn()) {
    TempMemory::SetThisThreadsOwn(memory_);
}

OwnedResult::~OwnedResult() {
    TempMemory::SetThisThreadsOwn(previous_);
    delete memory_;
}

void* OwnedResult::Hand(const void* record) {
    if (record == nullptr)
        return nullptr;
    char* slot = memory_->Allocate(OwnerGap + sizeof(XLOPER12));
    std::memcpy(slot, &memory_, sizeof memory_);
    auto* handed = reinterpret_cast<XLOPER12*>(slot + OwnerGap);
    std::memcpy(handed, record, sizeof(XLOPER12));
    handed->xltype |= xlbitDLLFree;
    memory_ = nullptr;
    return handed;
}

void OwnedResult::Free(void* record) {
    if (record == nullptr)
        return;
    TempMemory* memory;
    std::memcpy(&memory, static_cast<char*>(record) - OwnerGap, sizeof memory);
    delete memory;
}

} // namespace xlw
