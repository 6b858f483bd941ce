// Points, rectangles and colours of front panels and charts. Panel geometry is in
// integer panel units (CPoint, CRect); drawing takes float coordinates in the
// same units (PointF, RectF), which the graphics backend maps to pixels.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>

struct CPoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const CPoint&) const = default;
};

struct CSize {
    int32_t cx = 0;
    int32_t cy = 0;
    bool operator==(const CSize&) const = default;
};

// Left and top inclusive, right and bottom exclusive.
struct CRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    // Damaged layouts can hold any corners; extents saturate instead of overflowing.
    int32_t Width() const { return Saturate(int64_t(right) - left); }
    int32_t Height() const { return Saturate(int64_t(bottom) - top); }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(CPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    bool Intersects(const CRect& o) const
    {
        return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
    // Grows by dx, dy on every side (shrinks for negative values).
    CRect Inflated(int32_t dx, int32_t dy) const
    {
        return {Saturate(int64_t(left) - dx), Saturate(int64_t(top) - dy), Saturate(int64_t(right) + dx),
                Saturate(int64_t(bottom) + dy)};
    }
    CRect Offset(int32_t dx, int32_t dy) const
    {
        return {Saturate(int64_t(left) + dx), Saturate(int64_t(top) + dy), Saturate(int64_t(right) + dx),
                Saturate(int64_t(bottom) + dy)};
    }
    bool operator==(const CRect&) const = default;

    static int32_t Saturate(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }
};

struct PointF {
    float x = 0;
    float y = 0;
};

struct SizeF {
    float width = 0;
    float height = 0;
};

struct RectF {
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;

    static RectF From(const CRect& r)
    {
        return {float(r.left), float(r.top), float(int64_t(r.right) - r.left), float(int64_t(r.bottom) - r.top)};
    }
    float Right() const { return x + width; }
    float Bottom() const { return y + height; }
    RectF Inflated(float dx, float dy) const { return {x - dx, y - dy, width + 2 * dx, height + 2 * dy}; }
};

// Colours: ARGB words (0xAARRGGBB) for drawing; the platform's COLORREF
// (0x00BBGGRR) where a stored format holds one.
using Argb = uint32_t;

// The colour value that means "the skin's colour for this purpose".
constexpr Argb kSkinColour = 0xFFFFFFFFu;

constexpr Argb ArgbFromColorRef(uint32_t colorRef, uint8_t alpha = 0xFF)
{
    return (uint32_t(alpha) << 24) | ((colorRef & 0xFF) << 16) | (colorRef & 0xFF00) | ((colorRef >> 16) & 0xFF);
}

constexpr uint32_t ColorRefFromArgb(Argb argb)
{
    return ((argb >> 16) & 0xFF) | (argb & 0xFF00) | ((argb & 0xFF) << 16);
}

constexpr uint8_t AlphaOf(Argb c) { return uint8_t(c >> 24); }
constexpr Argb WithAlpha(Argb c, uint8_t alpha) { return (c & 0x00FFFFFFu) | (uint32_t(alpha) << 24); }

// Each of red, green and blue moved by delta and kept within 0..255.
constexpr Argb Shade(Argb c, int delta)
{
    auto channel = [delta](uint32_t v) { return uint32_t(std::clamp(int(v) + delta, 0, 255)); };
    return (c & 0xFF000000u) | (channel((c >> 16) & 0xFF) << 16) | (channel((c >> 8) & 0xFF) << 8) |
           channel(c & 0xFF);
}
