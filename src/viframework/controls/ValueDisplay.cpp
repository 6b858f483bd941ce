#include "viframework/controls/ValueDisplay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "viframework/SkinManager.h"
#include "viframework/controls/Seg7.h"

namespace {

// Digits, 'L' (overload), blank and '-'.
constexpr uint8_t kDigitPatterns[13] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D,
                                        0x07, 0x7F, 0x6F, 0x38, 0x00, 0x40};
constexpr Argb kFaceColour = 0xFFC0C0C0u;
constexpr Argb kShadowColour = 0xFF808080u;
constexpr Argb kDeepShadowColour = 0xFF5C5C5Cu;
constexpr Argb kLightColour = 0xFFFFFFFFu;
constexpr Argb kLitSegment = 0xFF000000u;
constexpr Argb kUnlitSegment = 0x3C969696u;

uint8_t DigitPattern(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return kDigitPatterns[c - u'0'];
    if (c == u'L')
        return kDigitPatterns[10];
    if (c == u'-')
        return kDigitPatterns[12];
    return kDigitPatterns[11];
}

bool IsPoint(char16_t c)
{
    return c == u'.' || c == u',';
}


// A sunken rectangle: shadow on the upper and left edges, light on the others.
void DrawSunken(IPanelGraphics& g, const CRect& r, Argb shadow, Argb light)
{
    const float l = float(r.left), t = float(r.top), rt = float(r.right - 1), b = float(r.bottom - 1);
    g.DrawLine({shadow, 1}, {l, b}, {l, t});
    g.DrawLine({shadow, 1}, {l, t}, {rt, t});
    g.DrawLine({light, 1}, {rt, t}, {rt, b});
    g.DrawLine({light, 1}, {rt, b}, {l, b});
}

}  // namespace

CString FormatReading(const char* format, double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    // A small negative value rounds to "-0.0"; no meter shows a signed zero.
    char* minus = std::strchr(buffer, '-');
    if (minus && std::strpbrk(buffer, "123456789") == nullptr)
        *minus = ' ';
    return Utf8ToString(buffer);
}

CHotValueDisplay::CHotValueDisplay()
{
    m_typeCode = kTypeCode;
    m_flags = kHotVisible | kHotStatic;
    m_naturalWidth = 187;
    m_naturalHeight = 80;
    m_scaleFont = MakeFont(u"Tahoma", -9);
    m_unitFont = MakeFont(u"Tahoma", -16, 700);
}

void CHotValueDisplay::AutoSize()
{
    if (m_flags & kHotDefaultCursor)
        return;
    m_rect.right = m_rect.left + 20 + kCellWidth * int32_t(m_digitCount);
    m_rect.bottom = m_rect.top + m_naturalHeight;
}

bool CHotValueDisplay::OnPress(IHotspotHost& host)
{
    host.CopyToClipboard(m_text);
    return false;
}

void CHotValueDisplay::SetRanges(const ValueDisplayRange* table, size_t count)
{
    m_ranges = table;
    if (table != nullptr && count == 0)
        while (table[count].format != nullptr)
            ++count;
    m_rangeCount = table != nullptr ? count : 0;
    m_rangeIndex = 0;
}

bool CHotValueDisplay::SetRange(size_t index)
{
    if (index == m_rangeIndex)
        return false;
    m_rangeIndex = index;
    return true;
}

const ValueDisplayRange* CHotValueDisplay::Range() const
{
    return m_rangeIndex < m_rangeCount ? &m_ranges[m_rangeIndex] : nullptr;
}

bool CHotValueDisplay::SetValue(double value)
{
    const ValueDisplayRange* range = Range();
    const double factor = range ? range->factor : 1.0;
    const CString text = FormatReading(range ? range->format : "%6.2lf", factor * value);
    if (text == m_text)
        return false;
    m_text = text;
    m_shownValue = factor * value;
    return true;
}

bool CHotValueDisplay::SetText(const char* format, double value)
{
    const CString text = FormatReading(format, value);
    if (text == m_text)
        return false;
    m_text = text;
    m_shownValue = value;
    return true;
}

bool CHotValueDisplay::SetText(const CString& text)
{
    if (text == m_text)
        return false;
    m_text = text;
    return true;
}

bool CHotValueDisplay::SetBarValue(double value)
{
    if (!std::isfinite(value))
        value = 0.0;
    if (value == m_shownValue)
        return false;
    m_shownValue = value;
    return true;
}

bool CHotValueDisplay::SetUnit(const CString& unit)
{
    if (unit == m_unit)
        return false;
    m_unit = unit;
    return true;
}

void CHotValueDisplay::SerializeState(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << uint32_t(2) << uint8_t(m_rangeIndex) << m_digitCount;
        return;
    }
    uint32_t version = 0;
    uint8_t range = 0;
    ar >> version >> range;
    if (version >= 2) {
        uint32_t digits = 0;
        ar >> digits;
        // A damaged document must not make a display wider than any panel.
        if (digits > uint32_t((kMaxPanelCoordinate - 20) / kCellWidth))
            throw CArchiveException(CArchiveException::badIndex);
        m_digitCount = digits;
    }
    m_rangeIndex = range;
    m_text.assign(m_digitCount, u' ');
}

int32_t CHotValueDisplay::Divisions() const
{
    const ValueDisplayRange* range = Range();
    if (!range || !range->marks)
        return 0;
    const ValueScaleMark* mark = range->marks;
    while (mark->label != nullptr && mark->label[0] != 0)
        ++mark;
    return mark->tick;
}

