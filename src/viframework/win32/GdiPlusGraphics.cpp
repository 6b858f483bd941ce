#include "viframework/win32/GdiPlusGraphics.h"

#include <objidl.h>
#include <shlwapi.h>

#include <cmath>
#include <map>
#include <memory>
#include <tuple>

#include "framework/win32/WinApp.h"

using namespace Gdiplus;

namespace {

Color ToColor(Argb c)
{
    return Color(c);
}

// A brush for one call; GDI+ brushes are cheap to make.
std::unique_ptr<Gdiplus::Brush> MakeBrush(const ::Brush& b)
{
    switch (b.kind) {
    case ::Brush::Kind::Linear: {
        Gdiplus::PointF from(b.from.x, b.from.y), to(b.to.x, b.to.y);
        if (from.X == to.X && from.Y == to.Y)
            to.Y += 1;
        auto brush = std::make_unique<LinearGradientBrush>(from, to, ToColor(b.colour1), ToColor(b.colour2));
        // Beyond the ends the end colours continue instead of repeating.
        brush->SetWrapMode(WrapModeTileFlipXY);
        return brush;
    }
    case ::Brush::Kind::Radial: {
        GraphicsPath path;
        path.AddEllipse(b.bounds.x, b.bounds.y, b.bounds.width, b.bounds.height);
        auto brush = std::make_unique<PathGradientBrush>(&path);
        brush->SetCenterPoint(Gdiplus::PointF(b.from.x, b.from.y));
        brush->SetCenterColor(ToColor(b.colour1));
        Color surround = ToColor(b.colour2);
        INT count = 1;
        brush->SetSurroundColors(&surround, &count);
        return brush;
    }
    case ::Brush::Kind::Solid:
    default:
        return std::make_unique<SolidBrush>(ToColor(b.colour1));
    }
}

Gdiplus::Pen MakePen(const ::Pen& p)
{
    return Gdiplus::Pen(ToColor(p.colour), p.width);
}

Gdiplus::RectF ToRectF(const ::RectF& r)
{
    return Gdiplus::RectF(r.x, r.y, r.width, r.height);
}

void AddRoundedRectangle(GraphicsPath& path, const ::RectF& r, float radius)
{
    const float d = std::min({radius * 2, r.width, r.height});
    if (d <= 0) {
        path.AddRectangle(ToRectF(r));
        return;
    }
    path.AddArc(r.x, r.y, d, d, 180, 90);
    path.AddArc(r.x + r.width - d, r.y, d, d, 270, 90);
    path.AddArc(r.x + r.width - d, r.y + r.height - d, d, d, 0, 90);
    path.AddArc(r.x, r.y + r.height - d, d, d, 90, 90);
    path.CloseFigure();
}

std::vector<Gdiplus::PointF> ToPoints(const ::PointF* points, size_t count)
{
    std::vector<Gdiplus::PointF> out;
    out.reserve(count);
    for (size_t i = 0; i < count; ++i)
        out.emplace_back(points[i].x, points[i].y);
    return out;
}

StringAlignment ToAlignment(TextAlign a)
{
    switch (a) {
    case TextAlign::Centre: return StringAlignmentCenter;
    case TextAlign::Far: return StringAlignmentFar;
    default: return StringAlignmentNear;
    }
}

// A layer's rendered picture and what it was rendered for. Its pixels sit
// at whole device pixels; the layer's place within a pixel is kept, so that a
// layer moved by whole pixels shows exactly what painting it anew would.
struct LayerPicture {
    uint64_t key = 0;
    REAL scaleX = 0, scaleY = 0;
    REAL width = 0, height = 0;      // the layer's rectangle [panel units]
    REAL fractionX = 0, fractionY = 0;
    SmoothingMode smoothing = SmoothingModeDefault;
    CompositingQuality compositing = CompositingQualityDefault;
    TextRenderingHint textHint = TextRenderingHintSystemDefault;
    PixelOffsetMode pixelOffset = PixelOffsetModeDefault;
    std::unique_ptr<Bitmap> bitmap;

    bool operator==(const LayerPicture& o) const
    {
        return std::tie(key, scaleX, scaleY, width, height, fractionX, fractionY, smoothing, compositing, textHint,
                        pixelOffset) == std::tie(o.key, o.scaleX, o.scaleY, o.width, o.height, o.fractionX,
                                                 o.fractionY, o.smoothing, o.compositing, o.textHint, o.pixelOffset);
    }
};

// Room around a layer's rectangle for antialiased edges [device pixels].
constexpr INT kLayerMargin = 2;
// Larger layers are painted directly rather than kept.
constexpr INT kLargestLayer = 2048;

}  // namespace

