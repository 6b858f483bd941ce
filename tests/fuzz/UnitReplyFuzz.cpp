// Puts a box that answers with arbitrary bytes under the function units.
//
//   byte 0   variant level (low two bits; 0 is level 3), bit 2: the
//            identification itself comes from the input (else a well-formed
//            one at that level), bit 3: a socket stream (the device name is
//            read), high nibble: bytes the box reports as still waiting
//   byte 1   operations to run, 1 to 8 (low three bits)
//   then     one byte per operation: the low five bits pick it, the high
//            three are its parameter
//   the rest what the box answers, in order
//
// Whatever the box answers, an operation ends normally or with the stream's
// own CStreamException; it reads exactly the bytes its reply has, and what
// it keeps (records, buffers, meter readings) stays within its bounds.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "../interface/FakeServices.h"
#include "interface/Vexaface.h"
#include "units/DigIO.h"
#include "units/FuncGen.h"
#include "units/MetraHit.h"
#include "units/Relays.h"
#include "units/Scope.h"
#include "units/ThreePhaseGen.h"
#include "units/VexaCounter.h"
#include "units/VexaMeter.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// The box: every read takes the next bytes of the input; a read past its end
// fails as a network stream's short read does.
class CFuzzedBox : public CStreamIO {
public:
    CFuzzedBox(std::vector<uint8_t> answers, bool socket, uint32_t surplus)
        : m_answers(std::move(answers)), m_socket(socket), m_surplus(surplus)
    {
    }

    bool Open() override { return ++m_openCount, true; }
    void Close() override { LeaveUser(); }
    bool IsConnected() override { return true; }
    void Read(void* buffer, uint32_t count) override
    {
        if (count > Remaining()) {
            m_position = m_answers.size();
            ThrowStreamException(kStreamNetworkReadFailed);
        }
        std::memcpy(buffer, m_answers.data() + m_position, count);
        m_position += count;
    }
    void Write(const void*, uint32_t) override {}
    void PurgeInput() override {}
    uint32_t GetInputCount() override { return std::min<uint32_t>(m_surplus, static_cast<uint32_t>(Remaining())); }
    void BeginBlock() override {}
    void EndBlock() override {}
    bool ResetDevice() override { return true; }
    bool IsSocketStream() const override { return m_socket; }

    size_t Position() const { return m_position; }
    size_t Remaining() const { return m_answers.size() - m_position; }

private:
    std::vector<uint8_t> m_answers;
    size_t m_position = 0;
    bool m_socket;
    uint32_t m_surplus;
};

class CBoxFactory : public IStreamFactory {
public:
    explicit CBoxFactory(std::unique_ptr<CFuzzedBox> box) : m_box(std::move(box)) {}
    std::unique_ptr<CStreamIO> CreateUsb() override { return std::move(m_box); }
    std::unique_ptr<CStreamIO> CreateSocket(const CString&, uint16_t) override { return nullptr; }
    std::unique_ptr<CStreamIO> CreateTunnel(const CString&) override { return nullptr; }
    bool StartSocketLayer() override { return true; }
    bool ChooseNetworkAddress(CString&) override { return false; }

private:
    std::unique_ptr<CFuzzedBox> m_box;
};

void CheckMeterRecord(const MeterRecord& record)
{
    for (double v : record)
        Check(std::isfinite(v));
    Check(record[kMeterPeakToPeak] >= 0 && record[kMeterRms] >= 0);
}

// At level 1 a sample is an 8-bit value times 256, elsewhere a 10-bit one times 64.
void CheckScreenSamples(std::span<const int16_t> samples, int level, bool grounded)
{
    const int step = level == 1 ? 256 : 64;
    for (int16_t s : samples)
        Check(grounded ? s == 0 : s % step == 0);
}

struct Session {
    CFuzzedBox& box;
    CVexaface& face;
    int level;
    CVexaMeter meter;
    CScope scope;
    CDigIO dig;
    CMetraHit metraHit;
    CRelays relays;
    CVexaCounter counter;
    CFuncGen generator;
    C3PhaseGen threePhase;
    // Made when a scope operation runs: most runs need none, and each is big.
    std::unique_ptr<CScopeBuffer> buffers[kInputChannels];

    CScopeBuffer& Buffer(int channel)
    {
        if (!buffers[channel])
            buffers[channel] = std::make_unique<CScopeBuffer>();
        return *buffers[channel];
    }

    Session(CFuzzedBox& b, CVexaface& f)
        : box(b), face(f), level(f.VariantLevel()), meter(&b, &f), scope(&b, &f), dig(&b, &f), metraHit(&b, &f),
          relays(&b, &f), counter(&b, &f), generator(&b, &f), threePhase(&b, &f)
    {
        // The class-wide parts of the units start alike in every run.
        scope.SetTimeBase(0);
        generator.RestoreSettings(std::make_unique<CFuncGenSettings>());
    }

