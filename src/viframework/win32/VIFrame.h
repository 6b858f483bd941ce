// CVIFrame: an instrument that needs more than a front panel: a sizable
// frame window with a menu, a tool bar and a status bar, registered with the
// interface object like an instrument window. CVIPaneFrame adds a control
// pane (a front panel from a layout) at one side and a chart view beside it,
// and zooms the whole frame with the pane.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "framework/File.h"
#include "framework/win32/View.h"
#include "viframework/win32/VIView.h"
#include "viframework/win32/VIWindow.h"

class CInterfaceVI;

// Child ids of the frame's windows.
constexpr UINT kFrameToolBarId = 0xE800;
constexpr UINT kFrameStatusBarId = 0xE801;
constexpr UINT kFrameChartViewId = 0xE900;  // the first pane: the instrument's chart view
constexpr UINT kFrameControlPaneId = 3;
// The custom resource type of tool bar descriptions (as bitmaps, by the same id).
constexpr uint32_t kToolBarResourceType = 241;

class CVIFrame : public CView, public CWindowSink {
public:
    CVIFrame();
    ~CVIFrame() override;

    // Creates the frame at rect (screen coordinates): the menu and the tool bar
    // from their resources (0: none), the status bar, then the client windows
    // (OnCreateClient). False when the window could not be made.
    bool Create(const RECT& rect, HWND parent, uint32_t menuId, uint32_t toolBarId, uint32_t layoutId = 0);
    // The same with a menu the frame takes over (null: none).
    bool CreateWithMenu(const RECT& rect, HWND parent, HMENU menu, uint32_t toolBarId, uint32_t layoutId = 0);

    void SetOwner(CInterfaceVI* owner) { m_owner = owner; }
    virtual void RecalcLayout();
    virtual void RestoreState() { LoadStateFile(); }
    // A command from the menu or the tool bar; true when handled.
    virtual bool OnCommand(uint32_t id) { return false; }
    // In the window's thread, on the update message.
    virtual void OnUpdateUI(uint32_t eventCode) {}
    // On the polling thread: whether an event needs an update message.
    virtual bool CheckUpdate(uintptr_t value) { return true; }
    virtual void OnInterfaceClosing() {}

    HWND ToolBar() const { return m_toolBar; }
    HWND StatusBar() const { return m_statusBar; }
    void SetStatusText(const CString& text);
    // The client area left for the panes: without the tool and status bars.
    RECT PaneArea() const;

    bool OnEvent(uint32_t code, uintptr_t value) override;

    bool m_sizable = true;
    // The frame deletes itself after its last message.
    bool m_autoDelete = true;

protected:
    bool PreCreateWindow(CREATESTRUCTW& cs) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;
    // After the bars: the panes (the pane frame's control pane; the chart view).
    virtual bool OnCreateClient(uint32_t layoutId) { return true; }
    virtual void OnShow(bool show) {}
    // WM_SETTINGCHANGE with its section name.
    virtual void OnSettingChange(LPARAM section);
    virtual void GetMinTrackSize(MINMAXINFO* info) {}
    HWND SinkWindow() const override { return m_hWnd; }

    HWND m_toolBar = nullptr;
    HWND m_statusBar = nullptr;

private:
    bool CreateToolBar(uint32_t toolBarId);
    LRESULT OnNotify(NMHDR* header);

    HIMAGELIST m_toolImages = nullptr;
};

class CVIPaneFrame : public CVIFrame {
public:
    CVIPaneFrame();
    ~CVIPaneFrame() override;

    CVIView* Pane() const { return m_pane.get(); }
    void RecalcLayout() override;
    bool CheckUpdate(uintptr_t value) override;
    // The zoom toggle of a caption double-click: the frame grows or shrinks
    // with its pane. Without room on the desktop only when allowWorkArea
    // (the Control key) is given, and then the frame takes the work area.
    // False when refused.
    bool ToggleFrameZoom(bool allowWorkArea);
    // A pinch or spread beyond 100 toggles the zoom. Always handled.
    bool OnZoomGesture(int32_t distance);

    bool m_paneOnRight = false;
    // The pane's smallest size [panel units]; the pane's layout size by default.
    CSize m_paneMinSize;

protected:
    // The control pane's view; instruments give their own kind.
    virtual std::unique_ptr<CVIView> CreatePane() { return std::make_unique<CVIView>(); }
    bool OnCreateClient(uint32_t layoutId) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnShow(bool show) override;
    void OnSettingChange(LPARAM section) override;
    void GetMinTrackSize(MINMAXINFO* info) override;

    std::unique_ptr<CVIView> m_pane;
    RECT m_normalRect{};
    RECT m_zoomRect{};
};
