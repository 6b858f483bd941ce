// Instrument frames under Windows (Wine here): where the bars, the control
// pane and the chart view go, the zoom of a caption double-click, closing,
// the smallest size and the touch settings' change.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "../PanelFakes.h"
#include "WindowTestUtil.h"
#include "Capture.h"
#include "framework/win32/Win32Services.h"
#include "viframework/SkinManager.h"
#include "viframework/TouchSettings.h"
#include "viframework/controls/Label.h"
#include "viframework/win32/GdiPlusGraphics.h"
#include "viframework/win32/VIFrame.h"

namespace {

constexpr uint32_t kLayoutId = 10910;
constexpr uint32_t kToolBarId = 7000;
constexpr UINT kMenuCommand = 100;

std::vector<uint8_t> PaneLayout(int32_t width, int32_t height)
{
    auto* label = new CHotLabel;
    label->m_rect = {8, 8, 100, 24};
    label->m_id = 1;
    label->SetText(u"SWEEP");
    return LayoutOf(width, height, u"ANALYZER", {label});
}

class RecordingPane : public CVIView {
public:
    void OnUpdateUI(uint32_t code) override { updates.push_back(code); }
    std::vector<uint32_t> updates;
};

class TestFrame : public CVIPaneFrame {
public:
    TestFrame() { m_autoDelete = false; }
    bool OnCommand(uint32_t id) override
    {
        commands.push_back(id);
        return true;
    }
    CFile* GetStateFile() override { return &state; }
    void SerializeInstrument(CArchive& ar) override
    {
        if (ar.IsStoring())
            ar << setting;
        else
            ar >> setting;
    }
    RecordingPane* Recording() const { return static_cast<RecordingPane*>(Pane()); }

    HWND chart = nullptr;
    std::vector<uint32_t> commands;
    CMemFile state;
    uint32_t setting = 0;

protected:
    std::unique_ptr<CVIView> CreatePane() override { return std::make_unique<RecordingPane>(); }
    bool OnCreateClient(uint32_t layoutId) override
    {
        if (!CVIPaneFrame::OnCreateClient(layoutId))
            return false;
        chart = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, m_hWnd,
                                reinterpret_cast<HMENU>(UINT_PTR(kFrameChartViewId)), nullptr, nullptr);
        return chart != nullptr;
    }
};

// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT WindowRectOf(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    return r;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

void SetControlKey(bool down)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

class PaneFrame : public ::testing::Test {
protected:
    static void SetUpTestSuite() { StartGdiPlus(); }

    PaneFrame()
    {
        SetPanelResources(&resources);
        CVISkinManager::GetSkin().Reset();
        CVISkinManager::GetSkin().m_backgroundColour = 0x00D8D8D8;
        // Version 1, images of 16 x 16, three items: 201, a gap (it takes no image), 202.
        resources.numbered[{kToolBarResourceType, kToolBarId}] = {1, 0, 16, 0, 16, 0, 3, 0, 201, 0, 0, 0, 202, 0};
        auto strip = std::make_shared<CPanelImage>(32, 16);
        std::fill(strip->pixels.begin(), strip->pixels.end(), 0xFF3366CCu);
        resources.bitmaps[kToolBarId] = strip;
        resources.texts[201] = u"Starts the measurement\nRun";
    }
    ~PaneFrame() override
    {
        SetControlKey(false);
        frame.DestroyView();
        SetPanelResources(nullptr);
    }

    bool Open(int32_t width, int32_t height)
    {
        resources.numbered[{kLayoutResourceType, kLayoutId}] = PaneLayout(width, height);
        HMENU menu = CreateMenu(), file = CreatePopupMenu();
        AppendMenuW(file, MF_STRING, kMenuCommand, L"&Export");
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
        const RECT rect{40, 40, 640, 440};
        if (!frame.CreateWithMenu(rect, nullptr, menu, kToolBarId, kLayoutId))
            return false;
        ShowWindow(frame.GetSafeHwnd(), SW_SHOWNORMAL);
        Pump();
        return true;
    }

    FakePanelResources resources;
    TestFrame frame;
};

