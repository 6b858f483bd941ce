#include "units/Scope.h"

#include <algorithm>
#include <iterator>
#include <vector>

IMPLEMENT_DYNAMIC(CScope, CMeasureBase)

namespace {

// Commands of the scope unit.
constexpr uint8_t kCmdTrigger = 0xD0;
constexpr uint8_t kCmdTriggerLevel = 0xD1;
constexpr uint8_t kCmdArm = 0xD2;
constexpr uint8_t kCmdStop = 0xD3;
constexpr uint8_t kCmdReadRecord8 = 0xD4;
constexpr uint8_t kCmdState = 0xD5;
constexpr uint8_t kCmdTimeBase8 = 0xD8;
constexpr uint8_t kCmdChannels = 0xD9;
constexpr uint8_t kCmdRolling8 = 0xDA;
constexpr uint8_t kCmdTimeBase16 = 0xDB;
constexpr uint8_t kCmdReadRecord16 = 0xDC;
constexpr uint8_t kCmdRolling16 = 0xDD;
constexpr uint8_t kCmdFullSetup = 0xDE;

// Fast rows sample at the divider's clock; slow rows take A in 100 µs units
// and 50 samples per division. Each table ends with an all-zero row.
constexpr TimeBaseRow kLevel1[] = {
    {1e-6, 0, 320, 0},     {2e-6, 0, 640, 0},     {5e-6, 1, 800, 0},    {10e-6, 3, 800, 0},
    {20e-6, 7, 800, 0},    {50e-6, 19, 800, 0},   {100e-6, 39, 800, 0}, {200e-6, 79, 800, 0},
    {500e-6, 199, 800, 0}, {1e-3, 399, 800, 0},   {2e-3, 799, 800, 0},  {5e-3, 1999, 800, 0},
    {10e-3, 3999, 800, 0}, {20e-3, 7999, 800, 0}, {50e-3, 10, 500, 1},  {0.1, 20, 500, 1},
    {0.2, 40, 500, 1},     {0.5, 100, 500, 1},    {1, 200, 500, 1},     {2, 400, 500, 1},
    {5, 1000, 500, 1},     {10, 2000, 500, 1},    {0, 0, 0, 0},
};
constexpr TimeBaseRow kLevel2[] = {
    {1e-6, 2, 401, 0},       {2e-6, 2, 801, 0},       {5e-6, 5, 801, 0},     {10e-6, 10, 801, 0},
    {20e-6, 20, 801, 0},     {50e-6, 50, 801, 0},     {100e-6, 100, 801, 0}, {200e-6, 200, 801, 0},
    {500e-6, 500, 801, 0},   {1e-3, 1000, 801, 0},    {2e-3, 2000, 801, 0},  {5e-3, 5000, 801, 0},
    {10e-3, 10000, 801, 0},  {20e-3, 20000, 801, 0},  {50e-3, 10, 501, 1},   {0.1, 20, 501, 1},
    {0.2, 40, 501, 1},       {0.5, 100, 501, 1},      {1, 200, 501, 1},      {2, 400, 501, 1},
    {5, 1000, 501, 1},       {10, 2000, 501, 1},      {0, 0, 0, 0},
};
constexpr TimeBaseRow kLevel3[] = {
    {0.1e-6, 2, 101, 0},     {0.2e-6, 2, 201, 0},     {0.5e-6, 2, 501, 0},    {1e-6, 2, 1001, 0},
    {2e-6, 4, 1001, 0},      {5e-6, 10, 1001, 0},     {10e-6, 20, 1001, 0},   {20e-6, 40, 1001, 0},
    {50e-6, 100, 1001, 0},   {100e-6, 200, 1001, 0},  {200e-6, 400, 1001, 0}, {500e-6, 1000, 1001, 0},
    {1e-3, 2000, 1001, 0},   {2e-3, 4000, 1001, 0},   {5e-3, 10000, 1001, 0}, {10e-3, 20000, 1001, 0},
    {20e-3, 40000, 1001, 0}, {50e-3, 10, 501, 1},     {0.1, 20, 501, 1},      {0.2, 40, 501, 1},
    {0.5, 100, 501, 1},      {1, 200, 501, 1},        {2, 400, 501, 1},       {5, 1000, 501, 1},
    {10, 2000, 501, 1},      {0, 0, 0, 0},
};

struct SharedScope {
    int32_t timeBase = 0;
    int32_t lastTimeBase = 0;
    CScopeBuffer buffers[2];
    double rangeFactor[2] = {1.25, 1.25};  // of the start range, 10 V/div
};

SharedScope& Shared()
{
    static SharedScope shared;
    return shared;
}

} // namespace

