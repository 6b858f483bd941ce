#include "viframework/win32/VIWindow.h"

#include <cwchar>

#include "framework/win32/Win32Services.h"
#include "interface/InterfaceVI.h"
#include "viframework/UpdateGate.h"

namespace {

constexpr uint32_t kInstrumentIcon = 5001;
constexpr UINT kUpdateUiMessage = 0x0044;
constexpr uint32_t kFirstInstrumentId = 10000;

}  // namespace

// The resource library is loaded as data, from which the loader's own icon
// functions cannot make icons; the icon is therefore built from the
// resource's bytes.
HICON InstrumentIcon()
{
    static HICON icon = [] {
        HMODULE module = nullptr;
        CWinApp* app = AfxGetApp();
        HRSRC group = app ? app->FindInChain(RT_GROUP_ICON, MAKEINTRESOURCEW(kInstrumentIcon), &module) : nullptr;
        if (!group)
            return HICON(nullptr);
        auto* directory = static_cast<BYTE*>(LockResource(LoadResource(module, group)));
        const int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
        const int id = directory ? LookupIconIdFromDirectoryEx(directory, TRUE, cx, cy, LR_DEFAULTCOLOR) : 0;
        HRSRC image = id ? FindResourceW(module, MAKEINTRESOURCEW(id), RT_ICON) : nullptr;
        if (!image)
            return HICON(nullptr);
        auto* bits = static_cast<BYTE*>(LockResource(LoadResource(module, image)));
        return CreateIconFromResourceEx(bits, SizeofResource(module, image), TRUE, 0x00030000, cx, cy,
                                        LR_DEFAULTCOLOR);
    }();
    return icon;
}

// ---------------------------------------------------------------- shared by windows and frames

bool IsSlateModeChange(LPARAM lParam)
{
    const auto* section = reinterpret_cast<const wchar_t*>(lParam);
    return section && std::wcscmp(section, L"ConvertibleSlateMode") == 0;
}

bool IsUpdateMessage(UINT message)
{
    static const UINT updateMessage = RegisterWindowMessageW(L"WM_VI_ONUPDATEUI");
    return message == updateMessage || message == kUpdateUiMessage;
}

// ---------------------------------------------------------------- CWindowSink

CString CWindowSink::GetTitle()
{
    wchar_t title[256] = {};
    if (HWND window = SinkWindow())
        GetWindowTextW(window, title, 255);
    return FromWide(title);
}

void CWindowSink::ShowInstrument(bool show)
{
    HWND window = SinkWindow();
    if (!window)
        return;
    if (show) {
        ShowWindow(window, IsIconic(window) ? SW_RESTORE : SW_SHOWNORMAL);
        BringWindowToTop(window);
        UpdateWindow(window);
    } else {
        ShowWindow(window, SW_HIDE);
    }
}

void CWindowSink::ToggleVisible()
{
    ShowInstrument(!IsInstrumentVisible());
}

bool CWindowSink::IsInstrumentVisible()
{
    HWND window = SinkWindow();
    return window && IsWindowVisible(window);
}

void CWindowSink::SerializeState(CArchive& ar)
{
    HWND window = SinkWindow();
    if (ar.IsStoring()) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        GetWindowPlacement(window, &placement);
        ar << uint32_t(m_id - kFirstInstrumentId) << int32_t(placement.rcNormalPosition.left)
           << int32_t(placement.rcNormalPosition.top) << uint8_t(IsInstrumentVisible() ? 1 : 0);
        SerializeInstrument(ar);
        return;
    }
    int32_t left = 0, top = 0;
    uint8_t visible = 1;
    ar >> left >> top >> visible;
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowInstrument(visible != 0);
    SerializeInstrument(ar);
}

void CWindowSink::LoadStateFile()
{
    CFile* file = GetStateFile();
    if (!file || file->GetLength() == 0)
        return;
    try {
        file->Seek(0, CFile::begin);
        CArchive ar(file, CArchive::load);
        SerializeInstrument(ar);
    } catch (const CException&) {
        // A damaged state file only costs the saved settings.
    }
}

void CWindowSink::SaveStateFile()
{
    CFile* file = GetStateFile();
    if (!file)
        return;
    try {
        file->Seek(0, CFile::begin);
        CArchive ar(file, CArchive::store);
        SerializeInstrument(ar);
    } catch (const CException&) {
    }
}

bool CWindowSink::OnClosingMessage(UINT message, WPARAM wParam)
{
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) != SC_CLOSE)
            return false;
        OnInstrumentClosing();
        ShowWindow(SinkWindow(), SW_HIDE);
        return true;
    case WM_CLOSE:
        OnClose();
        return false;
    case WM_DESTROY:
        OnDestroy();
        return false;
    default:
        return false;
    }
}

