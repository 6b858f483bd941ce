// CMetraHitVI: the reading of an external METRAHit handheld meter, read
// through the interface's METRAHit link, on an LCD like the meter's own, with
// a picture of the measuring function.
#pragma once

#include <atomic>

#include "viframework/win32/VIWindow.h"

class CHotBitmapKnob;
class CHotMetraLcd;
class CMetraHit;

class CMetraHitVI : public CVIWindow {
public:
    // The custom record where the instrument makes its LCD, and the LCD's id.
    static constexpr uint32_t kLcdRecord = 100;
    static constexpr uint32_t kLcdId = 100;
    static constexpr uint32_t kFirstPictureBitmap = 5200;
    // After this long without a valid answer the display goes blank [ms].
    static constexpr uint32_t kAnswerTimeoutMs = 3000;
    static constexpr uint32_t kUpdatePeriodMs = 250;

    // model: 1 23S, 2 ONE/13S, 3 18S, 4 TEACH.
    CMetraHitVI(CMetraHit* unit, int model);

    std::unique_ptr<CHotspot> CreateCustomHotspot(uint32_t param1, uint32_t param2, const CRect& rect) override;
    bool OnLayoutLoaded() override;
    bool CanOpen() override;
    bool OnUpdateDue(uintptr_t value, uint32_t changedBits, bool periodElapsed) override;
    void OnUpdateUI(uint32_t eventCode) override;

    int Model() const { return m_model; }
    // The number of pictures in the range-picture strip of a model.
    static uint32_t PictureCount(int model);

protected:
    void OnClose() override;

private:
    // What the LCD and the picture show, copied from the unit under its lock.
    struct Reading {
        CString display, unit, modeName;
        bool overload = false;
        uint8_t code = 0;
        bool operator==(const Reading&) const = default;
    };

    CMetraHit* m_unit;  // null once the link was given back
    int m_model;
    bool m_valid = false;
    uint32_t m_lastValidTick = 0;
    Reading m_reading;  // m_dataLock
    CHotMetraLcd* m_lcd = nullptr;
    CHotBitmapKnob* m_picture = nullptr;
};
