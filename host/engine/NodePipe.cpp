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

// A section name no other section of this machine has.
std::string NewSectionName() {
    static std::atomic<unsigned> made{0};
    return "xlnode-section-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(made++);
}

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

// What goes before each message on the pipe: its length, and the length of
// the name of the section that holds it (0 when the message follows).
struct Header {
    std::uint64_t size;
    std::uint64_t nameLength;
};

// No section name is longer; a longer one is a broken message.
constexpr std::uint64_t LongestName = 64;

} // namespace

NodePipe::NodePipe(void* pipe) : pipe_(pipe) {}

NodePipe::~NodePipe() {
    Close();
}

void NodePipe::Open(void* pipe) {
    Close();
    pipe_ = pipe;
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
    name_.clear();
}

// A section grows to twice its size at least, so that results growing a
// little from call to call do not make a new one each time.
bool NodePipe::ShareSection(std::size_t size) {
    if (size <= capacity_) {
        return true;
    }
    const std::size_t capacity = std::max(size, 2 * capacity_);
    LetSectionGo();
    const std::string name = NewSectionName();
    const std::wstring wideName(name.begin(), name.end());
    const auto large = static_cast<std::uint64_t>(capacity);
    section_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                  static_cast<DWORD>(large >> 32), static_cast<DWORD>(large),
                                  wideName.c_str());
    // A section of that name still held elsewhere (a process of a reused id
    // that died) is not this one's to write.
    if (section_ != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        LetSectionGo();
    }
    if (section_ == nullptr) {
        return false;
    }
    view_ = static_cast<char*>(MapViewOfFile(section_, FILE_MAP_WRITE, 0, 0, capacity));
    if (view_ == nullptr) {
        LetSectionGo();
        return false;
    }
    capacity_ = capacity;
    name_ = name;
    return true;
}

// False when the sender's section is gone (its process ended) or is smaller
// than the message it claims to hold.
bool NodePipe::OpenSection(const std::string& name, std::size_t size) {
    if (name == name_ && size <= capacity_) {
        return true;
    }
    LetSectionGo();
    const std::wstring wideName(name.begin(), name.end());
    section_ = OpenFileMappingW(FILE_MAP_READ, FALSE, wideName.c_str());
    if (section_ == nullptr) {
        return false;
    }
    view_ = static_cast<char*>(MapViewOfFile(section_, FILE_MAP_READ, 0, 0, 0));
    if (view_ == nullptr) {
        LetSectionGo();
        throw std::bad_alloc();
    }
    MEMORY_BASIC_INFORMATION mapped = {};
    if (VirtualQuery(view_, &mapped, sizeof mapped) != sizeof mapped || mapped.RegionSize < size) {
        LetSectionGo();
        return false;
    }
    capacity_ = mapped.RegionSize;
    name_ = name;
    return true;
}

bool NodePipe::Send(const NodeMessage& message) {
    const std::string& bytes = message.Bytes();
    const bool shared = bytes.size() > InPipeAtMost && ShareSection(bytes.size());
    if (shared) {
        std::memcpy(view_, bytes.data(), bytes.size());
    }
    const Header header = {bytes.size(), shared ? name_.size() : 0};
    const std::string& follows = shared ? name_ : bytes;
    const auto* headerBytes = reinterpret_cast<const char*>(&header);
    // Each write is a round trip through Wine's server: a small message and
    // its header go in one.
    if (follows.size() <= InPipeAtMost) {
        std::string packet(headerBytes, sizeof header);
        packet += follows;
        return WriteAll(pipe_, packet.data(), packet.size());
    }
    return WriteAll(pipe_, headerBytes, sizeof header) &&
           WriteAll(pipe_, follows.data(), follows.size());
}

bool NodePipe::Receive(NodeMessage& message) {
    Header header = {};
    if (!ReadAll(pipe_, reinterpret_cast<char*>(&header), sizeof header) ||
        header.nameLength > LongestName || static_cast<std::size_t>(header.size) != header.size) {
        return false;
    }
    const auto size = static_cast<std::size_t>(header.size);
    if (header.nameLength == 0) {
        return ReadAll(pipe_, message.Reset(size), size);
    }
    std::string name(static_cast<std::size_t>(header.nameLength), '\0');
    if (!ReadAll(pipe_, &name[0], name.size()) || !OpenSection(name, size)) {
        return false;
    }
    std::memcpy(message.Reset(size), view_, size);
    return true;
}

} // namespace xlhost
