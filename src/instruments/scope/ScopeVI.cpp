#include "instruments/scope/ScopeVI.h"

#include <algorithm>
#include <thread>

#include "framework/win32/Win32Services.h"
#include "instruments/UnitAccess.h"
#include "instruments/scope/ScopeView.h"
#include "interface/InterfaceVI.h"
#include "units/Scope.h"
#include "viframework/controls/Frame.h"
#include "viframework/controls/HotButton.h"
#include "viframework/controls/HotButtonGroup.h"
#include "viframework/controls/HotToggle.h"
#include "viframework/controls/Menu.h"
#include "viframework/controls/StatusLamp.h"
#include "viframework/controls/TabControl.h"

namespace {

const char16_t kRanges[] = u"20 mV;50 mV;100 mV;200 mV;500 mV;1 V;2 V;5 V;10 V;20 V;50 V;100 V;200 V; 500 V; 1 kV";
const char16_t kTimeBasesLevel3[] =
    u"100 ns;200 ns;500 ns;;1 µs;2 µs;5 µs;10 µs;20 µs;50 µs;100 µs;200 µs;500 µs;;1 ms;2 ms;5 ms;10 ms;20 ms;50 "
    u"ms;100 ms;200 ms;500 ms;;1 s;2 s;5 s;10 s";
const char16_t kTimeBases[] =
    u"1 µs;2 µs;5 µs;10 µs;20 µs;50 µs;100 µs;200 µs;500 µs;;1 ms;2 ms;5 ms;10 ms;20 ms;50 ms;100 ms;200 ms;500 "
    u"ms;;1 s;2 s;5 s;10 s";
const char16_t kMathOperations[] = u"ADD;MULT";
const char16_t kSourcesFour[] = u"NONE;CHN A;CHN B;CHN C;CHN D";
const char16_t kSourcesTwo[] = u"NONE;CHN A;CHN B";
const char16_t* const kChannelTabs[] = {u"A", u"B", u"C", u"D"};

constexpr uint32_t kAllChanged = 0xFFFF;

// Fills a list whose empty items separate groups: each group becomes a
// column, and item k (counting only real items) sends first + k.
void FillGroupedList(CHotMenu* menu, std::u16string_view list, uint32_t first)
{
    if (!menu)
        return;
    menu->ClearItems();
    uint32_t command = first;
    bool breakNext = false;
    size_t start = 0;
    for (;;) {
        const size_t end = list.find(u';', start);
        const std::u16string_view item = list.substr(start, end == std::u16string_view::npos ? end : end - start);
        if (item.empty()) {
            breakNext = true;
        } else {
            menu->AddItem(command++, CString(item), breakNext);
            breakNext = false;
        }
        if (end == std::u16string_view::npos)
            break;
        start = end + 1;
    }
}

// Any control with the id (toggles come in several kinds).
CHotspot* ById(const CHotspotArray& hotspots, uint32_t id)
{
    for (const auto& hotspot : hotspots)
        if (hotspot->m_id == id)
            return hotspot.get();
    return nullptr;
}

}  // namespace

CScopeVI::CScopeVI(CScope* unit, Form form) : m_unit(unit), m_form(form), m_acquisition(*unit)
{
    m_sizable = true;
}

CScopeVI::~CScopeVI() = default;

CScopeViewEx* CScopeVI::ScreenEx() const
{
    return m_form == Form::main ? static_cast<CScopeViewEx*>(m_screen.get()) : nullptr;
}

bool CScopeVI::OnLayoutLoaded()
{
    if (!CVIWindow::OnLayoutLoaded())
        return false;
    // A layout without the screen's place is not this instrument's.
    if (!Find<CHotFrame>(kScreenFrameId))
        return false;
    // The screen exists before the window does: a stored state loads into it.
    if (m_form == Form::main)
        m_screen = std::make_unique<CScopeViewEx>();
    else
        m_screen = std::make_unique<CScopeViewCtrl>();
    m_screen->AttachUnit(m_unit);
    return true;
}

bool CScopeVI::OnPanelReady()
{
    if (!m_screen->GetSafeHwnd() && !m_screen->Create(m_hWnd, RECT{0, 0, 10, 10}, kScreenFrameId))
        return false;
    PlaceScreen();
    m_unit->SetTimeBase(CScope::TimeBaseIndex());
    FillLists();
    ShowSettings();
    m_acquisition.SetBlinkTime(TickCount());
    m_acquisition.SetFourChannels(m_fourChannels);
    m_unit->Changes().MarkChanged(kAllChanged);
    ChangeSettings(CScopeAcquisition::kChannelModeChanged | CScopeAcquisition::kTimeBaseChanged);
    return CVIWindow::OnPanelReady();
}

