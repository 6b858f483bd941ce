// CTemperatureVI: a thermometer on channel A of the multimeter unit, with one
// of two sensors, in degrees Celsius or Fahrenheit, with a calibration offset.
// The choices are process-wide: every thermometer shows the same.
#pragma once

#include "instruments/meter/AnalogMeterVI.h"

class CTemperatureLcd;

class CTemperatureVI : public CMeterBaseVI {
public:
    static constexpr uint32_t kDisplayId = 1;
    // Commands.
    static constexpr uint32_t kCelsiusCommand = 201;
    static constexpr uint32_t kFahrenheitCommand = 202;
    static constexpr uint32_t kCalibrateCommand = 203;
    static constexpr uint32_t kSensor0Command = 204;
    static constexpr uint32_t kSensor1Command = 205;
    // The ranges of channel A for the two sensors: 2 V and 10 V full scale.
    static constexpr int32_t kSensor0Range = 4;
    static constexpr int32_t kSensor1Range = 6;

    explicit CTemperatureVI(CVexaMeter* meter) : CMeterBaseVI(meter, true) {}

    std::unique_ptr<CHotspot> CreateHotspot(int32_t x, int32_t y, uint32_t typeCode) override;
    bool OnLayoutLoaded() override;
    bool OnCommand(uint32_t id) override;
    void OnUpdateUI(uint32_t eventCode) override;
    void SerializeInstrument(CArchive& ar) override;

    static const TemperatureSettings& Choices();

private:
    // The display and channel A follow the process-wide choices.
    void ApplyChoices();

    CTemperatureLcd* m_lcd = nullptr;
};
