#include "framework/win32/View.h"

#include <map>
#include <string>

namespace {
constexpr wchar_t kDefaultClass[] = L"VexaView";

// Classes belong to the module that holds the window procedure: the
// plug-in, which a host may unload while its own windows live on.
HINSTANCE ThisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}
}

CView::~CView()
{
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
        ::DestroyWindow(m_hWnd);
    }
    m_hWnd = nullptr;
}

const wchar_t* CView::RegisterClassOnce(const wchar_t* name, HICON icon)
{
    static std::map<std::wstring, bool> registered;
    if (!registered[name]) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = StaticProc;
        wc.hInstance = ThisModule();
        wc.hIcon = icon;
        wc.hIconSm = icon;
        wc.lpszClassName = name;
        // Another module of this process may have registered it already.
        if (RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS)
            registered[name] = true;
    }
    return name;
}

bool CView::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.lpszClass = RegisterClassOnce(kDefaultClass, nullptr);
    return true;
}

bool CView::CreateView(DWORD exStyle, DWORD style, const RECT& rect, HWND parent, UINT childId)
{
    CREATESTRUCTW cs{};
    cs.dwExStyle = exStyle;
    cs.style = style;
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.hwndParent = parent;
    cs.hMenu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(childId));
    cs.hInstance = ThisModule();
    if (!PreCreateWindow(cs))
        return false;
    HWND window = CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                                  cs.hwndParent, cs.hMenu, cs.hInstance, this);
    m_created = window != nullptr;
    return m_created;
}

void CView::DestroyView()
{
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

CView* CView::FromHandle(HWND window)
{
    return reinterpret_cast<CView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CView::Default(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hWnd, &ps);
        OnDraw(dc);
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    return Default(message, wParam, lParam);
}

LRESULT CALLBACK CView::StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CView* view = FromHandle(window);
    if (message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        view = static_cast<CView*>(cs->lpCreateParams);
        if (view) {
            view->m_hWnd = window;
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
        }
    }
    if (!view)
        return DefWindowProcW(window, message, wParam, lParam);
    const LRESULT result = view->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        view->m_hWnd = nullptr;
        view->PostNcDestroy();
    }
    return result;
}
