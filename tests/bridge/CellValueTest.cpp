#include "xlw/CellValue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

using namespace xlw;

namespace {

// The text of the std::runtime_error thrown, or "" when nothing was thrown.
std::string ThrownText(const std::function<void()>& access) {
    try {
        access();
    } catch (const std::runtime_error& failure) {
        return failure.what();
    }
    return "";
}

const std::string notString = "non string cell asked to be a string";
const std::string notWideString = "non wstring cell asked to be a wstring";
const std::string notNumber = "non number cell asked to be a number";
const std::string notBoolean = "non boolean cell asked to be a bool";
const std::string notError = "non error cell asked to be an error";

} // namespace

// A cell is never read as a bool by accident: only a boolean cell, and only
// when asked for explicitly.
static_assert(!std::is_convertible_v<CellValue, bool>, "no implicit conversion to bool");

TEST(CellValue, EveryNumberTypeMakesANumberCell) {
    const std::vector<int> values(3);
    CellValue cell;
    cell = values.size();
    EXPECT_TRUE(cell.IsNumberCell());
    EXPECT_EQ(cell.GetNumber(), 3.0);
    const CellValue cells[] = {CellValue(-7L),  CellValue(7UL),  CellValue(short(-7)),
                               CellValue(7.0f), CellValue(7LL),  CellValue(7ULL),
                               CellValue(7U),   CellValue(-7.0L)};
    for (const CellValue& number : cells) {
        EXPECT_TRUE(number.IsNumberCell());
        EXPECT_EQ(std::abs(number.GetNumber()), 7.0);
    }
    EXPECT_TRUE(CellValue(false).IsBooleanCell());
}

TEST(CellValue, ConstructorsChooseKindAndNeutralFields) {
    EXPECT_TRUE(CellValue().IsEmptyCell());
    EXPECT_TRUE(CellValue(std::string("a")).IsStringCell());
    EXPECT_TRUE(CellValue("a").IsStringCell());
    EXPECT_TRUE(CellValue(std::wstring(L"a")).IsWideStringCell());
    EXPECT_TRUE(CellValue(2.5).IsNumberCell());
    EXPECT_TRUE(CellValue(-3).IsNumberCell());
    EXPECT_TRUE(CellValue(true).IsBooleanCell());
    EXPECT_EQ(CellValue(-3).GetNumber(), -3.0);

    const CellValue number(7ul, false);
    EXPECT_TRUE(number.IsNumberCell());
    EXPECT_EQ(number.GetNumber(), 7.0);
    EXPECT_EQ(ThrownText([&] { number.GetErrorCode(); }), notError);

    const CellValue error(7ul, true);
    EXPECT_TRUE(error.IsErrorCell());
    EXPECT_EQ(error.GetErrorCode(), 7u);
    EXPECT_EQ(ThrownText([&] { error.GetNumber(); }), notNumber);
}

TEST(CellValue, AccessorsOfAnotherKindThrowTheirText) {
    const CellValue text("x");
    const CellValue number(1.0);
    const CellValue empty;
    EXPECT_EQ(ThrownText([&] { number.GetText(); }), notString);
    EXPECT_EQ(ThrownText([&] { text.GetWideText(); }), notWideString);
    EXPECT_EQ(ThrownText([&] { text.GetNumber(); }), notNumber);
    EXPECT_EQ(ThrownText([&] { number.GetBoolean(); }), notBoolean);
    EXPECT_EQ(ThrownText([&] { text.GetErrorCode(); }), notError);
    EXPECT_EQ(ThrownText([&] { empty.GetLowerCaseText(); }), notString);
    EXPECT_EQ(ThrownText([&] { empty.GetLowerCaseWideText(); }), notString);
}

TEST(CellValue, ConversionsAcceptOnlyTheirOwnKind) {
    const CellValue narrow("x");
    const CellValue wide(std::wstring(L"w"));
    const CellValue number(2.0);
    EXPECT_EQ(static_cast<std::string>(narrow), "x");
    EXPECT_EQ(static_cast<std::wstring>(wide), L"w");
    // Unlike GetText and GetWideText, each string conversion refuses the
    // other string kind, and both with the "string" text.
    EXPECT_EQ(ThrownText([&] { static_cast<void>(static_cast<std::string>(wide)); }), notString);
    EXPECT_EQ(ThrownText([&] { static_cast<void>(static_cast<std::wstring>(narrow)); }), notString);
    EXPECT_EQ(ThrownText([&] { static_cast<void>(static_cast<bool>(number)); }), notBoolean);
    EXPECT_EQ(ThrownText([&] { static_cast<void>(static_cast<double>(narrow)); }), notNumber);
    EXPECT_EQ(ThrownText([&] { static_cast<void>(static_cast<unsigned long>(narrow)); }),
              notNumber);
    EXPECT_TRUE(static_cast<bool>(CellValue(true)));
    EXPECT_EQ(static_cast<double>(number), 2.0);
}

TEST(CellValue, UnsignedConversionKeepsLow32BitsOfTruncatedNumber) {
    const struct {
        double number;
        unsigned long expected;
    } cases[] = {
        {7.9, 7ul},
        {-0.5, 0ul},
        {-1.5, 4294967295ul},      // -1 truncated
        {4294967296.0 + 5.0, 5ul}, // 2^32 + 5
        {-4294967296.0 - 2.0, 4294967294ul},
        {1e300, 0ul}, // a multiple of 2^32
        {std::numeric_limits<double>::quiet_NaN(), 0ul},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(static_cast<unsigned long>(CellValue(c.number)), c.expected);
    }
}

TEST(CellValue, TextCaseAndWidth) {
    const CellValue wide(std::wstring(L"AbC"));
    EXPECT_EQ(wide.GetText(), "AbC");
    EXPECT_EQ(wide.GetLowerCaseText(), "abc");
    EXPECT_EQ(wide.GetLowerCaseWideText(), L"abc");
    EXPECT_EQ(CellValue("X").GetLowerCaseWideText(), L"x");
    EXPECT_EQ(CellValue("Mixed Case 09").GetLowerCaseText(), "mixed case 09");

    // Wide characters keep their low 8 bits when narrowed.
    EXPECT_EQ(CellValue(std::wstring(1, wchar_t(0x141))).GetText(), "A");
    // Narrow bytes are signed when widened: 0xE9 becomes 0xFFE9.
    const std::wstring widened = CellValue("\xE9").GetLowerCaseWideText();
    ASSERT_EQ(widened.size(), 1u);
    EXPECT_EQ(static_cast<unsigned>(widened[0]), 0xFFE9u);
}

TEST(CellValue, ClearEmptiesTheCell) {
    CellValue cell(std::wstring(L"w"));
    cell.Clear();
    EXPECT_TRUE(cell.IsEmptyCell());
    EXPECT_EQ(ThrownText([&] { cell.GetWideText(); }), notWideString);
}
