// The raising conversions of both handles: which exception each return code
// becomes, with the exact words and blanks of its text, and the stored code
// when the caller asks for it instead.
#include "ValueTestSupport.h"

#include "DoubleMatrix.h"
#include "xlw/CellMatrix.h"
#include "xlw/XlfException.h"
#include "xlw/XlfExceptionAbort.h"
#include "xlw/XlfOper.h"
#include "xlw/XlfOper4.h"

#include <functional>
#include <stdexcept>

using namespace xlw;
using xlhost::Engine;

namespace {

using RaisingTest = ValueTest;

// The text of what `conversion` throws; "" when it throws nothing.
template <class Thrown> std::string ThrownText(const std::function<void()>& conversion) {
    try {
        conversion();
    } catch (const Thrown& failure) {
        return failure.what();
    }
    return "";
}

// A string that Excel cannot read as a number: the coercion fails with 32.
TEST_F(RaisingTest, FailedCommandsNameTheConversion) {
    XlfOper text("abc");
    XlfOper array;
    XlfOperImpl::Current->SetMulti(array, 1, 1);
    XlfOperImpl::Current->SetElement(array, 0, 0, text);
    const struct {
        std::function<void()> conversion;
        const char* message;
    } rows[] = {
        {[&] { text.GetDouble(); }, "command failed"},
        {[&] { text.GetDouble("x"); }, "command failed, Conversion to double x"},
        {[&] { text.GetShort("arg"); }, "command failed, arg conversion to short failed"},
        {[&] { text.GetBool("b"); }, "command failed, b conversion to bool failed"},
        {[&] { array.GetDoubleVector("v", RowMajor); },
         "command failed, v conversion to double vector"},
        {[&] { array.GetNumberArray("v", RowMajor); },
         "command failed, v conversion to double vector"},
        {[&] { array.GetMatrix(); }, "command failed,  conversion to matrix failed"},
        {[&] { array.GetMatrix("m"); }, "command failed, m conversion to matrix failed"},
        {[&] { XlfOper(1.0).GetRangeRef(); }, "command failed"},
        // An integer is no single value for a cell matrix: it is taken for a reference.
        {[&] { XlfOper(short(3)).GetCellMatrix("c"); },
         "command failed, c conversion to cell matrix failed"},
        {[&] { XlfOper(short(3)).GetCellMatrix(); },
         "command failed,  conversion to cell matrix failed"},
        {[&] { XlfOper(true).GetString("s"); }, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ThrownText<std::runtime_error>(row.conversion), row.message);
}

TEST_F(RaisingTest, AHandleWithoutARecordIsAnInvalidRecord) {
    XlfOper none(static_cast<void*>(nullptr));
    EXPECT_EQ(ThrownText<XlfException>([&] { none.GetDouble("x"); }),
              "invalid OPER structure (memory could be exhausted),Conversion to double x");
    EXPECT_EQ(ThrownText<XlfException>([&] { none.GetString(); }),
              "invalid OPER structure (memory could be exhausted)");
    EXPECT_EQ(ThrownText<XlfException>([&] { none.GetDoubleVector(); }),
              "invalid OPER structure (memory could be exhausted)");
    EXPECT_EQ(ThrownText<XlfException>([&] { none.GetMatrix(); }),
              "invalid OPER structure (memory could be exhausted), conversion to matrix failed");
    EXPECT_EQ(ThrownText<XlfException>([&] { none.GetCellMatrix("c"); }),
              "invalid OPER structure (memory could be exhausted),c conversion to cell matrix "
              "failed");
    XlfOper4 none4(static_cast<LPXLOPER>(nullptr));
    EXPECT_EQ(ThrownText<XlfException>([&] { none4.GetDouble(); }),
              "invalid OPER structure (memory could be exhausted)");
    EXPECT_EQ(ThrownText<XlfException>([&] { none4.GetMatrix(); }),
              "invalid OPER structure (memory could be exhausted), conversion to matrix failed");
    EXPECT_EQ(ThrownText<XlfException>([&] { none4.GetDoubleVector(); }),
              "invalid OPER structure (memory could be exhausted)");
    EXPECT_EQ(CalledFunctions(), std::vector<int>());
}

TEST_F(RaisingTest, TheArgumentCountTextDiffersBetweenTheHandles) {
    Engine::Get().InjectFault(xlCoerce, xlretInvCount);
    EXPECT_EQ(ThrownText<std::runtime_error>([] { XlfOper("abc").GetDouble(); }),
              "invalid number of arguments");
    EXPECT_EQ(ThrownText<std::runtime_error>([] { XlfOper4("abc").GetDouble(); }),
              "invalid number of argument");
    EXPECT_EQ(ThrownText<std::runtime_error>([] { XlfOper4("abc").GetShort("n"); }),
              "invalid number of argument, n conversion to short failed");
}

TEST_F(RaisingTest, AGivenReturnCodeIsStoredAndNothingIsRaised) {
    Engine::Get().InjectFault(xlCoerce, xlretAbort);
    EXPECT_THROW(XlfOper("abc").GetDouble(), XlfExceptionAbort);
    XlfOper text("abc");
    XlfOper4 text4("abc");
    int code = 0;
    EXPECT_EQ(text.GetDouble(&code), 0.0);
    EXPECT_EQ(code, xlretAbort);
    code = 0;
    EXPECT_EQ(text.GetShort("s", &code), 0);
    EXPECT_EQ(code, xlretAbort);
    code = 0;
    EXPECT_FALSE(text.GetBool(&code));
    EXPECT_EQ(code, xlretAbort);
    code = 0;
    EXPECT_EQ(XlfOper(1.0).GetString(&code), nullptr);
    EXPECT_EQ(code, xlretAbort);
    code = 0;
    EXPECT_EQ(text4.GetDouble("d", &code), 0.0);
    EXPECT_EQ(code, xlretAbort);
    code = 0;
    EXPECT_TRUE(text.GetDoubleVector(RowMajor, &code).empty());
    EXPECT_EQ(code, xlretAbort);
    code = -1;
    EXPECT_EQ(XlfOper(2.0).GetDouble(&code), 2.0);
    EXPECT_EQ(code, 0);
}

TEST_F(RaisingTest, TheCodeMappingIsForwarded) {
    EXPECT_EQ(XlfOper::RaiseForReturnCode(0), 0);
    EXPECT_EQ(XlfOper4::RaiseForReturnCode(0x80), 0x80);
    EXPECT_EQ(ThrownText<std::runtime_error>([] { XlfOper::RaiseForReturnCode(4); }),
              "invalid number of arguments");
    EXPECT_EQ(ThrownText<std::runtime_error>([] { XlfOper4::RaiseForReturnCode(4); }),
              "invalid number of argument");
    EXPECT_EQ(
        ThrownText<std::runtime_error>([] { XlfOper::RaiseForReturnCode(2, std::string("abc")); }),
        "invalid function number, abc");
}

TEST_F(RaisingTest, FailedMatrixConversionsReturnWhatTheyHadReached) {
    int code = 0;
    CellMatrix cells = XlfOper(short(3)).GetCellMatrix(&code);
    EXPECT_EQ(code, xlretFailed);
    ASSERT_EQ(cells.RowCount(), 1u);
    EXPECT_TRUE(cells(0, 0).IsEmptyCell());
    // The matrix is sized before its first cell turns out not to be a number.
    DoubleMatrix matrix = XlfOper("abc").GetMatrix(&code);
    EXPECT_EQ(code, xlretFailed);
    EXPECT_EQ(matrix.RowCount(), 1u);
    EXPECT_EQ(matrix(0, 0), 0.0);
}

} // namespace
