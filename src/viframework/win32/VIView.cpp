#include "viframework/win32/VIView.h"

#include <windowsx.h>

#include "framework/win32/Win32Services.h"
#include "interface/Vexaface.h"
#include "viframework/SkinManager.h"
#include "viframework/TouchSettings.h"
#include "viframework/controls/PanelResources.h"
#include "viframework/win32/GdiPlusGraphics.h"
#include "viframework/win32/PadPopups.h"
#include "viframework/win32/PopupList.h"

namespace {

// "The front panel of this instrument cannot be loaded."
constexpr uint32_t kTextPanelNotLoadable = 61706;

RECT ToRect(const CRect& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

HWND DefaultParent(HWND parent)
{
    if (parent)
        return parent;
    if (CWnd* main = AfxGetMainWnd())
        return main->GetSafeHwnd();
    return GetActiveWindow();
}

}  // namespace

// ---------------------------------------------------------------- press host

// The window side of a pressed control: capture, a message loop that hands
// back pointer events in panel units, and commands to the window.
class CVIView::CPressHost : public IHotspotHost {
public:
    // The pointer is where the press was until the first event says otherwise:
    // the cursor may be elsewhere by the time the press is handled (a quick
    // flick, a touch, input another program sent).
    CPressHost(CVIView& view, CPoint pressedAt) : m_view(view), m_pointer(pressedAt) {}

    void CaptureMouse() override { SetCapture(m_view.m_hWnd); }
    void ReleaseMouse() override
    {
        if (GetCapture() == m_view.m_hWnd)
            ReleaseCapture();
    }

    PointerEvent NextPointerEvent(uint32_t timeoutMs) override
    {
        const DWORD start = GetTickCount();
        for (;;) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                switch (msg.message) {
                case WM_QUIT:
                    PostQuitMessage(int(msg.wParam));
                    return {PointerEvent::Kind::Quit, {}};
                case WM_MOUSEMOVE:
                    if (msg.hwnd == m_view.m_hWnd)
                        return {PointerEvent::Kind::Move, m_pointer = PanelPoint(msg.lParam)};
                    break;
                case WM_LBUTTONUP:
                    if (msg.hwnd == m_view.m_hWnd)
                        return {PointerEvent::Kind::Release, m_pointer = PanelPoint(msg.lParam)};
                    break;
                default:
                    break;
                }
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
                // Someone else took the mouse (a message box, say): the press is over.
                if (GetCapture() != m_view.m_hWnd)
                    return {PointerEvent::Kind::Release, {INT32_MIN / 2, INT32_MIN / 2}};
            }
            DWORD wait = INFINITE;
            if (timeoutMs != kWaitForever) {
                const DWORD elapsed = GetTickCount() - start;
                if (elapsed >= timeoutMs)
                    return {PointerEvent::Kind::Timeout, PointerPosition()};
                wait = timeoutMs - elapsed;
            }
            if (MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT) == WAIT_TIMEOUT)
                return {PointerEvent::Kind::Timeout, PointerPosition()};
        }
    }

    CPoint PointerPosition() override { return m_pointer; }
    uint32_t TickCount() override { return GetTickCount(); }
    void PostCommand(uint32_t id) override { PostMessageW(m_view.m_hWnd, WM_COMMAND, id, 0); }
    void SendCommand(uint32_t id) override { SendMessageW(m_view.m_hWnd, WM_COMMAND, id, 0); }
    void RedrawNow(CHotspot& hotspot) override
    {
        m_view.InvalidateHotspot(&hotspot);
        UpdateWindow(m_view.m_hWnd);
    }
    void CopyToClipboard(const CString& text) override { CopyTextToClipboard(m_view.m_hWnd, text); }
    int32_t ShowPopupList(const std::vector<ListEntry>& entries, CPoint at, int32_t minWidth) override
    {
        return ::ShowPopupList(m_view, entries, at, minWidth);
    }
    void OpenSpinPad(CHotspot& upDown) override;

