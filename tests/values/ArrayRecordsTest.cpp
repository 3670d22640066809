// Array records built from numbers: the same bytes as through a CellMatrix,
// the same shape refusals, and nothing half-built when memory runs out.
#include "ArrayAllocationFault.h"
#include "ValueTestSupport.h"

#include "DoubleMatrix.h"
#include "xlw/CellMatrix.h"
#include "xlw/XlfOper.h"
#include "xlw/XlfOper4.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

using namespace xlw;

namespace {

using ArrayRecordTest = ValueTest;

// Values whose bits a conversion on the way could change: both zeros, both
// infinities, a NaN, the smallest subnormal and the largest double.
const double Specials[] = {
    -0.0,
    0.0,
    std::numeric_limits<double>::quiet_NaN(),
    std::numeric_limits<double>::infinity(),
    -std::numeric_limits<double>::infinity(),
    std::numeric_limits<double>::denorm_min(),
    std::numeric_limits<double>::max(),
    -1.25,
    0.1,
};
constexpr std::size_t SpecialCount = sizeof Specials / sizeof Specials[0];

double SpecialAt(std::size_t k) {
    return Specials[k % SpecialCount];
}

// The header fields and every byte of the elements; the element address
// differs between two records and is left out.
struct ArrayImage {
    unsigned long type = 0;
    unsigned long rows = 0;
    unsigned long columns = 0;
    std::string elements;
    bool operator==(const ArrayImage& other) const {
        return type == other.type && rows == other.rows && columns == other.columns &&
               elements == other.elements;
    }
};

ArrayImage ImageOf(const void* record, bool excel12) {
    RawRecord raw(record, excel12);
    ArrayImage image{raw.Type(), raw.Rows(), raw.Columns(), {}};
    const std::size_t count = image.rows * image.columns;
    const char* elements =
        excel12
            ? reinterpret_cast<const char*>(static_cast<const XLOPER12*>(record)->val.array.lparray)
            : reinterpret_cast<const char*>(static_cast<const XLOPER*>(record)->val.array.lparray);
    image.elements.assign(elements, count * (excel12 ? sizeof(XLOPER12) : sizeof(XLOPER)));
    return image;
}

std::string BytesOf(const void* record, std::size_t size) {
    return std::string(static_cast<const char*>(record), size);
}

// The text of the std::runtime_error that `build` throws.
std::string Refusal(const std::function<void()>& build) {
    try {
        build();
    } catch (const std::runtime_error& refusal) {
        return refusal.what();
    }
    return "no refusal";
}

} // namespace

TEST_F(ArrayRecordTest, NumbersGoIntoTheRecordAsTheCellMatrixWritesThem) {
    const bool wide = ProcessIsExcel12();
    const struct {
        unsigned long rows, columns;
    } shapes[] = {{1, 1}, {1, 1}, {1, 9}, {9, 1}, {3, 4}, {2, 255}};
    std::size_t offset = 0;
    for (const auto& shape : shapes) {
        SCOPED_TRACE(std::to_string(shape.rows) + " x " + std::to_string(shape.columns));
        // Consecutive 1 x 1 cases start at different specials: -0.0, then 0.0.
        DoubleMatrix matrix(shape.rows, shape.columns);
        CellMatrix cells(shape.rows, shape.columns);
        for (unsigned long i = 0; i < shape.rows; ++i)
            for (unsigned long j = 0; j < shape.columns; ++j) {
                const double value = SpecialAt(offset + i * shape.columns + j);
                matrix(i, j) = value;
                cells(i, j) = CellValue(value);
            }
        ++offset;

        XlfOper direct(matrix);
        XlfOper throughCells(cells);
        EXPECT_EQ(ImageOf(direct.GetRecord(), wide).type, 0x0040u);
        EXPECT_TRUE(ImageOf(direct.GetRecord(), wide) == ImageOf(throughCells.GetRecord(), wide));

        XlfOper4 direct4;
        direct4.SetFromMatrix(matrix);
        XlfOper4 throughCells4;
        throughCells4.SetCellMatrix(cells);
        EXPECT_TRUE(ImageOf(direct4.GetXloper(), false) ==
                    ImageOf(throughCells4.GetXloper(), false));
    }

    std::vector<double> column(Specials, Specials + SpecialCount);
    XlfOper fromVector;
    fromVector.SetFromVector(column);
    XlfOper vectorCells{CellMatrix(column)};
    EXPECT_TRUE(ImageOf(fromVector.GetRecord(), wide) == ImageOf(vectorCells.GetRecord(), wide));
    XlfOper4 fromVector4;
    fromVector4.SetFromVector(column);
    XlfOper4 vectorCells4;
    vectorCells4.SetCellMatrix(CellMatrix(column));
    EXPECT_TRUE(ImageOf(fromVector4.GetXloper(), false) ==
                ImageOf(vectorCells4.GetXloper(), false));
    // The first element really is -0.0, not a zero that lost its sign.
    EXPECT_TRUE(std::signbit(RawRecord::Of(fromVector).Element(0, 0).Number()));
}

