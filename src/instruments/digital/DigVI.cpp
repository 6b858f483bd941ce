#include "instruments/digital/DigVI.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "instruments/UnitAccess.h"
#include "units/DigIO.h"
#include "units/Relays.h"
#include "viframework/controls/HotPowerButton.h"
#include "viframework/controls/HotToggle.h"
#include "viframework/controls/Seg7.h"
#include "viframework/controls/StatusLamp.h"
#include "viframework/win32/PadPopups.h"

namespace {

// Class-wide: every digital panel shows the same look, and each stores it.
// Only window threads touch these.
DigPanelSettings g_settings;
std::vector<CDigVI*> g_panels;

}  // namespace

CDigVI::CDigVI(CDigIO* dig, CRelays* relays, uint32_t form) : m_dig(dig), m_relays(relays), m_form(form) {}

CDigVI::~CDigVI()
{
    std::erase(g_panels, this);
}

DigPanelSettings CDigVI::Settings()
{
    return g_settings;
}

bool CDigVI::CanOpen()
{
    if (!m_dig || !m_relays)
        return false;
    g_panels.push_back(this);
    // The box gets the word the switches will show (after a reconnect it may not have it).
    m_dig->SetOutputWord(CDigIO::OutputWord());
    SetUpdatePeriod(kUpdatePeriodMs);
    MarkChanged(kSendBit);
    return true;
}

bool CDigVI::OnLayoutLoaded()
{
    if (!CVIWindow::OnLayoutLoaded())
        return false;
    ShowLook();
    ShowOutputs();
    ShowRelays();
    ShowInputs();
    return true;
}

bool CDigVI::OnCommand(uint32_t id)
{
    if (id == kOutputNumberId) {
        AskOutputWord();
        return true;
    }
    return Apply(id) || CVIWindow::OnCommand(id);
}

bool CDigVI::Apply(uint32_t id)
{
    DigPanelState s{CDigIO::OutputWord(), 0, g_settings};
    std::optional<uint32_t> changes;
    {
        // The polling thread sends the relay byte; it changes under the unit lock.
        std::unique_lock<std::recursive_mutex> units;
        if (m_owner)
            units = std::unique_lock<std::recursive_mutex>(m_owner->UnitLock());
        s.relays = m_relays->State();
        changes = ApplyDigCommand(id, s);
        if (changes && (*changes & kDigRelaysChanged))
            m_relays->SetState(s.relays);
    }
    if (!changes)
        return false;
    if (*changes & kDigOutputChanged)
        m_dig->SetOutputWord(s.output);
    g_settings = s.settings;
    if (*changes & (kDigOutputChanged | kDigRelaysChanged))
        MarkChanged(kSendBit);
    // A switch flips its own look when pressed; it shows the word even when nothing changed.
    ShowEverywhere(*changes | kDigOutputChanged | kDigRelaysChanged);
    return true;
}

void CDigVI::AskOutputWord()
{
    auto* number = Find<CHotDigSeg7>(kOutputNumberId);
    if (!number)
        return;
    const bool sixteenBit = g_settings.outputSixteenBit != 0;
    const uint16_t word = CDigIO::OutputWord();
    int32_t value = sixteenBit ? word : word & 0xFF;
    CNumPadPopup pad(value, 0, sixteenBit ? 0xFFFF : 0xFF);
    if (!pad.ShowAt(number->m_rect, *this))
        return;
    // In 8-bit mode the typed byte replaces the low byte only.
    m_dig->SetOutputWord(sixteenBit ? uint16_t(value) : uint16_t((word & 0xFF00) | value));
    MarkChanged(kSendBit);
    ShowEverywhere(kDigOutputChanged);
}

void CDigVI::ShowEverywhere(uint32_t changes)
{
    for (CDigVI* panel : g_panels) {
        if (!panel->GetSafeHwnd())
            continue;
        if (changes & kDigLookChanged) {
            panel->ShowLook();
            panel->ShowInputs();
        }
        if (changes & (kDigOutputChanged | kDigLookChanged))
            panel->ShowOutputs();
        if (changes & kDigRelaysChanged)
            panel->ShowRelays();
    }
}

