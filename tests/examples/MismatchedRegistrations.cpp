// Registrations that disagree with their entry points, one per MISMATCH
// value, each of which must stop the build with its sentence
// (CheckMismatches.cmake); MISMATCH 0 is a sound one, which must compile.
#include "xlw/WorksheetFunction.h"

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

#if MISMATCH == 0
const xlw::WorksheetFunction<sound> ok("sound", "Sound", "", "",
                                       {{"x", ""},
                                        {"value", ""},
                                        {"range", ""},
                                        {"s", ""},
                                        {"u", ""},
                                        {"i", ""},
                                        {"b", ""},
                                        {"text", ""},
                                        {"wide", ""}},
                                       xlw::VolatileFunction | xlw::ThreadSafeFunction);
const xlw::WorksheetFunction<two> ordinary("two", "Two", "", "", {{"x", ""}, {"y", ""}});
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
#endif
