#include "NodeCall.h"

#include <stdexcept>

namespace xlhost {

NodeMessage NodeCall::Encode() const {
    NodeMessage message;
    message.PutText(module);
    message.PutText(procedure);
    message.PutText(resultCode);
    message.PutNumber(arguments.size());
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        message.PutText(argumentCodes[i]);
        message.PutValue(arguments[i]);
    }
    return message;
}

NodeCall NodeCall::Decode(NodeMessage& message) {
    NodeCall call;
    call.module = message.TakeText();
    call.procedure = message.TakeText();
    call.resultCode = message.TakeText();
    const std::uint64_t count = message.TakeNumber();
    for (std::uint64_t i = 0; i < count; ++i) {
        call.argumentCodes.push_back(message.TakeText());
        call.arguments.push_back(message.TakeValue());
    }
    return call;
}

NodeMessage NodeAnswer::Encode() const {
    NodeMessage message;
    message.PutText(failure);
    message.PutNumber(static_cast<std::uint64_t>(returned.kind));
    message.PutValue(returned.value);
    message.PutNumber(static_cast<std::uint64_t>(release));
    return message;
}

template <class Record>
void NodeAnswer::EncodeFrom(const Record* record, NodeMessage& message) const {
    message.Clear();
    message.PutText(failure);
    message.PutNumber(static_cast<std::uint64_t>(Returned::Kind::Value));
    if (record == nullptr || !message.PutNumberArray(*record)) {
        NodeAnswer read = *this;
        read.returned = Returned::Of(record);
        message = read.Encode();
        return;
    }
    message.PutNumber(static_cast<std::uint64_t>(release));
}

template void NodeAnswer::EncodeFrom(const XLOPER* record, NodeMessage& message) const;
template void NodeAnswer::EncodeFrom(const XLOPER12* record, NodeMessage& message) const;

NodeAnswer NodeAnswer::Decode(NodeMessage& message) {
    NodeAnswer answer;
    answer.failure = message.TakeText();
    const std::uint64_t kind = message.TakeNumber();
    if (kind > static_cast<std::uint64_t>(Returned::Kind::Unreadable)) {
        throw std::runtime_error("a cluster node answered a result of unknown kind");
    }
    answer.returned.kind = static_cast<Returned::Kind>(kind);
    answer.returned.value = message.TakeValue();
    const std::uint64_t release = message.TakeNumber();
    if (release > static_cast<std::uint64_t>(Release::WithoutAutoFree)) {
        throw std::runtime_error("a cluster node answered an unknown release");
    }
    answer.release = static_cast<Release>(release);
    return answer;
}

} // namespace xlhost
