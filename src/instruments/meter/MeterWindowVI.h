// CMeterWindowVI: what every instrument on the multimeter unit shares. While
// its window is shown it is one of the unit's users (the first starts the
// unit measuring, the last one to go stops it), and it takes each new block
// (event 80) on the polling thread, under the unit lock.
#pragma once

#include <mutex>

#include "interface/InterfaceVI.h"
#include "viframework/win32/VIWindow.h"

class CVexaMeter;

// A unit's word in the resource record is its number + 1 (the DC supply's
// three-phase unit 4 holds word 5); the meter's bits are its channels.
constexpr int kMeterResourceWord = 7;
constexpr uint32_t MeterChannelBit(int channel) { return 1u << channel; }  // A 1, B 2, C 4, D 8

class CMeterWindowVI : public CVIWindow {
public:
    static constexpr uint32_t kUpdatePeriodMs = 300;

    explicit CMeterWindowVI(CVexaMeter* meter) : m_meter(meter) {}

    bool CanOpen() override;
    bool OnPanelReady() override;
    bool OnEvent(uint32_t code, uintptr_t value) override;
    void ShowInstrument(bool show) override;

protected:
    // On the polling thread with the unit lock held: takes what the new block
    // means for this instrument; true asks for a redraw (OnUpdateUI(80)).
    virtual bool TakeMeterData() { return true; }
    // The window hides (the user closed it) or closes for good.
    void OnInstrumentClosing() override { LeaveMeter(); }

    void JoinMeter();
    void LeaveMeter();

    // Runs f with the unit lock held, as every exchange with the unit must;
    // not at all after a connection loss, which takes the units away.
    template <class F>
    void WithUnitLock(F&& f)
    {
        if (m_owner) {
            std::lock_guard<std::recursive_mutex> units(m_owner->UnitLock());
            if (!m_owner->IsConnectionLost())
                f();
        } else {
            f();
        }
    }
    // Asks whether the resources of mask are free of every other instrument;
    // tells the user which one holds them otherwise.
    bool ResourcesFreeForMe(const uint32_t* mask);
    void RedrawPanel() { InvalidateRect(m_hWnd, nullptr, FALSE); }

    CVexaMeter* m_meter;

private:
    bool m_isUser = false;
};

// Entries of the pop-up lists as commands: the first item's command, and
// which one of a list a command is (-1 when it is none of count items).
int32_t ListItem(uint32_t command, uint32_t first, int32_t count);
