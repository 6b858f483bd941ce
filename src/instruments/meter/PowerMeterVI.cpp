#include "instruments/meter/PowerMeterVI.h"

#include "instruments/meter/MeterDialogs.h"
#include "instruments/meter/MeterFormat.h"
#include "instruments/meter/VexaValueDisplay.h"
#include "units/VexaMeter.h"
#include "viframework/controls/Label.h"
#include "viframework/controls/Menu.h"
#include "viframework/controls/StatusLamp.h"

namespace {

constexpr int kChannelA = 0;
constexpr int kChannelB = 1;

}  // namespace

std::unique_ptr<CHotspot> CPowerMeterVI::CreateHotspot(int32_t x, int32_t y, uint32_t typeCode)
{
    if (typeCode != kHotValueDisplay)
        return CMeterWindowVI::CreateHotspot(x, y, typeCode);
    auto display = std::make_unique<CHotVexaValueDisplay>();
    display->m_notifySink = this;
    return display;
}

bool CPowerMeterVI::OnLayoutLoaded()
{
    if (!CMeterWindowVI::OnLayoutLoaded())
        return false;
    constexpr uint32_t ids[3] = {kVoltageDisplayId, kCurrentDisplayId, kPowerDisplayId};
    constexpr MeterDisplayKind kinds[3] = {MeterDisplayKind::Voltage, MeterDisplayKind::Current,
                                           MeterDisplayKind::Power};
    for (int i = 0; i < 3; ++i) {
        m_displays[i] = dynamic_cast<CHotVexaValueDisplay*>(FindHotspot(kHotValueDisplay, ids[i]));
        if (!m_displays[i])
            return false;
        m_displays[i]->SetMeter(m_meter);
        m_displays[i]->SetKind(kinds[i]);
        m_displays[i]->SetQuantity(kMeterRms);
        m_displays[i]->SetChannelA(i != 1);
    }
    for (int c = 0; c < 2; ++c)
        if (auto* ranges = Find<CHotMenu>(kRangeListIds[c]))
            ranges->SetItems(kVoltageRangeList, kFirstRangeCommands[c]);
    ApplySettings(CurrentSettings());
    return true;
}

PowerMeterSettings CPowerMeterVI::CurrentSettings()
{
    PowerMeterSettings settings;
    WithUnitLock([&] {
        settings.rangeA = uint8_t(std::clamp<int32_t>(m_meter->Range(kChannelA), 0, kVoltageRangeCount - 1));
        settings.rangeB = uint8_t(std::clamp<int32_t>(m_meter->Range(kChannelB), 0, kVoltageRangeCount - 1));
        settings.shuntB = CVexaMeter::Shunt(kChannelB);
    });
    return settings;
}

bool CPowerMeterVI::CanOpen()
{
    if (!CMeterWindowVI::CanOpen())
        return false;
    WithUnitLock([this] {
        m_meter->SetMode(kChannelA, 0);
        m_meter->SetMode(kChannelB, 0);
        m_meter->Changes().MarkChanged(CVexaMeter::kAllSettings);
    });
    return true;
}

void CPowerMeterVI::ApplySettings(const PowerMeterSettings& settings)
{
    WithUnitLock([&] {
        m_meter->SetRange(kChannelA, settings.rangeA);
        m_meter->SetRange(kChannelB, settings.rangeB);
        CVexaMeter::SetShunt(kChannelB, settings.shuntB);
    });
    SetMenuSelection(kRangeListIds[0], settings.rangeA);
    SetMenuSelection(kRangeListIds[1], settings.rangeB);
    if (auto* shunt = Find<CHotLabel>(kShuntTextId)) {
        shunt->SetText(FormatShunt(settings.shuntB));
        InvalidateHotspot(shunt);
    }
    OnUpdateUI(kEventMeterData);
}

bool CPowerMeterVI::OnCommand(uint32_t id)
{
    for (int c = 0; c < 2; ++c) {
        if (const int32_t range = ListItem(id, kFirstRangeCommands[c], kVoltageRangeCount); range >= 0) {
            PowerMeterSettings settings = CurrentSettings();
            (c == 0 ? settings.rangeA : settings.rangeB) = uint8_t(range);
            ApplySettings(settings);
            return true;
        }
    }
    if (id == kShuntCommand) {
        PowerMeterSettings settings = CurrentSettings();
        CSelectShuntDlg dialog(settings.shuntB);
        if (dialog.DoModal(m_hWnd)) {
            settings.shuntB = dialog.Value();
            ApplySettings(settings);
        }
        return true;
    }
    return CMeterWindowVI::OnCommand(id);
}

void CPowerMeterVI::OnUpdateUI(uint32_t)
{
    bool changed[3] = {};
    bool overflow[2] = {};
    WithUnitLock([&] {
        std::lock_guard<std::recursive_mutex> data(m_dataLock);
        for (int i = 0; i < 3; ++i)
            changed[i] = m_displays[i]->Refresh();
        overflow[0] = m_meter->Overflow(kChannelA);
        overflow[1] = m_meter->Overflow(kChannelB);
    });
    for (int i = 0; i < 3; ++i)
        if (changed[i])
            InvalidateHotspot(m_displays[i]);
    for (int c = 0; c < 2; ++c)
        if (auto* lamp = Find<CHotStatus>(kOverflowLampIds[c]); lamp && lamp->SetLit(overflow[c]))
            InvalidateHotspot(lamp);
}

void CPowerMeterVI::SerializeInstrument(CArchive& ar)
{
    PowerMeterSettings settings = CurrentSettings();
    SerializeSettings(ar, settings);
    if (ar.IsLoading())
        ApplySettings(settings);
}
