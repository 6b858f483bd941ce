// Seven-segment digit rows: CHotSeg7 shows a text, CHotDigSeg7 a 16-bit
// value as bytes or a word in hexadecimal or decimal.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "viframework/controls/Hotspot.h"

// Segment bits: 0 a (top), 1 b (upper right), 2 c (lower right), 3 d (bottom),
// 4 e (lower left), 5 f (upper left), 6 g (middle).
// Patterns 0-9 and a-f, then 16 blank and 17 dash.
inline constexpr std::array<uint8_t, 18> kSeg7Patterns = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F,
                                                          0x6F, 0x77, 0x7C, 0x39, 0x5E, 0x79, 0x71, 0x00, 0x40};
constexpr int kSeg7Blank = 16;
constexpr int kSeg7Dash = 17;

// The pattern index of a character: digits, hexadecimal letters, '-'; all else blank.
int Seg7PatternIndex(char16_t c);

// The six corners of one segment (0 = a ... 6 = g) of a 42 x 55 cell whose
// top-left corner is origin, scaled by sx and sy.
void Seg7SegmentPolygon(int segment, PointF origin, float sx, float sy, PointF out[6]);

// What one cell of a row shows.
struct Seg7Cell {
    uint8_t pattern = 0;  // segment bits
    bool point = false;   // the decimal point after the cell
    bool operator==(const Seg7Cell&) const = default;
};

// Lays a text out on cellCount cells: a '.' or ',' right after a character
// lights that character's point and takes no cell; cells past the text are
// blank. With the blank switch every cell is blank (dash with the dash switch).
std::vector<Seg7Cell> LayoutSeg7Text(const CString& text, size_t cellCount, bool blank, bool dash);

class CHotSeg7 : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotSeg7;
    static constexpr int32_t kCellWidth = 42;   // panel units
    static constexpr int32_t kCellHeight = 55;
    static constexpr size_t kMaxText = 19;

    CHotSeg7();

    void Serialize(CArchive& ar) override;
    void OnLoaded() override;
    void PlaceAt(int32_t x, int32_t y) override;
    bool OnPress(IHotspotHost& host) override;
    bool WantsHandCursor() const override { return !IsStatic(); }
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    // Shows the text (at most 19 characters, or one per cell on wider rows);
    // true when it differs from before.
    bool SetText(const CString& text);
    // Shows the number right-aligned on the row; true when that changed the text.
    bool SetNumber(int32_t number);
    // Every cell blank; with the dash switch every cell a dash. True when changed.
    bool SetBlank(bool on);
    bool SetDash(bool on);
    void SetDigitCount(uint32_t count);

    const CString& Text() const { return m_text; }
    uint32_t DigitCount() const { return m_digitCount; }
    std::vector<Seg7Cell> Cells() const { return LayoutSeg7Text(m_text, m_digitCount, m_blank, m_dash); }

protected:
    uint32_t m_digitCount = 3;
    CString m_text;
    bool m_blank = false;
    bool m_dash = false;
};

// The seven characters a digital row shows for a value. Modes: 0 high byte
// ending at cell 2 and low byte ending at cell 6; 1 the whole word ending at
// cell 6; 2 the high byte, 3 the low byte, each ending at cell 2. Digits are
// zero-padded to 2 (radix 16) or 3 bytes' digits, 4 or 5 for the word; '@'
// marks a blank cell. Radix 16 is hexadecimal, any other decimal.
CString FormatDigSeg7(uint16_t value, uint32_t mode, uint32_t radix);

class CHotDigSeg7 : public CHotSeg7 {
public:
    static constexpr uint32_t kTypeCode = kHotDigSeg7;

    CHotDigSeg7();

    void Serialize(CArchive& ar) override;

    // Each setter reformats; true when the shown text changed.
    bool SetValue(uint16_t value);
    bool SetMode(uint32_t mode);
    bool SetRadix(uint32_t radix);

    uint16_t Value() const { return m_value; }
    uint32_t Mode() const { return m_mode; }
    uint32_t Radix() const { return m_radix; }

private:
    bool Reformat();

    uint32_t m_mode = 0;
    uint32_t m_radix = 0;  // 16 or 10 once set; 0 shows nothing
    uint16_t m_value = 0;
};
