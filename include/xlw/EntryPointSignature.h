// What Excel must be told of an entry point, read off its C++ type: the
// type code of each argument and of the result, and how many arguments it
// takes. WorksheetFunction turns these into the registration.
#pragma once

#include "ExcelApi.h"
#include "RangeArgument.h"
#include "TypeCodes.h"
#include "ValueArgument.h"

#include <cstddef>
#include <type_traits>

namespace xlw {

// nullptr for a type that Excel cannot pass.
template <class T> struct ArgumentTypeCode { static constexpr const char* code = nullptr; };
template <> struct ArgumentTypeCode<double> {
    static constexpr const char* code = TypeCodes::Double;
};
template <> struct ArgumentTypeCode<short> {
    static constexpr const char* code = TypeCodes::Short;
};
template <> struct ArgumentTypeCode<unsigned short> {
    static constexpr const char* code = TypeCodes::UnsignedShort;
};
// int is 32 bits on both Windows architectures.
template <> struct ArgumentTypeCode<int> { static constexpr const char* code = TypeCodes::Int; };
// Excel passes a 16-bit 0 or 1; its low byte is the bool.
template <> struct ArgumentTypeCode<bool> {
    static constexpr const char* code = TypeCodes::Boolean;
};
template <> struct ArgumentTypeCode<const char*> {
    static constexpr const char* code = TypeCodes::Text;
};
template <> struct ArgumentTypeCode<const wchar_t*> {
    static constexpr const char* code = TypeCodes::WideText;
};
template <> struct ArgumentTypeCode<ValueArgument> {
    static constexpr const char* code = TypeCodes::Value;
};
template <> struct ArgumentTypeCode<RangeArgument> {
    static constexpr const char* code = TypeCodes::Reference;
};

// A bool result is left out on purpose: Excel reads 16 bits where a bool
// sets 8.
template <class T> struct ResultTypeCode { static constexpr const char* code = nullptr; };
template <> struct ResultTypeCode<double> {
    static constexpr const char* code = TypeCodes::Double;
};
template <> struct ResultTypeCode<short> { static constexpr const char* code = TypeCodes::Short; };
template <> struct ResultTypeCode<unsigned short> {
    static constexpr const char* code = TypeCodes::UnsignedShort;
};
template <> struct ResultTypeCode<int> { static constexpr const char* code = TypeCodes::Int; };
template <> struct ResultTypeCode<void*> {
    static constexpr const char* code = TypeCodes::ValueResult;
};

template <class Result, class... Arguments> struct EntryPointSignature {
    static constexpr bool isEntryPoint = true;
    static constexpr std::size_t argumentCount = sizeof...(Arguments);
    static constexpr bool takesVoidPointer = (std::is_same_v<Arguments, void*> || ...);
    static constexpr bool takesReference = (std::is_same_v<Arguments, RangeArgument> || ...);
    static constexpr bool argumentsKnown = ((ArgumentTypeCode<Arguments>::code != nullptr) && ...);
    static constexpr bool resultKnown = ResultTypeCode<Result>::code != nullptr;
    static constexpr const char* resultCode = ResultTypeCode<Result>::code;
    // One more than the arguments: a table cannot be empty.
    static constexpr const char* argumentCodes[] = {ArgumentTypeCode<Arguments>::code..., nullptr};
};

// Anything but a stdcall function (on x86, where the convention matters).
// Its members agree with everything, so that only the sentence about the
// calling convention is shown.
struct NotAnEntryPoint {
    static constexpr bool isEntryPoint = false;
    static constexpr std::size_t argumentCount = 0;
    static constexpr bool takesVoidPointer = false;
    static constexpr bool takesReference = false;
    static constexpr bool argumentsKnown = true;
    static constexpr bool resultKnown = true;
    static constexpr const char* resultCode = TypeCodes::ValueResult;
    static constexpr const char* argumentCodes[] = {nullptr};
};

template <class Result, class... Arguments>
EntryPointSignature<Result, Arguments...> SignatureOf(Result(XLW_STDCALL*)(Arguments...));
NotAnEntryPoint SignatureOf(...);

} // namespace xlw
