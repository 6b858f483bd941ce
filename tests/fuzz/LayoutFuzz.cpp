// Feeds arbitrary bytes to the panel loader with every standard control
// kind, then lets what was read draw, answer hit tests and pointer movement,
// and take presses that drag far beyond it. A damaged layout may end in an
// archive exception, never in a crash or a huge allocation.
#include <cstdint>
#include <deque>
#include <vector>

#include "NullGraphics.h"
#include "framework/Exception.h"
#include "viframework/SkinManager.h"
#include "viframework/controls/PanelLayout.h"

namespace {

// A press that moves far past the control on both sides and back before it
// comes up; the clock moves by whatever the control waits for.
class CFarDragHost : public IHotspotHost {
public:
    CFarDragHost(CPoint press, const CRect& r) : m_pointer(press)
    {
        m_path = {{r.right + 5000, r.bottom + 5000}, {r.left - 5000, r.top - 5000}, press};
    }
    void CaptureMouse() override {}
    void ReleaseMouse() override {}
    PointerEvent NextPointerEvent(uint32_t timeoutMs) override
    {
        m_now += timeoutMs == kWaitForever ? 10 : timeoutMs;
        if (m_path.empty())
            return {PointerEvent::Kind::Release, m_pointer};
        m_pointer = m_path.front();
        m_path.pop_front();
        return {PointerEvent::Kind::Move, m_pointer};
    }
    CPoint PointerPosition() override { return m_pointer; }
    uint32_t TickCount() override { return m_now; }
    void PostCommand(uint32_t) override {}
    void SendCommand(uint32_t) override {}
    void RedrawNow(CHotspot&) override {}
    void CopyToClipboard(const CString&) override {}
    int32_t ShowPopupList(const std::vector<ListEntry>&, CPoint, int32_t) override { return -1; }
    void OpenSpinPad(CHotspot&) override {}

private:
    CPoint m_pointer;
    std::deque<CPoint> m_path;
    uint32_t m_now = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CHotspotArray controls;
    CPanelLayout layout;
    try {
        ReadStandardLayout(data, size, layout, controls);
    } catch (const CException&) {
        // What was read before the damage stays and must still draw.
    }
    CVISkinManager skin;
    CNullGraphics g;
    for (const auto& control : controls) {
        const CRect r = control->m_rect;
        control->Draw(g, skin);
        control->HitTest({r.left, r.top});
        // Near both corners and in the middle: the ends of bars and arrows.
        const CPoint points[] = {{r.left + 1, r.top + 1}, {r.left + r.Width() / 2, r.top + r.Height() / 2},
                                 {r.right - 1, r.bottom - 1}};
        for (CPoint p : points) {
            control->SetHover(true, p);
            control->OnMouseMove(p);
            CFarDragHost host(p, r);
            control->OnPress(host);
            control->Draw(g, skin);
        }
        control->Reset();
    }
    return 0;
}
