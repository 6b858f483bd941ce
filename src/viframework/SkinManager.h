// CVISkinManager: the one holder of the front panels' look. A skin is a
// record (custom resource type 304, by name) chosen by the registry value
// "Skin"; every standard control look is drawn here, so a new skin changes
// every instrument at once.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/Archive.h"
#include "framework/Object.h"
#include "framework/Settings.h"
#include "viframework/controls/ControlLooks.h"
#include "viframework/controls/PanelGraphics.h"

class IPanelResources;

inline constexpr char16_t kVirtualInstrumentsKey[] = u"Software\\Brennick\\Common\\Virtual Instruments";

// Where an item of a button group sits in its strip.
enum class SegmentPosition { Only, First, Middle, Last };

class CVISkinManager : public CObject {
public:
    CVISkinManager();
    ~CVISkinManager() override;

    // The process-wide skin, made on first use.
    static CVISkinManager& GetSkin();

    // Reads a skin record. Whatever was read before a failure stays.
    void Serialize(CArchive& ar) override;

    // The skin the user chose ("Skin", current user then local machine;
    // "gray" when none), else the first skin resource; without any skin
    // resource the built-in defaults stay. Never reports anything.
    void Load(ISettingsStore& settings, IPanelResources& resources);
    // Loads the named skin, else the first one; false when none was read.
    bool Load(const CString& name, IPanelResources& resources);
    // Reads a skin record from bytes; false when it was cut short or damaged
    // (what was read before stays).
    bool LoadRecord(const std::vector<uint8_t>& bytes);

    // Back to the built-in defaults.
    void Reset();

    virtual void PrepareGraphics(IPanelGraphics& g);
    // The display and text fonts back to their defaults; true.
    virtual bool ResetFonts();
    virtual void FillBackground(IPanelGraphics& g, const RectF& rect);
    virtual void DrawLabelText(IPanelGraphics& g, const RectF& rect, const CString& text, const FontRecord& font,
                               Argb colour, const TextFormat& format = {});
    virtual void DrawLamp(IPanelGraphics& g, const RectF& rect, size_t styleIndex, bool lit);
    // One item of a button group.
    virtual void DrawSegment(IPanelGraphics& g, const RectF& rect, const CString& text, SegmentPosition position,
                             bool hover, bool pressed, bool selected, bool enabled);
    virtual void DrawRadio(IPanelGraphics& g, const RectF& rect, bool hover, bool pressed, bool checked);
    virtual void DrawCheck(IPanelGraphics& g, const RectF& rect, bool hover, bool pressed, bool checked);
    // Kinds 1 and 4, 2 and 5: arrows 12 x 8 (up, down); 6 to 8: images 0 to 2 of
    // bitmap 5130; 10 and 11: arrows 8 x 12 (left, right).
    virtual void DrawGlyph(IPanelGraphics& g, const RectF& rect, int kind, Argb colour);
    virtual void DrawButton(IPanelGraphics& g, const RectF& rect, const CString& text, uint32_t styleIndex,
                            bool hover, bool pressed);
    // A drop-down selector's box with its text and arrow.
    virtual void DrawMenuBox(IPanelGraphics& g, const RectF& rect, const CString& text, bool hover, bool pressed);
    virtual void DrawPowerButton(IPanelGraphics& g, const RectF& rect, const CHotPowerEnableInfo& appearance,
                                 bool hover, bool pressed, bool on);
    virtual void DrawPowerButtonStyled(IPanelGraphics& g, const RectF& rect, const CHotPowerEnableInfo& appearance,
                                       bool hover, bool pressed, bool on, bool notIndicator, uint32_t style);
    // activeHalf: 0 none, 1 upper, 2 lower.
    virtual void DrawUpDown(IPanelGraphics& g, const RectF& rect, bool hover, bool pressed, int activeHalf);
    virtual void ClearLampStyles();

    // Throws CInvalidArgException for an index outside the list.
    const CHotStatusInfo& GetLampStyle(size_t index) const;
    size_t LampStyleCount() const { return m_lampStyles.size(); }
    // The natural size of a button style.
    static CSize GetButtonSize(uint32_t styleIndex);

    // Fields in the order the skin holds them.
    uint32_t m_smoothingMode = 0;
    uint32_t m_compositingQuality = 0;
    uint32_t m_textRenderingHint = 0;
    uint32_t m_backgroundColour = 0;  // COLORREF
    FontRecord m_displayFont;
    std::array<uint32_t, 3> m_lcdColours{};  // frame, lit, unlit
    std::array<Argb, 3> m_segmentColours;    // background, unlit, lit
    Argb m_colour = 0xFF000000u;
    std::vector<std::unique_ptr<CHotStatusInfo>> m_lampStyles;
    FontRecord m_textFont;
    std::array<Argb, 10> m_colourTable;       // [9] is the button text colour
    std::array<uint32_t, 28> m_lookParameters;  // in stored order
    CHotPowerEnableInfo m_powerAppearance;
    std::array<Argb, 2> m_extraColours;

    Argb BackgroundArgb(uint8_t alpha = 0xFF) const { return ArgbFromColorRef(m_backgroundColour, alpha); }
    Argb TextColour() const { return m_colourTable[9]; }
};
