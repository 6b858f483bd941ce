// The skin's drawing operations: every standard control look. What each
// colour and look parameter means is listed at the top of SkinManager.h.
//
// [SECTION] Shared painting helpers
// [SECTION] Rendering, background and text
// [SECTION] Buttons, toggles and group items
// [SECTION] Glyphs, drop-down boxes and up/down buttons
// [SECTION] Power buttons
#include <algorithm>
#include <cmath>

#include "viframework/SkinManager.h"
#include "viframework/controls/PanelResources.h"

namespace {

// ---------------------------------------------------------------- [SECTION] Shared painting helpers

constexpr uint32_t kGlyphBitmap = 5130;
constexpr Argb kImageListKey = 0x00C0C0C0u;
// Sizes beyond this come from damaged records; they are held to it.
constexpr float kLargestSize = 1000.0f;

bool Shows(Argb colour)
{
    return AlphaOf(colour) != 0;
}

float Size(uint32_t value)
{
    return std::min(float(value), kLargestSize);
}

float FitRadius(float radius, const RectF& r)
{
    return std::clamp(radius, 0.0f, std::max(0.0f, std::min(r.width, r.height) / 2));
}

RectF Centred(const RectF& within, float width, float height)
{
    return {within.x + (within.width - width) / 2, within.y + (within.height - height) / 2, width, height};
}

Brush Vertical(const RectF& r, Argb top, Argb bottom)
{
    return Brush::Linear({r.x, r.y}, {r.x, r.Bottom()}, top, bottom);
}

// Face colours as the pointer and the button leave them: lifted under the
// pointer, turned over and darkened while pressed.
void StateColours(const CVISkinManager& skin, Argb& top, Argb& bottom, bool hover, bool pressed)
{
    const int lift = int(std::min<uint32_t>(skin.m_lookParameters[kLookHoverLift], 255));
    const int depth = int(std::min<uint32_t>(skin.m_lookParameters[kLookPressDepth], 255));
    if (pressed) {
        const Argb oldTop = top;
        top = Shade(bottom, -depth);
        bottom = Shade(oldTop, -depth);
    } else if (hover) {
        top = Shade(top, lift);
        bottom = Shade(bottom, lift);
    }
}

void PaintGloss(IPanelGraphics& g, const RectF& body, float radius, uint8_t gloss)
{
    if (gloss == 0 || body.height < 4 || body.width < 4)
        return;
    const RectF upper{body.x + 1, body.y + 1, body.width - 2, body.height / 2 - 1};
    g.FillRoundedRectangle(Vertical(upper, WithAlpha(0xFFFFFFFFu, gloss), 0x00FFFFFFu), upper,
                           FitRadius(radius - 1, upper));
}

// A face of the given shape: gradient, sheen, border (the hover ring's
// colour under the pointer). Returns nothing; callers add their marks.
void PaintShape(IPanelGraphics& g, const CVISkinManager& skin, const RectF& body, float radius, const SkinFace& face,
                bool hover, bool pressed)
{
    Argb top = face.top;
    Argb bottom = face.bottom;
    StateColours(skin, top, bottom, hover, pressed);
    const float r = FitRadius(radius, body);
    if (Shows(top) || Shows(bottom))
        g.FillRoundedRectangle(Vertical(body, top, bottom), body, r);
    if (!pressed)
        PaintGloss(g, body, r, face.gloss);
    const Argb ring = skin.m_colourTable[kSkinHoverRing];
    const Argb border = hover && !pressed && Shows(ring) ? ring : face.border;
    if (face.borderWidth > 0 && Shows(border))
        g.DrawRoundedRectangle(Pen{border, face.borderWidth}, body, r);
}

// A raised face: drop shadow below it; pressed, it sinks into the shadow.
// Returns the rectangle the face took.
RectF PaintRaised(IPanelGraphics& g, const CVISkinManager& skin, const RectF& rect, float radius,
                  const SkinFace& face, bool hover, bool pressed)
{
    const float shadow = std::min(Size(skin.m_lookParameters[kLookShadowOffset]), rect.height / 4);
    RectF body{rect.x + 0.5f, rect.y + 0.5f, rect.width - 1, rect.height - 1 - shadow};
    if (pressed)
        body.y += shadow;
    const float r = FitRadius(radius, body);
    const Argb shadowColour = skin.m_colourTable[kSkinShadow];
    if (shadow > 0 && !pressed && Shows(shadowColour))
        g.FillRoundedRectangle(Brush::Solid(shadowColour), {body.x, body.y + shadow, body.width, body.height}, r);
    PaintShape(g, skin, body, r, face, hover, pressed);
    const Argb line = skin.m_colourTable[kSkinHighlightLine];
    const float inset = face.borderWidth + 0.5f;
    if (!pressed && Shows(line) && body.width > 2 * r + 2)
        g.DrawLine(Pen{line, 1.0f}, {body.x + std::max(r, inset), body.y + inset},
                   {body.Right() - std::max(r, inset), body.y + inset});
    return body;
}

void FillTriangle(IPanelGraphics& g, Argb colour, PointF a, PointF b, PointF c)
{
    const PointF points[3] = {a, b, c};
    g.FillPolygon(Brush::Solid(colour), points, 3);
}

// Arrows by the direction they point, width and height given for up/down.
enum class Arrow { Up, Down, Left, Right };

void PaintArrow(IPanelGraphics& g, PointF c, Arrow arrow, float across, float along, Argb colour)
{
    const float w = across / 2;
    const float h = along / 2;
    switch (arrow) {
    case Arrow::Up:
        FillTriangle(g, colour, {c.x - w, c.y + h}, {c.x + w, c.y + h}, {c.x, c.y - h});
        break;
    case Arrow::Down:
        FillTriangle(g, colour, {c.x - w, c.y - h}, {c.x + w, c.y - h}, {c.x, c.y + h});
        break;
    case Arrow::Left:
        FillTriangle(g, colour, {c.x + h, c.y - w}, {c.x + h, c.y + w}, {c.x - h, c.y});
        break;
    case Arrow::Right:
        FillTriangle(g, colour, {c.x - h, c.y - w}, {c.x - h, c.y + w}, {c.x + h, c.y});
        break;
    }
}

PointF CentreOf(const RectF& r)
{
    return {r.x + r.width / 2, r.y + r.height / 2};
}

TextFormat CentredText()
{
    return TextFormat{TextAlign::Centre, TextAlign::Centre, false};
}

}  // namespace

