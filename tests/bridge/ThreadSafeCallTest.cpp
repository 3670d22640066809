// The frame of a thread-safe call: under Excel 12 records each result owns
// its memory, marked xlbitDLLFree, and the shared temporary memory is never
// touched; under Excel 4 records the call is an ordinary one.
#include "BridgeHost.h"
#include "LargeArrayAllocations.h"
#include "xlw/OwnedResult.h"
#include "xlw/WorksheetCall.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace xlw;

namespace {

void* ThreadSafeCall(const std::function<XlfOper()>& compute) {
    return ThreadSafeWorksheetCall([&] { return compute(); });
}

std::wstring TextOf(const XLOPER12& record) {
    return std::wstring(record.val.str + 1, record.val.str + 1 + record.val.str[0]);
}

unsigned BaseType(const XLOPER12& record) {
    return record.xltype & ~(xlbitXLFree | xlbitDLLFree);
}

// The shared memory as a call found it: any record built there moves it.
struct SharedTempState {
    explicit SharedTempState(const TempMemory& memory)
        : offset(memory.Offset()), blocks(memory.BlockCapacities()) {}
    bool operator==(const SharedTempState& other) const {
        return offset == other.offset && blocks == other.blocks;
    }
    unsigned offset;
    std::vector<unsigned> blocks;
};

CellMatrix Numbered(unsigned rows, unsigned columns, double first) {
    CellMatrix cells(rows, columns);
    for (unsigned i = 0; i < rows; ++i)
        for (unsigned j = 0; j < columns; ++j)
            cells(i, j) = CellValue(first + i * columns + j);
    return cells;
}

// Whether an array record holds Numbered(rows, columns, first).
bool HoldsNumbered(const XLOPER12& record, unsigned rows, unsigned columns, double first) {
    if (BaseType(record) != xltypeMulti || record.val.array.rows != static_cast<int>(rows) ||
        record.val.array.columns != static_cast<int>(columns))
        return false;
    for (unsigned k = 0; k < rows * columns; ++k) {
        const XLOPER12& element = record.val.array.lparray[k];
        if (element.xltype != xltypeNum || element.val.num != first + k)
            return false;
    }
    return true;
}

class ThreadSafeCallTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ProcessIsExcel12())
            GTEST_SKIP() << "Excel 4 records have no thread-safe calls";
        XlfExcel::Get().TempAlloc(16); // the shared memory holds something
    }
};

} // namespace

// Every way a computation can end, each in memory of its own.
TEST_F(ThreadSafeCallTest, EveryKindOfResultOwnsItsMemory) {
    const struct {
        const char* what;
        std::function<XlfOper()> compute;
        unsigned type;
        std::function<bool(const XLOPER12&)> holds;
    } cases[] = {
        {"a number", [] { return XlfOper(2.5); }, xltypeNum,
         [](const XLOPER12& r) { return r.val.num == 2.5; }},
        {"a text", [] { return XlfOper("owned"); }, xltypeStr,
         [](const XLOPER12& r) { return TextOf(r) == L"owned"; }},
        {"an array", [] { return XlfOper(Numbered(3, 2, 10)); }, xltypeMulti,
         [](const XLOPER12& r) { return HoldsNumbered(r, 3, 2, 10); }},
        {"an error", [] { return XlfOper::MakeError(xlerrNA); }, xltypeErr,
         [](const XLOPER12& r) { return r.val.err == xlerrNA; }},
        {"a thrown std::exception",
         []() -> XlfOper { throw std::runtime_error("d must be positive"); }, xltypeStr,
         [](const XLOPER12& r) { return TextOf(r) == L"d must be positive"; }},
        {"a thrown value of no known kind", []() -> XlfOper { throw 7; }, xltypeErr,
         [](const XLOPER12& r) { return r.val.err == xlerrValue; }},
    };
    const TempMemory& shared = XlfExcel::Get().SharedTemp();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const SharedTempState before(shared);
        auto* record = static_cast<XLOPER12*>(ThreadSafeCall(c.compute));
        ASSERT_NE(record, nullptr);
        EXPECT_TRUE(SharedTempState(shared) == before) << "the shared memory was used";
        EXPECT_EQ(record->xltype & xlbitDLLFree, xlbitDLLFree);
        EXPECT_EQ(BaseType(*record), c.type);
        EXPECT_TRUE(c.holds(*record));
        OwnedResult::Free(record);
    }
    EXPECT_EQ(ThreadSafeCall([]() -> XlfOper { throw XlfException("no value"); }), nullptr)
        << "the framework's own exceptions show #NUM!";
}