std::span<const TimeBaseRow> CScope::TimeBaseTable(int variantLevel)
{
    // The terminating row is not a time base.
    switch (variantLevel) {
    case 1: return {kLevel1, std::size(kLevel1) - 1};
    case 2: return {kLevel2, std::size(kLevel2) - 1};
    default: return {kLevel3, std::size(kLevel3) - 1};
    }
}

int32_t CScope::TimeBaseIndex()
{
    return Shared().timeBase;
}

int32_t CScope::LastTimeBaseIndex()
{
    return Shared().lastTimeBase;
}

CScopeBuffer& CScope::ScreenBuffer(int channel)
{
    return Shared().buffers[channel == 1 ? 1 : 0];
}

double CScope::ClassRangeFactor(int channel)
{
    return Shared().rangeFactor[channel == 1 ? 1 : 0];
}

CScope::CScope(CStreamIO* stream, CVexaface* owner) : CMeasureBase(stream, owner)
{
    const int level = VariantLevel();
    m_clock = level == 1 ? 3.2e7 : level == 2 ? 8e7 : 2e8;
    ApplyTimeBaseRow(Shared().timeBase);
    m_changes.MarkChanged(kAllBits);
}

const TimeBaseRow& CScope::CurrentTimeBase() const
{
    const auto table = TimeBases();
    return table[static_cast<size_t>(std::clamp<int32_t>(Shared().timeBase, 0, int32_t(table.size()) - 1))];
}

void CScope::ApplyTimeBaseRow(int32_t index)
{
    const auto table = TimeBases();
    index = std::clamp<int32_t>(index, 0, static_cast<int32_t>(table.size()) - 1);
    Shared().timeBase = index;
    const TimeBaseRow& row = table[static_cast<size_t>(index)];
    m_slowMode = row.slow;
    m_divider = row.divider;
    m_recordLength = row.length;
}

// ---------------------------------------------------------------- settings

bool CScope::SetTimeBase(int32_t index)
{
    if (index < 0 || index >= static_cast<int32_t>(TimeBases().size()))
        return false;
    m_changes.Lock();
    ApplyTimeBaseRow(index);
    m_changes.Unlock(kTimeBaseBit);
    return true;
}

void CScope::SetTimeBaseRaw(uint16_t divider, uint16_t slow, uint16_t length)
{
    m_changes.Lock();
    m_divider = divider;
    m_slowMode = slow;
    m_recordLength = static_cast<uint16_t>(std::min<int32_t>(length, kBufferSize));
    m_changes.Unlock(kTimeBaseBit);
}

void CScope::SetTriggerSource(int32_t source)
{
    m_changes.Set(m_triggerSource, std::clamp(source, 0, kInputChannels), kTriggerBit);
}

void CScope::SetTriggerSlope(int32_t slope)
{
    m_changes.Set(m_triggerSlope, slope, kTriggerBit);
}

void CScope::SetTriggerPosition(int32_t percent)
{
    m_changes.Set(m_triggerPosition, std::clamp(percent, 0, 100), kTriggerBit);
}

void CScope::SetTriggerLevel(int32_t percent)
{
    m_changes.Set(m_triggerLevel, std::clamp(percent, -100, 100), kTriggerLevelBit);
}

bool CScope::TriggerPositionUp()
{
    return m_changes.StepUpInt(m_triggerPosition, 1, 100, kTriggerBit);
}

bool CScope::TriggerPositionDown()
{
    return m_changes.StepDownInt(m_triggerPosition, 1, 0, kTriggerBit);
}

bool CScope::TriggerLevelUp()
{
    return m_changes.StepUpInt(m_triggerLevel, 1, 100, kTriggerLevelBit);
}

bool CScope::TriggerLevelDown()
{
    return m_changes.StepDownInt(m_triggerLevel, 1, -100, kTriggerLevelBit);
}

