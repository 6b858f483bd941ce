// The panels' graphics on GDI+: panel units map to pixels through the
// world transform, so fonts and pens scale with the zoom.
#pragma once

#include <windows.h>
// GDI+ wants min/max as macros unless told otherwise.
#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

#include <vector>

#include "viframework/controls/PanelGraphics.h"

class CGdiPlusGraphics : public IPanelGraphics {
public:
    // Draws on graphics, scaling panel units by scale.
    CGdiPlusGraphics(Gdiplus::Graphics& graphics, float scale);

    void SetRendering(uint32_t smoothing, uint32_t compositing, uint32_t textHint) override;
    void FillRectangle(const Brush& brush, const RectF& rect) override;
    void FillEllipse(const Brush& brush, const RectF& rect) override;
    void FillPolygon(const Brush& brush, const PointF* points, size_t count) override;
    void FillRoundedRectangle(const Brush& brush, const RectF& rect, float radius) override;
    void FillPie(const Brush& brush, const RectF& rect, float startDegrees, float sweepDegrees) override;
    void DrawLine(const Pen& pen, PointF from, PointF to) override;
    void DrawRectangle(const Pen& pen, const RectF& rect) override;
    void DrawEllipse(const Pen& pen, const RectF& rect) override;
    void DrawRoundedRectangle(const Pen& pen, const RectF& rect, float radius) override;
    void DrawArc(const Pen& pen, const RectF& rect, float startDegrees, float sweepDegrees) override;
    void DrawLines(const Pen& pen, const PointF* points, size_t count, bool closed) override;
    void DrawString(const CString& text, const FontRecord& font, const RectF& layout, Argb colour,
                    const TextFormat& format) override;
    SizeF MeasureString(const CString& text, const FontRecord& font) override;
    void DrawImage(const CPanelImage& image, const RectF& dest, const CRect* source,
                   std::optional<Argb> colourKey) override;
    void DrawMetafile(const std::vector<uint8_t>& bytes, const RectF& dest) override;
    void DrawLayer(CPanelLayer& layer, uint64_t key, const RectF& rect,
                   const std::function<void(IPanelGraphics&)>& paint) override;
    void PushClip(const RectF& rect) override;
    void PopClip() override;

    // A GDI+ font for a stored font record, cached for the process.
    static Gdiplus::Font* FontFor(const FontRecord& font);
    // The GDI+ bitmap of an image, made once and kept with it.
    static Gdiplus::Bitmap* BitmapFor(const CPanelImage& image);

private:
    Gdiplus::Graphics& m_g;
    std::vector<Gdiplus::GraphicsState> m_clips;
};

// Starts GDI+ for the process (once); false when it is not available.
bool StartGdiPlus();
// Installs a text measurer for controls that size themselves to their text.
void InstallGdiPlusTextMeasurer();
