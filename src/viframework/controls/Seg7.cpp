#include "viframework/controls/Seg7.h"

#include <algorithm>
#include <cstdio>

#include "viframework/SkinManager.h"

namespace {

// Each segment's box in the 42 x 55 cell; vertical ones have pointed top and
// bottom ends, horizontal ones pointed left and right ends.
struct SegmentBox {
    float x0, y0, x1, y1;
    bool vertical;
};

constexpr SegmentBox kSegmentBoxes[7] = {
    {9, 4, 30, 10, false},   // a
    {28, 7, 34, 27, true},   // b
    {28, 30, 34, 47, true},  // c
    {9, 44, 30, 50, false},  // d
    {5, 30, 11, 47, true},   // e
    {5, 10, 11, 27, true},   // f
    {9, 24, 30, 30, false},  // g
};

bool IsPoint(char16_t c)
{
    return c == u'.' || c == u',';
}

}  // namespace

int Seg7PatternIndex(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return 10 + (c - u'a');
    if (c >= u'A' && c <= u'F')
        return 10 + (c - u'A');
    if (c == u'-')
        return kSeg7Dash;
    return kSeg7Blank;
}

void Seg7SegmentPolygon(int segment, PointF origin, float sx, float sy, PointF out[6])
{
    const SegmentBox& b = kSegmentBoxes[segment];
    PointF p[6];
    if (b.vertical) {
        const float mid = (b.x0 + b.x1) / 2, half = (b.x1 - b.x0) / 2;
        p[0] = {mid, b.y0};
        p[1] = {b.x1, b.y0 + half};
        p[2] = {b.x1, b.y1 - half};
        p[3] = {mid, b.y1};
        p[4] = {b.x0, b.y1 - half};
        p[5] = {b.x0, b.y0 + half};
    } else {
        const float mid = (b.y0 + b.y1) / 2, half = (b.y1 - b.y0) / 2;
        p[0] = {b.x0, mid};
        p[1] = {b.x0 + half, b.y0};
        p[2] = {b.x1 - half, b.y0};
        p[3] = {b.x1, mid};
        p[4] = {b.x1 - half, b.y1};
        p[5] = {b.x0 + half, b.y1};
    }
    for (int i = 0; i < 6; ++i)
        out[i] = {origin.x + p[i].x * sx, origin.y + p[i].y * sy};
}

std::vector<Seg7Cell> LayoutSeg7Text(const CString& text, size_t cellCount, bool blank, bool dash)
{
    std::vector<Seg7Cell> cells(cellCount, Seg7Cell{kSeg7Patterns[kSeg7Blank], false});
    if (blank) {
        for (Seg7Cell& cell : cells)
            cell.pattern = kSeg7Patterns[dash ? kSeg7Dash : kSeg7Blank];
        return cells;
    }
    size_t cell = 0;
    bool afterCharacter = false;
    for (char16_t c : text) {
        if (IsPoint(c) && afterCharacter) {
            cells[cell - 1].point = true;
            afterCharacter = false;
            continue;
        }
        if (cell == cellCount)
            break;
        // A point with no character before it gets a blank cell of its own.
        if (IsPoint(c)) {
            cells[cell++].point = true;
            afterCharacter = false;
            continue;
        }
        cells[cell++].pattern = kSeg7Patterns[Seg7PatternIndex(c)];
        afterCharacter = true;
    }
    return cells;
}

// ---------------------------------------------------------------- CHotSeg7

CHotSeg7::CHotSeg7() : m_text(u"@@@@@@@@@")
{
    m_typeCode = kTypeCode;
    m_flags = kHotVisible | kHotStatic;
    SetDigitCount(3);
}

void CHotSeg7::SetDigitCount(uint32_t count)
{
    m_digitCount = count;
    m_naturalWidth = int32_t(count) * kCellWidth;
    m_naturalHeight = kCellHeight;
}

void CHotSeg7::Serialize(CArchive& ar)
{
    CHotspot::Serialize(ar);
    if (ar.IsStoring()) {
        ar << m_digitCount;
    } else {
        uint32_t count = 0;
        ar >> count;
        // A row wider than any panel only comes from a damaged layout.
        if (count > uint32_t(kMaxPanelCoordinate / kCellWidth))
            throw CArchiveException(CArchiveException::genericException);
        SetDigitCount(count);
    }
}

void CHotSeg7::OnLoaded()
{
    SetDigitCount(m_digitCount);
}

