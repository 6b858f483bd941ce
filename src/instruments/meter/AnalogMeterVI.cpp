#include "instruments/meter/AnalogMeterVI.h"

#include <array>

#include "instruments/meter/Gauge.h"
#include "instruments/meter/MeterDialogs.h"
#include "instruments/meter/VexaValueDisplay.h"
#include "units/VexaMeter.h"
#include "viframework/controls/HotToggle.h"
#include "viframework/controls/Label.h"
#include "viframework/controls/Menu.h"
#include "viframework/controls/StatusLamp.h"

namespace {

// The needle of the analog meters: 120 % of the face radius, 4 % wide.
constexpr int32_t kNeedleLength = 120;
constexpr int32_t kNeedleWidth = 4;
constexpr uint32_t kChannelBits = 2;
constexpr int32_t kTopRange = kVoltageRangeCount - 1;

// The scale choices of the pop-up list, commands 201 to 205, and the gauge
// style each one draws: the percent and decibel scales, two other accuracy
// classes, and the standard print (class 1.5).
constexpr char16_t kScaleList[] = u"PERCENT;DECIBEL;CLASS 1;CLASS 2.5;STANDARD";
constexpr std::array<int32_t, 5> kScaleStyles = {-2, -1, 5, 4, 0};

// Process-wide: every analog meter of a channel shows the scale chosen last for it.
std::array<int32_t, 2> g_scaleSelection = {CMeterVI::kDefaultScale, CMeterVI::kDefaultScale};

}  // namespace

bool CMeterBaseVI::OnLayoutLoaded()
{
    if (!CMeterWindowVI::OnLayoutLoaded())
        return false;
    m_caption = Find<CHotLabel>(kCaptionId);
    return true;
}

// ---------------------------------------------------------------- CMeterVI

CMeterVI::CMeterVI(CVexaMeter* meter, bool channelA, MeterDisplayKind kind)
    : CMeterBaseVI(meter, channelA), m_kind(kind)
{
}

int32_t CMeterVI::ScaleSelection(int channel)
{
    return g_scaleSelection[channel == 0 ? 0 : 1];
}

int32_t CMeterVI::GaugeStyle(int32_t selection)
{
    const int32_t item = std::clamp<int32_t>(selection - int32_t(kFirstScaleCommand), 0, int32_t(kScaleStyles.size()) - 1);
    return kScaleStyles[size_t(item)];
}

std::unique_ptr<CHotspot> CMeterVI::CreateCustomHotspot(uint32_t param1, uint32_t, const CRect& rect)
{
    std::unique_ptr<CHotspot> made;
    if (param1 == kGaugeRecord)
        made = std::make_unique<CHotGauge>();
    else if (param1 == kDisplayRecord)
        made = std::make_unique<CHotVexaValueDisplay>();
    if (!made)
        return nullptr;
    made->m_typeCode = param1;
    made->m_id = 0;
    made->m_rect = rect;
    made->m_notifySink = this;
    return made;
}

bool CMeterVI::OnLayoutLoaded()
{
    if (!CMeterBaseVI::OnLayoutLoaded())
        return false;
    m_gauge = static_cast<CHotGauge*>(FindHotspot(kGaugeRecord, 0));
    m_display = static_cast<CHotVexaValueDisplay*>(FindHotspot(kDisplayRecord, 0));
    if (!m_gauge || !m_display)
        return false;
    m_gauge->SetMeter(m_meter);
    m_gauge->SetAngles(CHotGauge::kMeterStartAngle, CHotGauge::kMeterEndAngle);
    m_gauge->SetNeedle(kNeedleLength, kNeedleWidth);
    m_display->SetMeter(m_meter);
    m_display->SetKind(m_kind);
    if (auto* scales = Find<CHotMenu>(kScaleListId))
        scales->SetItems(kScaleList, kFirstScaleCommand);
    ApplyChannel();
    SetNumberView(m_numberView);
    return true;
}

bool CMeterVI::CanOpen()
{
    if (!CMeterBaseVI::CanOpen())
        return false;
    WithUnitLock([this] { m_meter->Changes().MarkChanged(CVexaMeter::kAllSettings); });
    return true;
}

void CMeterVI::ApplyChannel()
{
    const int channel = Channel();
    int32_t range = 0, mode = 0;
    WithUnitLock([&] {
        range = m_meter->Range(channel);
        mode = m_meter->Mode(channel);
    });
    range = std::clamp<int32_t>(range, 0, kTopRange);
    const GaugeScale scale = AnalogGaugeScale(range);
    const int32_t selection = ScaleSelection(channel);
    {
        std::lock_guard<std::recursive_mutex> data(m_dataLock);
        m_display->SetChannelA(m_channelA);
        m_gauge->SetChannelA(m_channelA);
        m_gauge->SetRange(range);
        m_gauge->SetScale(0.0, scale.end, scale.factor);
        m_gauge->SetStyle(GaugeStyle(selection));
    }
    SetMenuSelection(kScaleListId, selection - int32_t(kFirstScaleCommand));
    SelectRadioExclusive(Find<CHotRadio>(m_channelA ? kChannelACommand : kChannelBCommand));
    SelectRadioExclusive(Find<CHotRadio>(mode == 0 ? kDcCommand : kAcCommand));
    if (m_caption) {
        m_caption->SetText(m_channelA ? u"CHANNEL A" : u"CHANNEL B");
        InvalidateHotspot(m_caption);
    }
    OnUpdateUI(kEventMeterData);
    RedrawPanel();
}

