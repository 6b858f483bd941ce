#include "instruments/meter/DualMeterVI.h"

#include <algorithm>

#include "instruments/meter/MeterFormat.h"
#include "instruments/meter/SingleMeterVI.h"
#include "interface/Vexaface.h"
#include "viframework/controls/HotButton.h"
#include "viframework/controls/HotToggle.h"
#include "viframework/controls/Menu.h"
#include "viframework/controls/StatusLamp.h"
#include "viframework/controls/ValueDisplay.h"

namespace {

constexpr int kChannelC = 2;
constexpr int kChannelD = 3;

}  // namespace

CDualMeterVI::CDualMeterVI(CVexaMeter* meter, uint8_t startRange) : CMeterWindowVI(meter)
{
    for (DualHalfSettings& half : m_settings.half)
        half.range = startRange;
}

bool CDualMeterVI::OnLayoutLoaded()
{
    if (!CMeterWindowVI::OnLayoutLoaded())
        return false;
    for (int h = 0; h < 2; ++h) {
        m_displays[h] = Find<CHotValueDisplay>(kDisplayIds[h]);
        if (!m_displays[h])
            return false;
        m_displays[h]->SetText(u"-----");
        if (auto* ranges = Find<CHotMenu>(kRangeListIds[h]))
            ranges->SetItems(RangeList(), kFirstRangeCommands[h]);
        if (auto* quantities = Find<CHotMenu>(kQuantityListIds[h]))
            quantities->SetItems(kQuantityList, kFirstQuantityCommands[h]);
    }
    ApplySettings();
    return true;
}

void CDualMeterVI::ApplySettings()
{
    std::lock_guard<std::recursive_mutex> data(m_dataLock);
    for (int h = 0; h < 2; ++h) {
        DualHalfSettings& half = m_settings.half[h];
        // A document of the other dual meter may name a range this one lacks.
        half.range = uint8_t(std::min<int32_t>(half.range, RangeCount() - 1));
        SetMenuSelection(kRangeListIds[h], half.range);
        SetMenuSelection(kQuantityListIds[h], half.quantity);
        SelectRadioExclusive(Find<CHotRadio>(kDcCommands[h] + half.mode));
        ShowRange(*m_displays[h], half.range);
        InvalidateHotspot(m_displays[h]);
    }
    const bool normal = m_settings.rateFlag != 0;
    SetUpdatePeriod(normal ? kUpdatePeriodMs : kUpdatePeriodMs / 2);
    if (auto* rate = Find<CHotToolButton>(kRateButtonId)) {
        rate->SetImage(rate->m_imageBitmapId, normal ? kNormalRateImage : kFastRateImage);
        InvalidateHotspot(rate);
    }
    MarkChanged(kAllBits);
}

bool CDualMeterVI::OnCommand(uint32_t id)
{
    for (int h = 0; h < 2; ++h) {
        DualHalfSettings& half = m_settings.half[h];
        if (const int32_t range = ListItem(id, kFirstRangeCommands[h], RangeCount()); range >= 0) {
            {
                std::lock_guard<std::recursive_mutex> data(m_dataLock);
                half.range = uint8_t(range);
                m_records[h] = {};
                m_overflow[h] = false;
            }
            SetMenuSelection(kRangeListIds[h], range);
            ShowRange(*m_displays[h], range);
            OnUpdateUI(0);
            MarkChanged(kChannelBit);
            return true;
        }
        if (const int32_t quantity = ListItem(id, kFirstQuantityCommands[h], kQuantityCount); quantity >= 0) {
            {
                std::lock_guard<std::recursive_mutex> data(m_dataLock);
                half.quantity = quantity;
            }
            SetMenuSelection(kQuantityListIds[h], quantity);
            OnUpdateUI(0);
            return true;
        }
        if (const int32_t mode = ListItem(id, kDcCommands[h], 2); mode >= 0) {
            {
                std::lock_guard<std::recursive_mutex> data(m_dataLock);
                half.mode = uint8_t(mode);
            }
            SelectRadioExclusive(Find<CHotRadio>(id));
            MarkChanged(kChannelBit);
            return true;
        }
    }
    if (id == kRateCommand) {
        {
            std::lock_guard<std::recursive_mutex> data(m_dataLock);
            m_settings.rateFlag = m_settings.rateFlag ? 0 : 1;
        }
        ApplySettings();
        return true;
    }
    return CMeterWindowVI::OnCommand(id);
}

