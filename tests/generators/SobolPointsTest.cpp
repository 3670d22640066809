#include "SobolPoints.h"
#include "ShippedSobolTable.h"
#include "SobolDirectionNumbers.h"
#include "TestFiles.h"

#include <boost/random/sobol.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

const char* const TwoDimensions = "s a m_i\n1 0 1\n";
const char* const ThreeDimensions = "s a m_i\n1 0 1\n2 1 1 3\n";

void ExpectRows(const DoubleMatrix& points, unsigned long firstRow,
                const std::vector<std::vector<double>>& rows) {
    for (unsigned long i = 0; i < rows.size(); ++i)
        for (unsigned long j = 0; j < rows[i].size(); ++j)
            EXPECT_EQ(points(firstRow + i, j), rows[i][j]) << firstRow + i << ", " << j;
}

// Hand computations: dimension 2 has m = 1, 3, 5 and dimension 3 (s = 2,
// a = 1) has m = 1, 3, 3, 9 for n = 8.
TEST(SobolPoints, GivesTheHandComputedPoints) {
    TemporaryFolder folder;
    const DoubleMatrix single = SobolPoints(1, 4, folder.PathOf("absent.txt"));
    ExpectRows(single, 0, {{0.5}, {0.75}, {0.25}, {0.375}});

    const DoubleMatrix two = SobolPoints(2, 4, folder.Write("two.txt", TwoDimensions));
    ExpectRows(two, 0, {{0.5, 0.5}, {0.75, 0.25}, {0.25, 0.75}, {0.375, 0.375}});

    const DoubleMatrix three = SobolPoints(3, 8, folder.Write("three.txt", ThreeDimensions));
    ExpectRows(three, 4,
               {{0.875, 0.875, 0.125},
                {0.625, 0.125, 0.875},
                {0.125, 0.625, 0.375},
                {0.1875, 0.3125, 0.9375}});

    const DoubleMatrix one = SobolPoints(3, 1, folder.PathOf("three.txt"));
    ExpectRows(one, 0, {{0.5, 0.5, 0.5}});
}

// Derived numbers by hand from m_i = 2a(1)m_(i-1) ^ ... ^ 2^s m_(i-s) ^ m_(i-s);
// a degree of bitCount or more, up to the largest int, derives nothing and
// touches nothing (a loop from s + 1 would overflow there).
TEST(SobolPoints, ExtendsDirectionNumbersOnlyBelowTheBitCount) {
    const struct {
        int s;
        std::uint32_t a;
        int bitCount;
        std::vector<std::uint32_t> initial;
        std::vector<std::uint32_t> extended;
    } cases[] = {
        {1, 0, 3, {1}, {1, 3, 5}},
        {2, 1, 4, {1, 3}, {1, 3, 3, 9}},
        {3, 2, 5, {1, 3, 7}, {1, 3, 7, 7, 21}},
        {4, 4, 4, {1, 3, 7, 15}, {1, 3, 7, 15}},
        {31, 0, 4, {1, 3, 7, 15}, {1, 3, 7, 15}},
        {2147483647, 0, 31, {1}, {1}},
        {2147483647, 1, 31, {1}, {1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.s);
        std::vector<std::uint32_t> m(c.bitCount + 1, 0xdead);
        std::copy(c.initial.begin(), c.initial.end(), m.begin() + 1);
        ExtendDirectionNumbers(m, c.s, c.a, c.bitCount);
        std::vector<std::uint32_t> expected = c.extended;
        expected.insert(expected.begin(), 0xdead);
        expected.resize(m.size(), 0xdead);
        EXPECT_EQ(m, expected);
    }
}

// Line layouts that must all read as ThreeDimensions: surplus numbers, remarks
// and remainders of any length are skipped with the rest of their line, and
// either line end reads alike.
TEST(SobolPoints, SkipsTheRestOfEachLineWhateverItHolds) {
    TemporaryFolder folder;
    const DoubleMatrix expected = SobolPoints(3, 8, folder.Write("plain.txt", ThreeDimensions));
    const std::string longText(5000, 'x');
    const std::string layouts[] = {
        "s a m_i\n1 0 1 3 5 7 9 11 13\n2 1 1 3 3 9 27\n",
        longText + "\n1 0 1 " + longText + "\n2 1 1 3 " + longText + "\n",
        "s a m_i\r\n1 0 1\r\n2 1 1 3\r\n",
        "s a m_i\n\t1\t0\t1  remark\n2 1 1 3",
        "s a m_i\n+1 0 1\n2 +1 1 +3\n",
    };
    for (const std::string& text : layouts) {
        const DoubleMatrix points = SobolPoints(3, 8, folder.Write("layout.txt", text));
        for (int i = 0; i < 8; ++i)
            for (int j = 0; j < 3; ++j)
                ASSERT_EQ(points(i, j), expected(i, j)) << text.substr(0, 40);
    }
}

TEST(SobolPoints, NeedsNoFileWithoutPointsOrSecondDimension) {
    TemporaryFolder folder;
    const std::string absent = folder.PathOf("absent.txt");
    EXPECT_EQ(SobolPoints(5, 0, absent).ColumnCount(), 5u);
    EXPECT_EQ(SobolPoints(0, 5, absent).RowCount(), 5u);
    EXPECT_EQ(SobolPoints(1, 3, absent).RowCount(), 3u);
}

TEST(SobolPoints, ReportsAMissingFileByName) {
    TemporaryFolder folder;
    const std::string absent = folder.PathOf("absent.txt");
    for (int d : {2, 5}) {
        try {
            SobolPoints(d, 4, absent);
            ADD_FAILURE() << "no exception for d = " << d;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), "cannot open direction-number file " + absent);
        }
    }
}

