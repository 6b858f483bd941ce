// CVISkinManager: the one holder of the front panels' look. A skin is a
// record (custom resource type 304, by name) chosen by the registry value
// "Skin"; every standard control look is drawn here, so a new skin changes
// every instrument at once.
//
// What the skin's values mean to the drawing operations:
//
// Single values
//   m_backgroundColour  panel background (COLORREF)
//   m_colour            label text colour (labels asking for the skin's colour)
//   m_extraColours[0]   hyperlink text while the pointer is over it
//   m_extraColours[1]   fill of the lit half of an up/down button
//
// Colour table (ARGB; alpha 0 leaves that part out)
//   [0] drop shadow below raised controls       [5] inner highlight line along the top edge
//   [1] hover ring around a control under the   [6] text on a selected button-group item
//       pointer                                  [7] text on a disabled item
//   [2] check mark and radio dot                 [8] hyperlink text
//   [3] arrows (glyphs, drop-down, up/down)      [9] button text
//   [4] separator between joined button-group items
//
// Look parameters (28, in stored order; sizes in panel units)
//   [0] hover lift: brightness added to a face under the pointer (0..255)
//   [1] press depth: brightness taken from a pressed face (0..255)
//   [2] shadow offset: how far the drop shadow falls below a raised face (0: none)
//   [3..8]   standard face (button styles 0, 1, 4, 9, 10, others; unselected group items):
//            corner radius, top colour, bottom colour, border colour, border width,
//            gloss (alpha of the white sheen over the upper half, 0..255)
//   [9..14]  accent face (button styles 2, 3, 5, 11), same six values
//   [15]     mark size: side of check boxes and diameter of radio wells (0: fit the rectangle)
//   [16..21] field face (check boxes, radio wells, drop-down boxes, up/down buttons), same six
//   [22..27] selected face (selected button-group items), same six
//   Button styles 1 and 3 are pills (radius half the height); style 9 (tool
//   button) shows its face only while hovered or pressed.
//
// Power-button appearance (34 values, in stored order)
//   [0..6]   body while off: corner radius, gloss (0..255), border width, bezel
//            (inset of the face from the rectangle), border, face top, face bottom
//   [7..12]  state lamp while off: radius, border width, centre distance from the
//            face's top, border, centre (highlight), surround colours
//   [13]     power symbol radius
//   [14..20] body while on, as [0..6]
//   [21..26] state lamp while on, as [7..12]; the symbol glows in its surround colour
//   [27..32] indicator lamp of styled buttons (lit while the indicator is set):
//            radius, border width, distance between its centre and the state
//            lamp's (at least the two radii apart), border, centre, surround; it
//            sits beside the state lamp, the pair centred on the face
//   [33]     power symbol stroke width in quarter panel units
//   The symbol is drawn in the off lamp's centre colour while off. Style 2 has a
//   round body, style 3 is a slide switch; styles 1 to 3 carry the indicator lamp.
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

// Entries of the colour table.
enum SkinColourIndex : size_t {
    kSkinShadow = 0,
    kSkinHoverRing = 1,
    kSkinMark = 2,
    kSkinGlyph = 3,
    kSkinSeparator = 4,
    kSkinHighlightLine = 5,
    kSkinSelectedText = 6,
    kSkinDisabledText = 7,
    kSkinLinkText = 8,
    kSkinButtonText = 9,
};

// Indices of the look parameters that are not part of a face group.
enum SkinLookIndex : size_t {
    kLookHoverLift = 0,
    kLookPressDepth = 1,
    kLookShadowOffset = 2,
    kLookStandardFace = 3,
    kLookAccentFace = 9,
    kLookMarkSize = 15,
    kLookFieldFace = 16,
    kLookSelectedFace = 22,
};

// One face group of the look parameters.
struct SkinFace {
    float radius = 0;
    Argb top = 0xFF000000u;
    Argb bottom = 0xFF000000u;
    Argb border = 0xFF000000u;
    float borderWidth = 0;
    uint8_t gloss = 0;
};

inline constexpr char16_t kVirtualInstrumentsKey[] = u"Software\\Brennick\\Common\\Virtual Instruments";

// Where an item of a button group sits in its strip.
enum class SegmentPosition { Only, First, Middle, Last };

class CVISkinManager : public CObject {
public:
    CVISkinManager();
    ~CVISkinManager() override;

    // The process-wide skin, made on first use.
    static CVISkinManager& GetSkin();

    // Reads (or writes) a skin record. Whatever was read before a failure stays.
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

    // Changes whenever a skin is read or reset, so that pictures drawn in
    // the old one are known to be out of date.
    uint32_t Generation() const { return m_generation; }

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

    // The face group that starts at a look parameter index.
    SkinFace Face(size_t firstIndex) const;
    Argb LabelColour() const { return m_colour; }
    Argb LinkColour(bool hover) const { return hover ? m_extraColours[0] : m_colourTable[kSkinLinkText]; }

    // The record's leading version and the byte after it: not used, kept so a
    // record written back is the record that was read.
    uint32_t m_recordVersion = 1;
    uint8_t m_recordReserved = 0;

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

private:
    uint32_t m_generation = 0;
};
