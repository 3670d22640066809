// Who gives Excel's memory back, and the services built on the handles, as
// the stand-in records them.
#include "ValueTestSupport.h"

#include "xlw/XlfOper.h"
#include "xlw/XlfOper4.h"

#include <type_traits>

using namespace xlw;
using xlhost::Cell;
using xlhost::Engine;

namespace {

using OwnershipTest = ValueTest;

// A string that Excel allocated: the coercion of 2.5 to text.
void CoerceToExcelString(void* result) {
    XlfOper number(2.5);
    XlfOper type(static_cast<short>(xltypeStr));
    ASSERT_EQ(XlfExcel::Get().Invoke(xlCoerce, result, 2, number.GetRecord(), type.GetRecord()), 0);
}

std::size_t FreeCalls() {
    std::size_t frees = 0;
    for (const xlhost::LoggedCall& call : Engine::Get().CallLog())
        frees += call.function == xlFree;
    return frees;
}

TEST_F(OwnershipTest, TwoHandlesOnOneExcelRecordFreeItOnce) {
    {
        XlfOper result;
        CoerceToExcelString(result.GetRecord());
        ASSERT_EQ(result.GetType(), 0x8002u);
        const std::size_t outstanding = Engine::Get().OutstandingAllocations();
        { XlfOper copy(result); }
        EXPECT_EQ(result.GetType(), 0x0002u);
        EXPECT_EQ(Engine::Get().OutstandingAllocations(), outstanding - 1);
    }
    EXPECT_EQ(FreeCalls(), 1u);
}

TEST_F(OwnershipTest, TwoExcel4HandlesOnOneExcelRecordFreeItOnce) {
    {
        XlfOper4 result;
        XlfOper4 number(2.5);
        XlfOper4 type(static_cast<unsigned short>(xltypeStr));
        ASSERT_EQ(XlfExcel::Get().Invoke4(xlCoerce, result.GetXloper(), 2, number.GetXloper(),
                                          type.GetXloper()),
                  0);
        ASSERT_EQ(result.GetType(), 0x8002u);
        XlfOper4 other;
        other = result;
        other = other;
        EXPECT_EQ(other.GetXloper(), result.GetXloper());
    }
    EXPECT_EQ(FreeCalls(), 1u);
}

// Re-pointing an XlfOper would drop what Excel allocated in its record
// without xlFree; handles are made, never re-assigned.
static_assert(!std::is_copy_assignable<XlfOper>::value, "XlfOper has no assignment");

TEST_F(OwnershipTest, AssigningOverAnExcel4HandleFreesWhatExcelAllocatedInIt) {
    Engine& engine = Engine::Get();
    const std::size_t outstanding = engine.OutstandingAllocations();
    XlfOper4 number(2.5);
    XlfOper4 held;
    ASSERT_EQ(number.Coerce(xltypeStr, held), 0);
    ASSERT_EQ(held.GetType(), 0x8002u);
    XlfOper4 sharer(held);
    // The same record again: nothing to give back.
    held = sharer;
    EXPECT_EQ(FreeCalls(), 0u);
    held = number;
    EXPECT_EQ(held.GetXloper(), number.GetXloper());
    EXPECT_EQ(FreeCalls(), 1u);
    EXPECT_EQ(engine.OutstandingAllocations(), outstanding);
    // The bit went with the first release: the sharer frees nothing more.
    EXPECT_EQ(sharer.GetType(), 0x0002u);
}

TEST_F(OwnershipTest, ArraysThatExcelAllocatedAreFreedToo) {
    Engine& engine = Engine::Get();
    engine.SetCell(0, 0, Cell::Number(1.0));
    engine.SetCell(0, 1, Cell::Text("b"));
    {
        XlfOper reference;
        reference.SetRef(XlfRangeRef(0, 0, 0, 1, engine.SheetId()));
        XlfOper type(static_cast<short>(xltypeMulti));
        XlfOper array;
        ASSERT_EQ(XlfExcel::Get().Invoke(xlCoerce, array.GetRecord(), 2, reference.GetRecord(),
                                         type.GetRecord()),
                  0);
        EXPECT_EQ(array.GetType(), 0x8040u);
    }
    EXPECT_EQ(FreeCalls(), 1u);
    engine.ClearSheet();
}

TEST_F(OwnershipTest, ARefusedFreeIsReportedOnceAndNotRetried) {
    XlfOper result;
    CoerceToExcelString(result.GetRecord());
    XlfOper4 result4;
    XlfOper4 number(2.5);
    XlfOper4 type(static_cast<unsigned short>(xltypeStr));
    XlfExcel::Get().Invoke4(xlCoerce, result4.GetXloper(), 2, number.GetXloper(), type.GetXloper());
    Engine::Get().InjectFault(xlFree, xlretFailed);
    {
        CerrCapture cerr;
        {
            XlfOper copy(result);
            XlfOper4 copy4(result4);
        }
        EXPECT_EQ(cerr.Text(),
                  "..\\..\\src\\XlfOper4(81): Call to xlFree failed\n" +
                      std::string(ProcessIsExcel12() ? "..\\..\\src\\XlfOperImpl12(77): "
                                                     : "..\\..\\src\\XlfOperImpl4(78): ") +
                      "Call to xlFree failed\n");
    }
    Engine::Get().ClearFaults();
    // The marks are gone, so the handles leave the strings to the test.
    EXPECT_EQ(XlfExcel::Get().Invoke(xlFree, nullptr, 1, result.GetRecord()), 0);
    EXPECT_EQ(XlfExcel::Get().Invoke4(xlFree, nullptr, 1, result4.GetXloper()), 0);
}

using ServicesTest = ValueTest;

TEST_F(ServicesTest, ModuleNameIsTheAddInPath) {
    EXPECT_EQ(XlfExcel::Get().ModuleName(), Engine::Get().AddInPath());
    EXPECT_EQ(CalledFunctions(), (std::vector<int>{xlGetName, xlFree}));

    Engine::Get().InjectFault(xlGetName, xlretFailed);
    CerrCapture cerr;
    EXPECT_EQ(XlfExcel::Get().ModuleName(), "");
    EXPECT_EQ(cerr.Text(), "..\\..\\src\\XlfExcel(181): Could not get DLL name\n");
}

TEST_F(ServicesTest, StatusMessagesShowAndClear) {
    Engine& engine = Engine::Get();
    XlfExcel::Get().ShowStatus("Working");
    // Under Excel 4 the counted zero byte ends the text, as in Excel.
    const std::string shown = "Working";
    EXPECT_EQ(engine.StatusBar(), shown);
    ASSERT_EQ(engine.CallLog().size(), 1u);
    EXPECT_EQ(engine.CallLog()[0].function, xlcMessage);
    EXPECT_EQ(engine.CallLog()[0].arguments,
              (std::vector<Cell>{Cell::Boolean(true), Cell::Text(shown)}));

    XlfExcel::Get().ShowStatus(nullptr);
    EXPECT_EQ(engine.StatusBar(), std::nullopt);
    ASSERT_EQ(engine.CallLog().size(), 2u);
    EXPECT_EQ(engine.CallLog()[1].arguments, std::vector<Cell>{Cell::Boolean(false)});
}

TEST_F(ServicesTest, BreakRequestedReportsAndClearsTheBreak) {
    Engine& engine = Engine::Get();
    EXPECT_FALSE(XlfExcel::Get().BreakRequested());
    engine.SetBreak(true);
    EXPECT_TRUE(XlfExcel::Get().BreakRequested());
    EXPECT_FALSE(engine.BreakPending());
    for (const xlhost::LoggedCall& call : engine.CallLog()) {
        EXPECT_EQ(call.function, xlAbort);
        EXPECT_EQ(call.arguments, std::vector<Cell>{Cell::Boolean(false)});
    }
}

} // namespace
