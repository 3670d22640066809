#include "AddInSession.h"

#include <cstdlib>
#include <stdexcept>

namespace {

std::string ExecutableFolder() {
    char fileName[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, fileName, MAX_PATH);
    std::string path(fileName);
    return path.substr(0, path.rfind('\\'));
}

FARPROC RequiredExport(HMODULE module, const char* name) {
    FARPROC address = GetProcAddress(module, name);
    if (!address)
        throw std::runtime_error(std::string(TESSERINE_ADDIN_FILE " does not export ") + name);
    return address;
}

} // namespace

std::optional<std::string> SearchPath() {
    DWORD needed = GetEnvironmentVariableA("Path", nullptr, 0);
    if (needed == 0)
        return std::nullopt;
    std::string value(needed, '\0');
    DWORD length = GetEnvironmentVariableA("Path", &value[0], needed);
    value.resize(length);
    return value;
}

AddInSession& AddInSession::Get() {
    static AddInSession session;
    return session;
}

AddInSession::AddInSession() : path_(ExecutableFolder() + "\\" TESSERINE_ADDIN_FILE) {
    xlhost::Engine& engine = xlhost::Engine::Get();
    std::size_t registeredBefore = engine.Registrations().size();
    std::size_t statusBefore = engine.StatusHistory().size();
    first_.searchPathBefore = SearchPath().value_or("");
    first_.result = engine.OpenAddIn(path_);
    first_.searchPathAfter = SearchPath().value_or("");
    first_.registrations.assign(engine.Registrations().begin() + registeredBefore,
                                engine.Registrations().end());
    std::vector<std::optional<std::string>> statusHistory = engine.StatusHistory();
    first_.statusHistory.assign(statusHistory.begin() + statusBefore, statusHistory.end());
}

std::string AddInSession::Folder() const {
    return path_.substr(0, path_.rfind('\\'));
}

HMODULE AddInSession::Module() const {
    return GetModuleHandleA(path_.c_str());
}

bool AddInSession::UsesExcel12Records() const {
    // Every Excel from 2007 (12) on has the Excel 12 interface.
    return std::atof(xlhost::Engine::Get().Version().c_str()) >= 12;
}

PointSetEntry AddInSession::PointSet(const char* procedure) const {
    return reinterpret_cast<PointSetEntry>(
        reinterpret_cast<void*>(RequiredExport(Module(), procedure)));
}

ScalarEntry AddInSession::Scalar(const char* procedure) const {
    return reinterpret_cast<ScalarEntry>(
        reinterpret_cast<void*>(RequiredExport(Module(), procedure)));
}
