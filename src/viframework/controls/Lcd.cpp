#include "viframework/controls/Lcd.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "viframework/SkinManager.h"

namespace {

// Pictures are kept up to this many pixels (4 MB). Larger displays, which a
// panel may hold, are drawn as rectangles on every paint instead, so that no
// accepted record can ask for gigabytes.
constexpr int64_t kMaxPicturePixels = int64_t(1) << 20;

// A stored count or size bounded just past the largest panel: sizing from it
// cannot overflow, and a size that does not fit a panel still comes out too large.
int64_t Bounded(uint32_t v)
{
    return std::min<int64_t>(v, int64_t(kMaxPanelCoordinate) + 1);
}

// Whether a size (panel units, from bounded counts) fits a panel; only damaged
// records give sizes that do not.
bool FitsPanel(int64_t width, int64_t height)
{
    return width <= kMaxPanelCoordinate && height <= kMaxPanelCoordinate;
}

int64_t LcdExtent(uint32_t dots, uint32_t pitch)
{
    return Bounded(dots) * Bounded(pitch) + 1;
}

CSize LcdMatrixSize(uint32_t dotSize, uint32_t gap, uint32_t lineCount, uint32_t columnCount)
{
    const int64_t pitch = Bounded(dotSize) + 1, space = Bounded(gap);
    const int64_t columns = Bounded(columnCount), lines = Bounded(lineCount);
    return {CRect::Saturate(pitch * columns * 5 + (columns + 2) * space - 1),
            CRect::Saturate((lines + 1) * space + pitch * lines * 8 + 1)};
}

// A control's colour, or the skin's graphic-LCD colour (a COLORREF) for kSkinColour.
Argb LcdColour(Argb own, uint32_t skinColorRef)
{
    return own == kSkinColour ? ArgbFromColorRef(skinColorRef) : own;
}

std::array<Argb, 3> LcdColours(const std::array<Argb, 3>& own, const CVISkinManager& skin)
{
    return {LcdColour(own[0], skin.m_lcdColours[0]), LcdColour(own[1], skin.m_lcdColours[1]),
            LcdColour(own[2], skin.m_lcdColours[2])};
}

bool PictureFits(int32_t width, int32_t height)
{
    return int64_t(std::max(width, 0)) * std::max(height, 0) <= kMaxPicturePixels;
}

// Square dots of side `side` at every pair of column and row positions
// (ascending, panel units): one rectangle per row of dots and one per space
// between columns, so that the count follows the rows and columns, not the dots.
void FillDotGrid(IPanelGraphics& g, const std::vector<float>& columns, const std::vector<float>& rows, float side,
                 Argb dot, Argb space)
{
    if (columns.empty() || rows.empty() || side <= 0)
        return;
    const float width = columns.back() + side - columns.front(), height = rows.back() + side - rows.front();
    const Brush dots = Brush::Solid(dot), spaces = Brush::Solid(space);
    for (float y : rows)
        g.FillRectangle(dots, {columns.front(), y, width, side});
    for (size_t i = 0; i + 1 < columns.size(); ++i)
        g.FillRectangle(spaces, {columns[i] + side, rows.front(), columns[i + 1] - columns[i] - side, height});
}

void FillSquare(CPanelImage& image, int32_t x, int32_t y, int32_t side, Argb colour)
{
    for (int32_t row = std::max(y, 0); row < std::min(y + side, image.height); ++row)
        for (int32_t column = std::max(x, 0); column < std::min(x + side, image.width); ++column)
            image.pixels[size_t(row) * image.width + column] = colour;
}

// The columns of the built-in font's glyph for c (a blank one outside the font).
std::array<uint8_t, 5> BuiltInGlyph(char16_t c)
{
    const std::span<const uint8_t> font = BuiltInLcdFont();
    std::array<uint8_t, 5> columns{};
    const uint32_t first = font[3], bytes = font[2];
    if (c >= first && c < 0x7F)
        std::copy_n(font.begin() + 4 + (c - first) * bytes, 5, columns.begin());
    return columns;
}

}  // namespace

// ---------------------------------------------------------------- CHotLCD

CHotLCD::CHotLCD() : m_font(BuiltInLcdFont())
{
    m_typeCode = kTypeCode;
    m_flags = kHotVisible | kHotStatic;
    UpdateSize();
}

void CHotLCD::UpdateSize()
{
    m_naturalWidth = CRect::Saturate(LcdExtent(m_widthDots, m_dotPitch));
    m_naturalHeight = CRect::Saturate(LcdExtent(m_heightDots, m_dotPitch));
    m_pictureStale = true;
}