uint16_t CScope::ChannelWord()
{
    Shared().rangeFactor[0] = RangeFactor(0);
    Shared().rangeFactor[1] = RangeFactor(1);
    return CMeasureBase::ChannelWord();
}

// ---------------------------------------------------------------- encoding

uint8_t CScope::TriggerLevelByte(int32_t level)
{
    // Rounded half away from zero, as the platform's MulDiv does.
    const int32_t scaled = std::clamp(level, -100, 100) * 127;
    const int32_t rounded = scaled >= 0 ? (scaled + 50) / 100 : -((-scaled + 50) / 100);
    return static_cast<uint8_t>(static_cast<int8_t>(std::clamp(rounded, -128, 127)));
}

uint8_t CScope::TriggerModeByte() const
{
    if (m_triggerSource == 0)
        return 0;
    return static_cast<uint8_t>((m_triggerSlope == 1 ? 10 : 2) + (m_triggerSource == 1 ? 4 : 0));
}

uint16_t CScope::TriggerDelay() const
{
    return static_cast<uint16_t>(uint32_t{m_recordLength} * static_cast<uint32_t>(std::clamp(m_triggerPosition, 0, 100)) /
                                 100);
}

int16_t CScope::ScreenSample(int variantLevel, int32_t raw)
{
    if (variantLevel == 1)
        return static_cast<int16_t>(std::clamp(raw, -128, 127) * 256);
    // Ten bits; a value beyond them is garbage and kept at the ends.
    return static_cast<int16_t>(std::clamp(raw, -512, 511) * 64);
}

double CScope::SamplePeriod(uint16_t divider) const
{
    switch (VariantLevel()) {
    case 1: return (divider + 1) * 3.125e-8;
    case 2: return std::max<uint16_t>(divider, 1) * 1.25e-8;
    default: return divider * 5e-9;
    }
}

UnitCommand CScope::TimeBaseCommand() const
{
    CommandBytes bytes(VariantLevel() == 1 ? kCmdTimeBase8 : kCmdTimeBase16);
    bytes.Byte(static_cast<uint8_t>(m_slowMode)).Word(m_divider).Word(m_recordLength);
    return {bytes, UnitCommand::Acknowledge};
}

UnitCommand CScope::TriggerCommand() const
{
    CommandBytes bytes(kCmdTrigger);
    bytes.Word(TriggerDelay()).Byte(TriggerModeByte());
    return {bytes, UnitCommand::Acknowledge};
}

UnitCommand CScope::TriggerLevelCommand() const
{
    CommandBytes bytes(kCmdTriggerLevel);
    bytes.Byte(TriggerLevelByte(m_triggerLevel));
    return {bytes, UnitCommand::NoAnswer};
}

UnitCommand CScope::ChannelCommand()
{
    CommandBytes bytes(kCmdChannels);
    bytes.Word(ChannelWord());
    return {bytes, UnitCommand::Acknowledge};
}

// ---------------------------------------------------------------- commands

bool CScope::Flush()
{
    std::vector<UnitCommand> commands;
    m_changes.Lock();
    const uint32_t bits = m_changes.TakeChanged();
    const uint16_t length = m_recordLength;
    if (bits & kTimeBaseBit) {
        Shared().lastTimeBase = Shared().timeBase;
        commands.push_back(TimeBaseCommand());
        commands.push_back(TriggerCommand());
    }
    if (bits & kChannelBit)
        commands.push_back(ChannelCommand());
    if (bits & kTriggerBit)
        commands.push_back(TriggerCommand());
    if (bits & kTriggerLevelBit)
        commands.push_back(TriggerLevelCommand());
    m_changes.Unlock(0);
    if (bits == 0)
        return false;

    const size_t timeBaseCommands = (bits & kTimeBaseBit) ? 2 : 0;
    for (size_t i = 0; i < commands.size(); ++i) {
        commands[i].Send(*m_stream);
        if (i + 1 == timeBaseCommands)
            for (CScopeBuffer& buffer : Shared().buffers)
                buffer.Reset(length);
    }
    return true;
}

uint8_t CScope::State()
{
    return m_stream->QueryByte(kCmdState);
}

void CScope::Arm()
{
    m_stream->WriteByte(kCmdArm);
    m_stream->CheckAck();
}

