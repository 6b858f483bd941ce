// The spectrum analyzer: a frame with its control pane on the left and two
// charts on tabs, the amplitude spectrum and the time record it came from.
// The pane runs the poll step on the polling thread and hands its spectrum
// to the charts on the window thread.
//
// Ids the pane's layout carries that no other document numbers (listed in
// the panel source too): up/down of the record length 102 (up) and 103, of
// the divider 104 and 105; the resolution text 110; STOP 4487 and SINGLE
// 4488 as on the oscilloscope. Menu bar 20046; its tab commands 32940 and
// 32941.
#pragma once

#include <cstdint>
#include <memory>

#include "analysis/SpectrumAcquisition.h"
#include "analysis/win32/AnalysisFrame.h"

class CScope;
class CViewSpect;
class CTimeView;

class CSpectrumAnalyzerVI : public CAnalysisFrame {
public:
    static constexpr uint32_t kLayoutId = 10005;
    static constexpr uint32_t kMenuId = 20046;
    static constexpr int kWidth = 900, kHeight = 700;
    // The pane's controls.
    static constexpr uint32_t kRecordListId = 6000;
    static constexpr uint32_t kFirstRecord = 5999;  // "Select"; row r sends 5999 + r
    static constexpr uint32_t kSamplesId = 100;
    static constexpr uint32_t kDividerId = 101;
    static constexpr uint32_t kSamplesUp = 102;
    static constexpr uint32_t kDividerUp = 104;
    static constexpr uint32_t kResolutionTextId = 110;
    static constexpr uint32_t kChannelListId = 4000;
    static constexpr uint32_t kFirstChannel = 300;
    static constexpr uint32_t kRangeListId = 6001;
    static constexpr uint32_t kFirstRange = 4430;
    static constexpr uint32_t kTriggerListId = 4500;  // items send 4500 + k
    static constexpr uint32_t kOverflowLampId = 4453;
    static constexpr uint32_t kWaitingLampId = 4479;
    static constexpr uint32_t kStopId = 4487;
    static constexpr uint32_t kSingleId = 4488;
    static constexpr uint32_t kStoreSchema = 1;

    explicit CSpectrumAnalyzerVI(CScope* unit);
    ~CSpectrumAnalyzerVI() override;

    bool OnCommand(uint32_t id) override;
    void OnInterfaceClosing() override;
    void SerializeInstrument(CArchive& ar) override;

    CSpectrumAcquisition& Acquisition() { return m_acquisition; }
    CViewSpect* SpectrumView() const { return m_spectrum.get(); }
    CTimeView* TimeView() const { return m_time.get(); }

    class CControlPane;

protected:
    std::unique_ptr<CVIView> CreatePane() override;
    bool OnCreateClient(uint32_t layoutId) override;

private:
    friend class CControlPane;
    CControlPane* ControlPane() const;
    // The spectrum and the record of the last step go to the charts.
    void ShowResults();
    void ShowChannel();

    CScope* m_unit;
    CSpectrumAcquisition m_acquisition;
    std::unique_ptr<CViewSpect> m_spectrum;
    std::unique_ptr<CTimeView> m_time;
};
