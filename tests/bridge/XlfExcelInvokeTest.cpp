#include "BridgeHost.h"

#include <gtest/gtest.h>

#include <string>

using namespace xlw;
using xlhost::Engine;

namespace {

enum class Form { Variadic, Array };

// The three ways into Excel: always Excel 4, always Excel 12, and the one
// that follows the bound version. Every row passes two argument slots; the
// callee reads only `count` of them.
int Call(XLOPER* result, int xlfn, int count, XLOPER** args, Form form) {
    const XlfExcel& excel = XlfExcel::Get();
    return form == Form::Array ? excel.InvokeArray4(xlfn, result, count, args)
                               : excel.Invoke4(xlfn, result, count, args[0], args[1]);
}

int Call(XLOPER12* result, int xlfn, int count, XLOPER12** args, Form form) {
    const XlfExcel& excel = XlfExcel::Get();
    return form == Form::Array ? excel.InvokeArray12(xlfn, result, count, args)
                               : excel.Invoke12(xlfn, result, count, args[0], args[1]);
}

template <class Record>
int CallByVersion(Record* result, int xlfn, int count, Record** args, Form form) {
    const XlfExcel& excel = XlfExcel::Get();
    void* untyped[] = {args[0], args[1]};
    return form == Form::Array ? excel.InvokeArray(xlfn, result, count, untyped)
                               : excel.Invoke(xlfn, result, count, args[0], args[1]);
}

template <class Record> Record Number(double value) {
    Record record{};
    record.xltype = xltypeNum;
    record.val.num = value;
    return record;
}

template <class Record> Record Integer(int value) {
    Record record{};
    record.xltype = xltypeInt;
    record.val.w = value;
    return record;
}

// Runs the table of results on one path; a result marked as Excel's goes back
// through xlFree on the same path, so a missing mark shows as a leak.
template <class Record>
void ExpectMarkedResults(int (*call)(Record*, int, int, Record**, Form), int expectedKind) {
    Engine& engine = Engine::Get();
    engine.ResetLedger();
    Record value = Number<Record>(3.0);
    const struct {
        const char* name;
        int xlfn;
        int targetType; // 0: no arguments
        unsigned expectedType;
    } cases[] = {
        {"string", xlGetName, 0, 0x8002},
        {"number", xlCoerce, xltypeNum, 0x0001},
        {"integer", xlCoerce, xltypeInt, 0x8800},
        {"boolean", xlCoerce, xltypeBool, 0x0004},
        {"number as string", xlCoerce, xltypeStr, 0x8002},
    };
    for (Form form : {Form::Variadic, Form::Array}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (form == Form::Array ? " array" : " variadic"));
            Record target = Integer<Record>(c.targetType);
            Record* args[] = {&value, &target};
            Record result{};
            EXPECT_EQ(call(&result, c.xlfn, c.targetType ? 2 : 0, args, form), xlretSuccess);
            EXPECT_EQ(result.xltype, c.expectedType);
            ASSERT_FALSE(engine.CallLog().empty());
            EXPECT_EQ(engine.CallLog().back().recordKind, expectedKind);
            if (result.xltype & ExcelAllocatedBit) {
                result.xltype &= ~ExcelAllocatedBit;
                Record* freed[] = {&result, nullptr};
                EXPECT_EQ(call(nullptr, xlFree, 1, freed, form), xlretSuccess);
            }
        }
    }
    EXPECT_EQ(engine.OutstandingAllocations(), 0u);
    EXPECT_EQ(engine.DoubleFrees(), 0u);
    EXPECT_EQ(engine.ForeignFrees(), 0u);
}

} // namespace

TEST(XlfExcelInvoke, Excel4PathMarksResultsHoldingExcelMemory) {
    ExpectMarkedResults<XLOPER>(Call, 4);
}

TEST(XlfExcelInvoke, Excel12PathMarksResultsHoldingExcelMemory) {
    ExpectMarkedResults<XLOPER12>(Call, 12);
}

TEST(XlfExcelInvoke, BoundVersionChoosesThePath) {
    if (XlfExcel::Get().IsExcel12())
        ExpectMarkedResults<XLOPER12>(CallByVersion<XLOPER12>, 12);
    else
        ExpectMarkedResults<XLOPER>(CallByVersion<XLOPER>, 4);
}

TEST(XlfExcelInvoke, ReturnCodePassesUnchangedAndMarkingDoesNotDependOnIt) {
    Engine& engine = Engine::Get();
    engine.InjectFault(xlGetName, xlretUncalced);
    XLOPER result4{};
    result4.xltype = xltypeMulti;
    EXPECT_EQ(XlfExcel::Get().Invoke4(xlGetName, &result4, 0), xlretUncalced);
    EXPECT_EQ(result4.xltype, xltypeMulti | ExcelAllocatedBit);
    XLOPER12 result12{};
    result12.xltype = xltypeRef;
    EXPECT_EQ(XlfExcel::Get().Invoke12(xlGetName, &result12, 0), xlretUncalced);
    EXPECT_EQ(result12.xltype, xltypeRef | ExcelAllocatedBit);
    engine.ClearFaults();
    // No result record: nothing to mark, and nothing to crash on.
    EXPECT_EQ(XlfExcel::Get().Invoke4(xlGetName, nullptr, 0), xlretSuccess);
}

TEST(Excel12Forwarder, RefusesArgumentCountsOutsideExcels) {
    Engine& engine = Engine::Get();
    engine.ClearCallLog();
    XLOPER12 result{};
    EXPECT_EQ(Excel12(xlGetName, &result, -1), xlretInvCount);
    EXPECT_EQ(Excel12(xlGetName, &result, 256), xlretInvCount);
    EXPECT_TRUE(engine.CallLog().empty());

    XLOPER12 value = Number<XLOPER12>(2.0);
    XLOPER12 target = Integer<XLOPER12>(xltypeInt);
    EXPECT_EQ(Excel12(xlCoerce, &result, 2, &value, &target), xlretSuccess);
    EXPECT_EQ(result.xltype, static_cast<unsigned>(xltypeInt));
    EXPECT_EQ(result.val.w, 2);
}
