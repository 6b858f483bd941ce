// Prints what the generators' formula language and the scope's record
// conversion cost: compiling a formula, evaluating it at 8192 points (one
// arbitrary waveform), and reading and converting one 1001-sample record.
#include <cstdio>
#include <cstring>
#include <numbers>
#include <vector>

#include "BenchTiming.h"
#include "instruments/formula/ForComp.h"
#include "units/Scope.h"

namespace {


// Answers every read with the same record of 16-bit samples, as fast as memory allows.
class RecordStream : public CStreamIO {
public:
    explicit RecordStream(size_t samples) : m_reply(2 * samples)
    {
        for (size_t i = 0; i < samples; ++i) {
            const auto raw = static_cast<int16_t>(static_cast<int>(i % 1023) - 511);
            m_reply[2 * i] = static_cast<uint8_t>(static_cast<uint16_t>(raw) >> 8);
            m_reply[2 * i + 1] = static_cast<uint8_t>(raw);
        }
    }
    bool Open() override { return true; }
    void Close() override {}
    bool IsConnected() override { return true; }
    void Read(void* buffer, uint32_t count) override
    {
        std::memcpy(buffer, m_reply.data(), count <= m_reply.size() ? count : m_reply.size());
    }
    void Write(const void*, uint32_t) override {}
    void PurgeInput() override {}
    uint32_t GetInputCount() override { return 0; }
    void BeginBlock() override {}
    void EndBlock() override {}
    bool ResetDevice() override { return true; }

private:
    std::vector<uint8_t> m_reply;
};

} // namespace

int main()
{
    const char16_t* formulas[] = {
        u"SIN(X)",
        u"0.5*SIN(X)+0.25*SQU(3*X)+0.1*TRI(5*X)-0.05*PHA(X;PI/3)",
        u"EXP(-X/2)*SIN(8*X)*(1+0.2*RND(1))+IN(1;2)*SAW(20*X)",
    };
    std::printf("formula language (8192 points over 0 to 2 pi)\n");
    double checksum = 0;
    for (const char16_t* text : formulas) {
        CForComp formula;
        const double compile = vexabench::MicrosecondsPer(20000, [&] { formula.Compile(text); });
        std::vector<double> values;
        const double evaluate = vexabench::MicrosecondsPer(200, [&] {
            formula.EvaluateOver(8192, 0, 2 * std::numbers::pi, values);
            checksum += values[100];
        });
        std::printf("  %-60s compile %7.2f us, evaluate %8.1f us (%5.1f ns/point)\n", StringToUtf8(text).c_str(),
                    compile, evaluate, evaluate * 1000 / 8192);
        if (text == formulas[2])
            vexabench::Row("formula evaluation (EXP*SIN*RND+IN*SAW, 8192 points)",
                           vexabench::Format("%.1f ns/point, compile %.1f us", evaluate * 1000 / 8192, compile), "-");
    }

    RecordStream stream(1001);
    CScope scope(&stream, nullptr);
    CScopeBuffer buffer;
    const double record = vexabench::MicrosecondsPer(20000, [&] {
        scope.ReadRecord(0, 1001, buffer);
        checksum += buffer.Front()[10];
    });
    std::printf("scope record of 1001 samples: read and convert %.2f us\n", record);
    vexabench::Row("scope record of 1001 samples, read and convert", vexabench::Format("%.2f us", record), "-");
    return checksum == 12345.678 ? 1 : 0;
}
