// Push buttons: text buttons with optional auto-repeat, and tool buttons
// that show one frame of an image strip.
#pragma once

#include <cstdint>

#include "viframework/controls/Hotspot.h"

class CHotButton : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotButton;

    CHotButton();

    void Serialize(CArchive& ar) override;
    void OnLoaded() override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;
    // Tracks the press; commands go to the sink (slot 2): at once and on
    // release with notifyPressAndRelease, repeatedly while held with
    // auto-repeat, else once on a release inside. Nothing without a sink.
    bool OnPress(IHotspotHost& host) override;

    void SetText(const CString& text) { m_text = text; }
    // Sets the skin style; the natural size follows it.
    void SetStyle(uint32_t styleIndex);
    void SetAutoRepeat(bool on, uint16_t firstDelay = 500, uint16_t shortestDelay = 10, uint16_t delayStep = 100);
    bool IsPressed() const { return m_pressed; }

    uint32_t m_styleIndex = 0;
    uint8_t m_notifyPressAndRelease = 0;
    CString m_text;
    uint8_t m_autoRepeat = 1;
    uint16_t m_firstDelay = 500;    // [ms] before the second command
    uint16_t m_shortestDelay = 10;  // [ms]
    uint16_t m_delayStep = 100;     // [ms] each repeat comes this much sooner than the last

protected:
    bool m_pressed = false;
    bool m_inside = false;
};

// A button with an image: frame imageIndex of the strip in bitmap
// imageBitmapId (square frames as high as the bitmap).
class CHotToolButton : public CHotButton {
public:
    static constexpr uint32_t kTypeCode = kHotToolButton;

    CHotToolButton();

    void Serialize(CArchive& ar) override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    void SetImage(uint32_t bitmapId, uint32_t index)
    {
        m_imageBitmapId = bitmapId;
        m_imageIndex = index;
    }

    uint32_t m_imageBitmapId = 5135;
    uint32_t m_imageIndex = 0;
};

// The image strips of tool buttons, one per bitmap id, loaded on first use
// and shared by every tool button; colour 0x00C0C0C0 is transparent.
std::shared_ptr<const CPanelImage> ToolButtonStrip(uint32_t bitmapId);
// Forgets the loaded strips (a new resource source was installed).
void ClearToolButtonStrips();
