// The memory of one thread-safe call's result. Excel's recalculation threads
// call such functions at once, so the result cannot live in the add-in's
// shared temporary memory, which the next call on any thread releases. While
// an OwnedResult lives, every record its thread builds goes to memory of its
// own; Hand gives Excel the result marked xlbitDLLFree, the memory going with
// it, and Excel passes it back to xlAutoFree12 on the same thread once it has
// copied the value, before that thread's next call. Nothing lingers after a
// call, however large its result, and no lock is taken.
#pragma once

namespace xlw {

class TempMemory;

class OwnedResult {
public:
    OwnedResult();
    // Frees the memory unless Hand gave it away, and gives the thread back
    // the memory it built records in before.
    ~OwnedResult();
    OwnedResult(const OwnedResult&) = delete;
    OwnedResult& operator=(const OwnedResult&) = delete;

    // `record`, an XLOPER12 built while this object lived, as Excel receives
    // it: a copy beside the memory, marked xlbitDLLFree. Null stays null (and
    // shows #NUM!), keeping the memory here to be freed.
    void* Hand(const void* record);

    // What xlAutoFree12 does with a record Hand returned: frees its memory.
    static void Free(void* record);

private:
    TempMemory* memory_;
    TempMemory* previous_;
};

} // namespace xlw
