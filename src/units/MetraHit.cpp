#include "units/MetraHit.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "units/CommandBytes.h"
#include "charts/Engineering.h"
#include "units/VexaCounter.h"

IMPLEMENT_DYNAMIC(CMetraHit, CVexaDevice)

namespace {

constexpr uint8_t kRequest23S = 0x50;    // "P"
constexpr uint8_t kRequestQ = 0x51;      // "Q", ONE/13S and 18S
constexpr uint8_t kRequestTeach = 0x54;  // "T"
constexpr uint8_t kTeachArgument = 4;

constexpr size_t kAnswer23S = 9;
constexpr size_t kAnswerQ = 10;
constexpr size_t kAnswerTeach = 30;

constexpr char16_t kNoReading[] = u" ---- ";

// Mode names of the five-digit models, by mode code.
const char16_t* FiveDigitModeName(uint8_t mode)
{
    switch (mode) {
    case 1: return u"AC";
    case 2: case 10: case 11: return u"AC+DC";
    case 3: case 8: case 9: return u"DC";
    case 5: return u"Diode";
    case 14: return u"Events";
    case 15: return u"-";
    default: return u"";
    }
}

// Where the decimal point goes (index into the text, the sign being 0); 0 for none.
size_t FiveDigitPoint(uint8_t mode, uint8_t range)
{
    const bool amperes = mode == 9 || mode == 11;
    switch (range) {
    case 0: return amperes ? 2 : 4;
    case 1: return amperes ? 3 : 2;
    case 2: case 5: return 3;
    case 3: return 4;
    case 4: return mode == 4 ? 2 : 5;
    default: return 0;
    }
}

const char16_t* FiveDigitUnit(uint8_t mode, uint8_t range)
{
    switch (mode) {
    case 1: case 2: case 3: case 14: return range == 0 ? u"mV" : u"V";
    case 4: return range == 0 ? u"Ohm" : (range == 4 || range == 5) ? u"MOhm" : u"kOhm";
    case 6: return u"\u00B0C";
    case 7: return range < 3 ? u"nF" : u"\u00B5F";
    case 8: case 10: return range == 0 ? u"\u00B5A" : u"mA";
    case 9: case 11: return u"A";
    case 12: return range == 3 ? u"kHz" : u"Hz";
    case 13: return u"dB";
    default: return u"";
    }
}

// The range pictures of the instrument, by mode code.
constexpr uint8_t kFiveDigitDisplayCode[16] = {3, 0, 1, 2, 4, 5, 6, 7, 8, 9, 8, 9, 1, 0, 2, 3};

size_t Point23S(uint8_t mode, uint8_t range)
{
    if (mode == 4 || mode == 5) {
        switch (range) {
        case 1: case 7: return 4;
        case 3: return 2;
        case 5: return 3;
        default: return 0;
        }
    }
    if (mode == 1 || mode == 2 || mode == 3 || mode == 26) {
        switch (range) {
        case 0: case 3: return 4;
        case 1: return 2;
        case 2: return 3;
        case 4: return 5;
        default: return 0;
        }
    }
    return 0;
}

const char16_t* Unit23S(uint8_t mode, uint8_t range)
{
    switch (mode) {
    case 4: case 5:
        if (range == 1)
            return u"\u00B5A";
        return (range == 3 || range == 5 || range == 7) ? u"mA" : u"";
    case 6: case 7: return u"A";
    case 1: case 2: case 3: case 26: return range == 0 ? u"mV" : range <= 4 ? u"V" : u"";
    case 8: case 17: return range == 0 ? u"Ohm" : range <= 3 ? u"kOhm" : range <= 5 ? u"MOhm" : u"";
    case 9: return range <= 2 ? u"nF" : u"\u00B5F";
    case 15: case 16: return range == 1 ? u"V" : u"";
    case 12: return (range == 1 || range == 3) ? u"kHz" : range == 0 ? u"Hz" : u"";
    case 30: return u"Hz";
    default: return u"";
    }
}

const char16_t* ModeName23S(uint8_t mode)
{
    switch (mode) {
    case 1: case 4: case 6: return u"DC";
    case 2: return u"AC";
    case 3: case 5: case 7: return u"AC+DC";
    default: return u"";
    }
}

// Sign, then the digits with the point placed before the digit at `point`.
CString Compose(bool negative, const CString& digits, size_t point)
{
    CString text(1, negative ? u'-' : u'+');
    for (size_t i = 0; i < digits.size(); ++i) {
        if (point != 0 && text.size() == point)
            text += u'.';
        text += digits[i];
    }
    return text;
}

} // namespace

