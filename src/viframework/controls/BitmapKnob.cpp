#include "viframework/controls/BitmapKnob.h"

#include "viframework/controls/PanelResources.h"

CHotBitmapKnob::CHotBitmapKnob()
{
    m_typeCode = kTypeCode;
    m_flags = kHotVisible | kHotStatic;
}

void CHotBitmapKnob::Serialize(CArchive& ar)
{
    CHotspot::Serialize(ar);
    if (ar.IsStoring()) {
        ar << m_bitmapId << m_frameCount << m_frame;
        return;
    }
    // Read whole before keeping, so a record cut short changes nothing.
    uint32_t bitmapId = 0, frameCount = 0, frame = 0;
    ar >> bitmapId >> frameCount >> frame;
    m_bitmapId = bitmapId;
    m_frameCount = frameCount;
    m_frame = frame;
}

void CHotBitmapKnob::OnLoaded()
{
    TakeFrameSize();
}

void CHotBitmapKnob::PlaceAt(int32_t x, int32_t y)
{
    TakeFrameSize();
    m_rect = {x, y, x + (m_naturalWidth > 0 ? m_naturalWidth : 10), y + (m_naturalHeight > 0 ? m_naturalHeight : 10)};
}

void CHotBitmapKnob::SetBitmap(uint32_t bitmapId, uint32_t frameCount)
{
    m_bitmapId = bitmapId;
    m_frameCount = frameCount;
    TakeFrameSize();
}

bool CHotBitmapKnob::SetFrame(uint32_t index)
{
    if (index == m_frame)
        return false;
    m_frame = index;
    return true;
}

void CHotBitmapKnob::TakeFrameSize()
{
    const auto image = SharedBitmap(m_bitmapId);
    if (!image || m_frameCount == 0)
        return;
    m_naturalWidth = int32_t(image->width / int64_t(m_frameCount));
    m_naturalHeight = image->height;
}

std::optional<CRect> CHotBitmapKnob::FrameSource() const
{
    const auto image = SharedBitmap(m_bitmapId);
    if (!image || m_frameCount == 0 || m_frame >= m_frameCount)
        return std::nullopt;
    const int64_t width = image->width / int64_t(m_frameCount);
    if (width <= 0 || image->height <= 0)
        return std::nullopt;
    const int64_t left = width * m_frame;
    return CRect{int32_t(left), 0, int32_t(left + width), image->height};
}

void CHotBitmapKnob::Draw(IPanelGraphics& g, CVISkinManager&)
{
    const std::optional<CRect> source = FrameSource();
    if (!source)
        return;
    g.DrawImage(*SharedBitmap(m_bitmapId), RectF::From(m_rect), &*source, kTransparent);
}
