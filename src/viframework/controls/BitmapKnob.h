// CHotBitmapKnob: a multi-position switch drawn from a bitmap of the
// resource library cut into equal frames side by side; the instrument turns
// it by choosing the frame.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "viframework/controls/Hotspot.h"

class CHotBitmapKnob : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotBitmapKnob;
    static constexpr Argb kTransparent = 0x00FF00FFu;  // magenta

    CHotBitmapKnob();

    // Tail: u32 bitmap id, u32 frame count, u32 frame.
    void Serialize(CArchive& ar) override;
    // Takes the natural size of one frame.
    void OnLoaded() override;
    void PlaceAt(int32_t x, int32_t y) override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    void SetBitmap(uint32_t bitmapId, uint32_t frameCount);
    // Selects the frame shown; true when that changed. A frame beyond the
    // bitmap's shows nothing.
    bool SetFrame(uint32_t index);

    uint32_t BitmapId() const { return m_bitmapId; }
    uint32_t FrameCount() const { return m_frameCount; }
    uint32_t Frame() const { return m_frame; }
    // The part of the bitmap that the current frame shows; none when the
    // bitmap is missing or the frame lies outside it.
    std::optional<CRect> FrameSource() const;

private:
    void TakeFrameSize();

    uint32_t m_bitmapId = 0;
    uint32_t m_frameCount = 5;
    uint32_t m_frame = 0;
};
