#include "DirectionNumberFile.h"
#include "SobolPoints.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Faults a direction-number file can hold, each with the dimension count that
// makes the generator read it (n = 8 reads up to four initial numbers) and
// the parts its message must name besides the file.
TEST(DirectionNumberFile, NamesTheFileTheLineAndTheFault) {
    const struct {
        const char* text;
        int d;
        std::vector<std::string> named;
    } cases[] = {
        {"", 2, {"line 2", "file ends", "degree s of dimension 2"}},
        {"s a m_i\n", 2, {"line 2", "file ends", "dimension 2"}},
        {"s a m_i\n1 0 1\n", 3, {"line 3", "file ends", "dimension 3"}},
        {"s a m_i\n1 0 1\n\n\n", 3, {"line 5", "file ends", "dimension 3"}},
        {"s a m_i\n3 1 1 3\n", 2, {"line 3", "file ends", "m_3 of dimension 2"}},
        {"s a m_i\n1 x 1\n", 2, {"line 2", "coefficient word a", "\"x\"", "not a decimal signed"}},
        {"s a m_i\n1 0 1.5\n", 2, {"line 2", "m_1 of dimension 2", "\"1.5\""}},
        {"s a m_i\n2147483648 0 1\n", 2, {"line 2", "degree s", "\"2147483648\""}},
        {"s a m_i\n1 0 0x1\n", 2, {"line 2", "\"0x1\""}},
        // One sign at most, and a sign is no number.
        {"s a m_i\n+-1 0 1\n", 2, {"line 2", "degree s", "\"+-1\"", "not a decimal signed"}},
        {"s a m_i\n-+1 0 1\n", 2, {"line 2", "\"-+1\"", "not a decimal signed"}},
        {"s a m_i\n--1 0 1\n", 2, {"line 2", "\"--1\"", "not a decimal signed"}},
        {"s a m_i\n++1 0 1\n", 2, {"line 2", "\"++1\"", "not a decimal signed"}},
        {"s a m_i\n1 + 1\n", 2, {"line 2", "coefficient word a", "\"+\"", "not a decimal"}},
        {"s a m_i\n1 0 -\n", 2, {"line 2", "m_1 of dimension 2", "\"-\"", "not a decimal"}},
        {"s a m_i\n0 0 1\n", 2, {"line 2", "degree s of dimension 2 is 0", "from 1 to 31"}},
        {"s a m_i\n-3 0 1\n", 2, {"line 2", "is -3"}},
        {"s a m_i\n1 0 1\n32 0 1\n", 3, {"line 3", "degree s of dimension 3 is 32", "1 to 31"}},
        {"s a m_i\n2147483647 1 1 1 1\n", 2, {"line 2", "s of dimension 2 is 2147483647"}},
        {"s a m_i\n2147483647 0 1 1 1\n", 2, {"line 2", "s of dimension 2 is 2147483647"}},
        {"s a m_i\n1 1 1\n", 2, {"line 2", "word a of dimension 2 is 1", "s = 1", "0 to 0"}},
        {"s a m_i\n3 4 1 3 7\n", 2, {"line 2", "word a of dimension 2 is 4", "0 to 3"}},
        {"s a m_i\n2 -1 1 1\n", 2, {"line 2", "word a of dimension 2 is -1"}},
        {"s a m_i\n31 1073741824 1\n", 2, {"line 2", "is 1073741824", "0 to 1073741823"}},
        {"s a m_i\n3 1 1 3 2\n", 2, {"line 2", "m_3 of dimension 2 is 2", "odd and from 1 to 7"}},
        {"s a m_i\n3 1 1 2 7\n", 2, {"line 2", "m_2 of dimension 2 is 2", "odd and from 1 to 3"}},
        {"s a m_i\n2 1 2 3\n", 2, {"line 2", "m_1 of dimension 2 is 2", "odd and from 1 to 1"}},
        {"s a m_i\n2 1 1 5\n", 2, {"line 2", "m_2 of dimension 2 is 5", "from 1 to 3"}},
        {"s a m_i\n2 1 1 -1\n", 2, {"line 2", "m_2 of dimension 2 is -1"}},
        {"s a m_i\n1 0 1\n2 1 1 4\n", 3, {"line 3", "m_2 of dimension 3 is 4"}},
        {"s a m_i\n4 1 1 3 7 16\n", 2, {"line 2", "m_4 of dimension 2 is 16", "from 1 to 15"}},
    };
    TemporaryFolder folder;
    for (const auto& c : cases) {
        const std::string path = folder.Write("faulty.txt", c.text);
        try {
            SobolPoints(c.d, 8, path);
            ADD_FAILURE() << "no exception for: " << c.text;
        } catch (const std::runtime_error& error) {
            const std::string message = error.what();
            EXPECT_EQ(message.find("direction-number file " + path + ", "), 0u) << message;
            for (const std::string& part : c.named)
                EXPECT_NE(message.find(part), std::string::npos) << message << "\nlacks: " << part;
        }
    }
}

