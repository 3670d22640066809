// What xlhost reads from its command line: formulas and --set cell values.
#include "Formula.h"
#include "CellSetting.h"
#include "CommandLine.h"
#include "xlw/ExcelApi.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using xlhost::Cell;
using xlhost::CellSetting;
using xlhost::Formula;
using xlhost::FormulaArgument;

// "Num 1.5", "Str a", "Bool TRUE", "Err 42", "Missing", "Ref [0:2,0:1]"
// (zero-based rows, then columns; "columns" or "rows" after whole ones).
std::string Describe(const FormulaArgument& argument) {
    if (argument.isReference) {
        const xlhost::Range& r = argument.range;
        return "Ref [" + std::to_string(r.rowFirst) + ":" + std::to_string(r.rowLast) + "," +
               std::to_string(r.columnFirst) + ":" + std::to_string(r.columnLast) + "]" +
               (argument.wholeColumns ? " columns" : "") + (argument.wholeRows ? " rows" : "");
    }
    const Cell& value = argument.value;
    switch (value.kind) {
    case Cell::Kind::Number:
        return "Num " + value.Display();
    case Cell::Kind::Text:
        return "Str " + value.text;
    case Cell::Kind::Boolean:
        return "Bool " + value.Display();
    case Cell::Kind::Error:
        return "Err " + std::to_string(value.error);
    case Cell::Kind::Missing:
        return "Missing";
    default:
        return "?";
    }
}

std::string Describe(const Formula& formula) {
    std::string out = formula.functionName + ":";
    for (const FormulaArgument& argument : formula.arguments) {
        out += " <" + Describe(argument) + ">";
    }
    return out;
}

// `parse` refuses `text` with a message that holds `message`.
template <class Parse> void ExpectRefused(Parse parse, const char* text, const char* message) {
    SCOPED_TRACE(text);
    try {
        parse(text);
        ADD_FAILURE() << "accepted";
    } catch (const std::invalid_argument& error) {
        EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
    }
}