void CMetraHit::SetDisplay(std::u16string_view text)
{
    m_displayText = CString(text.substr(0, kDisplayLength));
}

void CMetraHit::Request(const CommandBytes& request, std::span<uint8_t> answer)
{
    request.SendBatched(*m_stream);
    std::fill(answer.begin(), answer.end(), uint8_t{0});
    m_stream->Read(answer.data(), static_cast<uint32_t>(answer.size()));
}

bool CMetraHit::ReadMeter(int model)
{
    switch (model) {
    case kMetraHit23S: return Read23S();
    case kMetraHitOne13S: return ReadOne13S();
    case kMetraHit18S: return Read18S();
    case kMetraHitTeach: return ReadTeach();
    default: return false;
    }
}

bool CMetraHit::Read23S()
{
    uint8_t answer[kAnswer23S];
    Request(CommandBytes(kRequest23S), answer);
    return Decode23S(answer);
}

bool CMetraHit::ReadOne13S()
{
    uint8_t answer[kAnswerQ];
    Request(CommandBytes(kRequestQ), answer);
    return DecodeOne13S(answer);
}

bool CMetraHit::Read18S()
{
    uint8_t answer[kAnswerQ];
    Request(CommandBytes(kRequestQ), answer);
    return Decode18S(answer);
}

bool CMetraHit::ReadTeach()
{
    uint8_t answer[kAnswerTeach];
    Request(CommandBytes(kRequestTeach).Byte(kTeachArgument), answer);
    return DecodeTeach(answer);
}

// ---------------------------------------------------------------- five-digit models

bool CMetraHit::Decode18S(std::span<const uint8_t> answer)
{
    if (answer.size() < kAnswerQ)
        return false;
    m_meterPresent = answer[0] < 255 ? 1 : 0;
    if (answer[0] != 13)
        return false;
    return DecodeFiveDigit(answer, 7);
}

bool CMetraHit::DecodeOne13S(std::span<const uint8_t> answer)
{
    if (answer.size() < kAnswerQ)
        return false;
    m_meterPresent = answer[0] < 255 ? 1 : 0;
    if (answer[0] != 8 && answer[0] != 9)
        return false;
    return DecodeFiveDigit(answer, 3);
}

bool CMetraHit::DecodeFiveDigit(std::span<const uint8_t> b, uint8_t rangeMask)
{
    m_mode = b[1] & 15;
    m_status = static_cast<uint8_t>((b[3] & 7) * 16 + (b[2] & 7));
    m_range = b[4] & rangeMask;
    const bool negative = (b[4] & 8) != 0;
    m_modeName = FiveDigitModeName(m_mode);
    m_displayCode = kFiveDigitDisplayCode[m_mode];
    m_overload = 0;
    if (b[1] == '0') {
        // The meter shows no value in this function.
        SetDisplay(kNoReading);
        m_unitText.clear();
        m_reading = 0;
        return true;
    }
    CString digits;
    int64_t reading = 0;
    bool number = true;
    for (size_t i = 5; i < 10; ++i) {
        const uint8_t c = b[i];
        char16_t shown = u'?';
        if (c >= '0' && c <= '9')
            shown = c;
        else if (c == ':') {
            shown = u'L';
            m_overload = 1;
        } else if (c == ';')
            shown = u' ';
        else if (c == '<')
            shown = u'-';
        digits += shown;
        if (c >= '0' && c <= '9')
            reading = reading * 10 + (c - '0');
        else
            number = false;
    }
    SetDisplay(Compose(negative, digits, FiveDigitPoint(m_mode, m_range)));
    m_reading = number ? static_cast<int32_t>(negative ? -reading : reading) : kNotANumber;
    m_unitText = FiveDigitUnit(m_mode, m_range);
    return true;
}

// ---------------------------------------------------------------- 23S

