// One direction of the connection between Excel's process and a cluster
// node: a pipe, and for a large message a memory section its sender shares.
// Wine moves pipe data through its server, a copy in and a copy out on the
// two cores the machine has, which made shipping a large result cost more
// than computing it; so a message of more than InPipeAtMost bytes goes into
// the section, and the pipe carries its length and, for a new section, a
// handle to it. A section has no name that another process could open it by:
// the side that holds the other's process handle (Excel's process, which
// started the node) duplicates its own sections' handles into the node and
// the node's sections' handles out of it.
//
// The sender writes its next message into the same section, so it may send
// again only once the receiver has taken the last message: a request and its
// answer alternate, which ensures it.
#pragma once

#include "NodeMessage.h"

#include <cstddef>
#include <cstdint>

namespace xlhost {

class NodePipe {
public:
    static constexpr std::size_t InPipeAtMost = 1 << 16;

    // `pipe` is the end this side writes to (sending) or reads from
    // (receiving); the NodePipe closes it. `peer` is the process at the other
    // end for the side that holds its handle, null for the other side.
    explicit NodePipe(void* pipe = nullptr, void* peer = nullptr);
    ~NodePipe();
    NodePipe(const NodePipe&) = delete;
    NodePipe& operator=(const NodePipe&) = delete;

    // Closes what it had and takes `pipe`, with `peer` as above.
    void Open(void* pipe, void* peer);
    // Closes the pipe, which the other end sees as the end of its messages,
    // and lets the section go.
    void Close();

    // False when the pipe broke (the other end closed or its process ended)
    // before the whole message passed, or what came is no message: a header
    // of an unknown kind, a section this side cannot map, one shorter than
    // the message or whose own header disagrees. A message the sender cannot
    // share a section for goes in the pipe; Receive throws std::bad_alloc
    // when this process has no room to map the sender's section.
    bool Send(const NodeMessage& message);
    bool Receive(NodeMessage& message);

private:
    // This side's view of a section: the one it writes into when sending, the
    // other side's when receiving.
    bool ShareSection(std::size_t size);
    // The handle the header carries for this side's new section.
    bool HandleForPeer(std::uint64_t& handle) const;
    bool TakeSection(std::uint64_t handle);
    void LetSectionGo();

    void* pipe_;
    void* peer_;
    void* section_ = nullptr;
    char* view_ = nullptr;
    std::size_t capacity_ = 0; // the view's length
    // Sending: the section is new, and its handle not yet sent.
    bool fresh_ = false;
};

} // namespace xlhost