void CScope::StopAcquisition()
{
    m_stream->WriteByte(kCmdStop);
}

void CScope::FullSetup()
{
    m_changes.Lock();
    Shared().lastTimeBase = Shared().timeBase;
    CommandBytes bytes(kCmdFullSetup);
    bytes.Byte(static_cast<uint8_t>(m_channelMask)).Byte(static_cast<uint8_t>(m_slowMode));
    bytes.Word(m_recordLength).Word(m_divider);
    for (int channel = 0; channel < kInputChannels; ++channel)
        bytes.Byte(ChannelByte(channel));
    const bool triggered = m_triggerSource != 0;
    bytes.Byte(static_cast<uint8_t>(triggered ? m_triggerSource - 1 : 0));
    bytes.Byte(static_cast<uint8_t>(triggered ? m_triggerSlope + 1 : 0));
    bytes.Byte(static_cast<uint8_t>(static_cast<int8_t>(m_triggerLevel * 127 / 100)));
    bytes.Word(TriggerDelay());
    m_changes.Unlock(0);
    UnitCommand{bytes, UnitCommand::Acknowledge}.Send(*m_stream);
}

int32_t CScope::ReadRecord(int channel, int32_t count, CScopeBuffer& buffer)
{
    if (!IsChannel(channel))
        return 0;
    count = std::clamp(count, 0, kBufferSize);
    const int level = VariantLevel();
    const auto channelBit = static_cast<uint8_t>(1 << channel);
    buffer.SetLastIndex(-1);

    CommandBytes command(level == 1 ? kCmdReadRecord8 : kCmdReadRecord16);
    if (level == 1)
        command.Word(static_cast<uint16_t>(kBufferSize - count)).Word(static_cast<uint16_t>(count)).Word(1);
    else
        command.Word(static_cast<uint16_t>(count));
    command.Byte(channelBit).SendBatched(*m_stream);

    const size_t width = level == 1 ? 1 : 2;
    std::vector<uint8_t> raw(static_cast<size_t>(count) * width, 0);
    if (!raw.empty())
        m_stream->Read(raw.data(), static_cast<uint32_t>(raw.size()));
    const bool grounded = Mode(channel) == kCouplingGround;
    std::span<int16_t> back = buffer.Back();
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t* at = raw.data() + static_cast<size_t>(i) * width;
        const int32_t value = width == 1 ? static_cast<int8_t>(*at) : BigEndian16(at);
        back[static_cast<size_t>(i)] = grounded ? 0 : ScreenSample(level, value);
    }
    buffer.SetCount(count);
    buffer.SetExpectedCount(count);
    buffer.SetFillPosition(0);
    buffer.SetRangeFactor(RangeFactor(channel));
    buffer.Swap();
    // A box that sent more than was asked for leaves nothing behind for the next command.
    m_stream->DrainInput();
    return count;
}

bool CScope::ReadRolling(std::array<CScopeBuffer*, kInputChannels> buffers)
{
    const int level = VariantLevel();
    m_stream->WriteByte(level == 1 ? kCmdRolling8 : kCmdRolling16);
    const uint16_t groups = m_stream->ReadWord();
    if (groups == 0)
        return false;

    // Level 1 always sends A and B as bytes; the others one word for each enabled channel.
    std::vector<int> channels;
    for (int channel = 0; channel < kInputChannels; ++channel)
        if (level == 1 ? channel < 2 : (m_channelMask >> channel & 1) != 0)
            channels.push_back(channel);
    const size_t width = level == 1 ? 1 : 2;
    const size_t groupSize = channels.size() * width;
    // The count is the box's word, so at most 65535 groups arrive: bounded,
    // and read whole so that the next command finds the stream in step.
    std::vector<uint8_t> raw(groups * groupSize, 0);
    if (!raw.empty())
        m_stream->Read(raw.data(), static_cast<uint32_t>(raw.size()));

    std::vector<int16_t> samples(groups);
    for (size_t k = 0; k < channels.size(); ++k) {
        const int channel = channels[k];
        CScopeBuffer* buffer = buffers[static_cast<size_t>(channel)];
        if (buffer == nullptr)
            continue;
        const bool grounded = Mode(channel) == kCouplingGround;
        for (size_t g = 0; g < groups; ++g) {
            const uint8_t* at = raw.data() + g * groupSize + k * width;
            const int32_t value = width == 1 ? static_cast<int8_t>(*at) : BigEndian16(at);
            samples[g] = grounded ? 0 : ScreenSample(level, value);
        }
        buffer->AppendSamples(samples);
        buffer->SetRangeFactor(RangeFactor(channel));
    }
    return true;
}