bool CMetraHit::Decode23S(std::span<const uint8_t> b)
{
    if (b.size() < kAnswer23S)
        return false;
    m_meterPresent = b[0] != 0 ? 1 : 0;
    if (b[0] == 0)
        return false;
    m_status = b[0];
    m_mode = b[1] & 63;
    m_range = b[2] & 7;
    m_overload = (m_status & 0x20) != 0 ? 1 : 0;
    // Sign: bit 0x800 of the word b2 b3 (bit 3 of the range byte), the only word bit clear of range and digits.
    const bool negative = (BigEndian16(&b[2]) & 0x800) != 0;
    CString digits;
    int64_t reading = 0;
    bool number = true;
    for (size_t i = 3; i < 9; ++i) {
        const int digit = b[i] & 15;
        digits += digit <= 9 ? static_cast<char16_t>(u'0' + digit) : u'?';
        if (digit <= 9)
            reading = reading * 10 + digit;
        else
            number = false;
    }
    SetDisplay(Compose(negative, digits, Point23S(m_mode, m_range)));
    m_reading = number ? static_cast<int32_t>(negative ? -reading : reading) : kNotANumber;
    m_unitText = Unit23S(m_mode, m_range);
    m_modeName = ModeName23S(m_mode);
    m_displayCode = 0;
    return true;
}

// ---------------------------------------------------------------- TEACH

bool CMetraHit::DecodeTeach(std::span<const uint8_t> b)
{
    if (b.size() < 3)
        return false;
    m_meterPresent = 1;
    if (b[0] < '0' || b[0] > '8' || b[1] != '\r' || b[2] != '\n')
        return false;
    m_status = static_cast<uint8_t>(b[0] - '0');
    std::string line;
    for (size_t i = 3; i < b.size() && b[i] != '\r' && b[i] != 0; ++i)
        line += static_cast<char>(b[i]);
    if (m_status == 2 || m_status == 6) {
        SetDisplay(kNoReading);
        m_overload = 0;
        m_reading = 0;
        return true;
    }
    const size_t comma = line.find(',');
    if (comma == std::string::npos)
        return false;
    const std::string function = line.substr(0, comma);
    std::string value = line.substr(comma + 1);

    // The unit takes the engineering prefix of the value where it has "%c".
    const char16_t* unit = u"";
    bool prefixed = true;
    if (function == "VAC" || function == "VDC" || function == "DIO")
        unit = u"V";
    else if (function == "FREQ_VAC")
        unit = u"Hz";
    else if (function == "RES" || function == "BUZ")
        unit = u"Ohm";
    else if (function == "IAC" || function == "IDC")
        unit = u"A";
    else {
        prefixed = false;
        unit = function == "TEMP_C" ? u"\u00B0C" : function == "TEMP_F" ? u"\u00B0F" : u"";
    }
    m_modeName = (function == "VAC" || function == "IAC" || function == "FREQ_VAC") ? u"AC"
                 : (function == "VDC" || function == "IDC")                         ? u"DC"
                                                                                     : u"";
    m_displayCode = 0;

    if (value == "1E+38" || value == "-1E+38") {
        SetDisplay(value[0] == '-' ? u" -0L  " : u"  0L  ");
        m_overload = 1;
        m_reading = kNotANumber;
        m_unitText = unit;
        return true;
    }
    m_overload = 0;
    const size_t first = value.find_first_not_of(' ');
    value.erase(0, first == std::string::npos ? value.size() : first);
    value.erase(value.find_last_not_of(' ') + 1);
    if (!value.empty() && value[0] == '+')
        value.erase(0, 1);
    double v = 0;
    const auto parsed = std::from_chars(value.data(), value.data() + value.size(), v);
    if (parsed.ec != std::errc() || !std::isfinite(v))
        return false;
    const int exponent = prefixed ? EngineeringExponent(v) : 0;
    const double scaled = ScaleToExponent(v, exponent);
    char text[64];
    std::snprintf(text, sizeof text, std::fabs(scaled) < 100 ? "% 7.3lf" : "% 7.2lf", scaled);
    SetDisplay(Utf8ToString(text));
    const double digits = std::round(scaled * (std::fabs(scaled) < 100 ? 1000 : 100));
    m_reading = std::fabs(digits) < 2e9 ? static_cast<int32_t>(digits) : kNotANumber;
    m_unitText.clear();
    if (const char16_t prefix = EngineeringPrefix(exponent))
        m_unitText += prefix;
    m_unitText += unit;
    return true;
}

void CMetraHit::Serialize(CArchive& ar)
{
    SerializeVersionOnly(ar);
}
