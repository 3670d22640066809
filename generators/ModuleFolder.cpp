#include "ModuleFolder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <climits>
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>
#endif

namespace {

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.find_last_of("\\/") + 1);
}

} // namespace

#ifdef _WIN32

namespace {

std::string ModuleFileName(HMODULE module) {
    char buffer[MAX_PATH];
    const DWORD length = GetModuleFileNameA(module, buffer, MAX_PATH);
    return std::string(buffer, length);
}

} // namespace

// The add-in's name is searched case-sensitively, exactly as it is installed;
// the part of the path before it is the folder. Each architecture looks for
// its own add-in, Tesserine.xll or Tesserine64.xll.
std::string ModuleFolder() {
    const char* const addinName = TESSERINE_ADDIN_FILE;
    if (HMODULE addin = GetModuleHandleA(addinName)) {
        const std::string path = ModuleFileName(addin);
        const std::string::size_type at = path.find(addinName);
        if (at != std::string::npos)
            return path.substr(0, at);
    }
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ModuleFolder), &self);
    return FolderOf(ModuleFileName(self));
}

#else

namespace {

std::string ExecutablePath() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

} // namespace

// dladdr names the main executable only by its argv[0], which may be relative
// or bare; the link map tells the executable (empty name) from a library.
std::string ModuleFolder() {
    Dl_info info;
    link_map* module = nullptr;
    if (dladdr1(reinterpret_cast<void*>(&ModuleFolder), &info, reinterpret_cast<void**>(&module),
                RTLD_DL_LINKMAP) != 0 &&
        module != nullptr && module->l_name[0] != '\0')
        return FolderOf(module->l_name);
    return FolderOf(ExecutablePath());
}

#endif
