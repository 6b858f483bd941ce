#include "charts/win32/ChartPageControls.h"

#include <commdlg.h>

#include <algorithm>

#include "charts/ChartPageRules.h"
#include "framework/win32/WinApp.h"
#include "framework/win32/Win32Services.h"

namespace {

constexpr uint32_t kTextNoLine = 3140;
constexpr uint32_t kTextFirstBarStyle = 3141;  // line, bars, steps, points follow

// Room for the bar pictures beside their names [pixels].
constexpr int kPictureWidth = 28;
constexpr int kPictureHeight = 14;

// Selects a GDI object into a DC for one scope and deletes it afterwards
// when it was made for that scope.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object, bool owned = true)
        : m_dc(dc), m_object(object), m_old(SelectObject(dc, object)), m_owned(owned)
    {
    }
    ~SelectedObject()
    {
        SelectObject(m_dc, m_old);
        if (m_owned)
            DeleteObject(m_object);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_object;
    HGDIOBJ m_old;
    bool m_owned;
};

// The item's background as the list shows selection; the colour for what
// is drawn on it.
COLORREF FillItem(const DRAWITEMSTRUCT& item)
{
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    return GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
}

void FinishItem(const DRAWITEMSTRUCT& item)
{
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT))
        DrawFocusRect(item.hDC, &item.rcItem);
}

HPEN StylePen(uint32_t style, COLORREF colour)
{
    if (style == ChartPen::alternate) {
        // Every other pixel exists only as a cosmetic pen.
        const LOGBRUSH brush{BS_SOLID, colour, 0};
        return ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &brush, 0, nullptr);
    }
    // Solid to dash-dot-dot have the numbers of GDI's pen styles.
    return CreatePen(style <= ChartPen::dashDotDot ? int(style) : PS_SOLID, 1, colour);
}

void DrawBarPicture(HDC dc, BarStyle style, RECT box, COLORREF colour)
{
    const int w = box.right - box.left, h = box.bottom - box.top;
    // Five values, as fractions of the height from the bottom.
    static constexpr double kValues[] = {0.3, 0.8, 0.5, 0.95, 0.6};
    POINT points[5];
    for (int i = 0; i < 5; ++i)
        points[i] = {box.left + (2 * i + 1) * w / 10, box.bottom - 1 - LONG(kValues[i] * (h - 1))};
    SelectedObject pen(dc, CreatePen(PS_SOLID, 1, colour));
    switch (style) {
    case BarStyle::line:
        Polyline(dc, points, 5);
        break;
    case BarStyle::bars: {
        SelectedObject brush(dc, CreateSolidBrush(colour));
        for (const POINT& p : points)
            Rectangle(dc, p.x - w / 14, p.y, p.x + w / 14 + 1, box.bottom);
        break;
    }
    case BarStyle::steps: {
        POINT stairs[10];
        for (int i = 0; i < 5; ++i) {
            stairs[2 * i] = {box.left + 2 * i * w / 10, points[i].y};
            stairs[2 * i + 1] = {box.left + (2 * i + 2) * w / 10, points[i].y};
        }
        Polyline(dc, stairs, 10);
        break;
    }
    case BarStyle::points:
        for (const POINT& p : points) {
            const RECT dot{p.x - 1, p.y - 1, p.x + 2, p.y + 2};
            HBRUSH brush = CreateSolidBrush(colour);
            FillRect(dc, &dot, brush);
            DeleteObject(brush);
        }
        break;
    }
}

}  // namespace

// ---------------------------------------------------------------- CLineCombo

void CLineCombo::Attach(HWND combo)
{
    m_hWnd = combo;
    m_noneText = CResourceStrings().LoadText(kTextNoLine);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (uint32_t style : kStyles)
        SendMessageW(combo, CB_ADDSTRING, 0, LPARAM(style));
}

void CLineCombo::Select(uint32_t style)
{
    const uint32_t* end = std::end(kStyles);
    const uint32_t* found = std::find(std::begin(kStyles), end, style);
    if (found == end)
        found = std::begin(kStyles);
    SendMessageW(m_hWnd, CB_SETCURSEL, WPARAM(found - std::begin(kStyles)), 0);
}

uint32_t CLineCombo::Selected() const
{
    const LRESULT index = SendMessageW(m_hWnd, CB_GETCURSEL, 0, 0);
    return index >= 0 && size_t(index) < std::size(kStyles) ? kStyles[index] : ChartPen::solid;
}

