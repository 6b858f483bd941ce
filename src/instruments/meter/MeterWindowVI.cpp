#include "instruments/meter/MeterWindowVI.h"

#include "framework/win32/WinApp.h"
#include "framework/win32/Win32Services.h"
#include "units/VexaMeter.h"

bool CMeterWindowVI::CanOpen()
{
    // With a period, a polling pass without news asks the instrument instead
    // of redrawing it; new blocks come as their own event.
    SetUpdatePeriod(kUpdatePeriodMs);
    return m_meter != nullptr;
}

bool CMeterWindowVI::OnPanelReady()
{
    // Only a panel that came up complete joins: a refused one never leaves.
    JoinMeter();
    return CVIWindow::OnPanelReady();
}

bool CMeterWindowVI::OnEvent(uint32_t code, uintptr_t value)
{
    if (code != kEventMeterData)
        return CVIWindow::OnEvent(code, value);
    // A block belongs to every meter at once: it is taken even during a
    // hold-off, only the redraw waits.
    const bool redraw = m_meter && TakeMeterData();
    return redraw && !IsHoldOffActive();
}

void CMeterWindowVI::ShowInstrument(bool show)
{
    CVIWindow::ShowInstrument(show);
    if (show)
        JoinMeter();
    else
        LeaveMeter();
}

void CMeterWindowVI::JoinMeter()
{
    if (m_isUser || !m_meter)
        return;
    m_isUser = true;
    WithUnitLock([this] { m_meter->AddUser(); });
}

void CMeterWindowVI::LeaveMeter()
{
    if (!m_isUser || !m_meter)
        return;
    m_isUser = false;
    WithUnitLock([this] { m_meter->RemoveUser(); });
}

bool CMeterWindowVI::ResourcesFreeForMe(const uint32_t* mask)
{
    if (!m_owner)
        return true;
    CResourceStrings strings;
    CWin32UserInteraction ui;
    return m_owner->Events().CheckResourcesFree(mask, strings, ui, 0, this);
}

int32_t ListItem(uint32_t command, uint32_t first, int32_t count)
{
    if (command < first || command - first >= uint32_t(count))
        return -1;
    return int32_t(command - first);
}
