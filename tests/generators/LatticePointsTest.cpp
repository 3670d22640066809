#include "LatticePoints.h"
#include "DirectionNumberFile.h"
#include "OwenScrambling.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// The published vector, read here from the data file the build copies beside
// the test, not from the table compiled into the generator.
std::vector<std::uint64_t> PublishedVector() {
    std::ifstream file(DirectionNumberFilePath().parent_path() / "lattice-kuo-9125.txt");
    std::vector<std::uint64_t> z;
    for (std::string line; std::getline(file, line);)
        if (!line.empty() && line[0] != '#')
            z.push_back(std::stoull(line));
    return z;
}

// The 32-bit integer u of a coordinate (u + 1/2) / 2^32, which must be exact.
std::uint32_t BitsOf(double x) {
    const double scaled = x * 0x1p32 - 0.5;
    EXPECT_EQ(scaled, std::floor(scaled)) << x << " is not (u + 1/2) / 2^32";
    return static_cast<std::uint32_t>(scaled);
}

// The m-bit reversal of k: the radical-inverse order of the first 2^m points.
std::uint64_t ReversedLowBits(std::uint64_t k, int m) {
    std::uint64_t reversed = 0;
    for (int b = 0; b < m; ++b)
        reversed |= ((k >> b) & 1u) << (m - 1 - b);
    return reversed;
}

// Point i of the first 2^m minus point 0 (the shift) is k z / 2^m mod 1 with
// k the m-bit reversal of i, whatever the seed: so the points are a whole
// shifted lattice, in radical-inverse order, and every seed moves it alone.
TEST(LatticePoints, FirstPowerOfTwoPointsAreTheShiftedLatticeForEverySeed) {
    const std::vector<std::uint64_t> z = PublishedVector();
    ASSERT_EQ(z.size(), 9125u);
    const struct {
        int m, d;
        std::uint32_t seed;
    } cases[] = {{0, 5, 0}, {1, 9125, 0}, {3, 9125, 1}, {10, 64, 7}, {16, 3, 4294967295u}};
    for (const auto& c : cases) {
        const int n = 1 << c.m;
        const DoubleMatrix points = LatticePoints(c.d, n, c.seed, 0, LatticeTransform::None);
        ASSERT_EQ(points.RowCount(), static_cast<unsigned long>(n));
        ASSERT_EQ(points.ColumnCount(), static_cast<unsigned long>(c.d));
        for (int i = 0; i < n; ++i) {
            const std::uint64_t k = ReversedLowBits(i, c.m);
            for (int j = 0; j < c.d; ++j) {
                const std::uint32_t difference = BitsOf(points(i, j)) - BitsOf(points(0, j));
                const std::uint64_t lattice = ((k * z[j]) % n) << (32 - c.m);
                ASSERT_EQ(difference, lattice % (std::uint64_t{1} << 32))
                    << "m = " << c.m << ", seed " << c.seed << ", point " << i << ", dimension "
                    << j;
            }
        }
    }
}

// Point 2^19 minus point 0 is z_j * 2^12: all 20 bits of every component.
TEST(LatticePoints, UsesEveryBitOfEveryPublishedComponent) {
    const std::vector<std::uint64_t> z = PublishedVector();
    ASSERT_EQ(z.size(), 9125u);
    const DoubleMatrix origin = LatticePoints(9125, 1, 3, 0, LatticeTransform::None);
    const DoubleMatrix half = LatticePoints(9125, 1, 3, 1u << 19, LatticeTransform::None);
    for (int j = 0; j < 9125; ++j)
        ASSERT_EQ(BitsOf(half(0, j)) - BitsOf(origin(0, j)), z[j] << 12) << "dimension " << j;
}

// A shift is a hash of seed and dimension together: none repeats among
// dimensions and seeds, seed 0 included.
TEST(LatticePoints, ShiftsDifferBetweenSeedsAndDimensions) {
    std::set<std::uint32_t> shifts;
    const std::uint32_t seeds[] = {0, 1, 2, 4294967295u};
    for (std::uint32_t seed : seeds)
        for (int j = 0; j < 9125; ++j)
            shifts.insert(LatticeShift(seed, j));
    EXPECT_EQ(shifts.size(), 4u * 9125u);
}

