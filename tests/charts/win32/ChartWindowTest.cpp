// The chart window under the mouse and the keyboard.
#include <gtest/gtest.h>
#include <windows.h>

#include "DemoChart.h"
#include "charts/ChartCommands.h"
#include "viframework/TouchSettings.h"

namespace {

class ChartWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 640, 420, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(m_chart.Create(m_parent, {0, 0, 640, 420}, 1));
        Paint();
    }
    void TearDown() override
    {
        SetTouchSettings({});
        m_chart.DestroyView();
        DestroyWindow(m_parent);
    }
    // Paints now, which also lays the chart out for its window.
    void Paint()
    {
        InvalidateRect(m_chart.GetSafeHwnd(), nullptr, FALSE);
        UpdateWindow(m_chart.GetSafeHwnd());
    }
    LRESULT Send(UINT message, WPARAM wParam, int x, int y)
    {
        return SendMessageW(m_chart.GetSafeHwnd(), message, wParam, MAKELPARAM(x, y));
    }
    void Drag(CPoint from, CPoint to)
    {
        Send(WM_LBUTTONDOWN, MK_LBUTTON, from.x, from.y);
        Send(WM_MOUSEMOVE, MK_LBUTTON, to.x, to.y);
        Send(WM_LBUTTONUP, 0, to.x, to.y);
        Paint();
    }
    bool HasScrollBar(DWORD style) const { return (GetWindowLongW(m_chart.GetSafeHwnd(), GWL_STYLE) & style) != 0; }
    CAxis& X() { return m_chart.Model().Horizontal(); }
    CAxis& Y() { return m_chart.Model().Vertical(0); }
    const CRect& Plot() { return m_chart.Model().Plot(); }

    HWND m_parent = nullptr;
    CDemoChart m_chart;
};

}  // namespace

TEST_F(ChartWindow, ARubberBandZoomsWithScrollBarsAndUnzoomRestoresEverything)
{
    const AxisRange fullX = X().RangeSet(), fullY = Y().RangeSet();
    const CRect plot = Plot();
    // A band without height: nothing changes.
    Drag({plot.left + 50, plot.top + 40}, {plot.left + 200, plot.top + 40});
    EXPECT_FALSE(m_chart.Zoomed());
    EXPECT_FALSE(HasScrollBar(WS_HSCROLL));

    Drag({plot.left + 50, plot.top + 40}, {plot.left + 200, plot.top + 160});
    ASSERT_TRUE(m_chart.Zoomed());
    EXPECT_LT(X().RangeSet().maximum - X().RangeSet().minimum, fullX.maximum - fullX.minimum);
    EXPECT_LT(Y().RangeSet().maximum - Y().RangeSet().minimum, fullY.maximum - fullY.minimum);
    EXPECT_TRUE(HasScrollBar(WS_HSCROLL));
    EXPECT_TRUE(HasScrollBar(WS_VSCROLL));
    EXPECT_EQ(GetCapture(), nullptr);

    // The arrow keys scroll a zoomed chart by one step.
    const AxisRange zoomed = X().RangeSet();
    Send(WM_KEYDOWN, VK_RIGHT, 0, 0);
    EXPECT_NEAR(X().RangeSet().minimum, zoomed.minimum + zoomed.step, 1e-12);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS | SIF_RANGE;
    GetScrollInfo(m_chart.GetSafeHwnd(), SB_HORZ, &info);
    EXPECT_EQ(info.nPos, CChartZoom::ScrollOf(X()).position);

    // A second zoom and one unzoom: the first ranges, no scroll bars.
    Paint();
    Drag({Plot().left + 10, Plot().top + 10}, {Plot().left + 100, Plot().top + 100});
    Send(WM_COMMAND, ID_CHART_UNZOOM, 0, 0);
    EXPECT_FALSE(m_chart.Zoomed());
    EXPECT_EQ(X().RangeSet(), fullX);
    EXPECT_EQ(Y().RangeSet(), fullY);
    EXPECT_FALSE(HasScrollBar(WS_HSCROLL));
    EXPECT_FALSE(HasScrollBar(WS_VSCROLL));
}

