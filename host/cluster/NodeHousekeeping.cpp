#include "NodeHousekeeping.h"

#include "Text.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cwctype>
#include <functional>
#include <stdexcept>

namespace xlhost {

namespace {

// How long removing a copy may wait for the node that holds its files to
// die when the process is being ended.
constexpr DWORD RemovalWaitMilliseconds = 5000;

// Closes a search however the visit leaves it.
struct Search {
    HANDLE handle;
    ~Search() {
        if (handle != INVALID_HANDLE_VALUE) {
            FindClose(handle);
        }
    }
};

// Calls `visit(name, isFolder)` for each entry `pattern` finds but "." and "..".
void ForEachFound(const std::wstring& pattern,
                  const std::function<void(const std::wstring&, bool)>& visit) {
    WIN32_FIND_DATAW found;
    const Search search{FindFirstFileW(pattern.c_str(), &found)};
    if (search.handle == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") {
            visit(name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        }
    } while (FindNextFileW(search.handle, &found));
}

// True when the folder is gone.
bool RemoveFolder(const std::wstring& folder) {
    ForEachFound(folder + L"\\*", [&](const std::wstring& name, bool isFolder) {
        if (!isFolder) {
            const std::wstring file = folder + L"\\" + name;
            SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(file.c_str());
        }
    });
    return RemoveDirectoryW(folder.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

unsigned long long StartOf(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return 0;
    }
    return (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// Whether the process of that id and start time may still run: one of
// another user's, which this one cannot open, is given the benefit.
bool Alive(DWORD id, unsigned long long started) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (process == nullptr) {
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    DWORD code = 0;
    const bool alive =
        StartOf(process) == started && GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return alive;
}

std::wstring TemporaryFolder() {
    wchar_t temporary[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temporary);
    return temporary;
}

// What a node needs beside the add-in: the data files an add-in reads from
// its own folder. Programs, libraries and whatever else the folder holds
// stay where they are.
bool IsDataFile(const std::wstring& name) {
    const std::size_t dot = name.find_last_of(L'.');
    if (dot == std::wstring::npos) {
        return false;
    }
    std::wstring extension = name.substr(dot);
    for (wchar_t& c : extension) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    return extension == L".txt" || extension == L".csv";
}

BOOL WINAPI OnConsoleEvent(DWORD) {
    NodeHousekeeping::Get().EndAll();
    return FALSE; // and the process ends as it would have
}

} // namespace

NodeHousekeeping& NodeHousekeeping::Get() {
    // Never destroyed: the console handler may run while the process exits.
    static NodeHousekeeping* housekeeping = new NodeHousekeeping();
    return *housekeeping;
}

NodeHousekeeping::NodeHousekeeping() {
    job_ = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job_ != nullptr &&
        !SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(job_);
        job_ = nullptr;
    }
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
    SweepCopiesOfTheGone();
}

void NodeHousekeeping::Adopt(void* process) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (ending_) {
        TerminateProcess(process, 1);
        throw std::runtime_error("this process is being ended");
    }
    // A node outside the job (a system without jobs, or one that refuses
    // this process's) still runs; it only outlives a process that is killed.
    if (job_ != nullptr) {
        AssignProcessToJobObject(job_, process);
    }
}

void NodeHousekeeping::EndAll() {
    const std::lock_guard<std::mutex> lock(mutex_);
    ending_ = true;
    if (job_ != nullptr) {
        TerminateJobObject(job_, 1);
    }
    // A node's files can go only once it has died.
    for (const std::wstring& copy : copies_) {
        for (DWORD waited = 0; !RemoveFolder(copy) && waited < RemovalWaitMilliseconds;
             waited += 50) {
            Sleep(50);
        }
    }
    copies_.clear();
}

// "xlnode-<owner's id>-<owner's start>-<node>-<count>".
std::wstring NodeHousekeeping::NewFolder(int node) {
    static std::atomic<unsigned> made{0};
    const std::wstring owner = L"xlnode-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                               std::to_wstring(StartOf(GetCurrentProcess())) + L"-" +
                               std::to_wstring(node) + L"-";
    for (;;) {
        const std::wstring folder = TemporaryFolder() + owner + std::to_wstring(made++);
        if (CreateDirectoryW(folder.c_str(), nullptr)) {
            return folder;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            throw std::runtime_error(
                "cannot make a folder for the node's copy of the add-in (error " +
                std::to_string(GetLastError()) + ")");
        }
    }
}

std::wstring NodeHousekeeping::Copy(int node, const std::wstring& source,
                                    const std::wstring& addIn) {
    std::wstring folder;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (ending_) {
            throw std::runtime_error("this process is being ended");
        }
        folder = NewFolder(node);
        copies_.insert(folder);
    }
    try {
        ForEachFound(source + L"\\*", [&](const std::wstring& name, bool isFolder) {
            if (isFolder || (name != addIn && !IsDataFile(name))) {
                return;
            }
            if (!CopyFileW((source + L"\\" + name).c_str(), (folder + L"\\" + name).c_str(),
                           FALSE)) {
                throw std::runtime_error("cannot copy " + Utf16ToUtf8(name.c_str(), name.size()) +
                                         " beside the node's add-in (error " +
                                         std::to_string(GetLastError()) + ")");
            }
        });
    } catch (...) {
        Remove(folder);
        throw;
    }
    return folder;
}

void NodeHousekeeping::Remove(const std::wstring& copy) {
    RemoveFolder(copy);
    const std::lock_guard<std::mutex> lock(mutex_);
    copies_.erase(copy);
}

void NodeHousekeeping::SweepCopiesOfTheGone() {
    const std::wstring temporary = TemporaryFolder();
    ForEachFound(temporary + L"xlnode-*", [&](const std::wstring& name, bool isFolder) {
        unsigned long id = 0;
        unsigned long long started = 0;
        if (isFolder && std::swscanf(name.c_str(), L"xlnode-%lu-%llu-", &id, &started) == 2 &&
            !Alive(id, started)) {
            RemoveFolder(temporary + name);
        }
    });
}

} // namespace xlhost