// ---------------------------------------------------------------- [SECTION] Rendering, background and text

void CVISkinManager::PrepareGraphics(IPanelGraphics& g)
{
    g.SetRendering(m_smoothingMode, m_compositingQuality, m_textRenderingHint);
}

void CVISkinManager::FillBackground(IPanelGraphics& g, const RectF& rect)
{
    g.FillRectangle(Brush::Solid(BackgroundArgb()), rect);
}

void CVISkinManager::DrawLabelText(IPanelGraphics& g, const RectF& rect, const CString& text, const FontRecord& font,
                                   Argb colour, const TextFormat& format)
{
    // Layouts store "the skin's colour" as either form.
    const bool skinColour = colour == kSkinColour || colour == 0x00FFFFFFu;
    g.DrawString(text, font, rect, skinColour ? LabelColour() : colour, format);
}

void CVISkinManager::DrawLamp(IPanelGraphics& g, const RectF& rect, size_t styleIndex, bool lit)
{
    // A layout that names a style this skin lacks still shows a lamp.
    static const CHotStatusInfo fallback;
    const CHotStatusInfo& look = styleIndex < m_lampStyles.size() ? *m_lampStyles[styleIndex] : fallback;
    DrawStatusLook(g, rect.Inflated(-1, -1), look, lit);
}

// ---------------------------------------------------------------- [SECTION] Buttons, toggles and group items

