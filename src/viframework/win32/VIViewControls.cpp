// The view's operations that know particular kinds of control.
#include "viframework/win32/VIView.h"

#include "viframework/controls/Frame.h"
#include "viframework/controls/HotToggle.h"
#include "viframework/controls/Menu.h"
#include "viframework/controls/Pictures.h"

void CVIView::AddDemoOverlay(Argb colour)
{
    auto overlay = std::make_unique<CHotRectangle>();
    overlay->SetColour(colour);
    overlay->m_rect = {0, 0, m_panelWidth, m_panelHeight};
    m_demoOverlay = overlay.get();
    m_hotspots.Add(std::move(overlay));
}

CHotspot* CVIView::DemoOverlay() const
{
    return m_demoOverlay;
}

void CVIView::SelectRadio(uint32_t id)
{
    if (auto* radio = m_hotspots.Find<CHotRadio>(id)) {
        radio->SetChecked(true);
        // Not redrawn now, but the next paint must show it.
        const int32_t margin = radio->PaintMargin() + 1;
        const CRect device = m_zoom.ToDevice(radio->m_rect.Inflated(margin, margin)).Inflated(1, 1);
        const RECT r{device.left, device.top, device.right, device.bottom};
        MarkStale(&r);
    }
}

void CVIView::SetCheck(uint32_t id, bool checked)
{
    auto* check = m_hotspots.Find<CHotCheck>(id);
    if (!check || check->IsChecked() == checked)
        return;
    check->SetChecked(checked);
    InvalidateHotspot(check);
    UpdateWindow(m_hWnd);
}

void CVIView::SelectRadioExclusive(CHotspot* radio)
{
    if (!radio || radio->m_typeCode != kHotRadio)
        return;
    ::SelectRadioExclusive(m_hotspots, *static_cast<CHotRadio*>(radio), [this](CHotspot& changed) {
        InvalidateHotspot(&changed);
    });
    UpdateWindow(m_hWnd);
}

void CVIView::SetMenuSelection(uint32_t id, int32_t index)
{
    if (auto* menu = m_hotspots.Find<CHotMenu>(id); menu && menu->SetSelection(index))
        InvalidateHotspot(menu);
}

void CVIView::PlaceChildInFrame(HWND child, uint32_t frameId, int32_t dx, int32_t dy)
{
    auto* frame = m_hotspots.Find<CHotFrame>(frameId);
    if (!frame || !child)
        return;
    frame->m_rect.right += dx;
    frame->m_rect.bottom += dy;
    MarkStale(nullptr);
    const CRect inner = m_zoom.ToDevice(frame->InnerRect());
    SetWindowPos(child, nullptr, inner.left, inner.top, inner.Width(), inner.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}
