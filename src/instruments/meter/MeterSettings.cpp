#include "instruments/meter/MeterSettings.h"

#include <cmath>

namespace {

void CheckRange(int64_t range)
{
    RequireSchema(range >= 0 && range <= 8);
}

void CheckMode(int64_t mode)
{
    RequireSchema(mode == 0 || mode == 1);
}

void CheckQuantity(int64_t quantity)
{
    RequireSchema(quantity >= 0 && quantity <= 4);
}

void CheckShunt(double ohms)
{
    RequireSchema(std::isfinite(ohms) && ohms > 0);
}

void CheckFlag(uint8_t flag)
{
    RequireSchema(flag <= 1);
}

uint32_t U32(int32_t v)
{
    return static_cast<uint32_t>(v);
}

int32_t ReadI32(CArchive& ar)
{
    int32_t v = 0;
    ar >> v;
    return v;
}

}  // namespace

void SerializeSettings(CArchive& ar, SingleMeterSettings& s)
{
    constexpr uint32_t kVersion = 1;
    if (ar.IsStoring()) {
        ar << kVersion << s.range << s.mode << U32(s.quantity) << s.shunt;
        return;
    }
    ReadSchemaVersion(ar, kVersion);
    SingleMeterSettings in;
    ar >> in.range >> in.mode;
    in.quantity = ReadI32(ar);
    ar >> in.shunt;
    CheckRange(in.range);
    CheckMode(in.mode);
    CheckQuantity(in.quantity);
    CheckShunt(in.shunt);
    s = in;
}

void SerializeSettings(CArchive& ar, DualMeterSettings& s)
{
    constexpr uint32_t kVersion = 1;
    if (ar.IsStoring()) {
        ar << kVersion;
        for (const DualHalfSettings& h : s.half)
            ar << h.range << h.mode << U32(h.quantity);
        ar << s.rateFlag;
        return;
    }
    ReadSchemaVersion(ar, kVersion);
    DualMeterSettings in;
    for (DualHalfSettings& h : in.half) {
        ar >> h.range >> h.mode;
        h.quantity = ReadI32(ar);
        CheckRange(h.range);
        CheckMode(h.mode);
        CheckQuantity(h.quantity);
    }
    ar >> in.rateFlag;
    CheckFlag(in.rateFlag);
    s = in;
}

void SerializeSettings(CArchive& ar, AnalogMeterSettings& s)
{
    constexpr uint32_t kVersion = 2;
    if (ar.IsStoring()) {
        ar << kVersion << s.channelA << U32(s.range) << U32(s.mode) << U32(s.scaleSelection) << s.numberView;
        return;
    }
    const uint32_t version = ReadSchemaVersion(ar, kVersion);
    AnalogMeterSettings in = s;
    ar >> in.channelA;
    in.range = ReadI32(ar);
    in.mode = ReadI32(ar);
    if (version >= 2) {
        in.scaleSelection = ReadI32(ar);
        ar >> in.numberView;
    }
    CheckFlag(in.channelA);
    CheckRange(in.range);
    CheckMode(in.mode);
    RequireSchema(in.scaleSelection >= 201 && in.scaleSelection <= 205);
    CheckFlag(in.numberView);
    s = in;
}

void SerializeSettings(CArchive& ar, PowerMeterSettings& s)
{
    constexpr uint32_t kVersion = 2;
    if (ar.IsStoring()) {
        ar << kVersion << s.rangeA << s.rangeB << s.shuntB;
        return;
    }
    const uint32_t version = ReadSchemaVersion(ar, kVersion);
    PowerMeterSettings in = s;
    ar >> in.rangeA >> in.rangeB;
    if (version >= 2)
        ar >> in.shuntB;
    CheckRange(in.rangeA);
    CheckRange(in.rangeB);
    CheckShunt(in.shuntB);
    s = in;
}

void SerializeSettings(CArchive& ar, TemperatureSettings& s)
{
    constexpr uint32_t kVersion = 2;
    if (ar.IsStoring()) {
        ar << kVersion << U32(s.unitChoice) << s.offset << U32(s.sensorChoice);
        return;
    }
    const uint32_t version = ReadSchemaVersion(ar, kVersion);
    TemperatureSettings in = s;
    in.unitChoice = ReadI32(ar);
    ar >> in.offset;
    if (version >= 2)
        in.sensorChoice = ReadI32(ar);
    RequireSchema(in.unitChoice == 201 || in.unitChoice == 202);
    RequireSchema(std::isfinite(in.offset) && in.offset >= -100 && in.offset <= 100);
    RequireSchema(in.sensorChoice == 204 || in.sensorChoice == 205);
    s = in;
}