// ---------------------------------------------------------------- settings archive

std::unique_ptr<CUnitSettings> CScope::SaveSettings()
{
    auto s = std::make_unique<CScopeSettings>();
    m_changes.Lock();
    s->timeBase = Shared().lastTimeBase;
    for (int c = 0; c < kInputChannels; ++c) {
        s->channels[2 * c] = m_channels[c].mode;
        s->channels[2 * c + 1] = m_channels[c].range;
    }
    s->triggerSource = m_triggerSource;
    s->triggerLevel = m_triggerLevel;
    s->triggerSlope = m_triggerSlope;
    s->triggerPosition = m_triggerPosition;
    s->singleShot = m_singleShot;
    s->hold = m_hold;
    m_changes.Unlock(0);
    return s;
}

void CScope::RestoreSettings(std::unique_ptr<CUnitSettings> settings)
{
    const auto* s = dynamic_cast<const CScopeSettings*>(settings.get());
    if (s == nullptr)
        return;
    m_changes.Lock();
    ApplyTimeBaseRow(s->timeBase);
    for (int c = 0; c < kInputChannels; ++c) {
        m_channels[c].mode = ClampMode(s->channels[2 * c]);
        m_channels[c].range = ClampRange(s->channels[2 * c + 1]);
    }
    m_triggerSource = s->triggerSource;
    m_triggerLevel = s->triggerLevel;
    m_triggerSlope = s->triggerSlope;
    m_triggerPosition = s->triggerPosition;
    m_singleShot = s->singleShot;
    m_hold = s->hold;
    m_changes.Unlock(kAllBits);
}

void CScope::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        m_changes.Lock();
        ar << kSettingsVersion << Shared().lastTimeBase << Shared().timeBase;
        ar << int32_t{1} << m_channels[0].mode << m_channels[0].range;
        ar << int32_t{1} << m_channels[1].mode << m_channels[1].range;
        ar << m_triggerSlope << m_triggerSource << m_triggerPosition << m_triggerLevel;
        ar << kBufferSize << int32_t{m_singleShot ? 1 : 0};
        ar << m_channels[2].mode << m_channels[2].range << m_channels[3].mode << m_channels[3].range;
        m_changes.Unlock(0);
        ScreenBuffer(0).Serialize(ar);
        ScreenBuffer(1).Serialize(ar);
        return;
    }

    uint32_t version;
    int32_t last, timeBase, unused, bufferSize, singleShot;
    int32_t slope, source, position, level;
    std::array<Channel, kInputChannels> channels = m_channels;
    ar >> version;
    if (version < 1 || version > kSettingsVersion)
        throw CArchiveException(CArchiveException::badSchema);
    ar >> last >> timeBase;
    ar >> unused >> channels[0].mode >> channels[0].range;
    ar >> unused >> channels[1].mode >> channels[1].range;
    ar >> slope >> source >> position >> level >> bufferSize >> singleShot;
    if (version >= 2)
        ar >> channels[2].mode >> channels[2].range >> channels[3].mode >> channels[3].range;
    ScreenBuffer(0).Serialize(ar);
    ScreenBuffer(1).Serialize(ar);

    m_changes.Lock();
    ApplyTimeBaseRow(timeBase);
    Shared().lastTimeBase = std::clamp<int32_t>(last, 0, static_cast<int32_t>(TimeBases().size()) - 1);
    for (int c = 0; c < kInputChannels; ++c)
        m_channels[c] = {ClampMode(channels[c].mode), ClampRange(channels[c].range)};
    m_triggerSlope = slope;
    m_triggerSource = std::clamp(source, 0, kInputChannels);
    m_triggerPosition = std::clamp(position, 0, 100);
    m_triggerLevel = std::clamp(level, -100, 100);
    m_singleShot = singleShot != 0 ? 1 : 0;
    m_changes.Unlock(kAllBits);
}
