#include "WorksheetCall.h"

#include "xlw/ExcelApi.h"

#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

namespace xlhost {

namespace {

using Slot = CallFrame::Slot;

#if defined(_WIN64)
// Every argument takes one slot of 8 bytes.
constexpr std::size_t MaxSlots = MaxWorksheetArguments;
constexpr std::size_t RegisterSlots = 4;

template <bool IsDouble> struct RegisterSlot { using Type = Slot; };
template <> struct RegisterSlot<true> { using Type = double; };

template <bool IsDouble> typename RegisterSlot<IsDouble>::Type InRegister(Slot bits) {
    typename RegisterSlot<IsDouble>::Type value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// The first four arguments go in XMM registers when `Doubles` says they are
// doubles, in integer registers otherwise; every slot after them is 8 bytes
// of the stack whatever its type. The caller owns the stack area and clears
// it, so passing all MaxSlots slots reaches a callee that takes fewer.
template <class Result, unsigned Doubles, std::size_t... Stack>
Result CallWithRegisters(Procedure procedure, const Slot* slots, std::index_sequence<Stack...>) {
    using Function = Result (*)(typename RegisterSlot<(Doubles & 1) != 0>::Type,
                                typename RegisterSlot<(Doubles & 2) != 0>::Type,
                                typename RegisterSlot<(Doubles & 4) != 0>::Type,
                                typename RegisterSlot<(Doubles & 8) != 0>::Type,
                                decltype(static_cast<void>(Stack), Slot())...);
    return reinterpret_cast<Function>(procedure)(
        InRegister<(Doubles & 1) != 0>(slots[0]), InRegister<(Doubles & 2) != 0>(slots[1]),
        InRegister<(Doubles & 4) != 0>(slots[2]), InRegister<(Doubles & 8) != 0>(slots[3]),
        slots[RegisterSlots + Stack]...);
}

template <class Result, unsigned... Doubles>
Result CallWithDoubles(Procedure procedure, std::vector<Slot> slots, unsigned doubles,
                       std::integer_sequence<unsigned, Doubles...>) {
    using Caller = Result (*)(Procedure, const Slot*);
    // One caller per choice of registers for the first four arguments.
    static constexpr Caller callers[] = {[](Procedure p, const Slot* s) {
        return CallWithRegisters<Result, Doubles>(
            p, s, std::make_index_sequence<MaxSlots - RegisterSlots>());
    }...};
    slots.resize(MaxSlots);
    return callers[doubles & 0xF](procedure, slots.data());
}

template <class Result>
Result CallWithSlots(Procedure procedure, const std::vector<Slot>& slots, unsigned doubles) {
    return CallWithDoubles<Result>(procedure, slots, doubles,
                                   std::make_integer_sequence<unsigned, 16>());
}
#else
// A double takes two words of the stack, anything else one.
constexpr std::size_t MaxSlots = 2 * MaxWorksheetArguments;

// The callee pops exactly what was pushed, so a prototype of as many words
// as the arguments take reaches any stdcall function.
template <class Result, std::size_t... Index>
Result CallWith(Procedure procedure, const Slot* slots, std::index_sequence<Index...>) {
    using Function = Result(XLW_STDCALL*)(decltype(static_cast<void>(Index), Slot())...);
    return reinterpret_cast<Function>(procedure)(slots[Index]...);
}

template <class Result, std::size_t... Count>
Result CallWithCount(Procedure procedure, const std::vector<Slot>& slots,
                     std::index_sequence<Count...>) {
    using Caller = Result (*)(Procedure, const Slot*);
    // One caller per slot count, each with its own prototype.
    static constexpr Caller callers[] = {[](Procedure p, const Slot* s) {
        return CallWith<Result>(p, s, std::make_index_sequence<Count>());
    }...};
    return callers[slots.size()](procedure, slots.data());
}

template <class Result>
Result CallWithSlots(Procedure procedure, const std::vector<Slot>& slots, unsigned) {
    return CallWithCount<Result>(procedure, slots, std::make_index_sequence<MaxSlots + 1>());
}
#endif

template <class Result>
Result Call(Procedure procedure, const std::vector<Slot>& slots, std::size_t count,
            unsigned doubles) {
    if (count > MaxWorksheetArguments || slots.size() > MaxSlots) {
        throw std::invalid_argument("the stand-in Excel passes at most " +
                                    std::to_string(MaxWorksheetArguments) + " arguments");
    }
    return CallWithSlots<Result>(procedure, slots, doubles);
}

template <class Bits> void Append(std::vector<Slot>& slots, Bits bits) {
    static_assert(sizeof(Bits) % sizeof(Slot) == 0, "an argument fills whole slots");
    Slot words[sizeof(Bits) / sizeof(Slot)];
    std::memcpy(words, &bits, sizeof(Bits));
    slots.insert(slots.end(), std::begin(words), std::end(words));
}

} // namespace

void CallFrame::AddDouble(double value) {
    if (count_ < 32) {
        doubles_ |= 1u << count_;
    }
    Append(slots_, value);
    ++count_;
}

void CallFrame::AddInteger(std::int32_t value) {
    // Sign-extended to the slot, as a compiler passes it.
    Append(slots_, static_cast<std::intptr_t>(value));
    ++count_;
}

void CallFrame::AddPointer(const void* pointer) {
    Append(slots_, reinterpret_cast<std::uintptr_t>(pointer));
    ++count_;
}

double CallFrame::CallForDouble(Procedure procedure) const {
    return Call<double>(procedure, slots_, count_, doubles_);
}

std::uintptr_t CallFrame::CallForWord(Procedure procedure) const {
    return Call<std::uintptr_t>(procedure, slots_, count_, doubles_);
}

} // namespace xlhost
