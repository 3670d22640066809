// The bytes that pass between Excel's process and a cluster node (NodePipe):
// a message is its length (64 bits) and then its fields, each in the byte
// order of the machine, which both ends share. Values travel whole, not as
// records: a record's pointers mean nothing in the other process.
#pragma once

#include "Value.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace xlhost {

class NodeMessage {
public:
    NodeMessage() = default;
    explicit NodeMessage(std::string bytes) : bytes_(std::move(bytes)) {}

    // Empty again, keeping its memory for the next message.
    void Clear();

    void PutNumber(std::uint64_t number);
    void PutDouble(double number);
    void PutText(const std::string& text);
    void PutCell(const Cell& cell);
    void PutValue(const Value& value);
    // An array of numbers as PutValue writes it, read straight from its
    // record, so that a node's largest results make no cell on the way. False,
    // having written nothing, for a record that is not one.
    bool PutNumberArray(const XLOPER& record);
    bool PutNumberArray(const XLOPER12& record);

    // Each throws std::runtime_error when the message ends too soon or holds
    // what no sender writes.
    std::uint64_t TakeNumber();
    double TakeDouble();
    std::string TakeText();
    Cell TakeCell();
    Value TakeValue();

    const std::string& Bytes() const { return bytes_; }
    // Makes the message `size` bytes long, to be read from the start, and
    // answers where to write them.
    char* Reset(std::size_t size);

private:
    void Put(const void* bytes, std::size_t count);
    // Room for `count` more bytes at the end, to be written through the pointer.
    char* Extend(std::size_t count);
    void Take(void* bytes, std::size_t count);
    void TakeCellInto(Cell& cell);
    template <class Record> bool PutNumbersOf(const Record& record);

    std::string bytes_;
    std::size_t read_ = 0;
};

} // namespace xlhost