bool CHotValueDisplay::HasLabels() const
{
    const ValueDisplayRange* range = Range();
    return range && range->marks && range->marks[0].label != nullptr && range->marks[0].label[0] != 0;
}

int32_t CHotValueDisplay::BarLength() const
{
    const ValueDisplayRange* range = Range();
    if (!range || !(range->fullScale > 0))
        return 0;
    const double width = m_rect.Width() - 40;
    const double shown = std::min(std::fabs(m_shownValue), range->fullScale);
    return int32_t(width * shown / range->fullScale + 0.5);
}

float CHotValueDisplay::DigitScale() const
{
    // The digits fill the height above the bar (or the frame's inside), never
    // more than a full cell, so that a display drawn shorter than the cells
    // keeps digits and bar apart; the width follows in proportion.
    const ValueDisplayRange* range = Range();
    const bool bar = range && range->fullScale > 0;
    const int32_t bottom = bar ? m_rect.bottom - (HasLabels() ? 37 : 30) - 10 - 4 : m_rect.bottom - 10;
    const float height = float(bottom - (m_rect.top + 10));
    return std::clamp(height / float(CHotSeg7::kCellHeight), 0.0f, 1.0f);
}

void CHotValueDisplay::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    DrawFrame(g);
    DrawDigits(g);
    if (!m_unit.empty()) {
        const float scale = DigitScale();
        const float left = float(m_rect.left + 10) + kCellWidth * scale * float(m_digitCount) + 4;
        const float top = float(m_rect.top + 10);
        const RectF area{left, top, float(m_rect.right - 10) - left, float(CHotSeg7::kCellHeight) * scale};
        g.DrawString(m_unit, m_unitFont, area, kLitSegment, {TextAlign::Near, TextAlign::Far, false});
    }
    DrawBar(g);
}

void CHotValueDisplay::DrawFrame(IPanelGraphics& g) const
{
    const RectF outer = RectF::From(m_rect);
    g.FillRectangle(Brush::Solid(kFaceColour), outer);
    g.DrawRectangle({kShadowColour, 1}, {outer.x, outer.y, outer.width - 1, outer.height - 1});
    DrawSunken(g, m_rect.Inflated(-5, -5), kShadowColour, kLightColour);
    DrawSunken(g, m_rect.Inflated(-6, -6), kDeepShadowColour, kLightColour);
}

void CHotValueDisplay::DrawDigits(IPanelGraphics& g) const
{
    const float scale = DigitScale();
    DrawValueDigits(g, m_text, {float(m_rect.left + 10), float(m_rect.top + 10)}, m_digitCount, kCellWidth * scale,
                    float(CHotSeg7::kCellHeight) * scale, kLitSegment, kUnlitSegment);
}

void DrawValueDigits(IPanelGraphics& g, const CString& text, PointF origin, size_t cellCount, float cellWidth,
                     float cellHeight, Argb litColour, Argb unlitColour)
{
    const Brush lit = Brush::Solid(litColour), unlit = Brush::Solid(unlitColour);
    const float scaleX = cellWidth / float(CHotSeg7::kCellWidth);
    const float scaleY = cellHeight / float(CHotSeg7::kCellHeight);
    auto cellLeft = [&](size_t cell) { return origin.x + cellWidth * float(cell); };
    auto drawCell = [&](size_t cell, uint8_t pattern) {
        PointF corners[6];
        for (int segment = 0; segment < 7; ++segment) {
            Seg7SegmentPolygon(segment, {cellLeft(cell), origin.y}, scaleX, scaleY, corners);
            g.FillPolygon((pattern >> segment) & 1 ? lit : unlit, corners, 6);
        }
    };
    size_t cell = 0;
    bool afterDigit = false;
    for (char16_t c : text) {
        if (IsPoint(c) && afterDigit) {
            g.FillRectangle(lit, {cellLeft(cell), origin.y + 44 * scaleY, 4 * scaleY, 4 * scaleY});
            afterDigit = false;
            continue;
        }
        if (cell == cellCount)
            break;
        drawCell(cell++, DigitPattern(c));
        afterDigit = !IsPoint(c);
    }
    for (; cell < cellCount; ++cell)
        drawCell(cell, DigitPattern(u' '));
}

void CHotValueDisplay::DrawBar(IPanelGraphics& g) const
{
    const ValueDisplayRange* range = Range();
    if (!range || !(range->fullScale > 0))
        return;
    const float left = float(m_rect.left + 20);
    const float width = float(m_rect.Width() - 40);
    const float baseline = float(m_rect.bottom - (HasLabels() ? 37 : 30));
    g.FillRectangle(Brush::Solid(kBarColour), {left, baseline - 10, float(BarLength()), 10});

    const int32_t divisions = Divisions();
    if (divisions <= 0)
        return;
    const Brush black = Brush::Solid(0xFF000000u);
    for (int32_t i = 0; i <= divisions; ++i) {
        const float x = left + width * float(i) / float(divisions);
        const char* label = nullptr;
        for (const ValueScaleMark* mark = range->marks; mark->label && mark->label[0]; ++mark)
            if (mark->tick == i)
                label = mark->label;
        g.FillRectangle(black, {x - 1, baseline, 2, label ? 13.0f : 10.0f});
        if (label)
            g.DrawString(Utf8ToString(label), m_scaleFont, {x - 30, baseline + 13, 60, 14}, 0xFF000000u,
                         {TextAlign::Centre, TextAlign::Near, false});
    }
}
