// Chart windows: CChartBase draws a chart surface on the screen, metafiles
// and bitmaps through one canvas, shows the context menus and carries the
// clipboard and export commands; CChart adds the axes, grids,
// labels and signals of a chart model and their property pages.
#pragma once

#include <windows.h>

#include "charts/ChartModel.h"
#include "charts/win32/ChartCanvasWin32.h"
#include "charts/win32/ChartExport.h"
#include "framework/win32/View.h"

class CChartBase : public CView, public IExportableChart {
public:
    explicit CChartBase(CChartSurface& surface) : m_surface(surface) {}
    ~CChartBase() override { ReleaseBackBuffer(); }

    bool Create(HWND parent, const RECT& rect, UINT id, DWORD style = WS_CHILD | WS_VISIBLE);
    CChartSurface& Surface() { return m_surface; }

    // Lays out anew and repaints, after the chart's content changed.
    void Refresh();
    void SetTargetResolution(int x, int y);

    // Commands; false when cancelled or failed (the user has been told).
    bool CopyPicture() { return CopyChartPicture(*this); }
    bool ExportChart() { return RunExportDialog(*this); }
    bool CopyDataText();
    bool PageLayout() { return EditPageLayout(m_hWnd, m_surface.printMargins); }

    HWND ExportOwner() const override { return m_hWnd; }
    CExport& ExportSettings() override { return m_surface.exportSettings; }
    void DrawForExport(HDC dc, const RECT& area, int resolutionX, int resolutionY) override;
    void WriteDataText(CMemStream& out) override {}

protected:
    virtual void LayOut(IChartCanvas& canvas, const CRect& area) = 0;
    virtual void Draw(IChartCanvas& canvas) = 0;
    // The context-menu region at a client point, or -1 for none.
    virtual int RegionAt(CPoint point) { return CChartSurface::plotMenu; }
    // A command of the context menu; false when not handled.
    virtual bool OnCommand(UINT id);
    // Checks and greys the context menu's items before it shows.
    virtual void PrepareContextMenu(HMENU menu) {}

    bool PreCreateWindow(CREATESTRUCTW& cs) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDraw(HDC dc) override;
    void ShowContextMenu(CPoint client);

    // Client point of the last context menu.
    CPoint m_menuPoint;

private:
    void ReleaseBackBuffer();

    CChartSurface& m_surface;
    CRect m_laidOutFor;
    // Kept between paints: a chart that redraws 20 times a second should not
    // make a bitmap each time.
    HDC m_backDc = nullptr;
    HBITMAP m_backBitmap = nullptr;
    HGDIOBJ m_backOld = nullptr;
    CSize m_backSize;
};

class CChart : public CChartBase {
public:
    CChart() : CChartBase(m_model) {}

    CChartModel& Model() { return m_model; }
    const CChartModel& Model() const { return m_model; }

protected:
    void LayOut(IChartCanvas& canvas, const CRect& area) override { m_model.Layout(canvas, area); }
    void Draw(IChartCanvas& canvas) override;
    // The curves, clipped to the plot; each derived view draws its own.
    virtual void DrawSignals(IChartCanvas& canvas) {}
    // Drawn last, over everything (cursors).
    virtual void DrawOverlays(IChartCanvas& canvas) {}
    // The template of the signals page (the chart's own list of curves).
    virtual uint32_t SignalsPageTemplate() const { return 3050; }

    int RegionAt(CPoint point) override;
    bool OnCommand(UINT id) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The label being moved with the mouse, if any.
    CLabel* m_draggedLabel = nullptr;

private:
    CChartModel m_model;
};