void CHotLCD::Serialize(CArchive& ar)
{
    CHotspot::Serialize(ar);
    if (ar.IsStoring()) {
        ar << m_widthDots << m_heightDots << m_dotPitch << m_frameColour << m_litColour << m_unlitColour;
    } else {
        // Checked before they are kept: a control whose record fails stays on
        // the panel and must still be drawable.
        uint32_t width = 0, height = 0, pitch = 0;
        ar >> width >> height >> pitch;
        if (!FitsPanel(LcdExtent(width, pitch), LcdExtent(height, pitch)))
            throw CArchiveException(CArchiveException::genericException);
        m_widthDots = width;
        m_heightDots = height;
        m_dotPitch = pitch;
        UpdateSize();
        ar >> m_frameColour >> m_litColour >> m_unlitColour;
    }
}

void CHotLCD::OnLoaded()
{
    UpdateSize();
}

void CHotLCD::PlaceAt(int32_t x, int32_t y)
{
    CHotspot::PlaceAt(x, y);
    AutoSize();
}

void CHotLCD::SetGeometry(uint32_t widthDots, uint32_t heightDots, uint32_t dotPitch)
{
    m_widthDots = widthDots;
    m_heightDots = heightDots;
    m_dotPitch = dotPitch;
    UpdateSize();
}

void CHotLCD::SetColours(Argb frame, Argb lit, Argb unlit)
{
    m_frameColour = frame;
    m_litColour = lit;
    m_unlitColour = unlit;
    m_pictureStale = true;
}

void CHotLCD::Clear()
{
    m_memory.fill(0);
    m_pictureStale = true;
}

void CHotLCD::SetDot(uint32_t x, uint32_t y)
{
    if (x >= kMemoryWidth || y >= kMemoryHeight)
        return;
    m_memory[(y / 8) * kMemoryWidth + x] |= uint8_t(1u << (y % 8));
    m_pictureStale = true;
}

bool CHotLCD::Dot(uint32_t x, uint32_t y) const
{
    return x < kMemoryWidth && y < kMemoryHeight && ((m_memory[(y / 8) * kMemoryWidth + x] >> (y % 8)) & 1) != 0;
}

void CHotLCD::DrawText(int32_t column, int32_t line, const CString& text)
{
    if (m_font.size() < 4)
        return;
    const uint32_t width = m_font[0], height = m_font[1], bytesPerGlyph = m_font[2], first = m_font[3];
    const uint32_t pages = (height + 7) / 8;
    int32_t x = column;
    for (char16_t c : text) {
        const uint32_t code = c & 0xFF;
        const size_t offset = 4 + size_t(code - first) * bytesPerGlyph;
        // A character the table has no glyph for leaves its place dark.
        if (code >= first && offset + bytesPerGlyph <= m_font.size()) {
            for (uint32_t i = 0; i < bytesPerGlyph && i < width * pages; ++i) {
                const int32_t dotColumn = x + int32_t(i / pages);
                const int64_t page = int64_t(line) * pages + i % pages;
                if (dotColumn < 0 || dotColumn >= int32_t(kMemoryWidth) || page < 0 || page >= kMemoryHeight / 8)
                    continue;
                uint8_t& target = m_memory[size_t(page) * kMemoryWidth + size_t(dotColumn)];
                const uint8_t bits = m_font[offset + i];
                target = m_writeMode == kWriteOverwrite ? bits : uint8_t(target | bits);
            }
        }
        x += int32_t(width);
    }
    m_pictureStale = true;
}

std::shared_ptr<const CPanelImage> CHotLCD::Picture(const CVISkinManager& skin)
{
    if (!PictureFits(m_naturalWidth, m_naturalHeight))
        return nullptr;
    const std::array<Argb, 3> colours = LcdColours({m_frameColour, m_litColour, m_unlitColour}, skin);
    if (m_picture && !m_pictureStale && colours == m_pictureColours)
        return m_picture;
    // A fresh picture each time: the backend keeps its converted copy with the old one.
    auto picture = std::make_shared<CPanelImage>(m_naturalWidth, m_naturalHeight);
    std::fill(picture->pixels.begin(), picture->pixels.end(), colours[0]);
    const int32_t pitch = int32_t(m_dotPitch);
    // Below a pitch of 2 dots have no area, however many there are.
    const uint32_t rows = pitch > 1 ? (m_heightDots / 8) * 8 : 0;
    for (uint32_t y = 0; y < rows; ++y)
        for (uint32_t x = 0; x < m_widthDots; ++x)
            FillSquare(*picture, int32_t(x) * pitch + 1, int32_t(y) * pitch + 1, pitch - 1,
                       Dot(x, y) ? colours[1] : colours[2]);
    m_picture = std::move(picture);
    m_pictureColours = colours;
    m_pictureStale = false;
    return m_picture;
}

