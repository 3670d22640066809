// xlnode: a compute node of the stand-in cluster connector. Excel's process
// (the engine's Recalculate) starts it with the two ends of its pipes:
//   xlnode --node NUMBER REQUESTS ANSWERS
// and sends it calls (NodeCall) until it closes the requests' pipe. The node
// loads each add-in once, from the copy the call names, without running its
// xlAutoOpen, and calls the function by its exported name. Its callbacks
// (NodeCallbacks.cpp) answer only xlRunningOnCluster.
#include "ArgumentPassing.h"
#include "NodeCall.h"
#include "NodePipe.h"
#include "Returned.h"
#include "Sheet.h"
#include "Text.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <exception>
#include <map>
#include <string>

namespace {

using xlhost::NodeAnswer;
using xlhost::NodeCall;
using xlhost::NodeMessage;

constexpr int ExitDone = 0;
constexpr int ExitBroken = 1;
constexpr int ExitUsage = 2;

std::map<std::string, HMODULE>& LoadedAddIns() {
    static std::map<std::string, HMODULE> loaded;
    return loaded;
}

HMODULE AddIn(const std::string& path) {
    auto& loaded = LoadedAddIns();
    const auto found = loaded.find(path);
    if (found != loaded.end()) {
        return found->second;
    }
    HMODULE module = LoadLibraryW(xlhost::Utf8ToUtf16(path).c_str());
    if (module != nullptr) {
        loaded.emplace(path, module);
    }
    return module;
}

// What the record's memory bits ask of the node: xlbitDLLFree goes back to
// the add-in that marked it. No callback allocates on a node, so no record
// marked xlbitXLFree can hold Excel's memory.
template <class Record>
NodeAnswer::Release ReleaseOf(HMODULE module, const Record* record, const char* autoFree) {
    if (record == nullptr || (record->xltype & xlbitDLLFree) == 0) {
        return NodeAnswer::Release::NotMarked;
    }
    return GetProcAddress(module, autoFree) != nullptr ? NodeAnswer::Release::HandedBack
                                                       : NodeAnswer::Release::WithoutAutoFree;
}

// The answer is written while the add-in still holds the record, and only
// then is the record handed back.
template <class Record>
void CallForRecord(HMODULE module, xlhost::Procedure procedure, const xlhost::CallFrame& frame,
                   const char* autoFree, NodeMessage& message) {
    auto* record = reinterpret_cast<Record*>(frame.CallForWord(procedure));
    NodeAnswer answer;
    answer.release = ReleaseOf(module, record, autoFree);
    answer.EncodeFrom(record, message);
    if (answer.release == NodeAnswer::Release::HandedBack) {
        xlhost::HandBack(module, record, autoFree);
    }
}

NodeMessage Failed(const std::string& failure) {
    NodeAnswer answer;
    answer.failure = failure;
    return answer.Encode();
}

// The answer goes into `answer`, whose memory a node keeps from call to
// call: a large result then lands in pages already mapped, not in pages the
// system must find and clear again.
void Serve(const NodeCall& call, NodeMessage& answer) {
    HMODULE module = AddIn(call.module);
    if (module == nullptr) {
        answer = Failed("cannot load " + call.module + " (error " + std::to_string(GetLastError()) +
                        ")");
        return;
    }
    const auto procedure = reinterpret_cast<xlhost::Procedure>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, call.procedure.c_str())));
    if (procedure == nullptr) {
        answer = Failed(call.module + " exports no \"" + call.procedure + "\"");
        return;
    }
    // A node has no sheet: its arguments come as values.
    const xlhost::Sheet none;
    xlhost::PassedArguments passed(none);
    NodeAnswer scalar;
    for (std::size_t i = 0; i < call.arguments.size(); ++i) {
        xlhost::Cell shown;
        if (!passed.AddConverted(call.argumentCodes[i], call.arguments[i], shown)) {
            scalar.returned.value = xlhost::Value::Scalar(shown);
            answer = scalar.Encode();
            return;
        }
    }
    const std::string& code = call.resultCode;
    if (code == "P" || code == "R") {
        CallForRecord<XLOPER>(module, procedure, passed.Frame(), "xlAutoFree", answer);
    } else if (code == "Q" || code == "U") {
        CallForRecord<XLOPER12>(module, procedure, passed.Frame(), "xlAutoFree12", answer);
    } else {
        scalar.returned = xlhost::CallForScalar(code, procedure, passed.Frame());
        answer = scalar.Encode();
    }
}

HANDLE HandleArgument(const wchar_t* text) {
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::wcstoull(text, nullptr, 10)));
}

} // namespace

int main() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || count != 5 || std::wcscmp(arguments[1], L"--node") != 0) {
        return ExitUsage;
    }
    xlhost::NodePipe requests(HandleArgument(arguments[3]));
    xlhost::NodePipe answers(HandleArgument(arguments[4]));
    LocalFree(arguments);
    NodeMessage request;
    NodeMessage answer;
    for (;;) {
        try {
            if (!requests.Receive(request)) {
                // Excel's process closed the pipe: the recalculation is over.
                return ExitDone;
            }
            Serve(NodeCall::Decode(request), answer);
        } catch (const std::exception& error) {
            answer = Failed(error.what());
        }
        if (!answers.Send(answer)) {
            return ExitBroken;
        }
    }
}
