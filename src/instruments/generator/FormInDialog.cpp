#include "instruments/generator/FormInDialog.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwctype>

#include "framework/win32/WinApp.h"
#include "framework/win32/Win32Services.h"
#include "units/FuncGen.h"

namespace {

// Texts of the resource library: the reason of each formula error at
// kFirstReason + its number, then the texts around them.
constexpr uint32_t kFirstReason = 6100;
constexpr uint32_t kTextNoValue = 6111;
constexpr uint32_t kTextAtCharacter = 6112;
constexpr uint32_t kTextNameMissing = 6113;

constexpr COLORREF kMessageColour = RGB(176, 0, 0);
constexpr COLORREF kCurveColour = RGB(0, 96, 192);

CString Number(double value, const char* format)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return Utf8ToString(text);
}

CString FieldText(HWND dialog, int id)
{
    const int length = GetWindowTextLengthW(GetDlgItem(dialog, id));
    std::wstring text(size_t(length) + 1, L'\0');
    GetDlgItemTextW(dialog, id, text.data(), length + 1);
    return FromWide(text.c_str());
}

// The length of the name or number that starts at `at`; one character for anything else.
size_t TokenLength(const CString& text, size_t at)
{
    size_t end = at;
    while (end < text.size() && (iswalnum(wchar_t(text[end])) || text[end] == u'.' || text[end] == u'_'))
        ++end;
    return std::max<size_t>(end - at, at < text.size() ? 1 : 0);
}

void SelectInField(HWND dialog, int id, size_t from, size_t to)
{
    HWND field = GetDlgItem(dialog, id);
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, WPARAM(from), LPARAM(to));
}

}  // namespace

CString FormulaVerdictText(const FormulaVerdict& verdict)
{
    CResourceStrings strings;
    if (verdict.error != FormulaError::None) {
        const CString reason = strings.LoadText(kFirstReason + uint32_t(verdict.error));
        return FormatText(strings, kTextAtCharacter, {Number(double(verdict.position + 1), "%.0f"), reason});
    }
    if (verdict.noValueAt)
        return FormatText(strings, kTextNoValue, {Number(*verdict.noValueAt, "%.4g")});
    return {};
}

// ---------------------------------------------------------------- CFormInDialog

bool CFormInDialog::DoModal(HWND owner)
{
    return RunResourceDialog(m_templateId, owner, DialogProc, reinterpret_cast<LPARAM>(this)) == IDOK;
}

void CFormInDialog::OnInit(HWND dialog)
{
    SetDlgItemTextW(dialog, kFormulaEditId, Wide(m_formula));
    Check(dialog);
    SelectInField(dialog, kFormulaEditId, 0, size_t(-1));
}

void CFormInDialog::ShowMessage(HWND dialog, const CString& text)
{
    m_hasMessage = !text.empty();
    SetDlgItemTextW(dialog, kMessageId, Wide(text));
}

void CFormInDialog::Check(HWND dialog)
{
    const CString text = FieldText(dialog, kFormulaEditId);
    m_preview.clear();
    m_verdict = JudgeFormula(text, CFuncGen::kFormulaPoints, &m_preview);
    // An empty field is the start of an entry, not yet a mistake.
    const bool blank = m_verdict.error == FormulaError::Empty;
    ShowMessage(dialog, blank ? CString{} : FormulaVerdictText(m_verdict));
    InvalidateRect(GetDlgItem(dialog, kPreviewId), nullptr, TRUE);
}

bool CFormInDialog::Accept(HWND dialog)
{
    Check(dialog);
    if (!m_verdict.Playable()) {
        if (m_verdict.error == FormulaError::Empty)
            ShowMessage(dialog, FormulaVerdictText(m_verdict));
        MessageBeep(MB_ICONWARNING);
        if (m_verdict.error == FormulaError::None) {
            SelectInField(dialog, kFormulaEditId, 0, size_t(-1));
        } else {
            const CString text = FieldText(dialog, kFormulaEditId);
            const size_t at = std::min(m_verdict.position, text.size());
            SelectInField(dialog, kFormulaEditId, at, at + TokenLength(text, at));
        }
        return false;
    }
    m_formula = FieldText(dialog, kFormulaEditId);
    return true;
}

void CFormInDialog::DrawPreview(const DRAWITEMSTRUCT& item) const
{
    HDC dc = item.hDC;
    const RECT r = item.rcItem;
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const int width = r.right - r.left, height = r.bottom - r.top;
    const int middle = r.top + height / 2;
    HPEN axis = CreatePen(PS_DOT, 1, RGB(160, 160, 160));
    HGDIOBJ old = SelectObject(dc, axis);
    MoveToEx(dc, r.left, middle, nullptr);
    LineTo(dc, r.right, middle);
    if (!m_preview.empty() && width > 2) {
        // Scaled so that the larger of the formula's peak and 1 fills the height.
        double peak = 1.0;
        for (double v : m_preview)
            peak = std::max(peak, std::fabs(v));
        const double half = (height - 4) / 2.0;
        std::vector<POINT> points(static_cast<size_t>(width));
        for (int x = 0; x < width; ++x) {
            const size_t i = size_t(x) * (m_preview.size() - 1) / size_t(width - 1);
            points[size_t(x)] = {r.left + x, middle - LONG(std::lround(m_preview[i] / peak * half))};
        }
        HPEN curve = CreatePen(PS_SOLID, 2, kCurveColour);
        SelectObject(dc, curve);
        Polyline(dc, points.data(), int(points.size()));
        SelectObject(dc, axis);
        DeleteObject(curve);
    }
    SelectObject(dc, old);
    DeleteObject(axis);
}

INT_PTR CALLBACK CFormInDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<CFormInDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<CFormInDialog*>(lParam)->OnInit(dialog);
        return FALSE;  // the focus is set
    case WM_COMMAND:
        if (!self)
            break;
        if (LOWORD(wParam) == self->kFormulaEditId && HIWORD(wParam) == EN_CHANGE) {
            self->Check(dialog);
            return TRUE;
        }
        if (LOWORD(wParam) == IDOK) {
            if (self->Accept(dialog))
                EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    case WM_CTLCOLORSTATIC:
        if (self && GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == kMessageId) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, kMessageColour);
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        }
        break;
    case WM_DRAWITEM:
        if (self && wParam == WPARAM(kPreviewId)) {
            self->DrawPreview(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

// ---------------------------------------------------------------- CFormInDialogEx

void CFormInDialogEx::OnInit(HWND dialog)
{
    CFormInDialog::OnInit(dialog);
    SetDlgItemTextW(dialog, kNameEditId, Wide(m_name));
    SelectInField(dialog, kNameEditId, 0, size_t(-1));
}

bool CFormInDialogEx::Accept(HWND dialog)
{
    const CString name = FieldText(dialog, kNameEditId);
    if (name.find_first_not_of(u" \t") == CString::npos) {
        ShowMessage(dialog, CResourceStrings().LoadText(kTextNameMissing));
        MessageBeep(MB_ICONWARNING);
        SelectInField(dialog, kNameEditId, 0, size_t(-1));
        return false;
    }
    if (!CFormInDialog::Accept(dialog))
        return false;
    m_name = name;
    return true;
}
