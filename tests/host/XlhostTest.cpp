// xlhost as a script uses it: its output, its errors and its exit codes,
// against the fixture add-in.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

struct XlhostRun {
    DWORD exitCode = 0;
    std::string output; // standard output, without the \r of Windows line ends
    std::string errors;
};

std::string Folder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full = path;
    return full.substr(0, full.find_last_of('\\') + 1);
}

std::string ReadAll(HANDLE pipe) {
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        for (DWORD i = 0; i < read; ++i) {
            if (buffer[i] != '\r') {
                text += buffer[i];
            }
        }
    }
    return text;
}

// Runs xlhost with the arguments; stderr goes to a file so that neither
// pipe can fill up while the other is read.
XlhostRun Xlhost(const std::string& arguments) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE outRead = nullptr;
    HANDLE outWrite = nullptr;
    EXPECT_TRUE(CreatePipe(&outRead, &outWrite, &inherit, 0));
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    const std::string errorFile = Folder() + "xlhost-stderr.txt";
    HANDLE errWrite = CreateFileA(errorFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + Folder() + "xlhost.exe\" " + arguments;
    XlhostRun run;
    const bool started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    EXPECT_TRUE(started) << commandLine;
    if (started) {
        run.output = ReadAll(outRead);
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(outRead);
    HANDLE errRead = CreateFileA(errorFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    run.errors = ReadAll(errRead);
    CloseHandle(errRead);
    return run;
}

const std::string Fixture = "FixtureAddIn.xll";

TEST(XlhostTest, PrintsEachResultRowByRowAndClosesTheAddIn) {
    const XlhostRun run = Xlhost("--excel 11.0 \"" + Folder() + Fixture +
                                 "\" \"fix_Table(1.5, 2)\" fix_Errors() fix_Null() fix_Nil() "
                                 "\"fix_Twice( 0.1 )\" fix_Wide(-3) fix_Version() fix_Wizard()");
    // 2 x 0.1 is the double nearest 0.2, which has 17 significant digits
    // 0.20000000000000001; the Nil result prints no line at all.
    EXPECT_EQ(run.output, "1.5,2,3.5\n"
                          "text,TRUE,#DIV/0!\n"
                          "#NULL!,#DIV/0!,#VALUE!,#REF!,#NAME?,#NUM!,#N/A\n"
                          "#NUM!\n"
                          "0.20000000000000001\n"
                          "wide,-3\n"
                          "11.0\n"
                          "FALSE\n"
                          "fixture closed\n");
    EXPECT_EQ(run.exitCode, 0u) << run.errors;
}

TEST(XlhostTest, WizardModeIsVisibleToTheAddIn) {
    const XlhostRun run = Xlhost("--wizard " + Fixture + " fix_Wizard() fix_Version()");
    EXPECT_EQ(run.output, "TRUE\n12.0\nfixture closed\n");
    EXPECT_EQ(run.exitCode, 0u) << run.errors;
}

TEST(XlhostTest, ListShowsEveryRegistrationArgument) {
    const XlhostRun run = Xlhost("--list " + Fixture);
    EXPECT_NE(run.output.find("fix_Table: register id "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("  3: \"PBB\"\n  4: \"fix_Table\"\n  5: \"a, b\"\n  6: 1\n"
                              "  7: \"Fixture\"\n  8: \"\"\n  9: \"\"\n"
                              "  10: \"help for fix_Table\"\n  11: \"first number\"\n"
                              "  12: \"second number\"\n"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("fix_Absent: refused"), std::string::npos) << run.output;
    EXPECT_EQ(run.exitCode, 0u);
}

TEST(XlhostTest, UnknownFunctionFailsTheRunButNotTheOtherFormulas) {
    const XlhostRun run = Xlhost(Fixture + " fix_Nothing(1) fix_Twice(2) \"fix_Twice(1,\"");
    EXPECT_EQ(run.output, "4\nfixture closed\n");
    EXPECT_NE(run.errors.find("fix_Nothing"), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("expected a number"), std::string::npos) << run.errors;
    EXPECT_EQ(run.exitCode, 1u);
}

TEST(XlhostTest, AResultTooLargeToHoldIsSaidSoAndTheOtherFormulasStillRun) {
    const XlhostRun run = Xlhost(Fixture + " fix_Sheet() fix_Twice(2)");
    EXPECT_EQ(run.output, "4\nfixture closed\n");
    EXPECT_NE(run.errors.find("xlhost: not enough memory to hold the result of fix_Sheet()"),
              std::string::npos)
        << run.errors;
    EXPECT_EQ(run.exitCode, 1u);
}

TEST(XlhostTest, IsLargeAddressAwareAsThirtyTwoBitExcelIs) {
    // The flag of the executable's file header, read from the file on disk.
    const std::string path = Folder() + "xlhost.exe";
    std::ifstream file(path, std::ios::binary);
    std::string image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_GT(image.size(), sizeof(IMAGE_DOS_HEADER)) << path;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    const auto* fileHeader =
        reinterpret_cast<const IMAGE_FILE_HEADER*>(image.data() + dos->e_lfanew + 4);
    EXPECT_NE(fileHeader->Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE, 0);
}

TEST(XlhostTest, AnAddInThatCannotBeOpenedIsAnError) {
    const struct {
        const char* why;
        std::string arguments;
    } cases[] = {
        {"no such file", "NoSuchAddIn.xll fix_Twice(1)"},
        {"no xlAutoOpen", "XLCALL32.DLL fix_Twice(1)"},
    };
    for (const auto& run : cases) {
        SCOPED_TRACE(run.why);
        const XlhostRun result = Xlhost(run.arguments);
        EXPECT_EQ(result.output, "");
        EXPECT_NE(result.errors, "");
        EXPECT_EQ(result.exitCode, 1u);
    }
    SetEnvironmentVariableA("FIXTURE_OPEN_FAILS", "1");
    const XlhostRun refused = Xlhost(Fixture + " fix_Twice(1)");
    SetEnvironmentVariableA("FIXTURE_OPEN_FAILS", nullptr);
    EXPECT_EQ(refused.output, "");
    EXPECT_NE(refused.errors.find("xlAutoOpen"), std::string::npos) << refused.errors;
    EXPECT_EQ(refused.exitCode, 1u);
    EXPECT_EQ(Xlhost("").exitCode, 2u) << "usage";
}

} // namespace