void CVISkinManager::DrawButton(IPanelGraphics& g, const RectF& rect, const CString& text, uint32_t styleIndex,
                                bool hover, bool pressed)
{
    const bool accent = styleIndex == 2 || styleIndex == 3 || styleIndex == 5 || styleIndex == 11;
    const bool pill = styleIndex == 1 || styleIndex == 3;
    const SkinFace face = Face(accent ? kLookAccentFace : kLookStandardFace);
    const float shadow = std::min(Size(m_lookParameters[kLookShadowOffset]), rect.height / 4);
    // A tool button lies flat in its tool bar until the pointer comes to it.
    if (styleIndex != 9 || hover || pressed)
        PaintRaised(g, *this, rect, pill ? rect.height / 2 : face.radius, face, hover, pressed);
    if (text.empty())
        return;
    const RectF textRect{rect.x, rect.y + (pressed ? shadow : 0), rect.width, rect.height - shadow};
    g.DrawString(text, m_textFont, textRect, m_colourTable[kSkinButtonText], CentredText());
}

void CVISkinManager::DrawCheck(IPanelGraphics& g, const RectF& rect, bool hover, bool pressed, bool checked)
{
    const float fit = std::min(rect.width, rect.height) - 2;
    const float mark = Size(m_lookParameters[kLookMarkSize]);
    const float side = std::max(4.0f, mark > 0 ? std::min(mark, fit) : fit);
    const RectF box = Centred(rect, side, side);
    const SkinFace face = Face(kLookFieldFace);
    PaintShape(g, *this, box, face.radius, face, hover, pressed);
    if (!checked)
        return;
    const PointF tick[3] = {{box.x + side * 0.24f, box.y + side * 0.52f},
                            {box.x + side * 0.43f, box.y + side * 0.72f},
                            {box.x + side * 0.78f, box.y + side * 0.30f}};
    g.DrawLines(Pen{m_colourTable[kSkinMark], std::max(1.5f, side / 7)}, tick, 3, false);
}

void CVISkinManager::DrawRadio(IPanelGraphics& g, const RectF& rect, bool hover, bool pressed, bool checked)
{
    const float fit = std::min(rect.width, rect.height) - 2;
    const float mark = Size(m_lookParameters[kLookMarkSize]);
    const float side = std::max(4.0f, mark > 0 ? std::min(mark, fit) : fit);
    const RectF well = Centred(rect, side, side);
    const SkinFace face = Face(kLookFieldFace);
    Argb top = face.top;
    Argb bottom = face.bottom;
    StateColours(*this, top, bottom, hover, pressed);
    g.FillEllipse(Vertical(well, top, bottom), well);
    const Argb ring = m_colourTable[kSkinHoverRing];
    const Argb border = hover && !pressed && Shows(ring) ? ring : face.border;
    if (face.borderWidth > 0 && Shows(border))
        g.DrawEllipse(Pen{border, face.borderWidth}, well);
    if (!checked)
        return;
    const float dotSide = side * 0.5f;
    const RectF dot = Centred(well, dotSide, dotSide);
    const Argb colour = m_colourTable[kSkinMark];
    g.FillEllipse(Brush::Radial(dot, {dot.x + dotSide * 0.35f, dot.y + dotSide * 0.3f}, Shade(colour, 90), colour), dot);
}

void CVISkinManager::DrawSegment(IPanelGraphics& g, const RectF& rect, const CString& text, SegmentPosition position,
                                 bool hover, bool pressed, bool selected, bool enabled)
{
    const SkinFace face = Face(selected ? kLookSelectedFace : kLookStandardFace);
    const float radius = FitRadius(face.radius, rect);
    // Joined items share one rounded outline: each draws the outline stretched
    // past its joined sides and keeps only its own part.
    RectF shape{rect.x + 0.5f, rect.y + 0.5f, rect.width - 1, rect.height - 1};
    const float reach = radius + face.borderWidth + 1;
    const bool joinedLeft = position == SegmentPosition::Middle || position == SegmentPosition::Last;
    const bool joinedRight = position == SegmentPosition::Middle || position == SegmentPosition::First;
    if (joinedLeft) {
        shape.x -= reach;
        shape.width += reach;
    }
    if (joinedRight)
        shape.width += reach;
    const bool clipped = joinedLeft || joinedRight;
    if (clipped)
        g.PushClip(rect);
    PaintShape(g, *this, shape, radius, face, hover && enabled, pressed && enabled);
    if (clipped)
        g.PopClip();
    const Argb separator = m_colourTable[kSkinSeparator];
    if (joinedLeft && Shows(separator))
        g.DrawLine(Pen{separator, 1.0f}, {rect.x + 0.5f, rect.y + 3}, {rect.x + 0.5f, rect.Bottom() - 3});
    if (text.empty())
        return;
    const Argb colour = !enabled   ? m_colourTable[kSkinDisabledText]
                        : selected ? m_colourTable[kSkinSelectedText]
                                   : m_colourTable[kSkinButtonText];
    g.DrawString(text, m_textFont, rect, colour, CentredText());
}