// The located form reports the file it reads: "param.txt" beside this test.
TEST(SobolPoints, WritesThePathOfTheFileItReads) {
    testing::internal::CaptureStdout();
    const DoubleMatrix located = SobolPoints(4, 16);
    std::string output = testing::internal::GetCapturedStdout();
    output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());

    ASSERT_FALSE(output.empty());
    EXPECT_EQ(output.find('\n'), output.size() - 1) << output;
    const std::string path = output.substr(0, output.size() - 1);
    const std::string name = "param.txt";
    ASSERT_GE(path.size(), name.size() + 1);
    EXPECT_EQ(path.substr(path.size() - name.size()), name);
    EXPECT_TRUE(path[path.size() - name.size() - 1] == '/' ||
                path[path.size() - name.size() - 1] == '\\')
        << path;

    const DoubleMatrix direct = SobolPoints(4, 16, path);
    for (int i = 0; i < 16; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_EQ(located(i, j), direct(i, j));
}

class ShippedSobolPoints : public testing::Test {
protected:
    static std::int64_t Scaled(double coordinate) {
        return static_cast<std::int64_t>(coordinate * 33554432.0);
    }
    const std::string file = ShippedDirectionNumberFile();
};

// Every dimension's first 2^k points, counting the origin that is not
// produced, fall one into each interval [j / 2^k, (j + 1) / 2^k). Coordinates
// are whole multiples of 2^-25, so the interval is a shift of the numerator.
void ExpectStratified(const DoubleMatrix& points, int maxBits) {
    for (unsigned long j = 0; j < points.ColumnCount(); ++j) {
        std::vector<std::int64_t> numerators(points.RowCount());
        for (unsigned long i = 0; i < points.RowCount(); ++i)
            numerators[i] = static_cast<std::int64_t>(points(i, j) * 33554432.0);
        for (int k = 1; k <= maxBits; ++k) {
            const std::size_t count = std::size_t{1} << k;
            std::vector<char> hit(count, 0);
            hit[0] = 1;
            for (std::size_t i = 0; i + 1 < count; ++i) {
                const std::int64_t interval = numerators[i] >> (25 - k);
                if (interval < 0 || interval >= static_cast<std::int64_t>(count) ||
                    hit[interval]++) {
                    ADD_FAILURE() << "dimension " << j + 1 << ", 2^" << k << " points, row " << i;
                    return;
                }
            }
        }
    }
}

TEST_F(ShippedSobolPoints, AreWholeMultiplesOfTwoToTheMinus25) {
    const DoubleMatrix points = SobolPoints(2000, 3000, file);
    for (int i = 0; i < 3000; ++i)
        for (int j = 0; j < 2000; ++j) {
            const double scaled = points(i, j) * 33554432.0;
            ASSERT_EQ(scaled, std::floor(scaled)) << i << ", " << j;
            ASSERT_GT(scaled, 0.0);
            ASSERT_LT(scaled, 33554432.0);
        }
}

TEST_F(ShippedSobolPoints, AreStratifiedInEachDimension) {
    ExpectStratified(SobolPoints(21201, 63, file), 6);
    ExpectStratified(SobolPoints(1000, 1023, file), 10);
    ExpectStratified(SobolPoints(4, (1 << 20) - 1, file), 20);
}

// Boost.Random's Sobol engine, fed the same polynomials and initial numbers,
// gives the same Gray-code points with 32 bits; their top 25 bits are ours.
TEST_F(ShippedSobolPoints, AgreeWithBoostRandomsSobolEngine) {
    const int d = 300;
    const int n = 5000;
    ASSERT_EQ(ShippedTable::Lines().size(), 21200u);
    boost::random::sobol_engine<std::uint32_t, 32, ShippedTable> engine(d);
    const DoubleMatrix points = SobolPoints(d, n, file);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < d; ++j)
            ASSERT_EQ(Scaled(points(i, j)), engine() >> 7) << i << ", " << j;
}

} // namespace
