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

// What a function asks of Excel beyond its types, joined with "|". Each is a
// type of its own, so that a combination Excel refuses stops the build.
template <unsigned Bits> struct FunctionFlags { static constexpr unsigned bits = Bits; };

template <unsigned Left, unsigned Right>
constexpr FunctionFlags<Left | Right> operator|(FunctionFlags<Left>, FunctionFlags<Right>) {
    return {};
}

constexpr FunctionFlags<0> OrdinaryFunction{};
// Recalculated whenever Excel recalculates ("!").
constexpr FunctionFlags<1> VolatileFunction{};
// Called on any of Excel's recalculation threads under Excel 12 records
// ("$"); its entry point runs in WorksheetCall, whose result then owns
// its memory off the main thread, or in ThreadSafeWorksheetCall.
constexpr FunctionFlags<2> ThreadSafeFunction{};
// May be run on a compute cluster's node instead of in Excel ("&", from
// Excel 2010 on): with its arguments' values and the files beside the add-in
// alone, every callback but xlRunningOnCluster possibly failing there
// (xlGetName, xlfGetWorkspace, xlCoerce, xlAbort, xlGetHwnd, xlcMessage,
// xlfCaller among them). The framework's own services that such a function
// may use answer there without one: XlfExcel::ModuleName (the folder of
// the files beside the add-in), BreakPending (no) and RunningOnCluster.
constexpr FunctionFlags<4> ClusterSafeFunction{};
// Calls what only macro sheets may call, and sees its reference arguments
// uncalculated ("#").
constexpr FunctionFlags<8> MacroSheetEquivalentFunction{};

// What the function wizard's "Help on this function" opens, and the in-cell
// help links to: "C:\help\my.chm!1001", or a web address followed by "!0".
struct HelpTopic {
    const char* topic;
};

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
    template <std::size_t Count, unsigned Flags = 0>
    WorksheetFunction(const char* exportedName, const char* excelName, const char* help,
                      const char* category, const ArgumentHelp (&arguments)[Count],
                      FunctionFlags<Flags> flags = {}, HelpTopic helpTopic = {""}) {
        static_assert(!Signature::isEntryPoint || Count == Signature::argumentCount,
                      "the argument table must have one entry for each argument of the function, "
                      "in the same order");
        ArgumentSpec table[Count];
        for (std::size_t i = 0; i < Count; ++i)
            table[i] = {arguments[i].name, arguments[i].help, Signature::argumentCodes[i]};
        Register(exportedName, excelName, help, category, table, static_cast<int>(Count), flags,
                 helpTopic);
    }

    // For a function without arguments.
    template <unsigned Flags = 0>
    WorksheetFunction(const char* exportedName, const char* excelName, const char* help,
                      const char* category, FunctionFlags<Flags> flags = {},
                      HelpTopic helpTopic = {""}) {
        static_assert(Signature::argumentCount == 0,
                      "the function takes arguments: give the table of their names and help texts");
        Register(exportedName, excelName, help, category, nullptr, 0, flags, helpTopic);
    }

private:
    template <unsigned Flags>
    static void Register(const char* exportedName, const char* excelName, const char* help,
                         const char* category, const ArgumentSpec* table, int count,
                         FunctionFlags<Flags>, HelpTopic helpTopic) {
        constexpr bool isThreadSafe = (Flags & ThreadSafeFunction.bits) != 0;
        constexpr bool isClusterSafe = (Flags & ClusterSafeFunction.bits) != 0;
        constexpr bool isMacroSheetEquivalent = (Flags & MacroSheetEquivalentFunction.bits) != 0;
        static_assert(!(isClusterSafe && Signature::takesReference),
                      "a cluster-safe function cannot take xlw::RangeArgument: a node has no "
                      "sheet to read a reference from, and Excel refuses R and U arguments for "
                      "it; take xlw::ValueArgument");
        static_assert(!(isClusterSafe && isMacroSheetEquivalent),
                      "a cluster-safe function cannot be macro-sheet equivalent: Excel refuses "
                      "\"&\" beside \"#\"");
        static_assert(!(isThreadSafe && isMacroSheetEquivalent),
                      "a thread-safe function cannot be macro-sheet equivalent: Excel refuses "
                      "\"$\" beside \"#\"");
        RegistrationOptions options;
        options.isClusterSafe = isClusterSafe;
        options.isMacroSheetEquivalent = isMacroSheetEquivalent;
        options.helpTopic = helpTopic.topic;
        const FunctionRegistrar registrar(exportedName, excelName, help, category, table, count,
                                          (Flags & VolatileFunction.bits) != 0, isThreadSafe,
                                          Signature::resultCode, options);
    }
};

} // namespace xlw
