// CMetraHit: the link to an external METRAHit handheld meter (unit 8). The
// interface relays a request byte to the meter and returns its answer; the
// unit decodes the answer into what the meter's own display shows: the
// text, a unit, a mode name, an overload flag and the digits as a number.
//
// Four models, each with its own request and answer: 1 = 23S, 2 = ONE/13S,
// 3 = 18S, 4 = TEACH.
#pragma once

#include <cstdint>
#include <span>

#include "units/BaseDevice.h"

class CommandBytes;

enum MetraHitModel : int {
    kMetraHit23S = 1,
    kMetraHitOne13S = 2,
    kMetraHit18S = 3,
    kMetraHitTeach = 4,
};

class CMetraHit : public CVexaDevice {
    DECLARE_DYNAMIC(CMetraHit)
public:
    using CVexaDevice::CVexaDevice;

    static constexpr int32_t kNotANumber = 0x7FFFFFFF;
    static constexpr size_t kDisplayLength = 8;

    // Sends the model's request and decodes the answer; false when no valid
    // answer came (the last decoded values stay).
    bool ReadMeter(int model);
    bool Read23S();
    bool ReadOne13S();
    bool Read18S();
    bool ReadTeach();

    // The decoders, for answers of the models' lengths (9, 10, 10 and 30 bytes).
    bool Decode23S(std::span<const uint8_t> answer);
    bool DecodeOne13S(std::span<const uint8_t> answer);
    bool Decode18S(std::span<const uint8_t> answer);
    bool DecodeTeach(std::span<const uint8_t> answer);

    void Serialize(CArchive& ar) override;

    bool MeterPresent() const { return m_meterPresent != 0; }
    uint8_t StatusBits() const { return m_status; }
    uint8_t ModeCode() const { return m_mode; }
    uint8_t RangeCode() const { return m_range; }
    const CString& ModeName() const { return m_modeName; }
    const CString& UnitText() const { return m_unitText; }
    bool Overload() const { return m_overload != 0; }
    const CString& DisplayText() const { return m_displayText; }
    int32_t Reading() const { return m_reading; }
    uint8_t DisplayCode() const { return m_displayCode; }

private:
    void Request(const CommandBytes& request, std::span<uint8_t> answer);
    // The five-digit models (13S, 18S) share their answer's layout.
    bool DecodeFiveDigit(std::span<const uint8_t> answer, uint8_t rangeMask);
    void SetDisplay(std::u16string_view text);

    uint8_t m_meterPresent = 0;
    uint8_t m_status = 0;
    uint8_t m_mode = 0;
    uint8_t m_range = 0;
    CString m_modeName;
    CString m_unitText;
    uint8_t m_overload = 0;
    CString m_displayText = u"-88.888";
    int32_t m_reading = 0;
    uint8_t m_displayCode = 0;
};
