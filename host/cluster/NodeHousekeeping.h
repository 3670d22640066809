// What the cluster nodes of this process leave behind, looked after for the
// process as a whole, however it ends:
// - the nodes run in a job that ends them when its last handle goes, which
//   is when this process ends, killed or crashed included;
// - each node's copy of what it needs from an add-in's folder is listed, and
//   a console's Ctrl-C, Ctrl-Break or close ends the nodes and removes the
//   copies before the process goes;
// - a copy's folder is named by its owner's process id and start time, and
//   the first node a process starts sweeps the copies whose owner is gone,
//   ended where no code of its own could run.
#pragma once

#include <mutex>
#include <set>
#include <string>

namespace xlhost {

class NodeHousekeeping {
public:
    static NodeHousekeeping& Get();
    NodeHousekeeping(const NodeHousekeeping&) = delete;
    NodeHousekeeping& operator=(const NodeHousekeeping&) = delete;

    // Puts a node's process, started suspended, into the job. Throws
    // std::runtime_error, having ended it, when this process is being ended.
    void Adopt(void* process);

    // A new folder for node `node`, holding a copy of the add-in `addIn` in
    // `source` and of the data files beside it (*.txt and *.csv: param.txt
    // for Tesserine); a UTF-16 path. Throws std::runtime_error, naming the
    // file and the system's error code, when a copy fails; nothing is left.
    std::wstring Copy(int node, const std::wstring& source, const std::wstring& addIn);
    void Remove(const std::wstring& copy);

    // Ends every node and removes every copy; no node starts afterwards.
    // What the console handler does before the process ends.
    void EndAll();

private:
    NodeHousekeeping();
    std::wstring NewFolder(int node);
    void SweepCopiesOfTheGone();

    std::mutex mutex_;
    void* job_ = nullptr;
    std::set<std::wstring> copies_;
    bool ending_ = false;
};

} // namespace xlhost
