// xlhost as a script uses it: its output, its errors and its exit codes,
// against the fixture add-in.
#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

struct XlhostRun {
    bool timedOut = false;
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

// What the child writes until it has ended and the pipe is empty. Not until
// the pipe breaks: Wine starts its desktop process from the first program of
// a session that makes a window, and that process keeps the program's
// standard handles open for the whole session.
std::string ReadAll(HANDLE pipe, HANDLE process) {
    std::string text;
    char buffer[4096];
    for (bool ended = false;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) {
            break; // every writing end closed
        }
        if (available == 0) {
            if (ended) {
                break;
            }
            // Whatever it wrote before it ended is in the pipe: one more look.
            ended = WaitForSingleObject(process, 1) == WAIT_OBJECT_0;
            continue;
        }
        DWORD read = 0;
        if (!ReadFile(pipe, buffer, std::min<DWORD>(available, sizeof buffer), &read, nullptr)) {
            break;
        }
        for (DWORD i = 0; i < read; ++i) {
            if (buffer[i] != '\r') {
                text += buffer[i];
            }
        }
    }
    return text;
}

struct Pipe {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
};

// Only the writing end is inherited by the child.
Pipe ChildOutputPipe() {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    Pipe pipe;
    EXPECT_TRUE(CreatePipe(&pipe.read, &pipe.write, &inherit, 0));
    SetHandleInformation(pipe.read, HANDLE_FLAG_INHERIT, 0);
    return pipe;
}

