// Registrations that disagree with their entry points, and a worksheet
// computation of a result no record holds, one per MISMATCH value, each of
// which must stop the build with its sentence (CheckMismatches.cmake);
// MISMATCH 0 is sound and must compile.
#include "xlw/xlw.h"

#include <vector>

XLW_EXPORT void* XLW_STDCALL sound(double x, xlw::ValueArgument value, xlw::RangeArgument range,
                                   short s, unsigned short u, int i, bool b, const char* text,
                                   const wchar_t* wide) {
    return x + s + u + i + b + *text + *wide > 0 ? value.record : range.record;
}
XLW_EXPORT void* XLW_STDCALL two(double x, double y) {
    return x < y ? nullptr : nullptr;
}
XLW_EXPORT void* XLW_STDCALL untyped(void* record) {
    return record;
}
XLW_EXPORT void* XLW_STDCALL pointerToDouble(double* x) {
    return x;
}
XLW_EXPORT bool XLW_STDCALL truth(double x) {
    return x > 0;
}
#if defined(_WIN32) && !defined(_WIN64)
XLW_EXPORT void* __cdecl cdecl(double x) {
    return x > 0 ? nullptr : nullptr;
}
#endif

// One entry per argument of `sound`.
const xlw::ArgumentHelp SoundArguments[] = {{"x", ""}, {"value", ""}, {"range", ""},
                                            {"s", ""}, {"u", ""},     {"i", ""},
                                            {"b", ""}, {"text", ""},  {"wide", ""}};

#if MISMATCH == 0
const xlw::WorksheetFunction<sound> ok("sound", "Sound", "", "", SoundArguments,
                                       xlw::VolatileFunction | xlw::ThreadSafeFunction);
const xlw::WorksheetFunction<two> ordinary("two", "Two", "", "", {{"x", ""}, {"y", ""}});
const xlw::WorksheetFunction<two> offloaded("two", "Offloaded", "", "", {{"x", ""}, {"y", ""}},
                                            xlw::ThreadSafeFunction | xlw::ClusterSafeFunction);
// Plain results, and the names a user needs, in namespace xlw.
XLW_EXPORT void* XLW_STDCALL number() {
    return xlw::WorksheetCall([] { return 1.5; });
}
XLW_EXPORT void* XLW_STDCALL integers() {
    return xlw::WorksheetCall([] { return short(1) + int(2) + static_cast<unsigned short>(3); });
}
XLW_EXPORT void* XLW_STDCALL matrix() {
    return xlw::WorksheetCall([] { return xlw::DoubleMatrix(1, 1); });
}
XLW_EXPORT void* XLW_STDCALL missing() {
    return xlw::WorksheetCall([] { return xlw::XlfOper::MakeError(xlw::xlerrNA); });
}
#elif MISMATCH == 1
const xlw::WorksheetFunction<two> fewer("two", "Two", "", "", {{"x", ""}});
#elif MISMATCH == 2
const xlw::WorksheetFunction<two> more("two", "Two", "", "", {{"x", ""}, {"y", ""}, {"z", ""}});
#elif MISMATCH == 3
const xlw::WorksheetFunction<two> none("two", "Two", "", "");
#elif MISMATCH == 4
const xlw::WorksheetFunction<untyped> record("untyped", "Untyped", "", "", {{"record", ""}});
#elif MISMATCH == 5
const xlw::WorksheetFunction<pointerToDouble> pointer("pointerToDouble", "Pointer", "", "",
                                                      {{"x", ""}});
#elif MISMATCH == 6
const xlw::WorksheetFunction<truth> boolean("truth", "Truth", "", "", {{"x", ""}});
#elif MISMATCH == 7
const xlw::WorksheetFunction<cdecl> convention("cdecl", "Cdecl", "", "", {{"x", ""}});
#elif MISMATCH == 8
XLW_EXPORT void* XLW_STDCALL values() {
    return xlw::WorksheetCall([] { return std::vector<double>(2); });
}
#elif MISMATCH == 9
// 'a' would reach the cell as 97.
XLW_EXPORT void* XLW_STDCALL letter() {
    return xlw::WorksheetCall([] { return 'a'; });
}
#elif MISMATCH == 10
XLW_EXPORT void* XLW_STDCALL single() {
    return xlw::WorksheetCall([] { return 1.5f; });
}
#elif MISMATCH == 11
XLW_EXPORT void* XLW_STDCALL wide() {
    return xlw::WorksheetCall([] { return 7L; });
}
#elif MISMATCH == 12
const xlw::WorksheetFunction<sound> reference("sound", "Sound", "", "", SoundArguments,
                                              xlw::ClusterSafeFunction);
#elif MISMATCH == 13
const xlw::WorksheetFunction<two> macro("two", "Two", "", "", {{"x", ""}, {"y", ""}},
                                        xlw::ClusterSafeFunction |
                                            xlw::MacroSheetEquivalentFunction);
#elif MISMATCH == 14
const xlw::WorksheetFunction<two> threads("two", "Two", "", "", {{"x", ""}, {"y", ""}},
                                          xlw::MacroSheetEquivalentFunction |
                                              xlw::ThreadSafeFunction);
#endif
