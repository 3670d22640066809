#include "ReportErrorBox.h"

#include <windows.h>

#include <cstdio>

namespace xlw {

void ReportErrorBox(const char* text, const char* caption) {
    if (caption) {
        MessageBoxA(nullptr, text, caption, MB_ICONINFORMATION);
        return;
    }
    const DWORD code = GetLastError();
    char* systemText = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                   reinterpret_cast<char*>(&systemText), 0, nullptr);
    // A long text together with the system's text is cut at the buffer's end.
    char message[256];
    std::snprintf(message, sizeof message, "%s due to error %d :\n%s", text ? text : "",
                  static_cast<int>(code), systemText ? systemText : "");
    MessageBoxA(nullptr, message, "XLL Error", MB_ICONINFORMATION);
    LocalFree(systemText);
}

} // namespace xlw
