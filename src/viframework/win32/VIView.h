// CVIView: a window with a drawn front panel. It owns the panel's controls,
// loads them from a layout, paints them through a back buffer at the chosen
// zoom, routes the mouse to the control under the pointer and turns control
// notifications into WM_COMMAND.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>

#include "framework/Archive.h"
#include "framework/win32/View.h"
#include "viframework/UpdateGate.h"
#include "viframework/Zoom.h"
#include "viframework/controls/Hotspot.h"
#include "viframework/controls/PanelLayout.h"

class CVISkinManager;
class IPanelGraphics;

class CVIView : public CView, public IHotspotNotifySink, public IHotspotFactory {
public:
    CVIView();
    ~CVIView() override;

    // Creates the window and loads the panel of layout resource layoutId.
    // True when the window exists and the panel is ready.
    bool Create(uint32_t layoutId, DWORD style, HWND parent, UINT childId);
    // Creates the window without a panel; LoadLayout and FinishCreate follow.
    bool CreateEmpty(DWORD style, HWND parent, UINT childId);
    // After the panel is loaded: the layout hook, then the panel-ready hook.
    // False when the view refused; the window is then destroyed.
    virtual bool FinishCreate();

    // Hooks and operations in the order instruments override them.
    virtual bool OnLayoutLoaded();
    virtual bool OnPanelReady();
    virtual void RemoveAllHotspots();
    // In the window's thread, on the update message.
    virtual void OnUpdateUI(uint32_t eventCode) {}
    // Reads a panel (size, title, controls) from a layout archive positioned
    // after the resource record. Archive exceptions propagate.
    virtual void LoadLayout(CArchive& ar);
    virtual bool CheckUpdate(uintptr_t value);
    virtual bool OnUpdateDue(uintptr_t value, uint32_t changedBits, bool periodElapsed) { return false; }
    virtual void OnInterfaceClosing() {}
    virtual bool CanZoom() { return true; }
    virtual void GetMinTrackSize(MINMAXINFO* info);
    virtual void DrawBackground(HDC dc, const RECT& rect);
    virtual void DrawHotspots(IPanelGraphics& graphics, CVISkinManager& skin, const CRect& clip);
    std::unique_ptr<CHotspot> CreateHotspot(int32_t x, int32_t y, uint32_t typeCode) override;
    std::unique_ptr<CHotspot> CreateCustomHotspot(uint32_t param1, uint32_t param2, const CRect& rect) override;
    virtual void SetHotspotCursor(CHotspot* hotspot);
    virtual bool IsHotspotActive(CHotspot* hotspot);
    virtual void OnHotspotPressed() {}
    virtual void ApplyZoom();
    virtual void OnPanelSizeChanged(int32_t dx, int32_t dy) {}
    // A command from a control (its id); true when handled.
    virtual bool OnCommand(uint32_t id) { return false; }

    // Zoom.
    void ToggleZoom();
    // -1 keeps a dimension.
    void SetPanelSize(int32_t width, int32_t height);
    const CZoomRatio& Zoom() const { return m_zoom; }
    bool IsSecondZoom() const { return m_zoom2Active; }
    CSize PanelSize() const { return {m_panelWidth, m_panelHeight}; }
    // The process-wide zoom levels (read by the first view).
    static const CZoomSettings& ZoomLevels();

    // Controls by identity.
    CHotspot* FindHotspot(uint32_t typeCode) const { return m_hotspots.FindByType(typeCode); }
    CHotspot* FindHotspot(uint32_t typeCode, uint32_t id) const { return m_hotspots.Find(typeCode, id); }
    template <class T>
    T* Find(uint32_t id) const { return m_hotspots.Find<T>(id); }
    void RemoveHotspot(CHotspot* hotspot);
    void InvalidateHotspot(CHotspot* hotspot, int32_t inflate = 0, bool erase = false);
    const CHotspotArray& Hotspots() const { return m_hotspots; }

