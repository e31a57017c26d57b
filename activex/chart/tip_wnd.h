// TipWnd: the topmost popup next to the cursor that shows one line of
// coloured text segments ("colour;text\r\n" each). The portable tooltip
// scene says what it shows; the window replays it into its own buffer and
// paints by copying the buffer.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "activex/framework/gdi.h"
#include "activex/framework/wnd.h"

class TipWnd : public Wnd {
public:
    TipWnd() = default;
    ~TipWnd() override;

    // Shown at once unless `hidden`: the chart's tooltip waits for the
    // pointer, and a popup mapped and unmapped at creation only flashes.
    void CreateTip(const RECT& rect, COLORREF crText, COLORREF crBack, COLORREF crOutline, const char* faceName,
                   bool hidden = false);
    void ClearText();
    void AddSegment(const char* text, int32_t colour);
    void LayoutText();

    int32_t nTextHeight = 10;
    std::string strClassName;
    int32_t nLeftMargin = 10;
    std::string strSegments;
    COLORREF crText = 0;
    COLORREF crBack = 0;
    COLORREF crOutline = 0xFFA570;
    Font fontTip;
    RECT rcBuffer{};
    Surface dcTip;   // the buffer, fontTip selected

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);
    void OnDestroy();

private:
    // The fill step: the buffer in crBack, copied to the window.
    void FillBuffer();
    void GrowBuffer(int width);
};