CGdiPlusGraphics::CGdiPlusGraphics(Graphics& graphics, float scale) : m_g(graphics)
{
    m_g.SetPageUnit(UnitPixel);
    m_g.ScaleTransform(scale, scale);
}

void CGdiPlusGraphics::SetRendering(uint32_t smoothing, uint32_t compositing, uint32_t textHint)
{
    m_g.SetSmoothingMode(static_cast<SmoothingMode>(smoothing));
    m_g.SetCompositingQuality(static_cast<CompositingQuality>(compositing));
    m_g.SetTextRenderingHint(static_cast<TextRenderingHint>(textHint));
}

void CGdiPlusGraphics::FillRectangle(const ::Brush& brush, const ::RectF& rect)
{
    m_g.FillRectangle(MakeBrush(brush).get(), ToRectF(rect));
}

void CGdiPlusGraphics::FillEllipse(const ::Brush& brush, const ::RectF& rect)
{
    m_g.FillEllipse(MakeBrush(brush).get(), ToRectF(rect));
}

void CGdiPlusGraphics::FillPolygon(const ::Brush& brush, const ::PointF* points, size_t count)
{
    if (count < 3)
        return;
    const auto pts = ToPoints(points, count);
    m_g.FillPolygon(MakeBrush(brush).get(), pts.data(), INT(pts.size()));
}

void CGdiPlusGraphics::FillRoundedRectangle(const ::Brush& brush, const ::RectF& rect, float radius)
{
    GraphicsPath path;
    AddRoundedRectangle(path, rect, radius);
    m_g.FillPath(MakeBrush(brush).get(), &path);
}

void CGdiPlusGraphics::FillPie(const ::Brush& brush, const ::RectF& rect, float startDegrees, float sweepDegrees)
{
    m_g.FillPie(MakeBrush(brush).get(), ToRectF(rect), startDegrees, sweepDegrees);
}

void CGdiPlusGraphics::DrawLine(const ::Pen& pen, ::PointF from, ::PointF to)
{
    auto p = MakePen(pen);
    m_g.DrawLine(&p, from.x, from.y, to.x, to.y);
}

void CGdiPlusGraphics::DrawRectangle(const ::Pen& pen, const ::RectF& rect)
{
    auto p = MakePen(pen);
    m_g.DrawRectangle(&p, ToRectF(rect));
}

void CGdiPlusGraphics::DrawEllipse(const ::Pen& pen, const ::RectF& rect)
{
    auto p = MakePen(pen);
    m_g.DrawEllipse(&p, ToRectF(rect));
}

void CGdiPlusGraphics::DrawRoundedRectangle(const ::Pen& pen, const ::RectF& rect, float radius)
{
    GraphicsPath path;
    AddRoundedRectangle(path, rect, radius);
    auto p = MakePen(pen);
    m_g.DrawPath(&p, &path);
}

void CGdiPlusGraphics::DrawArc(const ::Pen& pen, const ::RectF& rect, float startDegrees, float sweepDegrees)
{
    auto p = MakePen(pen);
    m_g.DrawArc(&p, ToRectF(rect), startDegrees, sweepDegrees);
}

void CGdiPlusGraphics::DrawLines(const ::Pen& pen, const ::PointF* points, size_t count, bool closed)
{
    if (count < 2)
        return;
    const auto pts = ToPoints(points, count);
    auto p = MakePen(pen);
    if (closed)
        m_g.DrawPolygon(&p, pts.data(), INT(pts.size()));
    else
        m_g.DrawLines(&p, pts.data(), INT(pts.size()));
}

Font* CGdiPlusGraphics::FontFor(const FontRecord& record)
{
    using Key = std::tuple<CString, int32_t, int32_t>;
    static std::map<Key, std::unique_ptr<Font>> fonts;
    INT style = FontStyleRegular;
    if (record.weight >= 600)
        style |= FontStyleBold;
    if (record.italic)
        style |= FontStyleItalic;
    if (record.underline)
        style |= FontStyleUnderline;
    if (record.strikeOut)
        style |= FontStyleStrikeout;
    const Key key{record.faceName, record.height, style};
    auto& font = fonts[key];
    if (!font) {
        // Through the system's font mapper, which picks the bold and italic
        // faces of a family (GDI+'s own lookup may only find the regular one).
        LOGFONTW logFont{};
        logFont.lfHeight = record.height != 0 ? record.height : -11;
        logFont.lfWeight = record.weight;
        logFont.lfItalic = record.italic;
        logFont.lfUnderline = record.underline;
        logFont.lfStrikeOut = record.strikeOut;
        logFont.lfCharSet = DEFAULT_CHARSET;
        logFont.lfQuality = ANTIALIASED_QUALITY;
        wcsncpy(logFont.lfFaceName, Wide(record.faceName), LF_FACESIZE - 1);
        HDC screen = GetDC(nullptr);
        font = std::make_unique<Font>(screen, &logFont);
        ReleaseDC(nullptr, screen);
        if (font->GetLastStatus() != Ok) {
            // An unknown face: the panel still gets legible text.
            const float size = record.height < 0 ? float(-record.height) : std::max(1.0f, float(record.height) * 0.8f);
            font = std::make_unique<Font>(FontFamily::GenericSansSerif(), size, style, UnitPixel);
        }
    }
    return font.get();
}

