#include "units/VexaMeter.h"

#include <cmath>
#include <vector>

IMPLEMENT_DYNAMIC(CVexaMeter, CMeasureBase)

namespace {

constexpr uint8_t kCmdChannelsAB = 0x60;
constexpr uint8_t kCmdAcquisition = 0x61;  // "a"
constexpr uint8_t kCmdStart = 0x62;        // "b"
constexpr uint8_t kCmdStop = 0x63;         // "c"
constexpr uint8_t kCmdReadAB8 = 0x64;      // "d"
constexpr uint8_t kCmdStatus = 0x65;       // "e"
constexpr uint8_t kCmdReadAB16 = 0x66;     // "f"
constexpr uint8_t kCmdGFlag = 0x67;        // "g"
constexpr uint8_t kCmdChannelsCD = 0x69;   // "i"
constexpr uint8_t kCmdReadCD = 0x6B;       // "k"

struct SharedMeter {
    MeterRecord records[2]{};
    double shunts[2] = {10.0, 10.0};
};

SharedMeter& Shared()
{
    static SharedMeter shared;
    return shared;
}

} // namespace

CVexaMeter::CVexaMeter(CStreamIO* stream, CVexaface* owner) : CMeasureBase(stream, owner)
{
    m_changes.MarkChanged(kAllSettings);
}

double CVexaMeter::Shunt(int channel)
{
    return Shared().shunts[channel == 1 ? 1 : 0];
}

void CVexaMeter::SetShunt(int channel, double ohms)
{
    Shared().shunts[channel == 1 ? 1 : 0] = ohms;
}

const MeterRecord& CVexaMeter::RecordOf(int channel)
{
    return Shared().records[channel == 1 ? 1 : 0];
}

double CVexaMeter::Record(int channel, int quantity)
{
    if ((channel != 0 && channel != 1) || quantity < 0 || quantity >= static_cast<int>(MeterRecord().size()))
        return 0;
    return Shared().records[channel][static_cast<size_t>(quantity)];
}

// ---------------------------------------------------------------- commands

UnitCommand CVexaMeter::ChannelCommandAB()
{
    CommandBytes bytes(kCmdChannelsAB);
    bytes.Word(ChannelWord());
    return {bytes, UnitCommand::Acknowledge};
}

UnitCommand CVexaMeter::AcquisitionCommand()
{
    CommandBytes bytes(kCmdAcquisition);
    bytes.Word(m_interval).Word(ChannelWord()).Word(m_sampleCount);
    return {bytes, UnitCommand::Acknowledge};
}

void CVexaMeter::SendChannelsAB()
{
    m_changes.Lock();
    const UnitCommand command = ChannelCommandAB();
    m_changes.Unlock(0);
    command.Send(*m_stream);
}

void CVexaMeter::SetChannel(int channel, int32_t range, int32_t mode)
{
    if (channel == 0 || channel == 1) {
        m_changes.Lock();
        m_channels[channel] = {ClampMode(mode), ClampRange(range)};
        m_changes.Unlock(0);
        SendChannelsAB();
        return;
    }
    if (channel != 2 && channel != 3)
        return;
    m_changes.Lock();
    m_channels[channel] = {ClampMode(mode), ClampRange(range)};
    // Not the channel word's form: here any coupling but DC sets the high bit.
    auto byteOf = [&](int c) {
        return static_cast<uint8_t>(m_channels[c].range | (m_channels[c].mode != kCouplingDC ? 0x80 : 0));
    };
    CommandBytes bytes(kCmdChannelsCD);
    bytes.Byte(byteOf(3)).Byte(byteOf(2));
    m_changes.Unlock(0);
    UnitCommand{bytes, UnitCommand::Acknowledge}.Send(*m_stream);
}

uint8_t CVexaMeter::QueryStatus()
{
    m_status = m_stream->QueryByte(kCmdStatus);
    return m_status;
}

void CVexaMeter::StartMeasuring(bool running)
{
    m_running = running ? 1 : 0;
    m_stream->WriteByte(kCmdStart);
    m_stream->CheckAck();
}

void CVexaMeter::Open()
{
    Flush();
    const uint8_t status = QueryStatus();
    if (status == kStatusBlockReady)
        ReadAB();
    else if (status == kStatusIdle)
        StartMeasuring(true);
}

void CVexaMeter::AddUser()
{
    m_changes.Lock();
    const bool first = ++m_users == 1;
    m_changes.Unlock(first ? kStartBit : 0);
}

void CVexaMeter::RemoveUser()
{
    m_changes.Lock();
    if (m_users > 0)
        --m_users;
    m_changes.Unlock(m_users == 0 ? kStopBit : 0);
}

bool CVexaMeter::Flush()
{
    std::vector<UnitCommand> commands;
    m_changes.Lock();
    const uint32_t bits = m_changes.TakeChanged();
    if (bits & kChannelBit)
        commands.push_back(ChannelCommandAB());
    if (bits & kAcquisitionBit)
        commands.push_back(AcquisitionCommand());
    // Older firmware does not know "g" and would take the flag for a command.
    if ((bits & kGFlagBit) && FirmwareVersion() >= kFirstFirmwareWithG) {
        CommandBytes bytes(kCmdGFlag);
        bytes.Byte(m_gFlag ? 1 : 0);
        commands.push_back({bytes, UnitCommand::NoAnswer});
    }
    m_changes.Unlock(0);
    if (bits == 0)
        return false;

    SendCommands(*m_stream, commands);
    if (bits & kStartBit) {
        m_running = 1;
        m_stream->WriteByte(kCmdStart);
        m_stream->CheckAck();
    }
    if (bits & kStopBit) {
        m_running = 0;
        m_stream->WriteByte(kCmdStop);
    }
    return true;
}

