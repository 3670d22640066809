#include "ScrambledSobol.h"
#include "BrownianPaths.h"
#include "GrayCodeSobol.h"
#include "OwenScrambling.h"
#include "ScrambledCoordinates.h"
#include "ShippedSobolTable.h"
#include "SobolDirectionNumbers.h"
#include "TestFiles.h"

#include <boost/random/sobol.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <set>
#include <stdexcept>
#include <vector>

namespace {

const std::string& File() {
    static const std::string path = ShippedDirectionNumberFile();
    return path;
}

// The scrambled bits of a coordinate: u = (x + 1/2) / 2^32.
std::uint32_t Bits(double u) {
    return static_cast<std::uint32_t>(u * 0x1p32);
}

// Boost.Random's engine, fed the shipped table, is the independent Gray-code
// Sobol sequence; after seed(k - 1) it delivers the point of index k.
TEST(GrayCodeSobol, JumpsToAnyIndexOfBoostRandomsSequence) {
    const int d = 40;
    GrayCodeSobol sobol(d, SobolDirectionIntegers(d, 32, File()));
    for (std::uint32_t start :
         {1u, 2u, 5u, 1000u, 65535u, (1u << 20) + 3u, 2147483000u, 4294967200u}) {
        boost::random::sobol_engine<std::uint32_t, 32, ShippedTable> engine(d);
        engine.seed(start - 1);
        sobol.Seek(start);
        for (int i = 0; i < 200; ++i) {
            for (int j = 0; j < d; ++j)
                ASSERT_EQ(ReverseBits(sobol.ReversedPoint()[j]), engine())
                    << "index " << sobol.Index() << ", dimension " << j;
            if (sobol.Index() == 4294967295u)
                break;
            sobol.Next();
        }
    }
}

TEST(GrayCodeSobol, StartsAtTheOriginAndReachesTheLastIndex) {
    GrayCodeSobol sobol(3, SobolDirectionIntegers(3, 32, File()));
    sobol.Seek(0);
    for (int j = 0; j < 3; ++j)
        EXPECT_EQ(sobol.ReversedPoint()[j], 0u);
    // The last index has Gray code 2^31 alone: the 32nd direction integers,
    // whose lowest bit is the last binary digit, 2^-32.
    sobol.Seek(4294967295u);
    EXPECT_EQ(ReverseBits(sobol.ReversedPoint()[0]), 1u);
}

TEST(ReverseBits, MirrorsTheWord) {
    EXPECT_EQ(ReverseBits(1u), 0x80000000u);
    EXPECT_EQ(ReverseBits(0x80000000u), 1u);
    EXPECT_EQ(ReverseBits(0x0000000Fu), 0xF0000000u);
    EXPECT_EQ(ReverseBits(0x12345678u), 0x1E6A2C48u);
}

std::uint32_t Scramble(std::uint32_t x, std::uint32_t seed) {
    return OwenScrambleReversed(ReverseBits(x), seed);
}

// Owen's nested scramble: the first k digits of the image depend only on the
// first k digits of the point, and permute the 2^k prefixes.
TEST(OwenScrambling, PermutesEveryPrefixOfBinaryDigitsByItself) {
    for (std::uint32_t seed : {0u, 1u, 0xdeadbeefu, DimensionSeed(7, 3)}) {
        for (int k = 1; k <= 10; ++k) {
            std::set<std::uint32_t> images;
            for (std::uint32_t prefix = 0; prefix < (1u << k); ++prefix) {
                const std::uint32_t base = prefix << (32 - k);
                const std::uint32_t image = Scramble(base, seed) >> (32 - k);
                images.insert(image);
                for (std::uint32_t tail : {1u, 0x12345u, (1u << (32 - k)) - 1})
                    ASSERT_EQ(Scramble(base | tail, seed) >> (32 - k), image)
                        << "seed " << seed << ", prefix " << prefix << " of " << k;
            }
            EXPECT_EQ(images.size(), std::size_t{1} << k) << "seed " << seed << ", k " << k;
        }
    }
}

// Start 0 and n = 2^m: one point in every interval [k / 2^m, (k + 1) / 2^m)
// of each dimension, and dimensions 1 and 2 a (0, m, 2)-net: every box of
// 2^-e by 2^-(m - e) holds one point.
TEST(ScrambledSobolPoints, KeepTheNetPropertyOfTheFirstPowerOfTwoPoints) {
    const int d = 8;
    for (std::uint32_t seed : {0u, 7u, 4294967295u})
        for (int m : {1, 4, 10, 14}) {
            const int n = 1 << m;
            const DoubleMatrix points = ScrambledSobolPoints(d, n, seed, 0, File());
            for (int j = 0; j < d; ++j) {
                std::vector<char> hit(n, 0);
                for (int i = 0; i < n; ++i)
                    ASSERT_EQ(hit[Bits(points(i, j)) >> (32 - m)]++, 0)
                        << "seed " << seed << ", 2^" << m << ", dimension " << j;
            }
            for (int e = 0; e <= m; ++e) {
                std::vector<char> hit(n, 0);
                for (int i = 0; i < n; ++i) {
                    const std::uint32_t across = e == 0 ? 0 : Bits(points(i, 0)) >> (32 - e);
                    const std::uint32_t up = e == m ? 0 : Bits(points(i, 1)) >> (32 - (m - e));
                    ASSERT_EQ(hit[(across << (m - e)) | up]++, 0)
                        << "seed " << seed << ", 2^" << m << ", e = " << e;
                }
            }
        }
}

TEST(ScrambledSobolPoints, AreHalfIntegersOverTwoToThe32) {
    const DoubleMatrix points = ScrambledSobolPoints(50, 3000, 99, 12345, File());
    for (int i = 0; i < 3000; ++i)
        for (int j = 0; j < 50; ++j) {
            const double scaled = points(i, j) * 0x1p32;
            ASSERT_EQ(scaled - std::floor(scaled), 0.5) << i << ", " << j;
        }
}

void ExpectRowsEqual(const DoubleMatrix& part, const DoubleMatrix& whole, unsigned long offset) {
    ASSERT_EQ(part.ColumnCount(), whole.ColumnCount());
    for (unsigned long i = 0; i < part.RowCount(); ++i)
        for (unsigned long j = 0; j < part.ColumnCount(); ++j)
            ASSERT_EQ(part(i, j), whole(offset + i, j)) << "row " << i << ", column " << j;
}

// Rows of (d, n, seed, start) are rows start ... start + n - 1 of
// (d, start + n, seed, 0); far out, of a run that starts a few points earlier.
TEST(ScrambledSobolPoints, ContinueTheSameSequenceFromAnyStart) {
    const int d = 7;
    for (std::uint32_t seed : {0u, 12345u, 4294967295u}) {
        const struct {
            std::uint32_t start;
            int n;
        } cases[] = {{0, 16}, {1, 31}, {3, 1}, {1000, 100}, {4095, 3}, {2047, 2050}};
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << ", start " << c.start);
            ExpectRowsEqual(ScrambledSobolPoints(d, c.n, seed, c.start, File()),
                            ScrambledSobolPoints(d, c.start + c.n, seed, 0, File()), c.start);
        }
        for (std::uint32_t start : {3000000000u, 4294967200u}) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << ", start " << start);
            ExpectRowsEqual(ScrambledSobolPoints(d, 40, seed, start, File()),
                            ScrambledSobolPoints(d, 96, seed, start - 56, File()), 56);
        }
    }
}

