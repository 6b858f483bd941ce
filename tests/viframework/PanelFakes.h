// Fakes for front-panel tests: a graphics recorder, a scripted pointer with
// a fake clock, and an in-memory resource source.
#pragma once

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "viframework/controls/Hotspot.h"
#include "viframework/controls/PanelResources.h"

// Records every drawing call as one line of text ("FillPolygon ff00ff00 6"),
// and the brushes, rectangles and texts for closer checks.
class RecordingGraphics : public IPanelGraphics {
public:
    struct Call {
        std::string op;
        Brush brush;
        Pen pen;
        RectF rect;
        std::vector<PointF> points;
        CString text;
        FontRecord font;
        Argb colour = 0;
        std::optional<CRect> source;  // DrawImage: the part of the picture drawn
    };

    void SetRendering(uint32_t s, uint32_t c, uint32_t t) override
    {
        rendering = {s, c, t};
        Add("SetRendering");
    }
    void FillRectangle(const Brush& b, const RectF& r) override { Add("FillRectangle").brush = b, calls.back().rect = r; }
    void FillEllipse(const Brush& b, const RectF& r) override { Add("FillEllipse").brush = b, calls.back().rect = r; }
    void FillPolygon(const Brush& b, const PointF* p, size_t n) override
    {
        Call& c = Add("FillPolygon");
        c.brush = b;
        c.points.assign(p, p + n);
    }
    void FillRoundedRectangle(const Brush& b, const RectF& r, float) override
    {
        Add("FillRoundedRectangle").brush = b, calls.back().rect = r;
    }
    void FillPie(const Brush& b, const RectF& r, float, float) override { Add("FillPie").brush = b, calls.back().rect = r; }
    void DrawLine(const Pen& p, PointF a, PointF b) override
    {
        Call& c = Add("DrawLine");
        c.pen = p;
        c.points = {a, b};
    }
    void DrawRectangle(const Pen& p, const RectF& r) override { Add("DrawRectangle").pen = p, calls.back().rect = r; }
    void DrawEllipse(const Pen& p, const RectF& r) override { Add("DrawEllipse").pen = p, calls.back().rect = r; }
    void DrawRoundedRectangle(const Pen& p, const RectF& r, float) override
    {
        Add("DrawRoundedRectangle").pen = p, calls.back().rect = r;
    }
    void DrawArc(const Pen& p, const RectF& r, float, float) override { Add("DrawArc").pen = p, calls.back().rect = r; }
    void DrawLines(const Pen& p, const PointF* pts, size_t n, bool) override
    {
        Call& c = Add("DrawLines");
        c.pen = p;
        c.points.assign(pts, pts + n);
    }
    void DrawString(const CString& text, const FontRecord& font, const RectF& r, Argb colour, const TextFormat&) override
    {
        Call& c = Add("DrawString");
        c.text = text;
        c.font = font;
        c.rect = r;
        c.colour = colour;
    }
    // Text is measured as if every character were 0.6 of the font height wide.
    SizeF MeasureString(const CString& text, const FontRecord& font) override
    {
        const float h = float(font.height < 0 ? -font.height : font.height);
        return {0.6f * h * float(text.size()), h * 1.2f};
    }
    void DrawImage(const CPanelImage& image, const RectF& dest, const CRect* source, std::optional<Argb> key) override
    {
        Call& c = Add("DrawImage");
        c.rect = dest;
        c.colour = key.value_or(0);
        if (source)
            c.source = *source;
    }
    void DrawMetafile(const std::vector<uint8_t>&, const RectF& dest) override { Add("DrawMetafile").rect = dest; }
    void PushClip(const RectF& r) override { Add("PushClip").rect = r; }
    void PopClip() override { Add("PopClip"); }

    size_t Count(const std::string& op) const
    {
        size_t n = 0;
        for (const Call& c : calls)
            n += c.op == op;
        return n;
    }
    std::vector<const Call*> Of(const std::string& op) const
    {
        std::vector<const Call*> out;
        for (const Call& c : calls)
            if (c.op == op)
                out.push_back(&c);
        return out;
    }

    std::vector<Call> calls;
    std::vector<uint32_t> rendering;

private:
    Call& Add(const char* op)
    {
        calls.push_back(Call{op, {}, {}, {}, {}, {}, {}, 0, {}});
        return calls.back();
    }
};

// Paints solid rectangles, unscaled pictures and lines (one pixel wide, in
// the pen's colour) into an image; everything else is only recorded. For
// comparing what different ways of drawing put on the panel pixel by pixel,
// and for finding where a line ends.
class ImageGraphics : public RecordingGraphics {
public:
    ImageGraphics(int32_t width, int32_t height) : image(width, height) {}

    void DrawLine(const Pen& p, PointF a, PointF b) override
    {
        RecordingGraphics::DrawLine(p, a, b);
        const float steps = std::max({std::abs(b.x - a.x), std::abs(b.y - a.y), 1.0f}) * 2;
        for (float i = 0; i <= steps; ++i) {
            const float x = a.x + (b.x - a.x) * i / steps, y = a.y + (b.y - a.y) * i / steps;
            Paint({std::floor(x), std::floor(y), 1, 1}, [&](int32_t, int32_t) { return p.colour; });
        }
    }

    void FillRectangle(const Brush& b, const RectF& r) override
    {
        Paint(r, [&](int32_t, int32_t) { return b.colour1; });
    }
    void DrawImage(const CPanelImage& picture, const RectF& dest, const CRect*, std::optional<Argb>) override
    {
        const RectF within{dest.x, dest.y, std::min(dest.width, float(picture.width)),
                           std::min(dest.height, float(picture.height))};
        Paint(within, [&](int32_t x, int32_t y) { return picture.Pixel(x - int32_t(dest.x), y - int32_t(dest.y)); });
    }

