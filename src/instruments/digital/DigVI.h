// CDigVI: the digital panels. One class for every form (input, output, input
// and output, extended IO, the two relay boards); the form's layout decides
// which controls exist, and the code drives whatever it finds.
//
// Ids: input lamps 4000–4015; the output bits are lit slide switches
// 4020–4035 that show the bit themselves (the lamps "id − 20" would have
// been the input lamps again, so the switches carry the output state);
// relay lamps 300–307 (relay off) and 308–315 (relay on); numbers 4042
// (input) and 4043 (output; a click types a word); commands as in DigPanel.h.
#pragma once

#include <atomic>
#include <cstdint>

#include "instruments/digital/DigPanel.h"
#include "viframework/win32/VIWindow.h"

class CDigIO;
class CRelays;

class CDigVI : public CVIWindow {
public:
    static constexpr uint32_t kInputLampFirst = 4000;
    static constexpr uint32_t kRelayOffLampFirst = 300;
    static constexpr uint32_t kRelayOnLampFirst = 308;
    static constexpr uint32_t kInputNumberId = 4042;
    static constexpr uint32_t kOutputNumberId = 4043;
    // The inputs are read this often [ms].
    static constexpr uint32_t kUpdatePeriodMs = 100;
    // Update bit: something to send before the next read.
    static constexpr uint32_t kSendBit = 1;

    // form: the command id that opened the panel (10011 … 10022).
    CDigVI(CDigIO* dig, CRelays* relays, uint32_t form);
    ~CDigVI() override;

    uint32_t Form() const { return m_form; }

    bool CanOpen() override;
    bool OnLayoutLoaded() override;
    bool OnCommand(uint32_t id) override;
    bool OnUpdateDue(uintptr_t value, uint32_t changedBits, bool periodElapsed) override;
    void OnUpdateUI(uint32_t eventCode) override;
    void SerializeInstrument(CArchive& ar) override;

    // The shared look of every digital panel of the process.
    static DigPanelSettings Settings();

private:
    // Applies a command to the unit's word, the relays and the shared look.
    bool Apply(uint32_t id);
    void AskOutputWord();
    // Every open digital panel shows what changed.
    static void ShowEverywhere(uint32_t changes);
    void ShowOutputs();
    void ShowInputs();
    void ShowRelays();
    void ShowLook();
    void ShowNumber(uint32_t id, uint16_t value, bool sixteenBit, int32_t base);
    void ShowLamp(uint32_t id, bool lit);
    void ShowRadio(uint32_t id, bool checked);

    CDigIO* m_dig;
    CRelays* m_relays;
    const uint32_t m_form;
    // Written by the polling thread, shown by the window's.
    std::atomic<uint16_t> m_input{0};
    std::atomic<bool> m_inputKnown{false};
};
