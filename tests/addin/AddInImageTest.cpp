// The add-in file as Windows sees it: importing only system libraries (a user
// copies nothing beside it but param.txt), and exporting Excel's entry points
// under their plain names on either architecture.
#include "AddInSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

namespace {

const IMAGE_NT_HEADERS& Headers(HMODULE module) {
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    return *reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
}

template <class T> const T* Directory(HMODULE module, int entry) {
    const IMAGE_DATA_DIRECTORY& directory = Headers(module).OptionalHeader.DataDirectory[entry];
    if (directory.VirtualAddress == 0)
        return nullptr;
    return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(module) +
                                      directory.VirtualAddress);
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

TEST(AddInImage, ImportsOnlySystemLibraries) {
    const HMODULE module = AddInSession::Get().Module();
    ASSERT_NE(module, nullptr);
    const auto* import = Directory<IMAGE_IMPORT_DESCRIPTOR>(module, IMAGE_DIRECTORY_ENTRY_IMPORT);
    ASSERT_NE(import, nullptr);
    std::set<std::string> libraries;
    for (; import->Name != 0; ++import)
        libraries.insert(Upper(reinterpret_cast<const char*>(module) + import->Name));
    const std::set<std::string> system = {"KERNEL32.DLL", "USER32.DLL", "MSVCRT.DLL"};
    for (const std::string& library : libraries)
        EXPECT_TRUE(system.count(library)) << library << " would have to ship beside the add-in";
    EXPECT_TRUE(libraries.count("KERNEL32.DLL"));
}

TEST(AddInImage, ExportsExcelsEntryPointsUndecorated) {
    const HMODULE module = AddInSession::Get().Module();
    ASSERT_NE(module, nullptr);
    const auto* exports = Directory<IMAGE_EXPORT_DIRECTORY>(module, IMAGE_DIRECTORY_ENTRY_EXPORT);
    ASSERT_NE(exports, nullptr);
    const auto* base = reinterpret_cast<const char*>(module);
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    std::set<std::string> exported;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        exported.insert(base + names[i]);
    const std::set<std::string> expected = {"xlAddInManagerInfo",
                                            "xlAddInManagerInfo12",
                                            "xlAutoClose",
                                            "xlAutoFree12",
                                            "xlAutoOpen",
                                            "xlwRegistrationInfo",
                                            "xlrnd_BrownianPaths",
                                            "xlrnd_CorrelatedPaths",
                                            "xlrnd_Discrepancy",
                                            "xlrnd_Faure",
                                            "xlrnd_Halton",
                                            "xlrnd_Lattice",
                                            "xlrnd_LogNormalRNs",
                                            "xlrnd_MoroNormSinInv",
                                            "xlrnd_NormalRNs",
                                            "xlrnd_ScrambledNormalRNs",
                                            "xlrnd_ReplicateStats",
                                            "xlrnd_ScrambledHalton",
                                            "xlrnd_ScrambledSobol",
                                            "xlrnd_SensitivityDesign",
                                            "xlrnd_SensitivityIndices",
                                            "xlrnd_Sobol"};
    EXPECT_EQ(exported, expected);
    // The module names itself after its file.
    EXPECT_STREQ(base + exports->Name, TESSERINE_ADDIN_FILE);
}

} // namespace
