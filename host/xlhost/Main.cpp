// xlhost: opens an add-in in the stand-in Excel, as Excel would, and prints
// what its worksheet functions return, one row per line.
#include "CommandLine.h"
#include "Describe.h"
#include "Engine.h"
#include "Formula.h"
#include "Text.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <exception>
#include <fstream>
#include <iostream>
#include <new>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int ExitSuccess = 0;
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

void PrintRegistrations(const xlhost::Engine& engine) {
    const std::string name = engine.AddInName();
    std::cout << "add-in name: "
              << (name.empty() ? "none (the Add-ins dialog shows the file name)" : name) << '\n';
    for (const xlhost::Registration& registration : engine.Registrations()) {
        const std::string way = "through Excel" + std::to_string(registration.recordKind);
        std::cout << registration.FunctionText() << ": ";
        // Macro type 0: callable, but in none of the wizard's lists.
        if (registration.accepted && registration.MacroType() == 0) {
            std::cout << "hidden, register id " << registration.registerId << " (" << way << ")";
        } else if (registration.accepted) {
            std::cout << "register id " << registration.registerId << " (" << way << ")";
        } else {
            std::cout << "refused " << way << " (" << registration.refusal << ")";
        }
        std::cout << '\n' << registration.Describe();
    }
}

void WriteSideFile(const xlhost::RegistrationInfoTable& info, const std::string& path) {
    std::ofstream file(xlhost::Utf8ToUtf16(path).c_str(), std::ios::binary);
    xlhost::WriteIntellisenseXml(info, file);
    file.close();
    if (!file) {
        throw std::runtime_error("cannot write " + path);
    }
}

// The message boxes the add-in showed since the last report, on standard
// error, since a user would have read them.
void ReportMessageBoxes(const xlhost::Engine& engine) {
    static std::size_t reported = 0;
    const std::vector<xlhost::ShownMessageBox> shown = engine.MessageBoxesShown();
    for (; reported < shown.size(); ++reported) {
        std::cout.flush();
        std::cerr << "xlhost: the add-in showed a message box \"" << shown[reported].caption
                  << "\":\n"
                  << shown[reported].text << '\n';
    }
}

// A result as --checksums prints it: "4x3 0123456789abcdef". A result of
// one text is a refusal, whose words say more than its checksum, and would
// read as a number of one cell.
std::string ChecksumLine(const xlhost::Grid& grid) {
    if (grid.rows == 1 && grid.columns == 1 && grid.cells[0].kind == xlhost::Cell::Kind::Text) {
        return grid.Shown();
    }
    char checksum[17];
    std::snprintf(checksum, sizeof checksum, "%016llx",
                  static_cast<unsigned long long>(grid.ShownChecksum()));
    return std::to_string(grid.rows) + "x" + std::to_string(grid.columns) + " " + checksum + "\n";
}

void ReportFailure(const std::string& text, const std::exception_ptr& failure) {
    std::cout.flush();
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        std::cerr << "xlhost: not enough memory to hold the result of " << text
                  << " in this process\n";
    } catch (const std::exception& error) {
        std::cerr << "xlhost: " << error.what() << '\n';
    }
}

// With --separate, a blank line before every formula but the first, also one
// that fails, so that the k-th block of the output is the k-th formula's.
void Separate(const xlhost::CommandLine& line, std::size_t formula) {
    if (line.separate && formula > 0) {
        std::cout << '\n';
    }
}

// A formula xlhost can evaluate: one call of a function the add-in registered.
xlhost::Formula RegisteredCall(const xlhost::Engine& engine, const std::string& text) {
    xlhost::Formula formula = xlhost::Formula::Parse(text);
    if (engine.FindFunction(formula.functionName) == nullptr) {
        throw std::invalid_argument("no registered function is named " + formula.functionName +
                                    ". " + xlhost::Formula::Grammar);
    }
    return formula;
}

bool Evaluate(xlhost::Engine& engine, const xlhost::CommandLine& line, std::size_t i) {
    const std::string& text = line.formulas[i];
    // Before the call: what the add-in prints while it runs belongs to this formula.
    Separate(line, i);
    try {
        const xlhost::Formula formula = RegisteredCall(engine, text);
        const xlhost::Grid grid = engine.EvaluateFormula(formula.functionName, formula.arguments);
        if (line.checksums) {
            std::cout << ChecksumLine(grid);
        } else {
            grid.PrintShown(std::cout);
        }
        return true;
    } catch (...) {
        ReportFailure(text, std::current_exception());
        return false;
    }
}

// The functions of a recalculation with --cluster that are not registered
// cluster-safe, whose formulas Excel computes in its own process: the user
// asked for a cluster and would otherwise not know.
void ReportNotOffloaded(const xlhost::Engine& engine,
                        const std::vector<xlhost::FormulaCall>& calls) {
    std::set<std::string> names;
    for (const xlhost::FormulaCall& call : calls) {
        const xlhost::Registration* registration = engine.FindFunction(call.functionText);
        if (!registration->parsedType.clusterSafe) {
            names.insert(registration->FunctionText());
        }
    }
    if (!names.empty()) {
        std::string list;
        for (const std::string& name : names) {
            list += (list.empty() ? "" : ", ") + name;
        }
        std::cout.flush();
        std::cerr << "xlhost: not registered cluster-safe (&), so computed in Excel's process and "
                     "on no node: "
                  << list << '\n';
    }
}

