// The records' bytes at the offsets Excel documents for each target, read
// without the record declarations. 32-bit Excel's XLOPER is 16 bytes and
// 64-bit Excel's 24, with every member after a pointer moved from offset 4
// to 8; XLOPER12 is 32 bytes on both, with the same move. The framework and
// the stand-in must agree with Excel on the target they are built for.
#include "ValueTestSupport.h"

#include "DoubleMatrix.h"
#include "xlw/XlfOper.h"
#include "xlw/XlfOper4.h"
#include "xlw/XlfRangeRef.h"

#include <cstring>

using namespace xlw;
using xlhost::Engine;

namespace {

struct Layout {
    const char* target;
    std::size_t pointer; // a pointer, and a sheet id (DWORD_PTR)
    // One record kind: its size, the type word's offset, and the offset of
    // the member that follows the leading pointer (rows, idSheet).
    struct Kind {
        std::size_t size, typeWord, afterPointer;
    } excel4, excel12;
};

constexpr Layout Win32{"Win32", 4, {16, 8, 4}, {32, 24, 4}};
constexpr Layout Win64{"Win64", 8, {24, 16, 8}, {32, 24, 8}};

const Layout& ThisTarget() {
    return sizeof(void*) == 8 ? Win64 : Win32;
}

template <class T> T At(const void* base, std::size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const char*>(base) + offset, sizeof value);
    return value;
}

// A pointer or a sheet id, as many bytes as the target's pointers.
std::uint64_t PointerSizedAt(const void* base, std::size_t offset) {
    return ThisTarget().pointer == 8 ? At<std::uint64_t>(base, offset)
                                     : At<std::uint32_t>(base, offset);
}

const void* PointerAt(const void* base) {
    return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(PointerSizedAt(base, 0)));
}

std::uint32_t TypeWordAt(const void* base, const Layout::Kind& kind, bool excel12) {
    return excel12 ? At<std::uint32_t>(base, kind.typeWord)
                   : At<std::uint16_t>(base, kind.typeWord);
}

using LayoutTest = ValueTest;

TEST_F(LayoutTest, ArraysHaveTheirCountsAfterThePointerAndElementsAtTheRecordsStride) {
    const bool excel12 = ProcessIsExcel12();
    const Layout::Kind& kind = excel12 ? ThisTarget().excel12 : ThisTarget().excel4;
    SCOPED_TRACE(ThisTarget().target);
    DoubleMatrix matrix(2, 3);
    for (unsigned k = 0; k < 6; ++k)
        matrix(k / 3, k % 3) = 0.25 + k;
    XlfOper array(matrix);
    const void* record = array.GetRecord();

    EXPECT_EQ(TypeWordAt(record, kind, excel12) & 0xFFF, unsigned(xltypeMulti));
    if (excel12) {
        EXPECT_EQ(At<std::int32_t>(record, kind.afterPointer), 2);
        EXPECT_EQ(At<std::int32_t>(record, kind.afterPointer + 4), 3);
    } else {
        EXPECT_EQ(At<std::uint16_t>(record, kind.afterPointer), 2);
        EXPECT_EQ(At<std::uint16_t>(record, kind.afterPointer + 2), 3);
    }
    const char* elements = static_cast<const char*>(PointerAt(record));
    for (unsigned k = 0; k < 6; ++k) {
        SCOPED_TRACE(k);
        const char* element = elements + k * kind.size;
        EXPECT_EQ(TypeWordAt(element, kind, excel12), unsigned(xltypeNum));
        EXPECT_EQ(At<double>(element, 0), 0.25 + k);
    }
}

TEST_F(LayoutTest, ReferencesCarryThePointerSizedSheetIdAfterTheBlock) {
    const bool excel12 = ProcessIsExcel12();
    SCOPED_TRACE(ThisTarget().target);
    Engine& engine = Engine::Get();
    // 64-bit Excel's sheet ids need more than 32 bits; the stand-in's does
    // too, so a cut anywhere shows.
    if (ThisTarget().pointer == 8) {
        EXPECT_GT(std::uint64_t(engine.SheetId()), 0xFFFFFFFFu);
    }

    const XlfRangeRef range(2, 3, 4, 5, engine.SheetId());
    XlfOper current;
    current.SetRef(range);
    XlfOper4 excel4;
    excel4.SetRef(range);
    const xlhost::Range cells{2, 4, 3, 5}; // rows 2 to 4, columns 3 to 5
    const XLOPER engine4 = engine.Ref4(cells);
    const XLOPER12 engine12 = engine.Ref12(cells);
    const struct {
        const char* built;
        const void* record;
        bool excel12;
    } references[] = {
        {"by XlfOper", current.GetRecord(), excel12},
        {"by XlfOper4", excel4.GetXloper(), false},
        {"by the stand-in, Excel 4", &engine4, false},
        {"by the stand-in, Excel 12", &engine12, true},
    };
    for (const auto& reference : references) {
        SCOPED_TRACE(reference.built);
        const Layout::Kind& kind = reference.excel12 ? ThisTarget().excel12 : ThisTarget().excel4;
        EXPECT_EQ(TypeWordAt(reference.record, kind, reference.excel12) & 0xFFF,
                  unsigned(xltypeRef));
        EXPECT_EQ(PointerSizedAt(reference.record, kind.afterPointer),
                  std::uint64_t(engine.SheetId()));
        // The block: a 16-bit count, then the first area (XLREF12 at offset 4).
        const void* block = PointerAt(reference.record);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(At<std::uint16_t>(block, 0), 1);
        if (reference.excel12) {
            EXPECT_EQ(At<std::int32_t>(block, 4), 2);
        } else {
            EXPECT_EQ(At<std::uint16_t>(block, 2), 2);
        }
    }
}

} // namespace
