#include "NodePipe.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>

namespace xlhost {

namespace {

// ReadFile and WriteFile move at most a DWORD's worth of bytes at a time;
// Wine's pipes move large messages fastest a megabyte at a time (5.9 MB took
// 11 ms so against 26 ms in one write).
constexpr std::size_t Chunk = 1 << 20;

bool WriteAll(HANDLE pipe, const char* bytes, std::size_t count) {
    while (count > 0) {
        DWORD written = 0;
        if (!WriteFile(pipe, bytes, static_cast<DWORD>(std::min(count, Chunk)), &written,
                       nullptr)) {
            return false;
        }
        bytes += written;
        count -= written;
    }
    return true;
}

bool ReadAll(HANDLE pipe, char* bytes, std::size_t count) {
    while (count > 0) {
        DWORD read = 0;
        if (!ReadFile(pipe, bytes, static_cast<DWORD>(std::min(count, Chunk)), &read, nullptr) ||
            read == 0) {
            return false;
        }
        bytes += read;
        count -= read;
    }
    return true;
}

// What goes before each message on the pipe.
struct Header {
    std::uint64_t size;   // the message's length
    std::uint64_t where;  // Where
    std::uint64_t handle; // with NewSection: a handle to it (NodePipe.h says whose)
};

enum Where : std::uint64_t { InPipe, NewSection, SameSection };

// What the sender writes at the start of its section, before the message: a
// mapping that does not begin so is not a node's section.
struct SectionHeader {
    std::uint64_t mark;
    std::uint64_t size; // the message's length, as in the pipe's header
};

constexpr std::uint64_t SectionMark = 0x6e6f6974636573ull; // "section"

} // namespace

NodePipe::NodePipe(void* pipe, void* peer) : pipe_(pipe), peer_(peer) {}

NodePipe::~NodePipe() {
    Close();
}

void NodePipe::Open(void* pipe, void* peer) {
    Close();
    pipe_ = pipe;
    peer_ = peer;
}

void NodePipe::Close() {
    if (pipe_ != nullptr) {
        CloseHandle(pipe_);
        pipe_ = nullptr;
    }
    LetSectionGo();
}

void NodePipe::LetSectionGo() {
    if (view_ != nullptr) {
        UnmapViewOfFile(view_);
        view_ = nullptr;
    }
    if (section_ != nullptr) {
        CloseHandle(section_);
        section_ = nullptr;
    }
    capacity_ = 0;
    fresh_ = false;
}

// A section grows to twice its size at least, so that results growing a
// little from call to call do not make a new one each time.
bool NodePipe::ShareSection(std::size_t size) {
    if (size <= capacity_) {
        return true;
    }
    const std::size_t capacity = std::max(size, 2 * capacity_);
    LetSectionGo();
    const auto large = static_cast<std::uint64_t>(capacity);
    section_ =
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                           static_cast<DWORD>(large >> 32), static_cast<DWORD>(large), nullptr);
    if (section_ == nullptr) {
        return false;
    }
    view_ = static_cast<char*>(MapViewOfFile(section_, FILE_MAP_WRITE, 0, 0, capacity));
    if (view_ == nullptr) {
        LetSectionGo();
        return false;
    }
    capacity_ = capacity;
    fresh_ = true;
    return true;
}

bool NodePipe::HandleForPeer(std::uint64_t& handle) const {
    HANDLE given = section_; // the peer duplicates it out of this process
    if (peer_ != nullptr &&
        !DuplicateHandle(GetCurrentProcess(), section_, peer_, &given, FILE_MAP_READ, FALSE, 0)) {
        return false;
    }
    handle = reinterpret_cast<std::uintptr_t>(given);
    return true;
}

// False when `handle` names no section this process can map.
bool NodePipe::TakeSection(std::uint64_t handle) {
    LetSectionGo();
    if (handle != static_cast<std::uintptr_t>(handle)) {
        return false;
    }
    // Without the peer's handle, the peer has duplicated it into this process.
    HANDLE section = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(handle));
    if (peer_ != nullptr &&
        !DuplicateHandle(peer_, section, GetCurrentProcess(), &section, FILE_MAP_READ, FALSE, 0)) {
        return false;
    }
    view_ = static_cast<char*>(MapViewOfFile(section, FILE_MAP_READ, 0, 0, 0));
    if (view_ == nullptr) {
        const DWORD error = GetLastError();
        // A handle of this process's own that is no section is not this side's to close.
        if (peer_ != nullptr) {
            CloseHandle(section);
        }
        if (error == ERROR_NOT_ENOUGH_MEMORY) {
            throw std::bad_alloc();
        }
        return false;
    }
    section_ = section;
    MEMORY_BASIC_INFORMATION mapped = {};
    if (VirtualQuery(view_, &mapped, sizeof mapped) != sizeof mapped) {
        LetSectionGo();
        return false;
    }
    capacity_ = mapped.RegionSize;
    return true;
}

bool NodePipe::Send(const NodeMessage& message) {
    const std::string& bytes = message.Bytes();
    Header header = {bytes.size(), InPipe, 0};
    if (bytes.size() > InPipeAtMost && ShareSection(sizeof(SectionHeader) + bytes.size())) {
        if (fresh_ && !HandleForPeer(header.handle)) {
            return false;
        }
        header.where = fresh_ ? NewSection : SameSection;
        const SectionHeader written = {SectionMark, bytes.size()};
        std::memcpy(view_, &written, sizeof written);
        std::memcpy(view_ + sizeof written, bytes.data(), bytes.size());
    }
    const auto* headerBytes = reinterpret_cast<const char*>(&header);
    if (header.where != InPipe) {
        fresh_ = false;
        return WriteAll(pipe_, headerBytes, sizeof header);
    }
    // Each write is a round trip through Wine's server: a small message and
    // its header go in one.
    if (bytes.size() <= InPipeAtMost) {
        std::string packet(headerBytes, sizeof header);
        packet += bytes;
        return WriteAll(pipe_, packet.data(), packet.size());
    }
    return WriteAll(pipe_, headerBytes, sizeof header) &&
           WriteAll(pipe_, bytes.data(), bytes.size());
}

bool NodePipe::Receive(NodeMessage& message) {
    Header header = {};
    if (!ReadAll(pipe_, reinterpret_cast<char*>(&header), sizeof header) ||
        static_cast<std::size_t>(header.size) != header.size) {
        return false;
    }
    const auto size = static_cast<std::size_t>(header.size);
    if (header.where == InPipe) {
        return ReadAll(pipe_, message.Reset(size), size);
    }
    if ((header.where != NewSection && header.where != SameSection) ||
        (header.where == NewSection && !TakeSection(header.handle))) {
        return false;
    }
    SectionHeader written = {};
    if (view_ == nullptr || capacity_ < sizeof written || capacity_ - sizeof written < size) {
        return false;
    }
    std::memcpy(&written, view_, sizeof written);
    if (written.mark != SectionMark || written.size != header.size) {
        return false;
    }
    std::memcpy(message.Reset(size), view_ + sizeof written, size);
    return true;
}

} // namespace xlhost