void CHotSeg7::PlaceAt(int32_t x, int32_t y)
{
    CHotspot::PlaceAt(x, y);
    AutoSize();
}

bool CHotSeg7::OnPress(IHotspotHost& host)
{
    if (!IsStatic())
        host.SendCommand(m_id);
    return false;
}

bool CHotSeg7::SetText(const CString& text)
{
    // A row wider than the usual text keeps as many characters as it has cells.
    const CString limited = text.substr(0, std::max<size_t>(kMaxText, m_digitCount));
    if (limited == m_text)
        return false;
    m_text = limited;
    return true;
}

bool CHotSeg7::SetNumber(int32_t number)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", int(number));
    const CString text = Utf8ToString(digits);
    return SetText(text.size() < m_digitCount ? CString(m_digitCount - text.size(), u' ') + text : text);
}

bool CHotSeg7::SetBlank(bool on)
{
    const bool changed = m_blank != on;
    m_blank = on;
    return changed;
}

bool CHotSeg7::SetDash(bool on)
{
    const bool changed = m_dash != on;
    m_dash = on;
    return changed;
}

void CHotSeg7::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    const Argb background = skin.m_segmentColours[0];
    const Brush unlit = Brush::Solid(skin.m_segmentColours[1]);
    const Brush lit = Brush::Solid(skin.m_segmentColours[2]);
    g.FillRectangle(Brush::Solid(background), RectF::From(m_rect));

    const std::vector<Seg7Cell> cells = Cells();
    for (size_t i = 0; i < cells.size(); ++i) {
        const PointF origin{float(m_rect.left + int32_t(i) * kCellWidth), float(m_rect.top)};
        PointF corners[6];
        for (int segment = 0; segment < 7; ++segment) {
            Seg7SegmentPolygon(segment, origin, 1.0f, 1.0f, corners);
            g.FillPolygon((cells[i].pattern >> segment) & 1 ? lit : unlit, corners, 6);
        }
        if (cells[i].point)
            g.FillEllipse(lit, {origin.x + kCellWidth - 7, origin.y + kCellHeight - 8, 5, 5});
    }
}

// ---------------------------------------------------------------- CHotDigSeg7

CString FormatDigSeg7(uint16_t value, uint32_t mode, uint32_t radix)
{
    CString cells(7, u'@');
    const uint32_t base = radix == 16 ? 16 : 10;
    // Writes v right-aligned so that its last digit lands in endCell.
    auto put = [&](uint32_t v, int endCell, size_t minDigits) {
        CString digits;
        do {
            const uint32_t d = v % base;
            digits.insert(digits.begin(), char16_t(d < 10 ? u'0' + d : u'a' + (d - 10)));
            v /= base;
        } while (v != 0);
        if (digits.size() < minDigits)
            digits.insert(0, minDigits - digits.size(), u'0');
        for (size_t i = 0; i < digits.size(); ++i)
            cells[size_t(endCell) + 1 - digits.size() + i] = digits[i];
    };
    const size_t byteDigits = base == 16 ? 2 : 3;
    const uint32_t high = value >> 8, low = value & 0xFF;
    switch (mode) {
    case 0:
        put(high, 2, byteDigits);
        cells[3] = u' ';
        put(low, 6, byteDigits);
        break;
    case 1:
        put(value, 6, base == 16 ? 4 : 5);
        break;
    case 2:
        put(high, 2, byteDigits);
        break;
    case 3:
        put(low, 2, byteDigits);
        break;
    default:
        break;
    }
    return cells;
}

CHotDigSeg7::CHotDigSeg7()
{
    m_typeCode = kTypeCode;
    m_text = u"@@@@@@@";
    SetDigitCount(7);
}

void CHotDigSeg7::Serialize(CArchive& ar)
{
    CHotSeg7::Serialize(ar);
    if (ar.IsStoring())
        ar << m_mode << m_radix;
    else
        ar >> m_mode >> m_radix;
}

bool CHotDigSeg7::Reformat()
{
    if (m_radix == 0)
        return false;
    return SetText(FormatDigSeg7(m_value, m_mode, m_radix));
}

bool CHotDigSeg7::SetValue(uint16_t value)
{
    m_value = value;
    return Reformat();
}

bool CHotDigSeg7::SetMode(uint32_t mode)
{
    m_mode = mode;
    return Reformat();
}

bool CHotDigSeg7::SetRadix(uint32_t radix)
{
    m_radix = radix;
    return Reformat();
}
