#include "viframework/win32/PopupList.h"

#include <windowsx.h>

#include "viframework/SkinManager.h"
#include "viframework/controls/PopupListModel.h"
#include "viframework/win32/GdiPlusGraphics.h"
#include "viframework/win32/VIView.h"

namespace {

constexpr DWORD kListStyle = WS_POPUP | WS_VISIBLE | WS_BORDER;  // 0x90800000
constexpr UINT_PTR kScrollTimer = 1;
constexpr UINT kScrollRepeatMs = 200;
constexpr int32_t kScrollAreaHeight = 12;  // panel units

class CHotPopupList : public CView {
public:
    CHotPopupList(CVIView& view, const std::vector<IHotspotHost::ListEntry>& entries)
        : m_view(view), m_entries(entries), m_zoom(view.Zoom())
    {
    }

    int32_t Run(CPoint at, int32_t minWidth)
    {
        CVISkinManager& skin = CVISkinManager::GetSkin();
        std::vector<CHotPopupListModel::Entry> measured;
        for (const auto& entry : m_entries)
            measured.push_back({entry.column, entry.row, TextMeasurer().MeasureString(entry.text, skin.m_textFont)});

        // Where the list goes on the screen, and how much of it fits.
        POINT origin{m_zoom.ToDevice(at.x), m_zoom.ToDevice(at.y)};
        ClientToScreen(m_view.GetSafeHwnd(), &origin);
        const RECT work = MonitorWorkArea(MonitorFromPoint(origin, MONITOR_DEFAULTTONEAREST));
        const int32_t border = 2 * GetSystemMetrics(SM_CYBORDER);
        m_model.Layout(std::move(measured), minWidth, m_zoom.ToPanel(work.bottom - work.top - border), kScrollAreaHeight);

        const CSize size = m_model.Size();
        const int32_t width = m_zoom.ToDevice(size.cx) + border, height = m_zoom.ToDevice(size.cy) + border;
        int32_t x = std::min<int32_t>(origin.x, work.right - width), y = origin.y;
        if (y + height > work.bottom)
            y = std::max<int32_t>(work.top, work.bottom - height);
        x = std::max<int32_t>(x, work.left);
        if (!CreateView(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kListStyle & ~WS_VISIBLE, RECT{x, y, x + width, y + height},
                        m_view.GetSafeHwnd(), 0))
            return -1;
        // The owner keeps its active caption: the list is shown without activation.
        ShowWindow(m_hWnd, SW_SHOWNA);
        UpdateWindow(m_hWnd);
        SetCapture(m_hWnd);
        const int32_t result = Loop();
        if (GetCapture() == m_hWnd)
            ReleaseCapture();
        DestroyView();
        return result;
    }

protected:
    bool PreCreateWindow(CREATESTRUCTW& cs) override
    {
        cs.lpszClass = RegisterClassOnce(L"VexaPopupList", nullptr);
        return true;
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_ERASEBKGND:
            return 1;
        case WM_TIMER:
            if (wParam == kScrollTimer && m_model.ScrollBy(m_scrollDirection))
                InvalidateRect(m_hWnd, nullptr, FALSE);
            return 0;
        default:
            return CView::WindowProc(message, wParam, lParam);
        }
    }

