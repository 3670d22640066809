// Building and describing Excel records in tests, for both record kinds,
// independently of the engine's own record code; and calling the stand-in
// the way add-ins do: Excel 4 records through XLCALL32.DLL, Excel 12
// records through the executable's MdCallBack12 export.
#pragma once

#include "Range.h"
#include "xlw/ExcelApi.h"

#include <deque>
#include <string>
#include <vector>

namespace hosttest {

template <class Record> struct RecordKind;

template <> struct RecordKind<XLOPER> {
    using Char = char;
    static constexpr int Number = 4;
    static int Call(int function, XLOPER* result, std::vector<XLOPER*> args);
};

template <> struct RecordKind<XLOPER12> {
    using Char = XCHAR;
    static constexpr int Number = 12;
    static int Call(int function, XLOPER12* result, std::vector<XLOPER12*> args);
};

// Makes records whose strings and element arrays live as long as the maker.
template <class Record> class Records {
public:
    using Char = typename RecordKind<Record>::Char;

    Record Number(double value);
    Record Text(const std::string& ascii);
    Record Boolean(bool value);
    Record Error(int code);
    Record Integer(int value);
    Record Nil();
    Record Missing();
    Record Multi(std::vector<Record> elements, int rows, int columns);
    Record Ref(const xlhost::Range& range, IDSHEET sheetId);

private:
    std::deque<std::basic_string<Char>> texts_;
    std::deque<std::vector<Record>> arrays_;
    std::deque<std::vector<char>> blocks_;
};

// "Num 1.5", "Str abc", "Bool TRUE", "Err 42", "Int 12", "Nil", "Missing",
// "Multi 2x1 [Num 1; Str a]", "Ref 1 [0:1,0:1]", "SRef [0:0,2:2]"; the
// memory bits are not shown.
std::string Describe(const XLOPER& record);
std::string Describe(const XLOPER12& record);

template <class Record> int Call(int function, Record* result, std::vector<Record*> args) {
    return RecordKind<Record>::Call(function, result, std::move(args));
}

// xlFree of one record.
template <class Record> int Free(Record& record) {
    return Call<Record>(xlFree, nullptr, {&record});
}

} // namespace hosttest
