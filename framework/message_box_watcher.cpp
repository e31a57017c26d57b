#include "framework/message_box_watcher.h"

namespace {

thread_local MessageBoxWatcher* current = nullptr;

// The message box's text is the static control with this id.
constexpr int kTextId = 0xFFFF;
// Marks a box already dismissed (it may be activated more than once).
const char kSeenProp[] = "Sivarta.BoxSeen";

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

}  // namespace

MessageBoxWatcher::MessageBoxWatcher() : previous(current) {
    current = this;
    hook = SetWindowsHookExA(WH_CBT, &MessageBoxWatcher::CbtProc, nullptr, GetCurrentThreadId());
}

MessageBoxWatcher::~MessageBoxWatcher() {
    if (hook) UnhookWindowsHookEx(hook);
    current = previous;
}

LRESULT CALLBACK MessageBoxWatcher::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && current) current->Seen(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void MessageBoxWatcher::Seen(HWND box) {
    HWND textItem = GetDlgItem(box, kTextId);
    if (!IsDialog(box) || !textItem || GetPropA(box, kSeenProp)) return;
    SetPropA(box, kSeenProp, reinterpret_cast<HANDLE>(1));
    LONG_PTR exStyle = GetWindowLongPtrA(box, GWL_EXSTYLE);
    boxes.push_back({WindowText(box), WindowText(textItem), (exStyle & WS_EX_TOPMOST) != 0});
    // Posted: the box's own modal loop picks it up once it is running.
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}