// Point 0 is the shift itself (rev32(0) = 0): coordinate j is (s_j + 1/2) /
// 2^32, each column its own s_j. The shifts are keyed apart from the
// scrambles: none is the scramble seed of any column a sheet can hold under
// the same worksheet seed, as a shift hashed like a scramble seed would be.
TEST(LatticePoints, PointZeroIsEachColumnsOwnShiftAndNoScrambleSeed) {
    const int d = 64;
    const std::uint32_t seeds[] = {0, 7, 4294967295u};
    for (std::uint32_t seed : seeds) {
        std::set<std::uint32_t> scrambleSeeds;
        for (int j = 0; j < 16384; ++j)
            scrambleSeeds.insert(DimensionSeed(seed, j));
        const DoubleMatrix origin = LatticePoints(d, 1, seed, 0, LatticeTransform::None);
        for (int j = 0; j < d; ++j) {
            ASSERT_EQ(BitsOf(origin(0, j)), LatticeShift(seed, j)) << "seed " << seed << ", " << j;
            ASSERT_EQ(scrambleSeeds.count(LatticeShift(seed, j)), 0u)
                << "seed " << seed << ", dimension " << j;
        }
    }
}

// A later start continues the sequence, to the last of its 2^20 points; the
// baker's transform is 1 - |2x - 1| of the shifted point, bit for bit; both
// stay inside (0, 1).
TEST(LatticePoints, ContinuesFromAnyStartAndTransformsEachPoint) {
    const int d = 7;
    const struct {
        std::uint32_t seed, start;
        int n;
    } cases[] = {{0, 0, 300}, {9, 1000, 257}, {4294967295u, 1048576 - 64, 64}};
    for (const auto& c : cases) {
        const DoubleMatrix whole = LatticePoints(d, c.n, c.seed, c.start, LatticeTransform::None);
        const DoubleMatrix baker = LatticePoints(d, c.n, c.seed, c.start, LatticeTransform::Baker);
        const int cut = c.n / 3;
        const DoubleMatrix tail =
            LatticePoints(d, c.n - cut, c.seed, c.start + cut, LatticeTransform::None);
        for (int i = 0; i < c.n; ++i)
            for (int j = 0; j < d; ++j) {
                const double x = whole(i, j);
                if (i >= cut) {
                    ASSERT_EQ(tail(i - cut, j), x) << "start " << c.start << ", row " << i;
                }
                ASSERT_EQ(baker(i, j), 1.0 - std::abs(2.0 * x - 1.0)) << i << ", " << j;
                ASSERT_TRUE(x > 0.0 && x < 1.0 && baker(i, j) > 0.0 && baker(i, j) < 1.0);
            }
    }
}

TEST(LatticePoints, RefusesWhatTheVectorDoesNotHold) {
    const struct {
        int d, n;
        std::uint32_t start;
        const char* text;
    } cases[] = {
        {-1, 1, 0, "the number of dimensions must not be negative"},
        {9126, -1, 0, "the number of points must not be negative"},
        {9126, 1, 0, "the lattice has at most 9125 dimensions; d was 9126"},
        {1, 1048577, 0, "the lattice holds at most 1048576 points; start + n was 1048577"},
        {1, 1, 1048576, "the lattice holds at most 1048576 points; start + n was 1048577"},
        {1, 2147483647, 4294967295u,
         "the lattice holds at most 1048576 points; start + n was 6442450942"},
    };
    for (const auto& c : cases) {
        try {
            LatticePoints(c.d, c.n, 0, c.start, LatticeTransform::None);
            ADD_FAILURE() << "no exception for d = " << c.d << ", n = " << c.n;
        } catch (const std::invalid_argument& error) {
            EXPECT_EQ(std::string(error.what()), c.text);
        }
    }
    EXPECT_NO_THROW(LatticePoints(9125, 0, 0, 1048576, LatticeTransform::None));
}

} // namespace
