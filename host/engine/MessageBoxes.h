// Message boxes that an add-in shows while Excel runs its code. Excel's user
// reads each and presses OK; the stand-in reads each, keeps its caption and
// text, and presses OK itself, so that no test waits for a user.
#pragma once

#include <string>
#include <vector>

namespace xlhost {

struct ShownMessageBox {
    std::string caption;
    std::string text;
};

class MessageBoxes {
public:
    const std::vector<ShownMessageBox>& Shown() const { return shown_; }
    void Add(const ShownMessageBox& box) { shown_.push_back(box); }
    void Clear() { shown_.clear(); }

    // While one lives, every message box of the calling thread is read and
    // closed into `boxes`. Watches do not nest; an inner one is inert.
    class Watch {
    public:
        explicit Watch(MessageBoxes& boxes);
        ~Watch();
        Watch(const Watch&) = delete;
        Watch& operator=(const Watch&) = delete;

    private:
        bool outermost_ = false;
        void* hook_ = nullptr;
    };

private:
    std::vector<ShownMessageBox> shown_;
};

} // namespace xlhost
