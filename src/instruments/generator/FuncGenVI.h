// The generator panels: the function generator and its pulse, DC and
// formula forms. Every panel drives the one function generator unit, whose
// settings are class-wide, so two panels show and change the same output.
#pragma once

#include <cstdint>

#include "viframework/win32/VIWindow.h"

class CFuncGen;
class CHotButtonGroup;
class CHotKnob;
class CHotLcdMatrix;
class CHotMenu;
class CHotPowerButton;
class CHotSeg7;
class CHotLabel;

// What every generator panel shares: the unit, flushing its changes on the
// polling thread, the output switch, and switching the output off when the
// panel closes.
class CFuncGenBaseVI : public CVIWindow {
public:
    static constexpr uint32_t kOutputButtonId = 4202;
    // How often the polling thread looks for changes the panel made.
    static constexpr uint32_t kFlushPeriodMs = 250;
    static constexpr uint32_t kFlushBit = 1;

    explicit CFuncGenBaseVI(CFuncGen* unit);

    bool CanOpen() override;
    bool OnLayoutLoaded() override;
    bool OnCommand(uint32_t id) override;
    bool OnUpdateDue(uintptr_t value, uint32_t changedBits, bool periodElapsed) override;
    void OnUpdateUI(uint32_t eventCode) override;

    CFuncGen* Unit() const { return m_unit; }

protected:
    // The panel shows the unit's settings.
    virtual void ShowSettings();
    // Closing the panel (hiding it, or for good) switches the output off at once.
    void OnInstrumentClosing() override;
    // A change for the polling thread to send.
    void SendSoon() { MarkChanged(kFlushBit); }
    void ShowOutputState();
    // Shows a text on a reading; invalidates it only when it changed.
    void ShowReading(CHotLcdMatrix* reading, const CString& text);
    // Selects item index of a button strip (none for an index outside it).
    void ShowChoice(CHotButtonGroup* group, int32_t index);

    CFuncGen* m_unit;
    CHotPowerButton* m_outputButton = nullptr;
};

// The function generator: frequency and amplitude knobs with their readings,
// frequency rows, waveform and output range.
class CFuncGenVI : public CFuncGenBaseVI {
public:
    // Knobs (turned) and the readings beside them (a click opens the number
    // pad, as the knob's own command does).
    static constexpr uint32_t kAmplitudeKnobId = 100;
    static constexpr uint32_t kFrequencyKnobId = 101;
    static constexpr uint32_t kDutyKnobId = 102;
    static constexpr uint32_t kAmplitudeReadingId = 110;
    static constexpr uint32_t kFrequencyReadingId = 111;
    static constexpr uint32_t kDutyReadingId = 112;
    // Commands: the up/down controls post id for up and id + 1 for down;
    // the button strips send their first id + the item.
    static constexpr uint32_t kFrequencyUp = 4220;
    static constexpr uint32_t kFrequencyDown = 4221;
    static constexpr uint32_t kAmplitudeUp = 4222;
    static constexpr uint32_t kAmplitudeDown = 4223;
    static constexpr uint32_t kDutyUp = 4224;
    static constexpr uint32_t kDutyDown = 4225;
    static constexpr uint32_t kFirstWaveform = 4203;       // to 4212
    static constexpr uint32_t kFirstOutputRange = 4226;    // to 4229
    static constexpr uint32_t kFirstFrequencyRange = 4235; // to 4245
    static constexpr int32_t kLastShape = 5;

    explicit CFuncGenVI(CFuncGen* unit) : CFuncGenBaseVI(unit) {}

    bool CanOpen() override;
    bool OnLayoutLoaded() override;
    bool OnCommand(uint32_t id) override;
    void OnKnobChanging(CHotspot& knob) override;

protected:
    void ShowSettings() override;
    void ShowFrequency();
    void ShowAmplitude();
    // The waveform strip of this panel starts at this waveform.
    virtual int32_t FirstShownWaveform() const { return 0; }
    // The number pads of the knobs.
    void EnterAmplitude();
    void EnterFrequency();