    CPanelImage image;

private:
    template <class ColourAt>
    void Paint(const RectF& r, ColourAt colourAt)
    {
        const int32_t left = std::max(int32_t(r.x), 0), right = std::min(int32_t(r.Right()), image.width);
        const int32_t top = std::max(int32_t(r.y), 0), bottom = std::min(int32_t(r.Bottom()), image.height);
        for (int32_t y = top; y < bottom; ++y)
            for (int32_t x = left; x < right; ++x)
                image.pixels[size_t(y) * image.width + x] = colourAt(x, y);
    }
};

// A pointer that follows a script of events at given times, and a clock that
// only moves when the control waits.
class ScriptedHost : public IHotspotHost {
public:
    struct Step {
        uint32_t at;  // tick at which the event happens
        PointerEvent event;
    };

    void Move(uint32_t at, CPoint p) { script.push_back({at, {PointerEvent::Kind::Move, p}}); }
    void Release(uint32_t at, CPoint p) { script.push_back({at, {PointerEvent::Kind::Release, p}}); }
    void Quit(uint32_t at) { script.push_back({at, {PointerEvent::Kind::Quit, {}}}); }

    void CaptureMouse() override { ++captures; captured = true; }
    void ReleaseMouse() override { captured = false; }
    PointerEvent NextPointerEvent(uint32_t timeoutMs) override
    {
        if (script.empty())
            return {PointerEvent::Kind::Release, pointer};  // never hang a test
        const Step next = script.front();
        if (timeoutMs != kWaitForever && next.at > now + timeoutMs) {
            now += timeoutMs;
            return {PointerEvent::Kind::Timeout, pointer};
        }
        script.pop_front();
        if (next.at > now)
            now = next.at;
        pointer = next.event.point;
        return next.event;
    }
    CPoint PointerPosition() override { return pointer; }
    uint32_t TickCount() override { return now; }
    void PostCommand(uint32_t id) override { posted.push_back({id, now}); }
    void SendCommand(uint32_t id) override { sent.push_back({id, now}); }
    void RedrawNow(CHotspot&) override { ++redraws; }
    void CopyToClipboard(const CString& text) override { clipboard = text; }
    int32_t ShowPopupList(const std::vector<ListEntry>& entries, CPoint at, int32_t minWidth) override
    {
        popupEntries = entries;
        popupAt = at;
        return popupChoice;
    }
    void OpenSpinPad(CHotspot& upDown) override { spinPads.push_back(upDown.m_id); }

    struct Command {
        uint32_t id;
        uint32_t at;
    };
    std::deque<Step> script;
    uint32_t now = 0;
    CPoint pointer;
    int captures = 0;
    bool captured = false;
    int redraws = 0;
    std::vector<Command> posted;
    std::vector<Command> sent;
    CString clipboard;
    std::vector<ListEntry> popupEntries;
    CPoint popupAt;
    int32_t popupChoice = -1;
    std::vector<uint32_t> spinPads;
};

// Counts what controls ask of their view.
class RecordingSink : public IHotspotNotifySink {
public:
    void OnHotspotInvalidate(CHotspot&) override { ++invalidations; }
    void OnHotspotToggled(CHotspot& h) override { commands.push_back({1, h.m_id}); }
    void OnHotspotCommand(CHotspot& h) override { commands.push_back({2, h.m_id}); }
    void OnHotspotPower(CHotspot& h) override { commands.push_back({3, h.m_id}); }

    struct Command {
        int slot;
        uint32_t id;
    };
    int invalidations = 0;
    std::vector<Command> commands;
};

class FakePanelResources : public IPanelResources {
public:
    std::shared_ptr<const CPanelImage> LoadBitmap(uint32_t id) override
    {
        auto it = bitmaps.find(id);
        return it == bitmaps.end() ? nullptr : it->second;
    }
    std::optional<std::vector<uint8_t>> LoadCustom(uint32_t type, uint32_t id) override
    {
        auto it = numbered.find({type, id});
        if (it == numbered.end())
            return std::nullopt;
        return it->second;
    }
    std::optional<std::vector<uint8_t>> LoadCustom(uint32_t type, const CString& name) override
    {
        for (const auto& [key, bytes] : named)
            if (key.first == type && key.second == name)
                return bytes;
        return std::nullopt;
    }
    std::vector<CString> CustomNames(uint32_t type) override
    {
        std::vector<CString> names;
        for (const auto& [key, bytes] : named)
            if (key.first == type)
                names.push_back(key.second);
        return names;
    }
    std::optional<std::vector<CMenuEntry>> LoadMenu(uint32_t id) override
    {
        auto it = menus.find(id);
        if (it == menus.end())
            return std::nullopt;
        return it->second;
    }
    CString LoadText(uint32_t id) override
    {
        auto it = texts.find(id);
        return it == texts.end() ? CString() : it->second;
    }

    std::map<uint32_t, std::shared_ptr<const CPanelImage>> bitmaps;
    std::map<std::pair<uint32_t, uint32_t>, std::vector<uint8_t>> numbered;
    // In insertion order: the order a module lists its names in matters.
    std::vector<std::pair<std::pair<uint32_t, CString>, std::vector<uint8_t>>> named;
    std::map<uint32_t, std::vector<CMenuEntry>> menus;
    std::map<uint32_t, CString> texts;
};
