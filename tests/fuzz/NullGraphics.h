// A graphics target that draws nothing, for fuzzers: what was loaded only
// has to survive being drawn.
#pragma once

#include "viframework/controls/PanelGraphics.h"

class CNullGraphics : public IPanelGraphics {
public:
    void SetRendering(uint32_t, uint32_t, uint32_t) override {}
    void FillRectangle(const Brush&, const RectF&) override {}
    void FillEllipse(const Brush&, const RectF&) override {}
    void FillPolygon(const Brush&, const PointF*, size_t) override {}
    void FillRoundedRectangle(const Brush&, const RectF&, float) override {}
    void FillPie(const Brush&, const RectF&, float, float) override {}
    void DrawLine(const Pen&, PointF, PointF) override {}
    void DrawRectangle(const Pen&, const RectF&) override {}
    void DrawEllipse(const Pen&, const RectF&) override {}
    void DrawRoundedRectangle(const Pen&, const RectF&, float) override {}
    void DrawArc(const Pen&, const RectF&, float, float) override {}
    void DrawLines(const Pen&, const PointF*, size_t, bool) override {}
    void DrawString(const CString&, const FontRecord&, const RectF&, Argb, const TextFormat&) override {}
    SizeF MeasureString(const CString&, const FontRecord&) override { return {}; }
    void DrawImage(const CPanelImage&, const RectF&, const CRect*, std::optional<Argb>) override {}
    void DrawMetafile(const std::vector<uint8_t>&, const RectF&) override {}
    void PushClip(const RectF&) override {}
    void PopClip() override {}
};