    // Reads a reply of a known size; the stream must have moved by exactly that.
    template <typename Action>
    void Exactly(size_t bytes, Action action)
    {
        const size_t before = box.Position();
        action();
        Check(box.Position() == before + bytes);
    }

    void Run(uint8_t op);
};

constexpr int32_t kRecordCounts[8] = {0, 1, 101, 801, 1001, 8192, 9000, -5};
constexpr uint16_t kDigLengths[8] = {0, 1, 2, 100, 1000, 4096, 65535, 7};

void Session::Run(uint8_t op)
{
    const int p = op >> 5;
    const size_t small = level >= 2 ? 2 : 1;
    switch (op & 31) {
    case 0:
        meter.AddUser();
        meter.Open();
        break;
    case 1:
        Exactly(6 * small + 24, [&] { meter.ReadAB(); });
        CheckMeterRecord(CVexaMeter::RecordOf(0));
        CheckMeterRecord(CVexaMeter::RecordOf(1));
        break;
    case 2: {
        MeterRecord c{}, d{};
        Exactly(level == 3 ? 36 : 0, [&] { meter.ReadCD(c, d); });
        CheckMeterRecord(c);
        CheckMeterRecord(d);
        break;
    }
    case 3: {
        const bool wide = (p & 1) != 0;
        std::array<MeterRawBlock, 2> raw;
        Exactly(wide ? 36 : 30, [&] { raw = meter.ReadRawBlock(0x6C, wide); });
        MeterRecord record{};
        for (const MeterRawBlock& block : raw) {
            CVexaMeter::ConvertBlock(block, wide, static_cast<uint16_t>(p * 1000), [](double v) { return v / 511; }, record);
            CheckMeterRecord(record);
        }
        break;
    }
    case 4:
        meter.SetChannel(p & 3, p * 2, p % 3);
        break;
    case 5:
        // The polling thread's step, through the interface object's own meter.
        if (face.AttachUnit(kUnitMeter) && face.Meter()) {
            face.Meter()->AddUser();
            face.Meter()->Flush();
            face.PollStep();
            CheckMeterRecord(CVexaMeter::RecordOf(0));
        }
        break;
    case 6:
        scope.SetTimeBase(p * 3);
        scope.SetTriggerSource(p % 5);
        scope.Flush();
        break;
    case 7:
        if (scope.State() == CScope::kComplete)
            scope.Arm();
        scope.StopAcquisition();
        break;
    case 8:
        scope.SetChannelMask(p);
        scope.FullSetup();
        break;
    case 9:
    case 25: {
        // A record of channel p & 3; 25 reads a grounded channel.
        const int channel = p & 3;
        const bool grounded = (op & 31) == 25;
        scope.SetMode(channel, grounded ? kCouplingGround : kCouplingDC);
        CScopeBuffer& buffer = Buffer(channel);
        const int32_t asked = kRecordCounts[p];
        const size_t waiting = box.GetInputCount();
        const size_t expected = static_cast<size_t>(std::clamp(asked, 0, CScope::kBufferSize));
        const size_t before = box.Position();
        const int32_t n = scope.ReadRecord(channel, asked, buffer);
        Check(n >= 0 && n <= CScope::kBufferSize && static_cast<size_t>(n) == expected);
        Check(buffer.Count() == n && buffer.ExpectedCount() == n && buffer.LastIndex() == n - 1);
        // The record, then what the box had left over: nothing stays for the next command.
        Check(box.Position() >= before + expected * small && box.Position() <= before + expected * small + waiting);
        CheckScreenSamples(buffer.Front(), level, grounded);
        break;
    }
    case 10: {
        scope.SetChannelMask(p * 2 + 1);
        for (int c = 0; c < kInputChannels; ++c)
            Buffer(c).Reset(100 * (c + 1));
        const size_t before = box.Position();
        const bool any = scope.ReadRolling({&Buffer(0), &Buffer(1), (p & 1) ? &Buffer(2) : nullptr, &Buffer(3)});
        size_t channels = 0;
        for (int c = 0; c < kInputChannels; ++c)
            channels += level == 1 ? c < 2 : ((p * 2 + 1) >> c & 1);
        // The group count, then whole groups of the channels that are sent.
        const size_t read = box.Position() - before - 2;
        Check(any ? read > 0 && read % (channels * small) == 0 : read == 0);
        for (int c = 0; c < kInputChannels; ++c) {
            const CScopeBuffer& buffer = Buffer(c);
            Check(buffer.Count() == 100 * (c + 1));
            Check(buffer.FillPosition() >= 0 && buffer.FillPosition() <= buffer.Count());
            CheckScreenSamples(buffer.Front(), level, false);
        }
        break;
    }
    case 11:
        dig.ReadInput();
        dig.SetOutputWord(static_cast<uint16_t>(p * 0x1111));
        dig.Flush();
        break;
    case 12: {
        dig.SetRecordLength(kDigLengths[p]);
        Exactly(2 * size_t{kDigLengths[p]} + 1, [&] { dig.ReadRecordNow(); });
        break;
    }
    case 13:
        dig.SetStreamMode(0);
        dig.SetRecordLength(kDigLengths[p]);
        dig.FetchSamples();
        break;
    case 14:
        dig.SetStreamMode(1);
        dig.SetReadsLeft(p + 1);
        dig.SetRecordLength(kDigLengths[(p + 3) & 7]);
        dig.FetchSamples();
        break;
    case 15: {
        std::vector<std::unique_ptr<CDigData>> pattern;
        for (int i = 0; i < p; ++i)
            pattern.push_back(std::make_unique<CDigData>(0x8000u >> i, i * 1000));
        dig.ReplacePattern(std::move(pattern));
        dig.SetTrigger((p & 1) != 0, 0x00FF, 0x0F0F);
        dig.SendSetup();
        dig.StartRecording();
        dig.AnalyzerState();
        break;
    }
    case 16: {
        // The meter's answer is read whole, valid or not.
        static constexpr size_t kAnswer[4] = {9, 10, 10, 30};
        bool valid = false;
        Exactly(kAnswer[p % 4], [&] { valid = metraHit.ReadMeter(1 + p % 4); });
        Check(metraHit.DisplayText().size() <= CMetraHit::kDisplayLength);
        if (valid && metraHit.Overload() && p % 4 == 3)
            Check(metraHit.Reading() == CMetraHit::kNotANumber);
        break;
    }
    case 17:
        relays.SetState(static_cast<uint8_t>(p * 37));
        Exactly(1, [&] { relays.Flush(); });
        break;
    case 18:
        counter.SetEnabled((p & 1) != 0);
        Exactly(1, [&] { counter.Flush(); });
        counter.StartCounting();
        counter.StopCounting();
        break;
    case 19:
        generator.SetWaveform(p == 7 ? CFuncGen::kFormulaWaveform : p);
        if (p == 7)
            generator.SetFormula(u"sin(x)+0.5*sin(3*x)", FormulaErrorDisplay::Silent);
        generator.SetFrequency(p * 12345.6);
        generator.SetOutputRange(p & 1);
        generator.Flush();
        break;
    case 20:
        generator.SwitchOutput((p & 1) != 0);
        Check(generator.IsOutputOn() == ((p & 1) != 0));
        break;
    case 21:
        if (p & 1)
            threePhase.SetWaveform(p);
        threePhase.SetDcMode((p & 2) != 0);
        threePhase.SetAmplitudes(p * 10, 50, 100);
        threePhase.Flush();
        break;
    case 22:
        threePhase.ResetAc();
        threePhase.SetDcVolts(p, -p, 1e9);
        threePhase.SendPhaseFlags(1, 0, static_cast<uint8_t>(p));
        break;
    case 23:
        face.AttachUnits();
        break;
    case 24: {
        const InterfaceIdentity id = IdentifyInterface(box);
        Check(id.text.size() <= CStreamIO::kMaxTextLength);
        Check(!id.recognised || (id.variantLevel >= 1 && id.variantLevel <= 3));
        Check(id.deviceName.size() <= 32);
        break;
    }
    default:
        break;
    }
}

