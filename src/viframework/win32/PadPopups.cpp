#include "viframework/win32/PadPopups.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "viframework/SkinManager.h"
#include "viframework/controls/HotButton.h"
#include "viframework/controls/PanelResources.h"

namespace {

constexpr DWORD kPadStyle = WS_POPUP | WS_BORDER;
static_assert(kPadStyle == 0x80800000);

// The balloon's one tool; its size field is the one comctl32 5.8 knows too,
// so that the balloon works whether or not the host activated version 6.
constexpr UINT_PTR kBalloonTool = 1;
constexpr int32_t kBalloonWidth = 240;  // panel units before the text wraps

bool IsButtonPress(UINT message)
{
    switch (message) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN: case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN: case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN: case WM_NCMBUTTONDBLCLK:
        return true;
    default:
        return false;
    }
}

bool IsNonClient(UINT message)
{
    return message >= WM_NCLBUTTONDOWN && message <= WM_NCMBUTTONDBLCLK;
}

// The arrow of a spin pad's step key: a triangle of 20 x 10 units in the
// middle of the key, moving with the pressed face as a tool button's image does.
void DrawStepArrow(IPanelGraphics& graphics, const CRect& key, bool up, bool pressed, Argb colour)
{
    const float shift = pressed ? 1.0f : 0.0f;
    const float x = float(key.left + key.right) / 2 + shift;
    const float y = float(key.top + key.bottom) / 2 + shift;
    const float tip = up ? -5.0f : 5.0f;
    const PointF corners[3] = {{x, y + tip}, {x - 10, y - tip}, {x + 10, y - tip}};
    graphics.FillPolygon(Brush::Solid(colour), corners, 3);
}


}  // namespace

wchar_t LocaleDecimalCharacter()
{
    wchar_t decimal[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, 8) == 0 || decimal[0] == 0)
        return L'.';
    return decimal[0];
}

// ---------------------------------------------------------------- CPopupPad

bool CPopupPad::PreCreateWindow(CREATESTRUCTW& cs)
{
    CVIWindowBase::PreCreateWindow(cs);
    cs.dwExStyle |= WS_EX_TOOLWINDOW;
    return true;
}

bool CPopupPad::OnLayoutLoaded()
{
    // No demonstration overlay: it would cover the very buttons the pad is for.
    return true;
}

bool CPopupPad::Run(uint32_t layoutId, const CRect& target, CVIView& owner)
{
    // A missing layout is asked for first: the loader would report it with a
    // message box, and a pad that cannot open is only "not accepted".
    if (m_hWnd || !owner.GetSafeHwnd() || !PanelResources().LoadCustom(kLayoutResourceType, layoutId))
        return false;
    m_owner = &owner;
    m_running = true;
    if (!Create(layoutId, kPadStyle, owner.GetSafeHwnd())) {
        m_running = false;
        return false;
    }
    if (owner.IsSecondZoom() && !IsSecondZoom())
        ToggleZoom();
    Place(target);
    ShowWindow(m_hWnd, SW_SHOW);
    UpdateWindow(m_hWnd);
    // The pad takes the keyboard, yet the instrument still looks like the
    // window the user works in.
    if (HWND root = GetAncestor(owner.GetSafeHwnd(), GA_ROOT))
        SendMessageW(root, WM_NCACTIVATE, TRUE, 0);
    OnShown();
    Loop();
    m_running = false;
    DestroyView();
    return true;
}