TEST_F(ArrayRecordTest, ShapesAreRefusedBeforeAnyMemoryIsTaken) {
    const std::string columns300 = "an array holds at most 255 columns; 300 were asked for";
    const std::string columns256 = "an array holds at most 255 columns; 256 were asked for";
    const std::string rows65536 = "an Excel 4 array holds at most 65535 rows; 65536 were asked for";
    XlfOper oper;
    XlfOper4 oper4;
    const std::vector<double> longColumn(65536, 0.5);
    const struct {
        const char* name;
        std::function<void()> build;
        const std::string& text;
        bool excel4Only;
    } cases[] = {
        {"cells", [&] { oper.SetCellMatrix(CellMatrix(2, 300)); }, columns300, false},
        {"matrix", [&] { oper.SetFromMatrix(DoubleMatrix(1, 256)); }, columns256, false},
        {"XlfOper4 cells", [&] { oper4.SetCellMatrix(CellMatrix(1, 256)); }, columns256, false},
        {"XlfOper4 matrix", [&] { oper4.SetFromMatrix(DoubleMatrix(3, 300)); }, columns300, false},
        {"XlfOper4 vector", [&] { oper4.SetFromVector(longColumn); }, rows65536, false},
        {"matrix rows", [&] { oper.SetFromMatrix(DoubleMatrix(65536, 1)); }, rows65536, true},
        {"vector rows", [&] { oper.SetFromVector(longColumn); }, rows65536, true},
    };
    const XlfExcel& excel = XlfExcel::Get();
    for (const auto& c : cases) {
        if (c.excel4Only && ProcessIsExcel12())
            continue;
        SCOPED_TRACE(c.name);
        const unsigned offset = excel.SharedTemp().Offset();
        const std::vector<unsigned> blocks = excel.SharedTemp().BlockCapacities();
        EXPECT_EQ(Refusal(c.build), c.text);
        EXPECT_EQ(RawRecord::Of(oper).Type(), 0x0100u);
        EXPECT_EQ(oper4.GetType(), 0x0100u);
        EXPECT_EQ(excel.SharedTemp().Offset(), offset);
        EXPECT_EQ(excel.SharedTemp().BlockCapacities(), blocks);
        EXPECT_TRUE(excel.SharedTemp().LargeBlockCapacities().empty());
    }
    // The limits themselves are accepted; Excel 12 takes more rows.
    oper.SetFromMatrix(DoubleMatrix(ProcessIsExcel12() ? 65536 : 65535, 1));
    EXPECT_EQ(RawRecord::Of(oper).Rows(), ProcessIsExcel12() ? 65536u : 65535u);
    oper4.SetFromMatrix(DoubleMatrix(1, 255));
    EXPECT_EQ(oper4.Columns(), 255u);
}

// A matrix built to the sheet's width takes Excel 2007's 16384 columns under
// Excel 12 records and stays at 255 under Excel 4 records; a classic one
// stays at 255 under both.
TEST_F(ArrayRecordTest, SheetWidthMatricesReachTheRunningSheetsLastColumn) {
    const std::size_t widest = ProcessIsExcel12() ? 16384 : 255;
    EXPECT_EQ(XlfOper::MaxArrayColumns(ArrayWidth::SheetWidth), widest);
    EXPECT_EQ(XlfOper::MaxArrayColumns(ArrayWidth::Classic), 255u);
    DoubleMatrix matrix(2, widest);
    matrix(1, widest - 1) = 2.5;
    XlfOper wide(matrix, ArrayWidth::SheetWidth);
    EXPECT_EQ(RawRecord::Of(wide).Columns(), widest);
    EXPECT_EQ(RawRecord::Of(wide).Element(1, widest - 1).Number(), 2.5);
    XlfOper::RequireMatrixFits(1, widest, ArrayWidth::SheetWidth);

    const std::string tooWide = "an array holds at most " + std::to_string(widest) + " columns; " +
                                std::to_string(widest + 1) + " were asked for";
    XlfOper refused;
    EXPECT_EQ(Refusal([&] {
                  refused.SetFromMatrix(DoubleMatrix(1, widest + 1), ArrayWidth::SheetWidth);
              }),
              tooWide);
    EXPECT_EQ(RawRecord::Of(refused).Type(), 0x0100u);
    EXPECT_EQ(Refusal([&] { XlfOper::RequireMatrixFits(3, widest + 1, ArrayWidth::SheetWidth); }),
              tooWide);
    EXPECT_EQ(Refusal([&] { XlfOper::RequireMatrixFits(3, 256); }),
              "an array holds at most 255 columns; 256 were asked for");
}

