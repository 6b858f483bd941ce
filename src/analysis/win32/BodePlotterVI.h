// The Bode plotter: a frame with the sweep's settings in its control pane
// and two charts on tabs, the Bode diagram and the locus. The frame keeps
// the measurement sets and hands them to the views through
// IBodeDataSupplier; the pane runs the sweep on the polling thread.
//
// Ids of the pane's layout that no other document numbers (listed in the
// panel source too): fields points 102, amplitude 103, offset 104, averages
// 105, settling time 106; START 200, STOP 201; the progress text 110; the
// overflow lamp 4453. Menu bar 20047; its tab commands 32940 and 32941.
#pragma once

#include <cstdint>
#include <memory>

#include "analysis/BodeSweep.h"
#include "analysis/win32/AnalysisFrame.h"

class CViewBode;
class CViewBodeXY;

class CBodePlotterVI : public CAnalysisFrame, public IBodeDataSupplier {
public:
    static constexpr uint32_t kLayoutId = 10007;
    static constexpr uint32_t kMenuId = 20047;
    static constexpr int kWidth = 780, kHeight = 618;
    static constexpr uint32_t kStartFieldId = 100;
    static constexpr uint32_t kStopFieldId = 101;
    static constexpr uint32_t kPointsFieldId = 102;
    static constexpr uint32_t kAmplitudeFieldId = 103;
    static constexpr uint32_t kOffsetFieldId = 104;
    static constexpr uint32_t kAveragesFieldId = 105;
    static constexpr uint32_t kSettlingFieldId = 106;
    static constexpr uint32_t kProgressTextId = 110;
    static constexpr uint32_t kRangeListId = 10;
    static constexpr uint32_t kFirstRange = 30;
    static constexpr uint32_t kFirstCoupling = 50;  // 50 DC, 51 AC
    static constexpr uint32_t kAutorangeId = 55;
    static constexpr uint32_t kLogarithmicId = 220;
    static constexpr uint32_t kStartId = 200;
    static constexpr uint32_t kStopId = 201;
    static constexpr uint32_t kOverflowLampId = 4453;
    static constexpr uint32_t kStoreSchema = 1;

    CBodePlotterVI(CScope* scope, CFuncGen* generator);
    ~CBodePlotterVI() override;

    bool OnCommand(uint32_t id) override;
    void OnInterfaceClosing() override;
    void SerializeInstrument(CArchive& ar) override;

    // IBodeDataSupplier
    int32_t SetCount() const override { return m_sets.SetCount(); }
    void DeleteSet(int32_t index) override;
    std::optional<CBodeData> GetSet(int32_t index) const override { return m_sets.GetSet(index); }

    CBodeSweep& Sweep() { return m_sweep; }
    BodeSettings& Settings() { return m_settings; }
    CViewBode* BodeView() const { return m_bode.get(); }
    CViewBodeXY* LocusView() const { return m_locus.get(); }

    class CControlPane;

protected:
    std::unique_ptr<CVIView> CreatePane() override;
    bool OnCreateClient(uint32_t layoutId) override;
    // Shown: the scope's and the generator's settings are kept as found.
    void OnShow(bool show) override;
    // Closed or hidden: a running sweep stops and the scope and the
    // generator go back to those settings.
    void OnInstrumentClosing() override;

private:
    friend class CControlPane;
    CControlPane* ControlPane() const;
    bool OnMenuCommand(uint32_t id);
    // The views take new copies of the sets; rescaled when asked.
    void ShowSets(bool rescale);
    // Starts a sweep with the pane's settings; a setting out of bounds is told.
    void StartSweep();

    CScope* m_scope;
    CFuncGen* m_generator;
    CBodeSets m_sets;
    CBodeSweep m_sweep;
    BodeSettings m_settings;
    std::unique_ptr<CViewBode> m_bode;
    std::unique_ptr<CViewBodeXY> m_locus;
    // The units' settings when the plotter was shown.
    std::unique_ptr<CUnitSettings> m_scopeSettings, m_generatorSettings;
};
