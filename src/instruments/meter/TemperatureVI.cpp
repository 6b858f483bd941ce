#include "instruments/meter/TemperatureVI.h"

#include "instruments/meter/MeterDialogs.h"
#include "instruments/meter/TemperatureLcd.h"
#include "units/VexaMeter.h"
#include "viframework/controls/HotToggle.h"

namespace {

TemperatureSettings g_choices;

}  // namespace

const TemperatureSettings& CTemperatureVI::Choices()
{
    return g_choices;
}

std::unique_ptr<CHotspot> CTemperatureVI::CreateHotspot(int32_t x, int32_t y, uint32_t typeCode)
{
    if (typeCode != kHotValueDisplay)
        return CMeterBaseVI::CreateHotspot(x, y, typeCode);
    auto lcd = std::make_unique<CTemperatureLcd>();
    lcd->m_notifySink = this;
    return lcd;
}

bool CTemperatureVI::OnLayoutLoaded()
{
    if (!CMeterBaseVI::OnLayoutLoaded())
        return false;
    m_lcd = dynamic_cast<CTemperatureLcd*>(FindHotspot(kHotValueDisplay, kDisplayId));
    if (!m_lcd)
        return false;
    m_lcd->SetMeter(m_meter);
    ApplyChoices();
    return true;
}

void CTemperatureVI::ApplyChoices()
{
    const bool sensor0 = g_choices.sensorChoice == int32_t(kSensor0Command);
    // Marked, not sent: the polling thread sends the channels with its next pass.
    WithUnitLock([&] {
        m_meter->SetRange(0, sensor0 ? kSensor0Range : kSensor1Range);
        m_meter->SetMode(0, 0);
    });
    {
        std::lock_guard<std::recursive_mutex> data(m_dataLock);
        m_lcd->SetFahrenheit(g_choices.unitChoice == int32_t(kFahrenheitCommand));
        m_lcd->SetSensor(sensor0 ? 0 : 1);
        m_lcd->SetOffset(g_choices.offset);
    }
    SelectRadioExclusive(Find<CHotRadio>(uint32_t(g_choices.unitChoice)));
    SelectRadioExclusive(Find<CHotRadio>(uint32_t(g_choices.sensorChoice)));
    OnUpdateUI(kEventMeterData);
}

bool CTemperatureVI::OnCommand(uint32_t id)
{
    switch (id) {
    case kCelsiusCommand:
    case kFahrenheitCommand:
        g_choices.unitChoice = int32_t(id);
        ApplyChoices();
        return true;
    case kSensor0Command:
    case kSensor1Command:
        g_choices.sensorChoice = int32_t(id);
        ApplyChoices();
        return true;
    case kCalibrateCommand: {
        CCalibrateTempDlg dialog(g_choices.offset);
        if (dialog.DoModal(m_hWnd)) {
            g_choices.offset = dialog.Value();
            ApplyChoices();
        }
        return true;
    }
    default:
        return CMeterBaseVI::OnCommand(id);
    }
}

void CTemperatureVI::OnUpdateUI(uint32_t)
{
    bool changed = false;
    WithUnitLock([&] {
        std::lock_guard<std::recursive_mutex> data(m_dataLock);
        changed = m_lcd->Refresh();
    });
    if (changed)
        InvalidateHotspot(m_lcd);
}

void CTemperatureVI::SerializeInstrument(CArchive& ar)
{
    SerializeSettings(ar, g_choices);  // a damaged archive throws and changes nothing
    if (ar.IsLoading())
        ApplyChoices();
}
