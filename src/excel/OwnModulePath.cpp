#include "OwnModulePath.h"

#include <windows.h>

namespace xlw {

// Windows paths hold at most 32767 wide characters.
std::wstring OwnModulePath() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&OwnModulePath), &self))
        return std::wstring();
    constexpr DWORD LongestPath = 32768;
    std::wstring path(LongestPath, L'\0');
    path.resize(GetModuleFileNameW(self, &path[0], LongestPath));
    return path;
}

} // namespace xlw
