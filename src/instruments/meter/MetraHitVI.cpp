#include "instruments/meter/MetraHitVI.h"

#include "instruments/meter/MetraLcd.h"
#include "interface/Vexaface.h"
#include "units/MetraHit.h"
#include "viframework/UpdateGate.h"
#include "viframework/controls/BitmapKnob.h"

CMetraHitVI::CMetraHitVI(CMetraHit* unit, int model) : m_unit(unit), m_model(model)
{
}

uint32_t CMetraHitVI::PictureCount(int model)
{
    switch (model) {
    case 1: return 9;
    case 2: return 7;
    case 3: return 10;
    case 4: return 9;
    default: return 1;
    }
}

std::unique_ptr<CHotspot> CMetraHitVI::CreateCustomHotspot(uint32_t param1, uint32_t, const CRect& rect)
{
    if (param1 != kLcdRecord)
        return nullptr;
    auto lcd = std::make_unique<CHotMetraLcd>();
    lcd->m_id = kLcdId;
    lcd->m_rect = rect;
    lcd->m_notifySink = this;
    return lcd;
}

bool CMetraHitVI::OnLayoutLoaded()
{
    if (!CVIWindow::OnLayoutLoaded())
        return false;
    m_lcd = dynamic_cast<CHotMetraLcd*>(FindHotspot(kHotValueDisplay, kLcdId));
    m_picture = static_cast<CHotBitmapKnob*>(FindHotspot(kHotBitmapKnob));
    if (m_picture)
        m_picture->SetBitmap(kFirstPictureBitmap + uint32_t(m_model), PictureCount(m_model));
    if (!m_lcd)
        return false;
    m_lcd->Blank();
    return true;
}

bool CMetraHitVI::CanOpen()
{
    if (!m_unit)
        return false;
    SetUpdatePeriod(kUpdatePeriodMs);
    return true;
}

bool CMetraHitVI::OnUpdateDue(uintptr_t, uint32_t, bool periodElapsed)
{
    // Runs on the polling thread under the unit lock.
    if (!m_unit || !periodElapsed)
        return false;
    m_valid = m_unit->ReadMeter(m_model);
    const uint32_t now = TickCount();
    Reading reading;
    if (m_valid) {
        m_lastValidTick = now;
        reading = {m_unit->DisplayText(), m_unit->UnitText(), m_unit->ModeName(), m_unit->Overload(),
                   m_unit->DisplayCode()};
    } else {
        std::lock_guard<std::recursive_mutex> data(m_dataLock);
        // A garbled or missing answer keeps the last reading, for a while.
        if (m_reading.display.empty() || now - m_lastValidTick <= kAnswerTimeoutMs)
            return false;
        reading.code = m_reading.code;  // the blank display keeps its picture
    }
    std::lock_guard<std::recursive_mutex> data(m_dataLock);
    if (reading == m_reading)
        return false;
    m_reading = reading;
    return true;
}

void CMetraHitVI::OnUpdateUI(uint32_t)
{
    Reading reading;
    {
        std::lock_guard<std::recursive_mutex> data(m_dataLock);
        reading = m_reading;
    }
    const bool changed = reading.display.empty()
                             ? m_lcd->Blank()
                             : m_lcd->SetReading(reading.display, reading.unit, reading.modeName, reading.overload);
    if (changed)
        InvalidateHotspot(m_lcd);
    if (m_picture && m_picture->SetFrame(reading.code))
        InvalidateHotspot(m_picture);
}

void CMetraHitVI::OnClose()
{
    CVIWindow::OnClose();
    auto* face = dynamic_cast<CVexaface*>(m_owner);
    if (!face || !m_unit)
        return;
    {
        std::lock_guard<std::recursive_mutex> units(face->UnitLock());
        m_unit = nullptr;
    }
    try {
        face->ReleaseUnit(kUnitMetraHit);
    } catch (const CStreamException& fault) {
        face->OnConnectionLost(fault);
    }
}
