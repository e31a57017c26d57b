#include "activex/support/message_box_watcher.h"

#include <type_traits>

namespace {

thread_local MessageBoxWatcher* current = nullptr;

// The message box's text is the static control with this id.
constexpr int kTextId = 0xFFFF;

std::string WindowText(HWND hwnd) {
    int length = GetWindowTextLengthA(hwnd);
    std::string text(length > 0 ? length + 1 : 1, '\0');
    int got = GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()));
    text.resize(got > 0 ? got : 0);
    return text;
}

bool IsDialog(HWND hwnd) {
    char cls[16] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    return lstrcmpA(cls, "#32770") == 0;
}

}   // namespace

MessageBoxWatcher::MessageBoxWatcher() : previous(current) {
    current = this;
    static_assert(std::is_same_v<decltype(&MessageBoxWatcher::AfterMessage), HOOKPROC>);
    hook = SetWindowsHookExA(WH_CALLWNDPROCRET, &MessageBoxWatcher::AfterMessage, nullptr, GetCurrentThreadId());
}

MessageBoxWatcher::~MessageBoxWatcher() {
    if (hook) UnhookWindowsHookEx(hook);
    current = previous;
}

LRESULT CALLBACK MessageBoxWatcher::AfterMessage(int code, WPARAM wParam, LPARAM lParam) {
    // The box has its text and its place once WM_INITDIALOG has been handled.
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && current && call->message == WM_INITDIALOG) current->Seen(call->hwnd);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void MessageBoxWatcher::Seen(HWND box) {
    HWND textItem = GetDlgItem(box, kTextId);
    if (!IsDialog(box) || !textItem) return;
    LONG_PTR exStyle = GetWindowLongPtrA(box, GWL_EXSTYLE);
    boxes.push_back({WindowText(box), WindowText(textItem), (exStyle & WS_EX_TOPMOST) != 0});
    // Ended from its WM_INITDIALOG, as if OK was pressed at once.
    EndDialog(box, IDOK);
}