void CPopupPad::Place(const CRect& target)
{
    const CRect device = m_owner->ToDevice(target);
    POINT origin{device.left, device.top};
    ClientToScreen(m_owner->GetSafeHwnd(), &origin);
    RECT self;
    GetWindowRect(m_hWnd, &self);
    const int32_t width = self.right - self.left, height = self.bottom - self.top;
    const RECT work = MonitorWorkArea(MonitorFromPoint(origin, MONITOR_DEFAULTTONEAREST));
    // Right and bottom first, so that a pad larger than the work area keeps
    // its top-left corner (and with it the edit field) on the screen.
    const int32_t x = std::max<int32_t>(work.left, std::min<int32_t>(origin.x, work.right - width));
    const int32_t y = std::max<int32_t>(work.top, std::min<int32_t>(origin.y, work.bottom - height));
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CPopupPad::IsPadWindow(HWND window) const
{
    return window && m_hWnd &&
           (window == m_hWnd || IsChild(m_hWnd, window) || GetWindow(window, GW_OWNER) == m_hWnd);
}

void CPopupPad::Loop()
{
    MSG msg;
    while (m_running) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The application quits: the loop that runs it must see the quit too.
            PostQuitMessage(int(msg.wParam));
            break;
        }
        if (got < 0)
            break;
        if (PreTranslate(msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool CPopupPad::PreTranslate(MSG& msg)
{
    if (IsButtonPress(msg.message)) {
        // The pad's border is outside its client area as much as the owner is.
        const bool inside = IsPadWindow(msg.hwnd) && !(msg.hwnd == m_hWnd && IsNonClient(msg.message));
        if (inside)
            return false;
        OnPressOutside();
        return true;
    }
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
        // Keys reach the pad even while the thread's focus lies elsewhere
        // (the pad could not be activated): it is the window being worked in.
        if (!IsPadWindow(msg.hwnd) || msg.hwnd == m_hWnd)
            msg.hwnd = KeyTarget();
        if (msg.message == WM_KEYDOWN && OnPadKey(UINT(msg.wParam)))
            return true;
        if (msg.message == WM_CHAR && OnPadChar(wchar_t(msg.wParam)))
            return true;
    }
    return false;
}

LRESULT CPopupPad::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ACTIVATE:
        // Another application or window came to the front: the pad is over.
        if (LOWORD(wParam) == WA_INACTIVE && m_running && !IsPadWindow(reinterpret_cast<HWND>(lParam)))
            OnPressOutside();
        break;
    case WM_SETFOCUS:
        if (HWND target = KeyTarget(); target && target != m_hWnd) {
            SetFocus(target);
            return 0;
        }
        break;
    case WM_CLOSE:
        End();
        return 0;
    case WM_DESTROY:
        m_running = false;
        break;
    default:
        break;
    }
    return CVIWindowBase::WindowProc(message, wParam, lParam);
}

// ---------------------------------------------------------------- CEditPadPopup

CEditPadPopup::~CEditPadPopup()
{
    DestroyView();
    if (m_font)
        DeleteObject(m_font);
}

bool CEditPadPopup::ShowAt(const CRect& targetRect, CVIView& owner)
{
    m_accepted = false;
    if (!Run(m_layoutId, targetRect, owner))
        return false;
    return m_accepted;
}

std::unique_ptr<CHotspot> CEditPadPopup::CreateCustomHotspot(uint32_t, uint32_t, const CRect& rect)
{
    // The layout's one rectangle record is where the field goes.
    if (m_field)
        return nullptr;
    m_fieldRect = rect;
    const CRect device = ToDevice(rect);
    m_field = CreateWindowExW(0, L"EDIT", Wide(m_text), WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | m_fieldAlign,
                              device.left, device.top, device.Width(), device.Height(), m_hWnd,
                              reinterpret_cast<HMENU>(UINT_PTR(kPadFieldId)), GetModuleHandleW(nullptr), nullptr);
    if (m_field) {
        FitField();
        SendMessageW(m_field, EM_SETSEL, 0, -1);
        SendMessageW(m_field, EM_SCROLLCARET, 0, 0);
    }
    return nullptr;
}

void CEditPadPopup::ApplyZoom()
{
    CPopupPad::ApplyZoom();
    if (m_field)
        FitField();
}