TEST_F(ArrayRecordTest, AFailedAllocationLeavesTheRecordAsItWas) {
    const XlfOperImpl& impl = *XlfOperImpl::Current;
    CellMatrix strings(1, 200);
    for (unsigned long j = 0; j < 200; ++j)
        strings(0, j) = CellValue(std::string(200, 's'));
    const XlfRangeRef range(1, 2, 3, 4, 0);
    // succeedFirst 1: the elements get their block, a later string does not.
    const struct {
        const char* name;
        int succeedFirst;
        std::function<void(XlfOper&)> set;
        std::function<void(XlfOper4&)> set4;
    } setters[] = {
        {"SetRef", 0, [&](XlfOper& o) { o.SetRef(range); }, [&](XlfOper4& o) { o.SetRef(range); }},
        {"SetWideString", 0, [](XlfOper& o) { o.SetWideString(L"abc"); }, nullptr},
        {"SetString", 0, [&](XlfOper& o) { impl.SetString(o, "abc"); },
         [](XlfOper4& o) { o.SetString("abc"); }},
        {"SetMulti", 0, [&](XlfOper& o) { impl.SetMulti(o, 3, 2); },
         [](XlfOper4& o) { o.SetMulti(3, 2); }},
        {"SetCellMatrix", 0, [](XlfOper& o) { o.SetCellMatrix(CellMatrix(2, 2)); },
         [](XlfOper4& o) { o.SetCellMatrix(CellMatrix(2, 2)); }},
        {"SetCellMatrix strings", 1, [&](XlfOper& o) { o.SetCellMatrix(strings); },
         [&](XlfOper4& o) { o.SetCellMatrix(strings); }},
        {"SetFromMatrix", 0, [](XlfOper& o) { o.SetFromMatrix(DoubleMatrix(2, 3)); },
         [](XlfOper4& o) { o.SetFromMatrix(DoubleMatrix(2, 3)); }},
        {"SetFromVector", 0,
         [](XlfOper& o) {
             o.SetFromVector({1.0, 2.0});
         },
         [](XlfOper4& o) {
             o.SetFromVector({1.0, 2.0});
         }},
    };
    for (const auto& setter : setters) {
        SCOPED_TRACE(setter.name);
        XLOPER local4{};
        local4.xltype = xltypeNil;
        XLOPER12 local12{};
        local12.xltype = xltypeNil;
        void* local = ProcessIsExcel12() ? static_cast<void*>(&local12) : &local4;
        const std::size_t size = ProcessIsExcel12() ? sizeof local12 : sizeof local4;
        const std::string before = BytesOf(local, size);
        XlfOper oper(local);
        // With no block left, the setter's first allocation needs a new one.
        XlfExcel::Get().ReleaseTemp(true);
        FailArrayAllocation(setter.succeedFirst);
        EXPECT_THROW(setter.set(oper), std::bad_alloc);
        ClearArrayAllocationFailure();
        EXPECT_EQ(BytesOf(local, size), before);

        if (!setter.set4)
            continue;
        XLOPER record4{};
        record4.xltype = xltypeNil;
        const std::string before4 = BytesOf(&record4, sizeof record4);
        XlfOper4 oper4(&record4);
        XlfExcel::Get().ReleaseTemp(true);
        FailArrayAllocation(setter.succeedFirst);
        EXPECT_THROW(setter.set4(oper4), std::bad_alloc);
        ClearArrayAllocationFailure();
        EXPECT_EQ(BytesOf(&record4, sizeof record4), before4);
    }
}