    // Groups: the control with the id and those after it up to the next group start.
    void EnableGroup(uint32_t id, bool enable);
    void OffsetGroup(uint32_t id, int32_t dx, int32_t dy);
    // Radio buttons, check boxes and selectors by id.
    void SelectRadio(uint32_t id);
    void SetCheck(uint32_t id, bool checked);
    void SelectRadioExclusive(CHotspot* radio);
    void SetMenuSelection(uint32_t id, int32_t index);
    // Puts a child window on the inner rectangle of frame control frameId,
    // after growing the frame by dx, dy panel units.
    void PlaceChildInFrame(HWND child, uint32_t frameId, int32_t dx = 0, int32_t dy = 0);

    // Update timing (see CUpdateGate).
    void SetUpdatePeriod(uint32_t ms);
    void SetHoldOff(uint32_t ms);
    bool IsHoldOffActive();
    // Marks instrument data as changed (any thread).
    void MarkChanged(uint32_t bits) { m_gate.MarkChanged(bits); }

    // IHotspotNotifySink
    void OnHotspotInvalidate(CHotspot& hotspot) override;
    void OnHotspotToggled(CHotspot& hotspot) override;
    void OnHotspotCommand(CHotspot& hotspot) override;
    void OnHotspotPower(CHotspot& hotspot) override;

    // Device pixels of the client area for panel units, and back.
    CRect ToDevice(const CRect& panel) const { return m_zoom.ToDevice(panel); }
    CPoint ToPanel(CPoint device) const { return m_zoom.ToPanel(device); }

    // Draws the whole panel into a device context of the client size (for
    // captures and benchmarks as much as for painting).
    void RenderPanel(HDC dc, const RECT& clip);
    // Marks a part of the client area (device pixels; all of it for none)
    // as changed, so the next paint draws it anew instead of copying it from
    // the panel as last drawn; InvalidatePanel also asks for that paint.
    void MarkStale(const RECT* rect);
    void InvalidatePanel(const RECT* rect);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool PreCreateWindow(CREATESTRUCTW& cs) override;
    void OnDraw(HDC dc) override;

    void OnLeftButtonDown(CPoint device);
    void OnMouseMove(CPoint device);
    void OnMouseLeave();
    bool OnSetCursor();
    void OnSize(int32_t width, int32_t height);
    // The control with the id and those after it up to the next group start.
    void ForEachInGroup(uint32_t id, const std::function<void(CHotspot&)>& action);
    // Resizes the overlay of demonstration mode with the window.
    void ResizeOverlay();
    // Puts the demonstration overlay on top of every control.
    void AddDemoOverlay(Argb colour);
    CHotspot* DemoOverlay() const;

    bool m_sizable = false;
    bool m_zoom2Active = false;
    bool m_resizePending = false;
    int32_t m_clientHeight = 0;
    int32_t m_clientWidth = 0;
    int32_t m_panelWidth = 0;
    int32_t m_panelHeight = 0;
    CZoomRatio m_zoom;
    int32_t m_remainderX = 0;
    int32_t m_remainderY = 0;
    CHotspot* m_currentHotspot = nullptr;
    CUpdateGate m_gate;
    CHotspotArray m_hotspots;
    std::recursive_mutex m_dataLock;
    CHotspot* m_demoOverlay = nullptr;
    bool m_trackingLeave = false;

private:
    class CPressHost;
    // The panel as last drawn. A repaint of what did not change is a copy of
    // it: the controls' vector drawing costs a millisecond and more each.
    struct PanelCache;
    std::unique_ptr<PanelCache> m_cache;
};

// The work area of a monitor, or the primary one's when it cannot be asked.
RECT MonitorWorkArea(HMONITOR monitor);

// Reads the touch settings of the process from the registry and the
// system metrics (at start-up and on "ConvertibleSlateMode").
void ReloadTouchSettings();

// Whether the panels show the demonstration overlay ("Demo", current user
// then local machine), and with what opacity (0: none).
uint8_t DemoOverlayOpacity();