    CHotKnob* m_amplitudeKnob = nullptr;
    CHotKnob* m_frequencyKnob = nullptr;
    CHotLcdMatrix* m_amplitudeReading = nullptr;
    CHotLcdMatrix* m_frequencyReading = nullptr;
    CHotButtonGroup* m_waveforms = nullptr;
    CHotButtonGroup* m_outputRanges = nullptr;
    CHotButtonGroup* m_frequencyRows = nullptr;
};

// The pulse generator: the function generator with a duty knob and the two
// pulse shapes (8 positive, 9 negative).
class CFuncGenPulseVI : public CFuncGenVI {
public:
    static constexpr int32_t kPositivePulse = 8;
    static constexpr int32_t kNegativePulse = 9;

    explicit CFuncGenPulseVI(CFuncGen* unit) : CFuncGenVI(unit) {}

    bool CanOpen() override;
    bool OnLayoutLoaded() override;
    bool OnCommand(uint32_t id) override;
    void OnKnobChanging(CHotspot& knob) override;

protected:
    void ShowSettings() override;
    int32_t FirstShownWaveform() const override { return kPositivePulse; }

private:
    void ShowDuty();

    CHotKnob* m_dutyKnob = nullptr;
    CHotLcdMatrix* m_dutyReading = nullptr;
};

// The DC source: a signed level in the output range, shared by every DC
// source panel; its sign is the waveform (4 positive or zero, 5 negative).
class CFuncGenDCVI : public CFuncGenBaseVI {
public:
    static constexpr uint32_t kLevelUp = 4222;
    static constexpr uint32_t kLevelDown = 4223;
    static constexpr uint32_t kFirstOutputRange = 4226;
    // Our ids: the level knob, the unit beside the reading. The reading (the
    // first seven-segment display) sends its own id when clicked.
    static constexpr uint32_t kLevelKnobId = 120;
    static constexpr uint32_t kUnitLabelId = 121;

    explicit CFuncGenDCVI(CFuncGen* unit) : CFuncGenBaseVI(unit) {}

    bool CanOpen() override;
    bool OnLayoutLoaded() override;
    bool OnCommand(uint32_t id) override;
    void OnKnobChanging(CHotspot& knob) override;

    static int32_t Level();

protected:
    void ShowSettings() override;

private:
    // The level becomes the output: its size as the amplitude, its sign as the waveform.
    void SetLevel(int32_t level);
    void ShowLevel();
    void EnterLevel();

    CHotSeg7* m_display = nullptr;
    CHotKnob* m_levelKnob = nullptr;
    CHotLabel* m_unitLabel = nullptr;
    CHotButtonGroup* m_outputRanges = nullptr;
};

// The formula generator: plays the selected formula of a list the user keeps.
class CFuncGenFormVI : public CFuncGenVI {
public:
    static constexpr uint32_t kFormulaListId = 4000;
    static constexpr uint32_t kAddFormula = 201;
    static constexpr uint32_t kEditFormula = 202;
    static constexpr uint32_t kDeleteFormula = 203;
    static constexpr uint32_t kFirstEntry = 4300;  // to 4600
    static constexpr uint32_t kLastEntry = 4600;

    explicit CFuncGenFormVI(CFuncGen* unit) : CFuncGenVI(unit) {}

    bool CanOpen() override;
    bool OnLayoutLoaded() override;
    bool OnCommand(uint32_t id) override;
    void SerializeInstrument(CArchive& ar) override;

protected:
    void ShowSettings() override;

private:
    void FillList();
    // Sends the selected formula (or switches the output off without one).
    void ApplyEntry(bool force = false);
    void AddEntry();
    void EditEntry();
    void DeleteEntry();

    CHotMenu* m_list = nullptr;
};
