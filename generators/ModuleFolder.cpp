#include "ModuleFolder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <climits>
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>
#endif

#ifdef _WIN32

namespace {

// Grows the buffer until the name fits: a wide path may exceed MAX_PATH.
std::wstring ModuleFileName(HMODULE module) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(module, &buffer[0], static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

} // namespace

// The add-in's name is searched case-sensitively, exactly as it is installed;
// the part of the path before it is the folder. Each architecture looks for
// its own add-in, Tesserine.xll or Tesserine64.xll (the empty wide literal
// makes the build's narrow name wide).
std::filesystem::path ModuleFolder() {
    const wchar_t* const addinName = L"" TESSERINE_ADDIN_FILE;
    if (HMODULE addin = GetModuleHandleW(addinName)) {
        const std::wstring path = ModuleFileName(addin);
        const std::wstring::size_type at = path.find(addinName);
        if (at != std::wstring::npos)
            return path.substr(0, at);
    }
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ModuleFolder), &self);
    return FolderOf(ModuleFileName(self));
}

std::string ShownPath(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    if (wide.empty())
        return std::string();
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), size, &text[0], length, nullptr, nullptr);
    return text;
}

#else

namespace {

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.find_last_of('/') + 1);
}

std::string ExecutablePath() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

} // namespace

// dladdr names the main executable only by its argv[0], which may be relative
// or bare; the link map tells the executable (empty name) from a library.
std::filesystem::path ModuleFolder() {
    Dl_info info;
    link_map* module = nullptr;
    if (dladdr1(reinterpret_cast<void*>(&ModuleFolder), &info, reinterpret_cast<void**>(&module),
                RTLD_DL_LINKMAP) != 0 &&
        module != nullptr && module->l_name[0] != '\0')
        return FolderOf(module->l_name);
    return FolderOf(ExecutablePath());
}

std::string ShownPath(const std::filesystem::path& path) {
    return path.string();
}

#endif
