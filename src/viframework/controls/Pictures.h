// Pictures on a panel: bitmaps (from the resource library or embedded in the
// layout), enhanced metafiles, and plain filled rectangles.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "viframework/controls/Hotspot.h"

class CHotBitmap : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotBitmap;

    CHotBitmap();

    void Serialize(CArchive& ar) override;
    void OnLoaded() override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    // A bitmap resource of the resource library; 0 keeps the embedded picture.
    void SetBitmap(uint32_t bitmapId);
    // A packed device-independent bitmap carried by the control itself.
    void SetEmbedded(std::vector<uint8_t> dib);
    // Whether the colour of the top-left pixel is left out when drawing.
    void SetTransparent(bool on) { m_transparent = on ? 1 : 0; }

    uint32_t BitmapId() const { return m_bitmapId; }
    bool IsTransparent() const { return m_transparent != 0; }
    const std::vector<uint8_t>& Embedded() const { return m_dib; }
    // The picture, loaded on first use; none when it cannot be had.
    std::shared_ptr<const CPanelImage> Image();

private:
    uint32_t m_bitmapId = 5500;
    std::vector<uint8_t> m_dib;
    uint8_t m_transparent = 1;
    std::shared_ptr<const CPanelImage> m_image;
    bool m_imageTried = false;
};

class CHotMetafile : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotMetafile;
    static constexpr uint32_t kEncodingPicture = 1;   // older form, not read
    static constexpr uint32_t kEncodingEnhanced = 2;

    CHotMetafile();

    // Reads encoding 2; encoding 1 and unknown encodings raise CArchiveException.
    void Serialize(CArchive& ar) override;
    // 100 x 100, then the metafile's own size when it has one.
    void PlaceAt(int32_t x, int32_t y) override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    // The enhanced metafile's bytes; the natural size follows its header.
    void SetMetafile(std::vector<uint8_t> bytes);
    const std::vector<uint8_t>& Metafile() const { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

class CHotRectangle : public CHotspot {
public:
    static constexpr uint32_t kTypeCode = kHotRectangle;

    CHotRectangle();

    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    void SetColour(Argb colour) { m_colour = colour; }
    Argb Colour() const { return m_colour; }

private:
    Argb m_colour = 0xFF000000u;
};

// Reads a block of count bytes, growing the storage only as bytes arrive, so
// a damaged count ends in CArchiveException rather than a huge allocation.
std::vector<uint8_t> ReadByteBlock(CArchive& ar, uint32_t count);
