#include "excel/ReportErrorBox.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

using xlw::ReportErrorBox;

namespace {

struct ShownBox {
    std::string caption;
    std::string text;
    int count = 0;
};

ShownBox shown;

BOOL CALLBACK ReadLongestStatic(HWND child, LPARAM) {
    char className[16];
    char text[1024];
    GetClassNameA(child, className, sizeof className);
    const int length = GetWindowTextA(child, text, sizeof text);
    if (lstrcmpiA(className, "Static") == 0 && length > static_cast<int>(shown.text.size()))
        shown.text.assign(text, length);
    return TRUE;
}

// Reads each message box once it is set up and closes it, so that the test
// does not wait for a user.
LRESULT CALLBACK CloseMessageBoxes(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_INITDIALOG) {
        char caption[256];
        GetWindowTextA(message->hwnd, caption, sizeof caption);
        shown.caption = caption;
        shown.text.clear();
        EnumChildWindows(message->hwnd, ReadLongestStatic, 0);
        ++shown.count;
        PostMessageA(message->hwnd, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

ShownBox Report(const char* text, const char* caption, DWORD lastError) {
    shown = ShownBox{};
    HHOOK hook =
        SetWindowsHookExA(WH_CALLWNDPROCRET, CloseMessageBoxes, nullptr, GetCurrentThreadId());
    SetLastError(lastError);
    ReportErrorBox(text, caption);
    UnhookWindowsHookEx(hook);
    return shown;
}

} // namespace

TEST(ReportErrorBox, ShowsTheTextUnderTheGivenCaption) {
    const ShownBox box = Report("Something to know", "Tesserine", 0);
    EXPECT_EQ(box.count, 1);
    EXPECT_EQ(box.caption, "Tesserine");
    EXPECT_EQ(box.text, "Something to know");
}

TEST(ReportErrorBox, WithoutCaptionReportsTheLastSystemError) {
    const ShownBox box = Report("Opening param.txt", nullptr, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(box.count, 1);
    EXPECT_EQ(box.caption, "XLL Error");
    const std::string prefix = "Opening param.txt due to error 2 :\n";
    EXPECT_EQ(box.text.substr(0, prefix.size()), prefix);
    EXPECT_GT(box.text.size(), prefix.size()); // the system's own words follow
}

TEST(ReportErrorBox, LongTextIsCutAtTheBufferEnd) {
    const std::string longText(400, 'x');
    const ShownBox box = Report(longText.c_str(), nullptr, ERROR_ACCESS_DENIED);
    EXPECT_EQ(box.count, 1);
    // 255 characters and the terminating zero fill the 256-character buffer.
    EXPECT_EQ(box.text, longText.substr(0, 255));
}

TEST(ReportErrorBox, WithoutTextShowsTheSystemErrorAlone) {
    const ShownBox box = Report(nullptr, nullptr, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(box.count, 1);
    const std::string prefix = " due to error 2 :\n";
    EXPECT_EQ(box.text.substr(0, prefix.size()), prefix);
}