void CEditPadPopup::FitField()
{
    const CRect device = ToDevice(m_fieldRect);
    MoveWindow(m_field, device.left, device.top, device.Width(), device.Height(), TRUE);
    LOGFONTW font{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfHeight = -(2 * device.Height() / 3);
    HFONT fitted = CreateFontIndirectW(&font);
    SendMessageW(m_field, WM_SETFONT, reinterpret_cast<WPARAM>(fitted), TRUE);
    if (m_font)
        DeleteObject(m_font);
    m_font = fitted;
}

void CEditPadPopup::OnShown()
{
    if (!m_field)
        return;
    SetFocus(m_field);
    SendMessageW(m_field, EM_SETSEL, 0, -1);
}

bool CEditPadPopup::OnCommand(uint32_t id)
{
    if (id == kPadAccept) {
        Accept();
        return true;
    }
    if (id == kPadCancel) {
        End();
        return true;
    }
    if (const wchar_t ch = CharForCommand(id)) {
        Type(ch);
        return true;
    }
    return CPopupPad::OnCommand(id);
}

bool CEditPadPopup::OnPadKey(UINT virtualKey)
{
    switch (virtualKey) {
    case VK_RETURN:
        Accept();
        return true;
    case VK_ESCAPE:
        End();
        return true;
    default:
        return false;
    }
}

bool CEditPadPopup::OnPadChar(wchar_t ch)
{
    // Enter and Escape arrive as characters when someone posts them alone.
    if (ch == L'\r') {
        Accept();
        return true;
    }
    if (ch == 27) {
        End();
        return true;
    }
    HideBalloon();
    if (IsCharAllowed(ch))
        return false;
    MessageBeep(MB_OK);
    return true;
}

void CEditPadPopup::Type(wchar_t ch)
{
    HideBalloon();
    if (!m_field)
        return;
    if (!IsCharAllowed(ch)) {
        MessageBeep(MB_OK);
        return;
    }
    // The field does what a typed control character does (backspace); others
    // replace the selection.
    if (ch < 32) {
        SendMessageW(m_field, WM_CHAR, ch, 0);
    } else {
        const wchar_t text[2] = {ch, 0};
        SendMessageW(m_field, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    }
    SetFocus(m_field);
}

void CEditPadPopup::Accept()
{
    HideBalloon();
    if (m_field)
        m_text = WindowText(m_field);
    if (m_text.empty()) {
        End();
        return;
    }
    const CString error = Validate();
    if (error.empty()) {
        m_accepted = true;
        End();
        return;
    }
    ShowBalloon(error);
    if (m_field) {
        SetFocus(m_field);
        SendMessageW(m_field, EM_SETSEL, 0, -1);
    }
}

void CEditPadPopup::ShowBalloon(const CString& text)
{
    if (!m_field)
        return;
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_TRACK;
    tool.hwnd = m_hWnd;
    tool.uId = kBalloonTool;
    if (!m_balloon) {
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&classes);
        m_balloon = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                    WS_POPUP | TTS_NOPREFIX | TTS_BALLOON | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!m_balloon)
            return;
        tool.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(m_balloon, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    SendMessageW(m_balloon, TTM_SETMAXTIPWIDTH, 0, Zoom().ToDevice(kBalloonWidth));
    const CString title = PanelResources().LoadText(kTextInvalidEntryTitle);
    SendMessageW(m_balloon, TTM_SETTITLEW, TTI_ERROR, reinterpret_cast<LPARAM>(Wide(title)));
    tool.lpszText = const_cast<wchar_t*>(Wide(text));
    SendMessageW(m_balloon, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    // The stem points at the middle of the field's left edge.
    RECT field;
    GetWindowRect(m_field, &field);
    SendMessageW(m_balloon, TTM_TRACKPOSITION, 0, MAKELPARAM(field.left, (field.top + field.bottom) / 2));
    SendMessageW(m_balloon, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void CEditPadPopup::HideBalloon()
{
    if (!m_balloon || !IsWindowVisible(m_balloon))
        return;
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = m_hWnd;
    tool.uId = kBalloonTool;
    SendMessageW(m_balloon, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

LRESULT CEditPadPopup::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        // Field and balloon go with the pad; a later ShowAt makes new ones.
        m_field = nullptr;
        m_balloon = nullptr;
    }
    return CPopupPad::WindowProc(message, wParam, lParam);
}

// ---------------------------------------------------------------- CNumPadPopup

CNumPadPopup::CNumPadPopup(int32_t& target, int32_t minimum, int32_t maximum)
    : CEditPadPopup(kNumPadLayout), m_integer(&target), m_rules(CNumPadRules::ForInteger(minimum, maximum))
{
    m_text = m_rules.Format(target);
    m_fieldAlign = ES_RIGHT;
}

CNumPadPopup::CNumPadPopup(double& target, double minimum, double maximum)
    : CEditPadPopup(kNumPadLayout),
      m_floating(&target),
      m_rules(CNumPadRules::ForFloating(minimum, maximum, char16_t(LocaleDecimalCharacter())))
{
    m_text = m_rules.Format(target);
    m_fieldAlign = ES_RIGHT;
}

bool CNumPadPopup::OnLayoutLoaded()
{
    const NumPadKeys keys = m_rules.Keys();
    for (const auto& hotspot : Hotspots()) {
        if (hotspot->m_id == kPadKeyMinus) {
            hotspot->SetFlag(kHotVisible, keys.minusShown);
        } else if (hotspot->m_id == kPadKeyDecimal) {
            hotspot->SetFlag(kHotVisible, keys.decimalShown);
            if (hotspot->m_typeCode == kHotButton)
                static_cast<CHotButton*>(hotspot.get())->SetText(CString(1, keys.decimalLabel));
        }
    }
    return CEditPadPopup::OnLayoutLoaded();
}

CString CNumPadPopup::Validate()
{
    const NumPadVerdict verdict = m_rules.Judge(m_text);
    if (verdict.outcome == NumPadVerdict::Outcome::Refuse)
        return ComposePadMessage(verdict.messageId, PanelResources().LoadText(verdict.messageId), verdict.argument);
    if (verdict.outcome == NumPadVerdict::Outcome::Accept) {
        if (m_integer)
            *m_integer = verdict.integer;
        if (m_floating)
            *m_floating = verdict.floating;
    }
    return {};
}

// ---------------------------------------------------------------- CSpinButtonPopup

bool CSpinButtonPopup::ShowFor(const CHotspot& upDown, CVIView& owner)
{
    m_baseId = upDown.m_id;
    return Run(kSpinPadLayout, upDown.m_rect, owner);
}

void CSpinButtonPopup::Step(uint32_t commandId)
{
    if (m_owner)
        SendMessageW(m_owner->GetSafeHwnd(), WM_COMMAND, commandId, 0);
}

bool CSpinButtonPopup::OnCommand(uint32_t id)
{
    switch (id) {
    case kSpinPadUp:
        Step(m_baseId);
        return true;
    case kSpinPadDown:
        Step(m_baseId + 1);
        return true;
    case kPadAccept:
    case kPadCancel:
        End();
        return true;
    default:
        return CPopupPad::OnCommand(id);
    }
}

void CSpinButtonPopup::DrawHotspots(IPanelGraphics& graphics, CVISkinManager& skin, const CRect& clip)
{
    CPopupPad::DrawHotspots(graphics, skin, clip);
    // Drawn in the colour the skin gives button labels: a picture would suit
    // one skin only, and not every Tahoma has arrow characters.
    for (uint32_t id : {kSpinPadUp, kSpinPadDown}) {
        const auto* key = Find<CHotButton>(id);
        if (key && key->IsVisible())
            DrawStepArrow(graphics, key->m_rect, id == kSpinPadUp, key->IsPressed(), skin.TextColour());
    }
}

bool CSpinButtonPopup::OnPadKey(UINT virtualKey)
{
    switch (virtualKey) {
    case VK_RETURN:
    case VK_ESCAPE:
        End();
        return true;
    case VK_UP:
        Step(m_baseId);
        return true;
    case VK_DOWN:
        Step(m_baseId + 1);
        return true;
    default:
        return false;
    }
}
