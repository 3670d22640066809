// Message boxes that an add-in shows while Excel runs its code. Excel's user
// reads each and presses OK; the stand-in reads each, keeps its caption and
// text, and presses OK itself, so that no test waits for a user.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace xlhost {

struct ShownMessageBox {
    std::string caption;
    std::string text;
};

class MessageBoxes {
public:
    // Several threads may show boxes at once; each is kept whole.
    std::vector<ShownMessageBox> Shown() const;
    void Add(const ShownMessageBox& box);
    void Clear();

    // Removes the calling thread's hook, which its first Watch installed:
    // before the thread ends, or once it runs no add-in code. A hook left in
    // place at exit keeps 64-bit Wine from closing the process's handles.
    static void Unhook();

    // While one lives, every message box of the calling thread is read and
    // closed into `boxes`. Watches on one thread do not nest; an inner one
    // is inert.
    class Watch {
    public:
        explicit Watch(MessageBoxes& boxes);
        ~Watch();
        Watch(const Watch&) = delete;
        Watch& operator=(const Watch&) = delete;

    private:
        bool outermost_ = false;
    };

private:
    mutable std::mutex mutex_;
    std::vector<ShownMessageBox> shown_;
};

} // namespace xlhost
