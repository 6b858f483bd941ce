// CHotspot: one drawn front-panel control, and what it talks to: the view's
// notification sink, the window it tracks the mouse with while pressed, and
// the list that owns every control of a panel.
//
// Controls live in panel units. They draw through IPanelGraphics with the
// skin's help, answer hit tests, and report to their view; they never touch
// the window system directly, so all of this builds and tests without one.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "framework/Archive.h"
#include "framework/Types.h"
#include "framework/Geometry.h"
#include "viframework/controls/PanelGraphics.h"

class CHotspot;
class CVISkinManager;

// Type codes of the layout records.
enum HotspotType : uint32_t {
    kHotEndOfList = 32808,
    kHotLabel = 32809,
    kHotBitmap = 32810,
    kHotStatus = 32811,
    kHotText = 32812,
    kHotPowerButton = 32813,
    kHotSeg7 = 32814,
    kHotUnused = 32815,
    kHotButton = 32816,
    kHotDigSeg7 = 32817,
    kHotRadio = 32818,
    kHotHyperlink = 32819,
    kHotCheck = 32820,
    kHotToolButton = 32821,
    kHotFrame = 32822,
    kHotGroupBox = 32823,
    kHotLCD = 32824,
    kHotBitmapKnob = 32825,
    kHotValueDisplay = 32826,
    kHotMenu = 32827,
    kHotValue = 32828,
    kHotKnob = 32829,
    kHotLcdMatrix = 32830,
    kHotAnalogMeter = 32831,
    kHotTabControl = 32832,
    kHotUpDownButton = 32833,
    kHotSlidingScale = 32834,
    kHotSlider = 32835,
    kHotProgress = 32836,
    kHotMetafile = 32837,
    kHotScrollBar = 32838,
    kHotButtonGroup = 32839,
    kHotRectangle = 32850,
};

// Flag bits.
enum HotspotFlag : uint32_t {
    kHotVisible = 0x00000001,
    kHotStatic = 0x00000002,         // never hovered, never takes the cursor
    kHotDefaultCursor = 0x00000004,  // the view does not ask the control for a cursor
    kHotDisabled = 0x00000008,       // skipped by the hit test, not pressed
    kHotGroupStart = 0x00000010,     // ends a group that began at an earlier control
    kHotPowerAppearance = 0x00008000,  // power button: an appearance block follows in the layout
    kHotButtonKind = 0x00010000,     // set by the constructors of buttons and power buttons
    kHotPowerStyle2 = 0x00020000,
    kHotPowerStyle3 = 0x00100000,
    kHotTrackMovement = 0x80000000,  // the view forwards pointer movement over the pressed control
};

constexpr uint32_t kNoHotspotId = 0xFFFFFFFFu;
// Panel coordinates beyond this (either sign) only come from damaged layouts.
constexpr int32_t kMaxPanelCoordinate = 0x8000;

// How controls reach their view. Every slot takes the control; the view's
// base reaction: 0 repaints it, 1 to 3 send the window WM_COMMAND with the
// control's id, 4 to 10 are hooks for instruments.
class IHotspotNotifySink {
public:
    virtual ~IHotspotNotifySink() = default;
    virtual void OnHotspotInvalidate(CHotspot& hotspot) = 0;            // 0
    virtual void OnHotspotToggled(CHotspot& hotspot) = 0;               // 1: check boxes, hyperlinks
    virtual void OnHotspotCommand(CHotspot& hotspot) = 0;               // 2: push buttons
    virtual void OnHotspotPower(CHotspot& hotspot) = 0;                 // 3: power button
    virtual void OnSliderBegin(CHotspot&) {}                            // 4
    virtual void OnSliderChanging(CHotspot&) {}                         // 5
    virtual void OnSliderEnd(CHotspot&) {}                              // 6
    virtual void OnKnobBegin(CHotspot&) {}                              // 7
    virtual void OnKnobChanging(CHotspot&) {}                           // 8
    virtual void OnKnobEnd(CHotspot&) {}                                // 9
    virtual void OnScroll(CHotspot&, int32_t part) {}                   // 10: the scroll bar part pressed
};

// Pointer events while a control tracks a press.
struct PointerEvent {
    enum class Kind {
        Move,     // the pointer moved to `point` (panel units)
        Release,  // the left button came up at `point`
        Quit,     // the application is quitting: stop tracking at once
        Timeout,  // nothing happened within the wait
    };
    Kind kind = Kind::Timeout;
    CPoint point;
};

// The window a pressed control works with: mouse capture, its own wait for
// pointer events (other messages are handled meanwhile), commands to the
// window, and the few services a control needs from the window system.
class IHotspotHost {
public:
    virtual ~IHotspotHost() = default;
    virtual void CaptureMouse() = 0;
    virtual void ReleaseMouse() = 0;
    // The next pointer event, waiting at most timeoutMs (kWaitForever: no limit).
    virtual PointerEvent NextPointerEvent(uint32_t timeoutMs) = 0;
    // The pointer now, in panel units.
    virtual CPoint PointerPosition() = 0;
    // Milliseconds, wrapping at 32 bits.
    virtual uint32_t TickCount() = 0;
    virtual void PostCommand(uint32_t id) = 0;
    virtual void SendCommand(uint32_t id) = 0;
    // Draws the control at once (not through the next paint).
    virtual void RedrawNow(CHotspot& hotspot) = 0;
    virtual void CopyToClipboard(const CString& text) = 0;
    // Opens a drop-down list below a control: the entries with their column
    // and row, at panel point `at`, at least minWidth panel units wide.
    // Returns the chosen entry's command id, or -1.
    struct ListEntry {
        uint32_t id;
        CString text;
        int32_t column;
        int32_t row;
    };
    virtual int32_t ShowPopupList(const std::vector<ListEntry>& entries, CPoint at, int32_t minWidth) = 0;
    // Opens the spin pad of an up/down control (touch mode) beside it;
    // returns when the pad has closed. The pad's buttons send the control's
    // commands to the window.
    virtual void OpenSpinPad(CHotspot& upDown) = 0;

