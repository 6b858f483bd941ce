// CHotUpDownButton: a pair of arrow keys, one above the other, that post the
// window a command: the control's id for the upper key, id + 1 for the lower
// one. In touch mode a press opens the spin pad instead.
#pragma once

#include <cstdint>

#include "viframework/controls/HotButton.h"

class CHotUpDownButton : public CHotButton {
public:
    static constexpr uint32_t kTypeCode = kHotUpDownButton;

    // Which key: none, the upper (up) or the lower (down).
    enum Half : int { kHalfNone = 0, kHalfUp = 1, kHalfDown = 2 };

    CHotUpDownButton();

    // Keeps the pair's own natural size whatever the button style.
    void OnLoaded() override;
    void PlaceAt(int32_t x, int32_t y) override;
    void SetHover(bool on, CPoint point) override;
    // Lights the key under the pointer; true when that changed.
    bool OnMouseMove(CPoint point) override;
    // Holds the key under the pointer while the pointer stays on it: with
    // auto-repeat its command is posted at once and then by the repeat
    // schedule; without, once when the button comes up on it. True when the
    // press ended on the key.
    bool OnPress(IHotspotHost& host) override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    Half HalfAt(CPoint point) const;
    CRect HalfRect(Half half) const;
    Half LitHalf() const { return m_litHalf; }
    // The command a key posts.
    uint32_t CommandOf(Half half) const { return half == kHalfDown ? m_id + 1 : m_id; }

private:
    Half m_litHalf = kHalfNone;
};