// ---------------------------------------------------------------- [SECTION] Glyphs, drop-down boxes and up/down buttons

void CVISkinManager::DrawGlyph(IPanelGraphics& g, const RectF& rect, int kind, Argb colour)
{
    if (colour == kSkinColour)
        colour = m_colourTable[kSkinGlyph];
    const PointF c = CentreOf(rect);
    switch (kind) {
    case 1: case 4:
        PaintArrow(g, c, Arrow::Up, 12, 8, colour);
        break;
    case 2: case 5:
        PaintArrow(g, c, Arrow::Down, 12, 8, colour);
        break;
    case 10:
        PaintArrow(g, c, Arrow::Left, 12, 8, colour);
        break;
    case 11:
        PaintArrow(g, c, Arrow::Right, 12, 8, colour);
        break;
    case 6: case 7: case 8: {
        const auto image = PanelResources().LoadBitmap(kGlyphBitmap);
        if (!image || image->width < 3)
            return;
        const int32_t frame = image->width / 3;
        const int32_t index = kind - 6;
        const CRect source{frame * index, 0, frame * (index + 1), image->height};
        g.DrawImage(*image, Centred(rect, float(frame), float(image->height)), &source, kImageListKey);
        break;
    }
    default:
        break;
    }
}

void CVISkinManager::DrawMenuBox(IPanelGraphics& g, const RectF& rect, const CString& text, bool hover, bool pressed)
{
    const SkinFace face = Face(kLookFieldFace);
    const RectF body{rect.x + 0.5f, rect.y + 0.5f, rect.width - 1, rect.height - 1};
    PaintShape(g, *this, body, face.radius, face, hover, pressed);
    const float zone = std::min(rect.height, 18.0f);
    const float zoneX = rect.Right() - zone;
    const Argb separator = m_colourTable[kSkinSeparator];
    if (Shows(separator))
        g.DrawLine(Pen{separator, 1.0f}, {zoneX, rect.y + 4}, {zoneX, rect.Bottom() - 4});
    PaintArrow(g, {zoneX + zone / 2, rect.y + rect.height / 2 + (pressed ? 1.0f : 0.0f)}, Arrow::Down, 8, 5,
               m_colourTable[kSkinGlyph]);
    if (text.empty())
        return;
    const RectF textRect{rect.x + 5, rect.y, std::max(0.0f, zoneX - rect.x - 7), rect.height};
    g.PushClip(textRect);
    g.DrawString(text, m_textFont, textRect, m_colourTable[kSkinButtonText],
                 TextFormat{TextAlign::Near, TextAlign::Centre, false});
    g.PopClip();
}

