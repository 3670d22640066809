#include "CommittedMemory.h"
#include "LargeArrayAllocations.h"
#include "xlw/XlfExcel.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <new>
#include <vector>

using namespace xlw;
using Capacities = std::vector<unsigned int>;

namespace {

XlfExcel& EmptiedExcel() {
    XlfExcel& excel = XlfExcel::Get();
    excel.ReleaseTemp(true);
    return excel;
}

constexpr std::size_t MiB = std::size_t(1) << 20;

} // namespace

TEST(TempMemory, FirstRequestOpensAn8192ByteBlock) {
    XlfExcel& excel = EmptiedExcel();
    EXPECT_TRUE(excel.SharedTemp().BlockCapacities().empty());
    char* first = excel.TempAlloc(16);
    EXPECT_EQ(excel.SharedTemp().BlockCapacities(), Capacities{8192});
    EXPECT_EQ(excel.SharedTemp().Offset(), 16u);
    EXPECT_EQ(excel.TempAlloc(16), first + 16);
}

TEST(TempMemory, RequestFitsOnlyStrictlyBelowTheCapacity) {
    XlfExcel& excel = EmptiedExcel();
    char* start = excel.TempAlloc(8000);
    EXPECT_EQ(excel.TempAlloc(191), start + 8000); // 8000 + 191 < 8192
    EXPECT_EQ(excel.SharedTemp().Offset(), 8191u);

    EmptiedExcel();
    excel.TempAlloc(8000);
    char* grown = excel.TempAlloc(192); // 8000 + 192 is not below 8192
    EXPECT_EQ(excel.SharedTemp().BlockCapacities(), (Capacities{12288, 8192}));
    EXPECT_EQ(excel.SharedTemp().Offset(), 192u);
    // The new block starts over: the next request follows directly.
    EXPECT_EQ(excel.TempAlloc(8), grown + 192);
}

TEST(TempMemory, ARequestThatDoesNotFitTakesOneLadderStepBigEnoughForIt) {
    XlfExcel& excel = EmptiedExcel();
    // 8192 * 1.5^k: 8192, 12288, 18432, 27648, the first above 20000. The
    // steps below it would never be used and are not taken.
    excel.TempAlloc(20000);
    EXPECT_EQ(excel.SharedTemp().BlockCapacities(), Capacities{27648});
    excel.TempAlloc(8);
    // 20008 + 30000 is past 27648; the next steps are 41472 and 62208.
    excel.TempAlloc(30000);
    EXPECT_EQ(excel.SharedTemp().BlockCapacities(), (Capacities{41472, 27648}));
    char* newest = excel.TempAlloc(50000);
    EXPECT_EQ(excel.SharedTemp().BlockCapacities(), (Capacities{62208, 41472, 27648}));
    excel.ReleaseTemp(false);
    EXPECT_EQ(excel.SharedTemp().BlockCapacities(), Capacities{62208});
    EXPECT_EQ(excel.SharedTemp().Offset(), 0u);
    EXPECT_EQ(excel.TempAlloc(8), newest);

    excel.ReleaseTemp(true);
    EXPECT_TRUE(excel.SharedTemp().BlockCapacities().empty());
    excel.ReleaseTemp(true);
    EXPECT_EQ(excel.SharedTemp().Offset(), 0u);
}

