// TipWnd: the topmost popup next to the cursor that shows one line of
// coloured text segments ("colour;text\r\n" each). It draws into its own
// buffer and paints by copying it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/gdi.h"
#include "framework/wnd.h"

class TipWnd : public Wnd {
public:
    TipWnd() = default;
    ~TipWnd() override;

    void CreateTip(const RECT& rect, COLORREF crText, COLORREF crBack, COLORREF crOutline,
                   const char* faceName);
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
    HGDIOBJ hOldFont = nullptr;
    RECT rcBuffer{};
    Bitmap bmpTip;
    HGDIOBJ hOldBitmap = nullptr;
    MemoryDC dcTip;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnPaint();
    void OnSize(UINT type, int cx, int cy);
    void OnDestroy();

private:
    // The fill step: the buffer in crBack, copied to the window.
    void FillBuffer();
    // The 1-pixel frame in crOutline around a client rectangle, into dcTip.
    void DrawOutline(const RECT& client);
    void GrowBuffer(int width);
};
