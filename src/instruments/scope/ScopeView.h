// The oscilloscope screen windows: CScopeViewBase draws a screen model on
// the chart base (double-buffered, exportable, with its context menu);
// CScopeView is the two-channel screen, CScopeViewCtrl the same hosted as a
// control on the second form's panel, CScopeViewEx the main screen with
// four channels, math, XY, rulers, cursors and information texts, and
// CScopePreview a small picture of a screen.
#pragma once

#include <windows.h>

#include "charts/win32/ChartView.h"
#include "instruments/scope/ScopeScreen.h"

class CScope;

// Context-menu commands of the screens (menus 6004 and 70); the copy, export
// and page-layout commands are the charts' own.
constexpr uint32_t ID_SCOPE_INFO_TEXTS = 32920;
constexpr uint32_t ID_SCOPE_GRID = 32921;
constexpr uint32_t ID_SCOPE_ZERO_MARKERS = 32922;
constexpr uint32_t ID_SCOPE_RULERS = 32923;
constexpr uint32_t ID_SCOPE_FIRST_VISIBLE = 32924;  // + channel 0 to 3
constexpr uint32_t ID_SCOPE_FIRST_INVERT = 32928;   // + channel 0 to 3

// Copies the drawn samples of `from` into `to` as one complete record.
void CopyScopeRecord(const CScopeBuffer& from, CScopeBuffer& to);
// The unit's settings as the screen shows them.
ScopeReadings ReadScopeSettings(const CScope& unit);

class CScopeViewBase : public CChartBase {
public:
    explicit CScopeViewBase(CScopeScreen& screen) : CChartBase(screen), m_screen(screen) {}

    CScopeScreen& Screen() { return m_screen; }
    // The unit whose settings the texts and markers show.
    void AttachUnit(CScope* unit) { m_unit = unit; }
    CScope* Unit() const { return m_unit; }
    // Repaints the plot at once.
    void RepaintNow();

    void Serialize(CArchive& ar) { m_screen.Serialize(ar); }
    void WriteDataText(CMemStream& out) override { m_screen.WriteDataText(out, Readings()); }

    // Channel commands: show or hide, invert, move by 1 % a step.
    void ShowChannel(int32_t channel, bool show);
    void InvertChannel(int32_t channel, bool invert);
    void MoveChannel(int32_t channel, int32_t steps);

protected:
    ScopeReadings Readings() const;
    void LayOut(IChartCanvas& canvas, const CRect& area) override;
    void Draw(IChartCanvas& canvas) override;
    bool OnCommand(UINT id) override;
    void PrepareContextMenu(HMENU menu) override;

    CScopeScreen& m_screen;
    CScope* m_unit = nullptr;
    CRect m_area;
};

class CScopeView : public CScopeViewBase {
public:
    CScopeView() : CScopeViewBase(m_twoChannels) {}

protected:
    explicit CScopeView(CScopeScreen& screen) : CScopeViewBase(screen) {}

private:
    CScopeScreen m_twoChannels{2};
};

// The two-channel screen as a control of the second oscilloscope form.
class CScopeViewCtrl : public CScopeView {};

class CScopeViewEx : public CScopeView {
public:
    CScopeViewEx() : CScopeView(m_ex) {}

    CScopeScreenEx& ScreenEx() { return m_ex; }
    void SetFourChannels(bool on);

protected:
    void Draw(IChartCanvas& canvas) override;
    bool OnCommand(UINT id) override;
    void PrepareContextMenu(HMENU menu) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void BeginDrag(CPoint point);
    void Drag(CPoint point);
    void EndDrag();

    CScopeScreenEx m_ex;
    CRulerItem* m_dragged = nullptr;
    bool m_draggedVertical = false;
};

// A small picture of a two-channel screen with "CHN A [%s]" and
// "CHN B [%s]" captions under it.
class CScopePreview : public CScopeViewCtrl {
protected:
    void LayOut(IChartCanvas& canvas, const CRect& area) override;
    void Draw(IChartCanvas& canvas) override;
};
