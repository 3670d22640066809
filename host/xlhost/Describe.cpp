#include "Describe.h"

#include "Records.h"
#include "Text.h"
#include "Value.h"
#include "registration/RegistrationInfoName.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace xlhost {

namespace {

// The server's callbacks, from its own add-in, with Excel 12 records; each
// answer read, then handed back through xlFree.
Value Call(Engine& engine, int function, std::vector<XLOPER12> arguments, const char* what) {
    std::vector<LPXLOPER12> pointers;
    for (XLOPER12& argument : arguments) {
        pointers.push_back(&argument);
    }
    XLOPER12 result = {};
    const int code =
        engine.Dispatch12(function, static_cast<int>(pointers.size()), pointers.data(), &result);
    if (code != xlretSuccess) {
        throw std::runtime_error(std::string(what) + " failed with return code " +
                                 std::to_string(code));
    }
    Value value;
    const bool read = ReadValue(result, value);
    LPXLOPER12 freed = &result;
    engine.Dispatch12(xlFree, 1, &freed, nullptr);
    if (!read) {
        throw std::runtime_error(std::string(what) + " answered a record that cannot be read");
    }
    return value;
}

XLOPER12 Number(double number) {
    XLOPER12 record = {};
    record.val.num = number;
    record.xltype = xltypeNum;
    return record;
}

// Points into `counted`, which must outlive the record.
XLOPER12 Text(std::wstring& counted) {
    XLOPER12 record = {};
    record.val.str = &counted[0];
    record.xltype = xltypeStr;
    return record;
}

std::string Shown(const Cell& cell) {
    if (cell.kind == Cell::Kind::Text) {
        return "\"" + cell.text + "\"";
    }
    return cell.kind == Cell::Kind::Nil ? std::string("\"\"") : cell.Display();
}

// One row as `xlhost --list` prints a registration's arguments, numbered as
// xlfRegister's: the empty module column and the empty cells after the
// row's last text left out.
void PrintRow(const Grid& table, std::size_t row, std::ostream& out) {
    std::size_t end = table.columns;
    while (end > 1 && table.At(row, end - 1).kind == Cell::Kind::Nil) {
        --end;
    }
    for (std::size_t column = 1; column < end; ++column) {
        out << "  " << column + 1 << ": " << Shown(table.At(row, column)) << '\n';
    }
}

// The table's columns, xlfRegister's arguments from 0 (the module).
constexpr std::size_t ArgumentTextColumn = 4;
constexpr std::size_t FunctionTextColumn = 3;
constexpr std::size_t HelpTopicColumn = 8;
constexpr std::size_t FunctionHelpColumn = 9;
constexpr std::size_t FirstArgumentHelpColumn = 10;

std::string TextAt(const Grid& cells, std::size_t row, std::size_t column) {
    if (column >= cells.columns || cells.At(row, column).kind != Cell::Kind::Text) {
        return std::string();
    }
    return cells.At(row, column).text;
}

// "a, b,c" names a, b and c; no text names no argument.
std::vector<std::string> ArgumentNames(const std::string& text) {
    std::vector<std::string> names;
    if (text.empty()) {
        return names;
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        std::string name = text.substr(start, comma - start);
        name.erase(0, name.find_first_not_of(' '));
        name.erase(name.find_last_not_of(' ') + 1);
        names.push_back(name);
        if (comma == std::string::npos) {
            return names;
        }
        start = comma + 1;
    }
}

// An attribute value in double quotes. Tabs and line ends as character
// references, which a parser keeps (it makes blanks of them written as they
// are); XML 1.0 has no way to write the other control characters, which
// are left out.
std::string Attribute(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\t':
            escaped += "&#9;";
            break;
        case '\n':
            escaped += "&#10;";
            break;
        case '\r':
            escaped += "&#13;";
            break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20) {
                escaped += c;
            }
        }
    }
    return escaped;
}

} // namespace

RegistrationInfoTable AskRegistrationInfo(Engine& engine) {
    RegistrationInfoTable info;
    info.functionName = xlw::RegistrationInfoName(Utf8ToUtf16(engine.AddInPath()));
    std::wstring counted = L" " + Utf8ToUtf16(info.functionName);
    counted[0] = static_cast<wchar_t>(counted.size() - 1);
    const Value id = Call(engine, xlfEvaluate, {Text(counted)}, "xlfEvaluate of its name");
    if (id.type != xltypeNum) {
        throw std::runtime_error("the add-in registered no " + info.functionName +
                                 " (xlfEvaluate answered " + id.cell.Display() + ")");
    }
    info.registerId = id.cell.number;
    const Value table =
        Call(engine, xlUDF, {Number(info.registerId), Number(-1)}, "xlUDF with version -1");
    if (table.type != xltypeMulti) {
        info.answer = Grid::Single(table.cell);
        return info;
    }
    info.answer = table.array;
    const Grid& cells = info.answer;
    if (cells.columns < 2 || cells.At(0, 1).kind != Cell::Kind::Number) {
        throw std::runtime_error("the answer's first row holds no version");
    }
    const Value again =
        Call(engine, xlUDF, {Number(info.registerId), Number(cells.At(0, 1).number)},
             "xlUDF with its version");
    if (again.type != xltypeErr || again.cell.error != xlerrNum) {
        throw std::runtime_error("called again with its version, it answered " +
                                 again.cell.Display() + ", not #NUM!");
    }
    return info;
}

void PrintRegistrationInfo(const RegistrationInfoTable& info, std::ostream& out) {
    const Grid& cells = info.answer;
    out << "registration info: " << info.functionName << " (register id "
        << Cell::Number(info.registerId).Display() << ")\n";
    if (cells.rows == 1 && cells.columns == 1) {
        out << "answer to version -1: " << cells.At(0, 0).Display() << '\n';
        return;
    }
    out << "add-in: " << cells.At(0, 0).Display() << '\n'
        << "version: " << cells.At(0, 1).Display() << " (answers #NUM! when called with it)\n";
    for (std::size_t row = 1; row < cells.rows; ++row) {
        out << cells.At(row, 3).Display() << ":\n";
        PrintRow(cells, row, out);
    }
}

void WriteIntellisenseXml(const RegistrationInfoTable& info, std::ostream& out) {
    const Grid& cells = info.answer;
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        << "<IntelliSense xmlns=\"http://schemas.excel-dna.net/intellisense/1.0\">\n"
        << "  <FunctionInfo>\n";
    for (std::size_t row = 1; cells.columns > 1 && row < cells.rows; ++row) {
        out << "    <Function Name=\"" << Attribute(TextAt(cells, row, FunctionTextColumn))
            << "\" Description=\"" << Attribute(TextAt(cells, row, FunctionHelpColumn)) << '"';
        const std::string topic = TextAt(cells, row, HelpTopicColumn);
        if (!topic.empty()) {
            out << " HelpTopic=\"" << Attribute(topic) << '"';
        }
        out << ">\n";
        const std::vector<std::string> names =
            ArgumentNames(TextAt(cells, row, ArgumentTextColumn));
        for (std::size_t k = 0; k < names.size(); ++k) {
            out << "      <Argument Name=\"" << Attribute(names[k]) << "\" Description=\""
                << Attribute(TextAt(cells, row, FirstArgumentHelpColumn + k)) << "\"/>\n";
        }
        out << "    </Function>\n";
    }
    out << "  </FunctionInfo>\n"
        << "</IntelliSense>\n";
}

} // namespace xlhost
