// Watches for message boxes shown on the calling thread, keeps what they said
// and dismisses them. Programs that run a load without a user (the snapshot
// tool, tests) use it: the box runs a modal loop on the same thread, so a CBT
// hook there sees it as soon as it is activated.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class MessageBoxWatcher {
public:
    struct Box {
        std::string caption;
        std::string text;
        bool topmost;   // MB_SYSTEMMODAL boxes are topmost
    };

    // Hooks the calling thread; the watcher must be destroyed on that thread.
    MessageBoxWatcher();
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    const std::vector<Box>& Boxes() const { return boxes; }

private:
    static LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam);
    void Seen(HWND box);

    HHOOK hook = nullptr;
    MessageBoxWatcher* previous = nullptr;
    std::vector<Box> boxes;
};
