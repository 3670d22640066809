// What crosses the pipe between Excel's process and a cluster node: every
// kind of value an argument or a result can be comes out as it went in, and a
// message that is cut short or claims more than it holds is refused, never
// read past its end.
#include "NodeMessage.h"
#include "NodePipe.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using xlhost::Cell;
using xlhost::Grid;
using xlhost::NodeMessage;
using xlhost::NodePipe;
using xlhost::Range;
using xlhost::Value;

Value Reference(unsigned type, std::vector<Range> areas, IDSHEET sheet) {
    Value reference;
    reference.type = type;
    reference.areas = std::move(areas);
    reference.sheetId = sheet;
    return reference;
}

void ExpectSame(const Value& sent, const Value& received) {
    EXPECT_EQ(received.type, sent.type);
    EXPECT_EQ(received.cell, sent.cell);
    EXPECT_EQ(received.array.rows, sent.array.rows);
    EXPECT_EQ(received.array.columns, sent.array.columns);
    EXPECT_EQ(received.array.cells, sent.array.cells);
    ASSERT_EQ(received.areas.size(), sent.areas.size());
    for (std::size_t i = 0; i < sent.areas.size(); ++i) {
        const Range& a = sent.areas[i];
        const Range& b = received.areas[i];
        EXPECT_EQ(std::vector<int>({b.rowFirst, b.rowLast, b.columnFirst, b.columnLast}),
                  std::vector<int>({a.rowFirst, a.rowLast, a.columnFirst, a.columnLast}));
    }
    EXPECT_EQ(received.sheetId, sent.sheetId);
}

Grid Numbers(std::size_t rows, std::size_t columns) {
    Grid numbers(rows, columns);
    for (std::size_t i = 0; i < numbers.cells.size(); ++i)
        numbers.cells[i] = Cell::Number(i / 7.0);
    return numbers;
}

// Messages in the pipe and through the sender's section, in the order a node
// would see them: each sent only once the last was taken.
TEST(NodeMessageTest, EveryKindOfValueCrossesAPipeWhole) {
    Grid mixed(2, 4);
    mixed.cells = {Cell::Number(-0.5),  Cell::Text("\xC3\xBC ber"),
                   Cell::Boolean(true), Cell::Error(xlerrDiv0),
                   Cell::Nil(),         Cell::Missing(),
                   Cell::Text(""),      Cell::Number(std::numeric_limits<double>::denorm_min())};
    const std::vector<Value> values = {
        Value::Scalar(Cell::Number(1.5)),
        Value::Scalar(Cell::Number(-std::numeric_limits<double>::infinity())),
        Value::Scalar(Cell::Text(std::string(32767, 'x'))),
        Value::Scalar(Cell::Boolean(false)),
        Value::Scalar(Cell::Error(xlerrNA)),
        Value::Integer(-2147483647 - 1),
        Value::Scalar(Cell::Nil()),
        Value::Scalar(Cell::Missing()),
        Value::Array(mixed),
        Value::Array(Grid(0, 3)),
        Value::Array(Numbers(1000, 100)),
        Reference(xltypeSRef, {{4, 5, 6, 7}}, 0),
        Reference(xltypeRef, {{0, 1, 2, 3}, {1048575, 1048575, 16383, 16383}},
                  static_cast<IDSHEET>(std::numeric_limits<std::uintptr_t>::max())),
    };
    const struct {
        const char* what;
        std::vector<Value> values;
    } messages[] = {
        {"every kind, through a section", values},
        {"small, in the pipe", {values[0], values[2]}},
        {"smaller, through the same section", {Value::Array(Numbers(200, 100))}},
        {"larger, through a section grown for it", {Value::Array(Numbers(4000, 100))}},
    };
    HANDLE reading = nullptr;
    HANDLE writing = nullptr;
    ASSERT_TRUE(CreatePipe(&reading, &writing, nullptr, 0));
    // Both ends in one process: the receiver takes the sender's sections as
    // Excel's process takes a node's, duplicating their handles.
    NodePipe sending(writing);
    NodePipe receiving(reading, GetCurrentProcess());
    NodeMessage received;
    for (const auto& m : messages) {
        SCOPED_TRACE(m.what);
        NodeMessage sent;
        for (const Value& value : m.values)
            sent.PutValue(value);
        bool delivered = false;
        // A message larger than the pipe's buffer fills it and the sender
        // waits for the reader.
        std::thread sender([&] { delivered = sending.Send(sent); });
        EXPECT_TRUE(receiving.Receive(received));
        sender.join();
        EXPECT_TRUE(delivered);
        EXPECT_EQ(received.Bytes().size(), sent.Bytes().size());
        for (const Value& value : m.values) {
            SCOPED_TRACE(value.type);
            ExpectSame(value, received.TakeValue());
        }
        EXPECT_THROW(received.TakeNumber(), std::runtime_error) << "nothing more was sent";
    }
    sending.Close();
    EXPECT_FALSE(receiving.Receive(received)) << "the writing end closed";
}

// Headers as a sender writes them: the message's length, where it is (0 in
// the pipe, 1 in a new section, 2 in the section of the last message) and,
// for a new section, its handle.
std::string Header(std::uint64_t size, std::uint64_t where, std::uint64_t handle = 0) {
    std::string bytes(reinterpret_cast<const char*>(&size), 8);
    bytes.append(reinterpret_cast<const char*>(&where), 8);
    bytes.append(reinterpret_cast<const char*>(&handle), 8);
    return bytes;
}

