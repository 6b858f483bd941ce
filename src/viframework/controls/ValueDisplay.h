// CHotValueDisplay: a meter's read-out, seven-segment digits with a unit and
// a bar graph under them, formatted by a table of measuring ranges.
#pragma once

#include <cstdint>

#include "viframework/controls/Hotspot.h"

// One labelled or unlabelled tick of a range's bar scale. A list of marks
// ends with an entry whose label is empty (or null); that entry's tick is
// the number of divisions.
struct ValueScaleMark {
    int32_t tick;
    const char* label;
};

// A measuring range: its full scale in the unit shown, the factor that turns
// the measured value into that unit, the bar scale's marks and the printf
// format of the digits. A table given without a count ends with an entry
// whose format is null.
struct ValueDisplayRange {
    double fullScale;
    double factor;
    const ValueScaleMark* marks;
    const char* format;
};

// Draws text as the value display's seven-segment cells: '0'-'9', 'L', '-'
// and blank for anything else; a '.' or ',' after a digit is a dot at the
// foot of the next cell and takes no cell of its own. cellCount cells of
// cellWidth from origin (the first cell's top-left corner), each cellHeight
// high (55 is the unscaled cell). Lit segments in lit, the others in unlit.
void DrawValueDigits(IPanelGraphics& g, const CString& text, PointF origin, size_t cellCount, float cellWidth,
                     float cellHeight, Argb lit, Argb unlit);

// A reading in a printf format of one double; a value that rounds to zero
// shows no minus sign.
CString FormatReading(const char* format, double value);

class CHotValueDisplay : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotValueDisplay;
    static constexpr int32_t kCellWidth = 33;  // panel units per digit
    static constexpr Argb kBarColour = 0x730000FFu;

    CHotValueDisplay();

    void AutoSize() override;
    bool OnPress(IHotspotHost& host) override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    // The ranges to format by (kept, not copied; count 0: up to the null
    // format); selects range 0.
    void SetRanges(const ValueDisplayRange* table, size_t count);
    // Selects a range of the table; true when the selection changed.
    bool SetRange(size_t index);
    void SetDigits(uint32_t count) { m_digitCount = count; }
    // Shows factor x value in the range's format; true when the text changed.
    bool SetValue(double value);
    // Shows value in the given printf format; the bar follows the value. True
    // when the text changed.
    bool SetText(const char* format, double value);
    // Shows a text as it is (dashes while nothing is measured).
    bool SetText(const CString& text);
    // The value the bar stands for, apart from the text (a meter whose digits
    // are scaled differently from its bar); true when the bar changed.
    bool SetBarValue(double value);
    bool SetUnit(const CString& unit);

    // The instrument's part of a window state: version 2, range index, digit count.
    void SerializeState(CArchive& ar);

    const CString& Text() const { return m_text; }
    const CString& Unit() const { return m_unit; }
    double ShownValue() const { return m_shownValue; }
    size_t RangeIndex() const { return m_rangeIndex; }
    size_t RangeCount() const { return m_rangeCount; }
    uint32_t DigitCount() const { return m_digitCount; }
    // The selected range, or none.
    const ValueDisplayRange* Range() const;
    // The bar scale's divisions (0 without marks) and whether any tick has a label.
    int32_t Divisions() const;
    bool HasLabels() const;
    // The bar's length for the shown value, in panel units.
    int32_t BarLength() const;

    // How much the digit cells shrink to stay above the bar (1: full size).
    float DigitScale() const;

protected:
    void DrawFrame(IPanelGraphics& g) const;
    void DrawDigits(IPanelGraphics& g) const;
    void DrawBar(IPanelGraphics& g) const;

    uint32_t m_digitCount = 5;
    CString m_text;
    CString m_unit;
    double m_shownValue = 0.0;
    const ValueDisplayRange* m_ranges = nullptr;
    size_t m_rangeCount = 0;
    size_t m_rangeIndex = 0;
    FontRecord m_scaleFont;
    FontRecord m_unitFont;
};
