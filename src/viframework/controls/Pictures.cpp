#include "viframework/controls/Pictures.h"

#include <algorithm>

#include "viframework/SkinManager.h"
#include "viframework/controls/PanelResources.h"

namespace {

uint32_t U32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

}  // namespace

std::vector<uint8_t> ReadByteBlock(CArchive& ar, uint32_t count)
{
    constexpr size_t kChunk = 64 * 1024;
    std::vector<uint8_t> bytes;
    while (bytes.size() < count) {
        const size_t part = std::min<size_t>(kChunk, count - bytes.size());
        const size_t at = bytes.size();
        bytes.resize(at + part);
        ar.ReadExact(bytes.data() + at, part);
    }
    return bytes;
}

// ---------------------------------------------------------------- CHotBitmap

CHotBitmap::CHotBitmap()
{
    m_typeCode = kTypeCode;
    m_id = kNoHotspotId;
    m_flags = kHotVisible | kHotStatic;
}

void CHotBitmap::Serialize(CArchive& ar)
{
    CHotspot::Serialize(ar);
    if (ar.IsStoring()) {
        ar << m_bitmapId;
        if (m_bitmapId == 0) {
            ar << uint32_t(m_dib.size());
            ar.Write(m_dib.data(), m_dib.size());
        }
        ar << m_transparent;
        return;
    }
    ar >> m_bitmapId;
    m_dib.clear();
    if (m_bitmapId == 0) {
        uint32_t count = 0;
        ar >> count;
        m_dib = ReadByteBlock(ar, count);
    }
    ar >> m_transparent;
    m_image.reset();
    m_imageTried = false;
}

void CHotBitmap::OnLoaded()
{
    Image();
}

void CHotBitmap::SetBitmap(uint32_t bitmapId)
{
    m_bitmapId = bitmapId;
    m_image.reset();
    m_imageTried = false;
}

void CHotBitmap::SetEmbedded(std::vector<uint8_t> dib)
{
    m_bitmapId = 0;
    m_dib = std::move(dib);
    m_image.reset();
    m_imageTried = false;
}

std::shared_ptr<const CPanelImage> CHotBitmap::Image()
{
    if (!m_imageTried) {
        m_imageTried = true;
        if (m_bitmapId != 0)
            m_image = PanelResources().LoadBitmap(m_bitmapId);
        else
            m_image = DecodeDib(m_dib.data(), m_dib.size());
        if (m_image) {
            m_naturalWidth = m_image->width;
            m_naturalHeight = m_image->height;
        }
    }
    return m_image;
}

void CHotBitmap::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    const auto image = Image();
    if (!image || image->pixels.empty())
        return;
    std::optional<Argb> key;
    if (m_transparent)
        key = image->Pixel(0, 0);
    g.DrawImage(*image, RectF::From(m_rect), nullptr, key);
}

// ---------------------------------------------------------------- CHotMetafile

CHotMetafile::CHotMetafile()
{
    m_typeCode = kTypeCode;
    m_id = kNoHotspotId;
    m_flags = kHotVisible | kHotStatic | kHotDefaultCursor;
    m_naturalWidth = m_naturalHeight = 100;
}

void CHotMetafile::Serialize(CArchive& ar)
{
    CHotspot::Serialize(ar);
    if (ar.IsStoring()) {
        ar << kEncodingEnhanced << uint32_t(m_bytes.size());
        ar.Write(m_bytes.data(), m_bytes.size());
        return;
    }
    uint32_t encoding = 0, count = 0;
    ar >> encoding;
    if (encoding != kEncodingEnhanced)
        throw CArchiveException(CArchiveException::badSchema);
    ar >> count;
    SetMetafile(ReadByteBlock(ar, count));
}

void CHotMetafile::SetMetafile(std::vector<uint8_t> bytes)
{
    m_bytes = std::move(bytes);
    m_naturalWidth = m_naturalHeight = 100;
    // The header record (type 1, signature " EMF") gives the picture's bounds, inclusive.
    if (m_bytes.size() >= 88 && U32(m_bytes.data()) == 1 && U32(m_bytes.data() + 40) == 0x464D4520u) {
        const int32_t left = int32_t(U32(&m_bytes[8])), top = int32_t(U32(&m_bytes[12]));
        const int32_t right = int32_t(U32(&m_bytes[16])), bottom = int32_t(U32(&m_bytes[20]));
        if (right >= left && bottom >= top && int64_t(right) - left < 100000 && int64_t(bottom) - top < 100000) {
            m_naturalWidth = right - left + 1;
            m_naturalHeight = bottom - top + 1;
        }
    }
}

void CHotMetafile::PlaceAt(int32_t x, int32_t y)
{
    m_rect = {x, y, x + 100, y + 100};
    AutoSize();
}

void CHotMetafile::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    if (!m_bytes.empty())
        g.DrawMetafile(m_bytes, RectF::From(m_rect));
}

// ---------------------------------------------------------------- CHotRectangle

CHotRectangle::CHotRectangle()
{
    m_typeCode = kTypeCode;
    m_id = kNoHotspotId;
    m_flags = kHotVisible | kHotStatic | kHotDefaultCursor;
}

void CHotRectangle::Draw(IPanelGraphics& g, CVISkinManager& skin)
{
    g.FillRectangle(Brush::Solid(m_colour), RectF::From(m_rect));
}