void CGdiPlusGraphics::DrawString(const CString& text, const FontRecord& font, const ::RectF& layout, Argb colour,
                                  const TextFormat& format)
{
    // Typographic layout draws exactly what MeasureString measures.
    StringFormat sf(StringFormat::GenericTypographic());
    sf.SetAlignment(ToAlignment(format.horizontal));
    sf.SetLineAlignment(ToAlignment(format.vertical));
    sf.SetTrimming(StringTrimmingNone);
    Gdiplus::RectF box = ToRectF(layout);
    if (!format.wrap) {
        sf.SetFormatFlags(sf.GetFormatFlags() | StringFormatFlagsNoWrap | StringFormatFlagsNoClip);
        // A line a little wider than its box (fonts differ between systems)
        // is shown whole: the box grows on the side the alignment leaves free.
        const float needed = MeasureString(text, font).width + 2;
        if (needed > box.Width) {
            const float extra = needed - box.Width;
            if (format.horizontal == TextAlign::Centre)
                box.X -= extra / 2;
            else if (format.horizontal == TextAlign::Far)
                box.X -= extra;
            box.Width = needed;
        }
    }
    SolidBrush brush{ToColor(colour)};
    m_g.DrawString(Wide(text), INT(text.size()), FontFor(font), box, &sf, &brush);
}

::SizeF CGdiPlusGraphics::MeasureString(const CString& text, const FontRecord& font)
{
    Gdiplus::RectF bounds;
    StringFormat sf(StringFormat::GenericTypographic());
    sf.SetFormatFlags(sf.GetFormatFlags() | StringFormatFlagsMeasureTrailingSpaces);
    m_g.MeasureString(Wide(text), INT(text.size()), FontFor(font), Gdiplus::PointF(0, 0), &sf, &bounds);
    return {bounds.Width, bounds.Height};
}

Bitmap* CGdiPlusGraphics::BitmapFor(const CPanelImage& image)
{
    if (!image.native && image.width > 0 && image.height > 0) {
        auto* bitmap = new Bitmap(image.width, image.height, PixelFormat32bppARGB);
        BitmapData data;
        Gdiplus::Rect all(0, 0, image.width, image.height);
        if (bitmap->LockBits(&all, ImageLockModeWrite, PixelFormat32bppARGB, &data) == Ok) {
            for (int32_t y = 0; y < image.height; ++y)
                memcpy(static_cast<uint8_t*>(data.Scan0) + y * data.Stride, &image.pixels[size_t(y) * image.width],
                       size_t(image.width) * 4);
            bitmap->UnlockBits(&data);
        }
        image.native = std::shared_ptr<void>(bitmap, [](void* p) { delete static_cast<Bitmap*>(p); });
    }
    return static_cast<Bitmap*>(image.native.get());
}

void CGdiPlusGraphics::DrawImage(const CPanelImage& image, const ::RectF& dest, const CRect* source,
                                 std::optional<Argb> colourKey)
{
    Bitmap* bitmap = BitmapFor(image);
    if (!bitmap)
        return;
    const CRect src = source ? *source : CRect{0, 0, image.width, image.height};
    ImageAttributes attributes;
    if (colourKey) {
        const Color key(*colourKey | 0xFF000000u);
        attributes.SetColorKey(key, key);
    }
    // Half-pixel offsets keep stretched edges from bleeding in the neighbours' colour.
    attributes.SetWrapMode(WrapModeTileFlipXY);
    m_g.DrawImage(bitmap, ToRectF(dest), float(src.left), float(src.top), float(src.Width()), float(src.Height()),
                  UnitPixel, &attributes);
}

void CGdiPlusGraphics::DrawMetafile(const std::vector<uint8_t>& bytes, const ::RectF& dest)
{
    if (bytes.empty())
        return;
    IStream* stream = SHCreateMemStream(bytes.data(), UINT(bytes.size()));
    if (!stream)
        return;
    {
        Metafile metafile(stream);
        if (metafile.GetLastStatus() == Ok)
            m_g.DrawImage(&metafile, ToRectF(dest));
    }
    stream->Release();
}