private:
    CPoint PanelPoint(LPARAM lParam) const
    {
        return m_view.ToPanel(CPoint{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    }

    CVIView& m_view;
    CPoint m_pointer;
};

void CVIView::CPressHost::OpenSpinPad(CHotspot& upDown)
{
    // The pad's own buttons need the mouse the press captured.
    ReleaseMouse();
    CSpinButtonPopup pad;
    pad.ShowFor(upDown, m_view);
}

// ---------------------------------------------------------------- creation

const CZoomSettings& CVIView::ZoomLevels()
{
    static const CZoomSettings levels = [] {
        CRegistrySettings registry;
        HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        return CZoomSettings::Read(registry, dpi);
    }();
    return levels;
}

CVIView::CVIView() : m_zoom(ZoomLevels().first)
{
    StartGdiPlus();
}

CVIView::~CVIView()
{
    m_currentHotspot = nullptr;
}

bool CVIView::PreCreateWindow(CREATESTRUCTW& cs)
{
    CView::PreCreateWindow(cs);
    cs.style |= WS_CLIPCHILDREN;
    cs.dwExStyle &= ~WS_EX_CLIENTEDGE;
    return true;
}

bool CVIView::CreateEmpty(DWORD style, HWND parent, UINT childId)
{
    const RECT initial{10, 10, 100, 100};
    return CreateView(0, style, initial, DefaultParent(parent), childId);
}

bool CVIView::Create(uint32_t layoutId, DWORD style, HWND parent, UINT childId)
{
    if (!CreateEmpty(style, parent, childId))
        return false;
    try {
        auto bytes = PanelResources().LoadCustom(kLayoutResourceType, layoutId);
        if (!bytes)
            throw CArchiveException(CArchiveException::endOfFile);
        CMemFile file(bytes->data(), bytes->size());
        CArchive ar(&file, CArchive::load);
        CPanelLayout header;
        ReadLayoutHeader(ar, header);
        LoadLayout(ar);
    } catch (const CException& e) {
        ReportException(e, kTextPanelNotLoadable);
        DestroyView();
        return false;
    }
    return FinishCreate();
}

bool CVIView::FinishCreate()
{
    if (!OnLayoutLoaded()) {
        DestroyView();
        return false;
    }
    return OnPanelReady();
}

void CVIView::LoadLayout(CArchive& ar)
{
    m_currentHotspot = nullptr;
    m_demoOverlay = nullptr;
    CPanelLayout layout;
    // Whatever the reader made before a failure stays on the panel.
    struct Finish {
        CVIView& view;
        CPanelLayout& layout;
        ~Finish()
        {
            if (layout.width > 0 && layout.height > 0)
                view.SetPanelSize(layout.width, layout.height);
            SetWindowTextW(view.m_hWnd, Wide(layout.title));
            view.InvalidatePanel(nullptr);
        }
    } finish{*this, layout};
    ReadPanel(ar, layout, m_hotspots, *this);
}

std::unique_ptr<CHotspot> CVIView::CreateHotspot(int32_t x, int32_t y, uint32_t typeCode)
{
    auto hotspot = CreateStandardHotspot(typeCode);
    if (hotspot)
        hotspot->m_notifySink = this;
    return hotspot;
}

std::unique_ptr<CHotspot> CVIView::CreateCustomHotspot(uint32_t, uint32_t, const CRect&)
{
    return nullptr;
}

bool CVIView::OnLayoutLoaded()
{
    if (IsDemonstrationMode()) {
        if (const uint8_t opacity = DemoOverlayOpacity()) {
            AddDemoOverlay(CVISkinManager::GetSkin().BackgroundArgb(opacity));
            ResizeOverlay();
        }
    }
    return true;
}

bool CVIView::OnPanelReady()
{
    if (CanZoom() && !m_zoom.IsOne()) {
        m_resizePending = true;
        ApplyZoom();
    }
    return true;
}

void CVIView::RemoveAllHotspots()
{
    m_currentHotspot = nullptr;
    m_demoOverlay = nullptr;
    m_hotspots.RemoveAll();
}

// ---------------------------------------------------------------- zoom

void CVIView::GetMinTrackSize(MINMAXINFO* info)
{
    if (!m_sizable) {
        info->ptMinTrackSize = {0, 0};
        return;
    }
    info->ptMinTrackSize = {m_zoom.ToDevice(m_panelWidth), m_zoom.ToDevice(m_panelHeight)};
}

void CVIView::SetPanelSize(int32_t width, int32_t height)
{
    if (width >= 0)
        m_panelWidth = width;
    if (height >= 0)
        m_panelHeight = height;
    ApplyZoom();
}

void CVIView::ApplyZoom()
{
    if (!m_hWnd)
        return;
    RECT window, client;
    GetWindowRect(m_hWnd, &window);
    GetClientRect(m_hWnd, &client);
    const int32_t extraX = (window.right - window.left) - client.right;
    const int32_t extraY = (window.bottom - window.top) - client.bottom;
    const int32_t width = m_zoom.ToDevice(m_panelWidth) + extraX;
    const int32_t height = m_zoom.ToDevice(m_panelHeight) + extraY;
    SetWindowPos(m_hWnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!(GetWindowLongW(m_hWnd, GWL_STYLE) & WS_CHILD)) {
        RECT desktop;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &desktop, 0);
        GetWindowRect(m_hWnd, &window);
        if (window.right > desktop.right || window.bottom > desktop.bottom) {
            const int32_t x = desktop.left + std::max<int32_t>(0, (desktop.right - desktop.left - width) / 2);
            const int32_t y = desktop.top + std::max<int32_t>(0, (desktop.bottom - desktop.top - height) / 2);
            SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    InvalidatePanel(nullptr);
}

void CVIView::ToggleZoom()
{
    if (m_sizable)
        SetPanelSize(-1, -1);
    m_resizePending = true;
    if (m_zoom2Active) {
        m_zoom2Active = false;
        m_zoom = ZoomLevels().first;
    } else {
        m_zoom2Active = true;
        m_zoom = ZoomLevels().second;
        RECT window, client, desktop;
        GetWindowRect(m_hWnd, &window);
        GetClientRect(m_hWnd, &client);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &desktop, 0);
        const CSize extra{(window.right - window.left) - client.right, (window.bottom - window.top) - client.bottom};
        m_zoom.num = FitZoomNumerator(m_zoom, {m_panelWidth, m_panelHeight}, extra,
                                      {desktop.right - desktop.left, desktop.bottom - desktop.top});
    }
    ApplyZoom();
}

// ---------------------------------------------------------------- painting

void CVIView::DrawBackground(HDC dc, const RECT& rect)
{
    HBRUSH brush = CreateSolidBrush(CVISkinManager::GetSkin().m_backgroundColour & 0x00FFFFFF);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void CVIView::DrawHotspots(IPanelGraphics& graphics, CVISkinManager& skin, const CRect& clip)
{
    for (const auto& hotspot : m_hotspots)
        if (hotspot->IsVisible() &&
            hotspot->m_rect.Inflated(hotspot->PaintMargin(), hotspot->PaintMargin()).Intersects(clip))
            hotspot->Draw(graphics, skin);
}

void CVIView::RenderPanel(HDC dc, const RECT& clip)
{
    RECT client;
    GetClientRect(m_hWnd, &client);
    DrawBackground(dc, client);
    Gdiplus::Graphics graphics(dc);
    graphics.SetClip(Gdiplus::Rect(clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top));
    CGdiPlusGraphics panel(graphics, float(m_zoom.num) / float(m_zoom.den));
    CVISkinManager& skin = CVISkinManager::GetSkin();
    skin.PrepareGraphics(panel);
    const CRect clipPanel = m_zoom.ToPanel(CRect{clip.left, clip.top, clip.right, clip.bottom}.Inflated(1, 1));
    DrawHotspots(panel, skin, clipPanel.Inflated(1, 1));
}

namespace {

// Touch settings change how controls look; panels drawn before are out of date.
uint32_t g_touchGeneration = 0;

}  // namespace

struct CVIView::PanelCache {
    PanelCache(HDC like, int32_t w, int32_t h) : width(w), height(h)
    {
        dc = CreateCompatibleDC(like);
        bitmap = CreateCompatibleBitmap(like, w, h);
        old = SelectObject(dc, bitmap);
        stale = CreateRectRgn(0, 0, w, h);
        skin = CVISkinManager::GetSkin().Generation();
        touch = g_touchGeneration;
    }
    ~PanelCache()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        DeleteObject(stale);
    }
    PanelCache(const PanelCache&) = delete;
    PanelCache& operator=(const PanelCache&) = delete;

    bool Fits(int32_t w, int32_t h) const
    {
        return bitmap && w == width && h == height && skin == CVISkinManager::GetSkin().Generation() &&
               touch == g_touchGeneration;
    }

    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    HRGN stale = nullptr;  // what changed since it was drawn
    int32_t width = 0;
    int32_t height = 0;
    uint32_t skin = 0;
    uint32_t touch = 0;
};

void CVIView::MarkStale(const RECT* rect)
{
    if (!m_cache)
        return;
    if (!rect) {
        SetRectRgn(m_cache->stale, 0, 0, m_cache->width, m_cache->height);
        return;
    }
    HRGN part = CreateRectRgnIndirect(rect);
    CombineRgn(m_cache->stale, m_cache->stale, part, RGN_OR);
    DeleteObject(part);
}

void CVIView::InvalidatePanel(const RECT* rect)
{
    MarkStale(rect);
    if (m_hWnd)
        InvalidateRect(m_hWnd, rect, FALSE);
}

void CVIView::OnDraw(HDC dc)
{
    RECT box;
    if (GetClipBox(dc, &box) == NULLREGION)
        return;
    RECT client;
    GetClientRect(m_hWnd, &client);
    if (client.right <= 0 || client.bottom <= 0)
        return;
    if (!m_cache || !m_cache->Fits(client.right, client.bottom))
        m_cache = std::make_unique<PanelCache>(dc, client.right, client.bottom);
    // Only what changed is drawn; the update box is copied from the panel as drawn.
    RECT stale;
    if (GetRgnBox(m_cache->stale, &stale) != NULLREGION) {
        const int saved = SaveDC(m_cache->dc);
        IntersectClipRect(m_cache->dc, stale.left, stale.top, stale.right, stale.bottom);
        RenderPanel(m_cache->dc, stale);
        RestoreDC(m_cache->dc, saved);
        SetRectRgn(m_cache->stale, 0, 0, 0, 0);
    }
    BitBlt(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, m_cache->dc, box.left, box.top, SRCCOPY);
}

// ---------------------------------------------------------------- controls

void CVIView::RemoveHotspot(CHotspot* hotspot)
{
    if (hotspot == m_currentHotspot)
        m_currentHotspot = nullptr;
    if (hotspot == DemoOverlay())
        m_demoOverlay = nullptr;
    InvalidateHotspot(hotspot);
    m_hotspots.Remove(hotspot);
}

void CVIView::InvalidateHotspot(CHotspot* hotspot, int32_t inflate, bool erase)
{
    if (!hotspot || !m_hWnd)
        return;
    // One device pixel more on each side covers antialiased edges.
    const int32_t margin = inflate + hotspot->PaintMargin();
    const CRect device = m_zoom.ToDevice(hotspot->m_rect.Inflated(margin, margin)).Inflated(1, 1);
    const RECT r = ToRect(device);
    MarkStale(&r);
    InvalidateRect(m_hWnd, &r, erase);
}

void CVIView::ForEachInGroup(uint32_t id, const std::function<void(CHotspot&)>& action)
{
    bool inGroup = false;
    for (const auto& hotspot : m_hotspots) {
        if (inGroup && (hotspot->m_flags & kHotGroupStart))
            break;
        if (!inGroup && hotspot->m_id != id)
            continue;
        inGroup = true;
        action(*hotspot);
    }
}

void CVIView::EnableGroup(uint32_t id, bool enable)
{
    ForEachInGroup(id, [&](CHotspot& hotspot) {
        hotspot.SetFlag(kHotDisabled, !enable);
        InvalidateHotspot(&hotspot);
    });
}

void CVIView::OffsetGroup(uint32_t id, int32_t dx, int32_t dy)
{
    ForEachInGroup(id, [&](CHotspot& hotspot) {
        InvalidateHotspot(&hotspot);
        hotspot.m_rect = hotspot.m_rect.Offset(dx, dy);
        InvalidateHotspot(&hotspot);
    });
}

// ---------------------------------------------------------------- updates

bool CVIView::CheckUpdate(uintptr_t value)
{
    const CUpdateGate::Due due = m_gate.Check(::TickCount());
    switch (due.verdict) {
    case CUpdateGate::Verdict::Update:
        return true;
    case CUpdateGate::Verdict::AskInstrument:
        return OnUpdateDue(value, due.bits, due.elapsed);
    case CUpdateGate::Verdict::Skip:
    default:
        return false;
    }
}

void CVIView::SetUpdatePeriod(uint32_t ms)
{
    m_gate.SetPeriod(ms);
}

void CVIView::SetHoldOff(uint32_t ms)
{
    m_gate.SetHoldOff(ms, ::TickCount());
}

bool CVIView::IsHoldOffActive()
{
    return m_gate.IsHoldOffRunning(::TickCount());
}

// ---------------------------------------------------------------- notifications

void CVIView::OnHotspotInvalidate(CHotspot& hotspot)
{
    InvalidateHotspot(&hotspot);
}

void CVIView::OnHotspotToggled(CHotspot& hotspot)
{
    SendMessageW(m_hWnd, WM_COMMAND, hotspot.m_id, 0);
}

void CVIView::OnHotspotCommand(CHotspot& hotspot)
{
    SendMessageW(m_hWnd, WM_COMMAND, hotspot.m_id, 0);
}

void CVIView::OnHotspotPower(CHotspot& hotspot)
{
    SendMessageW(m_hWnd, WM_COMMAND, hotspot.m_id, 0);
}

// ---------------------------------------------------------------- mouse

void CVIView::SetHotspotCursor(CHotspot* hotspot)
{
    const bool own = hotspot && !hotspot->IsStatic() && !(hotspot->m_flags & kHotDefaultCursor);
    SetCursor(LoadCursorW(nullptr, own && hotspot->WantsHandCursor() ? IDC_HAND : IDC_ARROW));
}

bool CVIView::IsHotspotActive(CHotspot* hotspot)
{
    return hotspot && hotspot->IsVisible() && !hotspot->IsDisabled() && !hotspot->IsStatic();
}

void CVIView::OnLeftButtonDown(CPoint device)
{
    const CPoint point = ToPanel(device);
    CHotspot* hit = m_hotspots.HitTest(point);
    m_currentHotspot = hit;
    if (!hit)
        return;
    OnHotspotPressed();
    if (!hit->IsVisible() || hit->IsDisabled())
        return;
    CPressHost host(*this, point);
    const bool clicked = hit->OnPress(host);
    // The command the press sent may have rebuilt the panel.
    if (m_hotspots.IndexOf(hit) < 0) {
        m_currentHotspot = nullptr;
        return;
    }
    if (clicked && hit->m_typeCode == kHotRadio)
        SelectRadioExclusive(hit);
}

void CVIView::OnMouseMove(CPoint device)
{
    const CPoint point = ToPanel(device);
    CHotspot* hit = m_hotspots.HitTest(point);
    if (hit && hit == m_currentHotspot && (hit->m_flags & kHotTrackMovement)) {
        if (hit->OnMouseMove(point))
            InvalidateHotspot(hit);
    }
    if (hit == m_currentHotspot)
        return;
    if (m_currentHotspot && IsHotspotActive(m_currentHotspot)) {
        m_currentHotspot->SetHover(false, point);
        InvalidateHotspot(m_currentHotspot);
    }
    if (hit && IsHotspotActive(hit)) {
        if (!m_trackingLeave) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, m_hWnd, 0};
            m_trackingLeave = TrackMouseEvent(&track) != FALSE;
        }
        hit->SetHover(true, point);
        InvalidateHotspot(hit);
    }
    m_currentHotspot = hit;
}

