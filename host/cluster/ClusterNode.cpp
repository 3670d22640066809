#include "ClusterNode.h"

#include "NodeHousekeeping.h"
#include "Text.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
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

// "60 s", "1.5 s".
std::string Seconds(std::chrono::milliseconds limit) {
    char text[32];
    std::snprintf(text, sizeof text, "%g s", static_cast<double>(limit.count()) / 1000);
    return text;
}

} // namespace

ClusterNode::ClusterNode(int number, std::string program, std::chrono::milliseconds timeLimit)
    : number_(number), program_(std::move(program)), timeLimit_(timeLimit),
      watchdog_([this] { TerminateProcess(process_, 1); }) {}

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
    // Suspended until it is in the job that ends it with this process.
    const bool made =
        CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                       CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup, &started);
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
    try {
        NodeHousekeeping::Get().Adopt(started.hProcess);
    } catch (...) {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
        CloseHandle(requests);
        CloseHandle(answers);
        throw;
    }
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    process_ = started.hProcess;
    requests_.Open(requests, process_);
    answers_.Open(answers, process_);
}

std::string ClusterNode::CopyOf(const std::string& modulePath) {
    const std::wstring module = Utf8ToUtf16(modulePath);
    const std::wstring source = FolderOf(module);
    const std::wstring name = FileNameOf(module);
    auto copy = copies_.find(source);
    if (copy == copies_.end()) {
        // Entered only once whole: a copy that failed is made again next time.
        copy = copies_.emplace(source, NodeHousekeeping::Get().Copy(number_, source, name)).first;
    }
    const std::wstring copied = copy->second + L"\\" + name;
    return Utf16ToUtf8(copied.c_str(), copied.size());
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
    bool delivered = false;
    watchdog_.Start(timeLimit_);
    try {
        delivered = requests_.Send(call.Encode()) && answers_.Receive(answer_);
    } catch (...) {
        watchdog_.Stop();
        Leave();
        Stop();
        throw;
    }
    const bool ranOver = watchdog_.Stop();
    if (ranOver) {
        ++ended_;
    }
    if (!delivered || ranOver) {
        const unsigned long exitCode = Leave();
        Stop();
        if (!delivered) {
            throw std::runtime_error(Failure(
                registration,
                ranOver ? "gave no answer within " + Seconds(timeLimit_) + " and was ended"
                        : "stopped before answering (exit code " + std::to_string(exitCode) + ")"));
        }
    }
    NodeAnswer answered = NodeAnswer::Decode(answer_);
    if (!answered.failure.empty()) {
        throw std::runtime_error(Failure(registration, "could not call it: ") + answered.failure);
    }
    return answered;
}

unsigned long ClusterNode::Leave() {
    requests_.Close();
    if (WaitForSingleObject(process_, StopWaitMilliseconds) != WAIT_OBJECT_0) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, StopWaitMilliseconds);
    }
    DWORD exitCode = 1;
    GetExitCodeProcess(process_, &exitCode);
    answers_.Close();
    CloseHandle(process_);
    process_ = nullptr;
    return exitCode;
}

void ClusterNode::Stop() {
    if (process_ != nullptr && Leave() != 0) {
        ++ended_;
    }
    for (const auto& copy : copies_) {
        NodeHousekeeping::Get().Remove(copy.second);
    }
    copies_.clear();
}

} // namespace xlhost