void CGdiPlusGraphics::DrawLayer(CPanelLayer& layer, uint64_t key, const ::RectF& rect,
                                 const std::function<void(IPanelGraphics&)>& paint)
{
    Matrix world;
    m_g.GetTransform(&world);
    REAL m[6];
    world.GetElements(m);
    const REAL x = rect.x * m[0] + m[4], y = rect.y * m[3] + m[5];
    const REAL w = rect.width * m[0], h = rect.height * m[3];
    // Kept pictures are for zoom and offset only, of a size worth keeping,
    // somewhere near the device.
    if (m[1] != 0 || m[2] != 0 || m[0] <= 0 || m[3] <= 0 || !(w > 0 && w <= kLargestLayer) ||
        !(h > 0 && h <= kLargestLayer) || !(std::fabs(x) < 1e6f && std::fabs(y) < 1e6f)) {
        paint(*this);
        return;
    }
    const INT left = INT(std::floor(x)) - kLayerMargin, top = INT(std::floor(y)) - kLayerMargin;
    const INT width = INT(std::ceil(x + w)) + kLayerMargin - left;
    const INT height = INT(std::ceil(y + h)) + kLayerMargin - top;

    LayerPicture wanted;
    wanted.key = key;
    wanted.scaleX = m[0];
    wanted.scaleY = m[3];
    wanted.width = rect.width;
    wanted.height = rect.height;
    wanted.fractionX = x - std::floor(x);
    wanted.fractionY = y - std::floor(y);
    wanted.smoothing = m_g.GetSmoothingMode();
    wanted.compositing = m_g.GetCompositingQuality();
    wanted.textHint = m_g.GetTextRenderingHint();
    wanted.pixelOffset = m_g.GetPixelOffsetMode();

    auto* kept = static_cast<LayerPicture*>(layer.native.get());
    if (!kept || !(*kept == wanted) || !kept->bitmap) {
        auto bitmap = std::make_unique<Bitmap>(width, height, PixelFormat32bppPARGB);
        if (bitmap->GetLastStatus() != Ok) {
            paint(*this);
            return;
        }
        {
            Graphics g(bitmap.get());
            g.Clear(Color(0, 0, 0, 0));
            g.SetSmoothingMode(wanted.smoothing);
            g.SetCompositingQuality(wanted.compositing);
            g.SetTextRenderingHint(wanted.textHint);
            g.SetPixelOffsetMode(wanted.pixelOffset);
            CGdiPlusGraphics inner(g, 1.0f);
            Matrix local(m[0], 0, 0, m[3], m[4] - REAL(left), m[5] - REAL(top));
            g.SetTransform(&local);
            paint(inner);
        }
        wanted.bitmap = std::move(bitmap);
        auto* picture = new LayerPicture(std::move(wanted));
        layer.native = std::shared_ptr<void>(picture, [](void* p) { delete static_cast<LayerPicture*>(p); });
        kept = picture;
    }

    // Copied one to one onto whole device pixels.
    const GraphicsState state = m_g.Save();
    m_g.ResetTransform();
    m_g.SetPixelOffsetMode(PixelOffsetModeNone);
    m_g.SetInterpolationMode(InterpolationModeNearestNeighbor);
    m_g.DrawImage(kept->bitmap.get(), Gdiplus::Rect(left, top, width, height), 0, 0, width, height, UnitPixel);
    m_g.Restore(state);
}

void CGdiPlusGraphics::PushClip(const ::RectF& rect)
{
    m_clips.push_back(m_g.Save());
    m_g.IntersectClip(ToRectF(rect));
}

void CGdiPlusGraphics::PopClip()
{
    if (m_clips.empty())
        return;
    m_g.Restore(m_clips.back());
    m_clips.pop_back();
}

bool StartGdiPlus()
{
    static bool started = [] {
        GdiplusStartupInput input;
        ULONG_PTR token = 0;
        // Never shut down: GDI+ may not be stopped while the loader lock is
        // held, and the process ends soon after the plug-in is unloaded.
        return GdiplusStartup(&token, &input, nullptr) == Ok;
    }();
    return started;
}

namespace {

// Measures with a graphics object on the screen at one pixel per panel unit.
class CGdiPlusTextMeasurer : public ITextMeasurer {
public:
    ::SizeF MeasureString(const CString& text, const FontRecord& font) override
    {
        HDC screen = GetDC(nullptr);
        ::SizeF size;
        {
            Graphics graphics(screen);
            size = CGdiPlusGraphics(graphics, 1.0f).MeasureString(text, font);
        }
        ReleaseDC(nullptr, screen);
        return size;
    }
};

}  // namespace

void InstallGdiPlusTextMeasurer()
{
    static CGdiPlusTextMeasurer measurer;
    SetTextMeasurer(&measurer);
}