void CVISkinManager::DrawUpDown(IPanelGraphics& g, const RectF& rect, bool hover, bool pressed, int activeHalf)
{
    const SkinFace face = Face(kLookFieldFace);
    const RectF body{rect.x + 0.5f, rect.y + 0.5f, rect.width - 1, rect.height - 1};
    const float radius = FitRadius(face.radius, body);
    PaintShape(g, *this, body, radius, face, hover && activeHalf == 0, false);
    const float middle = rect.y + rect.height / 2;
    const RectF upper{rect.x, rect.y, rect.width, rect.height / 2};
    const RectF lower{rect.x, middle, rect.width, rect.height / 2};
    if (activeHalf == 1 || activeHalf == 2) {
        Argb fill = m_extraColours[1];
        if (!pressed) {
            Argb top = face.top;
            Argb bottom = face.bottom;
            StateColours(*this, top, bottom, true, false);
            fill = top;
        }
        const RectF& half = activeHalf == 1 ? upper : lower;
        g.PushClip(half);
        g.FillRoundedRectangle(Brush::Solid(fill), body.Inflated(-face.borderWidth, -face.borderWidth),
                               FitRadius(radius - face.borderWidth, body));
        g.PopClip();
    }
    const Argb separator = m_colourTable[kSkinSeparator];
    if (Shows(separator))
        g.DrawLine(Pen{separator, 1.0f}, {rect.x + 2, middle}, {rect.Right() - 2, middle});
    const float across = std::clamp(rect.width * 0.5f, 4.0f, 12.0f);
    const float along = across * 0.6f;
    const Argb glyph = m_colourTable[kSkinGlyph];
    PaintArrow(g, CentreOf(upper), Arrow::Up, across, along, glyph);
    PaintArrow(g, CentreOf(lower), Arrow::Down, across, along, glyph);
}

// ---------------------------------------------------------------- [SECTION] Power buttons

namespace {

struct PowerBody {
    float radius;
    uint8_t gloss;
    float borderWidth;
    float bezel;
    Argb border, top, bottom;
};

struct PowerLamp {
    float radius;
    float borderWidth;
    float offset;
    Argb border, centre, surround;
};

PowerBody BodyAt(const CHotPowerEnableInfo& a, size_t i)
{
    const auto& v = a.m_values;
    return {Size(v[i]), uint8_t(std::min<uint32_t>(v[i + 1], 255)), Size(v[i + 2]), Size(v[i + 3]),
            v[i + 4], v[i + 5], v[i + 6]};
}

PowerLamp LampAt(const CHotPowerEnableInfo& a, size_t i)
{
    const auto& v = a.m_values;
    return {Size(v[i]), Size(v[i + 1]), Size(v[i + 2]), v[i + 3], v[i + 4], v[i + 5]};
}

void PaintPowerLamp(IPanelGraphics& g, PointF c, const PowerLamp& lamp, bool lit)
{
    if (lamp.radius <= 0)
        return;
    const int dim = lit ? 0 : -110;
    const RectF r{c.x - lamp.radius, c.y - lamp.radius, 2 * lamp.radius, 2 * lamp.radius};
    const PointF highlight{c.x - lamp.radius / 3, c.y - lamp.radius / 3};
    g.FillEllipse(Brush::Radial(r, highlight, Shade(lamp.centre, dim), Shade(lamp.surround, dim)), r);
    if (lamp.borderWidth > 0 && Shows(lamp.border))
        g.DrawEllipse(Pen{lamp.border, lamp.borderWidth}, r);
}

// The IEC power symbol: a ring open at the top with a bar through the gap.
void PaintPowerSymbol(IPanelGraphics& g, PointF c, float radius, float width, Argb colour)
{
    if (radius <= 0 || !Shows(colour))
        return;
    const Pen pen{colour, width};
    g.DrawArc(pen, {c.x - radius, c.y - radius, 2 * radius, 2 * radius}, 300.0f, 300.0f);
    g.DrawLine(pen, {c.x, c.y - radius - width / 2}, {c.x, c.y - radius * 0.15f});
}

}  // namespace

void CVISkinManager::DrawPowerButton(IPanelGraphics& g, const RectF& rect, const CHotPowerEnableInfo& appearance,
                                     bool hover, bool pressed, bool on)
{
    DrawPowerButtonStyled(g, rect, appearance, hover, pressed, on, true, 0);
}

