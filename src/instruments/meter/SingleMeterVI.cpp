#include "instruments/meter/SingleMeterVI.h"

#include <cstdio>

#include "instruments/meter/MeterDialogs.h"
#include "charts/Engineering.h"
#include "units/VexaMeter.h"
#include "viframework/controls/HotButton.h"
#include "viframework/controls/HotToggle.h"
#include "viframework/controls/Label.h"
#include "viframework/controls/Menu.h"
#include "viframework/controls/StatusLamp.h"
#include "viframework/controls/ValueDisplay.h"

// The overflow text of the dB read-out, "  0L", serves every meter: a reading
// beyond the range never shows a number.
CString OverflowText(uint32_t digitCount)
{
    CString text = u"0L";
    if (digitCount > text.size())
        text.insert(0, digitCount - text.size(), u' ');
    return text;
}

CSingleMeterVI::CSingleMeterVI(CVexaMeter* meter, bool voltageKind, int channel)
    : CMeterWindowVI(meter), m_voltageKind(voltageKind), m_channel(channel == 0 ? 0 : 1)
{
}

bool CSingleMeterVI::OnLayoutLoaded()
{
    if (!CMeterWindowVI::OnLayoutLoaded())
        return false;
    if (auto* caption = Find<CHotLabel>(kCaptionId)) {
        char text[16];
        std::snprintf(text, sizeof text, "CHANNEL %c", m_channel == 0 ? 'A' : 'B');
        caption->SetText(Utf8ToString(text));
    }
    m_display = Find<CHotValueDisplay>(kDisplayId);
    if (auto* ranges = Find<CHotMenu>(kRangeListId))
        ranges->SetItems(kVoltageRangeList, kFirstRangeCommand);
    if (auto* quantities = Find<CHotMenu>(kQuantityListId))
        quantities->SetItems(kQuantityList, kFirstQuantityCommand);
    if (!m_display)
        return false;
    PrepareDisplay();
    ApplySettings();
    return true;
}

void CSingleMeterVI::ApplySettings()
{
    SetMenuSelection(kRangeListId, m_settings.range);
    SetMenuSelection(kQuantityListId, m_settings.quantity);
    SelectRadioExclusive(Find<CHotRadio>(m_settings.mode == 0 ? kDcCommand : kAcCommand));
    OnScaleChanged();
    if (m_display) {
        m_display->SetText(CString(m_display->DigitCount(), u'-'));  // until the first block
        InvalidateHotspot(m_display);
    }
    MarkChanged(kAllBits);
}

bool CSingleMeterVI::OnCommand(uint32_t id)
{
    if (const int32_t range = ListItem(id, kFirstRangeCommand, kVoltageRangeCount); range >= 0) {
        {
            std::lock_guard<std::recursive_mutex> data(m_dataLock);
            m_settings.range = uint8_t(range);
            m_lastValue = 0.0;
            m_overflow = false;
        }
        SetMenuSelection(kRangeListId, range);
        OnScaleChanged();
        ShowReading(0.0, false);
        RedrawPanel();
        MarkChanged(kChannelBit);
        return true;
    }
    if (const int32_t quantity = ListItem(id, kFirstQuantityCommand, kQuantityCount); quantity >= 0) {
        {
            std::lock_guard<std::recursive_mutex> data(m_dataLock);
            m_settings.quantity = quantity;
        }
        SetMenuSelection(kQuantityListId, quantity);
        // The last block already holds the new quantity: show it at once.
        WithUnitLock([this] { TakeMeterData(); });
        OnUpdateUI(kEventMeterData);
        MarkChanged(kQuantityBit);
        return true;
    }
    if (id == kDcCommand || id == kAcCommand) {
        {
            std::lock_guard<std::recursive_mutex> data(m_dataLock);
            m_settings.mode = uint8_t(id - kDcCommand);
        }
        SelectRadioExclusive(Find<CHotRadio>(id));
        MarkChanged(kChannelBit);
        return true;
    }
    return CMeterWindowVI::OnCommand(id);
}

bool CSingleMeterVI::OnUpdateDue(uintptr_t, uint32_t changedBits, bool)
{
    // Runs on the polling thread under the unit lock.
    if ((changedBits & kAllBits) == kAllBits)
        m_meter->StartMeasuring(true);
    if (changedBits & kChannelBit) {
        int32_t range, mode;
        {
            std::lock_guard<std::recursive_mutex> data(m_dataLock);
            range = m_settings.range;
            mode = m_settings.mode;
        }
        m_meter->SetChannel(m_channel, range, mode);
    }
    return false;
}

