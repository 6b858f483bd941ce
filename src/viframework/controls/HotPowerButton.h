// The instrument's power switch, with an optional indicator lamp and its
// own appearance record when the layout gives one.
#pragma once

#include <cstdint>
#include <memory>

#include "viframework/controls/ControlLooks.h"
#include "viframework/controls/Hotspot.h"

class CHotPowerButton : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotPowerButton;

    CHotPowerButton();

    // Flag bit 15 says whether the appearance record follows the tail.
    void Serialize(CArchive& ar) override;
    void OnLoaded() override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;
    // A press released inside switches on/off and tells the sink (slot 3).
    bool OnPress(IHotspotHost& host) override;
    // Indicator and on back to 0; true when either was set.
    bool Reset() override;

    // Sets both states; true when that changed them. A changed button is
    // repainted through the view when one is given.
    bool SetState(bool indicator, bool on, IHotspotNotifySink* view = nullptr);

    bool IsOn() const { return m_on != 0; }
    bool HasIndicator() const { return m_indicator != 0; }
    // The button's own appearance, made on first use (defaults until the layout gives one).
    CHotPowerEnableInfo& Appearance();

    uint8_t m_style = 0;
    uint8_t m_on = 0;
    uint8_t m_indicator = 0;
    std::unique_ptr<CHotPowerEnableInfo> m_appearance;

private:
    bool m_pressed = false;
};
