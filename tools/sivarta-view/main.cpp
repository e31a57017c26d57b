// sivarta-view: embeds an ActiveX control the way a browser's object tag does
// (PARAM bag before activation, event sink, in-place activation in a window of
// the object's size), and optionally prints the control's info and saves a
// snapshot of what it shows.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "control_host.h"
#include "control_info.h"
#include "event_sink.h"
#include "activex/support/message_box_watcher.h"
#include "host_wnd.h"
#include "property_bag.h"
#include "sivarta_h.h"
#include "activex/support/png_writer.h"
#include "snapshot.h"
#include "view_options.h"

namespace {

enum ExitCode { kOk = 0, kFailed = 1, kUsage = 2, kNoControl = 3, kNoActivation = 4, kNoSnapshot = 5 };

std::wstring Widen(const std::string& text) {
    int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring result(size > 0 ? size - 1 : 0, L'\0');
    if (size > 1) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, result.data(), size);
    return result;
}

std::string ToAnsi(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, result.data(), size, nullptr, nullptr);
    return result;
}

std::vector<std::string> Arguments() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; argv && i < count; ++i) args.push_back(ToUtf8(argv[i]));
    LocalFree(argv);
    return args;
}

void Fail(const std::string& message) {
    std::fprintf(stderr, "sivarta-view: %s\n", message.c_str());
}

// Dispatches messages until `done` holds or `ms` milliseconds have passed.
void PumpUntil(DWORD ms, const std::function<bool()>& done) {
    // (<chrono> does not compile with the CP949 execution charset.)
    const ULONGLONG deadline = GetTickCount64() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done && done()) return;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 20)),
                                  QS_ALLINPUT);
    }
}

int RunMessageLoop(ControlHost& host) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // Arrow keys and the like reach the chart through the control first.
        if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && host.TranslateAccelerator(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return kOk;
}

// Moves the cursor to the client point and waits for the control's tooltip,
// then returns the screen area that covers the object and its popups.
RECT HoverArea(HWND frame, POINT client, const RECT& objectScreen) {
    POINT screen = client;
    ClientToScreen(frame, &screen);
    SetCursorPos(screen.x, screen.y);
    RECT popups{};
    PumpUntil(3000, [&] {
        popups = VisiblePopupsRect(frame);
        return !IsRectEmpty(&popups);
    });
    if (IsRectEmpty(&popups))
        Fail("no tooltip appeared at " + std::to_string(client.x) + "," + std::to_string(client.y));
    PumpUntil(300, nullptr);   // the tooltip and the crosshair paint
    RECT area = objectScreen;
    UnionRect(&area, &area, &popups);
    return area;
}

int TakeSnapshot(HWND frame, const ViewOptions& options) {
    PumpUntil(500, nullptr);   // every window paints
    RECT area{0, 0, options.width, options.height};
    MapWindowPoints(frame, nullptr, reinterpret_cast<POINT*>(&area), 2);
    if (options.hover) area = HoverArea(frame, POINT{options.hover->first, options.hover->second}, area);
    HRESULT hr = WritePngFromScreen(ToAnsi(Widen(options.snapshotPath)), area);
    if (FAILED(hr)) {
        Fail("could not save " + options.snapshotPath + ": " + DescribeHResult(hr));
        return kNoSnapshot;
    }
    return kOk;
}

int Run(const ViewOptions& options) {
    ControlHost host;
    HostWnd window(host);
    const bool snapshot = !options.snapshotPath.empty();
    if (!window.CreateHost(options.width, options.height, !snapshot, "Sivarta")) {
        Fail("could not create the host window (is there a display?)");
        return kFailed;
    }
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    std::string error;
    if (FAILED(host.Create(Widen(options.classId), window, error))) {
        Fail(error);
        return kNoControl;
    }
    std::vector<std::pair<std::wstring, std::wstring>> params;
    for (const auto& [name, value] : options.params) params.emplace_back(Widen(name), Widen(value));
    auto* bag = new ParamBag(std::move(params));
    HRESULT hr = host.Load(bag, error);
    bag->Release();
    if (FAILED(hr)) {
        Fail(error);
        return kNoControl;
    }

    // A page script's ReadyInfo handler: read the info the moment it is ready.
    std::string infoLines, infoError;
    bool infoRead = false;
    auto* sink = new ReadyInfoSink([&] {
        if (options.printInfo && !infoRead) infoRead = ReadControlInfo(host.Dispatch(), infoLines, infoError);
    });
    hr = host.ConnectEvents(__uuidof(_DSivartaEvents), sink, error);
    const bool connected = SUCCEEDED(hr);
    if (!connected) {
        Fail(error);
        if (options.printInfo) {
            sink->Release();
            return kNoActivation;
        }
    }

    // Without a user, a message box from the control would wait forever: note
    // what it said and dismiss it.
    std::unique_ptr<MessageBoxWatcher> watcher;
    if (snapshot) watcher = std::make_unique<MessageBoxWatcher>();
    hr = host.Activate(RECT{0, 0, options.width, options.height}, error);
    if (SUCCEEDED(hr) && connected) PumpUntil(5000, [&] { return sink->ReadyCount() > 0; });
    if (watcher)
        for (const auto& box : watcher->Boxes()) Fail("the control said: " + box.text);

    int status = kOk;
    if (FAILED(hr)) {
        Fail(error);
        status = kNoActivation;
    } else if (options.printInfo && sink->ReadyCount() == 0) {
        Fail("the control never fired ReadyInfo");
        status = kNoActivation;
    } else if (options.printInfo && !infoRead) {
        Fail(infoError);
        status = kFailed;
    }
    std::fwrite(infoLines.data(), 1, infoLines.size(), stdout);
    std::fflush(stdout);

    if (status == kOk) status = snapshot ? TakeSnapshot(window, options) : RunMessageLoop(host);
    host.Shutdown();
    sink->Release();
    watcher.reset();
    window.DestroyWindow();
    return status;
}

}   // namespace

int main() {
    // The info lines are UTF-8 bytes; no "\r\n" translation on the way out.
    _setmode(_fileno(stdout), _O_BINARY);
    std::string error;
    auto options = ParseViewOptions(Arguments(), error);
    if (!options) {
        Fail(error);
        std::fputs(ViewUsage(), stderr);
        return kUsage;
    }
    if (options->help) {
        std::fputs(ViewUsage(), stdout);
        return kOk;
    }
    if (FAILED(OleInitialize(nullptr))) {
        Fail("OleInitialize failed");
        return kFailed;
    }
    int status = Run(*options);
    OleUninitialize();
    return status;
}
