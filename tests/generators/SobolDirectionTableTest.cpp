// The direction numbers read once: the same integers as a reading of the
// file for each call, whatever happens to the file afterwards, from any
// number of threads at once (this suite also runs under ThreadSanitizer).
#include "SobolDirectionTable.h"
#include "SobolDirectionNumbers.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

// A small file: dimensions 2 to 5 from the Joe and Kuo table's first lines.
const char* const FourLines = "s a m_i\n1 0 1\n2 1 1 3\n3 1 1 3 1\n3 2 1 1 1\n";

std::string ThrownBy(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "nothing thrown";
}

} // namespace

TEST(SobolDirectionTable, GivesWhatReadingTheFileForTheCallGives) {
    const std::string path = ShippedDirectionNumberFile();
    const SobolDirectionTable table(path, 1500);
    for (int d : {1, 2, 17, 255, 256, 1100, 1500})
        EXPECT_EQ(table.DirectionIntegers(d), SobolDirectionIntegers(d, 32, path)) << d;
    EXPECT_THROW(table.DirectionIntegers(1501), std::invalid_argument);
    EXPECT_THROW(table.DirectionIntegers(0), std::invalid_argument);
}

// Read at first use and never again: a file changed or gone afterwards
// changes nothing.
TEST(SobolDirectionTable, ReadsTheFileOnce) {
    const TemporaryFolder folder;
    const std::string path = folder.Write("param.txt", FourLines);
    const std::vector<std::uint32_t> expected = SobolDirectionIntegers(5, 32, path);
    const SobolDirectionTable table(path, 5);
    EXPECT_EQ(table.DirectionIntegers(5), expected);
    folder.Write("param.txt", "s a m_i\n1 0 1\n1 0 1\n1 0 1\n1 0 1\n");
    EXPECT_EQ(table.DirectionIntegers(5), expected);
    std::filesystem::remove(path);
    EXPECT_EQ(table.DirectionIntegers(5), expected);
}

// The dimensions before a bad line are answered; from it on, the fault that
// reading it for the call would raise, word for word.
TEST(SobolDirectionTable, AnswersUpToABadLineAndThenItsFault) {
    const TemporaryFolder folder;
    const std::string path = folder.Write("param.txt", FourLines + std::string("3 9 1 1 1\n"));
    const SobolDirectionTable table(path, 10);
    EXPECT_EQ(table.DirectionIntegers(5), SobolDirectionIntegers(5, 32, path));
    const std::string fault = ThrownBy([&] { SobolDirectionIntegers(6, 32, path); });
    EXPECT_NE(fault.find("line 6"), std::string::npos) << fault;
    EXPECT_EQ(ThrownBy([&] { table.DirectionIntegers(6); }), fault);
    EXPECT_EQ(ThrownBy([&] { table.DirectionIntegers(10); }), fault);
    // Mended afterwards, the file is not read again: the fault stays what it was.
    folder.Write("param.txt", FourLines + std::string("3 1 1 3 3\n"));
    EXPECT_EQ(ThrownBy([&] { table.DirectionIntegers(6); }), fault);
}

// Past the first reading the same holds: a bad line met when a later call
// reads further is that call's fault and every later one's, and what was
// read before stays.
TEST(SobolDirectionTable, AFaultFoundReadingFurtherLeavesWhatWasRead) {
    std::ifstream shipped(ShippedDirectionNumberFile());
    std::string text, line;
    for (int lines = 0; lines < 300 && std::getline(shipped, line); ++lines)
        text += line + "\n"; // the heading and dimensions 2 to 300
    const TemporaryFolder folder;
    const std::string path = folder.Write("param.txt", text + "3 9 1 1 1\n");
    const SobolDirectionTable table(path, 400);
    const std::vector<std::uint32_t> first = SobolDirectionIntegers(255, 32, path);
    EXPECT_EQ(table.DirectionIntegers(255), first);
    EXPECT_EQ(table.DirectionIntegers(300), SobolDirectionIntegers(300, 32, path));
    const std::string fault = ThrownBy([&] { SobolDirectionIntegers(301, 32, path); });
    EXPECT_NE(fault.find("line 301"), std::string::npos) << fault;
    EXPECT_EQ(ThrownBy([&] { table.DirectionIntegers(301); }), fault);
    EXPECT_EQ(ThrownBy([&] { table.DirectionIntegers(400); }), fault);
    EXPECT_EQ(table.DirectionIntegers(255), first);
}

