#include "excel/Win32StreamBuf.h"
#include "StreamChild.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

using xlw::Win32StreamBuf;

namespace {

constexpr int ConcurrentWriters = 4;
constexpr int CharactersPerWriter = 16000; // a debug string counts its length in 16 bits

} // namespace

int RunStreamChild(const char* readyEventName) {
    Win32StreamBuf buffer;
    std::ostream out(&buffer);
    out << "dropped" << std::flush; // no debugger yet
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, readyEventName);
    if (!ready)
        return 2;
    SetEvent(ready);
    CloseHandle(ready);
    for (int i = 0; i < 1000 && !IsDebuggerPresent(); ++i)
        Sleep(10);
    if (!IsDebuggerPresent())
        return 3;
    out << "first" << std::flush;
    out << std::flush; // nothing collected: nothing sent
    out << "sec"
        << "ond" << std::endl;
    // Thread-safe worksheet functions write from several threads at once.
    std::atomic<int> waiting{ConcurrentWriters};
    std::vector<std::thread> writers;
    for (int t = 0; t < ConcurrentWriters; ++t)
        writers.emplace_back([&buffer, &waiting] {
            for (--waiting; waiting > 0;)
                std::this_thread::yield();
            for (int i = 0; i < CharactersPerWriter; ++i)
                buffer.sputc('x');
        });
    for (std::thread& writer : writers)
        writer.join();
    out << std::flush;
    out << "never flushed";
    return 0;
}

namespace {

struct ChildRun {
    std::vector<std::string> debugStrings;
    DWORD exitCode = 0xFFFFFFFF;
};

std::string ReadDebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info) {
    if (info.fUnicode || info.nDebugStringLength == 0)
        return "<unexpected>";
    std::string text(info.nDebugStringLength, '\0');
    SIZE_T read = 0;
    ReadProcessMemory(process, info.lpDebugStringData, &text[0], text.size(), &read);
    text.resize(read);
    if (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

// Starts the child undebugged, attaches once it has flushed its first text,
// and collects what it sends to the debugger until it exits.
ChildRun DebugStreamChild() {
    ChildRun run;
    const std::string eventName = "TesserineStreamChild" + std::to_string(GetCurrentProcessId());
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string commandLine = std::string("\"") + exe + "\" " + StreamChildFlag + " " + eventName;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (!CreateProcessA(exe, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &child)) {
        CloseHandle(ready);
        return run;
    }
    if (WaitForSingleObject(ready, 30000) == WAIT_OBJECT_0 &&
        DebugActiveProcess(child.dwProcessId)) {
        DEBUG_EVENT event{};
        while (WaitForDebugEvent(&event, 30000)) {
            DWORD status = DBG_CONTINUE;
            if (event.dwDebugEventCode == OUTPUT_DEBUG_STRING_EVENT)
                run.debugStrings.push_back(ReadDebugString(child.hProcess, event.u.DebugString));
            else if (event.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT)
                CloseHandle(event.u.CreateProcessInfo.hFile);
            else if (event.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT)
                CloseHandle(event.u.LoadDll.hFile);
            else if (event.dwDebugEventCode == EXCEPTION_DEBUG_EVENT &&
                     event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                status = DBG_EXCEPTION_NOT_HANDLED;
            ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
            if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT)
                break;
        }
    }
    WaitForSingleObject(child.hProcess, 30000);
    GetExitCodeProcess(child.hProcess, &run.exitCode);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    CloseHandle(ready);
    return run;
}

// overflow and sync are the buffer's own protected interface.
struct ExposedStreamBuf : Win32StreamBuf {
    using Win32StreamBuf::overflow;
    using Win32StreamBuf::sync;
};

} // namespace

TEST(Win32StreamBuf, EachFlushReachesTheDebuggerAsOneString) {
    const ChildRun run = DebugStreamChild();
    EXPECT_EQ(run.exitCode, 0u);
    // "dropped" was flushed before the debugger came and is gone for good;
    // the empty flush sent nothing; every character of the writers at once
    // arrived; the unflushed tail was discarded.
    ASSERT_GE(run.debugStrings.size(), 3u);
    EXPECT_EQ(run.debugStrings[0], "first");
    EXPECT_EQ(run.debugStrings[1], "second\n");
    std::string concurrent;
    for (std::size_t i = 2; i < run.debugStrings.size(); ++i)
        concurrent += run.debugStrings[i];
    EXPECT_EQ(concurrent.size(), std::size_t(ConcurrentWriters * CharactersPerWriter));
    EXPECT_EQ(concurrent.find_first_not_of('x'), std::string::npos);
}

TEST(Win32StreamBuf, OverflowAppendsOrSyncsAtEndOfFile) {
    using traits = std::char_traits<char>;
    ExposedStreamBuf buffer;
    EXPECT_EQ(buffer.overflow('a'), 'a');
    // A byte above 0x7F is an ordinary character, not end-of-file.
    EXPECT_EQ(buffer.overflow(traits::to_int_type('\xff')), 0xff);
    EXPECT_EQ(buffer.overflow(traits::eof()), 0);
    EXPECT_EQ(buffer.sync(), 0);
}
