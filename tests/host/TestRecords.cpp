#include "TestRecords.h"

#include "Engine.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace hosttest {

namespace {

template <class Target> Target Lookup(HMODULE module, const char* name) {
    const auto address = reinterpret_cast<void (*)()>(GetProcAddress(module, name));
    if (address == nullptr) {
        throw std::runtime_error(std::string("entry point missing: ") + name);
    }
    return reinterpret_cast<Target>(address);
}

std::string NumberText(double value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
}

template <class Char> std::string Ascii(const Char* counted) {
    std::string text;
    const auto count = static_cast<std::make_unsigned_t<Char>>(counted[0]);
    for (std::size_t i = 1; i <= count; ++i) {
        text += static_cast<char>(counted[i]);
    }
    return text;
}

std::string AreaText(long rowFirst, long rowLast, long columnFirst, long columnLast) {
    return "[" + std::to_string(rowFirst) + ":" + std::to_string(rowLast) + "," +
           std::to_string(columnFirst) + ":" + std::to_string(columnLast) + "]";
}

template <class Record> std::string DescribeAny(const Record& record) {
    const unsigned type = record.xltype & ~unsigned(xlbitXLFree | xlbitDLLFree);
    switch (type) {
    case xltypeNum:
        return "Num " + NumberText(record.val.num);
    case xltypeStr:
        return "Str " + Ascii(record.val.str);
    case xltypeBool:
        return record.val.xbool ? "Bool TRUE" : "Bool FALSE";
    case xltypeErr:
        return "Err " + std::to_string(record.val.err);
    case xltypeInt:
        return "Int " + std::to_string(record.val.w);
    case xltypeNil:
        return "Nil";
    case xltypeMissing:
        return "Missing";
    case xltypeMulti: {
        std::string text = "Multi " + std::to_string(record.val.array.rows) + "x" +
                           std::to_string(record.val.array.columns) + " [";
        const long count = static_cast<long>(record.val.array.rows) * record.val.array.columns;
        for (long i = 0; i < count; ++i) {
            text += (i > 0 ? "; " : "") + DescribeAny(record.val.array.lparray[i]);
        }
        return text + "]";
    }
    case xltypeSRef: {
        const auto& ref = record.val.sref.ref;
        return "SRef " + AreaText(ref.rwFirst, ref.rwLast, ref.colFirst, ref.colLast);
    }
    case xltypeRef: {
        const auto& ref = record.val.mref.lpmref->reftbl[0];
        // The engine's sheet id differs between targets (it needs 64 bits on
        // Win64), so it is named rather than printed.
        const IDSHEET sheet = record.val.mref.idSheet;
        return "Ref " +
               (sheet == xlhost::Engine::Get().SheetId() ? "sheet" : std::to_string(sheet)) + " " +
               AreaText(ref.rwFirst, ref.rwLast, ref.colFirst, ref.colLast);
    }
    default:
        return "type " + std::to_string(record.xltype);
    }
}

} // namespace

int RecordKind<XLOPER>::Call(int function, XLOPER* result, std::vector<XLOPER*> args) {
    static const auto excel4v = Lookup<Excel4vProc>(LoadLibraryA("XLCALL32.DLL"), "Excel4v");
    return excel4v(function, result, static_cast<int>(args.size()), args.data());
}

int RecordKind<XLOPER12>::Call(int function, XLOPER12* result, std::vector<XLOPER12*> args) {
    static const auto callback =
        Lookup<MdCallBack12Proc>(GetModuleHandleA(nullptr), "MdCallBack12");
    return callback(function, static_cast<int>(args.size()), args.data(), result);
}

template <class Record> Record Records<Record>::Number(double value) {
    Record record = {};
    record.val.num = value;
    record.xltype = xltypeNum;
    return record;
}

template <class Record> Record Records<Record>::Text(const std::string& ascii) {
    std::basic_string<Char> counted(1, static_cast<Char>(ascii.size()));
    counted.append(ascii.begin(), ascii.end());
    texts_.push_back(counted);
    Record record = {};
    record.val.str = &texts_.back()[0];
    record.xltype = xltypeStr;
    return record;
}

template <class Record> Record Records<Record>::Boolean(bool value) {
    Record record = {};
    record.val.xbool = value ? 1 : 0;
    record.xltype = xltypeBool;
    return record;
}

template <class Record> Record Records<Record>::Error(int code) {
    Record record = {};
    record.val.err = static_cast<decltype(record.val.err)>(code);
    record.xltype = xltypeErr;
    return record;
}

template <class Record> Record Records<Record>::Integer(int value) {
    Record record = {};
    record.val.w = static_cast<decltype(record.val.w)>(value);
    record.xltype = xltypeInt;
    return record;
}

template <class Record> Record Records<Record>::Nil() {
    Record record = {};
    record.xltype = xltypeNil;
    return record;
}

template <class Record> Record Records<Record>::Missing() {
    Record record = {};
    record.xltype = xltypeMissing;
    return record;
}

template <class Record>
Record Records<Record>::Multi(std::vector<Record> elements, int rows, int columns) {
    arrays_.push_back(std::move(elements));
    Record record = {};
    record.val.array.lparray = arrays_.back().data();
    record.val.array.rows = static_cast<decltype(record.val.array.rows)>(rows);
    record.val.array.columns = static_cast<decltype(record.val.array.columns)>(columns);
    record.xltype = xltypeMulti;
    return record;
}

template <class Record> Record Records<Record>::Ref(const xlhost::Range& range, IDSHEET sheetId) {
    using Block = std::remove_pointer_t<decltype(Record{}.val.mref.lpmref)>;
    blocks_.emplace_back(sizeof(Block));
    auto* block = reinterpret_cast<Block*>(blocks_.back().data());
    block->count = 1;
    using Field = decltype(block->reftbl[0].rwFirst);
    using ColumnField = decltype(block->reftbl[0].colFirst);
    block->reftbl[0].rwFirst = static_cast<Field>(range.rowFirst);
    block->reftbl[0].rwLast = static_cast<Field>(range.rowLast);
    block->reftbl[0].colFirst = static_cast<ColumnField>(range.columnFirst);
    block->reftbl[0].colLast = static_cast<ColumnField>(range.columnLast);
    Record record = {};
    record.val.mref.lpmref = block;
    record.val.mref.idSheet = sheetId;
    record.xltype = xltypeRef;
    return record;
}

template class Records<XLOPER>;
template class Records<XLOPER12>;

std::string Describe(const XLOPER& record) {
    return DescribeAny(record);
}
std::string Describe(const XLOPER12& record) {
    return DescribeAny(record);
}

} // namespace hosttest
