// The oscilloscope instrument in its two forms: the main oscilloscope (two or
// four channels, math, XY, cursors; the screen CScopeViewEx) and the second
// form (channels A and B side by side; the screen CScopeViewCtrl). Both run
// the same poll step on the polling thread and show its records on the
// window thread.
//
// Ids the layouts carry that no Part numbers (chosen here, listed in the
// panel sources too): up/down controls post id (up or right) and id + 1:
//   main form: trigger level 4490, trigger position 4492, channel position
//   4494, four-channel toggle 4496;
//   second form: trigger level 4490, trigger position 4492, position of A
//   4464 and of B 4466, centring A and B 4460 + channel; channel B's range
//   list 6002 sends 4700 + k, because 4440 + k would reach channel A's
//   coupling and visibility ids (4450 to 4453).
#pragma once

#include <cstdint>
#include <memory>

#include "instruments/scope/ScopeAcquisition.h"
#include "viframework/win32/VIWindow.h"

class CScope;
class CScopeViewBase;
class CScopeViewEx;

class CScopeVI : public CVIWindow {
public:
    enum class Form { main, second };

    // Both forms.
    static constexpr uint32_t kScreenFrameId = 500;
    static constexpr uint32_t kWaitingLampId = 4479;
    static constexpr uint32_t kTimeBaseListId = 6000;
    static constexpr uint32_t kFirstTimeBase = 4401;
    static constexpr uint32_t kRangeListId = 6001;
    static constexpr uint32_t kFirstRange = 4430;
    static constexpr uint32_t kFirstCoupling = 4451;
    static constexpr uint32_t kFirstSlope = 4485;
    static constexpr uint32_t kRunStopId = 4487;
    static constexpr uint32_t kSingleId = 4488;
    static constexpr uint32_t kFirstDisplayMode = 4474;
    static constexpr uint32_t kTriggerLevelUp = 4490;
    static constexpr uint32_t kTriggerPositionUp = 4492;
    // Sizing: the right-hand group moves, the screen's bezel grows, the bottom group moves down.
    static constexpr uint32_t kRightGroupId = 1;
    static constexpr uint32_t kBezelId = 2;
    static constexpr uint32_t kBottomGroupId = 100;
    // Main form.
    static constexpr uint32_t kTriggerSourceListId = 4500;  // commands 4500 + k
    static constexpr uint32_t kCursorListId = 4600;         // commands 4600 + k
    static constexpr uint32_t kChannelTabsId = 10;          // commands 10 + k
    static constexpr uint32_t kVisibleId = 4450;
    static constexpr uint32_t kInvertId = 4472;
    static constexpr uint32_t kMathId = 300;
    static constexpr uint32_t kMathOperationListId = 302;
    static constexpr uint32_t kFirstMathOperation = 303;
    static constexpr uint32_t kMathRangeListId = 307;
    static constexpr uint32_t kFirstMathRange = 308;
    static constexpr uint32_t kChannelPositionUp = 4494;
    static constexpr uint32_t kFourChannelsId = 4496;
    // Second form.
    static constexpr uint32_t kRangeListB = 6002;
    static constexpr uint32_t kFirstRangeB = 4700;
    static constexpr uint32_t kFirstCouplingB = 4455;
    static constexpr uint32_t kFirstCentre = 4460;       // + channel
    static constexpr uint32_t kFirstVisibleB = 4462;     // + channel: shows or hides it
    static constexpr uint32_t kPositionUpA = 4464;
    static constexpr uint32_t kPositionUpB = 4466;
    static constexpr uint32_t kFirstInvert = 4472;       // + channel
    static constexpr uint32_t kFirstTriggerSourceB = 4482;

    static constexpr uint32_t kInputsAB = 3;
    static constexpr uint32_t kInputsCD = 12;
    static constexpr uint32_t kStoreSchema = 2;
    static constexpr uint32_t kTextInputsTaken = 67;

    CScopeVI(CScope* unit, Form form);
    ~CScopeVI() override;

    bool OnLayoutLoaded() override;
    bool OnPanelReady() override;
    bool OnCommand(uint32_t id) override;
    // The poll step (polling thread, unit lock held).
    bool CheckUpdate(uintptr_t value) override;
    void OnUpdateUI(uint32_t eventCode) override;
    void OnInterfaceClosing() override;
    void OnPanelSizeChanged(int32_t dx, int32_t dy) override;
    void ApplyZoom() override;
    void SerializeInstrument(CArchive& ar) override;

    CScopeViewBase* ScreenView() const { return m_screen.get(); }
    CScopeAcquisition& Acquisition() { return m_acquisition; }
    bool FourChannels() const { return m_fourChannels; }

private:
    CScopeViewEx* ScreenEx() const;
    int32_t ChannelCount() const { return m_fourChannels ? 4 : 2; }
    // Lists and controls from the current settings.
    void FillLists();
    void ShowSettings();
    void ShowChannelControls();
    void ShowRunState();
    void SetWaitingLamp(bool lit);
    // Check boxes show the instrument's state: a command toggles that state
    // (a click has already turned the box, a scripted command has not).
    void SetToggle(uint32_t id, bool on);
    // Selects item index of a button strip.
    void ShowChoice(uint32_t groupId, int32_t index);
    // The four-channel toggle; false (and the user told) when C or D are taken.
    bool SetFourChannels(bool on, bool tellUser);
    // The screen over its frame, at the panel's zoom.
    void PlaceScreen();
    // The records the poll step read go to the screen.
    void TakeRecords();
    void SetCoupling(int channel, int32_t coupling);
    void ChangeSettings(uint32_t bits) { m_acquisition.MarkChanged(bits); }
    bool OnMainCommand(uint32_t id);
    bool OnSecondCommand(uint32_t id);

    CScope* m_unit;
    Form m_form;
    CScopeAcquisition m_acquisition;
    std::unique_ptr<CScopeViewBase> m_screen;
    bool m_fourChannels = false;
    int32_t m_selectedChannel = 0;
    CSize m_grown;  // panel units the user's sizing added
    uint32_t m_lastStepStart = 0;  // tick count (polling thread)
};
