// Panel windows under Windows (Wine here): zoom sizes, mouse routing to the
// controls, radio groups, hover, the demonstration overlay and what a
// repaint puts on the screen.
#include <gtest/gtest.h>

#include <windows.h>

#include "../PanelFakes.h"
#include "WindowTestUtil.h"
#include "framework/win32/Win32Services.h"
#include "interface/Vexaface.h"
#include "viframework/SkinManager.h"
#include "viframework/controls/HotButton.h"
#include "viframework/controls/HotToggle.h"
#include "viframework/controls/Label.h"
#include "viframework/controls/Pictures.h"
#include "viframework/controls/Seg7.h"
#include "viframework/win32/GdiPlusGraphics.h"
#include "viframework/win32/VIDialog.h"
#include "viframework/win32/VIWindow.h"

namespace {

constexpr uint32_t kLayoutId = 10900;

std::vector<uint8_t> LayoutOf(int32_t width, int32_t height, const std::vector<CHotspot*>& controls)
{
    return ::LayoutOf(width, height, u"TEST PANEL", controls);
}

template <class T>
T* Make(CRect rect, uint32_t id, uint32_t flags = kHotVisible)
{
    auto* control = new T;
    control->m_rect = rect;
    control->m_id = id;
    control->m_flags = (control->m_flags & 0xFFFF0000u) | flags;
    return control;
}

class TestWindow : public CVIWindowBase {
public:
    using CVIView::OnDraw;
    bool OnCommand(uint32_t id) override
    {
        commands.push_back(id);
        return true;
    }
    void PostNcDestroy() override {}
    std::vector<uint32_t> commands;
};

SIZE ClientSize(HWND window)
{
    RECT r;
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

LPARAM At(const CVIView& view, CPoint panel)
{
    const CPoint device = view.Zoom().ToDevice(panel);
    return MAKELPARAM(device.x, device.y);
}

// A click as the window's message queue delivers it: the release is already
// waiting when the press arrives, as it is after a quick click.
void Click(TestWindow& window, CPoint panel)
{
    PostMessageW(window.GetSafeHwnd(), WM_LBUTTONUP, 0, At(window, panel));
    SendMessageW(window.GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, At(window, panel));
    Pump();
}

class PanelWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { StartGdiPlus(); }

    PanelWindow()
    {
        SetPanelResources(&resources);
        CVISkinManager::GetSkin().Reset();
    }
    ~PanelWindow() override
    {
        window.DestroyView();
        SetPanelResources(nullptr);
        SetDemonstrationMode(false);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Brennick\\Common\\Virtual Instruments", L"Demo");
    }

    bool Open(std::vector<uint8_t> layout)
    {
        resources.numbered[{kLayoutResourceType, kLayoutId}] = std::move(layout);
        return window.Create(kLayoutId, WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
    }

    FakePanelResources resources;
    TestWindow window;
};

TEST_F(PanelWindow, ZoomLevelsSizeTheClientAreaAndToggleBack)
{
    ASSERT_TRUE(Open(LayoutOf(239, 149, {})));
    const CZoomSettings& levels = CVIView::ZoomLevels();
    const SIZE first = ClientSize(window.GetSafeHwnd());
    EXPECT_EQ(first.cx, levels.first.ToDevice(239));
    EXPECT_EQ(first.cy, levels.first.ToDevice(149));
    wchar_t title[32] = {};
    GetWindowTextW(window.GetSafeHwnd(), title, 32);
    EXPECT_STREQ(title, L"TEST PANEL");

    window.ToggleZoom();
    const SIZE second = ClientSize(window.GetSafeHwnd());
    EXPECT_TRUE(window.IsSecondZoom());
    if (levels.second == CZoomRatio{200, 100}) {
        EXPECT_EQ(second.cx, 478);
        EXPECT_EQ(second.cy, 298);
    }
    EXPECT_EQ(second.cx, levels.second.ToDevice(239));

    window.ToggleZoom();
    EXPECT_EQ(window.Zoom(), levels.first);
    EXPECT_EQ(ClientSize(window.GetSafeHwnd()).cx, first.cx);

    // The caption's double-click is the user's way to the same toggle.
    SendMessageW(window.GetSafeHwnd(), WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    EXPECT_TRUE(window.IsSecondZoom());
}

TEST_F(PanelWindow, ClickingARadioDeselectsItsRunUpToOtherControls)
{
    auto* third = Make<CHotRadio>({90, 10, 110, 30}, 3);
    auto* second = Make<CHotRadio>({50, 10, 70, 30}, 2);
    second->SetChecked(true);
    auto* beyond = Make<CHotRadio>({170, 10, 190, 30}, 5);
    beyond->SetChecked(true);
    ASSERT_TRUE(Open(LayoutOf(200, 50, {Make<CHotRadio>({10, 10, 30, 30}, 1), second, third,
                                         Make<CHotCheck>({130, 10, 150, 30}, 4), beyond})));
    Click(window, {20, 20});
    auto checked = [&](uint32_t id) { return window.Find<CHotRadio>(id)->IsChecked(); };
    EXPECT_TRUE(checked(1));
    EXPECT_FALSE(checked(2));
    EXPECT_FALSE(checked(3));
    EXPECT_TRUE(checked(5)) << "the check box ends the run";
    EXPECT_EQ(window.commands, std::vector<uint32_t>{1});

    // Clicking the selected one again posts nothing.
    Click(window, {20, 20});
    EXPECT_EQ(window.commands, std::vector<uint32_t>{1});
}

// An instrument that keeps pointers to its controls, as most do.
class InstrumentWindow : public CVIWindow {
public:
    bool OnLayoutLoaded() override
    {
        seg7 = Find<CHotSeg7>(7);
        return CVIWindow::OnLayoutLoaded();
    }
    void OnUpdateUI(uint32_t) override
    {
        ++updates;
        seg7->SetText(u"1");
    }
    bool OnCommand(uint32_t) override
    {
        ++commands;
        seg7->SetText(u"2");
        return true;
    }
    void PostNcDestroy() override {}
    // While the window waits for its release, the polling thread's update
    // and a command queued earlier still arrive.
    void OnDestroy() override
    {
        CVIWindow::OnDestroy();
        PostMessageW(m_hWnd, WM_COMMAND, 7, 0);
        SendMessageW(m_hWnd, RegisterWindowMessageW(L"WM_VI_ONUPDATEUI"), 0, 0);
        MSG msg;
        while (PeekMessageW(&msg, m_hWnd, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    CHotSeg7* seg7 = nullptr;
    int updates = 0;
    int commands = 0;
};

TEST_F(PanelWindow, AClosingInstrumentTakesNoUpdatesOrCommandsOnceItsControlsAreGone)
{
    resources.numbered[{kLayoutResourceType, kLayoutId}] = LayoutOf(100, 60, {Make<CHotSeg7>({10, 10, 50, 40}, 7)});
    InstrumentWindow instrument;
    instrument.m_autoDelete = false;
    ASSERT_TRUE(instrument.Create(kLayoutId, WS_CAPTION | WS_SYSMENU));
    SendMessageW(instrument.GetSafeHwnd(), RegisterWindowMessageW(L"WM_VI_ONUPDATEUI"), 0, 0);
    EXPECT_EQ(instrument.updates, 1);
    DestroyWindow(instrument.GetSafeHwnd());
    EXPECT_EQ(instrument.updates, 1);
    EXPECT_EQ(instrument.commands, 0);
}

TEST_F(PanelWindow, ButtonsSendTheirIdAndDisabledOnesLetTheClickThrough)
{
    auto* disabled = Make<CHotButton>({10, 10, 60, 40}, 8, kHotVisible | kHotDisabled);
    ASSERT_TRUE(Open(LayoutOf(100, 50, {Make<CHotButton>({0, 0, 100, 50}, 7), disabled})));
    for (size_t i = 0; i < window.Hotspots().size(); ++i)
        if (auto* b = dynamic_cast<CHotButton*>(window.Hotspots()[i]))
            b->m_autoRepeat = 0;
    Click(window, {20, 20});
    EXPECT_EQ(window.commands, std::vector<uint32_t>{7});
}

TEST_F(PanelWindow, HoverMovesFromControlToControlAndNeverToStaticOnes)
{
    ASSERT_TRUE(Open(LayoutOf(300, 50, {Make<CHotButton>({0, 0, 100, 50}, 1), Make<CHotButton>({100, 0, 200, 50}, 2),
                                         Make<CHotLabel>({200, 0, 300, 50}, 3, kHotVisible | kHotStatic)})));
    HWND hwnd = window.GetSafeHwnd();
    auto hovered = [&](uint32_t id) { return window.Find<CHotButton>(id)->IsHovered(); };
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, At(window, {50, 20}));
    EXPECT_TRUE(hovered(1));
    ValidateRect(hwnd, nullptr);
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, At(window, {150, 20}));
    EXPECT_FALSE(hovered(1));
    EXPECT_TRUE(hovered(2));
    RECT dirty;
    EXPECT_TRUE(GetUpdateRect(hwnd, &dirty, FALSE)) << "both buttons are repainted";
    EXPECT_LE(dirty.left, window.Zoom().ToDevice(0) + 1);
    EXPECT_GE(dirty.right, window.Zoom().ToDevice(200) - 1);
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, At(window, {250, 20}));
    EXPECT_FALSE(hovered(2));
    EXPECT_FALSE(window.Find<CHotLabel>(3)->IsHovered());
}

TEST_F(PanelWindow, DemonstrationOverlayOnlyWithoutHardwareAndWithDemoSet)
{
    const wchar_t key[] = L"Software\\Brennick\\Common\\Virtual Instruments";
    DWORD opacity = 0x80;
    RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Demo", REG_DWORD, &opacity, sizeof opacity);
    CVISkinManager::GetSkin().m_backgroundColour = 0x00336699;  // COLORREF
    SetDemonstrationMode(true);
    ASSERT_TRUE(Open(LayoutOf(100, 50, {Make<CHotLabel>({0, 0, 50, 20}, 1, kHotVisible | kHotStatic)})));
    const CHotspot* top = window.Hotspots()[window.Hotspots().size() - 1];
    ASSERT_EQ(top->m_typeCode, kHotRectangle);
    EXPECT_EQ(static_cast<const CHotRectangle*>(top)->Colour(), 0x80996633u);
    EXPECT_EQ(top->m_rect.right, 100);
    window.DestroyView();

    SetDemonstrationMode(false);
    TestWindow connected;
    resources.numbered[{kLayoutResourceType, kLayoutId}] = LayoutOf(100, 50, {});
    ASSERT_TRUE(connected.Create(kLayoutId, WS_CAPTION));
    EXPECT_EQ(connected.Hotspots().size(), 0u);
    connected.DestroyView();
}

TEST_F(PanelWindow, RepaintCopiesThePanelAsDrawnAndDrawsWhatChanged)
{
    // A panel of one seven-segment digit, lit green on black.
    CVISkinManager& skin = CVISkinManager::GetSkin();
    skin.m_segmentColours = {0xFF000000u, 0xFF202020u, 0xFF00FF00u};
    auto* display = Make<CHotSeg7>({0, 0, 42, 55}, 13, kHotVisible | kHotStatic);
    display->SetDigitCount(1);
    ASSERT_TRUE(Open(LayoutOf(42, 55, {display})));
    CHotSeg7* shown = window.Find<CHotSeg7>(13);
    // The pixel at a panel point, drawn by the window's paint (or its whole-panel render).
    auto paint = [&](CPoint at, bool render = false) {
        const SIZE size = ClientSize(window.GetSafeHwnd());
        const RECT all{0, 0, size.cx, size.cy};
        const auto pixels = Drawn(size, [&](HDC dc) { render ? window.RenderPanel(dc, all) : window.OnDraw(dc); });
        const CPoint device = window.Zoom().ToDevice(at);
        return pixels[size_t(device.y) * size_t(size.cx) + size_t(device.x)];
    };
    const CPoint g{20, 27};  // the middle of segment g (cell x 9..30, y 24..30)
    shown->SetText(u"8");
    window.InvalidatePanel(nullptr);
    EXPECT_EQ(paint(g), RGB(0, 255, 0));

    // A change the window was told of is drawn; one it was not told of is
    // not, as the repaint copies the panel as it was drawn.
    shown->SetText(u"1");
    window.InvalidateHotspot(shown);
    EXPECT_EQ(paint(g), RGB(0x20, 0x20, 0x20));
    shown->SetText(u"8");
    EXPECT_EQ(paint(g), RGB(0x20, 0x20, 0x20));

    // Another skin makes every picture drawn in the old one out of date.
    skin.Reset();
    skin.m_segmentColours = {0xFF000000u, 0xFF202020u, 0xFF0000FFu};
    EXPECT_EQ(paint(g), RGB(0, 0, 255));

    // At the second zoom, lit segments in the skin's colour, the rest in its background.
    window.ToggleZoom();
    EXPECT_EQ(paint(g, true), RGB(0, 0, 255));
    EXPECT_EQ(paint({1, 1}, true), RGB(0, 0, 0));
}

// A dialog drawn as a panel; the test's timer presses keys in it.
class TestDialog : public CVIDialog {
public:
    using CVIDialog::CVIDialog;
    bool UpdateData(bool fromPanel) override
    {
        if (fromPanel)
            ++accepts;
        return !fromPanel || accepts >= acceptAfter;
    }
    int accepts = 0;
    int acceptAfter = 1;
};

std::vector<WPARAM> g_keys;

void CALLBACK PressNextKey(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND dialog = FindWindowW(nullptr, L"TEST PANEL");
    if (!dialog || g_keys.empty()) {
        KillTimer(nullptr, id);
        return;
    }
    PostMessageW(dialog, WM_CHAR, g_keys.front(), 0);
    g_keys.erase(g_keys.begin());
}

// The dialog's DoModal result while the timer presses keys in it.
int RunWithKeys(TestDialog& dialog, std::vector<WPARAM> keys)
{
    g_keys = std::move(keys);
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, PressNextKey);
    const int result = dialog.DoModal();
    KillTimer(nullptr, timer);
    return result;
}

TEST_F(PanelWindow, DialogEndsWithEnterOnlyWhenItsDataAreAcceptedAndWithEscape)
{
    resources.numbered[{kLayoutResourceType, kLayoutId}] = LayoutOf(120, 60, {});
    TestDialog dialog(kLayoutId, nullptr);
    dialog.acceptAfter = 2;  // the first Enter finds the data not acceptable
    EXPECT_EQ(RunWithKeys(dialog, {VK_RETURN, VK_RETURN}), 1);
    EXPECT_EQ(dialog.accepts, 2);

    TestDialog cancelled(kLayoutId, nullptr);
    EXPECT_EQ(RunWithKeys(cancelled, {VK_ESCAPE}), 2);
    EXPECT_EQ(cancelled.accepts, 0);
}

}  // namespace
