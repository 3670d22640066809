#include "ModulePath.h"

#include "Text.h"

namespace xlhost {

// A module may lie deeper than MAX_PATH characters; the buffer grows until
// the name fits.
std::string ModulePath(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            return Utf16ToUtf8(path.c_str(), length);
        }
        path.resize(path.size() * 2);
    }
}

std::string ExecutablePath() {
    return ModulePath(nullptr);
}

} // namespace xlhost