TEST(FormulaTest, ReadsEveryKindOfArgument) {
    const struct {
        const char* formula;
        const char* expected;
    } cases[] = {
        {"f()", "f:"},
        {"f(1.5, -2, +3e2, .25, 1E-3)", "f: <Num 1.5> <Num -2> <Num 300> <Num 0.25> <Num 0.001>"},
        {"f(\"a, b\", \"say \"\"hi\"\"\", \"\")", "f: <Str a, b> <Str say \"hi\"> <Str >"},
        {"f(TRUE, false, True)", "f: <Bool TRUE> <Bool FALSE> <Bool TRUE>"},
        {"f(#NULL!, #DIV/0!, #VALUE!, #REF!, #NAME?, #NUM!, #N/A, #n/a)",
         "f: <Err 0> <Err 7> <Err 15> <Err 23> <Err 29> <Err 36> <Err 42> <Err 42>"},
        {"f(1,,3)", "f: <Num 1> <Missing> <Num 3>"},
        {"f(,)", "f: <Missing> <Missing>"},
        {"f( , 2)", "f: <Missing> <Num 2>"},
        {"f(1,)", "f: <Num 1> <Missing>"},
        // Rows, then columns, zero-based: C3 is row 2, column 2.
        {"f(A1, c3, $B$2, AA10)",
         "f: <Ref [0:0,0:0]> <Ref [2:2,2:2]> <Ref [1:1,1:1]> <Ref [9:9,26:26]>"},
        {"f(A1:C3, $A$1:b2, C3:A1)", "f: <Ref [0:2,0:2]> <Ref [0:1,0:1]> <Ref [0:2,0:2]>"},
        // XFD is 24 x 676 + 6 x 26 + 4 = 16384; IV is 9 x 26 + 22 = 256.
        {"f(A1:XFD1048576, IV65536)", "f: <Ref [0:1048575,0:16383]> <Ref [65535:65535,255:255]>"},
        {"rnd_Sobol(3, 8)", "rnd_Sobol: <Num 3> <Num 8>"},
        // Whole columns and rows span Excel 12's sheet, in either order.
        {"f(A:C, $b:$B, C:a)", "f: <Ref [0:1048575,0:2] columns> <Ref [0:1048575,1:1] columns> "
                               "<Ref [0:1048575,0:2] columns>"},
        {"f(1:3, $2:2, 1048576:1048576)", "f: <Ref [0:2,0:16383] rows> <Ref [1:1,0:16383] rows> "
                                          "<Ref [1048575:1048575,0:16383] rows>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.formula);
        EXPECT_EQ(Describe(Formula::Parse(c.formula)), c.expected);
    }
}

TEST(FormulaTest, SaysWhatIsWrong) {
    const struct {
        const char* formula;
        const char* message; // a part of the message
    } cases[] = {
        {"(1)", "expected a function name"},
        {"f 1", "expected '('"},
        {"f(1", "expected ',' or ')'"},
        {"f(1) 2", "expected the end"},
        {"f(\"open)", "expected a closing '\"'"},
        {"f(#WHAT?)", "expected an error: #NULL!"},
        {"f(A0)", "row 0 is outside the sheet's rows 1 to 1048576"},
        {"f(A1048577)", "row 1048577 is outside"},
        {"f(XFE1)", "column XFE is beyond XFD"},
        {"f(A1:)", "expected a cell after ':'"},
        {"f(A1:B)", "expected a cell after ':'"},
        {"f(inf)", "expected an argument"},
        {"f(0x10)", "expected an argument"},
        {"f(1e999)", "a number within the range of doubles"},
        {"f(-A1)", "expected an argument"},
        {"f(sum)", "expected an argument"},
        {"f(A:1)", "expected a column after ':'"},
        {"f(1:A)", "expected a row after ':'"},
        {"f(A:XFE)", "column XFE is beyond XFD"},
        {"f(0:3)", "row 0 is outside"},
    };
    for (const auto& c : cases) {
        ExpectRefused(Formula::Parse, c.formula, c.message);
    }
}

TEST(FormulaTest, WholeColumnsAndRowsEndAtTheEdgeOfTheSheetThatReadsThem) {
    const Formula formula = Formula::Parse("f(B:C, 2:3, A1:A1048576)");
    // Excel 4's sheet: A:A is A1:A65536 in Excel 2003, 1:1 is A1:IV1.
    const xlhost::Range columns = formula.arguments[0].RangeWithin(65536, 256);
    const xlhost::Range rows = formula.arguments[1].RangeWithin(65536, 256);
    const xlhost::Range cells = formula.arguments[2].RangeWithin(65536, 256);
    EXPECT_EQ(columns.rowFirst, 0);
    EXPECT_EQ(columns.rowLast, 65535);
    EXPECT_EQ(columns.columnLast, 2);
    EXPECT_EQ(rows.rowLast, 2);
    EXPECT_EQ(rows.columnFirst, 0);
    EXPECT_EQ(rows.columnLast, 255);
    EXPECT_EQ(cells.rowLast, 1048575) << "a range of cells stays as typed";
}

TEST(CellSettingTest, FillsTheRangeRowByRow) {
    const struct {
        const char* setting;
        xlhost::Range range;
        const char* values; // as Grid::Display shows them
    } cases[] = {
        {"A1=3", {0, 0, 0, 0}, "3\n"},
        {"B1=some text", {0, 0, 1, 1}, "some text\n"},
        {"A2:C3=1,2,3;4,5,6", {1, 2, 0, 2}, "1,2,3\n4,5,6\n"},
        {"a1:b2 = TRUE , #N/A ; 2.5e1 , five apples", {0, 1, 0, 1}, "TRUE,#N/A\n25,five apples\n"},
        {"A1:D1=\"1,5\",\"a \"\"b\"\"\",,\"\"", {0, 0, 0, 3}, "1,5,a \"b\",,\n"},
        {"$C$4:C5=;x", {3, 4, 2, 2}, "\nx\n"},
        // Texts that begin as a value does.
        {"A1:C1=1 2, 3e1x ,-", {0, 0, 0, 2}, "1 2,3e1x,-\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        const CellSetting setting = CellSetting::Parse(c.setting);
        EXPECT_EQ(setting.range.rowFirst, c.range.rowFirst);
        EXPECT_EQ(setting.range.rowLast, c.range.rowLast);
        EXPECT_EQ(setting.range.columnFirst, c.range.columnFirst);
        EXPECT_EQ(setting.range.columnLast, c.range.columnLast);
        EXPECT_EQ(setting.values.Display(), c.values);
    }
    // Kinds, which the display does not show: a quoted number is text, an
    // empty item leaves the cell empty.
    const CellSetting kinds = CellSetting::Parse("A1:E1=\"12\",12,#DIV/0!,,false");
    EXPECT_EQ(kinds.values.At(0, 0), Cell::Text("12"));
    EXPECT_EQ(kinds.values.At(0, 1), Cell::Number(12));
    EXPECT_EQ(kinds.values.At(0, 2), Cell::Error(xlerrDiv0));
    EXPECT_EQ(kinds.values.At(0, 3), Cell::Nil());
    EXPECT_EQ(kinds.values.At(0, 4), Cell::Boolean(false));
}

TEST(CellSettingTest, SaysWhatIsWrong) {
    const struct {
        const char* setting;
        const char* message;
    } cases[] = {
        {"=3", "expected a cell or range such as B1 or A2:C3"},
        {"A1 3", "expected '=' after the cells"},
        {"A1=1,2", "1 row (separated by ';') of 1 value (separated by ','), one per cell; "
                   "got 1 row, the first of 2 values"},
        {"A1:B2=1,2", "2 rows (separated by ';') of 2 values"},
        {"A1:A2=1;2;3", "got 3 rows"},
        {"A1=\"a\"b", "expected ',' or ';' or the end after a quoted text"},
        {"A1=#OOPS", "expected an error"},
        {"XFE1=1", "column XFE is beyond XFD"},
        {"A1:B1=1,1e400",
         "--set 'A1:B1=1,1e400': expected a number within the range of doubles at position 9"},
    };
    for (const auto& c : cases) {
        ExpectRefused(CellSetting::Parse, c.setting, c.message);
    }
}

TEST(CommandLineTest, SetsCellsInOrderAndHelpsOnRequest) {
    const xlhost::CommandLine line = xlhost::CommandLine::Parse(
        {"--set", "A1=1", "--excel", "11.0", "--set", "A1:B1=x,y", "Add.xll", "f(A1)"});
    ASSERT_EQ(line.cells.size(), 2u);
    EXPECT_EQ(line.cells[1].values.Display(), "x,y\n");
    EXPECT_EQ(line.version, "11.0");
    EXPECT_EQ(line.addIn, "Add.xll");
    EXPECT_EQ(line.formulas, std::vector<std::string>{"f(A1)"});
    EXPECT_TRUE(xlhost::CommandLine::Parse({"--help"}).help);
    EXPECT_THROW(xlhost::CommandLine::Parse({"--set"}), std::invalid_argument);
    EXPECT_THROW(xlhost::CommandLine::Parse({"--set", "A1", "Add.xll"}), std::invalid_argument);
    const xlhost::CommandLine joined =
        xlhost::CommandLine::Parse({"--excel=16.0", "--threads=2", "--list", "Add.xll"});
    EXPECT_EQ(joined.version, "16.0");
    EXPECT_EQ(xlhost::CommandLine::Parse({"Add.xll", "f()"}).version, "16.0")
        << "the newest Excel, which users run";
    EXPECT_EQ(joined.threads, 2);
    EXPECT_TRUE(joined.formulas.empty()) << "--list alone is something to do";
    const struct {
        std::vector<std::string> arguments;
        int threads;
        int clusterNodes;
    } clusters[] = {
        {{"Add.xll", "f()"}, 0, 0},
        {{"--cluster", "2", "Add.xll", "f()"}, 1, 2},
        {{"--cluster=64", "--threads", "3", "Add.xll", "f()"}, 3, 64},
        {{"--threads=4", "--cluster", "1", "Add.xll", "f()"}, 4, 1},
        {{"--cluster", "1", "--excel", "14.0", "Add.xll", "f()"}, 1, 1},
    };
    for (const auto& c : clusters) {
        const xlhost::CommandLine cluster = xlhost::CommandLine::Parse(c.arguments);
        EXPECT_EQ(cluster.threads, c.threads);
        EXPECT_EQ(cluster.clusterNodes, c.clusterNodes);
    }
    const struct {
        std::vector<std::string> arguments;
        const char* message;
    } refused[] = {
        {{"--excel"}, "--excel needs a version"},
        {{"--excel", "13.0", "Add.xll", "f()"}, "versions 8.0, 9.0, 10.0, 11.0, 12.0, 14.0"},
        {{"--excel=", "Add.xll", "f()"}, "not ''"},
        {{"Add.xll"}, "no formula given"},
        {{"--wizard=1", "Add.xll", "f()"}, "--wizard takes no value"},
        {{"--threads"}, "--threads needs a whole number"},
        {{"--cluster", "0", "Add.xll", "f()"},
         "--cluster needs a whole number of nodes from 1 to 64"},
        {{"--cluster=65", "Add.xll", "f()"},
         "--cluster needs a whole number of nodes from 1 to 64"},
        {{"--cluster", "two", "Add.xll", "f()"}, "--cluster needs a whole number of nodes"},
        // Excel 2010 brought the cluster connector.
        {{"--excel", "12.0", "--cluster", "2", "Add.xll", "f()"},
         "--cluster needs Excel 2010 or later, --excel 14.0, 15.0 or 16.0: Excel 12.0 has no"},
        {{"--cluster=1", "--excel=11.0", "--list", "Add.xll"}, "--excel 14.0"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.message);
        try {
            xlhost::CommandLine::Parse(r.arguments);
            ADD_FAILURE() << "accepted";
        } catch (const std::invalid_argument& error) {
            EXPECT_NE(std::string(error.what()).find(r.message), std::string::npos) << error.what();
        }
    }
    const std::string usage = xlhost::CommandLine::Usage();
    EXPECT_NE(usage.find("--set CELLS=VALUES"), std::string::npos);
    EXPECT_NE(usage.find("A2:C3"), std::string::npos);
    EXPECT_NE(usage.find("--cluster N"), std::string::npos);
}

} // namespace