TEST_F(PaneFrame, BarsAtTheEdgesPaneAtItsSideChartViewTakesTheRest)
{
    ASSERT_TRUE(Open(200, 160));
    HWND window = frame.GetSafeHwnd();
    RECT client;
    GetClientRect(window, &client);
    ASSERT_NE(GetMenu(window), nullptr);
    ASSERT_NE(frame.ToolBar(), nullptr);
    ASSERT_NE(frame.StatusBar(), nullptr);
    EXPECT_EQ(SendMessageW(frame.ToolBar(), TB_BUTTONCOUNT, 0, 0), 3);

    const RECT tools = ChildRect(frame.ToolBar()), status = ChildRect(frame.StatusBar());
    EXPECT_EQ(tools.top, 0);
    EXPECT_EQ(tools.right - tools.left, client.right);
    EXPECT_EQ(status.bottom, client.bottom);
    EXPECT_GT(tools.bottom, 0);

    HWND paneWindow = frame.Pane()->GetSafeHwnd();
    EXPECT_EQ(GetDlgCtrlID(paneWindow), int(kFrameControlPaneId));
    EXPECT_TRUE(GetWindowLongW(paneWindow, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    RECT paneClient;
    GetClientRect(paneWindow, &paneClient);
    EXPECT_EQ(paneClient.right, frame.Pane()->Zoom().ToDevice(200));
    const RECT pane = ChildRect(paneWindow), chart = ChildRect(frame.chart);
    EXPECT_EQ(pane.left, 0);
    EXPECT_EQ(pane.top, tools.bottom);
    EXPECT_EQ(pane.bottom, status.top);
    EXPECT_EQ(chart.left, pane.right);
    EXPECT_EQ(chart.right, client.right);
    EXPECT_EQ(chart.top, tools.bottom);
    EXPECT_EQ(chart.bottom, status.top);
    // The caption comes from the pane's layout when the frame has none.
    wchar_t title[32] = {};
    GetWindowTextW(window, title, 32);
    EXPECT_STREQ(title, L"ANALYZER");

    // For the eye: VEXA_PICTURES names a folder for a picture of the frame.
    if (const char* folder = std::getenv("VEXA_PICTURES")) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
        Pump();
        const std::string path = std::string(folder) + "/pane-frame.png";
        EXPECT_TRUE(CaptureWindowToPng(window, std::wstring(path.begin(), path.end())));
    }

    frame.m_paneOnRight = true;
    frame.RecalcLayout();
    const RECT rightPane = ChildRect(paneWindow), leftChart = ChildRect(frame.chart);
    EXPECT_EQ(rightPane.right, client.right);
    EXPECT_EQ(rightPane.right - rightPane.left, pane.right - pane.left);
    EXPECT_EQ(leftChart.left, 0);
    EXPECT_EQ(leftChart.right, rightPane.left);

    // Hidden, the pane leaves its side to the chart view.
    ShowWindow(paneWindow, SW_HIDE);
    frame.RecalcLayout();
    EXPECT_EQ(ChildRect(frame.chart).right - ChildRect(frame.chart).left, client.right);
}

TEST_F(PaneFrame, ToolBarAndMenuCommandsReachTheFrame)
{
    ASSERT_TRUE(Open(200, 160));
    RECT button;
    ASSERT_TRUE(SendMessageW(frame.ToolBar(), TB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&button)));
    const LPARAM at = MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    SendMessageW(frame.ToolBar(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(frame.ToolBar(), WM_LBUTTONUP, 0, at);
    Pump();
    SendMessageW(frame.GetSafeHwnd(), WM_COMMAND, kMenuCommand, 0);
    EXPECT_EQ(frame.commands, (std::vector<uint32_t>{202, kMenuCommand}));

    // The update message goes to the pane.
    SendMessageW(frame.GetSafeHwnd(), RegisterWindowMessageW(L"WM_VI_ONUPDATEUI"), 80, 0);
    EXPECT_EQ(frame.Recording()->updates, (std::vector<uint32_t>{80}));
}

TEST_F(PaneFrame, CaptionDoubleClickGrowsTheFrameByThePanesZoomAndRestoresIt)
{
    ASSERT_TRUE(Open(200, 160));
    HWND window = frame.GetSafeHwnd();
    const RECT normal = WindowRectOf(window);
    const RECT paneBefore = WindowRectOf(frame.Pane()->GetSafeHwnd());
    const RECT chartBefore = ChildRect(frame.chart);

    SendMessageW(window, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    ASSERT_TRUE(frame.Pane()->IsSecondZoom());
    const RECT zoomed = WindowRectOf(window);
    const RECT paneAfter = WindowRectOf(frame.Pane()->GetSafeHwnd());
    RECT paneClient;
    GetClientRect(frame.Pane()->GetSafeHwnd(), &paneClient);
    EXPECT_EQ(paneClient.right, frame.Pane()->Zoom().ToDevice(200));
    const int grownX = (paneAfter.right - paneAfter.left) - (paneBefore.right - paneBefore.left);
    EXPECT_GT(grownX, 0);
    EXPECT_EQ(zoomed.right - zoomed.left, normal.right - normal.left + grownX);
    // The chart view keeps its width: the frame grew by what the pane grew.
    const RECT chartAfter = ChildRect(frame.chart);
    EXPECT_EQ(chartAfter.right - chartAfter.left, chartBefore.right - chartBefore.left);

    SendMessageW(window, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    EXPECT_FALSE(frame.Pane()->IsSecondZoom());
    EXPECT_TRUE(SameRect(WindowRectOf(window), normal));
    EXPECT_TRUE(SameRect(ChildRect(frame.chart), chartBefore));
}

TEST_F(PaneFrame, ATooLargeZoomIsRefusedUnlessControlIsHeldThenTakesTheWorkArea)
{
    ASSERT_TRUE(Open(700, 400));
    HWND window = frame.GetSafeHwnd();
    const RECT normal = WindowRectOf(window);

    SendMessageW(window, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    EXPECT_FALSE(frame.Pane()->IsSecondZoom());
    EXPECT_TRUE(SameRect(WindowRectOf(window), normal));

    SetControlKey(true);
    SendMessageW(window, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    SetControlKey(false);
    EXPECT_TRUE(frame.Pane()->IsSecondZoom());
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_TRUE(SameRect(WindowRectOf(window), work));

    SendMessageW(window, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    EXPECT_FALSE(frame.Pane()->IsSecondZoom());
    EXPECT_TRUE(SameRect(WindowRectOf(window), normal));
}

TEST_F(PaneFrame, SmallestSizeKeepsThePaneWhole)
{
    ASSERT_TRUE(Open(200, 160));
    HWND window = frame.GetSafeHwnd();
    for (bool zoomed : {false, true}) {
        if (zoomed) {
            ASSERT_TRUE(frame.ToggleFrameZoom(false));
        }
        // The window system holds the frame at its smallest size.
        SetWindowPos(window, nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER);
        MINMAXINFO info{};
        SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        const RECT frameRect = WindowRectOf(window);
        EXPECT_EQ(frameRect.right - frameRect.left, info.ptMinTrackSize.x);
        EXPECT_EQ(frameRect.bottom - frameRect.top, info.ptMinTrackSize.y);
        RECT paneClient;
        GetClientRect(frame.Pane()->GetSafeHwnd(), &paneClient);
        EXPECT_EQ(paneClient.right, frame.Pane()->Zoom().ToDevice(200));
        EXPECT_EQ(paneClient.bottom, frame.Pane()->Zoom().ToDevice(160));
    }
}

TEST_F(PaneFrame, CloseFromTheCaptionHidesAndClosingSavesTheStateAndDetaches)
{
    ASSERT_TRUE(Open(200, 160));
    HWND window = frame.GetSafeHwnd();
    EXPECT_EQ(frame.State(), kSinkActive);
    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(IsWindowVisible(frame.Pane()->GetSafeHwnd()));

    frame.setting = 42;
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(frame.State(), kSinkDetached);
    frame.setting = 0;
    frame.RestoreState();
    EXPECT_EQ(frame.setting, 42u);
}

TEST_F(PaneFrame, SlateModeChangeReadsTheTouchSettingsAgain)
{
    ASSERT_TRUE(Open(200, 160));
    const wchar_t* key = L"Software\\Brennick\\Common\\Touch";
    HKEY touch;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &touch, nullptr), ERROR_SUCCESS);
    const DWORD on = 1;
    RegSetValueExW(touch, L"Enable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on);
    RegCloseKey(touch);

    SendMessageW(frame.GetSafeHwnd(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"intl"));
    EXPECT_FALSE(TouchSettings().touchMode);
    SendMessageW(frame.GetSafeHwnd(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ConvertibleSlateMode"));
    EXPECT_TRUE(TouchSettings().touchMode);

    RegDeleteKeyW(HKEY_CURRENT_USER, key);
    SendMessageW(frame.GetSafeHwnd(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ConvertibleSlateMode"));
    EXPECT_FALSE(TouchSettings().touchMode);
}

}  // namespace