TEST(TempMemory, ALargeRequestGetsABlockOfItsOwnKeptForOneMoreCallAtMost) {
    XlfExcel& excel = EmptiedExcel();
    const unsigned large = XlfExcel::LargeTempRequest;
    char* small = excel.TempAlloc(16);
    char* block = excel.TempAlloc(4 * large);
    EXPECT_EQ(excel.SharedTemp().LargeBlockCapacities(), Capacities{4 * large});
    // The ladder block goes on where it was.
    EXPECT_EQ(excel.SharedTemp().BlockCapacities(), Capacities{8192});
    EXPECT_EQ(excel.TempAlloc(16), small + 16);
    block[0] = 'a';
    block[4 * large - 1] = 'z';

    // Calls of steady size reuse the block; one of half its size still does.
    for (unsigned request : {4 * large, 4 * large - 8, 2 * large}) {
        SCOPED_TRACE(request);
        excel.ReleaseTemp(false);
        EXPECT_EQ(excel.SharedTemp().SpareBlockCapacity(), 4 * large);
        EXPECT_EQ(excel.SharedTemp().BlockCapacities(), Capacities{8192});
        EXPECT_EQ(excel.TempAlloc(request), block);
        EXPECT_EQ(excel.SharedTemp().SpareBlockCapacity(), 0u);
    }
    // Less than half of it, or more than all of it: a new block of the
    // request's size, the spare freed before it is taken.
    for (unsigned request : {2 * large - 8, 5 * large}) {
        SCOPED_TRACE(request);
        excel.ReleaseTemp(false);
        excel.TempAlloc(request);
        EXPECT_EQ(excel.SharedTemp().LargeBlockCapacities(), Capacities{request});
        EXPECT_EQ(excel.SharedTemp().SpareBlockCapacity(), 0u);
    }
    // A call without a large request keeps the spare; the call after it
    // frees it, so only the small ladder block stays between calls.
    excel.ReleaseTemp(false);
    EXPECT_EQ(excel.SharedTemp().SpareBlockCapacity(), 5 * large);
    EXPECT_TRUE(excel.SharedTemp().LargeBlockCapacities().empty());
    excel.TempAlloc(32);
    excel.ReleaseTemp(false);
    EXPECT_EQ(excel.SharedTemp().SpareBlockCapacity(), 0u);
    EXPECT_EQ(excel.SharedTemp().BlockCapacities(), Capacities{8192});

    excel.TempAlloc(large);
    excel.ReleaseTemp(true);
    EXPECT_EQ(excel.SharedTemp().SpareBlockCapacity(), 0u);
    EXPECT_TRUE(excel.SharedTemp().LargeBlockCapacities().empty());
    EXPECT_TRUE(excel.SharedTemp().BlockCapacities().empty());

    // Just below the limit a request still climbs the ladder, in one step to
    // 8192 * 1.5^18 (each step truncated: ... 5380839, 8071258, 12106887).
    excel.TempAlloc(large - 8);
    EXPECT_EQ(excel.SharedTemp().BlockCapacities(), Capacities{12106887});
    EXPECT_TRUE(excel.SharedTemp().LargeBlockCapacities().empty());
    excel.ReleaseTemp(true);
}

TEST(TempMemory, EveryRequestStartsOnAnEightByteBoundary) {
    XlfExcel& excel = EmptiedExcel();
    const unsigned sizes[] = {5, 1, 13, 8, 7, 16, 3};
    char* previousEnd = nullptr;
    for (unsigned size : sizes) {
        SCOPED_TRACE(size);
        char* p = excel.TempAlloc(size);
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(p) % 8, 0u);
        if (previousEnd) {
            // Directly at the next boundary: no overlap and no gap beyond it.
            EXPECT_GE(p, previousEnd);
            EXPECT_LT(p, previousEnd + 8);
        }
        // A double stored there is the case the alignment is for.
        *reinterpret_cast<double*>(p) = 1.0;
        previousEnd = p + size;
    }
    EmptiedExcel();
    excel.TempAlloc(5);
    excel.TempAlloc(8);
    EXPECT_EQ(excel.SharedTemp().Offset(), 16u);
}

TEST(TempMemory, HugeRequestFailsOrGetsAllItsBytesInsteadOfWrappingAround) {
    XlfExcel& excel = EmptiedExcel();
    excel.TempAlloc(16);
    const unsigned huge = 0xFFFFFFF8u;
    // A 32-bit process has no 4 GB to give. A 64-bit one may have them: then
    // they are a block of their own, and the ladder block is left as it was.
    if (sizeof(void*) == 4) {
        EXPECT_THROW(excel.TempAlloc(huge), std::bad_alloc);
    } else {
        try {
            char* block = excel.TempAlloc(huge);
            EXPECT_EQ(excel.SharedTemp().LargeBlockCapacities(), Capacities{huge});
            EXPECT_EQ(excel.SharedTemp().Offset(), 16u);
            block[huge - 1] = 'z';
        } catch (const std::bad_alloc&) {
            // A machine without that much memory to commit refuses it.
        }
    }
    excel.ReleaseTemp(true);
}

