// Building records through XlfOper, checked against the record fields of the
// process's record kind.
#include "ValueTestSupport.h"

#include "DoubleMatrix.h"
#include "xlw/CellMatrix.h"
#include "xlw/XlfException.h"
#include "xlw/XlfOper.h"

#include <stdexcept>

using namespace xlw;

namespace {

using SetterTest = ValueTest;

TEST_F(SetterTest, ScalarConstructorsWriteTypeAndValueAtTheKindsWidth) {
    const bool wide = ProcessIsExcel12();
    // Excel 12 widens every 16-bit value: integers and SetErrorOrInt's errors
    // by sign, SetError's codes by zero.
    EXPECT_EQ(RawRecord::Of(XlfOper(2.5)).Type(), 0x0001u);
    EXPECT_EQ(RawRecord::Of(XlfOper(2.5)).Number(), 2.5);
    EXPECT_EQ(RawRecord::Of(XlfOper(true)).Type(), 0x0004u);
    EXPECT_EQ(RawRecord::Of(XlfOper(true)).BoolWord(), 1);
    EXPECT_EQ(RawRecord::Of(XlfOper(false)).BoolWord(), 0);
    EXPECT_EQ(RawRecord::Of(XlfOper(short(-5))).Type(), 0x0800u);
    EXPECT_EQ(RawRecord::Of(XlfOper(short(-5))).Integer(), -5);
    EXPECT_EQ(RawRecord::Of(XlfOper(static_cast<unsigned short>(0xFFFF), false)).Integer(), -1);
    EXPECT_EQ(RawRecord::Of(XlfOper(static_cast<unsigned short>(42), true)).Type(), 0x0010u);
    EXPECT_EQ(RawRecord::Of(XlfOper(static_cast<unsigned short>(42), true)).ErrorWord(), 42u);
    EXPECT_EQ(RawRecord::Of(XlfOper(static_cast<unsigned short>(0x8001), true)).ErrorWord(),
              wide ? 0xFFFF8001u : 0x8001u);
    EXPECT_EQ(RawRecord::Of(XlfOper::MakeError(15)).Type(), 0x0010u);
    EXPECT_EQ(RawRecord::Of(XlfOper::MakeError(15)).ErrorWord(), 15u);
    EXPECT_EQ(RawRecord::Of(XlfOper::MakeError(0x8001)).ErrorWord(), 0x8001u);
    EXPECT_EQ(RawRecord::Of(XlfOper()).Type(), 0x0100u);
}

TEST_F(SetterTest, StringsCountTheTerminatorUnderExcel4Only) {
    const bool wide = ProcessIsExcel12();
    const std::string zero(1, '\0');
    const struct {
        std::string text;
        std::vector<unsigned long> excel4;
        std::vector<unsigned long> excel12;
    } rows[] = {
        {"abc", Units(4, "abc" + zero), Units(3, "abc")},
        {"", Units(1, zero), Units(0, "")},
        // A std::string ends at its first zero byte.
        {std::string("ab\0cd", 5), Units(3, "ab" + zero), Units(2, "ab")},
    };
    for (const auto& row : rows) {
        CerrCapture cerr;
        EXPECT_EQ(RawRecord::Of(XlfOper(row.text)).StringUnits(), wide ? row.excel12 : row.excel4)
            << row.text;
        EXPECT_EQ(RawRecord::Of(XlfOper(row.text)).Type(), 0x0002u);
        EXPECT_EQ(cerr.Text(), "");
    }
}

TEST_F(SetterTest, LongStringsAreCutWithOneDiagnosticUnderExcel4) {
    const std::string text(300, 'x');
    CerrCapture cerr;
    XlfOper oper(text);
    if (ProcessIsExcel12()) {
        EXPECT_EQ(RawRecord::Of(oper).StringUnits(), Units(300, text));
        EXPECT_EQ(cerr.Text(), "");
    } else {
        EXPECT_EQ(RawRecord::Of(oper).StringUnits(),
                  Units(255, std::string(254, 'x') + std::string(1, '\0')));
        EXPECT_EQ(cerr.Text(), "..\\..\\src\\XlfOperImpl4(782): String truncated to 254 bytes\n");
    }
}

TEST_F(SetterTest, WideStringsKeepTheirCharactersAndAreCutAt255UnderExcel4) {
    const bool wide = ProcessIsExcel12();
    const struct {
        std::wstring text;
        std::vector<unsigned long> excel4;
        std::vector<unsigned long> excel12;
        const char* excel4Diagnostic;
    } rows[] = {
        {L"abc", Units(3, "abc"), Units(3, "abc"), ""},
        {std::wstring(255, L'w'), Units(255, std::string(255, 'w')),
         Units(255, std::string(255, 'w')), ""},
        {std::wstring(256, L'w'), Units(255, std::string(255, 'w')),
         Units(256, std::string(256, 'w')),
         "..\\..\\src\\XlfOperImpl4(813): String truncated to 255 bytes\n"},
        // A zero character ends the copy; the rest of the count stays zero.
        {std::wstring(L"ab\0cd", 5), Units(5, std::string("ab\0\0\0", 5)),
         Units(5, std::string("ab\0\0\0", 5)), ""},
    };
    for (const auto& row : rows) {
        CerrCapture cerr;
        XlfOper oper(row.text);
        std::vector<unsigned long> units = RawRecord::Of(oper).StringUnits();
        EXPECT_EQ(units, wide ? row.excel12 : row.excel4);
        EXPECT_EQ(cerr.Text(), wide ? "" : row.excel4Diagnostic);
    }
    XlfOper accented(std::wstring(1, L'\u00e9'));
    if (wide) {
        EXPECT_EQ(RawRecord::Of(accented).StringUnits(), (std::vector<unsigned long>{1, 0xE9}));
    }
}

TEST_F(SetterTest, Excel12TextsAreCutAtExcelsLimitWithOneDiagnosticEach) {
    if (!ProcessIsExcel12())
        GTEST_SKIP() << "Excel 4 cuts at 254 and 255 bytes";
    const std::string cut =
        "..\\..\\src\\XlfOperImpl12(163): String truncated to 32767 characters\n";
    const std::vector<unsigned long> narrowKept = Units(32767, std::string(32767, 'n'));
    const std::vector<unsigned long> wideKept = Units(32767, std::string(32767, 'w'));
    const struct {
        std::string name;
        std::string text;
        std::wstring wideText;
        std::string diagnostic;
    } rows[] = {
        {"at the limit", std::string(32767, 'n'), std::wstring(32767, L'w'), ""},
        {"one over", std::string(32768, 'n'), std::wstring(32768, L'w'), cut},
        // A 16-bit count would hold 70000 - 65536.
        {"past a 16-bit count", std::string(70000, 'n'), std::wstring(70000, L'w'), cut},
    };
    for (const auto& row : rows) {
        {
            CerrCapture cerr;
            EXPECT_EQ(RawRecord::Of(XlfOper(row.text)).StringUnits(), narrowKept) << row.name;
            EXPECT_EQ(cerr.Text(), row.diagnostic) << row.name;
        }
        {
            CerrCapture cerr;
            EXPECT_EQ(RawRecord::Of(XlfOper(row.wideText)).StringUnits(), wideKept) << row.name;
            EXPECT_EQ(cerr.Text(), row.diagnostic) << row.name;
        }
        CellMatrix cells(1, 2);
        cells(0, 0) = row.text;
        cells(0, 1) = row.wideText;
        CerrCapture cerr;
        XlfOper array(cells);
        EXPECT_EQ(RawRecord::Of(array).Element(0, 0).StringUnits(), narrowKept) << row.name;
        EXPECT_EQ(RawRecord::Of(array).Element(0, 1).StringUnits(), wideKept) << row.name;
        EXPECT_EQ(cerr.Text(), row.diagnostic + row.diagnostic) << row.name;
    }
}

TEST_F(SetterTest, ReferencesKeepTheirBoundsAtTheKindsWidth) {
    const IDSHEET sheet = xlhost::Engine::Get().SheetId();
    const bool wide = ProcessIsExcel12();
    const struct {
        XlfRangeRef range;
        RawRecord::Area excel4;
        RawRecord::Area excel12;
    } rows[] = {
        {XlfRangeRef(0, 1, 2, 1, sheet), {1, 0, 2, 1, 1, sheet}, {1, 0, 2, 1, 1, sheet}},
        {XlfRangeRef(5, 7, sheet), {1, 5, 5, 7, 7, sheet}, {1, 5, 5, 7, 7, sheet}},
        // The last cell of the Excel 4 sheet; XLREF has 16-bit rows and
        // 8-bit columns, and past them a reference of no area is written.
        {XlfRangeRef(65535, 255, sheet),
         {1, 65535, 65535, 255, 255, sheet},
         {1, 65535, 65535, 255, 255, sheet}},
        {XlfRangeRef(70000, 300, 70001, 301, sheet),
         {0, 0, 0, 0, 0, sheet},
         {1, 70000, 70001, 300, 301, sheet}},
        {XlfRangeRef(65535, 0, 65536, 0, sheet),
         {0, 0, 0, 0, 0, sheet},
         {1, 65535, 65536, 0, 0, sheet}},
    };
    for (const auto& row : rows) {
        XlfOper oper;
        oper.SetRef(row.range);
        EXPECT_EQ(RawRecord::Of(oper).Type(), 0x0008u);
        EXPECT_TRUE(RawRecord::Of(oper).Reference() == (wide ? row.excel12 : row.excel4));
    }
}

TEST_F(SetterTest, ArraysFromMatricesAndVectors) {
    DoubleMatrix matrix(2, 3);
    for (unsigned long i = 0; i < 2; ++i)
        for (unsigned long j = 0; j < 3; ++j)
            matrix(i, j) = 10.0 * i + j + 0.5;
    RawRecord array = RawRecord::Of(XlfOper(matrix));
    ASSERT_EQ(array.Type(), 0x0040u);
    ASSERT_EQ(array.Rows(), 2u);
    ASSERT_EQ(array.Columns(), 3u);
    for (unsigned long i = 0; i < 2; ++i)
        for (unsigned long j = 0; j < 3; ++j) {
            EXPECT_EQ(array.Element(i, j).Type(), 0x0001u);
            EXPECT_EQ(array.Element(i, j).Number(), 10.0 * i + j + 0.5);
        }

    EXPECT_EQ(RawRecord::Of(XlfOper(DoubleMatrix(0, 5))).Type(), 0x0100u);
    EXPECT_EQ(RawRecord::Of(XlfOper(DoubleMatrix(3, 0))).Type(), 0x0100u);

    XlfOper column;
    column.SetFromVector({1.0, 2.0, 3.0});
    RawRecord vector = RawRecord::Of(column);
    ASSERT_EQ(vector.Rows(), 3u);
    ASSERT_EQ(vector.Columns(), 1u);
    EXPECT_EQ(vector.Element(2, 0).Number(), 3.0);
    XlfOper untouched(7.0);
    untouched.SetFromVector({});
    EXPECT_EQ(RawRecord::Of(untouched).Number(), 7.0);
}

TEST_F(SetterTest, CellMatricesBecomeArraysOfTheirOwnShape) {
    const bool wide = ProcessIsExcel12();
    CellMatrix cells(2, 255);
    cells(0, 0) = CellValue(1.5);
    cells(0, 1) = CellValue("ab");
    cells(0, 2) = CellValue(std::wstring(L"Wz"));
    cells(0, 3) = CellValue(true);
    cells(0, 4) = CellValue(static_cast<unsigned long>(42), true);
    cells(0, 254) = CellValue(9.0);
    XlfOper oper(cells);
    RawRecord array = RawRecord::Of(oper);
    ASSERT_EQ(array.Rows(), 2u);
    ASSERT_EQ(array.Columns(), 255u);
    EXPECT_EQ(array.Element(0, 0).Number(), 1.5);
    EXPECT_EQ(array.Element(0, 1).StringUnits(),
              wide ? Units(2, "ab") : Units(3, std::string("ab\0", 3)));
    // Under Excel 4 a wide cell is narrowed and, like every string there,
    // counts its zero byte.
    EXPECT_EQ(array.Element(0, 2).StringUnits(),
              wide ? Units(2, "Wz") : Units(3, std::string("Wz\0", 3)));
    EXPECT_EQ(array.Element(0, 3).Type(), 0x0004u);
    EXPECT_EQ(array.Element(0, 3).BoolWord(), 1);
    EXPECT_EQ(array.Element(0, 4).Type(), 0x0010u);
    EXPECT_EQ(array.Element(0, 4).ErrorWord(), 42u);
    EXPECT_EQ(array.Element(0, 254).Number(), 9.0);
    // Empty cells become empty strings.
    EXPECT_EQ(array.Element(1, 254).Type(), 0x0002u);
    EXPECT_EQ(array.Element(1, 254).StringUnits(),
              wide ? Units(0, "") : Units(1, std::string(1, '\0')));
}

TEST_F(SetterTest, Excel4RefusesMoreThan65535RowsBeforeAllocating) {
    XlfOper oper;
    const unsigned int offset = XlfExcel::Get().SharedTemp().Offset();
    const std::size_t blocks = XlfExcel::Get().SharedTemp().BlockCapacities().size();
    if (ProcessIsExcel12()) {
        XlfOperImpl::Current->SetMulti(oper, 70000, 1);
        EXPECT_EQ(RawRecord::Of(oper).Rows(), 70000u);
        return;
    }
    const auto expectRefused = [&](const std::function<void()>& build, const char* text) {
        try {
            build();
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& refusal) {
            EXPECT_STREQ(refusal.what(), text);
        }
        EXPECT_EQ(RawRecord::Of(oper).Type(), 0x0100u);
        EXPECT_EQ(XlfExcel::Get().SharedTemp().Offset(), offset);
        EXPECT_EQ(XlfExcel::Get().SharedTemp().BlockCapacities().size(), blocks);
    };
    expectRefused([&] { XlfOperImpl::Current->SetMulti(oper, 70000, 1); },
                  "an Excel 4 array holds at most 65535 rows; 70000 were asked for");
    expectRefused([&] { XlfOperImpl::Current->SetMulti(oper, 1, 65536); },
                  "an Excel 4 array holds at most 65535 columns; 65536 were asked for");
    expectRefused([&] { oper.SetCellMatrix(CellMatrix(70000, 1)); },
                  "an Excel 4 array holds at most 65535 rows; 70000 were asked for");
    XlfOperImpl::Current->SetMulti(oper, 65535, 1);
    EXPECT_EQ(RawRecord::Of(oper).Rows(), 65535u);
}

TEST_F(SetterTest, ArrayOperationsRefuseOtherRecordsAndValues) {
    const XlfOperImpl& impl = *XlfOperImpl::Current;
    XlfOper number(1.0);
    const auto expectThrows = [](const std::function<void()>& operation, const char* text) {
        try {
            operation();
            ADD_FAILURE() << "no exception";
        } catch (const XlfException& failure) {
            EXPECT_STREQ(failure.what(), text);
        }
    };
    const char* notArray =
        "attempt to perform an xltypeMulti operation on a value of type xltypeNum";
    expectThrows([&] { impl.Rows(number); }, notArray);
    expectThrows([&] { impl.Columns(number); }, notArray);
    expectThrows([&] { impl.GetElement(number, 0, 0); }, notArray);
    expectThrows([&] { impl.SetElement(number, 0, 0, XlfOper(2.0)); }, notArray);

    XlfOper array;
    impl.SetMulti(array, 3, 2);
    EXPECT_EQ(impl.Rows(array), 3u);
    EXPECT_EQ(impl.Columns(array), 2u);
    for (unsigned long k = 0; k < 6; ++k)
        EXPECT_EQ(RawRecord::Of(array).Element(k / 2, k % 2).Type(), 0x0100u);
    expectThrows([&] { impl.SetElement(array, 1, 1, XlfOper()); },
                 "attempt to set a matrix element to a value of type xltypeNil");
    EXPECT_EQ(RawRecord::Of(array).Element(1, 1).Type(), 0x0100u);

    XlfOper text("Tx");
    impl.SetElement(array, 2, 1, text);
    impl.SetElement(array, 0, 1, XlfOper(short(-7)));
    RawRecord element = RawRecord::Of(array).Element(2, 1);
    EXPECT_EQ(element.StringUnits(), RawRecord::Of(text).StringUnits());
    EXPECT_NE(element.StringAddress(), RawRecord::Of(text).StringAddress());
    EXPECT_EQ(RawRecord::Of(array).Element(0, 1).Integer(), -7);
    EXPECT_EQ(RawRecord::Of(impl.GetElement(array, 2, 1)).StringUnits(), element.StringUnits());
}

TEST_F(SetterTest, TypeNamesAndRecordAccess) {
    const struct {
        unsigned int type;
        const char* name;
    } rows[] = {{0x0001, "xltypeNum"},     {0x0002, "xltypeStr"}, {0x0004, "xltypeBool"},
                {0x0008, "xltypeRef"},     {0x0010, "xltypeErr"}, {0x0040, "xltypeMulti"},
                {0x0080, "xltypeMissing"}, {0x0100, "xltypeNil"}, {0x0400, "xltypeSRef"},
                {0x0800, "xltypeInt"},     {0x8002, "unknown"},   {0x0802, "unknown"},
                {0x0020, "unknown"},       {0x0000, "unknown"}};
    for (const auto& row : rows) {
        XLOPER record4{};
        XLOPER12 record12{};
        record4.xltype = static_cast<std::uint16_t>(row.type);
        record12.xltype = row.type;
        XlfOper oper(ProcessIsExcel12() ? static_cast<void*>(&record12) : &record4);
        EXPECT_EQ(oper.XltypeName(), row.name) << row.type;
        // Clear the bit, or the handle would hand the record to xlFree.
        record4.xltype &= 0x7FFF;
        record12.xltype &= 0x7FFF;
    }
    XlfOper none(static_cast<void*>(nullptr));
    EXPECT_EQ(none.GetType(), 0u);

    XlfOper oper(1.0);
    try {
        if (ProcessIsExcel12())
            oper.GetXloper();
        else
            oper.GetXloper12();
        ADD_FAILURE() << "no exception";
    } catch (const char* text) {
        EXPECT_STREQ(text, ProcessIsExcel12()
                               ? "Unable to convert Excel 12 datatype to Excel 4 datatype - "
                                 "operation not yet implemented"
                               : "Unable to convert Excel 4 datatype to Excel 12 datatype - "
                                 "operation not yet implemented");
    }
    EXPECT_EQ(ProcessIsExcel12() ? static_cast<void*>(oper.GetXloper12()) : oper.GetXloper(),
              oper.GetRecord());
}

} // namespace