// The largest degree and coefficient word a line may hold: with n = 8 only
// m_1 ... m_4 are read, and no number is derived from them.
TEST(DirectionNumberFile, AcceptsTheLargestDegreeAndCoefficientWord) {
    TemporaryFolder folder;
    const std::string path =
        folder.Write("largest.txt", "s a m_i\n31 1073741823 1 3 5 15\n1 0 1\n");
    const DoubleMatrix points = SobolPoints(3, 8, path);
    // m_1 = 1 gives 1/2 in the first row; m_2 = 3 gives 3/4 ^ 1/2 = 1/4 next.
    EXPECT_EQ(points(0, 1), 0.5);
    EXPECT_EQ(points(1, 1), 0.25);
}

// Values the generator does not read are not checked: with n = 3 only m_1
// and m_2 are read.
TEST(DirectionNumberFile, ChecksOnlyTheValuesItReads) {
    TemporaryFolder folder;
    const std::string path = folder.Write("partial.txt", "s a m_i\n3 1 1 3 x\n1 0 1 even 8\n");
    const DoubleMatrix points = SobolPoints(3, 3, path);
    for (int j = 1; j < 3; ++j) {
        EXPECT_EQ(points(1, j), 0.25);
        EXPECT_EQ(points(2, j), 0.75);
    }
    EXPECT_THROW(SobolPoints(3, 4, path), std::runtime_error);
}

TEST(DirectionNumberFile, ReadsOneDimensionPerLine) {
    TemporaryFolder folder;
    DirectionNumberFile file(folder.Write("lines.txt", "header 1 2 3\n3 2 1 3 7 more\n2 1 1\n1\n"));
    const DimensionLine second = file.ReadDimension(2, 10);
    EXPECT_EQ(second.degree, 3);
    EXPECT_EQ(second.coefficients, 2u);
    EXPECT_EQ(second.initialNumbers, (std::vector<std::uint32_t>{1, 3, 7}));
    const DimensionLine third = file.ReadDimension(3, 1);
    EXPECT_EQ(third.degree, 2);
    EXPECT_EQ(third.initialNumbers, (std::vector<std::uint32_t>{1}));
    EXPECT_THROW(file.ReadDimension(4, 1), std::runtime_error);
}

// A leading "+" is a sign like "-": the same numbers as without it.
TEST(DirectionNumberFile, ReadsAPlusSignAsTheNumberItSigns) {
    TemporaryFolder folder;
    DirectionNumberFile file(folder.Write("plus.txt", "s a m_i\n+3 +2 +1 +3 7\n"));
    const DimensionLine line = file.ReadDimension(2, 10);
    EXPECT_EQ(line.degree, 3);
    EXPECT_EQ(line.coefficients, 2u);
    EXPECT_EQ(line.initialNumbers, (std::vector<std::uint32_t>{1, 3, 7}));
}

} // namespace