// A file spoilt after it was read fails a later, further reading earlier than
// before; the dimensions answered before are still answered.
TEST(SobolDirectionTable, AFileSpoiltAfterwardsTakesNothingBack) {
    std::ifstream shipped(ShippedDirectionNumberFile());
    std::vector<std::string> lines;
    for (std::string line; lines.size() < 400 && std::getline(shipped, line);)
        lines.push_back(line + "\n");
    const auto join = [&] {
        std::string text;
        for (const std::string& line : lines)
            text += line;
        return text;
    };
    const TemporaryFolder folder;
    const std::string path = folder.Write("param.txt", join());
    const SobolDirectionTable table(path, 399);
    const std::vector<std::uint32_t> answered = SobolDirectionIntegers(200, 32, path);
    const std::vector<std::uint32_t> firstReading = SobolDirectionIntegers(255, 32, path);
    EXPECT_EQ(table.DirectionIntegers(200), answered);
    lines[99] = "3 9 1 1 1\n"; // dimension 100
    folder.Write("param.txt", join());
    EXPECT_NE(ThrownBy([&] { table.DirectionIntegers(300); }).find("line 100"), std::string::npos);
    EXPECT_EQ(table.DirectionIntegers(200), answered);
    EXPECT_EQ(table.DirectionIntegers(255), firstReading);
}

// A file that is not there yet is looked for again at the next use: the user
// may still put it in place.
TEST(SobolDirectionTable, LooksAgainForAFileThatWasMissing) {
    const TemporaryFolder folder;
    const std::string path = folder.PathOf("param.txt");
    const SobolDirectionTable table(path, 5);
    // The first dimension has no direction numbers: every m_i is 1, file or not.
    EXPECT_EQ(table.DirectionIntegers(1), std::vector<std::uint32_t>(32, 1u));
    EXPECT_NE(ThrownBy([&] { table.DirectionIntegers(3); }).find("cannot open"), std::string::npos);
    folder.Write("param.txt", FourLines);
    EXPECT_EQ(table.DirectionIntegers(5), SobolDirectionIntegers(5, 32, path));
    EXPECT_EQ(table.DirectionIntegers(1), SobolDirectionIntegers(1, 32, path));
}

// Sixteen threads on a table nobody has read yet, released one millisecond
// apart: the first ones find it being read, the later ones find it read, or
// read further while others copy what was there. Eight fresh tables, since
// which thread finds what varies from run to run.
TEST(SobolDirectionTable, ManyThreadsAtFirstUseAllGetTheWholeTable) {
    const std::string path = ShippedDirectionNumberFile();
    static const int counts[] = {1, 64, 255, 700};
    std::vector<std::vector<std::uint32_t>> expected(701);
    for (int d : counts)
        expected[d] = SobolDirectionIntegers(d, 32, path);
    std::atomic<int> wrong{0};
    for (int table = 0; table < 8; ++table) {
        const SobolDirectionTable fresh(path, 700);
        std::atomic<bool> go{false};
        std::vector<std::thread> threads;
        for (int t = 0; t < 16; ++t)
            threads.emplace_back([&, t] {
                while (!go)
                    std::this_thread::yield();
                std::this_thread::sleep_for(std::chrono::milliseconds(t));
                for (int round = 0; round < 20; ++round) {
                    const int d = counts[(t + round) % 4];
                    if (fresh.DirectionIntegers(d) != expected[d])
                        ++wrong;
                }
            });
        go = true;
        for (std::thread& thread : threads)
            thread.join();
    }
    EXPECT_EQ(wrong, 0);
}