// ---------------------------------------------------------------- blocks

void CVexaMeter::ReadAB()
{
    const bool wide = VariantLevel() >= 2;
    ReadBlock(wide ? kCmdReadAB16 : kCmdReadAB8, wide, 0, 1, Shared().records[0], Shared().records[1]);
}

void CVexaMeter::ReadCD(MeterRecord& c, MeterRecord& d)
{
    if (VariantLevel() < 3)
        return;
    ReadBlock(kCmdReadCD, true, 2, 3, c, d);
}

std::array<MeterRawBlock, 2> CVexaMeter::ReadRawBlock(uint8_t command, bool wide)
{
    // Instantaneous values, four pairs of 32-bit sums, then minimum and
    // maximum of X and of Y; the small values are 16 or 8 bits wide.
    m_stream->WriteByte(command);
    const size_t small = wide ? 2 : 1;
    constexpr size_t kSums = 6;
    std::vector<uint8_t> reply(small * 6 + 4 * kSums, 0);
    m_stream->Read(reply.data(), static_cast<uint32_t>(reply.size()));
    auto smallAt = [&](size_t index) -> int32_t {
        const uint8_t* at =
            index < 2 ? reply.data() + index * small : reply.data() + 2 * small + 4 * kSums + (index - 2) * small;
        return wide ? BigEndian16(at) : static_cast<int8_t>(*at);
    };
    auto sumAt = [&](size_t index) { return static_cast<double>(BigEndian32(reply.data() + 2 * small + index * 4)); };

    std::array<MeterRawBlock, 2> blocks;
    for (size_t k = 0; k < 2; ++k)
        blocks[k] = {smallAt(k), sumAt(k), sumAt(2 + k), sumAt(4 + k), smallAt(2 + 2 * k), smallAt(3 + 2 * k)};
    return blocks;
}

bool CVexaMeter::ConvertBlock(const MeterRawBlock& raw, bool wide, uint16_t sampleCount,
                              const std::function<double(double)>& convert, MeterRecord& r)
{
    const double n = sampleCount > 0 ? sampleCount : 1;
    r[kMeterInstant] = convert(raw.instant);
    r[kMeterAverage] = convert(raw.sum / n);
    r[kMeterAbsAverage] = convert(raw.absSum / n);
    r[kMeterRms] = convert(std::sqrt(std::fabs(raw.squares) / n));
    r[kMeterPeak] = convert(raw.maximum);
    r[kMeterPeakToPeak] = std::fabs(convert(raw.maximum) - convert(raw.minimum));
    return wide ? (raw.maximum >= 511 || raw.minimum <= -511) : (raw.maximum >= 127 || raw.minimum <= -128);
}

void CVexaMeter::ReadBlock(uint8_t command, bool wide, int x, int y, MeterRecord& recordX, MeterRecord& recordY)
{
    const std::array<MeterRawBlock, 2> blocks = ReadRawBlock(command, wide);
    const int channels[2] = {x, y};
    MeterRecord* records[2] = {&recordX, &recordY};
    for (size_t k = 0; k < 2; ++k) {
        const int c = channels[k];
        const bool overflow =
            ConvertBlock(blocks[k], wide, m_sampleCount, [&](double raw) { return Convert(c, raw); }, *records[k]);
        m_overflow[static_cast<size_t>(c)] = overflow ? 1 : 0;
    }
}

// ---------------------------------------------------------------- settings

std::unique_ptr<CUnitSettings> CVexaMeter::SaveSettings()
{
    auto s = std::make_unique<CMeterSettings>();
    m_changes.Lock();
    s->gFlag = m_gFlag;
    s->interval = m_interval;
    s->sampleCount = m_sampleCount;
    s->shuntA = Shunt(0);
    s->shuntB = Shunt(1);
    s->modeA = m_channels[0].mode;
    s->rangeA = m_channels[0].range;
    s->modeB = m_channels[1].mode;
    s->rangeB = m_channels[1].range;
    m_changes.Unlock(0);
    return s;
}

void CVexaMeter::RestoreSettings(std::unique_ptr<CUnitSettings> settings)
{
    const auto* s = dynamic_cast<const CMeterSettings*>(settings.get());
    if (s == nullptr)
        return;
    m_changes.Lock();
    m_gFlag = s->gFlag;
    m_interval = s->interval;
    m_sampleCount = s->sampleCount;
    SetShunt(0, s->shuntA);
    SetShunt(1, s->shuntB);
    m_channels[0] = {ClampMode(s->modeA), ClampRange(s->rangeA)};
    m_channels[1] = {ClampMode(s->modeB), ClampRange(s->rangeB)};
    m_changes.Unlock(kAllSettings);
}

void CVexaMeter::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        m_changes.Lock();
        ar << kSettingsVersion << m_channels[0].mode << m_channels[0].range << m_channels[1].mode
           << m_channels[1].range << Shunt(0) << Shunt(1);
        m_changes.Unlock(0);
        return;
    }
    uint32_t version;
    int32_t modeA, rangeA, modeB, rangeB;
    ar >> version >> modeA >> rangeA >> modeB >> rangeB;
    double shuntA = Shunt(0), shuntB = Shunt(1);
    if (version > 1)
        ar >> shuntA >> shuntB;
    m_changes.Lock();
    m_channels[0] = {ClampMode(modeA), ClampRange(rangeA)};
    m_channels[1] = {ClampMode(modeB), ClampRange(rangeB)};
    SetShunt(0, shuntA);
    SetShunt(1, shuntB);
    m_changes.Unlock(kAllSettings);
}
