// What front-panel controls and the skin draw with. Coordinates are panel
// units; the backend (GDI+ on Windows, a recorder in tests) maps them to
// pixels with the view's zoom, so a control never sees the zoom.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "framework/Archive.h"
#include "framework/Types.h"
#include "framework/Geometry.h"

// A decoded picture: ARGB pixels, top row first. Backends keep their own
// converted copy in `native`, made on first use.
class CPanelImage {
public:
    CPanelImage() = default;
    CPanelImage(int32_t width, int32_t height) : width(width), height(height), pixels(size_t(width) * height) {}

    Argb Pixel(int32_t x, int32_t y) const { return pixels[size_t(y) * width + x]; }

    int32_t width = 0;
    int32_t height = 0;
    std::vector<Argb> pixels;
    mutable std::shared_ptr<void> native;
};

// Decodes a packed device-independent bitmap (header, colour table, bits; the
// form bitmap resources are stored in): 1, 4, 8, 24 and 32 bits per pixel,
// bottom-up or top-down, uncompressed or with bit fields. None for anything
// damaged or unsupported.
std::shared_ptr<CPanelImage> DecodeDib(const uint8_t* data, size_t size);

// A picture a control keeps of a part of itself that seldom changes (a
// knob's body while only its pointer turns). Backends keep their rendered
// copy, and what it was rendered for, in `native`.
struct CPanelLayer {
    std::shared_ptr<void> native;
};

struct Brush {
    enum class Kind { Solid, Linear, Radial };

    // One colour.
    static Brush Solid(Argb colour) { return Brush{Kind::Solid, colour, colour, {}, {}, {}}; }
    // From colour1 at `from` to colour2 at `to`, constant across that line.
    static Brush Linear(PointF from, PointF to, Argb colour1, Argb colour2)
    {
        return Brush{Kind::Linear, colour1, colour2, from, to, {}};
    }
    // colour1 at `centre`, colour2 on the edge of the ellipse in `bounds`.
    static Brush Radial(const RectF& bounds, PointF centre, Argb colour1, Argb colour2)
    {
        return Brush{Kind::Radial, colour1, colour2, centre, {}, bounds};
    }

    Kind kind = Kind::Solid;
    Argb colour1 = 0xFF000000u;
    Argb colour2 = 0xFF000000u;
    PointF from;  // linear start, radial centre
    PointF to;    // linear end
    RectF bounds; // radial ellipse
};

struct Pen {
    Argb colour = 0xFF000000u;
    float width = 1.0f;
};

enum class TextAlign { Near, Centre, Far };

struct TextFormat {
    TextAlign horizontal = TextAlign::Near;
    TextAlign vertical = TextAlign::Near;
    bool wrap = false;
};

class IPanelGraphics {
public:
    virtual ~IPanelGraphics() = default;

    // GDI+ smoothing mode, compositing quality and text rendering hint.
    virtual void SetRendering(uint32_t smoothing, uint32_t compositing, uint32_t textHint) = 0;

    virtual void FillRectangle(const Brush& brush, const RectF& rect) = 0;
    virtual void FillEllipse(const Brush& brush, const RectF& rect) = 0;
    virtual void FillPolygon(const Brush& brush, const PointF* points, size_t count) = 0;
    virtual void FillRoundedRectangle(const Brush& brush, const RectF& rect, float radius) = 0;
    // A pie slice of the ellipse in rect; angles in degrees, clockwise from the x axis.
    virtual void FillPie(const Brush& brush, const RectF& rect, float startDegrees, float sweepDegrees) = 0;

    virtual void DrawLine(const Pen& pen, PointF from, PointF to) = 0;
    virtual void DrawRectangle(const Pen& pen, const RectF& rect) = 0;
    virtual void DrawEllipse(const Pen& pen, const RectF& rect) = 0;
    virtual void DrawRoundedRectangle(const Pen& pen, const RectF& rect, float radius) = 0;
    virtual void DrawArc(const Pen& pen, const RectF& rect, float startDegrees, float sweepDegrees) = 0;
    virtual void DrawLines(const Pen& pen, const PointF* points, size_t count, bool closed) = 0;

    // Font heights are panel units (negative: character height, as stored).
    virtual void DrawString(const CString& text, const FontRecord& font, const RectF& layout, Argb colour,
                            const TextFormat& format) = 0;
    virtual SizeF MeasureString(const CString& text, const FontRecord& font) = 0;

    // The image (or its source part) stretched to dest; pixels of the key
    // colour (alpha ignored) are left out.
    virtual void DrawImage(const CPanelImage& image, const RectF& dest, const CRect* source = nullptr,
                           std::optional<Argb> colourKey = std::nullopt) = 0;
    // An enhanced metafile's bytes played into dest.
    virtual void DrawMetafile(const std::vector<uint8_t>& bytes, const RectF& dest) = 0;

    // What paint draws, which stays within rect, drawn through the layer: a
    // backend that can keep pictures renders it once per key (what the
    // picture shows), zoom and size, and afterwards copies it. Without one it
    // is simply painted.
    virtual void DrawLayer(CPanelLayer& layer, uint64_t key, const RectF& rect,
                           const std::function<void(IPanelGraphics&)>& paint)
    {
        paint(*this);
    }

    // Drawing is limited to the intersection of the pushed rectangles.
    virtual void PushClip(const RectF& rect) = 0;
    virtual void PopClip() = 0;
};

// A font record with face, height and weight, the rest zero.
FontRecord MakeFont(const char16_t* face, int32_t height, int32_t weight = 400);

// Measures text for controls that size themselves outside of drawing (a
// label's AutoSize). The window side installs one that asks the platform;
// without it text is estimated at 0.6 of the font height per character.
class ITextMeasurer {
public:
    virtual ~ITextMeasurer() = default;
    // The extent of one line of text in panel units.
    virtual SizeF MeasureString(const CString& text, const FontRecord& font) = 0;
};

// The process-wide measurer; never null.
ITextMeasurer& TextMeasurer();
// Installs a measurer (null: back to the estimate). The caller keeps ownership.
void SetTextMeasurer(ITextMeasurer* measurer);