// Whether the window system confines the pointer at all: 32-bit Wine here
// ignores ClipCursor, where the chart's confinement cannot be seen.
bool PointerCanBeConfined()
{
    RECT small{10, 10, 20, 20};
    ClipCursor(&small);
    RECT clip{};
    GetClipCursor(&clip);
    ClipCursor(nullptr);
    return clip.right - clip.left == 10;
}

TEST_F(ChartWindow, EscapeDuringADragCancelsItAndFreesThePointer)
{
    const bool confinable = PointerCanBeConfined();
    const AxisRange fullX = X().RangeSet();
    const CRect plot = Plot();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, plot.left + 50, plot.top + 40);
    EXPECT_EQ(GetCapture(), m_chart.GetSafeHwnd());
    RECT clip{};
    GetClipCursor(&clip);
    if (confinable) {
        EXPECT_LT(clip.right - clip.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    }
    Send(WM_MOUSEMOVE, MK_LBUTTON, plot.left + 200, plot.top + 160);
    Send(WM_KEYDOWN, VK_ESCAPE, 0, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    GetClipCursor(&clip);
    EXPECT_GE(clip.right - clip.left, GetSystemMetrics(SM_CXSCREEN));
    Send(WM_LBUTTONUP, 0, plot.left + 200, plot.top + 160);
    EXPECT_FALSE(m_chart.Zoomed());
    EXPECT_EQ(X().RangeSet(), fullX);

    // The band is free again for the next drag.
    Drag({plot.left + 50, plot.top + 40}, {plot.left + 200, plot.top + 160});
    EXPECT_TRUE(m_chart.Zoomed());
}

TEST_F(ChartWindow, ACursorIsCaughtWithinTenPixelsOrThirtyByTouch)
{
    m_chart.ShowCursors(true);
    m_chart.SetCursors(X().PixelToValue(Plot().left + 100), X().PixelToValue(Plot().left + 400));
    Paint();
    const int32_t p1 = X().ValueToPixel(m_chart.Cursors().x1);
    const int32_t y = Plot().top + 100;

    // 8 pixels off: caught and moved; the read-out follows.
    Drag({p1 + 8, y}, {p1 + 58, y});
    EXPECT_NEAR(X().ValueToPixel(m_chart.Cursors().x1), p1 + 50, 1);
    EXPECT_FALSE(m_chart.Zoomed());
    EXPECT_EQ(m_chart.Readout()[1].empty(), false);
    ASSERT_EQ(m_chart.Readout().size(), 14u);
    EXPECT_FALSE(m_chart.Readout()[3].empty());  // on the curve: y1 shown

    // 25 pixels off is a rubber band with the mouse, a catch by touch.
    const int32_t moved = X().ValueToPixel(m_chart.Cursors().x1);
    Drag({moved + 25, y}, {moved + 125, y + 60});
    EXPECT_TRUE(m_chart.Zoomed());
    m_chart.Unzoom();
    Paint();
    SetTouchSettings({true});
    const int32_t again = X().ValueToPixel(m_chart.Cursors().x1);
    Drag({again + 25, y}, {again + 75, y});
    EXPECT_FALSE(m_chart.Zoomed());
    EXPECT_NEAR(X().ValueToPixel(m_chart.Cursors().x1), again + 50, 1);
}

TEST_F(ChartWindow, APictureForExportLeavesTheWindowLaidOutAsBefore)
{
    const CRect before = Plot();
    const int32_t resolution = m_chart.Model().resolutionX;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 1200, 900);
    HGDIOBJ old = SelectObject(memory, bitmap);
    m_chart.DrawForExport(memory, {0, 0, 1200, 900}, 300, 300);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(m_chart.Model().resolutionX, resolution);
    EXPECT_FALSE(m_chart.Model().exporting);
    Paint();
    EXPECT_EQ(Plot(), before);
}