// Runs xlhost with the arguments. Each stream has a pipe of its own, read to
// its end, stderr on a second thread so that neither pipe can fill up while
// the other is read; no file is shared with another run of this executable.
// A run that takes longer than `timeout` is ended and said to have timed out.
XlhostRun Xlhost(const std::string& arguments, DWORD timeout = INFINITE) {
    const Pipe out = ChildOutputPipe();
    const Pipe err = ChildOutputPipe();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.write;
    startup.hStdError = err.write;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + Folder() + "xlhost.exe\" " + arguments;
    XlhostRun run;
    const bool started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    // Ours closed, the pipes break when the child's copies close.
    CloseHandle(out.write);
    CloseHandle(err.write);
    EXPECT_TRUE(started) << commandLine;
    if (started) {
        std::thread watchdog([&run, &process, timeout] {
            if (WaitForSingleObject(process.hProcess, timeout) == WAIT_TIMEOUT) {
                run.timedOut = true;
                TerminateProcess(process.hProcess, 255);
            }
        });
        std::thread errorReader(
            [&run, &err, &process] { run.errors = ReadAll(err.read, process.hProcess); });
        run.output = ReadAll(out.read, process.hProcess);
        errorReader.join();
        watchdog.join();
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(out.read);
    CloseHandle(err.read);
    return run;
}

const std::string Fixture = "FixtureAddIn.xll";

TEST(XlhostTest, PrintsEachResultRowByRowAndClosesTheAddIn) {
    const XlhostRun run = Xlhost("--excel 11.0 \"" + Folder() + Fixture +
                                 "\" \"fix_Table(1.5, 2)\" fix_Errors() fix_Null() fix_Nil() "
                                 "fix_Missing() \"fix_Twice( 0.1 )\" fix_Version() fix_Wizard()");
    // 2 x 0.1 is the double nearest 0.2, which has 17 significant digits
    // 0.20000000000000001; an empty or missing result shows 0, as in Excel.
    EXPECT_EQ(run.output, "1.5,2,3.5\n"
                          "text,TRUE,#DIV/0!\n"
                          "#NULL!,#DIV/0!,#VALUE!,#REF!,#NAME?,#NUM!,#N/A\n"
                          "#NUM!\n"
                          "0\n"
                          "0\n"
                          "0.20000000000000001\n"
                          "11.0\n"
                          "FALSE\n"
                          "fixture closed\n");
    EXPECT_EQ(run.exitCode, 0u) << run.errors;
}

// fix_Wizard looks for a wizard owned by the window xlGetHwnd names, which
// from Excel 2013 on owns none: there the wizard is the active workbook's.
// Without --excel xlhost plays the newest Excel, 365's 16.0.
TEST(XlhostTest, WizardModeIsVisibleToTheAddIn) {
    const XlhostRun run =
        Xlhost("--excel 12.0 --wizard " + Fixture + " fix_Wizard() fix_Version()");
    EXPECT_EQ(run.output, "TRUE\n12.0\nfixture closed\n");
    EXPECT_EQ(run.exitCode, 0u) << run.errors;
    const XlhostRun sdi = Xlhost("--wizard " + Fixture + " fix_Wizard() fix_Version()");
    EXPECT_EQ(sdi.output, "FALSE\n16.0\nfixture closed\n");
    EXPECT_EQ(sdi.exitCode, 0u) << sdi.errors;
}

TEST(XlhostTest, ListShowsEveryRegistrationArgument) {
    const XlhostRun run = Xlhost("--list " + Fixture);
    EXPECT_EQ(run.output.rfind("add-in name: none (the Add-ins dialog shows the file name)\n", 0),
              0u)
        << run.output;
    EXPECT_NE(run.output.find("fix_Table: register id 1 (through Excel4)\n"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("  3: \"PBB\"\n  4: \"fix_Table\"\n  5: \"a, b\"\n  6: 1\n"
                              "  7: \"Fixture\"\n  8: \"\"\n  9: \"\"\n"
                              "  10: \"help for fix_Table\"\n  11: \"first number\"\n"
                              "  12: \"second number\"\n"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("fix_Absent: refused through Excel4 (module "), std::string::npos)
        << run.output;
    EXPECT_EQ(run.exitCode, 0u);
    const XlhostRun excel2010 = Xlhost("--excel 14.0 --list " + Fixture);
    EXPECT_NE(excel2010.output.find("\nfix_Where: register id "), std::string::npos);
    EXPECT_NE(excel2010.output.find(" (through Excel12)\n  1: "), std::string::npos)
        << excel2010.output;
}

TEST(XlhostTest, UnknownFunctionFailsTheRunButNotTheOtherFormulas) {
    const XlhostRun run = Xlhost(Fixture + " fix_Nothing(1) fix_Twice(2) \"fix_Twice(1,\"");
    EXPECT_EQ(run.output, "4\nfixture closed\n");
    EXPECT_NE(run.errors.find("fix_Nothing"), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("expected ',' or ')'"), std::string::npos) << run.errors;
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

// One command-line argument, quoted for CommandLineToArgvW: a double quote
// inside as \" (none of the arguments has a backslash before a quote).
std::string Quoted(const std::string& argument) {
    std::string quoted = "\"";
    for (char c : argument) {
        quoted += c == '"' ? std::string("\\\"") : std::string(1, c);
    }
    return quoted + "\"";
}

std::string QuotedAll(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        line += (line.empty() ? "" : " ") + Quoted(argument);
    }
    return line;
}

TEST(XlhostTest, SetCellsAreWhatReferencesReadUnderBothRecordKinds) {
    const std::vector<std::string> sheet = {"--set", "A1:C2=1.5,two,TRUE;#N/A,,\"3\"", "--set",
                                            "B5=\"a; b\""};
    const struct {
        const char* version;
        const char* read; // the function that reads a reference through xlCoerce
        const char* huge; // a range too large to read
        const char* hugeShows;
    } runs[] = {
        {"11.0", "fix_Read4", "A1:IV65536", "xlCoerce failed with 32"},
        {"12.0", "fix_Read12", "A1:XFD1048576", "xlCoerce failed with 32"},
        {"11.0", "fix_Read4", "A1:XFD1048576", "#REF!"},
    };
    for (const auto& r : runs) {
        SCOPED_TRACE(std::string(r.version) + " " + r.huge);
        std::vector<std::string> arguments = {"--excel", r.version};
        arguments.insert(arguments.end(), sheet.begin(), sheet.end());
        const std::string read = r.read;
        // fix_Mix takes a wide text, which Excel 2003 does not know.
        const bool wide = std::string(r.version) != "11.0";
        arguments.insert(arguments.end(), {Fixture, read + "(a1:$C$2)", read + "(B5)"});
        if (wide) {
            arguments.push_back("fix_Mix(A1, C2, B1, 2, FALSE, \"say \"\"hi\"\"\", -1)");
        }
        arguments.insert(arguments.end(),
                         {"fix_Table(,2)", read + "(" + r.huge + ")", "fix_Twice(A1)"});
        const XlhostRun run = Xlhost(QuotedAll(arguments));
        EXPECT_EQ(run.output, std::string("1.5,two,TRUE\n#N/A,0,3\n"
                                          "a; b\n") +
                                  (wide ? "1.5|3|two|2|0|say \"hi\"|-1\n" : "") +
                                  "0,2,2\ntext,TRUE,#DIV/0!\n" + r.hugeShows +
                                  "\n3\nfixture closed\n");
        EXPECT_EQ(run.exitCode, 0u) << run.errors;
    }
}

// Excel finds a function whatever the case of its name. A whole row or
// column reaches an Excel 4 function as a reference (1024, xltypeSRef) of
// Excel 2003's sheet, not as #REF!; an Excel 12 function reads a whole row
// of 16384 cells.
TEST(XlhostTest, NamesInAnyCaseWholeRowsAndColumnsAndSeparatedResults) {
    const XlhostRun excel4 = Xlhost("--excel 11.0 --separate " + Fixture +
                                    " FIX_TWICE(2) fix_type4(1:1) fix_Type4(B:B)");
    EXPECT_EQ(excel4.exitCode, 0u) << excel4.errors;
    EXPECT_EQ(excel4.output, "4\n\n1024\n\n1024\nfixture closed\n");
    const XlhostRun excel12 =
        Xlhost("--excel 12.0 --set A1:B1=1,2 " + Fixture + " fix_Read12(1:1)");
    EXPECT_EQ(excel12.exitCode, 0u) << excel12.errors;
    std::string row = "1,2";
    for (int i = 2; i < 16384; ++i) {
        row += ",0";
    }
    EXPECT_EQ(excel12.output, row + "\nfixture closed\n");
}

TEST(XlhostTest, HelpSaysHowToSetCellsAndWriteReferences) {
    const XlhostRun help = Xlhost("--help");
    EXPECT_EQ(help.exitCode, 0u);
    EXPECT_NE(help.output.find("--set CELLS=VALUES"), std::string::npos) << help.output;
    EXPECT_NE(help.output.find("A2:C3"), std::string::npos) << help.output;
    EXPECT_NE(help.output.find("XFD1048576"), std::string::npos) << help.output;
    EXPECT_NE(help.output.find("--cluster N"), std::string::npos) << help.output;
    EXPECT_NE(help.output.find("--node-timeout SECONDS"), std::string::npos) << help.output;
    const struct {
        std::string arguments;
        unsigned exitCode;
        const char* message;
    } mistakes[] = {
        {"--set A1:B1=1 " + Fixture, 2, "2 values"},
        {"--set A1 " + Fixture, 2, "expected '=' after the cells"},
        {Fixture + " fix_Twice(XFE1)", 1, "column XFE is beyond XFD"},
        {Fixture + " fix_Twice(A1:)", 1, "expected a cell after ':'"},
    };
    for (const auto& mistake : mistakes) {
        SCOPED_TRACE(mistake.arguments);
        const XlhostRun run = Xlhost(mistake.arguments);
        EXPECT_EQ(run.exitCode, mistake.exitCode);
        EXPECT_NE(run.errors.find(mistake.message), std::string::npos) << run.errors;
    }
}

// A file written here, removed when the test ends.
class ScratchFile {
public:
    ScratchFile(const std::string& name, const std::string& bytes)
        : path_(Folder() + std::to_string(GetCurrentProcessId()) + name) {
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    ~ScratchFile() { DeleteFileA(path_.c_str()); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// A spreadsheet's CSV export (a byte-order mark, CR LF, a quoted comma, an
// empty cell, no line end after the last row) fills the range as --set
// would; a formula may begin with '=' as typed in a cell.
// A ';' in a file is text, not a row's end as in --set.
TEST(XlhostTest, SetFileFillsTheRangeFromACsvFile) {
    const ScratchFile cells("cells.csv", "\xEF\xBB\xBF"
                                         "1.5,two;2\r\n\"a,b\",TRUE\r\n,#N/A");
    const XlhostRun run = Xlhost(QuotedAll(
        {"--set-file", "A1:B3=" + cells.Path(), Fixture, "fix_Read12(A1:B3)", "=fix_Twice(A1)"}));
    EXPECT_EQ(run.output, "1.5,two;2\na,b,TRUE\n0,#N/A\n3\nfixture closed\n");
    EXPECT_EQ(run.exitCode, 0u) << run.errors;
}

// Each mistake in a file is said with the file and its line, followed by
// where the options are, not by the whole help.
TEST(XlhostTest, SetFileRefusesAFileThatDoesNotFitTheRange) {
    const ScratchFile wide("wide.csv", "1,2\n3,4,5\n");
    const ScratchFile tall("tall.csv", "1,2\n3,4\n5,6\n");
    const ScratchFile huge("huge.csv", "1,2\n3,1e400\n");
    const struct {
        std::string cells;
        std::string message;
    } mistakes[] = {
        {"A1:B3=" + wide.Path(), "holds 2 lines, not the 3 rows of A1:B3"},
        {"A1:B2=" + wide.Path(), "line 2 holds 3 values, not the 2 columns of A1:B2"},
        {"A1:B2=" + tall.Path(), "holds 3 lines, not the 2 rows of A1:B2"},
        {"A1:B2=" + huge.Path(),
         huge.Path() + "': line 2: expected a number within the range of doubles at position 3"},
        {"A1:B2=" + Folder() + "none.csv", "cannot read the file"},
    };
    for (const auto& mistake : mistakes) {
        SCOPED_TRACE(mistake.message);
        const XlhostRun refused =
            Xlhost(QuotedAll({"--set-file", mistake.cells, Fixture, "fix_Twice(1)"}));
        EXPECT_EQ(refused.exitCode, 2u);
        EXPECT_NE(refused.errors.find(mistake.message), std::string::npos) << refused.errors;
        EXPECT_EQ(refused.errors.find("usage:"), std::string::npos) << refused.errors;
        EXPECT_NE(refused.errors.find("\n(--help lists the options)\n"), std::string::npos)
            << refused.errors;
    }
}

// --checksums keeps a refusal's words: a one-text result prints as it
// stands; a number of one cell, and a larger result even where it begins
// with a text, as their shapes and checksums.
TEST(XlhostTest, ChecksumsPrintATextResultAsItStands) {
    const XlhostRun run = Xlhost(QuotedAll({"--checksums", "--set", "A1:B1=two,2", Fixture,
                                            "fix_UpperAnywhere(\"mixed Case\")", "fix_Twice(2)",
                                            "fix_Table(1.5, 2)", "fix_PassAnywhere(A1:B1)"}));
    EXPECT_EQ(run.exitCode, 0u) << run.errors;
    const char* const lines[] = {"MIXED CASE", "1x1 ", "2x3 ", "1x2 ", "fixture closed"};
    std::size_t start = 0;
    for (const std::string line : lines) {
        SCOPED_TRACE(line);
        const std::size_t end = run.output.find('\n', start);
        ASSERT_NE(end, std::string::npos) << run.output;
        // A checksum is 16 hexadecimal digits after the shape.
        const bool shape = line.back() == ' ';
        EXPECT_EQ(run.output.substr(start, line.size()), line) << run.output;
        EXPECT_EQ(end - start, line.size() + (shape ? 16 : 0)) << run.output;
        start = end + 1;
    }
    EXPECT_EQ(start, run.output.size()) << run.output;
}

// What Excel would evaluate but xlhost does not (a spill reference, LET, a
// nested call, a worksheet function of Excel's own) is refused with the
// sentence that says what xlhost evaluates; the other formulas still run.
TEST(XlhostTest, AFormulaThatIsNotOneRegisteredCallSaysWhatXlhostEvaluates) {
    const std::vector<std::string> formulas = {"fix_Twice(A1#)", "LET(x, 2, fix_Twice(x))",
                                               "INDEX(fix_Table(1, 2), 1)", "SUM(A1:A3)"};
    std::vector<std::string> arguments = {Fixture};
    arguments.insert(arguments.end(), formulas.begin(), formulas.end());
    arguments.push_back("fix_Twice(2)");
    const XlhostRun run = Xlhost(QuotedAll(arguments));
    EXPECT_EQ(run.output, "4\nfixture closed\n");
    EXPECT_EQ(run.exitCode, 1u);
    const std::string sentence = "xlhost evaluates one call of a registered function";
    std::size_t said = 0;
    for (std::size_t at = run.errors.find(sentence); at != std::string::npos;
         at = run.errors.find(sentence, at + 1))
        ++said;
    EXPECT_EQ(said, formulas.size()) << run.errors;
}

// The cluster connector: a cluster-safe function that does not ask where it
// runs prints the same on a node as in Excel's process, whatever its argument
// and result types (the results worked out by hand from the fixture's code);
// fix_Where, which relies on callbacks, shows where it ran.
TEST(XlhostTest, ClusterNodesPrintWhatExcelsProcessPrints) {
    const std::vector<std::string> sheet = {"--excel", "14.0", "--set",
                                            "A1:C2=1.5,two,TRUE;#N/A,,\"3\"", Fixture};
    const std::vector<std::string> formulas = {
        "fix_Spread(6)",
        "fix_Spread(8)",
        "fix_WideAnywhere(2.5)",
        "fix_MixAnywhere(A1, C2, B1, 2, FALSE, \"say \"\"hi\"\"\", -1)",
        "fix_RepeatAnywhere(\"ab\", 3)",
        "fix_UpperAnywhere(\"mixed Case\")",
        "fix_NotAnywhere(TRUE)",
        "fix_NotThroughAnywhere(0)",
        "fix_DifferenceAnywhere(7, 10)",
        "fix_DifferenceAnywhere(3000000000, 1)",
        "fix_PassAnywhere(A1:C2)",
        "fix_PassAnywhere(\"text\")",
        "fix_NullAnywhere()",
        "fix_TwiceAnywhere(0.1)",
        "fix_TableAnywhere(1.5, 2)",
        "fix_Twice(2)",
    };
    const std::string printed = "0,t1,TRUE,#N/A,0,5.25\n"
                                "0,t1,TRUE,#N/A,0,5.25,t6,TRUE\n"
                                "wide,2.5\n"
                                "1.5|3|two|2|0|say \"hi\"|-1\n"
                                "ababab\n"
                                "MIXED CASE\n"
                                "FALSE\n"
                                "TRUE\n"
                                "-3\n"
                                "#NUM!\n"
                                "1.5,two,TRUE\n#N/A,0,3\n"
                                "text\n"
                                "#NUM!\n"
                                "0.20000000000000001\n"
                                "1.5,2,3.5\ntext,TRUE,#DIV/0!\n"
                                "4\n";
    const struct {
        std::vector<std::string> options;
        const char* where;
    } runs[] = {
        {{}, "0,2048,0,0\n"},
        {{"--threads", "2"}, "0,2048,0,0\n"},
        {{"--cluster", "2"}, "0,4,TRUE,32\n"},
        {{"--cluster", "3", "--threads", "2"}, "0,4,TRUE,32\n"},
    };
    for (const auto& r : runs) {
        std::vector<std::string> arguments = r.options;
        arguments.insert(arguments.end(), sheet.begin(), sheet.end());
        arguments.insert(arguments.end(), formulas.begin(), formulas.end());
        arguments.push_back("fix_Where()");
        SCOPED_TRACE(QuotedAll(r.options));
        const XlhostRun run = Xlhost(QuotedAll(arguments), 120000);
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.output, printed + r.where + "fixture closed\n");
        EXPECT_EQ(run.exitCode, 0u) << run.errors;
    }
}

// --cluster names the functions it leaves in Excel's process, once each,
// as registered; without it there is nothing to say. The results are the
// same either way.
TEST(XlhostTest, ClusterNamesTheFunctionsItCannotOffload) {
    const std::string formulas =
        Fixture + " fix_Version() fix_TwiceAnywhere(3) fix_twice(2) fix_Twice(1)";
    const struct {
        const char* options;
        const char* errors;
    } runs[] = {
        {"--cluster 1 ", "xlhost: not registered cluster-safe (&), so computed in Excel's "
                         "process and on no node: fix_Twice, fix_Version\n"},
        {"--threads 2 ", ""},
    };
    for (const auto& r : runs) {
        SCOPED_TRACE(r.options);
        const XlhostRun run = Xlhost(r.options + formulas, 120000);
        EXPECT_EQ(run.output, "16.0\n6\n4\n2\nfixture closed\n");
        EXPECT_EQ(run.errors, r.errors);
        EXPECT_EQ(run.exitCode, 0u);
    }
}

// A node that dies in a call fails that formula with a sentence naming the
// node and the function; every other formula is still computed and printed
// in order, the run fails, and nothing waits for the dead node.
TEST(XlhostTest, AKilledNodeFailsItsFormulaAloneWithoutAHang) {
    const XlhostRun run = Xlhost("--excel 14.0 --cluster 2 " + Fixture +
                                     " fix_Spread(3) fix_Vanish(1) fix_Spread(3) fix_Twice(2)"
                                     " fix_Vanish(2) fix_TwiceAnywhere(5) fix_Spread(3)",
                                 120000);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.output, "0,t1,TRUE\n0,t1,TRUE\n4\n10\n0,t1,TRUE\nfixture closed\n");
    const std::string died = " running fix_Vanish stopped before answering (exit code 7)";
    std::size_t said = 0;
    for (std::size_t at = run.errors.find(died); at != std::string::npos;
         at = run.errors.find(died, at + 1))
        ++said;
    EXPECT_EQ(said, 2u) << run.errors;
    EXPECT_NE(run.errors.find("xlhost: the cluster node "), std::string::npos) << run.errors;
    EXPECT_EQ(run.exitCode, 1u);
}

// A node that gives no answer within --node-timeout is ended: its formula
// fails with a sentence naming the node and the function, the others are
// computed on its replacement, and the run fails; a limit out of range is
// refused.
TEST(XlhostTest, ANodeOverItsTimeLimitFailsItsFormulaAlone) {
    const ULONGLONG started = GetTickCount64();
    const XlhostRun run = Xlhost("--excel 14.0 --cluster 1 --node-timeout 2 " + Fixture +
                                     " fix_Hang(1) fix_TwiceAnywhere(2) fix_Twice(3)",
                                 60000);
    EXPECT_FALSE(run.timedOut);
    EXPECT_LT(GetTickCount64() - started, 20000u);
    EXPECT_EQ(run.output, "4\n6\nfixture closed\n");
    EXPECT_NE(run.errors.find("xlhost: the cluster node 1 running fix_Hang gave no answer within "
                              "2 s and was ended"),
              std::string::npos)
        << run.errors;
    EXPECT_EQ(run.exitCode, 1u);
    for (const char* limit : {"0", "86401", "1.5"}) {
        const XlhostRun refused =
            Xlhost("--cluster 1 --node-timeout " + std::string(limit) + " " + Fixture + " f()");
        EXPECT_NE(refused.errors.find("--node-timeout needs a whole number of seconds from 1 to "
                                      "86400"),
                  std::string::npos)
            << refused.errors;
        EXPECT_EQ(refused.exitCode, 2u);
    }
}

// Whether a process of that id, parent and program runs now.
bool Running(DWORD id, DWORD parent, const char* program) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !found;
         more = Process32Next(snapshot, &entry))
        found = entry.th32ProcessID == id && entry.th32ParentProcessID == parent &&
                lstrcmpiA(entry.szExeFile, program) == 0;
    CloseHandle(snapshot);
    return found;
}

// The id of a node program that `parent` started, 0 for none.
DWORD NodeOf(DWORD parent) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    DWORD node = 0;
    for (BOOL more = Process32First(snapshot, &entry); more && node == 0;
         more = Process32Next(snapshot, &entry))
        if (entry.th32ParentProcessID == parent && lstrcmpiA(entry.szExeFile, "xlnode.exe") == 0)
            node = entry.th32ProcessID;
    CloseHandle(snapshot);
    return node;
}

// The node copies in the temporary folder whose names say `owner` made them.
std::size_t CopiesOf(DWORD owner) {
    char temporary[MAX_PATH + 1] = {};
    GetTempPathA(sizeof temporary, temporary);
    const std::string pattern = std::string(temporary) + "xlnode-" + std::to_string(owner) + "-*";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    std::size_t copies = 0;
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        ++copies;
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return copies;
}

template <class Condition> bool Within(DWORD milliseconds, Condition condition) {
    for (DWORD waited = 0; !condition(); waited += 50) {
        if (waited >= milliseconds)
            return false;
        Sleep(50);
    }
    return true;
}

// xlhost ended in the middle of an offloaded call, as Task Manager ends it
// (no code of its own runs), takes its node with it, and the copy it leaves
// is swept by the next xlhost that starts a node. While the node computes,
// no other process can open the memory that carries its arguments by a name
// the connector could have given it: a name of its pid and a counter.
TEST(XlhostTest, AnEndedXlhostLeavesNoNodeAndItsCopyIsSwept) {
    // 10,000 numbers: more than a message in the pipe carries.
    const std::string column = Folder() + "hang-column.csv";
    {
        std::ofstream file(column);
        for (int i = 0; i < 10000; ++i)
            file << i << '\n';
    }
    std::string commandLine = "\"" + Folder() + "xlhost.exe\" --excel 14.0 --cluster 1 " +
                              "--set-file \"A1:A10000=" + column + "\" " + Fixture +
                              " fix_Hang(A1:A10000)";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION xlhost = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &xlhost));
    DWORD node = 0;
    EXPECT_TRUE(Within(60000, [&] { return (node = NodeOf(xlhost.dwProcessId)) != 0; }));
    Sleep(2000); // the request is on its way or with the node
    for (DWORD owner : {xlhost.dwProcessId, node}) {
        for (int n = 0; n < 64; ++n) {
            const std::string name =
                "xlnode-section-" + std::to_string(owner) + "-" + std::to_string(n);
            HANDLE section = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
            EXPECT_EQ(section, nullptr) << name;
            if (section != nullptr)
                CloseHandle(section);
        }
    }
    EXPECT_EQ(CopiesOf(xlhost.dwProcessId), 1u);
    TerminateProcess(xlhost.hProcess, 9);
    WaitForSingleObject(xlhost.hProcess, INFINITE);
    CloseHandle(xlhost.hProcess);
    CloseHandle(xlhost.hThread);
    EXPECT_TRUE(Within(10000, [&] { return !Running(node, xlhost.dwProcessId, "xlnode.exe"); }))
        << "the node outlived its xlhost";
    if (HANDLE left = OpenProcess(PROCESS_TERMINATE, FALSE, node)) {
        TerminateProcess(left, 9);
        CloseHandle(left);
    }
    const XlhostRun next = Xlhost("--excel 14.0 --cluster 1 " + Fixture + " fix_TwiceAnywhere(3)");
    EXPECT_EQ(next.output, "6\nfixture closed\n") << next.errors;
    EXPECT_EQ(CopiesOf(xlhost.dwProcessId), 0u) << "swept";
    DeleteFileA(column.c_str());
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
