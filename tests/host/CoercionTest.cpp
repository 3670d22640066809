// xlCoerce against the rules Excel documents, on both record kinds. Every
// result is handed back with xlFree, and the ledger must end empty.
#include "Engine.h"
#include "TestRecords.h"

#include <gtest/gtest.h>

namespace {

using hosttest::Describe;
using hosttest::Records;
using xlhost::Cell;
using xlhost::Engine;
using xlhost::Range;

// A tiny sheet: A1 = 4.5, B1 = "x", A2 empty, B2 = TRUE, C1 = "7".
void FillSheet(Engine& engine) {
    engine.SetCell(0, 0, Cell::Number(4.5));
    engine.SetCell(0, 1, Cell::Text("x"));
    engine.SetCell(1, 1, Cell::Boolean(true));
    engine.SetCell(0, 2, Cell::Text("7"));
}

struct Source {
    enum Kind { Num, Str, Bool, Err, Int, Nil, Missing, Pair, SRef, Ref, RefElsewhere } kind;
    double number = 0;
    const char* text = "";
    Range range = {};
};

template <class Record> Record Build(Records<Record>& records, const Source& source) {
    switch (source.kind) {
    case Source::Num:
        return records.Number(source.number);
    case Source::Str:
        return records.Text(source.text);
    case Source::Bool:
        return records.Boolean(source.number != 0);
    case Source::Err:
        return records.Error(static_cast<int>(source.number));
    case Source::Int:
        return records.Integer(static_cast<int>(source.number));
    case Source::Nil:
        return records.Nil();
    case Source::Missing:
        return records.Missing();
    case Source::Pair:
        return records.Multi({records.Text(source.text), records.Number(source.number)}, 1, 2);
    case Source::SRef: {
        Record record = {};
        record.val.sref.count = 1;
        record.val.sref.ref.rwFirst =
            static_cast<decltype(record.val.sref.ref.rwFirst)>(source.range.rowFirst);
        record.val.sref.ref.rwLast =
            static_cast<decltype(record.val.sref.ref.rwLast)>(source.range.rowLast);
        record.val.sref.ref.colFirst =
            static_cast<decltype(record.val.sref.ref.colFirst)>(source.range.columnFirst);
        record.val.sref.ref.colLast =
            static_cast<decltype(record.val.sref.ref.colLast)>(source.range.columnLast);
        record.xltype = xltypeSRef;
        return record;
    }
    case Source::Ref:
        return records.Ref(source.range, Engine::Get().SheetId());
    default:
        return records.Ref(source.range, Engine::Get().SheetId() + 1);
    }
}

struct CoercionCase {
    const char* rule;
    Source source;
    int target;             // 0: no target argument, Excel's default
    const char* expected4;  // "fail" for a non-zero return code
    const char* expected12; // nullptr: as expected4
};

constexpr int NumOrStr = xltypeNum | xltypeStr;
constexpr int BoolOrNum = xltypeBool | xltypeNum;

const CoercionCase Cases[] = {
    {"number to text, General format", {Source::Num, 1.5}, xltypeStr, "Str 1.5", nullptr},
    {"whole number to text", {Source::Num, 100}, xltypeStr, "Str 100", nullptr},
    {"large number to text uses E+", {Source::Num, 1e20}, xltypeStr, "Str 1E+20", nullptr},
    {"fifteen significant digits",
     {Source::Num, 1.0 / 3},
     xltypeStr,
     "Str 0.333333333333333",
     nullptr},
    {"version text to integer", {Source::Str, 0, "12.0"}, xltypeInt, "Int 12", nullptr},
    {"numeric text with blanks", {Source::Str, 0, " 3.25 "}, xltypeNum, "Num 3.25", nullptr},
    {"exponent text", {Source::Str, 0, "1e3"}, xltypeNum, "Num 1000", nullptr},
    {"non-numeric text fails", {Source::Str, 0, "abc"}, xltypeNum, "fail", nullptr},
    {"empty text is no number", {Source::Str, 0, ""}, xltypeNum, "fail", nullptr},
    {"hexadecimal is no number", {Source::Str, 0, "0x10"}, xltypeNum, "fail", nullptr},
    {"TRUE is 1", {Source::Bool, 1}, xltypeNum, "Num 1", nullptr},
    {"FALSE is 0", {Source::Bool, 0}, xltypeNum, "Num 0", nullptr},
    {"boolean to text", {Source::Bool, 1}, xltypeStr, "Str TRUE", nullptr},
    {"text true in any case", {Source::Str, 0, "true"}, xltypeBool, "Bool TRUE", nullptr},
    {"zero is FALSE", {Source::Num, 0}, xltypeBool, "Bool FALSE", nullptr},
    {"non-zero is TRUE", {Source::Num, -2}, xltypeBool, "Bool TRUE", nullptr},
    {"error to number fails", {Source::Err, xlerrNA}, xltypeNum, "fail", nullptr},
    {"error stays an error", {Source::Err, xlerrNA}, xltypeErr, "Err 42", nullptr},
    {"empty to number is 0", {Source::Nil}, xltypeNum, "Num 0", nullptr},
    {"empty to text is empty", {Source::Nil}, xltypeStr, "Str ", nullptr},
    {"missing to number is 0", {Source::Missing}, xltypeNum, "Num 0", nullptr},
    {"integer to number", {Source::Int, 7}, xltypeNum, "Num 7", nullptr},
    {"integer truncates toward zero", {Source::Num, 2.9}, xltypeInt, "Int 2", nullptr},
    {"negative truncates toward zero", {Source::Num, -2.9}, xltypeInt, "Int -2", nullptr},
    {"16-bit integers only in Excel 4", {Source::Num, 40000}, xltypeInt, "fail", "Int 40000"},
    {"a type in the mask is kept", {Source::Num, 5}, NumOrStr, "Num 5", nullptr},
    {"text in the mask is kept", {Source::Str, 0, "5"}, NumOrStr, "Str 5", nullptr},
    {"number preferred among targets", {Source::Str, 0, "5"}, BoolOrNum, "Num 5", nullptr},
    {"scalar to array", {Source::Num, 3}, xltypeMulti, "Multi 1x1 [Num 3]", nullptr},
    {"array to value takes the first", {Source::Pair, 2, "8"}, xltypeNum, "Num 8", nullptr},
    {"no target leaves a value alone", {Source::Str, 0, "5"}, 0, "Str 5", nullptr},
    {"one cell gives its value", {Source::SRef, 0, "", {0, 0, 0, 0}}, 0, "Num 4.5", nullptr},
    {"one cell through a Ref", {Source::Ref, 0, "", {0, 0, 0, 0}}, 0, "Num 4.5", nullptr},
    {"empty cell is Nil", {Source::SRef, 0, "", {1, 1, 0, 0}}, 0, "Nil", nullptr},
    {"empty cell as a number is 0",
     {Source::SRef, 0, "", {1, 1, 0, 0}},
     xltypeNum,
     "Num 0",
     nullptr},
    {"cell text to number fails", {Source::SRef, 0, "", {0, 0, 1, 1}}, xltypeNum, "fail", nullptr},
    {"cell numeric text to number",
     {Source::Ref, 0, "", {0, 0, 2, 2}},
     xltypeNum,
     "Num 7",
     nullptr},
    {"range gives an array",
     {Source::Ref, 0, "", {0, 1, 0, 1}},
     0,
     "Multi 2x2 [Num 4.5; Str x; Nil; Bool TRUE]",
     nullptr},
    {"sheet reference to a full one",
     {Source::SRef, 0, "", {0, 0, 2, 2}},
     xltypeRef,
     "Ref sheet [0:0,2:2]",
     nullptr},
    {"full reference to a sheet one",
     {Source::Ref, 0, "", {0, 1, 0, 1}},
     xltypeSRef,
     "SRef [0:1,0:1]",
     nullptr},
    {"another sheet fails",
     {Source::RefElsewhere, 0, "", {0, 0, 0, 0}},
     xltypeNum,
     "fail",
     nullptr},
};

template <class Record> class CoercionTest : public ::testing::Test {
protected:
    void SetUp() override {
        Engine::Get().Reset();
        FillSheet(Engine::Get());
    }
};

using RecordKinds = ::testing::Types<XLOPER, XLOPER12>;
TYPED_TEST_SUITE(CoercionTest, RecordKinds);

TYPED_TEST(CoercionTest, FollowsExcelsRulesAndReturnsEveryAllocation) {
    using Record = TypeParam;
    const bool excel4 = hosttest::RecordKind<Record>::Number == 4;
    for (const CoercionCase& rule : Cases) {
        SCOPED_TRACE(rule.rule);
        Records<Record> records;
        Record source = Build(records, rule.source);
        Record target = records.Integer(rule.target);
        Record result = records.Nil();
        std::vector<Record*> args = {&source};
        if (rule.target != 0) {
            args.push_back(&target);
        }
        const int code = hosttest::Call<Record>(xlCoerce, &result, args);
        const std::string expected =
            excel4 || rule.expected12 == nullptr ? rule.expected4 : rule.expected12;
        if (expected == "fail") {
            EXPECT_NE(code, xlretSuccess);
            EXPECT_EQ(Describe(result), "Nil") << "a failed coercion leaves the result alone";
        } else {
            EXPECT_EQ(code, xlretSuccess);
            EXPECT_EQ(Describe(result), expected);
            EXPECT_EQ(hosttest::Free(result), xlretSuccess);
        }
        EXPECT_EQ(Engine::Get().OutstandingAllocations(), 0u);
    }
    EXPECT_EQ(Engine::Get().DoubleFrees(), 0u);
    EXPECT_EQ(Engine::Get().ForeignFrees(), 0u);
}

TYPED_TEST(CoercionTest, ExcelTruncatesLongTextToTheRecordsLimit) {
    using Record = TypeParam;
    const std::size_t limit = hosttest::RecordKind<Record>::Number == 4 ? 255 : 32767;
    Engine::Get().SetCell(5, 5, Cell::Text(std::string(40000, 'a')));
    Records<Record> records;
    Record source = Build(records, Source{Source::SRef, 0, "", {5, 5, 5, 5}});
    Record target = records.Integer(xltypeStr);
    Record result = records.Nil();
    ASSERT_EQ(hosttest::Call<Record>(xlCoerce, &result, {&source, &target}), xlretSuccess);
    ASSERT_EQ(result.xltype, xltypeStr);
    using Char = typename hosttest::RecordKind<Record>::Char;
    EXPECT_EQ(static_cast<std::size_t>(static_cast<std::make_unsigned_t<Char>>(result.val.str[0])),
              limit);
    EXPECT_EQ(hosttest::Free(result), xlretSuccess);
}

} // namespace
