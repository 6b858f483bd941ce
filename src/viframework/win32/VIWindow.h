// CVIWindowBase: an instrument-style panel window (icon, optional sizing
// frame, zoom by caption double-click). CVIWindow: an instrument, that is
// an event sink of the interface object that hides instead of closing,
// stores its position and data in documents, and updates its panel from
// the interface's events.
#pragma once

#include "framework/File.h"
#include "viframework/EventSink.h"
#include "viframework/win32/VIView.h"

class CInterfaceVI;

class CVIWindowBase : public CVIView {
public:
    // Creates a top-level panel window from layout resource layoutId.
    bool Create(uint32_t layoutId, DWORD style, HWND parent = nullptr) { return CVIView::Create(layoutId, style, parent, 0); }
    bool FinishCreate() override;
    virtual void RestoreState() {}
    // Zoom gesture: a distance beyond 100 (growing at the first level,
    // shrinking at the second) toggles the zoom. Always handled.
    bool OnZoomGesture(int32_t distance);

protected:
    bool PreCreateWindow(CREATESTRUCTW& cs) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnUserResize(int32_t width, int32_t height);
};

// The event sink of an instrument window or frame: its title, showing and
// hiding, and its state in documents and state files, all through its window.
class CWindowSink : public CVIEventSink {
public:
    // Where the instrument keeps its state between openings; none by default.
    virtual CFile* GetStateFile() { return nullptr; }
    // The instrument's own data in documents and state files.
    virtual void SerializeInstrument(CArchive& ar) {}

    // CVIEventSink
    CString GetTitle() override;
    // Shows (restored, on top, painted) or hides.
    void ShowInstrument(bool show) override;
    void ToggleVisible() override;
    bool IsInstrumentVisible() override;
    // Position and visibility, then the instrument's data.
    void SerializeState(CArchive& ar) override;

protected:
    virtual HWND SinkWindow() const = 0;
    // The closing messages every instrument handles alike: the system close
    // command hides (the instrument stays open in the host), the close
    // message ends the instrument and the default then destroys the window,
    // the destroy message waits for the release. True when the message was
    // consumed.
    bool OnClosingMessage(UINT message, WPARAM wParam);
    // The user closed the window (it hides) or the interface closes it.
    virtual void OnInstrumentClosing() {}
    // Detaches and saves the state file.
    virtual void OnClose();
    virtual void OnDestroy() { AwaitRelease(); }
    // The instrument's data from or to its state file; a damaged file changes nothing.
    void LoadStateFile();
    void SaveStateFile();
    // In the destroy handler: brings the main window up, detaches if needed
    // and waits (10 ms steps, at most kReleaseWaitMs) until the polling
    // thread has released the sink; one never released is taken off the
    // owner's list.
    void AwaitRelease();

    CInterfaceVI* m_owner = nullptr;
};

class CVIWindow : public CVIWindowBase, public CWindowSink {
public:
    CVIWindow();
    ~CVIWindow() override;

    // The interface object the window is registered with: when the destroy
    // wait for the release runs out, the window takes itself off its list.
    void SetOwner(CInterfaceVI* owner) { m_owner = owner; }

    bool OnPanelReady() override;
    void RestoreState() override { LoadStateFile(); }
    // The instrument may refuse to open (after its panel was loaded).
    virtual bool CanOpen() { return true; }

    bool OnEvent(uint32_t code, uintptr_t value) override;

    // The window deletes itself after its last message.
    bool m_autoDelete = true;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;
    void OnClose() override;
    void OnDestroy() override;
    HWND SinkWindow() const override { return m_hWnd; }

private:
    bool m_controlsGone = false;  // from the destroy message on
};

// The longest a destroyed window waits for the interface to release it.
constexpr uint32_t kReleaseWaitMs = 5000;

// Shared by instrument windows and instrument frames.
// The instrument icon (5001) from the resource chain; null without one.
HICON InstrumentIcon();
// Whether a WM_SETTINGCHANGE reports a change of the convertible-slate mode.
bool IsSlateModeChange(LPARAM lParam);
// "WM_VI_ONUPDATEUI" (or the fixed code older hosts send).
bool IsUpdateMessage(UINT message);

