#include "MessageBoxes.h"

#include "Text.h"

#include <windows.h>

namespace xlhost {

namespace {

// The boxes of the watch in force; a hook procedure takes no state of its own.
MessageBoxes* watched = nullptr;

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int read = GetWindowTextW(window, &text[0], length + 1);
    return Utf16ToUtf8(text.c_str(), static_cast<std::size_t>(read));
}

// A message box's text is its longest static control; the icon is another.
BOOL CALLBACK ReadLongestStatic(HWND child, LPARAM longest) {
    char className[16] = {};
    GetClassNameA(child, className, sizeof className);
    auto* text = reinterpret_cast<std::string*>(longest);
    if (lstrcmpiA(className, "Static") == 0) {
        const std::string childText = WindowText(child);
        if (childText.size() > text->size()) {
            *text = childText;
        }
    }
    return TRUE;
}

LRESULT CALLBACK PressOk(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_INITDIALOG && watched != nullptr) {
        ShownMessageBox box;
        box.caption = WindowText(message->hwnd);
        EnumChildWindows(message->hwnd, ReadLongestStatic, reinterpret_cast<LPARAM>(&box.text));
        watched->Add(box);
        PostMessageW(message->hwnd, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

MessageBoxes::Watch::Watch(MessageBoxes& boxes) : outermost_(watched == nullptr) {
    if (outermost_) {
        watched = &boxes;
        hook_ = SetWindowsHookExW(WH_CALLWNDPROCRET, PressOk, nullptr, GetCurrentThreadId());
    }
}

MessageBoxes::Watch::~Watch() {
    if (outermost_) {
        if (hook_ != nullptr) {
            UnhookWindowsHookEx(static_cast<HHOOK>(hook_));
        }
        watched = nullptr;
    }
}

} // namespace xlhost