void CWindowSink::OnClose()
{
    OnInstrumentClosing();
    Detach();
    SaveStateFile();
}

void CWindowSink::AwaitRelease()
{
    if (CWnd* main = AfxGetMainWnd(); main && main->GetSafeHwnd())
        BringWindowToTop(main->GetSafeHwnd());
    // Destroyed without closing first (with its owner, say): detach now so
    // that the polling thread releases it.
    if (State() == kSinkActive)
        Detach();
    // The polling thread may still be about to deliver its last event here;
    // without one, nobody would. Messages other threads send meanwhile are
    // answered, so a dispatch waiting on another window of this thread cannot
    // hold this wait up.
    const DWORD start = GetTickCount();
    while (State() == kSinkDetached && m_owner && m_owner->IsPolling() && GetTickCount() - start < kReleaseWaitMs) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    if (State() == kSinkDetached && m_owner)
        m_owner->ForgetInstrument(this);
}

// ---------------------------------------------------------------- CVIWindowBase

bool CVIWindowBase::PreCreateWindow(CREATESTRUCTW& cs)
{
    CVIView::PreCreateWindow(cs);
    cs.lpszClass = RegisterClassOnce(L"VexaInstrument", InstrumentIcon());
    if (m_sizable)
        cs.style |= WS_THICKFRAME | WS_MAXIMIZEBOX;
    return true;
}

bool CVIWindowBase::FinishCreate()
{
    if (!OnLayoutLoaded()) {
        DestroyView();
        return false;
    }
    RestoreState();
    return OnPanelReady();
}

bool CVIWindowBase::OnZoomGesture(int32_t distance)
{
    if (CanZoom() && ((distance > 100 && !m_zoom2Active) || (distance < -100 && m_zoom2Active)))
        ToggleZoom();
    return true;
}

void CVIWindowBase::OnUserResize(int32_t width, int32_t height)
{
    if (m_resizePending) {
        m_resizePending = false;
        m_remainderX = m_remainderY = 0;
        return;
    }
    if (!m_sizable || m_clientWidth == 0)
        return;
    const int32_t dx = DeviceDeltaToPanel(width - m_clientWidth, m_zoom, m_remainderX);
    const int32_t dy = DeviceDeltaToPanel(height - m_clientHeight, m_zoom, m_remainderY);
    if (dx != 0 || dy != 0) {
        OnPanelSizeChanged(dx, dy);
        InvalidatePanel(nullptr);
    }
}

LRESULT CVIWindowBase::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SIZE && wParam != SIZE_MINIMIZED) {
        OnUserResize(LOWORD(lParam), HIWORD(lParam));
    }
    // Every top-level panel hears the change, so touch mode follows it with no frame open.
    if (message == WM_SETTINGCHANGE && IsSlateModeChange(lParam)) {
        ReloadTouchSettings();
        InvalidatePanel(nullptr);
    }
    return CVIView::WindowProc(message, wParam, lParam);
}

// ---------------------------------------------------------------- CVIWindow

CVIWindow::CVIWindow() = default;

CVIWindow::~CVIWindow() = default;

bool CVIWindow::OnPanelReady()
{
    RestoreState();
    CVIEventSink::OnPanelReady(reinterpret_cast<WindowHandle>(m_hWnd));
    return CVIWindowBase::OnPanelReady();
}

bool CVIWindow::OnEvent(uint32_t code, uintptr_t value)
{
    if (code == kEventClosing) {
        OnInterfaceClosing();
        return false;
    }
    if (IsHoldOffActive())
        return false;
    return CheckUpdate(value);
}

void CVIWindow::OnClose()
{
    CWindowSink::OnClose();
    ShowWindow(m_hWnd, SW_HIDE);
    if (CWnd* main = AfxGetMainWnd(); main && IsWindowVisible(main->GetSafeHwnd()))
        UpdateWindow(main->GetSafeHwnd());
}

void CVIWindow::OnDestroy()
{
    m_controlsGone = true;
    RemoveAllHotspots();
    CWindowSink::OnDestroy();
}

void CVIWindow::PostNcDestroy()
{
    // A window that failed during creation belongs to whoever tried to make it.
    if (m_autoDelete && m_created)
        delete this;
}

LRESULT CVIWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The release wait of a closing window answers the polling thread's
    // updates, and commands may still be queued: the instrument's controls
    // are gone by then, so neither reaches it.
    if (IsUpdateMessage(message)) {
        if (!m_controlsGone)
            OnUpdateUI(uint32_t(wParam));
        return 0;
    }
    if (message == WM_COMMAND && m_controlsGone)
        return 0;
    if (OnClosingMessage(message, wParam))
        return 0;
    return CVIWindowBase::WindowProc(message, wParam, lParam);
}
