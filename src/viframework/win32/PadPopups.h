// The pop-up pads: small front panels that open over a control to enter a
// value by clicking. CEditPadPopup edits a text in an edit field,
// CNumPadPopup is its numeric keypad for an integer or a floating-point value
// with limits, CSpinButtonPopup gives an up/down control two large buttons
// for touch use. Each runs its own message loop and is gone when its
// operation returns; make them on the stack.
//
// Command ids of the pads' buttons (layouts 10500 and 10501):
//   8          backspace, as if typed          (edit pad)
//   27         cancel, as Escape               (both)
//   32..255    type the character of that code (edit pad; 46 types the
//              user's decimal character on the numeric pad)
//   100, 101   the up/down control's id and id + 1 (spin pad)
//   301        accept (edit pad), close (spin pad)
#pragma once

#include "viframework/NumPadRules.h"
#include "viframework/win32/VIWindow.h"

constexpr uint32_t kNumPadLayout = 10500;
constexpr uint32_t kSpinPadLayout = 10501;
constexpr UINT kPadFieldId = 300;
constexpr uint32_t kPadAccept = 301;
constexpr uint32_t kPadCancel = 27;
constexpr uint32_t kSpinPadUp = 100;
constexpr uint32_t kSpinPadDown = 101;

// What the pads share: creation from a layout over a target rectangle of the
// owner view, at the owner's zoom level, inside the monitor's work area, and
// a loop that runs until the pad ends, a press lands outside it, or the
// application quits.
class CPopupPad : public CVIWindowBase {
protected:
    // Shows the pad from layout layoutId with its top-left corner at the
    // top-left corner of target (panel units of owner) and runs it until it
    // ends. False, without showing anything, when the layout is missing or
    // unreadable.
    bool Run(uint32_t layoutId, const CRect& target, CVIView& owner);
    void End() { m_running = false; }

    // The pad is on the screen and about to run.
    virtual void OnShown() {}
    // A key press for the pad before the focused window sees it; true when taken.
    virtual bool OnPadKey(UINT virtualKey) { return false; }
    // A character typed into the pad; true when it is taken out of the queue.
    virtual bool OnPadChar(wchar_t ch) { return false; }
    // The window that gets the keyboard: the pad's focus, wherever the
    // thread's keyboard focus happens to be.
    virtual HWND KeyTarget() { return m_hWnd; }
    // A press outside the client area, or the pad lost the activation.
    virtual void OnPressOutside() { End(); }
    // Whether a window belongs to the pad (itself, a child, a window it owns).
    bool IsPadWindow(HWND window) const;

    bool OnLayoutLoaded() override;
    bool PreCreateWindow(CREATESTRUCTW& cs) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    CVIView* m_owner = nullptr;
    bool m_running = false;

private:
    void Place(const CRect& target);
    void Loop();
    // True when the message was handled here and must not be dispatched.
    bool PreTranslate(MSG& msg);
};

// Text entry over a control: an edit field (child id 300) where the layout's
// rectangle record lies, buttons that type characters, Enter or command 301
// to accept, Escape to cancel. A text the pad refuses keeps it open with a
// balloon that says why.
class CEditPadPopup : public CPopupPad {
public:
    explicit CEditPadPopup(uint32_t layoutId) : m_layoutId(layoutId) {}
    ~CEditPadPopup() override;

    // Runs the pad over targetRect (panel units of owner); true when a text
    // was accepted. An empty text cancels.
    bool ShowAt(const CRect& targetRect, CVIView& owner);

    // Whether ch may go into the field (typed or from a button).
    virtual bool IsCharAllowed(wchar_t ch) { return true; }
    // Checks Text() when the user accepts; an empty result accepts it, any
    // other is shown as the reason for refusing.
    virtual CString Validate() { return {}; }

    const CString& Text() const { return m_text; }
    void SetText(const CString& text) { m_text = text; }

protected:
    // The character a button types for its command id (0: none).
    virtual wchar_t CharForCommand(uint32_t id) { return PadCharForCommand(id); }

    std::unique_ptr<CHotspot> CreateCustomHotspot(uint32_t param1, uint32_t param2, const CRect& rect) override;
    void ApplyZoom() override;
    bool OnCommand(uint32_t id) override;
    void OnShown() override;
    bool OnPadKey(UINT virtualKey) override;
    bool OnPadChar(wchar_t ch) override;
    HWND KeyTarget() override { return m_field ? m_field : m_hWnd; }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    void Accept();
    void Type(wchar_t ch);
    // Puts the field on its rectangle at the current zoom, with a font to match.
    void FitField();
    void ShowBalloon(const CString& text);
    void HideBalloon();

    uint32_t m_layoutId;
    CString m_text;
    CRect m_fieldRect;  // panel units
    HWND m_field = nullptr;
    HFONT m_font = nullptr;
    DWORD m_fieldAlign = ES_LEFT;
    HWND m_balloon = nullptr;
    bool m_accepted = false;
};

// The numeric keypad (layout 10500) for an integer or a floating-point
// variable with limits. The variable changes only when a valid number within
// the limits was accepted.
class CNumPadPopup : public CEditPadPopup {
public:
    CNumPadPopup(int32_t& target, int32_t minimum, int32_t maximum);
    CNumPadPopup(double& target, double minimum, double maximum);

    bool IsCharAllowed(wchar_t ch) override { return m_rules.IsCharAllowed(char16_t(ch)); }
    CString Validate() override;

protected:
    wchar_t CharForCommand(uint32_t id) override { return m_rules.CharForKey(id); }
    bool OnLayoutLoaded() override;

private:
    int32_t* m_integer = nullptr;
    double* m_floating = nullptr;
    CNumPadRules m_rules;
};

// Two large buttons (layout 10501) that step an up/down control: the up
// button sends the owner view WM_COMMAND with the control's id, the down
// button with id + 1, as the control's own halves do.
class CSpinButtonPopup : public CPopupPad {
public:
    // Runs the pad over the control until Enter, Escape, its close button or
    // a press outside ends it; false when it could not be shown.
    bool ShowFor(const CHotspot& upDown, CVIView& owner);

protected:
    bool OnCommand(uint32_t id) override;
    bool OnPadKey(UINT virtualKey) override;
    void DrawHotspots(IPanelGraphics& graphics, CVISkinManager& skin, const CRect& clip) override;

private:
    void Step(uint32_t commandId);

    uint32_t m_baseId = 0;
};

// The user's decimal character (LOCALE_SDECIMAL; '.' when the system has none).
wchar_t LocaleDecimalCharacter();
