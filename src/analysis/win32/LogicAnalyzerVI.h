// The logic analyzer: a frame with its control pane on the left and the
// timing diagram of the recorded inputs and the output pattern beside it.
// The pane runs the poll step on the polling thread and hands the record to
// the chart on the window thread; the settings sheet edits the pattern and
// the trigger on copies and gives them to the unit on OK.
//
// Ids the pane's layout carries that no other document numbers (listed in
// the panel source too): the sample interval list 10 (items send 20 + k);
// the cursor read-outs 210 (input word), 211 (output word), 212 (position);
// the rows list 230 (items send 240 + k); the trigger lamp 403. Menu bar
// 20050; the pattern editor's page 20507; the trigger page's record length
// field 334.
#pragma once

#include <cstdint>
#include <memory>

#include "instruments/digital/LogicAcquisition.h"
#include "viframework/win32/VIFrame.h"

class CDigIO;
class CDigView;

class CLogicAnalyzerVI : public CVIPaneFrame {
public:
    static constexpr uint32_t kLayoutId = 10105;
    static constexpr uint32_t kMenuId = 20050;
    static constexpr int kWidth = 780, kHeight = 600;
    // The pane's controls.
    static constexpr uint32_t kIntervalListId = 10;
    static constexpr uint32_t kFirstInterval = 20;  // 20 + k: choice k
    static constexpr uint32_t kFitId = 11;
    static constexpr uint32_t kDurationTextId = 12;
    static constexpr uint32_t kSettingsId = 50;
    static constexpr uint32_t kCursorId = 200;
    static constexpr uint32_t kHexId = 201;
    static constexpr uint32_t kInputTextId = 210;
    static constexpr uint32_t kOutputTextId = 211;
    static constexpr uint32_t kPositionTextId = 212;
    static constexpr uint32_t kCursorRightId = 220;
    static constexpr uint32_t kCursorLeftId = 221;
    static constexpr uint32_t kRowsListId = 230;
    static constexpr uint32_t kFirstRows = 240;  // 240 + k: row choice k
    static constexpr uint32_t kRunId = 401;
    static constexpr uint32_t kRepeatId = 402;
    static constexpr uint32_t kTriggerLampId = 403;
    static constexpr uint32_t kSettingsCaption = 1018;

    explicit CLogicAnalyzerVI(CDigIO* unit);
    ~CLogicAnalyzerVI() override;

    bool OnCommand(uint32_t id) override;
    void OnInterfaceClosing() override;
    void SerializeInstrument(CArchive& ar) override;

    CLogicAcquisition& Acquisition() { return m_acquisition; }
    CDigView* View() const { return m_view.get(); }
    bool Fit() const { return m_fit; }

    class CControlPane;

protected:
    std::unique_ptr<CVIView> CreatePane() override;
    bool OnCreateClient(uint32_t layoutId) override;
    // Closed or hidden: a run stops; the unit keeps its pattern and settings.
    void OnInstrumentClosing() override;

private:
    friend class CControlPane;
    CControlPane* ControlPane() const;
    // The unit's pattern and sample interval to the chart.
    void ShowPattern();
    // The time axis: the pattern's duration when fitted, else the record's.
    void FitTimeAxis();
    // The recorded samples to the chart. The poll step leaves them alone
    // while its update bits are pending; elsewhere the unit lock is taken.
    void ShowRecord(bool takeLock);
    void EditSettings();

    CDigIO* m_unit;
    CLogicAcquisition m_acquisition;
    std::unique_ptr<CDigView> m_view;
    bool m_fit = false;
};
