// The analog meters: one channel of the multimeter unit on a moving-coil
// gauge, or on a digital read-out in the number view. CMeterVI measures
// volts, CAmpereMeterVI the current through the channel's shunt, CDBMeterVI
// the level in dB. CMeterBaseVI is what they share with the thermometer.
#pragma once

#include "instruments/meter/MeterFormat.h"
#include "instruments/meter/MeterSettings.h"
#include "instruments/meter/MeterWindowVI.h"

class CHotGauge;
class CHotLabel;
class CHotVexaValueDisplay;

class CMeterBaseVI : public CMeterWindowVI {
public:
    static constexpr uint32_t kCaptionId = 1;

    CMeterBaseVI(CVexaMeter* meter, bool channelA) : CMeterWindowVI(meter), m_channelA(channelA) {}
    bool OnLayoutLoaded() override;

    int Channel() const { return m_channelA ? 0 : 1; }

protected:
    bool m_channelA;
    CHotGauge* m_gauge = nullptr;
    CHotVexaValueDisplay* m_display = nullptr;
    CHotLabel* m_caption = nullptr;  // optional
};

class CMeterVI : public CMeterBaseVI {
public:
    // Custom records of the panel where the instrument makes its controls.
    static constexpr uint32_t kGaugeRecord = 500;
    static constexpr uint32_t kDisplayRecord = 501;
    // The panel's controls.
    static constexpr uint32_t kNegativeLampId = 4000;
    static constexpr uint32_t kOverflowLampId = 4001;
    static constexpr uint32_t kNegativeTextId = 4002;
    static constexpr uint32_t kScaleListId = 200;
    // Commands.
    static constexpr uint32_t kChannelACommand = 100;
    static constexpr uint32_t kChannelBCommand = 101;
    static constexpr uint32_t kDcCommand = 110;
    static constexpr uint32_t kAcCommand = 111;
    static constexpr uint32_t kFirstScaleCommand = 201;
    static constexpr uint32_t kLastScaleCommand = 206;
    static constexpr uint32_t kRangeUpCommand = 230;
    static constexpr uint32_t kRangeDownCommand = 231;
    static constexpr uint32_t kRangeUpQuietCommand = 232;
    static constexpr uint32_t kRangeDownQuietCommand = 233;
    static constexpr uint32_t kViewCommand = 240;
    static constexpr uint32_t kShuntCommand = 300;
    static constexpr uint32_t kDefaultScale = 205;

    CMeterVI(CVexaMeter* meter, bool channelA, MeterDisplayKind kind = MeterDisplayKind::Voltage);

    std::unique_ptr<CHotspot> CreateCustomHotspot(uint32_t param1, uint32_t param2, const CRect& rect) override;
    bool OnLayoutLoaded() override;
    bool CanOpen() override;
    bool OnCommand(uint32_t id) override;
    void OnUpdateUI(uint32_t eventCode) override;
    void SerializeInstrument(CArchive& ar) override;

    bool IsNumberView() const { return m_numberView; }
    // The process-wide gauge scale choice of a channel (201 to 205).
    static int32_t ScaleSelection(int channel);
    // The gauge style a scale choice stands for.
    static int32_t GaugeStyle(int32_t selection);

protected:
    // Range up or down; at either end a beep (when asked for) and nothing else.
    void StepRange(int step, bool beep);
    void SelectChannel(bool channelA);
    // Shows the channel's settings on the panel.
    void ApplyChannel();
    void SetNumberView(bool on);

    MeterDisplayKind m_kind;
    bool m_numberView = false;
};

class CAmpereMeterVI : public CMeterVI {
public:
    CAmpereMeterVI(CVexaMeter* meter, bool channelA) : CMeterVI(meter, channelA, MeterDisplayKind::Current) {}
    bool OnCommand(uint32_t id) override;
};

class CDBMeterVI : public CMeterVI {
public:
    CDBMeterVI(CVexaMeter* meter, bool channelA) : CMeterVI(meter, channelA, MeterDisplayKind::Db) {}
};
