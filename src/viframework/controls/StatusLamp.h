// CHotStatus: a status lamp, lit or dark, drawn in a lamp style of the skin
// or in a look of its own.
#pragma once

#include <cstdint>
#include <memory>

#include "viframework/controls/ControlLooks.h"
#include "viframework/controls/Hotspot.h"

class CHotStatus : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotStatus;

    CHotStatus();

    void Serialize(CArchive& ar) override;
    // Off; true when it was lit.
    bool Reset() override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    // True when the state changed.
    bool SetLit(bool lit);
    bool IsLit() const { return m_lit; }
    // A look of its own instead of the skin's style (none: back to the style).
    void SetOwnLook(std::unique_ptr<CHotStatusInfo> look);
    const CHotStatusInfo* OwnLook() const { return m_ownLook.get(); }
    void SetStyle(uint32_t styleIndex);
    uint32_t Style() const { return m_styleIndex; }

private:
    // The natural size follows the look: its own, else the skin's style.
    void UpdateSize();

    uint32_t m_styleIndex = 0;
    std::unique_ptr<CHotStatusInfo> m_ownLook;
    bool m_lit = false;
};
