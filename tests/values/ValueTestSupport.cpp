#include "ValueTestSupport.h"

#include "xlw/XlfOper.h"
#include "xlw/XlfOper4.h"

#include <windows.h>

#include <cstdlib>
#include <iostream>
#include <map>

using xlhost::Engine;

bool ProcessIsExcel12() {
    const char* version = std::getenv(xlhost::VersionVariable);
    return std::string(version ? version : xlhost::DefaultVersion) == "12.0";
}

void ValueTest::SetUp() {
    xlw::XlfExcel::Get();
    Engine& engine = Engine::Get();
    engine.ClearFaults();
    engine.ClearCallLog();
    outstandingBefore_ = engine.OutstandingAllocations();
}

void ValueTest::TearDown() {
    Engine& engine = Engine::Get();
    engine.ClearFaults();
    std::string outstanding;
    for (const std::string& description : engine.OutstandingDescriptions())
        outstanding += description + "; ";
    EXPECT_EQ(engine.OutstandingAllocations(), outstandingBefore_) << outstanding;
    EXPECT_EQ(engine.DoubleFrees(), 0u);
    EXPECT_EQ(engine.ForeignFrees(), 0u);
}

std::vector<int> ValueTest::CalledFunctions() const {
    std::vector<int> functions;
    for (const xlhost::LoggedCall& call : Engine::Get().CallLog())
        functions.push_back(call.function);
    return functions;
}

CerrCapture::CerrCapture() : previous_(std::cerr.rdbuf(text_.rdbuf())) {}

CerrCapture::~CerrCapture() {
    std::cerr.rdbuf(previous_);
}

RawRecord RawRecord::Of(const xlw::XlfOper& oper) {
    return RawRecord(oper.GetRecord(), ProcessIsExcel12());
}

RawRecord RawRecord::Of(const xlw::XlfOper4& oper) {
    return RawRecord(oper.GetXloper(), false);
}

unsigned long RawRecord::Type() const {
    return excel12_ ? Record12().xltype : Record4().xltype;
}

double RawRecord::Number() const {
    return excel12_ ? Record12().val.num : Record4().val.num;
}

long RawRecord::Integer() const {
    return excel12_ ? Record12().val.w : Record4().val.w;
}

unsigned long RawRecord::ErrorWord() const {
    return excel12_ ? static_cast<std::uint32_t>(Record12().val.err) : Record4().val.err;
}

long RawRecord::BoolWord() const {
    return excel12_ ? Record12().val.xbool : Record4().val.xbool;
}

std::vector<unsigned long> RawRecord::StringUnits() const {
    std::vector<unsigned long> units;
    if (excel12_) {
        const XCHAR* text = Record12().val.str;
        for (unsigned long i = 0; i <= static_cast<std::uint16_t>(text[0]); ++i)
            units.push_back(static_cast<std::uint16_t>(text[i]));
    } else {
        const char* text = Record4().val.str;
        for (unsigned long i = 0; i <= static_cast<unsigned char>(text[0]); ++i)
            units.push_back(static_cast<unsigned char>(text[i]));
    }
    return units;
}

unsigned long RawRecord::Rows() const {
    return excel12_ ? static_cast<std::uint32_t>(Record12().val.array.rows)
                    : Record4().val.array.rows;
}

unsigned long RawRecord::Columns() const {
    return excel12_ ? static_cast<std::uint32_t>(Record12().val.array.columns)
                    : Record4().val.array.columns;
}

RawRecord RawRecord::Element(unsigned long row, unsigned long column) const {
    std::size_t index = row * Columns() + column;
    if (excel12_)
        return RawRecord(Record12().val.array.lparray + index, true);
    return RawRecord(Record4().val.array.lparray + index, false);
}

const void* RawRecord::StringAddress() const {
    return excel12_ ? static_cast<const void*>(Record12().val.str)
                    : static_cast<const void*>(Record4().val.str);
}

bool RawRecord::Area::operator==(const Area& other) const {
    return count == other.count && rowFirst == other.rowFirst && rowLast == other.rowLast &&
           columnFirst == other.columnFirst && columnLast == other.columnLast &&
           sheetId == other.sheetId;
}

RawRecord::Area RawRecord::Reference() const {
    if (excel12_) {
        const XLMREF12& block = *Record12().val.mref.lpmref;
        const XLREF12& area = block.reftbl[0];
        return {block.count,   area.rwFirst, area.rwLast,
                area.colFirst, area.colLast, Record12().val.mref.idSheet};
    }
    const XLMREF& block = *Record4().val.mref.lpmref;
    const XLREF& area = block.reftbl[0];
    return {block.count,   area.rwFirst, area.rwLast,
            area.colFirst, area.colLast, Record4().val.mref.idSheet};
}

std::vector<unsigned long> Units(unsigned long count, const std::string& characters) {
    std::vector<unsigned long> units{count};
    for (char c : characters)
        units.push_back(static_cast<unsigned char>(c));
    return units;
}

ExcelString::ExcelString(const std::string& ascii, bool excel12) : excel12_(excel12) {
    narrow_ = std::string(1, static_cast<char>(ascii.size())) + ascii;
    wide_ = std::wstring(1, static_cast<wchar_t>(ascii.size())) +
            std::wstring(ascii.begin(), ascii.end());
    record4_.xltype = xltypeStr;
    record4_.val.str = &narrow_[0];
    record12_.xltype = xltypeStr;
    record12_.val.str = &wide_[0];
}

std::string OmegaInAnsiCodePage() {
    const std::map<unsigned, std::string> omega = {
        {1250, "?"}, {1251, "?"},       {1252, "?"},       {1253, "\xD9"},    {1254, "?"},
        {1257, "?"}, {932, "\x83\xB6"}, {936, "\xA6\xB8"}, {949, "\xA5\xD8"}, {65001, "\xCE\xA9"}};
    auto found = omega.find(GetACP());
    return found == omega.end() ? std::string() : found->second;
}