bool CDualMeterVI::OnUpdateDue(uintptr_t, uint32_t changedBits, bool periodElapsed)
{
    // Runs on the polling thread under the unit lock.
    DualMeterSettings settings;
    {
        std::lock_guard<std::recursive_mutex> data(m_dataLock);
        settings = m_settings;
    }
    if ((changedBits & kAllBits) == kAllBits)
        m_meter->StartMeasuring(true);
    if (changedBits & kChannelBit) {
        m_meter->SetChannel(kChannelC, settings.half[0].range, settings.half[0].mode);
        m_meter->SetChannel(kChannelD, settings.half[1].range, settings.half[1].mode);
    }
    // Without a box there is nothing to read: the dashes stay, as on every other meter.
    if (!periodElapsed || IsDemonstrationMode())
        return false;
    MeterRecord records[2] = {};
    bool overflow[2] = {};
    ReadChannels(records, overflow);
    std::lock_guard<std::recursive_mutex> data(m_dataLock);
    for (int h = 0; h < 2; ++h) {
        m_records[h] = records[h];
        m_overflow[h] = overflow[h];
    }
    m_fresh = true;
    return true;
}

void CDualMeterVI::OnUpdateUI(uint32_t)
{
    std::lock_guard<std::recursive_mutex> data(m_dataLock);
    if (!m_fresh)
        return;  // nothing measured yet: the dashes stay
    for (int h = 0; h < 2; ++h) {
        CHotValueDisplay& display = *m_displays[h];
        const int32_t quantity = std::clamp<int32_t>(m_settings.half[h].quantity, 0, kQuantityCount - 1);
        const bool changed = m_overflow[h] ? display.SetText(OverflowText(display.DigitCount()))
                                           : display.SetValue(m_records[h][size_t(quantity)]);
        if (changed)
            InvalidateHotspot(&display);
        if (auto* lamp = Find<CHotStatus>(kOverflowLampIds[h]); lamp && lamp->SetLit(m_overflow[h]))
            InvalidateHotspot(lamp);
    }
}

void CDualMeterVI::SerializeInstrument(CArchive& ar)
{
    {
        // A damaged archive throws and leaves the settings as they were.
        std::lock_guard<std::recursive_mutex> data(m_dataLock);
        SerializeSettings(ar, m_settings);
        if (ar.IsStoring())
            return;
        m_fresh = false;
    }
    ApplySettings();
    RedrawPanel();
}

// ---------------------------------------------------------------- voltmeter

CDualVoltageMeterVI::CDualVoltageMeterVI(CVexaMeter* meter) : CDualMeterVI(meter, 6)
{
}

void CDualVoltageMeterVI::ReadChannels(MeterRecord (&records)[2], bool (&overflow)[2])
{
    m_meter->ReadCD(records[0], records[1]);
    overflow[0] = m_meter->Overflow(kChannelC);
    overflow[1] = m_meter->Overflow(kChannelD);
}

const char16_t* CDualVoltageMeterVI::RangeList() const
{
    return kVoltageRangeList;
}

int32_t CDualVoltageMeterVI::RangeCount() const
{
    return kVoltageRangeCount;
}

void CDualVoltageMeterVI::ShowRange(CHotValueDisplay& display, int32_t range)
{
    display.SetRanges(VoltmeterDisplayTable(), kVoltageRangeCount);
    display.SetRange(size_t(range));
    display.SetUnit(range < 3 ? u"mV" : u"V");
}

// ---------------------------------------------------------------- ammeter

CDualCurrentMeterVI::CDualCurrentMeterVI(CVexaMeter* meter) : CDualMeterVI(meter, 1)
{
}

void CDualCurrentMeterVI::ReadChannels(MeterRecord (&records)[2], bool (&overflow)[2])
{
    int32_t ranges[2];
    {
        std::lock_guard<std::recursive_mutex> data(m_dataLock);
        ranges[0] = Settings().half[0].range;
        ranges[1] = Settings().half[1].range;
    }
    ReadDualCurrents(*m_meter, ranges[0], ranges[1], records[0], records[1], overflow);
}

const char16_t* CDualCurrentMeterVI::RangeList() const
{
    return kDualCurrentRangeList;
}

int32_t CDualCurrentMeterVI::RangeCount() const
{
    return kDualCurrentRangeCount;
}

void CDualCurrentMeterVI::ShowRange(CHotValueDisplay& display, int32_t range)
{
    display.SetRanges(DualCurrentDisplayTable(), kDualCurrentRangeCount);
    display.SetRange(size_t(range));
    display.SetUnit(range == 0 ? u"mA" : u"A");
}
