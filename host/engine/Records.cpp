#include "Records.h"

#include "Sheet.h"
#include "Text.h"

#include <climits>
#include <cstring>

namespace xlhost {

namespace {

// The characters of a counted string up to its first zero character:
// add-ins count a terminating zero into the length (the framework's Excel 4
// strings do), and Excel reads registration texts and shows cell texts only
// up to it.
template <class Char> std::size_t TextLength(const Char* counted, std::size_t count) {
    std::size_t length = 0;
    while (length < count && counted[1 + length] != 0) {
        ++length;
    }
    return length;
}

template <class Record> struct RecordTraits;

template <> struct RecordTraits<XLOPER> {
    using Char = char;
    using Ref = XLREF;
    using MRef = XLMREF;
    static constexpr std::size_t MaxStringLength = 255;
    static constexpr long long MaxInteger = SHRT_MAX;
    static constexpr long long MinInteger = SHRT_MIN;
    static constexpr long long MaxRows = 65535;
    static constexpr long long MaxColumns = 255;

    static std::string Decode(const char* str) {
        return Latin1ToUtf8(str + 1, TextLength(str, static_cast<unsigned char>(str[0])));
    }
    static std::basic_string<Char> Encode(const std::string& text) { return Utf8ToLatin1(text); }
    static Range ToRange(const XLREF& ref) {
        return Range{ref.rwFirst, ref.rwLast, ref.colFirst, ref.colLast};
    }
    static XLREF FromRange(const Range& range) {
        XLREF ref;
        ref.rwFirst = static_cast<std::uint16_t>(range.rowFirst);
        ref.rwLast = static_cast<std::uint16_t>(range.rowLast);
        ref.colFirst = static_cast<std::uint8_t>(range.columnFirst);
        ref.colLast = static_cast<std::uint8_t>(range.columnLast);
        return ref;
    }
    static bool Fits(const Range& range) { return Sheet::WithinExcel4(range); }
};

template <> struct RecordTraits<XLOPER12> {
    using Char = XCHAR;
    using Ref = XLREF12;
    using MRef = XLMREF12;
    static constexpr std::size_t MaxStringLength = 32767;
    static constexpr long long MaxInteger = INT_MAX;
    static constexpr long long MinInteger = INT_MIN;
    static constexpr long long MaxRows = 1048576;
    static constexpr long long MaxColumns = 16384;

    static std::string Decode(const XCHAR* str) {
        return Utf16ToUtf8(str + 1, TextLength(str, static_cast<std::uint16_t>(str[0])));
    }
    static std::basic_string<Char> Encode(const std::string& text) { return Utf8ToUtf16(text); }
    static Range ToRange(const XLREF12& ref) {
        return Range{ref.rwFirst, ref.rwLast, ref.colFirst, ref.colLast};
    }
    static XLREF12 FromRange(const Range& range) {
        return XLREF12{range.rowFirst, range.rowLast, range.columnFirst, range.columnLast};
    }
    static bool Fits(const Range&) { return true; }
};

template <class Record> unsigned TypeWord(const Record& record) {
    return static_cast<unsigned>(record.xltype) & ~unsigned(xlbitXLFree | xlbitDLLFree);
}

template <class Record> bool ReadScalar(const Record& record, unsigned type, Cell& cell) {
    using Traits = RecordTraits<Record>;
    switch (type) {
    case xltypeNum:
        cell = Cell::Number(record.val.num);
        return true;
    case xltypeStr:
        if (record.val.str == nullptr) {
            return false;
        }
        cell = Cell::Text(Traits::Decode(record.val.str));
        return true;
    case xltypeBool:
        cell = Cell::Boolean(record.val.xbool != 0);
        return true;
    case xltypeErr:
        cell = Cell::Error(record.val.err);
        return true;
    case xltypeInt:
        cell = Cell::Number(record.val.w);
        return true;
    case xltypeNil:
        cell = Cell::Nil();
        return true;
    case xltypeMissing:
        cell = Cell::Missing();
        return true;
    default:
        return false;
    }
}

template <class Record> bool ReadArray(const Record& record, Value& value) {
    const long long rows = record.val.array.rows;
    const long long columns = record.val.array.columns;
    if (rows < 0 || columns < 0 || (record.val.array.lparray == nullptr && rows * columns > 0)) {
        return false;
    }
    Grid grid(rows, columns);
    for (std::size_t i = 0; i < grid.cells.size(); ++i) {
        const Record& element = record.val.array.lparray[i];
        // An element that is no single value (a reference, an array) is a
        // value Excel would show as #VALUE!.
        if (!ReadScalar(element, TypeWord(element), grid.cells[i])) {
            grid.cells[i] = Cell::Error(xlerrValue);
        }
    }
    value = Value::Array(std::move(grid));
    return true;
}

template <class Record> bool ReadReference(const Record& record, unsigned type, Value& value) {
    using Traits = RecordTraits<Record>;
    value = Value();
    value.type = type;
    if (type == xltypeSRef) {
        if (record.val.sref.count != 1) {
            return false;
        }
        value.areas.push_back(Traits::ToRange(record.val.sref.ref));
        return true;
    }
    const auto* block = record.val.mref.lpmref;
    if (block == nullptr || block->count == 0) {
        return false;
    }
    for (std::uint16_t i = 0; i < block->count; ++i) {
        value.areas.push_back(Traits::ToRange(block->reftbl[i]));
    }
    value.sheetId = record.val.mref.idSheet;
    return true;
}

template <class Record> bool Read(const Record& record, Value& value) {
    const unsigned type = TypeWord(record);
    if (type == xltypeMulti) {
        return ReadArray(record, value);
    }
    if (type == xltypeSRef || type == xltypeRef) {
        return ReadReference(record, type, value);
    }
    Cell cell;
    if (!ReadScalar(record, type, cell)) {
        return false;
    }
    value = type == xltypeInt ? Value::Integer(static_cast<int>(cell.number)) : Value::Scalar(cell);
    return true;
}

template <class Record> bool CanWrite(const Value& value) {
    using Traits = RecordTraits<Record>;
    switch (value.type) {
    case xltypeInt:
        return value.cell.number >= Traits::MinInteger && value.cell.number <= Traits::MaxInteger;
    case xltypeMulti:
        return static_cast<long long>(value.array.rows) <= Traits::MaxRows &&
               static_cast<long long>(value.array.columns) <= Traits::MaxColumns;
    case xltypeSRef:
        return value.areas.size() == 1 && Traits::Fits(value.areas[0]);
    case xltypeRef:
        for (const Range& area : value.areas) {
            if (!Traits::Fits(area)) {
                return false;
            }
        }
        return !value.areas.empty() && value.areas.size() <= 0xFFFF;
    default:
        return true;
    }
}

// A counted string in a block from `allocate(bytes)`.
template <class Record, class Allocate>
typename RecordTraits<Record>::Char* WriteString(const std::string& text, Allocate allocate) {
    using Traits = RecordTraits<Record>;
    using Char = typename Traits::Char;
    std::basic_string<Char> encoded = Traits::Encode(text);
    if (encoded.size() > Traits::MaxStringLength) {
        encoded.resize(Traits::MaxStringLength);
    }
    auto* str = static_cast<Char*>(allocate((encoded.size() + 1) * sizeof(Char)));
    str[0] = static_cast<Char>(encoded.size());
    std::memcpy(str + 1, encoded.data(), encoded.size() * sizeof(Char));
    return str;
}

template <class Record, class Allocate>
void WriteScalar(Record& record, const Cell& cell, Allocate allocate) {
    switch (cell.kind) {
    case Cell::Kind::Number:
        record.val.num = cell.number;
        record.xltype = xltypeNum;
        break;
    case Cell::Kind::Text:
        record.val.str = WriteString<Record>(cell.text, allocate);
        record.xltype = xltypeStr;
        break;
    case Cell::Kind::Boolean:
        record.val.xbool = cell.boolean ? 1 : 0;
        record.xltype = xltypeBool;
        break;
    case Cell::Kind::Error:
        record.val.err = static_cast<decltype(record.val.err)>(cell.error);
        record.xltype = xltypeErr;
        break;
    case Cell::Kind::Missing:
        record.xltype = xltypeMissing;
        break;
    default:
        record.xltype = xltypeNil;
        break;
    }
}

template <class Record>
void WriteArray(Record& record, const Grid& grid, Ledger& ledger, const std::string& description) {
    void* owner = ledger.Allocate(grid.cells.size() * sizeof(Record), description);
    auto* elements = static_cast<Record*>(owner);
    for (std::size_t i = 0; i < grid.cells.size(); ++i) {
        WriteScalar(elements[i], grid.cells[i],
                    [&](std::size_t bytes) { return ledger.AllocatePart(owner, bytes); });
    }
    record.val.array.lparray = elements;
    record.val.array.rows = static_cast<decltype(record.val.array.rows)>(grid.rows);
    record.val.array.columns = static_cast<decltype(record.val.array.columns)>(grid.columns);
    record.xltype = xltypeMulti;
}

template <class Record>
void WriteReference(Record& record, const Value& value, Ledger& ledger,
                    const std::string& description) {
    using Traits = RecordTraits<Record>;
    using MRef = typename Traits::MRef;
    if (value.type == xltypeSRef) {
        record.val.sref.count = 1;
        record.val.sref.ref = Traits::FromRange(value.areas[0]);
        record.xltype = xltypeSRef;
        return;
    }
    const std::size_t bytes =
        offsetof(MRef, reftbl) + value.areas.size() * sizeof(typename Traits::Ref);
    auto* block = static_cast<MRef*>(ledger.Allocate(bytes, description));
    block->count = static_cast<std::uint16_t>(value.areas.size());
    for (std::size_t i = 0; i < value.areas.size(); ++i) {
        block->reftbl[i] = Traits::FromRange(value.areas[i]);
    }
    record.val.mref.lpmref = block;
    record.val.mref.idSheet = value.sheetId;
    record.xltype = xltypeRef;
}

template <class Record>
bool Write(Record& record, const Value& value, Ledger& ledger, const std::string& description) {
    if (!CanWrite<Record>(value)) {
        return false;
    }
    switch (value.type) {
    case xltypeInt:
        record.val.w = static_cast<decltype(record.val.w)>(value.cell.number);
        record.xltype = xltypeInt;
        break;
    case xltypeMulti:
        WriteArray(record, value.array, ledger, description);
        break;
    case xltypeSRef:
    case xltypeRef:
        WriteReference(record, value, ledger, description);
        break;
    default:
        WriteScalar(record, value.cell,
                    [&](std::size_t bytes) { return ledger.Allocate(bytes, description); });
        break;
    }
    return true;
}

} // namespace

bool ReadValue(const XLOPER& record, Value& value) {
    return Read(record, value);
}
bool ReadValue(const XLOPER12& record, Value& value) {
    return Read(record, value);
}

bool WriteValue(XLOPER& record, const Value& value, Ledger& ledger,
                const std::string& description) {
    return Write(record, value, ledger, description);
}

bool WriteValue(XLOPER12& record, const Value& value, Ledger& ledger,
                const std::string& description) {
    return Write(record, value, ledger, description);
}

unsigned TypeOf(const XLOPER& record) {
    return TypeWord(record);
}
unsigned TypeOf(const XLOPER12& record) {
    return TypeWord(record);
}

} // namespace xlhost