TEST(ScrambledSobolPoints, RefuseToRunPastTheEndOfTheSequence) {
    EXPECT_EQ(ScrambledSobolPoints(2, 1, 5, 4294967295u, File()).RowCount(), 1u);
    EXPECT_EQ(ScrambledSobolPoints(2, 0, 5, 4294967295u, File()).RowCount(), 0u);
    for (const auto& [n, start] : {std::pair{2, 4294967295u}, std::pair{100, 4294967200u},
                                   std::pair{2147483647, 2147483650u}}) {
        try {
            ScrambledSobolPoints(2, n, 5, start, File());
            ADD_FAILURE() << "no exception for n = " << n << ", start = " << start;
        } catch (const std::invalid_argument& error) {
            EXPECT_STREQ(error.what(), "start + n must not exceed 4294967296, the length of the "
                                       "32-bit Sobol sequence");
        }
    }
}

// The origin's image is the scramble alone: over many seeds it must spread
// evenly, and neither neighbouring seeds nor neighbouring dimensions may move
// together.
TEST(ScrambledSobolPoints, SeedsGiveUnrelatedEvenlySpreadScrambles) {
    const int seeds = 4096;
    const int d = 4;
    std::vector<std::vector<double>> origin(seeds);
    std::set<double> distinct;
    for (int s = 0; s < seeds; ++s) {
        const DoubleMatrix point = ScrambledSobolPoints(d, 1, s, 0, File());
        origin[s].assign(point[0], point[0] + d);
        distinct.insert(point(0, 0));
    }
    EXPECT_GT(distinct.size(), std::size_t(seeds - 4));

    auto correlation = [&](auto x, auto y, int count) {
        double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
        for (int s = 0; s < count; ++s) {
            sx += x(s), sy += y(s), sxx += x(s) * x(s), syy += y(s) * y(s), sxy += x(s) * y(s);
        }
        const double cov = sxy / count - sx / count * sy / count;
        return cov / std::sqrt((sxx / count - sx * sx / count / count) *
                               (syy / count - sy * sy / count / count));
    };
    // 4 standard errors of a correlation of independent samples.
    const double bound = 4.0 / std::sqrt(seeds);
    for (int j = 0; j < d; ++j) {
        std::vector<int> bins(16, 0);
        for (int s = 0; s < seeds; ++s)
            ++bins[static_cast<int>(origin[s][j] * 16)];
        for (int count : bins)
            EXPECT_NEAR(count, seeds / 16, 4 * std::sqrt(seeds / 16.0)) << "dimension " << j;
        EXPECT_LT(std::fabs(correlation([&](int s) { return origin[s][j]; },
                                        [&](int s) { return origin[s + 1][j]; }, seeds - 1)),
                  bound)
            << "neighbouring seeds, dimension " << j;
        if (j > 0) {
            EXPECT_LT(std::fabs(correlation([&](int s) { return origin[s][j - 1]; },
                                            [&](int s) { return origin[s][j]; }, seeds)),
                      bound)
                << "dimensions " << j - 1 << " and " << j;
        }
    }
}

