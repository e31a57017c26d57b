#include "snapshot.h"

namespace {

struct PopupSearch {
    HWND frame;
    DWORD process;
    RECT area;
};

BOOL CALLBACK AddPopup(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<PopupSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    RECT rect;
    if (window != search->frame && process == search->process && IsWindowVisible(window) &&
        GetWindowRect(window, &rect) && !IsRectEmpty(&rect))
        UnionRect(&search->area, &search->area, &rect);
    return TRUE;
}

}   // namespace

RECT VisiblePopupsRect(HWND frame) {
    PopupSearch search{frame, GetCurrentProcessId(), {}};
    EnumWindows(AddPopup, reinterpret_cast<LPARAM>(&search));
    return search.area;
}
