#include "SkinPreview.h"

#include <cmath>
#include <cstdio>
#include <sstream>
#include <vector>

#include "viframework/SkinManager.h"

namespace {

std::string Number(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", double(value));
    return text;
}

std::string Rgb(Argb c)
{
    char text[16];
    std::snprintf(text, sizeof text, "#%06X", unsigned(c & 0xFFFFFFu));
    return text;
}

std::string Opacity(Argb c)
{
    return Number(float(AlphaOf(c)) / 255.0f);
}

std::string Escape(const CString& text)
{
    std::string out;
    for (char c : StringToUtf8(text)) {
        if (c == '<')
            out += "&lt;";
        else if (c == '&')
            out += "&amp;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

// Records the panel's drawing calls as SVG elements.
class CSvgGraphics : public IPanelGraphics {
public:
    void SetRendering(uint32_t, uint32_t, uint32_t) override {}
    void FillRectangle(const Brush& b, const RectF& r) override { FillRoundedRectangle(b, r, 0); }
    void FillEllipse(const Brush& b, const RectF& r) override
    {
        m_body << "<ellipse cx='" << Number(r.x + r.width / 2) << "' cy='" << Number(r.y + r.height / 2) << "' rx='"
               << Number(r.width / 2) << "' ry='" << Number(r.height / 2) << "' " << Fill(b) << "/>\n";
    }
    void FillPolygon(const Brush& b, const PointF* p, size_t n) override
    {
        m_body << "<polygon points='" << Points(p, n) << "' " << Fill(b) << "/>\n";
    }
    void FillRoundedRectangle(const Brush& b, const RectF& r, float radius) override
    {
        m_body << "<rect " << Box(r, radius) << Fill(b) << "/>\n";
    }
    void FillPie(const Brush& b, const RectF& r, float start, float sweep) override
    {
        m_body << "<path d='M " << Number(r.x + r.width / 2) << " " << Number(r.y + r.height / 2) << " L "
               << ArcPath(r, start, sweep, false) << " Z' " << Fill(b) << "/>\n";
    }
    void DrawLine(const Pen& p, PointF a, PointF b) override
    {
        m_body << "<line x1='" << Number(a.x) << "' y1='" << Number(a.y) << "' x2='" << Number(b.x) << "' y2='"
               << Number(b.y) << "' " << Stroke(p) << "/>\n";
    }
    void DrawRectangle(const Pen& p, const RectF& r) override { DrawRoundedRectangle(p, r, 0); }
    void DrawEllipse(const Pen& p, const RectF& r) override
    {
        m_body << "<ellipse cx='" << Number(r.x + r.width / 2) << "' cy='" << Number(r.y + r.height / 2) << "' rx='"
               << Number(r.width / 2) << "' ry='" << Number(r.height / 2) << "' fill='none' " << Stroke(p) << "/>\n";
    }
    void DrawRoundedRectangle(const Pen& p, const RectF& r, float radius) override
    {
        m_body << "<rect " << Box(r, radius) << "fill='none' " << Stroke(p) << "/>\n";
    }
    void DrawArc(const Pen& p, const RectF& r, float start, float sweep) override
    {
        m_body << "<path d='M " << ArcPath(r, start, sweep, true) << "' fill='none' " << Stroke(p)
               << " stroke-linecap='round'/>\n";
    }
    void DrawLines(const Pen& p, const PointF* pts, size_t n, bool closed) override
    {
        m_body << "<" << (closed ? "polygon" : "polyline") << " points='" << Points(pts, n) << "' fill='none' "
               << Stroke(p) << " stroke-linecap='round' stroke-linejoin='round'/>\n";
    }
    void DrawString(const CString& text, const FontRecord& font, const RectF& r, Argb colour,
                    const TextFormat& format) override
    {
        const char* anchor = format.horizontal == TextAlign::Centre ? "middle"
                             : format.horizontal == TextAlign::Far  ? "end"
                                                                    : "start";
        const float x = format.horizontal == TextAlign::Centre ? r.x + r.width / 2
                        : format.horizontal == TextAlign::Far  ? r.Right()
                                                               : r.x;
        const float size = float(std::abs(font.height));
        const float y = format.vertical == TextAlign::Centre ? r.y + r.height / 2 + size * 0.35f
                        : format.vertical == TextAlign::Far  ? r.Bottom() - size * 0.25f
                                                             : r.y + size;
        m_body << "<text x='" << Number(x) << "' y='" << Number(y) << "' font-family='" << Escape(font.faceName)
               << ", DejaVu Sans, sans-serif' font-size='" << Number(size) << "' font-weight='" << font.weight
               << "' text-anchor='" << anchor << "'" << (font.underline ? " text-decoration='underline'" : "")
               << " fill='" << Rgb(colour) << "' fill-opacity='" << Opacity(colour) << "'>" << Escape(text)
               << "</text>\n";
    }
    SizeF MeasureString(const CString& text, const FontRecord& font) override
    {
        const float h = float(std::abs(font.height));
        return {0.55f * h * float(text.size()), 1.2f * h};
    }
    void DrawImage(const CPanelImage&, const RectF& dest, const CRect*, std::optional<Argb>) override
    {
        m_body << "<rect " << Box(dest, 0) << "fill='none' stroke='#FF00FF' stroke-dasharray='2'/>\n";
    }
    void DrawMetafile(const std::vector<uint8_t>&, const RectF&) override {}
    void PushClip(const RectF& r) override
    {
        const int id = m_nextId++;
        m_defs << "<clipPath id='c" << id << "'><rect " << Box(r, 0) << "/></clipPath>\n";
        m_body << "<g clip-path='url(#c" << id << ")'>\n";
    }
    void PopClip() override { m_body << "</g>\n"; }

    std::string Document(float width, float height, float zoom) const
    {
        std::ostringstream out;
        out << "<svg xmlns='http://www.w3.org/2000/svg' width='" << Number(width * zoom) << "' height='"
            << Number(height * zoom) << "' viewBox='0 0 " << Number(width) << " " << Number(height) << "'>\n<defs>\n"
            << m_defs.str() << "</defs>\n" << m_body.str() << "</svg>\n";
        return out.str();
    }

private:
    static std::string Box(const RectF& r, float radius)
    {
        return "x='" + Number(r.x) + "' y='" + Number(r.y) + "' width='" + Number(std::max(0.0f, r.width)) +
               "' height='" + Number(std::max(0.0f, r.height)) + "' rx='" + Number(radius) + "' ";
    }
    static std::string Points(const PointF* p, size_t n)
    {
        std::string out;
        for (size_t i = 0; i < n; ++i)
            out += Number(p[i].x) + "," + Number(p[i].y) + " ";
        return out;
    }
    static std::string ArcPath(const RectF& r, float start, float sweep, bool move)
    {
        const float rx = r.width / 2, ry = r.height / 2, cx = r.x + rx, cy = r.y + ry;
        const float a0 = start * 3.14159265f / 180, a1 = (start + sweep) * 3.14159265f / 180;
        return Number(cx + rx * std::cos(a0)) + " " + Number(cy + ry * std::sin(a0)) + " A " + Number(rx) + " " +
               Number(ry) + " 0 " + (std::fabs(sweep) > 180 ? "1" : "0") + " " + (sweep > 0 ? "1" : "0") + " " +
               Number(cx + rx * std::cos(a1)) + " " + Number(cy + ry * std::sin(a1));
    }
    std::string Stroke(const Pen& p) const
    {
        return "stroke='" + Rgb(p.colour) + "' stroke-opacity='" + Opacity(p.colour) + "' stroke-width='" +
               Number(p.width) + "'";
    }
    std::string Fill(const Brush& b)
    {
        if (b.kind == Brush::Kind::Solid)
            return "fill='" + Rgb(b.colour1) + "' fill-opacity='" + Opacity(b.colour1) + "'";
        const int id = m_nextId++;
        const std::string stops = "<stop offset='0' stop-color='" + Rgb(b.colour1) + "' stop-opacity='" +
                                  Opacity(b.colour1) + "'/><stop offset='1' stop-color='" + Rgb(b.colour2) +
                                  "' stop-opacity='" + Opacity(b.colour2) + "'/>";
        if (b.kind == Brush::Kind::Linear) {
            m_defs << "<linearGradient id='g" << id << "' gradientUnits='userSpaceOnUse' x1='" << Number(b.from.x)
                   << "' y1='" << Number(b.from.y) << "' x2='" << Number(b.to.x) << "' y2='" << Number(b.to.y)
                   << "'>" << stops << "</linearGradient>\n";
        } else {
            const RectF& e = b.bounds;
            m_defs << "<radialGradient id='g" << id << "' gradientUnits='userSpaceOnUse' cx='"
                   << Number(e.x + e.width / 2) << "' cy='" << Number(e.y + e.height / 2) << "' r='"
                   << Number(e.width / 2) << "' fx='" << Number(b.from.x) << "' fy='" << Number(b.from.y) << "'>"
                   << stops << "</radialGradient>\n";
        }
        return "fill='url(#g" + std::to_string(id) + ")'";
    }

    std::ostringstream m_defs;
    std::ostringstream m_body;
    int m_nextId = 0;
};

}  // namespace

std::string PreviewSkin(CVISkinManager& skin, float zoom)
{
    constexpr float kWidth = 340, kHeight = 250;
    CSvgGraphics g;
    skin.PrepareGraphics(g);
    skin.FillBackground(g, {0, 0, kWidth, kHeight});
    const FontRecord label = MakeFont(u"Tahoma", -9, 700);

    // Row 1: push buttons idle, hovered, pressed; accent, pill, small.
    float y = 8;
    skin.DrawLabelText(g, {8, y, 120, 10}, u"BUTTONS", label, kSkinColour);
    y += 12;
    const struct {
        const char16_t* text;
        uint32_t style;
        bool hover, pressed;
    } buttons[] = {{u"RUN", 0, false, false}, {u"HOLD", 0, true, false}, {u"STEP", 0, false, true},
                   {u"START", 2, false, false}, {u"STOP", 2, true, false}, {u"AUTO", 1, false, false},
                   {u"1", 4, false, false}};
    float x = 8;
    for (const auto& b : buttons) {
        const CSize size = CVISkinManager::GetButtonSize(b.style);
        skin.DrawButton(g, {x, y, float(size.cx), float(size.cy)}, b.text, b.style, b.hover, b.pressed);
        x += float(size.cx) + 6;
    }

    // Row 2: toggles, drop-down, up/down.
    y += 32;
    skin.DrawLabelText(g, {8, y, 120, 10}, u"TOGGLES", label, kSkinColour);
    y += 12;
    x = 8;
    for (int i = 0; i < 4; ++i, x += 22)
        skin.DrawCheck(g, {x, y, 22, 22}, i == 2, i == 3, i % 2 == 1);
    for (int i = 0; i < 4; ++i, x += 22)
        skin.DrawRadio(g, {x, y, 22, 22}, i == 2, i == 3, i % 2 == 1);
    skin.DrawMenuBox(g, {x + 6, y + 1, 64, 20}, u"10 V", false, false);
    skin.DrawMenuBox(g, {x + 76, y + 1, 48, 20}, u"AC", true, false);
    skin.DrawUpDown(g, {x + 130, y - 4, 16, 30}, true, true, 1);

    // Row 3: a button group, joined and spaced.
    y += 32;
    skin.DrawLabelText(g, {8, y, 120, 10}, u"GROUPS", label, kSkinColour);
    y += 12;
    const char16_t* items[] = {u"DC", u"AC", u"GND", u"OFF"};
    for (int i = 0; i < 4; ++i) {
        const SegmentPosition position = i == 0 ? SegmentPosition::First
                                         : i == 3 ? SegmentPosition::Last
                                                  : SegmentPosition::Middle;
        skin.DrawSegment(g, {8.0f + 40 * float(i), y, 40, 23}, items[i], position, i == 2, false, i == 1, i != 3);
    }
    for (int i = 0; i < 3; ++i)
        skin.DrawSegment(g, {178.0f + 44 * float(i), y, 40, 23}, items[i], SegmentPosition::Only, false, false, i == 0,
                         true);

    // Row 4: power buttons, lamps and glyphs.
    y += 34;
    skin.DrawLabelText(g, {8, y, 160, 10}, u"POWER AND LAMPS", label, kSkinColour);
    y += 12;
    x = 8;
    const CHotPowerEnableInfo& power = skin.m_powerAppearance;
    skin.DrawPowerButton(g, {x, y, 36, 36}, power, false, false, false);
    skin.DrawPowerButton(g, {x + 42, y, 36, 36}, power, true, false, true);
    for (uint32_t style = 1; style <= 3; ++style)
        skin.DrawPowerButtonStyled(g, {x + 42 + 42 * float(style), y, style == 3 ? 48.0f : 36.0f, 36}, power, false,
                                   false, style != 1, style == 2, style);
    x = 236;
    for (size_t i = 0; i < skin.LampStyleCount() && i < 4; ++i) {
        skin.DrawLamp(g, {x + 24 * float(i), y - 2, 21, 21}, i, true);
        skin.DrawLamp(g, {x + 24 * float(i), y + 20, 21, 21}, i, false);
    }
    y += 46;
    x = 8;
    for (int kind : {1, 2, 10, 11}) {
        skin.DrawGlyph(g, {x, y, 16, 16}, kind, kSkinColour);
        x += 20;
    }
    skin.DrawLabelText(g, {x + 8, y + 2, 80, 12}, u"www.vexa", MakeFont(u"Tahoma", -9), skin.LinkColour(false));
    skin.DrawLabelText(g, {x + 70, y + 2, 80, 12}, u"hovered", MakeFont(u"Tahoma", -9, 400), skin.LinkColour(true));
    return g.Document(kWidth, kHeight, zoom);
}