void CHotLCD::DrawDots(IPanelGraphics& g, const CVISkinManager& skin) const
{
    const std::array<Argb, 3> colours = LcdColours({m_frameColour, m_litColour, m_unlitColour}, skin);
    const float left = float(m_rect.left), top = float(m_rect.top);
    g.FillRectangle(Brush::Solid(colours[0]), {left, top, float(m_naturalWidth), float(m_naturalHeight)});
    if (m_dotPitch < 2)
        return;
    const float pitch = float(m_dotPitch), side = pitch - 1;
    std::vector<float> columns(m_widthDots), rows((m_heightDots / 8) * 8);
    for (size_t x = 0; x < columns.size(); ++x)
        columns[x] = left + 1 + float(x) * pitch;
    for (size_t y = 0; y < rows.size(); ++y)
        rows[y] = top + 1 + float(y) * pitch;
    FillDotGrid(g, columns, rows, side, colours[2], colours[0]);
    const Brush lit = Brush::Solid(colours[1]);
    for (uint32_t y = 0; y < std::min<size_t>(rows.size(), kMemoryHeight); ++y)
        for (uint32_t x = 0; x < std::min<size_t>(columns.size(), kMemoryWidth); ++x)
            if (Dot(x, y))
                g.FillRectangle(lit, {columns[x], rows[y], side, side});
}

void CHotLCD::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    if (const auto picture = Picture(skin))
        g.DrawImage(*picture, {float(m_rect.left), float(m_rect.top), float(picture->width), float(picture->height)});
    else
        DrawDots(g, skin);
}

// ---------------------------------------------------------------- CHotLcdMatrix

CHotLcdMatrix::CHotLcdMatrix()
{
    m_typeCode = kTypeCode;
    m_flags = kHotVisible | kHotStatic;
    m_lines.resize(m_lineCount);
    UpdateSize();
}

CSize CHotLcdMatrix::ComputedSize() const
{
    return LcdMatrixSize(m_dotSize, m_gap, m_lineCount, m_columnCount);
}

void CHotLcdMatrix::UpdateSize()
{
    const CSize size = ComputedSize();
    m_naturalWidth = size.cx;
    m_naturalHeight = size.cy;
    m_pictureStale = true;
}

void CHotLcdMatrix::Serialize(CArchive& ar)
{
    CHotspot::Serialize(ar);
    if (ar.IsStoring()) {
        ar << m_version << m_dotSize << m_colours[0] << m_colours[1] << m_colours[2] << m_gap << m_lineCount
           << m_columnCount;
        return;
    }
    uint32_t version = 0, dotSize = 0, gap = 0, lines = 0, columns = 0;
    ar >> version >> dotSize >> m_colours[0] >> m_colours[1] >> m_colours[2] >> gap >> lines >> columns;
    const CSize size = LcdMatrixSize(dotSize, gap, lines, columns);
    if (!FitsPanel(size.cx, size.cy))
        throw CArchiveException(CArchiveException::genericException);
    m_dotSize = dotSize;
    m_gap = gap;
    m_lineCount = lines;
    m_columnCount = columns;
}

void CHotLcdMatrix::OnLoaded()
{
    m_lines.resize(m_lineCount);
    UpdateSize();
}

void CHotLcdMatrix::PlaceAt(int32_t x, int32_t y)
{
    CHotspot::PlaceAt(x, y);
    SetSize(4, 12);
    AutoSize();
}

void CHotLcdMatrix::SetSize(uint32_t lineCount, uint32_t columnCount)
{
    m_lineCount = lineCount;
    m_columnCount = columnCount;
    m_lines.resize(m_lineCount);
    UpdateSize();
}

void CHotLcdMatrix::SetDots(uint32_t dotSize, uint32_t gap)
{
    m_dotSize = dotSize;
    m_gap = gap;
    UpdateSize();
}

void CHotLcdMatrix::SetColours(Argb background, Argb lit, Argb unlit)
{
    m_colours = {background, lit, unlit};
    m_pictureStale = true;
}

