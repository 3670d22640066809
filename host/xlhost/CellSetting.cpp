#include "CellSetting.h"

#include "Reader.h"

#include <vector>

namespace xlhost {

namespace {

constexpr const char* Separators = ",;";

Cell Item(Reader& reader) {
    Cell value;
    if (reader.NextIs('"')) {
        reader.Value(value);
        if (!reader.AtAnyOf(Separators)) {
            reader.Fail("',' or ';' or the end after a quoted text");
        }
        return value;
    }
    const std::string raw = reader.RawUntil(Separators);
    if (raw.empty()) {
        return Cell::Nil();
    }
    return ParseValue(raw, value) ? value : Cell::Text(raw);
}

std::string Count(std::size_t count, const char* what) {
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

} // namespace

CellSetting CellSetting::Parse(const std::string& text) {
    Reader reader(text, "--set '" + text + "'");
    CellSetting setting;
    FormulaArgument cells;
    if (!reader.Reference(cells)) {
        reader.Fail("a cell or range such as B1 or A2:C3");
    }
    setting.range = cells.range;
    if (!reader.Take('=')) {
        reader.Fail("'=' after the cells");
    }
    std::vector<std::vector<Cell>> rows(1);
    for (;;) {
        rows.back().push_back(Item(reader));
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
    setting.values = Grid(rows.size(), columns);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        for (std::size_t column = 0; column < columns; ++column) {
            setting.values.At(row, column) = rows[row][column];
        }
    }
    return setting;
}

} // namespace xlhost