    void OnDraw(HDC dc) override
    {
        RECT client;
        GetClientRect(m_hWnd, &client);
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
        HGDIOBJ old = SelectObject(memory, bitmap);
        {
            Gdiplus::Graphics graphics(memory);
            CGdiPlusGraphics g(graphics, float(m_zoom.num) / float(m_zoom.den));
            CVISkinManager& skin = CVISkinManager::GetSkin();
            skin.PrepareGraphics(g);
            const CSize size = m_model.Size();
            const Argb background = Shade(skin.BackgroundArgb(), 12);
            g.FillRectangle(Brush::Solid(background), {0, 0, float(size.cx), float(size.cy)});
            for (size_t i = 0; i < m_entries.size(); ++i) {
                const CRect r = m_model.EntryRect(int32_t(i));
                if (r.IsEmpty())
                    continue;
                RectF box = RectF::From(r);
                if (int32_t(i) == m_model.Highlight()) {
                    g.FillRoundedRectangle(Brush::Solid(skin.m_colourTable[1]), box.Inflated(-1, -1), 2);
                    skin.DrawLabelText(g, box.Inflated(-2, 0), m_entries[i].text, skin.m_textFont,
                                       skin.m_colourTable[6], {TextAlign::Near, TextAlign::Centre});
                } else {
                    skin.DrawLabelText(g, box.Inflated(-2, 0), m_entries[i].text, skin.m_textFont, kSkinColour,
                                       {TextAlign::Near, TextAlign::Centre});
                }
            }
            if (m_model.Scrolls()) {
                skin.DrawGlyph(g, RectF::From(m_model.ScrollUpRect()), 1, skin.m_colourTable[3]);
                skin.DrawGlyph(g, RectF::From(m_model.ScrollDownRect()), 2, skin.m_colourTable[3]);
            }
        }
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
    }

private:
    CHotPopupListModel::Hit HitAt(LPARAM lParam) const
    {
        return m_model.HitTest(m_zoom.ToPanel(CPoint{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
    }

    int32_t Chosen(int32_t index) const
    {
        return index >= 0 && size_t(index) < m_entries.size() ? int32_t(m_entries[size_t(index)].id) : -1;
    }

    void StopScrolling()
    {
        KillTimer(m_hWnd, kScrollTimer);
        m_scrollDirection = 0;
    }

    int32_t Loop()
    {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            switch (msg.message) {
            case WM_MOUSEMOVE: {
                const auto hit = HitAt(msg.lParam);
                if (m_model.SetHighlight(hit.kind == CHotPopupListModel::Hit::Kind::Entry ? hit.index : -1))
                    InvalidateRect(m_hWnd, nullptr, FALSE);
                continue;
            }
            case WM_LBUTTONDOWN:
            case WM_LBUTTONDBLCLK: {
                const auto hit = HitAt(msg.lParam);
                using Kind = CHotPopupListModel::Hit::Kind;
                if (hit.kind == Kind::ScrollUp || hit.kind == Kind::ScrollDown) {
                    m_scrollDirection = hit.kind == Kind::ScrollUp ? -1 : 1;
                    if (m_model.ScrollBy(m_scrollDirection))
                        InvalidateRect(m_hWnd, nullptr, FALSE);
                    SetTimer(m_hWnd, kScrollTimer, kScrollRepeatMs, nullptr);
                    continue;
                }
                if (hit.kind == Kind::None) {
                    RECT client;
                    GetClientRect(m_hWnd, &client);
                    const POINT p{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
                    if (!PtInRect(&client, p))
                        return -1;
                }
                continue;
            }
            case WM_LBUTTONUP: {
                if (m_scrollDirection != 0) {
                    StopScrolling();
                    continue;
                }
                const auto hit = HitAt(msg.lParam);
                return hit.kind == CHotPopupListModel::Hit::Kind::Entry ? Chosen(hit.index) : -1;
            }
            case WM_RBUTTONDOWN:
            case WM_MBUTTONDOWN:
            case WM_NCLBUTTONDOWN:
                return -1;
            case WM_KEYDOWN: {
                using Key = CHotPopupListModel::Key;
                bool moved = false;
                switch (msg.wParam) {
                case VK_RETURN: return Chosen(m_model.Highlight());
                case VK_ESCAPE: return -1;
                case VK_HOME: moved = m_model.OnKey(Key::Home); break;
                case VK_END: moved = m_model.OnKey(Key::End); break;
                case VK_LEFT: moved = m_model.OnKey(Key::Left); break;
                case VK_RIGHT: moved = m_model.OnKey(Key::Right); break;
                case VK_UP: moved = m_model.OnKey(Key::Up); break;
                case VK_DOWN: moved = m_model.OnKey(Key::Down); break;
                default: break;
                }
                if (moved)
                    InvalidateRect(m_hWnd, nullptr, FALSE);
                continue;
            }
            case WM_CHAR:
            case WM_KEYUP:
                continue;
            default:
                break;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            // Losing the mouse (another window took it, the application lost
            // the focus) dismisses the list.
            if (GetCapture() != m_hWnd || GetActiveWindow() == nullptr)
                return -1;
        }
        PostQuitMessage(int(msg.wParam));
        return -1;
    }

    CVIView& m_view;
    const std::vector<IHotspotHost::ListEntry>& m_entries;
    CZoomRatio m_zoom;
    CHotPopupListModel m_model;
    int32_t m_scrollDirection = 0;
};

}  // namespace

int32_t ShowPopupList(CVIView& view, const std::vector<IHotspotHost::ListEntry>& entries, CPoint at, int32_t minWidth)
{
    if (entries.empty())
        return -1;
    CHotPopupList list(view, entries);
    return list.Run(at, minWidth);
}