void CScopeVI::FillLists()
{
    const bool level3 = m_unit->VariantLevel() >= 3;
    FillGroupedList(Find<CHotMenu>(kTimeBaseListId), level3 ? kTimeBasesLevel3 : kTimeBases, kFirstTimeBase);
    if (auto* ranges = Find<CHotMenu>(kRangeListId))
        ranges->SetItems(kRanges, kFirstRange);
    if (m_form == Form::second) {
        if (auto* ranges = Find<CHotMenu>(kRangeListB))
            ranges->SetItems(kRanges, kFirstRangeB);
        if (auto* sources = Find<CHotMenu>(kFirstTriggerSourceB))
            sources->SetItems(kSourcesTwo, kFirstTriggerSourceB);
        return;
    }
    if (auto* ranges = Find<CHotMenu>(kMathRangeListId))
        ranges->SetItems(kRanges, kFirstMathRange);
    if (auto* operations = Find<CHotMenu>(kMathOperationListId))
        operations->SetItems(kMathOperations, kFirstMathOperation);
    const CString sources = m_fourChannels ? kSourcesFour : kSourcesTwo;
    if (auto* list = Find<CHotMenu>(kTriggerSourceListId))
        list->SetItems(sources, kTriggerSourceListId);
    if (auto* list = Find<CHotMenu>(kCursorListId))
        list->SetItems(sources, kCursorListId);
    if (auto* tabs = Find<CHotTabControl>(kChannelTabsId)) {
        tabs->ClearItems();
        for (int c = 0; c < ChannelCount(); ++c)
            tabs->AddItem(kChannelTabs[c], uint32_t(c));
        if (m_selectedChannel >= ChannelCount())
            m_selectedChannel = 0;
        tabs->Select(m_selectedChannel);
        InvalidateHotspot(tabs);
    }
}

void CScopeVI::SetToggle(uint32_t id, bool on)
{
    if (auto* toggle = dynamic_cast<CHotToggle*>(ById(Hotspots(), id)); toggle && toggle->IsChecked() != on) {
        toggle->SetChecked(on);
        InvalidateHotspot(toggle);
    }
}

void CScopeVI::ShowChoice(uint32_t groupId, int32_t index)
{
    if (auto* group = Find<CHotButtonGroup>(groupId)) {
        group->Select(index);
        InvalidateHotspot(group);
    }
}

void CScopeVI::ShowSettings()
{
    SetMenuSelection(kTimeBaseListId, CScope::TimeBaseIndex());
    ShowChoice(kFirstSlope, m_unit->TriggerSlope());
    ShowChoice(kFirstDisplayMode, m_screen ? m_screen->Screen().displayMode : 0);
    if (m_form == Form::second) {
        SetMenuSelection(kRangeListId, m_unit->Range(0));
        SetMenuSelection(kRangeListB, m_unit->Range(1));
        SetMenuSelection(kFirstTriggerSourceB, std::min(m_unit->TriggerSource(), 2));
        ShowChoice(kFirstCoupling, m_unit->Mode(0));
        ShowChoice(kFirstCouplingB, m_unit->Mode(1));
        for (int32_t c = 0; c < 2; ++c)
            if (m_screen && m_screen->Screen().Channel(c))
                SetToggle(kFirstInvert + uint32_t(c), m_screen->Screen().Channel(c)->inverted != 0);
    } else {
        SetMenuSelection(kTriggerSourceListId, m_unit->TriggerSource());
        if (CScopeViewEx* ex = ScreenEx()) {
            SetMenuSelection(kCursorListId, ex->ScreenEx().cursorChannel);
            SetToggle(kMathId, ex->ScreenEx().math != 0);
            SetMenuSelection(kMathOperationListId, ex->ScreenEx().mathOperation);
            SetMenuSelection(kMathRangeListId, ex->ScreenEx().mathRange);
        }
        SetToggle(kFourChannelsId, m_fourChannels);
        ShowChannelControls();
    }
    ShowRunState();
}

void CScopeVI::ShowChannelControls()
{
    const int c = m_selectedChannel;
    SetMenuSelection(kRangeListId, m_unit->Range(c));
    ShowChoice(kFirstCoupling, m_unit->Mode(c));
    if (const CScopeData* data = m_screen ? m_screen->Screen().Channel(c) : nullptr) {
        SetToggle(kVisibleId, data->visible != 0);
        SetToggle(kInvertId, data->inverted != 0);
    }
    if (auto* tabs = Find<CHotTabControl>(kChannelTabsId); tabs && tabs->Select(c))
        InvalidateHotspot(tabs);
}

