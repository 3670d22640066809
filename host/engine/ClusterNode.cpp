#include "ClusterNode.h"

#include "Text.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <utility>

namespace xlhost {

namespace {

// How long a node that was told to stop may take before it is ended.
constexpr DWORD StopWaitMilliseconds = 10000;

// A child inherits every inheritable handle of its parent: a node started
// while another's pipe ends are inheritable would hold them open, and the
// other node's death would never break its pipe. Nodes start one at a time
// from the pipes' making until their ends here are closed; their start-up
// after that runs in parallel.
std::mutex& StartingNodes() {
    static std::mutex starting;
    return starting;
}

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L"\\/"));
}

std::wstring FileNameOf(const std::wstring& path) {
    return path.substr(path.find_last_of(L"\\/") + 1);
}

// A new, empty folder in the temporary folder.
std::wstring NewTemporaryFolder(int node) {
    static std::atomic<unsigned> made{0};
    wchar_t temporary[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temporary);
    for (;;) {
        const std::wstring folder = std::wstring(temporary) + L"xlnode-" +
                                    std::to_wstring(GetCurrentProcessId()) + L"-" +
                                    std::to_wstring(node) + L"-" + std::to_wstring(made++);
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

// Calls `visit(name)` for each regular file of `folder`, not its subfolders.
template <class Visit> void ForEachFile(const std::wstring& folder, Visit visit) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            visit(std::wstring(found.cFileName));
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void RemoveCopy(const std::wstring& folder) {
    ForEachFile(folder, [&](const std::wstring& name) {
        const std::wstring file = folder + L"\\" + name;
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(file.c_str());
    });
    RemoveDirectoryW(folder.c_str());
}

} // namespace

ClusterNode::ClusterNode(int number, std::string program)
    : number_(number), program_(std::move(program)) {}

ClusterNode::~ClusterNode() {
    Stop();
}

std::string ClusterNode::Failure(const Registration& registration, const std::string& what) const {
    return "the cluster node " + std::to_string(number_) + " running " +
           registration.FunctionText() + " " + what;
}

void ClusterNode::Start() {
    const std::lock_guard<std::mutex> lock(StartingNodes());
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE nodeReads = nullptr;
    HANDLE nodeWrites = nullptr;
    HANDLE requests = nullptr;
    HANDLE answers = nullptr;
    if (!CreatePipe(&nodeReads, &requests, &inherit, 1 << 20)) {
        throw std::runtime_error("cannot make a pipe to a cluster node");
    }
    if (!CreatePipe(&answers, &nodeWrites, &inherit, 1 << 20)) {
        CloseHandle(nodeReads);
        CloseHandle(requests);
        throw std::runtime_error("cannot make a pipe from a cluster node");
    }
    SetHandleInformation(requests, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(answers, HANDLE_FLAG_INHERIT, 0);
    // What the add-in prints on a node reaches no one, as on a compute node.
    HANDLE nowhere =
        CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nowhere;
    startup.hStdOutput = nowhere;
    startup.hStdError = nowhere;
    const std::wstring program = Utf8ToUtf16(program_);
    std::wstring commandLine = L"\"" + program + L"\" --node " + std::to_wstring(number_) + L" " +
                               std::to_wstring(reinterpret_cast<std::uintptr_t>(nodeReads)) + L" " +
                               std::to_wstring(reinterpret_cast<std::uintptr_t>(nodeWrites));
    PROCESS_INFORMATION started = {};
    const bool made = CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                                     CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started);
    const DWORD error = GetLastError();
    CloseHandle(nodeReads);
    CloseHandle(nodeWrites);
    if (nowhere != INVALID_HANDLE_VALUE) {
        CloseHandle(nowhere);
    }
    if (!made) {
        CloseHandle(requests);
        CloseHandle(answers);
        throw std::runtime_error("cannot start " + program_ + " (error " + std::to_string(error) +
                                 ")");
    }
    CloseHandle(started.hThread);
    process_ = started.hProcess;
    requests_.Open(requests);
    answers_.Open(answers);
}

std::string ClusterNode::CopyOf(const std::string& modulePath) {
    const std::wstring module = Utf8ToUtf16(modulePath);
    const std::wstring source = FolderOf(module);
    const std::string key = Utf16ToUtf8(source.c_str(), source.size());
    auto copy = copies_.find(key);
    if (copy == copies_.end()) {
        const std::wstring folder = NewTemporaryFolder(number_);
        copy = copies_.emplace(key, Utf16ToUtf8(folder.c_str(), folder.size())).first;
        ForEachFile(source, [&](const std::wstring& name) {
            if (!CopyFileW((source + L"\\" + name).c_str(), (folder + L"\\" + name).c_str(),
                           FALSE)) {
                throw std::runtime_error("cannot copy " + Utf16ToUtf8(name.c_str(), name.size()) +
                                         " beside the node's add-in (error " +
                                         std::to_string(GetLastError()) + ")");
            }
        });
    }
    const std::wstring name = FileNameOf(module);
    return copy->second + "\\" + Utf16ToUtf8(name.c_str(), name.size());
}

NodeAnswer ClusterNode::Call(const Registration& registration,
                             const std::vector<Value>& arguments) {
    NodeCall call;
    call.procedure = registration.Procedure();
    call.resultCode = registration.parsedType.result;
    call.argumentCodes.assign(registration.parsedType.arguments.begin(),
                              registration.parsedType.arguments.begin() + arguments.size());
    call.arguments = arguments;
    try {
        call.module = CopyOf(registration.ModulePath());
        if (process_ == nullptr) {
            Start();
        }
    } catch (const std::exception& error) {
        throw std::runtime_error(Failure(registration, "could not start: ") + error.what());
    }
    if (!requests_.Send(call.Encode()) || !answers_.Receive(answer_)) {
        WaitForSingleObject(process_, StopWaitMilliseconds);
        DWORD exitCode = 0;
        GetExitCodeProcess(process_, &exitCode);
        Stop();
        throw std::runtime_error(Failure(registration, "stopped before answering (exit code " +
                                                           std::to_string(exitCode) + ")"));
    }
    NodeAnswer answered = NodeAnswer::Decode(answer_);
    if (!answered.failure.empty()) {
        throw std::runtime_error(Failure(registration, "could not call it: ") + answered.failure);
    }
    return answered;
}

void ClusterNode::Stop() {
    if (process_ != nullptr) {
        requests_.Close();
        if (WaitForSingleObject(process_, StopWaitMilliseconds) != WAIT_OBJECT_0) {
            TerminateProcess(process_, 1);
            WaitForSingleObject(process_, StopWaitMilliseconds);
        }
        answers_.Close();
        CloseHandle(process_);
        process_ = nullptr;
    }
    for (const auto& copy : copies_) {
        RemoveCopy(Utf8ToUtf16(copy.second));
    }
    copies_.clear();
}

} // namespace xlhost