// The memory goes with the result: alive until xlAutoFree12, gone after.
TEST_F(ThreadSafeCallTest, ALargeResultsMemoryLastsUntilItIsFreed) {
    const std::size_t before = largearrays::LiveBytes();
    auto* record =
        static_cast<XLOPER12*>(ThreadSafeCall([] { return XlfOper(Numbered(1000, 90, 0)); }));
    const std::wstring t = BaseType(*record) == xltypeStr ? TextOf(*record) : L"";
    ASSERT_TRUE(HoldsNumbered(*record, 1000, 90, 0)) << std::string(t.begin(), t.end());
    EXPECT_GE(largearrays::LiveBytes(), before + 1000 * 90 * sizeof(XLOPER12));
    OwnedResult::Free(record);
    EXPECT_EQ(largearrays::LiveBytes(), before);
    // Nothing left from a call whose result is null either.
    EXPECT_EQ(ThreadSafeCall([]() -> XlfOper {
                  XlfOper(Numbered(1000, 90, 0));
                  throw XlfException("dropped");
              }),
              nullptr);
    EXPECT_EQ(largearrays::LiveBytes(), before);
}

// Eight threads at once, each checking every result it gets against what it
// built, while the main thread keeps calling with the shared memory. The
// frame is ThreadSafeWorksheetCall, or WorksheetCall in a function
// registered thread-safe, which owns its results off the main thread alone.
TEST_F(ThreadSafeCallTest, ConcurrentCallsKeepTheirOwnResults) {
    using Frame = void* (*)(std::function<XlfOper()>);
    const struct {
        const char* name;
        Frame frame;
    } frames[] = {
        {"ThreadSafeWorksheetCall",
         [](std::function<XlfOper()> compute) { return ThreadSafeWorksheetCall(compute); }},
        {"WorksheetCall", [](std::function<XlfOper()> compute) { return WorksheetCall(compute); }},
    };
    for (const auto& f : frames) {
        SCOPED_TRACE(f.name);
        std::atomic<int> wrong{0};
        std::vector<std::thread> threads;
        for (unsigned t = 0; t < 8; ++t)
            threads.emplace_back([t, &wrong, &f] {
                for (unsigned call = 0; call < 200; ++call) {
                    const unsigned rows = 1 + (t * 7 + call) % 40;
                    const double first = t * 1e6 + call * 1e3;
                    auto* record = static_cast<XLOPER12*>(
                        f.frame([&] { return XlfOper(Numbered(rows, 3, first)); }));
                    if (!HoldsNumbered(*record, rows, 3, first) ||
                        (record->xltype & xlbitDLLFree) == 0)
                        ++wrong;
                    OwnedResult::Free(record);
                }
            });
        int wrongOnMainThread = 0;
        for (unsigned call = 0; call < 400; ++call) {
            const unsigned rows = 1 + call % 40;
            auto* record = static_cast<XLOPER12*>(
                WorksheetCall([&] { return XlfOper(Numbered(rows, 2, -1e3 * call)); }));
            if (!HoldsNumbered(*record, rows, 2, -1e3 * call) ||
                (record->xltype & xlbitDLLFree) != 0)
                ++wrongOnMainThread;
        }
        for (std::thread& thread : threads)
            thread.join();
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(wrongOnMainThread, 0) << "the main thread's calls use the shared memory";
    }
}

// A small result is computed even in the wizard; above 4096 cells the call
// looks, and only inside a thread-safe call: elsewhere the frame looked.
TEST_F(ThreadSafeCallTest, OnlyALargeResultIsSkippedInTheWizard) {
    xlhost::Engine& engine = xlhost::Engine::Get();
    const auto asked = [](double cells) {
        bool skipped = false;
        OwnedResult::Free(ThreadSafeCall([&] {
            skipped = WizardPreviewOnly(cells);
            return XlfOper(0.0);
        }));
        return skipped;
    };
    engine.SetFunctionWizard(true);
    EXPECT_FALSE(asked(WizardFreeCells));
    EXPECT_TRUE(asked(WizardFreeCells + 1));
    EXPECT_FALSE(WizardPreviewOnly(1e9)) << "outside a thread-safe call";
    engine.SetFunctionWizard(false);
    EXPECT_FALSE(asked(1e9));
}

TEST(ThreadSafeCallExcel4, IsAnOrdinaryCall) {
    if (ProcessIsExcel12())
        GTEST_SKIP() << "Excel 12 records run thread-safe calls";
    XlfExcel& excel = XlfExcel::Get();
    auto* record = static_cast<XLOPER*>(ThreadSafeWorksheetCall([] { return XlfOper(2.5); }));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->xltype, xltypeNum) << "no ownership bit";
    EXPECT_EQ(record->val.num, 2.5);
    EXPECT_GT(excel.SharedTemp().Offset(), 0u) << "built in the shared memory";
    xlhost::Engine::Get().SetFunctionWizard(true);
    auto* inWizard = static_cast<XLOPER*>(ThreadSafeWorksheetCall([] { return XlfOper(2.5); }));
    xlhost::Engine::Get().SetFunctionWizard(false);
    EXPECT_EQ(inWizard->xltype, xltypeBool) << "the frame answers TRUE in the wizard";
}
