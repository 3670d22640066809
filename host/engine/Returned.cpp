#include "Returned.h"

#include "Records.h"
#include "Text.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <cwchar>

namespace xlhost {

namespace {

template <class Record> Returned Read(const Record* record) {
    Returned returned;
    if (record == nullptr) {
        returned.kind = Returned::Kind::Null;
    } else if (!ReadValue(*record, returned.value)) {
        returned.kind = Returned::Kind::Unreadable;
    }
    return returned;
}

Returned Scalar(const Cell& cell) {
    Returned returned;
    returned.value = Value::Scalar(cell);
    return returned;
}

// A text result counted in its first character, read as a string record
// would be: a zero character inside ends it, as Excel shows cell texts.
template <class Record, class Char> Returned CountedText(const Char* counted) {
    Record record = {};
    record.val.str = const_cast<Char*>(counted);
    record.xltype = xltypeStr;
    return Read(&record);
}

template <class Record> bool HandBackRecord(void* module, Record* record, const char* autoFree) {
    using AutoFree = void(XLW_STDCALL*)(Record*);
    const auto procedure = reinterpret_cast<AutoFree>(
        reinterpret_cast<void (*)()>(GetProcAddress(static_cast<HMODULE>(module), autoFree)));
    if (procedure == nullptr) {
        return false;
    }
    procedure(record);
    return true;
}

} // namespace

Returned Returned::Of(const XLOPER* record) {
    return Read(record);
}
Returned Returned::Of(const XLOPER12* record) {
    return Read(record);
}

Returned CallForScalar(const std::string& code, Procedure procedure, const CallFrame& frame) {
    if (code == "B") {
        return Scalar(Cell::Number(frame.CallForDouble(procedure)));
    }
    const std::uintptr_t word = frame.CallForWord(procedure);
    if (code == "J") {
        return Scalar(Cell::Number(static_cast<std::int32_t>(word)));
    }
    if (code == "A") {
        return Scalar(Cell::Boolean(static_cast<std::int16_t>(word) != 0));
    }
    if (word == 0) {
        Returned null;
        null.kind = Returned::Kind::Null;
        return null;
    }
    if (code == "L") {
        return Scalar(Cell::Boolean(*reinterpret_cast<const std::int16_t*>(word) != 0));
    }
    if (code == "C") {
        const auto* text = reinterpret_cast<const char*>(word);
        return Scalar(Cell::Text(Latin1ToUtf8(text, std::strlen(text))));
    }
    if (code == "C%") {
        const auto* text = reinterpret_cast<const wchar_t*>(word);
        return Scalar(Cell::Text(Utf16ToUtf8(text, std::wcslen(text))));
    }
    if (code == "D") {
        return CountedText<XLOPER>(reinterpret_cast<const char*>(word));
    }
    return CountedText<XLOPER12>(reinterpret_cast<const XCHAR*>(word));
}

bool HandBack(void* module, XLOPER* record, const char* autoFree) {
    return HandBackRecord(module, record, autoFree);
}
bool HandBack(void* module, XLOPER12* record, const char* autoFree) {
    return HandBackRecord(module, record, autoFree);
}

} // namespace xlhost