// Randomised QMC is unbiased: the mean over seeds of the estimates of
// prod_j (1 + (x_j - 1/2) / j) over [0, 1]^5 (integral 1) lies within a few
// of its standard errors of 1, and that error is far below plain Monte Carlo's.
TEST(ScrambledSobolPoints, EstimateASmoothIntegralWithoutBias) {
    const int seeds = 64;
    const int n = 1024;
    std::vector<double> estimates;
    for (int s = 0; s < seeds; ++s) {
        const DoubleMatrix points = ScrambledSobolPoints(5, n, 1000 + s, 0, File());
        double sum = 0;
        for (int i = 0; i < n; ++i) {
            double product = 1;
            for (int j = 0; j < 5; ++j)
                product *= 1 + (points(i, j) - 0.5) / (j + 1);
            sum += product;
        }
        estimates.push_back(sum / n);
    }
    double mean = 0, square = 0;
    for (double e : estimates)
        mean += e / seeds;
    for (double e : estimates)
        square += (e - mean) * (e - mean) / (seeds - 1);
    const double standardError = std::sqrt(square / seeds);
    EXPECT_NEAR(mean, 1.0, 4 * standardError + 1e-12);
    // Plain Monte Carlo's deviation at n = 1024 is sqrt(Var f / n), about 0.011.
    EXPECT_LT(std::sqrt(square), 0.011 / 10);
    EXPECT_GT(std::sqrt(square), 0.0);
}

} // namespace

// A long request asks whether to stop before each block of about 65536
// numbers, and stops with Interrupted when told to; asked and never told, it
// gives the same points to the bit. The Brownian paths ask while they make
// their normals and again while they bridge them.
TEST(ScrambledSobolPoints, AskBetweenBlocksOfRowsWhetherToStop) {
    const int d = 16;
    const int block = 65536 / d;
    ASSERT_EQ(RowsBetweenChecks(d), block);
    EXPECT_EQ(RowsBetweenChecks(300000), 1);
    int asked = 0;
    const InterruptionCheck never = [&] { return ++asked, false; };
    const DoubleMatrix points = ScrambledSobolPoints(d, 2 * block + 1, 7, 3, File(), never);
    EXPECT_EQ(asked, 3) << "before rows 0, " << block << " and " << 2 * block;
    const DoubleMatrix unasked = ScrambledSobolPoints(d, 2 * block + 1, 7, 3, File());
    for (unsigned long i = 0; i < points.RowCount(); ++i)
        for (int j = 0; j < d; ++j)
            ASSERT_EQ(points(i, j), unasked(i, j)) << i << ", " << j;

    asked = 0;
    const InterruptionCheck atTheSecondBlock = [&] { return ++asked == 2; };
    try {
        ScrambledNormalVariates(d, 10 * block, 7, 0, File(), atTheSecondBlock);
        ADD_FAILURE() << "no interruption";
    } catch (const Interrupted& stop) {
        EXPECT_STREQ(stop.what(), "calculation interrupted");
    }
    EXPECT_EQ(asked, 2) << "it stops at once";

    asked = 0;
    BrownianPaths(d, block + 1, 1.0, 7, 0, File(), never);
    EXPECT_EQ(asked, 4) << "two blocks of normals, then two of paths";
    asked = 0;
    const InterruptionCheck whileBridging = [&] { return ++asked == 3; };
    EXPECT_THROW(BrownianPaths(d, block + 1, 1.0, 7, 0, File(), whileBridging), Interrupted);
}

