#include "CellSetting.h"

#include "Reader.h"
#include "Text.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

namespace xlhost {

namespace {

using Rows = std::vector<std::vector<Cell>>;

// One value, up to one of `separators` or the end.
Cell Item(Reader& reader, const char* separators) {
    Cell value;
    if (reader.NextIs('"')) {
        reader.Value(value);
        if (!reader.AtAnyOf(separators)) {
            std::string expected;
            for (const char* separator = separators; *separator != '\0'; ++separator) {
                expected += std::string("'") + *separator + "' or ";
            }
            reader.Fail(expected + "the end after a quoted text");
        }
        return value;
    }
    // A value read in place, so that a refusal (a number beyond the doubles)
    // names the file, line and position.
    if (reader.WholeValue(value, separators)) {
        return value;
    }
    const std::string raw = reader.RawUntil(separators);
    return raw.empty() ? Cell::Nil() : Cell::Text(raw);
}

std::string Count(std::size_t count, const char* what) {
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

// "A2:C3=..." up to the '=': the range.
Range Cells(Reader& reader) {
    FormulaArgument cells;
    if (!reader.Reference(cells)) {
        reader.Fail("a cell or range such as B1 or A2:C3");
    }
    if (!reader.Take('=')) {
        reader.Fail("'=' after the cells");
    }
    return cells.range;
}

// Rows already of the range's shape.
Grid Shaped(const Rows& rows) {
    Grid values(rows.size(), rows.empty() ? 0 : rows[0].size());
    for (std::size_t row = 0; row < values.rows; ++row) {
        for (std::size_t column = 0; column < values.columns; ++column) {
            values.At(row, column) = rows[row][column];
        }
    }
    return values;
}

std::string FileBytes(const std::string& path) {
    const std::unique_ptr<FILE, int (*)(FILE*)> file(_wfopen(Utf8ToUtf16(path).c_str(), L"rb"),
                                                     std::fclose);
    if (!file) {
        throw std::invalid_argument("cannot read the file " + path);
    }
    std::string bytes;
    char buffer[65536];
    for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) {
        bytes.append(buffer, read);
    }
    return bytes;
}

// The lines of a file as a spreadsheet writes it: a byte-order mark and a
// line end after the last line are optional. (The CR of a CR LF is a blank
// around the line's last value, which the reader drops.)
std::vector<std::string> Lines(std::string bytes) {
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) {
        bytes.erase(0, 3);
    }
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size());
        lines.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

} // namespace

CellSetting CellSetting::Parse(const std::string& text) {
    Reader reader(text, "--set '" + text + "'");
    CellSetting setting;
    setting.range = Cells(reader);
    Rows rows(1);
    for (;;) {
        rows.back().push_back(Item(reader, ",;"));
        if (reader.Take(';')) {
            rows.emplace_back();
        } else if (!reader.Take(',')) {
            break;
        }
    }
    const auto columns = static_cast<std::size_t>(setting.range.Columns());
    bool fits = rows.size() == static_cast<std::size_t>(setting.range.Rows());
    for (const std::vector<Cell>& row : rows) {
        fits = fits && row.size() == columns;
    }
    if (!fits) {
        reader.Fail(Count(setting.range.Rows(), "row") + " (separated by ';') of " +
                    Count(columns, "value") + " (separated by ','), one per cell; got " +
                    Count(rows.size(), "row") + ", the first of " + Count(rows[0].size(), "value"));
    }
    setting.values = Shaped(rows);
    return setting;
}

CellSetting CellSetting::ReadFile(const std::string& text) {
    const std::string what = "--set-file '" + text + "'";
    Reader reader(text, what);
    CellSetting setting;
    setting.range = Cells(reader);
    const std::string cells = text.substr(0, text.find('='));
    const std::string path = reader.RawUntil("");
    if (path.empty()) {
        reader.Fail("the path of a CSV file after '='");
    }
    const std::vector<std::string> lines = Lines(FileBytes(path));
    const auto columns = static_cast<std::size_t>(setting.range.Columns());
    if (lines.size() != static_cast<std::size_t>(setting.range.Rows())) {
        throw std::invalid_argument(what + ": " + path + " holds " + Count(lines.size(), "line") +
                                    ", not the " + Count(setting.range.Rows(), "row") + " of " +
                                    cells);
    }
    Rows rows;
    for (const std::string& line : lines) {
        Reader items(line, what + ": line " + std::to_string(rows.size() + 1));
        rows.emplace_back();
        do {
            rows.back().push_back(Item(items, ","));
        } while (items.Take(','));
        if (rows.back().size() != columns) {
            throw std::invalid_argument(what + ": line " + std::to_string(rows.size()) + " holds " +
                                        Count(rows.back().size(), "value") + ", not the " +
                                        Count(columns, "column") + " of " + cells);
        }
    }
    setting.values = Shaped(rows);
    return setting;
}

} // namespace xlhost
