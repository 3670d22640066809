// One call a cluster node makes for Excel's process, and its answer, as
// they cross the pipe between the two (NodeMessage).
#pragma once

#include "NodeMessage.h"
#include "Returned.h"
#include "Value.h"

#include <string>
#include <vector>

namespace xlhost {

struct NodeCall {
    std::string module;    // the node's copy of the add-in, a UTF-8 path
    std::string procedure; // the exported name, as registered
    std::string resultCode;
    std::vector<std::string> argumentCodes;
    // Each argument already made what its code asks for (PassedArguments::Convert).
    std::vector<Value> arguments;

    NodeMessage Encode() const;
    static NodeCall Decode(NodeMessage& message);
};

struct NodeAnswer {
    // Why the node could not call at all (the add-in would not load, the
    // procedure is not exported); empty when it called.
    std::string failure;
    Returned returned;
    // A result marked xlbitDLLFree: whether the node handed it to the
    // add-in's xlAutoFree12 (xlAutoFree), or found none to hand it to.
    enum class Release { NotMarked, HandedBack, WithoutAutoFree };
    Release release = Release::NotMarked;

    NodeMessage Encode() const;
    // The same, into `message` (emptied first, its memory kept), for a call
    // whose result the add-in still holds in `record`: read into `returned`
    // unless it is an array of numbers, which goes straight from the record
    // into the message.
    template <class Record> void EncodeFrom(const Record* record, NodeMessage& message) const;
    static NodeAnswer Decode(NodeMessage& message);
};

} // namespace xlhost
