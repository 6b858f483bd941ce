// What the analysis instruments' frames share: beside the control pane, a
// tab view holding their two charts, and the menu bar's page and chart
// commands routed to it.
#pragma once

#include <cstdint>
#include <memory>

#include "analysis/win32/MyTabView.h"
#include "viframework/win32/VIFrame.h"

class CChartBase;

class CAnalysisFrame : public CVIPaneFrame {
public:
    // The menu bar's page commands: kFirstPage + i shows chart i.
    static constexpr uint32_t kFirstPage = 32940;

    CMyTabView* Tabs() const { return m_tabs.get(); }

protected:
    // After the pane: the tab view, and the two charts made on it in tab order.
    bool CreateCharts(CChartBase& first, const CString& firstTitle, CChartBase& second, const CString& secondTitle);
    // The page and chart commands of the menu bar; false for others.
    bool RouteChartCommand(uint32_t id) { return m_tabs && m_tabs->RouteFrameCommand(id, kFirstPage); }

    std::unique_ptr<CMyTabView> m_tabs;
};