bool CSingleMeterVI::TakeMeterData()
{
    // The polling thread (or the window's, for a new quantity) with the unit lock held.
    std::lock_guard<std::recursive_mutex> data(m_dataLock);
    double value = CVexaMeter::Record(m_channel, m_settings.quantity);
    if (!m_voltageKind)
        value /= m_settings.shunt;  // the shunt is never 0: entries and archives refuse it
    m_lastValue = value;
    m_overflow = m_meter->Overflow(m_channel);
    return true;
}

void CSingleMeterVI::OnUpdateUI(uint32_t)
{
    double value;
    bool overflow;
    {
        std::lock_guard<std::recursive_mutex> data(m_dataLock);
        value = m_lastValue;
        overflow = m_overflow;
    }
    if (ShowReading(value, overflow) && m_display)
        InvalidateHotspot(m_display);
    if (auto* lamp = Find<CHotStatus>(kOverflowLampId); lamp && lamp->SetLit(overflow))
        InvalidateHotspot(lamp);
}

bool CSingleMeterVI::ShowReading(double value, bool overflow)
{
    if (!m_display)
        return false;
    if (overflow)
        return m_display->SetText(OverflowText(m_display->DigitCount()));
    return m_display->SetValue(value);
}

void CSingleMeterVI::OnScaleChanged()
{
}

void CSingleMeterVI::SerializeInstrument(CArchive& ar)
{
    {
        // A damaged archive throws and leaves the settings as they were.
        std::lock_guard<std::recursive_mutex> data(m_dataLock);
        SerializeSettings(ar, m_settings);
        if (ar.IsStoring())
            return;
        m_lastValue = 0.0;
        m_overflow = false;
    }
    ApplySettings();
    RedrawPanel();
}

// ---------------------------------------------------------------- voltmeter

void CVoltageMeterVI::PrepareDisplay()
{
    m_display->SetRanges(VoltmeterDisplayTable(), kVoltageRangeCount);
}

void CVoltageMeterVI::OnScaleChanged()
{
    if (!m_display)
        return;
    m_display->SetRange(m_settings.range);
    m_display->SetUnit(m_settings.range < 3 ? u"mV" : u"V");
}

// ---------------------------------------------------------------- ammeter

void CCurrentMeterVI::PrepareDisplay()
{
    m_display->SetRanges(CurrentDisplayTable(), 1);
}

void CCurrentMeterVI::OnScaleChanged()
{
    m_scale = ComputeAmmeterScale(VoltageFullScale(m_settings.range), m_settings.shunt);
    if (m_display) {
        CString unit;
        if (const char16_t prefix = EngineeringPrefix(m_scale.exponent))
            unit += prefix;
        m_display->SetUnit(unit + u"A");
    }
    if (auto* shunt = Find<CHotButton>(kShuntButtonId)) {
        shunt->SetText(FormatShunt(m_settings.shunt));
        InvalidateHotspot(shunt);
    }
    if (auto* fullScale = Find<CHotLabel>(kFullScaleTextId)) {
        fullScale->SetText(m_scale.scaleText);
        InvalidateHotspot(fullScale);
    }
}

bool CCurrentMeterVI::ShowReading(double amperes, bool overflow)
{
    if (!m_display)
        return false;
    if (overflow)
        return m_display->SetText(OverflowText(m_display->DigitCount())) | m_display->SetBarValue(1.0);
    const bool text = m_display->SetText(FormatAmmeterValue(m_scale, amperes));
    return m_display->SetBarValue(m_scale.fullScale > 0 ? amperes / m_scale.fullScale : 0.0) || text;
}

bool CCurrentMeterVI::OnCommand(uint32_t id)
{
    if (id != kShuntCommand)
        return CSingleMeterVI::OnCommand(id);
    CSelectShuntDlg dialog(m_settings.shunt);
    if (!dialog.DoModal(m_hWnd))
        return true;
    {
        std::lock_guard<std::recursive_mutex> data(m_dataLock);
        m_settings.shunt = dialog.Value();
    }
    OnScaleChanged();
    WithUnitLock([this] { TakeMeterData(); });
    OnUpdateUI(kEventMeterData);
    RedrawPanel();
    return true;
}

// ---------------------------------------------------------------- dB meter

void CDbMeterVI::PrepareDisplay()
{
    m_display->SetRanges(nullptr, 0);
    m_display->SetUnit(u"dB");
}

bool CDbMeterVI::ShowReading(double volts, bool overflow)
{
    if (!m_display)
        return false;
    if (overflow)
        return m_display->SetText(OverflowText(m_display->DigitCount()));
    return m_display->SetText(FormatSingleDb(volts, m_settings.range));
}