void CVIView::OnMouseLeave()
{
    m_trackingLeave = false;
    if (m_currentHotspot && IsHotspotActive(m_currentHotspot)) {
        m_currentHotspot->SetHover(false, {});
        InvalidateHotspot(m_currentHotspot);
    }
    // Coming back onto the same control is a new hover.
    m_currentHotspot = nullptr;
}

bool CVIView::OnSetCursor()
{
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(m_hWnd, &p);
    SetHotspotCursor(m_hotspots.HitTest(ToPanel(CPoint{p.x, p.y})));
    return true;
}

void CVIView::OnSize(int32_t width, int32_t height)
{
    m_clientWidth = width;
    m_clientHeight = height;
    ResizeOverlay();
}

void CVIView::ResizeOverlay()
{
    if (!m_demoOverlay)
        return;
    RECT client;
    GetClientRect(m_hWnd, &client);
    DemoOverlay()->m_rect = m_zoom.ToPanel(CRect{0, 0, client.right, client.bottom});
}

LRESULT CVIView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnLeftButtonDown({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && OnSetCursor())
            return TRUE;
        break;
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_GETMINMAXINFO:
        GetMinTrackSize(reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam)))
            return 0;
        break;
    case WM_NCLBUTTONDBLCLK:
        if (wParam == HTCAPTION && CanZoom() && !IsZoomed(m_hWnd)) {
            ToggleZoom();
            return 0;
        }
        break;
    default:
        break;
    }
    return CView::WindowProc(message, wParam, lParam);
}

uint8_t DemoOverlayOpacity()
{
    CRegistrySettings registry;
    auto value = registry.ReadNumber(SettingsHive::CurrentUser, kVirtualInstrumentsKey, u"Demo");
    if (!value)
        value = registry.ReadNumber(SettingsHive::LocalMachine, kVirtualInstrumentsKey, u"Demo");
    return value ? uint8_t(*value & 0xFF) : 0;
}

void ReloadTouchSettings()
{
    ++g_touchGeneration;
    HDC screen = GetDC(nullptr);
    TouchSystemInfo system;
    system.menuImageHeight = MulDiv(16, GetDeviceCaps(screen, LOGPIXELSY), 96);
    ReleaseDC(nullptr, screen);
    system.tabletPc = GetSystemMetrics(SM_TABLETPC) != 0;
    system.digitizer = GetSystemMetrics(SM_DIGITIZER) != 0;
    system.slateMode = GetSystemMetrics(0x2003 /* SM_CONVERTIBLESLATEMODE */) == 0;
    CRegistrySettings registry;
    SetTouchSettings(ReadTouchSettings(registry, system));
}

RECT MonitorWorkArea(HMONITOR monitor)
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info))
        return info.rcWork;
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}