void CScopeVI::ShowRunState()
{
    SetToggle(kRunStopId, m_unit->Hold());
    SetToggle(kSingleId, m_unit->SingleShot());
    SetWaitingLamp(m_unit->TriggerSource() != 0 && !m_unit->Hold());
}

void CScopeVI::SetWaitingLamp(bool lit)
{
    if (auto* lamp = Find<CHotStatus>(kWaitingLampId); lamp && lamp->SetLit(lit))
        InvalidateHotspot(lamp);
}

void CScopeVI::SetCoupling(int channel, int32_t coupling)
{
    m_unit->SetMode(channel, coupling);
    if (CScopeData* data = m_screen ? m_screen->Screen().Channel(channel) : nullptr)
        data->ground = coupling == kCouplingGround;
    m_screen->Refresh();
}

bool CScopeVI::SetFourChannels(bool on, bool tellUser)
{
    if (on == m_fourChannels)
        return true;
    if (on && m_owner) {
        uint32_t mask[kResourceWords] = {};
        mask[kUnitScope + 1] = kInputsCD;
        if (m_owner->Events().FindResourceConflict(mask, this)) {
            if (tellUser)
                CWin32UserInteraction().ShowMessage(CResourceStrings().LoadText(kTextInputsTaken), MessageIcon::Warning);
            SetToggle(kFourChannelsId, false);
            return false;
        }
    }
    m_fourChannels = on;
    if (on)
        m_resourceMask[kUnitScope + 1] |= kInputsCD;
    else
        m_resourceMask[kUnitScope + 1] &= ~kInputsCD;
    if (!on && m_unit->TriggerSource() > 2)
        m_unit->SetTriggerSource(0);
    if (CScopeViewEx* ex = ScreenEx()) {
        if (!on && ex->ScreenEx().cursorChannel > 2)
            ex->ScreenEx().cursorChannel = 0;
        ex->SetFourChannels(on);
    }
    m_acquisition.SetFourChannels(on);
    FillLists();
    ShowSettings();
    m_unit->Changes().MarkChanged(kAllChanged);
    ChangeSettings(CScopeAcquisition::kChannelModeChanged);
    return true;
}

bool CScopeVI::OnCommand(uint32_t id)
{
    if (const int32_t k = ItemOf(id, kFirstTimeBase, int32_t(m_unit->TimeBases().size())); k >= 0) {
        if (m_unit->SetTimeBase(k)) {
            SetMenuSelection(kTimeBaseListId, k);
            ChangeSettings(CScopeAcquisition::kTimeBaseChanged);
            m_screen->Refresh();
        }
        return true;
    }
    if (const int32_t k = ItemOf(id, kFirstSlope, 2); k >= 0) {
        m_unit->SetTriggerSlope(k);
        ShowSettings();
        return true;
    }
    if (const int32_t k = ItemOf(id, kFirstDisplayMode, 2); k >= 0) {
        m_screen->Screen().displayMode = k;
        ShowSettings();
        m_screen->Refresh();
        return true;
    }
    switch (id) {
    case kRunStopId:
        // A stopped scope takes its hold flag; running again also leaves a single shot taken.
        m_unit->SetHold(!m_unit->Hold());
        SetToggle(kRunStopId, m_unit->Hold());
        SetWaitingLamp(false);
        return true;
    case kSingleId:
        m_unit->SetSingleShot(!m_unit->SingleShot());
        SetToggle(kSingleId, m_unit->SingleShot());
        return true;
    case kTriggerLevelUp:
    case kTriggerLevelUp + 1:
        if (id == kTriggerLevelUp ? m_unit->TriggerLevelUp() : m_unit->TriggerLevelDown())
            m_screen->Refresh();
        return true;
    case kTriggerPositionUp:
    case kTriggerPositionUp + 1:
        // Right moves the trigger point right: more of the record before it.
        if (id == kTriggerPositionUp ? m_unit->TriggerPositionDown() : m_unit->TriggerPositionUp()) {
            // The second form sends it at once rather than with the next step.
            if (m_form == Form::second)
                SendToUnitNow(m_owner, [this] { m_unit->Flush(); });
            m_screen->Refresh();
        }
        return true;
    default:
        break;
    }
    return m_form == Form::main ? OnMainCommand(id) : OnSecondCommand(id);
}