bool IsStreamError(uint32_t code)
{
    return code == kStreamUsbReadFailed || code == kStreamUsbWriteFailed || code == kStreamUnspecified ||
           code == kStreamBadAcknowledge || code == kStreamNetworkReadFailed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t setup = data[0];
    const size_t operations = std::min<size_t>(1 + (data[1] & 7), size - 2);
    const uint8_t* ops = data + 2;
    std::vector<uint8_t> answers;
    const bool fuzzedIdentity = (setup & 4) != 0;
    if (!fuzzedIdentity) {
        const char identity[] = "RV8810-4C  V2.50  250";
        answers.assign(identity, identity + sizeof identity);
        answers.push_back(static_cast<uint8_t>((setup & 3) == 0 ? 3 : setup & 3));
    }
    answers.insert(answers.end(), ops + operations, data + size);

    auto box = std::make_unique<CFuzzedBox>(std::move(answers), fuzzedIdentity && (setup & 8), setup >> 4);
    CFuzzedBox& boxRef = *box;
    CMemorySettingsStore settings;
    FakeUi ui;
    FakeStrings strings;
    CBoxFactory streams(std::move(box));
    CUnitFactory units;
    FakeInstrumentFactory instruments;
    CVexaface face({settings, ui, strings, streams, units, instruments});
    if (face.Connect(false, false, false) != kConnectConnected)
        return 0;
    Check(face.VariantLevel() >= 1 && face.VariantLevel() <= 3);
    {
        Session session(boxRef, face);
        for (size_t i = 0; i < operations; ++i) {
            try {
                session.Run(ops[i]);
            } catch (const CStreamException& fault) {
                Check(IsStreamError(fault.ErrorCode()));
            }
        }
    }
    return 0;
}