void CLineCombo::DrawItem(const DRAWITEMSTRUCT& item) const
{
    if (item.itemID == UINT(-1))
        return;
    const COLORREF ink = FillItem(item);
    const uint32_t style = uint32_t(item.itemData);
    RECT inner = item.rcItem;
    InflateRect(&inner, -4, 0);
    if (style == ChartPen::none) {
        SetBkMode(item.hDC, TRANSPARENT);
        SetTextColor(item.hDC, ink);
        DrawTextW(item.hDC, Wide(m_noneText), -1, &inner, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    } else {
        // Two rows, so that a dotted line reads at a glance.
        const int middle = (inner.top + inner.bottom) / 2;
        SelectedObject pen(item.hDC, StylePen(style, ink));
        SetBkMode(item.hDC, TRANSPARENT);
        for (int y = middle - 1; y <= middle; ++y) {
            MoveToEx(item.hDC, inner.left, y, nullptr);
            LineTo(item.hDC, inner.right, y);
        }
    }
    FinishItem(item);
}

// ---------------------------------------------------------------- CBarCombo

void CBarCombo::Attach(HWND combo)
{
    m_hWnd = combo;
    CResourceStrings strings;
    for (size_t i = 0; i < std::size(kStyles); ++i)
        m_names[i] = strings.LoadText(kTextFirstBarStyle + uint32_t(i));
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (BarStyle style : kStyles)
        SendMessageW(combo, CB_ADDSTRING, 0, LPARAM(style));
}

void CBarCombo::Select(BarStyle style)
{
    const size_t index = size_t(style) < std::size(kStyles) ? size_t(style) : 0;
    SendMessageW(m_hWnd, CB_SETCURSEL, index, 0);
}

BarStyle CBarCombo::Selected() const
{
    const LRESULT index = SendMessageW(m_hWnd, CB_GETCURSEL, 0, 0);
    return index >= 0 && size_t(index) < std::size(kStyles) ? kStyles[index] : BarStyle::line;
}

void CBarCombo::DrawItem(const DRAWITEMSTRUCT& item) const
{
    if (item.itemID == UINT(-1) || item.itemID >= std::size(kStyles))
        return;
    const COLORREF ink = FillItem(item);
    const RECT& r = item.rcItem;
    const int top = (r.top + r.bottom - kPictureHeight) / 2;
    DrawBarPicture(item.hDC, kStyles[item.itemID], {r.left + 4, top, r.left + 4 + kPictureWidth, top + kPictureHeight},
                   ink);
    RECT text = r;
    text.left += 4 + kPictureWidth + 6;
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, ink);
    DrawTextW(item.hDC, Wide(m_names[item.itemID]), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    FinishItem(item);
}

// ---------------------------------------------------------------- shared

void MeasureComboItem(HWND dialog, MEASUREITEMSTRUCT& item)
{
    HDC dc = GetDC(dialog);
    TEXTMETRICW metrics{};
    {
        HFONT font = HFONT(SendMessageW(dialog, WM_GETFONT, 0, 0));
        SelectedObject selected(dc, font ? HGDIOBJ(font) : GetStockObject(DEFAULT_GUI_FONT), false);
        GetTextMetricsW(dc, &metrics);
    }
    ReleaseDC(dialog, dc);
    item.itemHeight = UINT(std::max<LONG>(metrics.tmHeight + 4, kPictureHeight + 4));
}

void DrawColourSwatch(const DRAWITEMSTRUCT& item, uint32_t colour)
{
    const bool enabled = IsWindowEnabled(item.hwndItem) != FALSE;
    RECT r = item.rcItem;
    FrameRect(item.hDC, &r, GetSysColorBrush(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    InflateRect(&r, -1, -1);
    FrameRect(item.hDC, &r, GetSysColorBrush(COLOR_WINDOW));
    InflateRect(&r, -1, -1);
    if (enabled) {
        HBRUSH brush = CreateSolidBrush(COLORREF(colour & 0xFFFFFF));
        FillRect(item.hDC, &r, brush);
        DeleteObject(brush);
    } else {
        FillRect(item.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
    }
}

bool PickColour(HWND owner, uint32_t& colour)
{
    // The user's own colours stay for the session.
    static COLORREF custom[16] = {RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                                  RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                                  RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                                  RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255)};
    CHOOSECOLORW choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = owner;
    choose.rgbResult = COLORREF(colour & 0xFFFFFF);
    choose.lpCustColors = custom;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorW(&choose))
        return false;
    colour = choose.rgbResult & 0xFFFFFF;
    return true;
}

LOGFONTW ScreenLogFont(const FontRecord& font)
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    LOGFONTW log{};
    log.lfHeight = FontForResolution(font, dpi).height;
    log.lfWidth = font.width;
    log.lfEscapement = font.escapement;
    log.lfOrientation = font.orientation;
    log.lfWeight = font.weight;
    log.lfItalic = font.italic;
    log.lfUnderline = font.underline;
    log.lfStrikeOut = font.strikeOut;
    log.lfCharSet = font.charSet;
    log.lfOutPrecision = font.outPrecision;
    log.lfClipPrecision = font.clipPrecision;
    log.lfQuality = font.quality;
    log.lfPitchAndFamily = font.pitchAndFamily;
    lstrcpynW(log.lfFaceName, Wide(font.faceName), LF_FACESIZE);
    return log;
}

bool PickFont(HWND owner, FontRecord& font)
{
    LOGFONTW log = ScreenLogFont(font);
    CHOOSEFONTW choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = owner;
    choose.lpLogFont = &log;
    choose.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_NOVERTFONTS;
    if (!ChooseFontW(&choose))
        return false;
    font.height = StoredFontHeight(choose.iPointSize);
    font.weight = log.lfWeight;
    font.italic = log.lfItalic;
    font.charSet = log.lfCharSet;
    font.faceName = FromWide(log.lfFaceName);
    return true;
}