bool CDigVI::OnUpdateDue(uintptr_t, uint32_t, bool)
{
    // The polling thread, under the unit lock: outputs out, inputs in, relays out.
    m_dig->Flush();
    const uint16_t input = m_dig->ReadInput();
    const bool changed = !m_inputKnown.exchange(true) || m_input.exchange(input) != input;
    m_relays->Flush();
    return changed;
}

void CDigVI::OnUpdateUI(uint32_t)
{
    ShowInputs();
}

void CDigVI::SerializeInstrument(CArchive& ar)
{
    DigPanelSettings s = g_settings;
    SerializeDigPanel(ar, s);
    if (ar.IsStoring())
        return;
    g_settings = s;
    ShowEverywhere(kDigLookChanged);
}

// ---------------------------------------------------------------- showing

void CDigVI::ShowOutputs()
{
    const uint16_t word = CDigIO::OutputWord();
    for (uint32_t bit = 0; bit < 16; ++bit) {
        const bool on = (word >> bit) & 1;
        if (auto* toggle = Find<CHotPowerButton>(DigCommand::kOutputBitFirst + bit))
            toggle->SetState(on, on, this);
    }
    ShowNumber(kOutputNumberId, word, g_settings.outputSixteenBit != 0, g_settings.outputBase);
}

void CDigVI::ShowInputs()
{
    const bool known = m_inputKnown.load();
    const uint16_t word = m_input.load();
    for (uint32_t bit = 0; bit < 16; ++bit)
        ShowLamp(kInputLampFirst + bit, known && ((word >> bit) & 1));
    if (known)
        ShowNumber(kInputNumberId, word, g_settings.inputSixteenBit != 0, g_settings.inputBase);
}

void CDigVI::ShowRelays()
{
    uint8_t relays = 0;
    {
        std::unique_lock<std::recursive_mutex> units;
        if (m_owner)
            units = std::unique_lock<std::recursive_mutex>(m_owner->UnitLock());
        relays = m_relays->State();
    }
    for (uint32_t k = 0; k < 8; ++k) {
        const bool on = (relays >> k) & 1;
        ShowLamp(kRelayOffLampFirst + k, !on);
        ShowLamp(kRelayOnLampFirst + k, on);
        if (auto* toggle = Find<CHotPowerButton>(DigCommand::kRelayToggleFirst + k))
            toggle->SetState(on, on, this);
    }
}

void CDigVI::ShowLook()
{
    using namespace DigCommand;
    const DigPanelSettings& s = g_settings;
    ShowRadio(kOutput8Bit, !s.outputSixteenBit);
    ShowRadio(kOutput16Bit, s.outputSixteenBit);
    ShowRadio(kInput8Bit, !s.inputSixteenBit);
    ShowRadio(kInput16Bit, s.inputSixteenBit);
    for (int32_t base = 0; base < kDigBaseCount; ++base) {
        ShowRadio(kInputBaseFirst + uint32_t(base), s.inputBase == base);
        ShowRadio(kOutputBaseFirst + uint32_t(base), s.outputBase == base);
    }
    // The high byte cannot be stepped in 8-bit mode.
    for (uint32_t id : {kPlus256, kMinus256}) {
        if (CHotspot* button = FindHotspot(kHotButton, id); button && button->IsDisabled() == bool(s.outputSixteenBit)) {
            button->SetFlag(kHotDisabled, !s.outputSixteenBit);
            InvalidateHotspot(button);
        }
    }
}

void CDigVI::ShowNumber(uint32_t id, uint16_t value, bool sixteenBit, int32_t base)
{
    auto* number = Find<CHotDigSeg7>(id);
    if (!number)
        return;
    const DigNumberLook look = DigNumberLookFor(sixteenBit, base);
    bool changed = number->SetMode(look.mode);
    changed |= number->SetRadix(look.radix);
    changed |= number->SetValue(value);
    if (changed)
        InvalidateHotspot(number);
}

void CDigVI::ShowLamp(uint32_t id, bool lit)
{
    if (auto* lamp = Find<CHotStatus>(id); lamp && lamp->SetLit(lit))
        InvalidateHotspot(lamp);
}

void CDigVI::ShowRadio(uint32_t id, bool checked)
{
    if (auto* radio = Find<CHotRadio>(id); radio && radio->IsChecked() != checked) {
        radio->SetChecked(checked);
        InvalidateHotspot(radio);
    }
}