bool CHotLcdMatrix::SetLine(size_t index, const CString& text)
{
    if (index >= m_lines.size() || m_lines[index] == text)
        return false;
    m_lines[index] = text;
    m_pictureStale = true;
    return true;
}

bool CHotLcdMatrix::FormatLine(size_t index, const char* format, ...)
{
    char buffer[kMaxLine + 1];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return SetLine(index, Utf8ToString(buffer));
}

bool CHotLcdMatrix::OnPress(IHotspotHost& host)
{
    if (m_copyOnPress) {
        CString all;
        for (size_t i = 0; i < m_lines.size(); ++i) {
            if (i > 0)
                all += u"\r\n";
            all += m_lines[i];
        }
        host.CopyToClipboard(all);
    } else if (!IsStatic()) {
        host.SendCommand(m_id);
    }
    return false;
}

std::shared_ptr<const CPanelImage> CHotLcdMatrix::Picture(const CVISkinManager& skin)
{
    if (!PictureFits(m_naturalWidth, m_naturalHeight))
        return nullptr;
    const std::array<Argb, 3> colours = LcdColours(m_colours, skin);
    if (m_picture && !m_pictureStale && colours == m_pictureColours)
        return m_picture;
    auto picture = std::make_shared<CPanelImage>(std::max(m_naturalWidth, 0), std::max(m_naturalHeight, 0));
    std::fill(picture->pixels.begin(), picture->pixels.end(), colours[0]);
    const int32_t pitch = int32_t(m_dotSize) + 1, gap = int32_t(m_gap);
    for (uint32_t line = 0; line < m_lineCount; ++line) {
        const CString& text = m_lines[line];
        const int32_t top = gap + int32_t(line) * (8 * pitch + gap);
        for (uint32_t column = 0; column < m_columnCount; ++column) {
            const auto glyph = BuiltInGlyph(column < text.size() ? text[column] : u' ');
            const int32_t left = gap + int32_t(column) * (5 * pitch + gap);
            for (int32_t dx = 0; dx < 5; ++dx)
                for (int32_t dy = 0; dy < 8; ++dy)
                    FillSquare(*picture, left + dx * pitch, top + dy * pitch, int32_t(m_dotSize),
                               (glyph[dx] >> dy) & 1 ? colours[1] : colours[2]);
        }
    }
    m_picture = std::move(picture);
    m_pictureColours = colours;
    m_pictureStale = false;
    return m_picture;
}

void CHotLcdMatrix::DrawDots(IPanelGraphics& g, const CVISkinManager& skin) const
{
    const std::array<Argb, 3> colours = LcdColours(m_colours, skin);
    const float left = float(m_rect.left), top = float(m_rect.top);
    g.FillRectangle(Brush::Solid(colours[0]), {left, top, float(m_naturalWidth), float(m_naturalHeight)});
    const float pitch = float(m_dotSize) + 1, gap = float(m_gap), side = float(m_dotSize);
    std::vector<float> columns, rows;
    for (uint32_t column = 0; column < m_columnCount; ++column)
        for (int dx = 0; dx < 5; ++dx)
            columns.push_back(left + gap + float(column) * (5 * pitch + gap) + float(dx) * pitch);
    for (uint32_t line = 0; line < m_lineCount; ++line)
        for (int dy = 0; dy < 8; ++dy)
            rows.push_back(top + gap + float(line) * (8 * pitch + gap) + float(dy) * pitch);
    FillDotGrid(g, columns, rows, side, colours[2], colours[0]);
    if (side <= 0)
        return;
    const Brush lit = Brush::Solid(colours[1]);
    for (uint32_t line = 0; line < m_lineCount; ++line) {
        const CString& text = m_lines[line];
        for (size_t column = 0; column < std::min<size_t>(text.size(), m_columnCount); ++column) {
            const auto glyph = BuiltInGlyph(text[column]);
            for (size_t dx = 0; dx < 5; ++dx)
                for (size_t dy = 0; dy < 8; ++dy)
                    if ((glyph[dx] >> dy) & 1)
                        g.FillRectangle(lit, {columns[column * 5 + dx], rows[line * 8 + dy], side, side});
        }
    }
}

void CHotLcdMatrix::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    if (const auto picture = Picture(skin))
        g.DrawImage(*picture, {float(m_rect.left), float(m_rect.top), float(picture->width), float(picture->height)});
    else
        DrawDots(g, skin);
}
