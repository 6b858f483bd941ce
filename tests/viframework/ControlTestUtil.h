// Helpers for control tests: records stored to bytes and read back, and a
// skin that remembers what controls asked it to draw.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "viframework/SkinManager.h"
#include "viframework/controls/Hotspot.h"

using Bytes = std::vector<uint8_t>;

// A control's layout record (common part and tail) as a layout holds it.
inline Bytes StoreRecord(CHotspot& hotspot)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    hotspot.Serialize(ar);
    return file.Data();
}

// Reads a record into the control; returns how many bytes it took.
inline size_t LoadRecord(CHotspot& hotspot, const Bytes& bytes)
{
    CMemFile file(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    hotspot.Serialize(ar);
    hotspot.OnLoaded();
    return size_t(file.GetPosition());
}

// Writes values with the archive encoding, for hand-made records.
template <class... T>
Bytes Encode(const T&... values)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    (ar << ... << values);
    return file.Data();
}

inline Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// The common record part: rect, id, flags.
inline Bytes CommonPart(CRect rect, uint32_t id, uint32_t flags)
{
    return Encode(rect.left, rect.top, rect.right, rect.bottom, id, flags);
}

// A skin with distinct colours whose lamp and segment drawings are counted.
class RecordingSkin : public CVISkinManager {
public:
    RecordingSkin()
    {
        m_segmentColours = {0xFF101010u, 0xFF202020u, 0xFFF0F000u};
        m_colourTable[9] = 0xFF123456u;
        m_colour = 0xFF654321u;
    }
    void DrawLamp(IPanelGraphics&, const RectF& rect, size_t styleIndex, bool lit) override
    {
        lamps.push_back({rect, styleIndex, lit});
    }
    void DrawSegment(IPanelGraphics&, const RectF& rect, const CString& text, SegmentPosition position, bool hover,
                     bool pressed, bool selected, bool enabled) override
    {
        segments.push_back({rect, text, hover, selected, enabled});
    }
    void DrawMenuBox(IPanelGraphics&, const RectF&, const CString& text, bool hover, bool pressed) override
    {
        menuTexts.push_back(text);
    }

    struct Lamp {
        RectF rect;
        size_t style;
        bool lit;
    };
    struct Segment {
        RectF rect;
        CString text;
        bool hover, selected, enabled;
    };
    std::vector<Lamp> lamps;
    std::vector<Segment> segments;
    std::vector<CString> menuTexts;
};