    static constexpr uint32_t kWaitForever = 0xFFFFFFFFu;
};

// The property-grid exchange of a layout editor; controls here have none.
class IPropertyChangeNotifier {
public:
    virtual ~IPropertyChangeNotifier() = default;
    virtual void OnPropertyChanged(void* property) {}
    virtual void PutProperty(void* property) {}
    virtual void GetProperty(void* property) {}
    virtual void OnPropertiesDone() {}
};

class CHotspot : public IPropertyChangeNotifier {
public:
    CHotspot() = default;
    CHotspot(const CHotspot&) = delete;
    CHotspot& operator=(const CHotspot&) = delete;
    ~CHotspot() override = default;

    virtual void SetHover(bool on, CPoint point) { m_hover = on; }
    // Pointer movement while pressed (track-movement flag); true when the look changed.
    virtual bool OnMouseMove(CPoint point) { return false; }
    // A left-button press on the control; true when it completed a click.
    virtual bool OnPress(IHotspotHost& host) { return false; }
    // The common record part; kinds read their tail after calling this.
    virtual void Serialize(CArchive& ar);
    // "% 5d - %s": the id and the second line of the text resource of the type code.
    virtual CString Describe();
    // Runs after the control's record was read.
    virtual void OnLoaded() {}
    virtual bool HitTest(CPoint point) const;
    virtual void AutoSize();
    virtual void PlaceAt(int32_t x, int32_t y);
    // Puts the control into its rest state; true when that changed it.
    virtual bool Reset() { return false; }
    virtual void Draw(IPanelGraphics& graphics, CVISkinManager& skin) {}
    // Whether the control asks for the hand cursor instead of the default one.
    virtual bool WantsHandCursor() const { return false; }
    // How far the control may draw beyond its rectangle [panel units]; the
    // view repaints that much around it.
    virtual int32_t PaintMargin() const { return 0; }

    // Draws at once: the skin prepares the graphics, then Draw.
    void Redraw(IPanelGraphics& graphics, CVISkinManager& skin);

    bool IsVisible() const { return (m_flags & kHotVisible) != 0; }
    bool IsStatic() const { return (m_flags & kHotStatic) != 0; }
    bool IsDisabled() const { return (m_flags & kHotDisabled) != 0; }
    bool IsHovered() const { return m_hover; }
    void SetFlag(uint32_t bits, bool on) { m_flags = on ? (m_flags | bits) : (m_flags & ~bits); }
    // Asks the view to repaint this control; nothing without a sink.
    void Invalidate();

    CRect m_rect;
    int32_t m_naturalWidth = 0;
    int32_t m_naturalHeight = 0;
    uint32_t m_typeCode = 0;
    uint32_t m_id = 0;
    uint32_t m_flags = kHotVisible;
    bool m_hover = false;
    IHotspotNotifySink* m_notifySink = nullptr;
};

// The controls of a panel in drawing order; owns them.
class CHotspotArray {
public:
    size_t size() const { return m_items.size(); }
    bool empty() const { return m_items.empty(); }
    CHotspot* operator[](size_t index) const { return m_items[index].get(); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

    void Add(std::unique_ptr<CHotspot> hotspot) { m_items.push_back(std::move(hotspot)); }
    void RemoveAll() { m_items.clear(); }
    // Takes the control out and deletes it; false when it is not in the list.
    bool Remove(CHotspot* hotspot);
    int IndexOf(const CHotspot* hotspot) const;

    CHotspot* FindByType(uint32_t typeCode) const;
    CHotspot* Find(uint32_t typeCode, uint32_t id) const;
    // The topmost (last) control that is not disabled and whose own hit test
    // takes the point.
    CHotspot* HitTest(CPoint point) const;

    template <class T>
    T* Find(uint32_t id) const
    {
        return static_cast<T*>(Find(T::kTypeCode, id));
    }

private:
    std::vector<std::unique_ptr<CHotspot>> m_items;
};

// The pressed tracking of push-type controls, once the control has captured
// the mouse: follows the pointer until the left button comes up. onInside
// runs whenever the pointer enters or leaves `area` (tracking starts inside);
// onIdle, when given, runs at the start and after every event, and answers
// how long tracking may wait before it runs again [ms] (for auto-repeat).
// Returns whether the button came up inside; a quit ends tracking as outside.
bool TrackPress(IHotspotHost& host, const CRect& area, const std::function<void(bool inside)>& onInside,
                const std::function<uint32_t()>& onIdle = {});

// The layout of a panel as the loader reads it.
struct CPanelLayout {
    uint32_t leading = 0;                  // not used; 1 in our layouts
    uint32_t resourceRecord[10] = {};      // one mask per function-unit index
    int32_t width = 0;                     // panel units
    int32_t height = 0;
    CString title;
};