void CVISkinManager::DrawPowerButtonStyled(IPanelGraphics& g, const RectF& rect, const CHotPowerEnableInfo& appearance,
                                           bool hover, bool pressed, bool on, bool notIndicator, uint32_t style)
{
    const PowerBody body = BodyAt(appearance, on ? 14 : 0);
    const PowerLamp lamp = LampAt(appearance, on ? 21 : 7);
    const PowerLamp indicator = LampAt(appearance, 27);
    const PowerLamp offLamp = LampAt(appearance, 7);
    const PowerLamp onLamp = LampAt(appearance, 21);
    const float symbolRadius = Size(appearance.m_values[13]);
    const float symbolWidth = std::max(1.0f, Size(appearance.m_values[33]) / 4);
    const Argb symbolColour = on ? onLamp.surround : offLamp.centre;
    const SkinFace bezelFace = Face(kLookStandardFace);
    const SkinFace bodyFace{body.radius, body.top, body.bottom, body.border, body.borderWidth, body.gloss};

    if (style == 3) {
        // Slide switch: a pill track in the state's colours and a knob that
        // sits left while off and right while on.
        const float height = std::min(rect.height, rect.width / 1.8f);
        const RectF track = Centred(rect, rect.width - 1, height - 1);
        PaintShape(g, *this, track, track.height / 2, bodyFace, hover, false);
        const float knobSide = std::max(2.0f, track.height - 2 * std::max(body.bezel, 1.0f));
        const float inset = (track.height - knobSide) / 2;
        const RectF knob{on ? track.Right() - inset - knobSide : track.x + inset, track.y + inset, knobSide, knobSide};
        PaintShape(g, *this, knob, knobSide / 2, bezelFace, hover, pressed);
        const RectF free{on ? track.x : knob.Right(), track.y, track.width - knobSide - inset, track.height};
        PaintPowerSymbol(g, CentreOf(free), std::min(symbolRadius, free.height / 3), symbolWidth, symbolColour);
        PaintPowerLamp(g, CentreOf(knob), PowerLamp{std::min(indicator.radius, knobSide / 3), indicator.borderWidth, 0,
                                                    indicator.border, indicator.centre, indicator.surround},
                       !notIndicator);
        return;
    }

    // A bezel in the panel's own button colours holds the state-coloured face.
    const bool round = style == 2;
    RectF outer{rect.x + 0.5f, rect.y + 0.5f, rect.width - 1, rect.height - 1};
    if (round)
        outer = Centred(rect, std::min(outer.width, outer.height), std::min(outer.width, outer.height));
    const float outerRadius = round ? outer.width / 2 : FitRadius(body.radius + body.bezel, outer);
    if (body.bezel > 0)
        PaintShape(g, *this, outer, outerRadius, bezelFace, false, false);
    RectF face = outer.Inflated(-body.bezel, -body.bezel);
    if (pressed)
        face = face.Inflated(-0.5f, -0.5f);
    PaintShape(g, *this, face, round ? face.width / 2 : body.radius, bodyFace, hover, pressed);

    // The state lamp sits at the top; a styled button's indicator lamp sits
    // beside it, the pair centred.
    const float cx = face.x + face.width / 2;
    const bool withIndicator = style != 0 && indicator.radius > 0;
    const float apart = withIndicator ? std::max(indicator.offset, lamp.radius + indicator.radius + 2) : 0.0f;
    const float lampY = face.y + lamp.offset;
    float symbolTop = face.y;
    if (lamp.radius > 0) {
        PaintPowerLamp(g, {cx - apart / 2, lampY}, lamp, true);
        symbolTop = lampY + lamp.radius;
    }
    if (withIndicator) {
        PaintPowerLamp(g, {cx + apart / 2, lampY}, indicator, !notIndicator);
        symbolTop = std::max(symbolTop, lampY + indicator.radius);
    }
    const float symbolBottom = face.Bottom();
    // The symbol shrinks to fit between the lamps.
    const float room = std::max(1.0f, (symbolBottom - symbolTop) / 2 - symbolWidth);
    PaintPowerSymbol(g, {cx, (symbolTop + symbolBottom) / 2 + (pressed ? 0.5f : 0.0f)}, std::min(symbolRadius, room),
                     symbolWidth, symbolColour);
}
