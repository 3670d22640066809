// The add-in's open and close entry points, which Excel calls by name.
#include "FunctionRegistry.h"
#include "RegistrationInfo.h"
#include "excel/OwnModulePath.h"
#include "excel/ReportErrorBox.h"
#include "excel/Win32StreamBuf.h"
#include "records/AnsiCodePage.h"
#include "xlw/XlfExcel.h"

#include <windows.h>

#include <iostream>
#include <string>
#include <vector>

using xlw::XlfExcel;

namespace {

xlw::Win32StreamBuf debuggerStream;
std::streambuf* bufferBeforeOpen = nullptr;

constexpr DWORD FirstPathBufferSize = 4096;

enum class SearchPathRead { Read, Absent, Failed };

// "Path" goes through the wide API, as the module's name does: in the ANSI
// code page a folder named in another script would become "?" and be no
// folder at all, and so would any such folder "Path" already holds.
// A first answer above the buffer's size is the size the value needs.
SearchPathRead ReadSearchPath(std::vector<wchar_t>& buffer) {
    buffer.assign(FirstPathBufferSize, L'\0');
    // An empty value also answers 0; only the error code tells it from none.
    SetLastError(ERROR_SUCCESS);
    DWORD length = GetEnvironmentVariableW(L"Path", buffer.data(), FirstPathBufferSize);
    if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND)
        return SearchPathRead::Absent;
    if (length > FirstPathBufferSize) {
        DWORD needed = length;
        buffer.assign(needed, L'\0');
        length = GetEnvironmentVariableW(L"Path", buffer.data(), needed);
        // A value that grew again since the first answer was not read either.
        if (length == 0 || length >= needed) {
            std::cerr << "..\\..\\src\\XlOpenClose(74): "
                      << " Could not get PATH Environment Variable" << std::endl;
            return SearchPathRead::Failed;
        }
    }
    return SearchPathRead::Read;
}

std::wstring DirectoryOf(const std::wstring& fileName) {
    std::wstring::size_type lastBackslash = fileName.rfind(L'\\');
    if (lastBackslash == std::wstring::npos)
        return fileName;
    return fileName.substr(0, lastBackslash);
}

// The folder goes at the end, so that the add-in's folder never shadows a
// library the process already finds.
bool AppendToSearchPath(const wchar_t* searchPath, const std::wstring& directory) {
    // An empty value is extended with the folder alone, not ";folder".
    std::wstring extended = *searchPath ? std::wstring(searchPath) + L";" + directory : directory;
    if (!SetEnvironmentVariableW(L"Path", extended.c_str())) {
        std::cerr << "..\\..\\src\\XlOpenClose(96): "
                  << " SetEnvironmentVariable failed to set PATH" << std::endl;
        return false;
    }
    std::cerr << "..\\..\\src\\XlOpenClose(101): "
              << " PATH set successfully " << std::endl;
    return true;
}

// Lets the module's own folder be searched for the libraries it loads. No
// "Path" variable at all leaves nothing to extend, and nothing to report.
bool ExtendSearchPath(const std::wstring& moduleFileName) {
    std::vector<wchar_t> searchPath;
    switch (ReadSearchPath(searchPath)) {
    case SearchPathRead::Absent:
        return true;
    case SearchPathRead::Failed:
        return false;
    case SearchPathRead::Read:
        break;
    }
    return AppendToSearchPath(searchPath.data(), DirectoryOf(moduleFileName));
}

bool ShowModuleAndExtendSearchPath() {
    const std::wstring fileName = xlw::OwnModulePath();
    if (fileName.empty()) {
        std::cerr << "..\\..\\src\\XlOpenClose(83): "
                  << " Could not attain path of DLL" << std::endl;
        return false;
    }
    // The status bar takes code-page text: a character the code page lacks shows as "?".
    XlfExcel::Get().ShowStatus(xlw::ToAnsiCodePage(fileName.data(), fileName.size()).c_str());
    return ExtendSearchPath(fileName);
}

// Excel 4 texts, the module path of every registration among them, hold
// 255 bytes.
constexpr std::size_t MaxModulePathBytes = 255;

// Excel shows #NAME? wherever a function it refused is used, and says
// nothing else: the user is told once, which functions and why.
void ReportRefusedRegistrations(const std::vector<std::string>& refusals, std::size_t total) {
    if (refusals.empty())
        return;
    const std::string module = XlfExcel::Get().ModuleName();
    std::string text = "Excel did not register " + std::to_string(refusals.size()) + " of the " +
                       std::to_string(total) + " functions of " + module +
                       "; cells that use them show #NAME?.\n";
    for (const std::string& refusal : refusals)
        text += "\n" + refusal;
    // Excel 4 cuts a longer path to 255 bytes before the add-in sees it.
    if (module.size() >= MaxModulePathBytes)
        text += "\n\nThe add-in's path is " + std::to_string(module.size()) +
                " characters long and Excel takes at most " + std::to_string(MaxModulePathBytes) +
                ": move the add-in to a folder with a shorter path and open it again.";
    xlw::ReportErrorBox(text.c_str(), "XLL Error");
}

// Get binds on first use, and a failed binding leaves the unbound instance in
// place, which the next Get returns without binding again: either way the
// second Get yields the instance to release.
void ReleaseExcel() noexcept {
    try {
        XlfExcel::Get();
    } catch (...) {
    }
    try {
        delete &XlfExcel::Get();
    } catch (...) {
    }
}

} // namespace

XLW_EXPORT int XLW_STDCALL xlAutoOpen() {
    try {
        // A second opening finds std::cerr on our own buffer already; the one
        // to give back at close is still the one from before the first.
        std::streambuf* const current = std::cerr.rdbuf(&debuggerStream);
        if (current != &debuggerStream)
            bufferBeforeOpen = current;
        std::cerr << "..\\..\\src\\XlOpenClose(56): "
                  << "std::cerr redirected to MSVC debugger" << std::endl;
        if (!ShowModuleAndExtendSearchPath())
            std::cerr << "..\\..\\src\\XlOpenClose(106): "
                      << " Warning: Unable to initialise PATH to directory of library "
                      << std::endl;
        XlfExcel::Get().ShowStatus("Registering library...");
        xlw::FunctionRegistry& registry = xlw::RegisteredFunctions();
        const std::vector<std::string> refusals = registry.RegisterAllFunctions();
        xlw::RegistrationInfo::Get().Register(registry);
        XlfExcel::Get().ShowStatus(nullptr);
        ReportRefusedRegistrations(refusals, registry.Records().size());
        // Open, unless Excel refused every function there is.
        return refusals.empty() || refusals.size() < registry.Records().size() ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

XLW_EXPORT int XLW_STDCALL xlAutoClose() {
    std::cerr << "..\\..\\src\\XlOpenClose(125): "
              << "Releasing ressources" << std::endl;
    ReleaseExcel();
    if (bufferBeforeOpen)
        std::cerr.rdbuf(bufferBeforeOpen);
    return 1;
}