bool CScopeVI::OnMainCommand(uint32_t id)
{
    CScopeViewEx* ex = ScreenEx();
    const int c = m_selectedChannel;
    if (const int32_t k = ItemOf(id, kFirstRange, kRangeCount); k >= 0) {
        m_unit->SetRange(c, k);
        SetMenuSelection(kRangeListId, k);
        m_screen->Refresh();
        return true;
    }
    if (const int32_t k = ItemOf(id, kFirstCoupling, 3); k >= 0) {
        SetCoupling(c, k);
        ShowChannelControls();
        return true;
    }
    if (const int32_t k = ItemOf(id, kTriggerSourceListId, ChannelCount() + 1); k >= 0) {
        m_unit->SetTriggerSource(k);
        SetMenuSelection(kTriggerSourceListId, k);
        SetWaitingLamp(false);
        m_screen->Refresh();
        return true;
    }
    if (const int32_t k = ItemOf(id, kCursorListId, ChannelCount() + 1); k >= 0) {
        ex->ScreenEx().cursorChannel = k;
        SetMenuSelection(kCursorListId, k);
        m_screen->Refresh();
        return true;
    }
    if (const int32_t k = ItemOf(id, kChannelTabsId, ChannelCount()); k >= 0) {
        m_selectedChannel = k;
        ShowChannelControls();
        return true;
    }
    if (const int32_t k = ItemOf(id, kFirstMathOperation, 2); k >= 0) {
        ex->ScreenEx().mathOperation = k;
        SetMenuSelection(kMathOperationListId, k);
        m_screen->Refresh();
        return true;
    }
    if (const int32_t k = ItemOf(id, kFirstMathRange, kRangeCount); k >= 0) {
        ex->ScreenEx().mathRange = k;
        SetMenuSelection(kMathRangeListId, k);
        m_screen->Refresh();
        return true;
    }
    switch (id) {
    case kMathId:
        ex->ScreenEx().math = !ex->ScreenEx().math;
        SetToggle(kMathId, ex->ScreenEx().math != 0);
        m_screen->Refresh();
        return true;
    case kVisibleId:
        if (const CScopeData* data = m_screen->Screen().Channel(c))
            m_screen->ShowChannel(c, !data->visible);
        ShowChannelControls();
        return true;
    case kInvertId:
        if (const CScopeData* data = m_screen->Screen().Channel(c))
            m_screen->InvertChannel(c, !data->inverted);
        ShowChannelControls();
        return true;
    case kChannelPositionUp:
    case kChannelPositionUp + 1:
        m_screen->MoveChannel(c, id == kChannelPositionUp ? 1 : -1);
        return true;
    case kFourChannelsId:
        SetFourChannels(!m_fourChannels, true);
        SetToggle(kFourChannelsId, m_fourChannels);
        return true;
    default:
        return CVIWindow::OnCommand(id);
    }
}

bool CScopeVI::OnSecondCommand(uint32_t id)
{
    if (const int32_t k = ItemOf(id, kFirstRange, kRangeCount); k >= 0) {
        m_unit->SetRange(0, k);
        SetMenuSelection(kRangeListId, k);
        m_screen->Refresh();
        return true;
    }
    if (const int32_t k = ItemOf(id, kFirstRangeB, kRangeCount); k >= 0) {
        m_unit->SetRange(1, k);
        SetMenuSelection(kRangeListB, k);
        m_screen->Refresh();
        return true;
    }
    if (const int32_t k = ItemOf(id, kFirstCoupling, 3); k >= 0) {
        SetCoupling(0, k);
        ShowSettings();
        return true;
    }
    if (const int32_t k = ItemOf(id, kFirstCouplingB, 3); k >= 0) {
        SetCoupling(1, k);
        ShowSettings();
        return true;
    }
    if (const int32_t k = ItemOf(id, kFirstTriggerSourceB, 3); k >= 0) {
        m_unit->SetTriggerSource(k);
        SetMenuSelection(kFirstTriggerSourceB, k);
        SetWaitingLamp(false);
        m_screen->Refresh();
        return true;
    }
    if (const int32_t c = ItemOf(id, kFirstCentre, 2); c >= 0) {
        if (CScopeData* data = m_screen->Screen().Channel(c))
            data->position = 0.0;
        m_screen->Refresh();
        return true;
    }
    if (const int32_t c = ItemOf(id, kFirstVisibleB, 2); c >= 0) {
        const CScopeData* data = m_screen->Screen().Channel(c);
        m_screen->ShowChannel(c, data && !data->visible);
        return true;
    }
    if (const int32_t c = ItemOf(id, kFirstInvert, 2); c >= 0) {
        if (const CScopeData* data = m_screen->Screen().Channel(c))
            m_screen->InvertChannel(c, !data->inverted);
        SetToggle(id, m_screen->Screen().Channel(c) && m_screen->Screen().Channel(c)->inverted);
        return true;
    }
    switch (id) {
    case kPositionUpA:
    case kPositionUpA + 1:
        m_screen->MoveChannel(0, id == kPositionUpA ? 1 : -1);
        return true;
    case kPositionUpB:
    case kPositionUpB + 1:
        m_screen->MoveChannel(1, id == kPositionUpB ? 1 : -1);
        return true;
    default:
        return CVIWindow::OnCommand(id);
    }
}

