#include "win/support/chart_fixture.h"

#include <wincodec.h>

bool ChartFixture::Create(int width, int height, const std::function<void(ChartWnd&)>& configure) {
    chart.Model().settings.nIsToolTip = 0;
    if (configure) configure(chart);
    if (!host.CreateEx(0, nullptr, "chart host", WS_POPUP, 0, 0, width, height, nullptr, nullptr)) return false;
    return chart.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, RECT{0, 0, width, height}, host, 5000);
}

void ChartFixture::Load(const std::vector<BarRecord>& bars) {
    chart.ResetSeries();
    for (const BarRecord& b : bars) chart.Model().AddBar(b.time, b.open, b.high, b.low, b.close, b.volume);
    chart.RefreshChart(FALSE);
}

void ChartFixture::Resize(int width, int height) {
    SetWindowPos(host, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(chart, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int ChartFixture::Count(const RECT& rect, COLORREF colour) const {
    int n = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x) n += Pixel(x, y) == colour;
    return n;
}

BarRecord Bar(int32_t time, int32_t open, int32_t high, int32_t low, int32_t close, int32_t volume) {
    return {open, high, low, close, volume, time};
}

std::vector<BarRecord> MinuteBars(int count, int32_t price, int32_t volume) {
    std::vector<BarRecord> bars;
    for (int i = 0; i < count; ++i) {
        const int32_t time = (9 + i / 60) * 10000 + (i % 60) * 100;
        bars.push_back(Bar(time, price, price + 5, price - 5, price + (i % 2 ? 3 : -3), volume));
    }
    return bars;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool ReadPngSize(const std::string& path, UINT& width, UINT& height) {
    IWICImagingFactory* factory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory))))
        return false;
    std::wstring wide(path.begin(), path.end());
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    bool ok = SUCCEEDED(factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ,
                                                           WICDecodeMetadataCacheOnLoad, &decoder)) &&
              SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&width, &height));
    if (frame) frame->Release();
    if (decoder) decoder->Release();
    factory->Release();
    return ok;
}
