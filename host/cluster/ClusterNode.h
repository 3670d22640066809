// One node of the stand-in cluster connector, seen from Excel's process: a
// process of its own (host/xlnode, the program beside the host executable)
// that loads an add-in from its own copy of the add-in and the data files
// beside it (NodeHousekeeping), as a compute node has them installed beside
// each other, and calls its functions by their exported names without running
// xlAutoOpen. The node starts on its first call and again after it died or
// ran out of time; the copies go when it stops.
#pragma once

#include "NodeCall.h"
#include "NodePipe.h"
#include "Registration.h"
#include "Watchdog.h"

#include <chrono>
#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace xlhost {

class ClusterNode {
public:
    // `number` names the node in messages (1 for the first); `program` is
    // the node executable, a UTF-8 path; `timeLimit` bounds each call.
    ClusterNode(int number, std::string program, std::chrono::milliseconds timeLimit);
    ~ClusterNode();
    ClusterNode(const ClusterNode&) = delete;
    ClusterNode& operator=(const ClusterNode&) = delete;

    // Calls the registered function on the node with the arguments made what
    // their codes ask for. Throws std::runtime_error, naming the node and the
    // function, when the node cannot be started, cannot call, stops before it
    // answers, or gives no answer within the time limit (it is then ended);
    // a node that stopped starts again on the next call.
    NodeAnswer Call(const Registration& registration, const std::vector<Value>& arguments);

    // Ends the node's process (it sees its requests end and leaves) and
    // removes its copies. Harmless when it is not running.
    void Stop();

    // How often the node's process had to be ended: a call ran over its time
    // limit, or, told to stop, it did not leave with exit code 0 by itself.
    std::size_t Ended() const { return ended_; }

private:
    void Start();
    // Tells the running node to stop (its requests end), ends it when it
    // will not within 10 s, and lets its process go; the code it left with.
    unsigned long Leave();
    // The node's copy of the add-in at `modulePath`, made on first use.
    std::string CopyOf(const std::string& modulePath);
    std::string Failure(const Registration& registration, const std::string& what) const;

    int number_;
    std::string program_;
    std::chrono::milliseconds timeLimit_;
    void* process_ = nullptr;
    std::size_t ended_ = 0;
    NodePipe requests_;                           // to the node
    NodePipe answers_;                            // from it
    std::map<std::wstring, std::wstring> copies_; // add-in folder -> the node's copy
    // Kept from call to call: a large answer then lands in memory already
    // mapped instead of in pages the system must find and clear again.
    NodeMessage answer_;
    Watchdog watchdog_; // ends the node when a call runs over its time
};

} // namespace xlhost
