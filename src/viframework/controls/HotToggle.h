// Two-state controls: check boxes, radio buttons and hyperlinks.
#pragma once

#include <cstdint>
#include <functional>

#include "viframework/controls/Hotspot.h"

// What the toggles share: the checked state and the pressed look.
class CHotToggle : public CHotspot {
public:
    void Serialize(CArchive& ar) override;

    void SetChecked(bool checked) { m_checked = checked ? 1 : 0; }
    bool IsChecked() const { return m_checked != 0; }
    bool IsPressed() const { return m_pressed; }

    uint8_t m_checked = 0;

protected:
    CHotToggle();
    // Pressed look while the pointer stays inside; true when released inside.
    // Tracking captures the mouse and releases it at the end.
    bool TrackToggle(IHotspotHost& host);

    bool m_pressed = false;
};

class CHotCheck : public CHotToggle {
public:
    static constexpr uint32_t kTypeCode = kHotCheck;

    CHotCheck();
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;
    // Released inside: flips, repaints and tells the sink (slot 1).
    bool OnPress(IHotspotHost& host) override;
};

class CHotRadio : public CHotToggle {
public:
    static constexpr uint32_t kTypeCode = kHotRadio;

    CHotRadio();
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;
    // Released inside: an unselected button becomes selected, is drawn at once
    // and posts its id to the window; a selected one is only drawn again.
    // Deselecting the neighbours is the view's part (SelectRadioExclusive).
    bool OnPress(IHotspotHost& host) override;
};

class CHotHyperlink : public CHotToggle {
public:
    static constexpr uint32_t kTypeCode = kHotHyperlink;

    CHotHyperlink();
    void Serialize(CArchive& ar) override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;
    // As a check box: released inside flips, repaints and tells the sink (slot 1).
    bool OnPress(IHotspotHost& host) override;
    // As large as its text in its font.
    void AutoSize() override;
    bool WantsHandCursor() const override { return true; }

    FontRecord m_font;
    CString m_text = u"HYPERLINK";
};

// Selects `clicked` and deselects the radio buttons next to it: the walk goes
// forward, then backward, from the clicked button while the neighbours are
// radio buttons, and stops at the first control of another kind on each
// side. Every button whose state changes is passed to redraw, the clicked
// one last.
void SelectRadioExclusive(CHotspotArray& hotspots, CHotRadio& clicked, const std::function<void(CHotspot&)>& redraw);