void CMeterVI::SetNumberView(bool on)
{
    m_numberView = on;
    m_gauge->SetFlag(kHotVisible, !on);
    m_display->SetFlag(kHotVisible, on);
    for (uint32_t id : {kNegativeLampId, kNegativeTextId})
        for (const auto& hotspot : Hotspots())
            if (hotspot->m_id == id)
                hotspot->SetFlag(kHotVisible, !on);  // the read-out shows the sign itself
    RedrawPanel();
}

void CMeterVI::SelectChannel(bool channelA)
{
    if (channelA == m_channelA)
        return;
    uint32_t mask[kResourceWords];
    std::copy(std::begin(m_resourceMask), std::end(m_resourceMask), mask);
    mask[kMeterResourceWord] = (mask[kMeterResourceWord] & ~(MeterChannelBit(0) | MeterChannelBit(1))) |
                               MeterChannelBit(channelA ? 0 : 1);
    if (!ResourcesFreeForMe(mask)) {
        // The other channel is taken: the buttons go back to this one.
        SelectRadioExclusive(Find<CHotRadio>(m_channelA ? kChannelACommand : kChannelBCommand));
        return;
    }
    std::copy(std::begin(mask), std::end(mask), m_resourceMask);
    m_channelA = channelA;
    WithUnitLock([this] { m_meter->Changes().MarkChanged(kChannelBits); });
    ApplyChannel();
}

void CMeterVI::StepRange(int step, bool beep)
{
    const int channel = Channel();
    int32_t range = 0;
    WithUnitLock([&] { range = m_meter->Range(channel); });
    const int32_t next = range + step;
    if (next < 0 || next > kTopRange) {
        if (beep)
            MessageBeep(0);
        return;
    }
    WithUnitLock([&] { m_meter->SetRange(channel, next); });
    ApplyChannel();
}

bool CMeterVI::OnCommand(uint32_t id)
{
    switch (id) {
    case kChannelACommand:
    case kChannelBCommand:
        SelectChannel(id == kChannelACommand);
        return true;
    case kDcCommand:
    case kAcCommand:
        WithUnitLock([&] { m_meter->SetMode(Channel(), int32_t(id - kDcCommand)); });
        SelectRadioExclusive(Find<CHotRadio>(id));
        return true;
    case kRangeUpCommand:
    case kRangeUpQuietCommand:
        StepRange(+1, id == kRangeUpCommand);
        return true;
    case kRangeDownCommand:
    case kRangeDownQuietCommand:
        StepRange(-1, id == kRangeDownCommand);
        return true;
    case kViewCommand:
        SetNumberView(!m_numberView);
        return true;
    default:
        break;
    }
    if (id >= kFirstScaleCommand && id <= kLastScaleCommand) {
        // The list has five items; a sixth command keeps the last of them.
        const int32_t selection = std::min<int32_t>(int32_t(id), kDefaultScale);
        g_scaleSelection[size_t(Channel())] = selection;
        ApplyChannel();
        return true;
    }
    return CMeterBaseVI::OnCommand(id);
}

void CMeterVI::OnUpdateUI(uint32_t)
{
    bool gaugeChanged = false, displayChanged = false, negative = false, overflow = false;
    WithUnitLock([&] {
        std::lock_guard<std::recursive_mutex> data(m_dataLock);
        gaugeChanged = m_gauge->Refresh();
        displayChanged = m_display->Refresh();
        negative = m_gauge->Value() < 0;
        overflow = m_meter->Overflow(Channel());
    });
    if (gaugeChanged && m_gauge->IsVisible())
        InvalidateHotspot(m_gauge);
    if (displayChanged && m_display->IsVisible())
        InvalidateHotspot(m_display);
    if (auto* lamp = Find<CHotStatus>(kNegativeLampId); lamp && lamp->SetLit(negative))
        InvalidateHotspot(lamp);
    if (auto* lamp = Find<CHotStatus>(kOverflowLampId); lamp && lamp->SetLit(overflow))
        InvalidateHotspot(lamp);
}

void CMeterVI::SerializeInstrument(CArchive& ar)
{
    const int channel = Channel();
    AnalogMeterSettings settings;
    settings.channelA = m_channelA ? 1 : 0;
    settings.scaleSelection = ScaleSelection(channel);
    settings.numberView = m_numberView ? 1 : 0;
    WithUnitLock([&] {
        settings.range = m_meter->Range(channel);
        settings.mode = m_meter->Mode(channel);
    });
    if (ar.IsStoring()) {
        SerializeSettings(ar, settings);
        return;
    }
    SerializeSettings(ar, settings);
    // A document's meter takes the channel it was on; its resources were
    // checked against the others when the document was opened.
    m_channelA = settings.channelA != 0;
    m_resourceMask[kMeterResourceWord] = MeterChannelBit(Channel());
    g_scaleSelection[size_t(Channel())] = settings.scaleSelection;
    WithUnitLock([&] {
        m_meter->SetRange(Channel(), settings.range);
        m_meter->SetMode(Channel(), settings.mode);
    });
    ApplyChannel();
    SetNumberView(settings.numberView != 0);
}

// ---------------------------------------------------------------- ammeter

bool CAmpereMeterVI::OnCommand(uint32_t id)
{
    if (id != kShuntCommand)
        return CMeterVI::OnCommand(id);
    CSelectShuntDlg dialog(CVexaMeter::Shunt(Channel()));
    if (dialog.DoModal(m_hWnd)) {
        WithUnitLock([&] { CVexaMeter::SetShunt(Channel(), dialog.Value()); });
        OnUpdateUI(kEventMeterData);
    }
    return true;
}
