#include "BrownianPaths.h"
#include "FaurePoints.h"
#include "HaltonPoints.h"
#include "NormalVariates.h"
#include "ScrambledSobol.h"
#include "SobolPoints.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <new>
#include <stdexcept>
#include <string>

namespace {

struct Generator {
    const char* name;
    DoubleMatrix (*generate)(int d, int n);
    // Point sets lie in (0, 1); variates are any finite numbers.
    bool uniform;
};

DoubleMatrix Sobol(int d, int n) {
    return SobolPoints(d, n, ShippedDirectionNumberFile());
}
DoubleMatrix Normal(int d, int n) {
    return NormalVariates(d, n, ShippedDirectionNumberFile());
}
DoubleMatrix LogNormal(int d, int n) {
    return LogNormalVariates(d, n, ShippedDirectionNumberFile());
}
// Seeded and started away from 0, so that neither is a special case.
DoubleMatrix ScrambledSobol(int d, int n) {
    return ScrambledSobolPoints(d, n, 7, 1000, ShippedDirectionNumberFile());
}
DoubleMatrix ScrambledNormal(int d, int n) {
    return ScrambledNormalVariates(d, n, 7, 1000, ShippedDirectionNumberFile());
}
DoubleMatrix Brownian(int d, int n) {
    return BrownianPaths(d, n, 2.0, 7, 1000, ShippedDirectionNumberFile());
}

const Generator Generators[] = {
    {"Sobol", Sobol, true},
    {"Halton", HaltonPoints, true},
    {"Faure", FaurePoints, true},
    {"Normal", Normal, false},
    {"LogNormal", LogNormal, false},
    {"ScrambledSobol", ScrambledSobol, true},
    {"ScrambledNormal", ScrambledNormal, false},
    {"BrownianPaths", Brownian, false},
};

class EveryGenerator : public testing::TestWithParam<Generator> {};

TEST_P(EveryGenerator, ReturnsOnePointPerRowAndOneDimensionPerColumn) {
    const struct {
        int d, n;
    } shapes[] = {{1, 1}, {3, 8}, {17, 33}, {5, 0}, {0, 7}, {0, 0}, {256, 2}};
    for (const auto& shape : shapes) {
        const DoubleMatrix points = GetParam().generate(shape.d, shape.n);
        EXPECT_EQ(points.RowCount(), static_cast<unsigned long>(shape.n));
        EXPECT_EQ(points.ColumnCount(), static_cast<unsigned long>(shape.d));
    }
}

TEST_P(EveryGenerator, RejectsNegativeCounts) {
    const struct {
        int d, n;
        const char* text;
    } cases[] = {{-1, 4, "the number of dimensions must not be negative"},
                 {-1, 0, "the number of dimensions must not be negative"},
                 {3, -1, "the number of points must not be negative"},
                 {0, -2147483647 - 1, "the number of points must not be negative"}};
    for (const auto& c : cases) {
        try {
            GetParam().generate(c.d, c.n);
            ADD_FAILURE() << "no exception for d = " << c.d << ", n = " << c.n;
        } catch (const std::invalid_argument& error) {
            EXPECT_EQ(std::string(error.what()), c.text);
        }
    }
}

// Counts a worksheet user can type whose result cannot exist in a 32-bit
// process: refused before any prime, digit or direction number is formed.
TEST_P(EveryGenerator, RefusesResultsBeyondThirtyTwoBitsAtOnce) {
    const int largest = 2147483647;
    const struct {
        int d, n;
    } cases[] = {{largest, 1}, {1, largest}, {largest, largest}, {65536, 65536}};
    for (const auto& c : cases)
        EXPECT_THROW(GetParam().generate(c.d, c.n), std::bad_alloc) << c.d << " x " << c.n;
}

TEST_P(EveryGenerator, GivesValuesInRange) {
    const int d = 24;
    const int n = 2000;
    const DoubleMatrix points = GetParam().generate(d, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < d; ++j) {
            const double value = points(i, j);
            ASSERT_TRUE(std::isfinite(value)) << i << ", " << j;
            if (GetParam().uniform) {
                ASSERT_GT(value, 0.0) << i << ", " << j;
                ASSERT_LT(value, 1.0) << i << ", " << j;
            }
        }
}

TEST_P(EveryGenerator, RepeatsItselfAndKeepsDimensionsApart) {
    const int d = 12;
    const int n = 64;
    const DoubleMatrix first = GetParam().generate(d, n);
    const DoubleMatrix second = GetParam().generate(d, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < d; ++j)
            ASSERT_EQ(first(i, j), second(i, j)) << i << ", " << j;

    for (int j = 0; j < d; ++j)
        for (int other = j + 1; other < d; ++other) {
            int equal = 0;
            for (int i = 0; i < n; ++i)
                equal += first(i, j) == first(i, other);
            EXPECT_LT(equal, n) << "dimensions " << j << " and " << other << " coincide";
        }
}

// A prefix of a longer run is the shorter run: the points do not depend on n.
TEST_P(EveryGenerator, ExtendsItsShorterRuns) {
    const DoubleMatrix shorter = GetParam().generate(6, 100);
    const DoubleMatrix longer = GetParam().generate(6, 1000);
    for (int i = 0; i < 100; ++i)
        for (int j = 0; j < 6; ++j)
            ASSERT_EQ(shorter(i, j), longer(i, j)) << i << ", " << j;
}

INSTANTIATE_TEST_SUITE_P(All, EveryGenerator, testing::ValuesIn(Generators),
                         [](const testing::TestParamInfo<Generator>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