namespace {

// Written here from the published descriptions, apart from the generators:
// C. Wellons' lowbias32 hash (hash-prospector, 2018), shifts 16, 15, 16 and
// multipliers 0x7feb352d, 0x846ca68b.
std::uint32_t LowBias32(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

// The seed of dimension j, as the README gives it: the dimension hashed
// (after adding the golden-ratio word 0x9e3779b9), mixed into the seed and
// hashed again.
std::uint32_t SeedOfDimension(std::uint32_t seed, std::uint32_t j) {
    return LowBias32(seed ^ LowBias32(j + 0x9e3779b9u));
}

std::uint32_t Reversed(std::uint32_t x) {
    std::uint32_t r = 0;
    for (int bit = 0; bit < 32; ++bit)
        r |= ((x >> bit) & 1u) << (31 - bit);
    return r;
}

// B. Burley, "Practical Hash-based Owen Scrambling", JCGT 9(4), 2020,
// listing 2 (the Laine-Karras permutation with his constants), between two
// bit reversals.
std::uint32_t BurleyOwenScramble(std::uint32_t x, std::uint32_t seed) {
    x = Reversed(x);
    x += seed;
    x ^= x * 0x6c50b47cu;
    x ^= x * 0xb82f1e52u;
    x ^= x * 0xc7afe638u;
    x ^= x * 0x8d22f6e6u;
    return Reversed(x);
}

} // namespace

// The points themselves, from Boost.Random's Sobol engine on the shipped
// table and the scramble written out above: the hash, the seed of each
// dimension, the permutation and the (x + 1/2) / 2^32 mapping all show.
TEST(ScrambledSobolPoints, AreBurleysScrambleOfBoostRandomsSobolPoints) {
    const struct {
        int d, n;
        std::uint32_t seed, start;
    } cases[] = {{1, 8, 0, 0},          {5, 33, 7, 0},   {40, 20, 4294967295u, 1000},
                 {3, 5, 123456789u, 1}, {1, 9000, 9, 3}, {10, 1000, 5, 77}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.d << ", " << c.n << ", " << c.seed << ", " << c.start);
        const DoubleMatrix points = ScrambledSobolPoints(c.d, c.n, c.seed, c.start, File());
        boost::random::sobol_engine<std::uint32_t, 32, ShippedTable> engine(c.d);
        if (c.start > 0)
            engine.seed(c.start - 1);
        for (int i = 0; i < c.n; ++i)
            for (int j = 0; j < c.d; ++j) {
                // Boost starts at index 1; index 0 is the origin.
                const std::uint32_t x = (c.start == 0 && i == 0) ? 0u : engine();
                const std::uint32_t bits =
                    BurleyOwenScramble(x, SeedOfDimension(c.seed, static_cast<std::uint32_t>(j)));
                ASSERT_EQ(points(i, j), (bits + 0.5) / 4294967296.0) << i << ", " << j;
            }
    }
}

// The vector path must give the baseline's bits, whatever the count's
// remainder after whole vectors.
TEST(ScrambleToCoordinates, GivesTheSameBitsOnEveryPath) {
    if (!ProcessorHasAvx2())
        GTEST_SKIP() << "this processor has no AVX2";
    std::mt19937 random(20);
    std::vector<std::uint32_t> bits(1027), seeds(1027);
    for (std::size_t k = 0; k < bits.size(); ++k) {
        bits[k] = static_cast<std::uint32_t>(random());
        seeds[k] = static_cast<std::uint32_t>(random());
    }
    for (std::size_t count : {std::size_t{1}, std::size_t{7}, std::size_t{8}, bits.size()}) {
        std::vector<double> baseline(count), avx2(count);
        ScrambleToCoordinatesBaseline(bits.data(), seeds.data(), baseline.data(), count);
        ScrambleToCoordinatesAvx2(bits.data(), seeds.data(), avx2.data(), count);
        for (std::size_t k = 0; k < count; ++k)
            ASSERT_EQ(baseline[k], avx2[k]) << "coordinate " << k << " of " << count;
        EXPECT_EQ(baseline[0], (BurleyOwenScramble(Reversed(bits[0]), seeds[0]) + 0.5) * 0x1p-32);
    }
}

// Replicates are independent only if no two (seed, dimension) pairs share a
// scramble: among seeds below 4096 and dimensions below 255 every dimension
// seed is different. Seed s + 1 of dimension j must not be seed s of j + 1.
TEST(ScrambledSobolPoints, NoTwoSeedsAndDimensionsShareAScramble) {
    std::vector<std::uint32_t> seeds;
    for (std::uint32_t seed = 0; seed < 4096; ++seed)
        for (int j = 0; j < 255; ++j)
            seeds.push_back(DimensionSeed(seed, j));
    std::sort(seeds.begin(), seeds.end());
    const auto repeated = std::adjacent_find(seeds.begin(), seeds.end());
    EXPECT_EQ(repeated, seeds.end()) << "the dimension seed " << *repeated << " twice";
}
