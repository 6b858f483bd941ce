#include "analysis/win32/AnalysisFrame.h"

#include "charts/win32/ChartView.h"

bool CAnalysisFrame::CreateCharts(CChartBase& first, const CString& firstTitle, CChartBase& second,
                                  const CString& secondTitle)
{
    m_tabs = std::make_unique<CMyTabView>();
    if (!m_tabs->Create(m_hWnd, kFrameChartViewId))
        return false;
    const RECT area = m_tabs->PageArea();
    if (!first.Create(m_tabs->Parent(), area, 1) || !second.Create(m_tabs->Parent(), area, 2))
        return false;
    m_tabs->AddPage(first.GetSafeHwnd(), firstTitle);
    m_tabs->AddPage(second.GetSafeHwnd(), secondTitle);
    RecalcLayout();
    return true;
}
