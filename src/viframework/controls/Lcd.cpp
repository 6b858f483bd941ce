#include "viframework/controls/Lcd.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "viframework/SkinManager.h"

namespace {

// Limits of a sane record; anything beyond is damage, not a display.
// Limits on what a layout may ask for; beyond them it is damaged. They keep
// the pictures the displays draw into at a few megabytes.
constexpr uint32_t kMaxDots = 256;   // graphic LCD dots per side
constexpr uint32_t kMaxPitch = 12;   // dot pitch, dot size and gap [panel units]
constexpr uint32_t kMaxCells = 32;   // character LCD lines and columns

// A control's colour, or the skin's graphic-LCD colour (a COLORREF) for kSkinColour.
Argb LcdColour(Argb own, uint32_t skinColorRef)
{
    return own == kSkinColour ? ArgbFromColorRef(skinColorRef) : own;
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
    m_naturalWidth = int32_t(m_widthDots * m_dotPitch + 1);
    m_naturalHeight = int32_t(m_heightDots * m_dotPitch + 1);
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
        if (width > kMaxDots || height > kMaxDots || pitch > kMaxPitch)
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
    const std::array<Argb, 3> colours = {LcdColour(m_frameColour, skin.m_lcdColours[0]),
                                         LcdColour(m_litColour, skin.m_lcdColours[1]),
                                         LcdColour(m_unlitColour, skin.m_lcdColours[2])};
    if (m_picture && !m_pictureStale && colours == m_pictureColours)
        return m_picture;
    // A fresh picture each time: the backend keeps its converted copy with the old one.
    auto picture = std::make_shared<CPanelImage>(m_naturalWidth, m_naturalHeight);
    std::fill(picture->pixels.begin(), picture->pixels.end(), colours[0]);
    const int32_t pitch = int32_t(m_dotPitch);
    const uint32_t rows = (m_heightDots / 8) * 8;
    for (uint32_t y = 0; y < rows; ++y)
        for (uint32_t x = 0; x < m_widthDots; ++x)
            FillSquare(*picture, int32_t(x) * pitch + 1, int32_t(y) * pitch + 1, pitch - 1,
                       Dot(x, y) ? colours[1] : colours[2]);
    m_picture = std::move(picture);
    m_pictureColours = colours;
    m_pictureStale = false;
    return m_picture;
}

void CHotLCD::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    const auto picture = Picture(skin);
    g.DrawImage(*picture, {float(m_rect.left), float(m_rect.top), float(picture->width), float(picture->height)});
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
    const int32_t pitch = int32_t(m_dotSize) + 1, gap = int32_t(m_gap);
    const int32_t columns = int32_t(m_columnCount), lines = int32_t(m_lineCount);
    return {pitch * columns * 5 + (columns + 2) * gap - 1, (lines + 1) * gap + pitch * lines * 8 + 1};
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
    if (dotSize > kMaxPitch || gap > kMaxPitch || lines > kMaxCells || columns > kMaxCells)
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
    const std::array<Argb, 3> colours = {LcdColour(m_colours[0], skin.m_lcdColours[0]),
                                         LcdColour(m_colours[1], skin.m_lcdColours[1]),
                                         LcdColour(m_colours[2], skin.m_lcdColours[2])};
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

void CHotLcdMatrix::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    const auto picture = Picture(skin);
    g.DrawImage(*picture, {float(m_rect.left), float(m_rect.top), float(picture->width), float(picture->height)});
}