// Whatever the pipe brings, Receive reads no further than the section it
// mapped holds, and only a section the sender marked as its own: each header
// here comes after a message that passed whole through a new section.
TEST(NodeMessageTest, AHeaderThatClaimsMoreThanItsSectionHoldsIsRefused) {
    HANDLE reading = nullptr;
    HANDLE writing = nullptr;
    ASSERT_TRUE(CreatePipe(&reading, &writing, nullptr, 0));
    NodeMessage sent;
    sent.PutValue(Value::Array(Numbers(100, 100))); // 90 kB: through a section
    const std::size_t size = sent.Bytes().size();
    // The mark a sender writes at the start of its section, read from one:
    // a sender without the peer's process names its own handle.
    NodePipe sending(writing);
    ASSERT_TRUE(sending.Send(sent));
    std::uint64_t header[3] = {};
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(reading, header, sizeof header, &read, nullptr));
    ASSERT_EQ(header[1], 1u) << "a new section";
    const auto* view = static_cast<const std::uint64_t*>(MapViewOfFile(
        reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(header[2])), FILE_MAP_READ, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    const std::uint64_t mark = view[0];
    EXPECT_EQ(view[1], size);
    UnmapViewOfFile(view);

    // A page that says it holds a megabyte, a megabyte that says it holds
    // 100,000 bytes without the mark, and no section.
    const auto section = [](DWORD length, std::uint64_t mark, std::uint64_t holds) {
        HANDLE made =
            CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, length, nullptr);
        auto* start = static_cast<std::uint64_t*>(MapViewOfFile(made, FILE_MAP_WRITE, 0, 0, 0));
        start[0] = mark;
        start[1] = holds;
        UnmapViewOfFile(start);
        return made;
    };
    HANDLE page = section(4096, mark, 1 << 20);
    HANDLE unmarked = section(1 << 20, mark + 1, 100000);
    HANDLE notASection = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    const auto handle = [](HANDLE h) { return reinterpret_cast<std::uintptr_t>(h); };

    // The header passed on as it came; the receiver duplicates the handles
    // it names, as Excel's process does a node's.
    NodePipe receiving(reading, GetCurrentProcess());
    NodeMessage received;
    ASSERT_TRUE(WriteFile(writing, header, sizeof header, &read, nullptr));
    ASSERT_TRUE(receiving.Receive(received));
    EXPECT_EQ(received.Bytes(), sent.Bytes());
    const struct {
        const char* what;
        std::string header;
    } refused[] = {
        {"a header of no kind", Header(size, 3)},
        {"the same section, claiming more than it holds", Header(64 << 20, 2)},
        {"the same section, a length its own header does not say", Header(size + 1, 2)},
        {"a section smaller than its header claims", Header(1 << 20, 1, handle(page))},
        {"a section its sender did not mark", Header(100000, 1, handle(unmarked))},
        {"a handle that is no section", Header(100000, 1, handle(notASection))},
        {"the same section when the last was refused", Header(100, 2)},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.what);
        DWORD put = 0;
        ASSERT_TRUE(WriteFile(writing, r.header.data(), static_cast<DWORD>(r.header.size()), &put,
                              nullptr));
        EXPECT_FALSE(receiving.Receive(received));
    }
    for (HANDLE h : {page, unmarked, notASection})
        CloseHandle(h);
}

// A node writes an array of numbers straight from its record: it must read
// back as the same array written as a value would, and any other record is
// left to the value path, with nothing written.
TEST(NodeMessageTest, AnArrayOfNumbersReadsTheSameFromItsRecord) {
    std::vector<XLOPER12> elements(6);
    Grid numbers(2, 3);
    for (std::size_t i = 0; i < elements.size(); ++i) {
        elements[i].val.num = i == 4 ? -0.0 : i / 3.0 - 1e300 * (i == 5);
        elements[i].xltype = xltypeNum;
        numbers.cells[i] = Cell::Number(elements[i].val.num);
    }
    XLOPER12 array = {};
    array.val.array.lparray = elements.data();
    array.val.array.rows = 2;
    array.val.array.columns = 3;
    array.xltype = xltypeMulti | xlbitDLLFree;
    NodeMessage message;
    ASSERT_TRUE(message.PutNumberArray(array));
    elements[2].xltype = xltypeBool;
    EXPECT_FALSE(message.PutNumberArray(array)) << "a boolean among the numbers";
    XLOPER12 single = {};
    single.val.num = 2;
    single.xltype = xltypeNum;
    EXPECT_FALSE(message.PutNumberArray(single));
    ExpectSame(Value::Array(numbers), message.TakeValue());
    EXPECT_THROW(message.TakeNumber(), std::runtime_error) << "the refused records wrote nothing";
}

// Bytes as a sender writes them: each number 8 bytes, least significant first.
std::string Numbers(std::vector<std::uint64_t> numbers) {
    std::string bytes;
    for (std::uint64_t number : numbers)
        for (int i = 0; i < 8; ++i)
            bytes += static_cast<char>((number >> (8 * i)) & 0xFF);
    return bytes;
}

TEST(NodeMessageTest, AMessageThatClaimsMoreThanItHoldsIsRefused) {
    const std::string text = std::string(1, static_cast<char>(Cell::Kind::Text));
    const struct {
        const char* what;
        std::string bytes;
    } refused[] = {
        {"a text longer than the message", Numbers({xltypeStr}) + text + Numbers({100}) + "abc"},
        {"an array of more cells than bytes left", Numbers({xltypeMulti, 1000000, 1000000})},
        {"a cell of no kind", Numbers({xltypeNum}) + std::string(1, '\x7F')},
        {"a number cut short", Numbers({xltypeNum}) + std::string(1, '\2') + "1234"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.what);
        NodeMessage message(r.bytes);
        EXPECT_THROW(message.TakeValue(), std::runtime_error);
    }
}

} // namespace
