// A worksheet function's registration, declared once beside the entry point
// it registers and worked out from that entry point's C++ type: the type
// text comes from the signature, the number of arguments from the argument
// table, and a table or a type that does not fit stops the build with a
// sentence. Like FunctionRegistrar, it is a static object whose constructor
// records the function while the module loads:
//
//   XLW_EXPORT void* XLW_STDCALL xlex_Greet(xlw::ValueArgument name) { ... }
//   const xlw::WorksheetFunction<xlex_Greet> greet(
//       "xlex_Greet", "ex_Greet", " greets by name ", "xlw example",
//       {{"name", " whom to greet "}}, xlw::ThreadSafeFunction);
//
// The exported name is given as a text: Excel looks the entry point up by
// it, and a wrong one is refused when the add-in opens.
#pragma once

#include "ArgumentSpec.h"
#include "EntryPointSignature.h"
#include "FunctionRegistrar.h"

#include <cstddef>

namespace xlw {

// A worksheet function's name and help line in the function wizard.
struct ArgumentHelp {
    const char* name;
    const char* help;
};

enum FunctionFlags : unsigned {
    OrdinaryFunction = 0,
    // Recalculated whenever Excel recalculates ("!").
    VolatileFunction = 1,
    // Called on any of Excel's recalculation threads under Excel 12 records
    // ("$"); its entry point runs in WorksheetCall, whose result then owns
    // its memory off the main thread, or in ThreadSafeWorksheetCall.
    ThreadSafeFunction = 2
};

constexpr FunctionFlags operator|(FunctionFlags left, FunctionFlags right) {
    return static_cast<FunctionFlags>(static_cast<unsigned>(left) | static_cast<unsigned>(right));
}

template <auto EntryPoint> class WorksheetFunction {
    using Signature = decltype(SignatureOf(EntryPoint));

    static_assert(Signature::isEntryPoint,
                  "the function must be one that Excel can call: declare it XLW_EXPORT with the "
                  "calling convention XLW_STDCALL");
    static_assert(!Signature::takesVoidPointer,
                  "a void* argument does not say which record Excel should pass: take "
                  "xlw::ValueArgument for its values or xlw::RangeArgument for a range as written");
    static_assert(Signature::argumentsKnown,
                  "every argument must be a double, short, unsigned short, int, bool, const char*, "
                  "const wchar_t*, xlw::ValueArgument or xlw::RangeArgument: Excel passes no other "
                  "type");
    static_assert(Signature::resultKnown,
                  "the function must return a double, short, unsigned short, int or void* (the "
                  "record that WorksheetCall returns): Excel reads no other type");

public:
    template <std::size_t Count>
    WorksheetFunction(const char* exportedName, const char* excelName, const char* help,
                      const char* category, const ArgumentHelp (&arguments)[Count],
                      FunctionFlags flags = OrdinaryFunction) {
        static_assert(!Signature::isEntryPoint || Count == Signature::argumentCount,
                      "the argument table must have one entry for each argument of the function, "
                      "in the same order");
        ArgumentSpec table[Count];
        for (std::size_t i = 0; i < Count; ++i)
            table[i] = {arguments[i].name, arguments[i].help, Signature::argumentCodes[i]};
        Register(exportedName, excelName, help, category, table, static_cast<int>(Count), flags);
    }

    // For a function without arguments.
    WorksheetFunction(const char* exportedName, const char* excelName, const char* help,
                      const char* category, FunctionFlags flags = OrdinaryFunction) {
        static_assert(Signature::argumentCount == 0,
                      "the function takes arguments: give the table of their names and help texts");
        Register(exportedName, excelName, help, category, nullptr, 0, flags);
    }

private:
    static void Register(const char* exportedName, const char* excelName, const char* help,
                         const char* category, const ArgumentSpec* table, int count,
                         FunctionFlags flags) {
        const FunctionRegistrar registrar(exportedName, excelName, help, category, table, count,
                                          (flags & VolatileFunction) != 0,
                                          (flags & ThreadSafeFunction) != 0, Signature::resultCode);
    }
};

} // namespace xlw
