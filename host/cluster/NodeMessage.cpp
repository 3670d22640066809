#include "NodeMessage.h"

#include <cstring>
#include <stdexcept>

namespace xlhost {

void NodeMessage::Clear() {
    bytes_.clear();
    read_ = 0;
}

char* NodeMessage::Reset(std::size_t size) {
    bytes_.resize(size);
    read_ = 0;
    return &bytes_[0];
}

void NodeMessage::Put(const void* bytes, std::size_t count) {
    bytes_.append(static_cast<const char*>(bytes), count);
}

char* NodeMessage::Extend(std::size_t count) {
    const std::size_t start = bytes_.size();
    bytes_.resize(start + count);
    return &bytes_[start];
}

void NodeMessage::Take(void* bytes, std::size_t count) {
    if (bytes_.size() - read_ < count) {
        throw std::runtime_error("a cluster node message ended too soon");
    }
    std::memcpy(bytes, bytes_.data() + read_, count);
    read_ += count;
}

void NodeMessage::PutNumber(std::uint64_t number) {
    Put(&number, sizeof number);
}

void NodeMessage::PutDouble(double number) {
    Put(&number, sizeof number);
}

void NodeMessage::PutText(const std::string& text) {
    PutNumber(text.size());
    Put(text.data(), text.size());
}

std::uint64_t NodeMessage::TakeNumber() {
    std::uint64_t number = 0;
    Take(&number, sizeof number);
    return number;
}

double NodeMessage::TakeDouble() {
    double number = 0;
    Take(&number, sizeof number);
    return number;
}

std::string NodeMessage::TakeText() {
    const std::uint64_t size = TakeNumber();
    if (size > bytes_.size() - read_) {
        throw std::runtime_error("a cluster node message ended too soon");
    }
    std::string text(bytes_.data() + read_, static_cast<std::size_t>(size));
    read_ += text.size();
    return text;
}

// A cell in one byte of kind and what that kind holds: an array of a million
// numbers takes 9 MB, not the 32 MB of its records.
void NodeMessage::PutCell(const Cell& cell) {
    const auto kind = static_cast<std::uint8_t>(cell.kind);
    Put(&kind, 1);
    switch (cell.kind) {
    case Cell::Kind::Number:
        PutDouble(cell.number);
        break;
    case Cell::Kind::Text:
        PutText(cell.text);
        break;
    case Cell::Kind::Boolean:
        PutNumber(cell.boolean ? 1 : 0);
        break;
    case Cell::Kind::Error:
        PutNumber(static_cast<std::uint32_t>(cell.error));
        break;
    default:
        break;
    }
}

Cell NodeMessage::TakeCell() {
    Cell cell;
    TakeCellInto(cell);
    return cell;
}

// Into a cell that is still Nil, as a new grid's are: a number, the most of
// a large result, then makes no cell of its own to move.
void NodeMessage::TakeCellInto(Cell& cell) {
    std::uint8_t kind = 0;
    Take(&kind, 1);
    switch (static_cast<Cell::Kind>(kind)) {
    case Cell::Kind::Nil:
        break;
    case Cell::Kind::Missing:
        cell = Cell::Missing();
        break;
    case Cell::Kind::Number:
        cell.kind = Cell::Kind::Number;
        Take(&cell.number, sizeof cell.number);
        break;
    case Cell::Kind::Text:
        cell = Cell::Text(TakeText());
        break;
    case Cell::Kind::Boolean:
        cell = Cell::Boolean(TakeNumber() != 0);
        break;
    case Cell::Kind::Error:
        cell = Cell::Error(static_cast<int>(TakeNumber()));
        break;
    default:
        throw std::runtime_error("a cluster node message holds a cell of unknown kind " +
                                 std::to_string(kind));
    }
}

void NodeMessage::PutValue(const Value& value) {
    PutNumber(value.type);
    if (value.type == xltypeMulti) {
        bytes_.reserve(bytes_.size() + value.array.cells.size() * (1 + sizeof(double)));
        PutNumber(value.array.rows);
        PutNumber(value.array.columns);
        for (const Cell& cell : value.array.cells) {
            PutCell(cell);
        }
    } else if (value.IsReference()) {
        PutNumber(value.areas.size());
        for (const Range& area : value.areas) {
            for (int bound : {area.rowFirst, area.rowLast, area.columnFirst, area.columnLast}) {
                PutNumber(static_cast<std::uint32_t>(bound));
            }
        }
        PutNumber(static_cast<std::uint64_t>(value.sheetId));
    } else {
        PutCell(value.cell);
    }
}

template <class Record> bool NodeMessage::PutNumbersOf(const Record& record) {
    if ((record.xltype & ~unsigned(xlbitXLFree | xlbitDLLFree)) != xltypeMulti) {
        return false;
    }
    const std::size_t count =
        static_cast<std::size_t>(record.val.array.rows) * record.val.array.columns;
    const Record* elements = record.val.array.lparray;
    for (std::size_t i = 0; i < count; ++i) {
        if (elements[i].xltype != xltypeNum) {
            return false;
        }
    }
    PutNumber(xltypeMulti);
    PutNumber(static_cast<std::uint64_t>(record.val.array.rows));
    PutNumber(static_cast<std::uint64_t>(record.val.array.columns));
    // Written in place: appending a byte and a double at a time took longer
    // than computing the numbers.
    char* out = Extend(count * (1 + sizeof(double)));
    const auto number = static_cast<char>(Cell::Kind::Number);
    for (std::size_t i = 0; i < count; ++i) {
        *out++ = number;
        std::memcpy(out, &elements[i].val.num, sizeof(double));
        out += sizeof(double);
    }
    return true;
}

bool NodeMessage::PutNumberArray(const XLOPER& record) {
    return PutNumbersOf(record);
}

bool NodeMessage::PutNumberArray(const XLOPER12& record) {
    return PutNumbersOf(record);
}

Value NodeMessage::TakeValue() {
    Value value;
    value.type = static_cast<unsigned>(TakeNumber());
    if (value.type == xltypeMulti) {
        const std::uint64_t rows = TakeNumber();
        const std::uint64_t columns = TakeNumber();
        // Each cell takes at least its kind's byte.
        if (columns != 0 && rows > (bytes_.size() - read_) / columns) {
            throw std::runtime_error("a cluster node message ended too soon");
        }
        value.array = Grid(static_cast<std::size_t>(rows), static_cast<std::size_t>(columns));
        for (Cell& cell : value.array.cells) {
            TakeCellInto(cell);
        }
    } else if (value.IsReference()) {
        const std::uint64_t areas = TakeNumber();
        for (std::uint64_t i = 0; i < areas; ++i) {
            Range area;
            for (int* bound :
                 {&area.rowFirst, &area.rowLast, &area.columnFirst, &area.columnLast}) {
                *bound = static_cast<int>(static_cast<std::uint32_t>(TakeNumber()));
            }
            value.areas.push_back(area);
        }
        value.sheetId = static_cast<IDSHEET>(TakeNumber());
    } else {
        value.cell = TakeCell();
    }
    return value;
}

} // namespace xlhost