TEST(TempMemory, AllocationAndReleaseWaitForTheNamedMutex) {
    XlfExcel& excel = EmptiedExcel();
    const struct {
        const char* name;
        std::function<void()> use;
    } uses[] = {
        {"TempAlloc", [&] { excel.TempAlloc(8); }},
        {"ReleaseTemp", [&] { excel.ReleaseTemp(false); }},
    };
    for (const auto& use : uses) {
        SCOPED_TRACE(use.name);
        HANDLE mutex = CreateMutexA(nullptr, FALSE, "xlw_mutex");
        ASSERT_EQ(WaitForSingleObject(mutex, INFINITE), WAIT_OBJECT_0);
        std::future<void> done = std::async(std::launch::async, use.use);
        EXPECT_EQ(done.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
        ReleaseMutex(mutex);
        CloseHandle(mutex);
        EXPECT_EQ(done.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    }
}

// Where a request meets a limit: one of exactly 8 MiB is large and gets a
// block of exactly its size; one of exactly a ladder step does not fit that
// step (a request fits strictly below the capacity) and takes the next.
TEST(TempMemory, RequestsAtTheBoundariesTakeTheBlockTheRuleGives) {
    XlfExcel& excel = EmptiedExcel();
    const unsigned large = XlfExcel::LargeTempRequest;
    excel.TempAlloc(large);
    EXPECT_EQ(excel.SharedTemp().LargeBlockCapacities(), Capacities{large});
    EXPECT_TRUE(excel.SharedTemp().BlockCapacities().empty())
        << "no ladder block for a large request";
    const struct {
        unsigned request;
        unsigned capacity;
    } ladder[] = {{8191, 8192}, {8192, 12288}, {12287, 12288}, {12288, 18432}, {18432, 27648}};
    for (const auto& step : ladder) {
        SCOPED_TRACE(step.request);
        EmptiedExcel();
        excel.TempAlloc(step.request);
        EXPECT_EQ(excel.SharedTemp().BlockCapacities(), Capacities{step.capacity});
        EXPECT_TRUE(excel.SharedTemp().LargeBlockCapacities().empty());
    }
    excel.ReleaseTemp(true);
}

// Of the large blocks a call took, the newest is kept as the spare; the
// others go at once.
TEST(TempMemory, TheNewestLargeBlockIsTheSpare) {
    XlfExcel& excel = EmptiedExcel();
    const unsigned large = XlfExcel::LargeTempRequest;
    const std::size_t before = largearrays::LiveBytes();
    excel.TempAlloc(3 * large);
    excel.TempAlloc(5 * large);
    EXPECT_EQ(excel.SharedTemp().LargeBlockCapacities(), (Capacities{5 * large, 3 * large}));
    excel.ReleaseTemp(false);
    EXPECT_EQ(excel.SharedTemp().SpareBlockCapacity(), 5 * large);
    EXPECT_EQ(largearrays::LiveBytes() - before, 5 * large) << "the older block is freed";
    excel.ReleaseTemp(true);
    EXPECT_EQ(largearrays::LiveBytes(), before);
}

// A spare that cannot serve the next large request is freed before the new
// block is taken, so that the two are never held at once.
TEST(TempMemory, TheSpareIsFreedBeforeANewLargeBlockIsTaken) {
    XlfExcel& excel = EmptiedExcel();
    const unsigned large = XlfExcel::LargeTempRequest;
    const std::size_t before = largearrays::LiveBytes();
    excel.TempAlloc(5 * large);
    excel.ReleaseTemp(false);
    ASSERT_EQ(excel.SharedTemp().SpareBlockCapacity(), 5 * large);
    for (unsigned request : {large, 6 * large}) {
        SCOPED_TRACE(request);
        largearrays::ResetPeak();
        const std::size_t held = largearrays::LiveBytes() - before;
        excel.TempAlloc(request);
        EXPECT_LE(largearrays::PeakBytes() - before, std::max<std::size_t>(held, request))
            << "the spare and the new block were held at once";
        excel.ReleaseTemp(false);
    }
    excel.ReleaseTemp(true);
    EXPECT_EQ(largearrays::LiveBytes(), before);
}

// Calls that take a large block and calls that take none, many times over:
// the committed memory stays within a spare and the ladder block of where it
// began, so no block is lost on the way.
TEST(TempMemory, ManyCallsCommitNoMoreThanOneSpareBeyondTheStart) {
    XlfExcel& excel = EmptiedExcel();
    const unsigned large = XlfExcel::LargeTempRequest;
    excel.TempAlloc(4 * large);
    excel.ReleaseTemp(false);
    excel.TempAlloc(32);
    excel.ReleaseTemp(false);
    const std::size_t start = CommittedBytes();
    for (int call = 0; call < 20; ++call) {
        excel.TempAlloc(4 * large);
        excel.ReleaseTemp(false);
        excel.TempAlloc(call % 2 == 0 ? 32 : large);
        excel.ReleaseTemp(false);
        excel.TempAlloc(32);
        excel.ReleaseTemp(false);
    }
    EXPECT_LT(CommittedBytes(), start + 4 * large + 8 * MiB)
        << "committed " << (CommittedBytes() - start) / MiB << " MiB more than at the start";
    excel.ReleaseTemp(true);
}
