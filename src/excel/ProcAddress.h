// Typed lookup of an exported function; null when the module lacks it.
#pragma once

#include <windows.h>

namespace xlw {

template <class Proc> Proc FindProc(HMODULE module, const char* name) {
    // FARPROC's own type says nothing of the export's real signature.
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace xlw