// Every formula at once, the results printed in order when all are done.
// A formula that cannot be parsed, or names no registered function, fails
// without being called.
bool Recalculate(xlhost::Engine& engine, const xlhost::CommandLine& line) {
    const std::size_t count = line.formulas.size();
    std::vector<xlhost::FormulaCall> calls(count);
    std::vector<std::string> printed(count);
    std::vector<std::exception_ptr> failures(count);
    std::vector<std::size_t> parsed;
    for (std::size_t i = 0; i < count; ++i) {
        try {
            const xlhost::Formula formula = RegisteredCall(engine, line.formulas[i]);
            calls[parsed.size()] = {formula.functionName, formula.arguments};
            parsed.push_back(i);
        } catch (...) {
            failures[i] = std::current_exception();
        }
    }
    calls.resize(parsed.size());
    if (line.clusterNodes > 0) {
        ReportNotOffloaded(engine, calls);
    }
    // Each index is written by one thread alone.
    engine.Recalculate(
        calls, line.threads,
        [&](std::size_t k, xlhost::Grid grid, std::exception_ptr failure) {
            const std::size_t i = parsed[k];
            failures[i] = failure;
            try {
                if (!failure) {
                    printed[i] = line.checksums ? ChecksumLine(grid) : grid.Shown();
                }
            } catch (...) {
                failures[i] = std::current_exception();
            }
        },
        line.clusterNodes, line.nodeTimeLimit);
    bool succeeded = true;
    for (std::size_t i = 0; i < count; ++i) {
        Separate(line, i);
        if (failures[i]) {
            ReportFailure(line.formulas[i], failures[i]);
            succeeded = false;
        } else {
            std::cout << printed[i];
        }
    }
    return succeeded;
}

int Run(const xlhost::CommandLine& line) {
    xlhost::Engine& engine = xlhost::Engine::Get();
    engine.SetVersion(line.version);
    for (const xlhost::CellSetting& setting : line.cells) {
        for (std::size_t row = 0; row < setting.values.rows; ++row) {
            for (std::size_t column = 0; column < setting.values.columns; ++column) {
                engine.SetCell(setting.range.rowFirst + static_cast<int>(row),
                               setting.range.columnFirst + static_cast<int>(column),
                               setting.values.At(row, column));
            }
        }
    }
    const int opened = engine.OpenAddIn(line.addIn);
    ReportMessageBoxes(engine);
    if (opened == 0) {
        std::cerr << "xlhost: xlAutoOpen of " << line.addIn << " reported failure\n";
        return ExitFailure;
    }
    engine.SetFunctionWizard(line.wizard);
    if (line.list) {
        PrintRegistrations(engine);
    }
    if (line.describe || !line.intellisenseXml.empty()) {
        const xlhost::RegistrationInfoTable info = xlhost::AskRegistrationInfo(engine);
        if (line.describe) {
            xlhost::PrintRegistrationInfo(info, std::cout);
        }
        if (!line.intellisenseXml.empty()) {
            WriteSideFile(info, line.intellisenseXml);
        }
    }
    int exitCode = ExitSuccess;
    if (line.threads > 0) {
        if (!Recalculate(engine, line)) {
            exitCode = ExitFailure;
        }
        ReportMessageBoxes(engine);
    } else {
        for (std::size_t i = 0; i < line.formulas.size(); ++i) {
            if (!Evaluate(engine, line, i)) {
                exitCode = ExitFailure;
            }
            ReportMessageBoxes(engine);
        }
    }
    engine.SetFunctionWizard(false);
    std::cout.flush();
    engine.CloseAddIn();
    ReportMessageBoxes(engine);
    return exitCode;
}

// The arguments in UTF-8, read from the wide command line: the narrow one
// holds "?" for what the ANSI code page cannot show, as a folder name may.
std::vector<std::string> Arguments() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide != nullptr && i < count; ++i)
        arguments.push_back(xlhost::Utf16ToUtf8(wide[i], std::wcslen(wide[i])));
    LocalFree(wide);
    return arguments;
}

} // namespace

int main() {
    xlhost::CommandLine line;
    try {
        line = xlhost::CommandLine::Parse(Arguments());
    } catch (const std::invalid_argument& error) {
        std::cerr << "xlhost: " << error.what() << "\n(--help lists the options)\n";
        return ExitUsage;
    }
    if (line.help) {
        std::cout << xlhost::CommandLine::Usage();
        return ExitSuccess;
    }
    try {
        return Run(line);
    } catch (const std::exception& error) {
        std::cerr << "xlhost: " << error.what() << '\n';
        return ExitFailure;
    }
}
