// The module name that registration sends as Excel 4 text, for add-ins in
// folders named in scripts the ANSI code page may not hold (the suites run
// under Wine's en-US code page, 1252).
#include "BridgeHost.h"
#include "Text.h"
#include "records/AnsiCodePage.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

using xlhost::Engine;
using xlw::XlfExcel;

namespace {

std::wstring FromAnsi(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                           &wide[0], static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(length));
    return wide;
}

bool ShownByTheCodePage(const std::wstring& text) {
    BOOL lost = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, nullptr, 0, nullptr, &lost);
    return !lost;
}

std::wstring LongPath(const std::wstring& path) {
    wchar_t buffer[1024] = {};
    const DWORD length = GetLongPathNameW(path.c_str(), buffer, 1024);
    return std::wstring(buffer, length);
}

// A file under the temporary folder, in a folder of the given name and this
// process's own: the suites of both record kinds run at the same time, and
// one removing the other's file would leave no short path to name it by.
class FileInFolder {
public:
    explicit FileInFolder(const std::wstring& folderName) {
        wchar_t temporary[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temporary);
        folder_ = std::wstring(temporary) + L"tesserine-" + folderName + L"-" +
                  std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder_.c_str(), nullptr);
        path_ = folder_ + L"\\Tesserine.xll";
        HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        CloseHandle(file);
    }
    ~FileInFolder() {
        DeleteFileW(path_.c_str());
        RemoveDirectoryW(folder_.c_str());
    }
    const std::wstring& Path() const { return path_; }

private:
    std::wstring folder_;
    std::wstring path_;
};

} // namespace

// What the code page can show is sent as it stands; anything else as the
// short path, which names the same file. Excel 4's own answer is already in
// the code page, so it can only name folders the code page shows.
TEST(ModuleName, NamesTheAddInsFileWhateverScriptItsFolderIsNamedIn) {
    Engine& engine = Engine::Get();
    const std::string hostPath = engine.AddInPath();
    for (const wchar_t* folderName :
         {L"J\u00fcrgen", L"\u0418\u0432\u0430\u043d", L"\u6f22\u5b57"}) {
        const FileInFolder addIn(folderName);
        const bool shown = ShownByTheCodePage(addIn.Path());
        if (!shown && !ProcessIsExcel12())
            continue;
        SCOPED_TRACE(xlhost::Utf16ToUtf8(addIn.Path().c_str(), addIn.Path().size()));
        engine.SetAddInPath(xlhost::Utf16ToUtf8(addIn.Path().c_str(), addIn.Path().size()));
        const std::string name = XlfExcel::Get().ModuleName();
        if (shown)
            EXPECT_EQ(FromAnsi(name), addIn.Path());
        else
            EXPECT_EQ(LongPath(FromAnsi(name)), LongPath(addIn.Path()));
        EXPECT_EQ(name.find('?'), std::string::npos) << name;
    }
    engine.SetAddInPath(hostPath);
}

// Windows' "Use Unicode UTF-8 for worldwide language support" makes UTF-8 the
// ANSI code page, where every character has a place; it refuses a conversion
// asked for with the flags that other code pages need, which would leave the
// module name empty and nothing registered. The suites cannot switch their
// own code page, so the code page is named here.
TEST(ModuleName, TheUtf8CodePageConvertsEveryCharacter) {
    const std::wstring path = L"C:\\\u0418\u0432\u0430\u043d\\\u6f22\u5b57\\Tesserine.xll";
    std::string converted;
    ASSERT_TRUE(xlw::ToCodePage(CP_UTF8, path.data(), path.size(), converted));
    // UTF-8 written out by hand: Cyrillic in two bytes each, CJK in three.
    EXPECT_EQ(converted, "C:\\\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\\\xE6\xBC\xA2\xE5\xAD\x97"
                         "\\Tesserine.xll");
    EXPECT_FALSE(xlw::ToCodePage(1252, path.data(), path.size(), converted))
        << "code page 1252 has no Cyrillic";
    EXPECT_EQ(converted.find("C:\\?"), 0u) << "a character without a place shows as ?";
    const std::wstring latin = L"C:\\J\u00fcrgen\\x.xll";
    ASSERT_TRUE(xlw::ToCodePage(1252, latin.data(), latin.size(), converted));
    EXPECT_EQ(converted, "C:\\J\xFCrgen\\x.xll");
}

// An Excel 4 text holds 255 bytes. Cut there, a text in a double-byte code
// page (Japanese, 932) or in UTF-8 ends on a whole character: 200 ASCII
// letters and 27 two-byte kanji take 254 bytes, and the 28th would take 256.
TEST(ModuleName, ATextCutToItsBytesEndsOnAWholeCharacter) {
    const std::wstring text = std::wstring(200, L'a') + std::wstring(100, L'\u6f22');
    const std::string kanji932 = "\x8a\xbf";
    std::string expected932(200, 'a');
    for (int i = 0; i < 27; ++i)
        expected932 += kanji932;
    EXPECT_EQ(xlw::ToCodePageWithin(932, text.data(), text.size(), 255), expected932);
    // Three bytes each in UTF-8: 18 of them after the 200 letters take 254.
    std::string expectedUtf8(200, 'a');
    for (int i = 0; i < 18; ++i)
        expectedUtf8 += "\xE6\xBC\xA2";
    EXPECT_EQ(xlw::ToCodePageWithin(CP_UTF8, text.data(), text.size(), 255), expectedUtf8);
    // A character outside the basic plane is a surrogate pair, kept whole.
    const std::wstring clef = std::wstring(252, L'a') + L"\U0001D11E";
    EXPECT_EQ(xlw::ToCodePageWithin(CP_UTF8, clef.data(), clef.size(), 255), std::string(252, 'a'));
    EXPECT_EQ(xlw::ToCodePageWithin(CP_UTF8, clef.data(), clef.size(), 256),
              std::string(252, 'a') + "\xF0\x9D\x84\x9E");
    // A character that ends exactly at the limit is kept.
    const std::wstring atTheLimit = std::wstring(251, L'a') + L"\U0001D11E" + L"b";
    EXPECT_EQ(xlw::ToCodePageWithin(CP_UTF8, atTheLimit.data(), atTheLimit.size(), 255),
              std::string(251, 'a') + "\xF0\x9D\x84\x9E");
    const std::wstring shortText = L"abc";
    EXPECT_EQ(xlw::ToCodePageWithin(1252, shortText.data(), shortText.size(), 255), "abc");
}
