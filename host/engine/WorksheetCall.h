// Calling an add-in's exported worksheet function the way Excel does, with
// arguments of mixed types: stdcall on i686, where every argument is pushed
// (a double as 8 bytes, an integer or pointer as 4) and the callee pops
// them; the Win64 convention on x86-64, where each of the first four slots
// goes in an integer or an XMM register by its type and the rest take 8
// bytes each on the stack.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace xlhost {

// An exported procedure, untyped until it is called.
using Procedure = void (*)();

// Enough for any function the engine is asked to call (Excel 2003's limit);
// Excel 2007 and later allow 255.
constexpr std::size_t MaxWorksheetArguments = 30;

// The arguments of one call, in the order of the procedure's parameters.
class CallFrame {
public:
    void AddDouble(double value);
    // An int, or a short widened to one (stdcall and Win64 give every
    // integer argument a whole slot).
    void AddInteger(std::int32_t value);
    void AddPointer(const void* pointer);
    std::size_t Count() const { return count_; }

    // The result of a procedure returning a double.
    double CallForDouble(Procedure procedure) const;
    // The return register of a procedure returning an integer, a short or a
    // pointer; the caller keeps the bits its type has.
    std::uintptr_t CallForWord(Procedure procedure) const;

#if defined(_WIN64)
    // One 8-byte slot per argument, its bits whatever its type.
    using Slot = std::uint64_t;
#else
    // The 32-bit words of the stack, a double taking two.
    using Slot = std::uint32_t;
#endif

private:
    std::vector<Slot> slots_;
    std::size_t count_ = 0;
    // Bit i set: argument i is a double. Win64 passes the first four in XMM
    // registers when they are doubles, in integer registers otherwise.
    unsigned doubles_ = 0;
};

} // namespace xlhost
