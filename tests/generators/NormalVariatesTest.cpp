#include "NormalVariates.h"
#include "MoroInverseNormal.h"
#include "SobolPoints.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

TEST(NormalVariates, InvertEachSobolCoordinate) {
    const std::string file = ShippedDirectionNumberFile();
    const int d = 40;
    const int n = 1000;
    const DoubleMatrix uniforms = SobolPoints(d, n, file);
    const DoubleMatrix normals = NormalVariates(d, n, file);
    const DoubleMatrix logNormals = LogNormalVariates(d, n, file);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < d; ++j) {
            ASSERT_EQ(normals(i, j), MoroInverseNormal(uniforms(i, j))) << i << ", " << j;
            ASSERT_EQ(logNormals(i, j), std::exp(normals(i, j))) << i << ", " << j;
        }
    for (int j = 0; j < d; ++j) {
        EXPECT_EQ(normals(0, j), 0.0);
        EXPECT_EQ(logNormals(0, j), 1.0);
    }
}

TEST(NormalVariates, GiveTheTabulatedFirstDimension) {
    TemporaryFolder folder;
    const std::string absent = folder.PathOf("absent.txt");
    const DoubleMatrix normals = NormalVariates(1, 4, absent);
    const double expected[] = {0.0, 0.674490, -0.674490, -0.318639};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(normals(i, 0), expected[i], 1e-6) << i;

    const DoubleMatrix logNormals = LogNormalVariates(1, 2, absent);
    EXPECT_EQ(logNormals(0, 0), 1.0);
    EXPECT_NEAR(logNormals(1, 0), 1.963031, 1e-6);
}

TEST(NormalVariates, ReportAMissingFile) {
    TemporaryFolder folder;
    const std::string absent = folder.PathOf("absent.txt");
    EXPECT_THROW(NormalVariates(2, 4, absent), std::runtime_error);
    EXPECT_THROW(LogNormalVariates(2, 4, absent), std::runtime_error);
}

TEST(NormalVariates, LocatedFormsWriteThePathOnce) {
    const struct {
        DoubleMatrix (*located)(int, int);
        DoubleMatrix (*direct)(int, int, const std::filesystem::path&);
    } kinds[] = {{NormalVariates, NormalVariates}, {LogNormalVariates, LogNormalVariates}};
    for (const auto& kind : kinds) {
        testing::internal::CaptureStdout();
        const DoubleMatrix located = kind.located(3, 5);
        const std::string output = testing::internal::GetCapturedStdout();
        EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
        EXPECT_NE(output.find("param.txt"), std::string::npos) << output;
        const DoubleMatrix direct = kind.direct(3, 5, ShippedDirectionNumberFile());
        for (int i = 0; i < 5; ++i)
            for (int j = 0; j < 3; ++j)
                EXPECT_EQ(located(i, j), direct(i, j));
    }
}

} // namespace
