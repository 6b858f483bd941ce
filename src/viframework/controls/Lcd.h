// Dot-matrix displays: CHotLCD emulates a 128 x 64 graphic LCD with its own
// display memory; CHotLcdMatrix is a character LCD of text lines.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "viframework/controls/Hotspot.h"

// The built-in 5 x 8 font in the font-table form CHotLCD::SetFont takes:
// width, height, bytes per glyph and first character, then the glyphs column
// by column, one byte per 8 dots of a column, bit 0 at the top.
std::span<const uint8_t> BuiltInLcdFont();

class CHotLCD : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotLCD;
    static constexpr uint32_t kMemoryWidth = 128;  // dots
    static constexpr uint32_t kMemoryHeight = 64;
    static constexpr size_t kMemorySize = kMemoryWidth * kMemoryHeight / 8;
    static constexpr uint32_t kWriteOverwrite = 2;  // any other write mode ORs
    static constexpr uint32_t kWriteOr = 1;

    CHotLCD();

    void Serialize(CArchive& ar) override;
    void OnLoaded() override;
    void PlaceAt(int32_t x, int32_t y) override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    // All dots dark.
    void Clear();
    // Lights dot (x, y); dots outside 128 x 64 are ignored.
    void SetDot(uint32_t x, uint32_t y);
    // Writes text with the current font: column in dots, line in glyph
    // heights; each glyph's columns go to the memory pages of the line and
    // the column advances by the glyph width.
    void DrawText(int32_t column, int32_t line, const CString& text);
    // The font table to write with; the caller keeps it alive.
    void SetFont(std::span<const uint8_t> table) { m_font = table; }
    void SetWriteMode(uint32_t mode) { m_writeMode = mode; }
    // The dot size rules the control's size: (width x pitch + 1) by (height x pitch + 1).
    // Dots past the 128 x 64 memory show unlit.
    void SetGeometry(uint32_t widthDots, uint32_t heightDots, uint32_t dotPitch);
    // Own colours (ARGB); kSkinColour takes the skin's graphic-LCD colour.
    void SetColours(Argb frame, Argb lit, Argb unlit);

    const std::array<uint8_t, kMemorySize>& Memory() const { return m_memory; }
    bool Dot(uint32_t x, uint32_t y) const;
    // The picture Draw shows, one pixel per panel unit; none for a display
    // too large to keep one, which Draw draws dot by dot instead.
    std::shared_ptr<const CPanelImage> Picture(const CVISkinManager& skin);

private:
    void UpdateSize();
    void DrawDots(IPanelGraphics& g, const CVISkinManager& skin) const;

    uint32_t m_widthDots = 128;
    uint32_t m_heightDots = 64;
    uint32_t m_dotPitch = 3;
    Argb m_frameColour = kSkinColour;
    Argb m_litColour = kSkinColour;
    Argb m_unlitColour = kSkinColour;

    std::array<uint8_t, kMemorySize> m_memory{};
    std::span<const uint8_t> m_font;
    uint32_t m_writeMode = kWriteOverwrite;

    std::shared_ptr<CPanelImage> m_picture;
    std::array<Argb, 3> m_pictureColours{};
    bool m_pictureStale = true;
};

class CHotLcdMatrix : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotLcdMatrix;
    static constexpr size_t kMaxLine = 128;  // characters of a formatted line

    CHotLcdMatrix();

    void Serialize(CArchive& ar) override;
    void OnLoaded() override;
    void PlaceAt(int32_t x, int32_t y) override;
    bool OnPress(IHotspotHost& host) override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    // Sets line `index`; true when its text changed. Lines past the count are ignored.
    bool SetLine(size_t index, const CString& text);
    // The same with a printf-style format, cut to 128 characters.
    bool FormatLine(size_t index, const char* format, ...);
    // Line and column counts; the size follows.
    void SetSize(uint32_t lineCount, uint32_t columnCount);
    // Dot size and the gap around character cells, in panel units; the size follows.
    void SetDots(uint32_t dotSize, uint32_t gap);
    // Own colours (ARGB); kSkinColour takes the skin's graphic-LCD colour.
    void SetColours(Argb background, Argb lit, Argb unlit);
    void SetCopyOnPress(bool on) { m_copyOnPress = on; }

    const std::vector<CString>& Lines() const { return m_lines; }
    // The size its counts, dot size and gap give, in panel units.
    CSize ComputedSize() const;
    // As CHotLCD::Picture.
    std::shared_ptr<const CPanelImage> Picture(const CVISkinManager& skin);

private:
    void UpdateSize();
    void DrawDots(IPanelGraphics& g, const CVISkinManager& skin) const;

    uint32_t m_version = 1;
    uint32_t m_dotSize = 3;
    std::array<Argb, 3> m_colours{kSkinColour, kSkinColour, kSkinColour};  // background, lit, unlit
    uint32_t m_gap = 0;
    uint32_t m_lineCount = 3;
    uint32_t m_columnCount = 10;

    std::vector<CString> m_lines;
    bool m_copyOnPress = false;

    std::shared_ptr<CPanelImage> m_picture;
    std::array<Argb, 3> m_pictureColours{};
    bool m_pictureStale = true;
};
