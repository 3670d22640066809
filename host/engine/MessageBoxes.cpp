#include "MessageBoxes.h"

#include "Text.h"

#include <windows.h>

namespace xlhost {

namespace {

// The boxes of the watch in force on this thread; a hook procedure takes no
// state of its own, and each thread that runs add-in code has its own hook.
thread_local MessageBoxes* watched = nullptr;

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

// The calling thread's hook, installed at its first watch and kept until
// Unhook: hooking costs two trips to the window server, more than a small
// worksheet call. Between watches it does nothing.
thread_local HHOOK threadHook = nullptr;

} // namespace

std::vector<ShownMessageBox> MessageBoxes::Shown() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return shown_;
}

void MessageBoxes::Add(const ShownMessageBox& box) {
    const std::lock_guard<std::mutex> lock(mutex_);
    shown_.push_back(box);
}

void MessageBoxes::Clear() {
    const std::lock_guard<std::mutex> lock(mutex_);
    shown_.clear();
}

void MessageBoxes::Unhook() {
    if (threadHook != nullptr) {
        UnhookWindowsHookEx(threadHook);
        threadHook = nullptr;
    }
}

MessageBoxes::Watch::Watch(MessageBoxes& boxes) : outermost_(watched == nullptr) {
    if (threadHook == nullptr) {
        threadHook = SetWindowsHookExW(WH_CALLWNDPROCRET, PressOk, nullptr, GetCurrentThreadId());
    }
    if (outermost_) {
        watched = &boxes;
    }
}

MessageBoxes::Watch::~Watch() {
    if (outermost_) {
        watched = nullptr;
    }
}

} // namespace xlhost