bool CScopeVI::CheckUpdate(uintptr_t)
{
    // Steps start at least 50 ms apart, so that a fast box is not asked more
    // often. Counted from one start to the next: the polling cycle's own wait
    // and the window's update of the last step count towards it.
    const uint32_t sinceLast = TickCount() - m_lastStepStart;
    if (sinceLast < CScopeAcquisition::kStepMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(CScopeAcquisition::kStepMs - sinceLast));
    m_lastStepStart = TickCount();
    const CScopeAcquisition::StepResult result = m_acquisition.Step(m_lastStepStart);
    if (result.holdOffMs)
        SetHoldOff(result.holdOffMs);
    return result.pending != 0;
}

void CScopeVI::TakeRecords()
{
    CScopeScreen& screen = m_screen->Screen();
    for (int c = 0; c < m_acquisition.ChannelCount(); ++c)
        if (CScopeData* data = screen.Channel(c))
            CopyScopeRecord(m_acquisition.Buffer(c), data->buffer);
}

void CScopeVI::OnUpdateUI(uint32_t)
{
    const uint16_t pending = m_acquisition.Pending();
    if (!m_screen || pending == 0) {
        m_acquisition.TakePending();
        return;
    }
    if (pending & CScopeAcquisition::kNewSamples) {
        TakeRecords();
        m_screen->RepaintNow();
        SetWaitingLamp(false);
        m_acquisition.SetBlinkTime(TickCount());
    }
    if (pending & CScopeAcquisition::kRunStateChanged) {
        ShowRunState();
        m_screen->RepaintNow();
    }
    if (pending & CScopeAcquisition::kWaiting)
        SetWaitingLamp(true);
    m_acquisition.TakePending();
}

void CScopeVI::OnInterfaceClosing()
{
    m_unit->StopAcquisition();
}

void CScopeVI::OnPanelSizeChanged(int32_t dx, int32_t dy)
{
    m_grown.cx += dx;
    m_grown.cy += dy;
    OffsetGroup(kRightGroupId, dx, 0);
    if (CHotspot* bezel = ById(Hotspots(), kBezelId)) {
        bezel->m_rect.right += dx;
        bezel->m_rect.bottom += dy;
    }
    OffsetGroup(kBottomGroupId, 0, dy);
    if (m_screen)
        PlaceChildInFrame(m_screen->GetSafeHwnd(), kScreenFrameId, dx, dy);
}

void CScopeVI::ApplyZoom()
{
    // The window goes back to the panel's own size: so do the controls.
    if (m_grown.cx != 0 || m_grown.cy != 0)
        OnPanelSizeChanged(-m_grown.cx, -m_grown.cy);
    CVIWindow::ApplyZoom();
    PlaceScreen();
}

void CScopeVI::PlaceScreen()
{
    if (!m_screen || !m_screen->GetSafeHwnd())
        return;
    // The screen's texts and ticks grow with the panel.
    const int32_t dpi = Zoom().ToDevice(96);
    m_screen->SetTargetResolution(dpi, dpi);
    PlaceChildInFrame(m_screen->GetSafeHwnd(), kScreenFrameId);
}

void CScopeVI::SerializeInstrument(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kStoreSchema << uint8_t(m_fourChannels ? 1 : 0);
        if (m_screen)
            m_screen->Serialize(ar);
        return;
    }
    uint32_t schema;
    uint8_t four;
    ar >> schema;
    if (schema < 1 || schema > kStoreSchema)
        throw CArchiveException(CArchiveException::badSchema);
    ar >> four;
    if (m_screen)
        m_screen->Serialize(ar);
    if (m_form == Form::main)
        SetFourChannels(four != 0, false);
    if (CScopeViewEx* ex = ScreenEx())
        ex->SetFourChannels(m_fourChannels);
    FillLists();
    ShowSettings();
    if (m_screen)
        m_screen->Refresh();
}
