// Prints the polling cycle rate the interface object achieves with N idle
// instruments (goal: 20.0 cycles per second) and what one event costs per
// instrument in a dispatch pass.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "BenchTiming.h"
#include "framework/Settings.h"
#include "interface/Vexaface.h"
#include "units/UnitFactory.h"

namespace {

using Clock = std::chrono::steady_clock;

class IdleSink : public CVIEventSink {
public:
    CString GetTitle() override { return u"idle"; }
    void ShowInstrument(bool) override {}
    void ToggleVisible() override {}
    bool IsInstrumentVisible() override { return true; }
    bool OnEvent(uint32_t, uintptr_t) override { return false; }
    void SerializeState(CArchive&) override {}
};

class Windows : public IWindowBridge {
public:
    bool IsWindow(WindowHandle) override { return true; }
    bool SendWithTimeout(WindowHandle, uint32_t, uintptr_t, intptr_t, uint32_t) override { return true; }
    void Send(WindowHandle, uint32_t, uintptr_t, intptr_t) override {}
    uint32_t UpdateMessage() override { return 0xC000; }
};

class Quiet : public IUserInteraction, public IStringSource {
public:
    void ShowMessage(const CString&, MessageIcon) override {}
    void Beep() override {}
    void BeginBusy(const CString&) override {}
    void EndBusy() override {}
    int ChooseTask(uint32_t, uint32_t, const std::vector<ChoiceButton>&, int) override { return 6; }
    bool ConfirmReconnect(const ConnectionInfo&) override { return false; }
    CString LoadText(uint32_t) override { return CString(); }
};

class NoStreams : public IStreamFactory {
public:
    std::unique_ptr<CStreamIO> CreateUsb() override { return nullptr; }
    std::unique_ptr<CStreamIO> CreateSocket(const CString&, uint16_t) override { return nullptr; }
    std::unique_ptr<CStreamIO> CreateTunnel(const CString&) override { return nullptr; }
    bool StartSocketLayer() override { return true; }
    bool ChooseNetworkAddress(CString&) override { return false; }
};

class CountingFace : public CVexaface {
public:
    using CVexaface::CVexaface;
    void DispatchEvents(uint32_t code) override
    {
        CVexaface::DispatchEvents(code);
        const int n = passes.load();
        if (n < kMaxPasses)
            times[n] = Clock::now();
        passes.store(n + 1);
    }
    static constexpr int kMaxPasses = 1000;
    std::atomic<int> passes{0};
    Clock::time_point times[kMaxPasses];
};

double CycleRate(int sinks, double seconds)
{
    CMemorySettingsStore settings;
    settings.WriteNumber(SettingsHive::CurrentUser, u"Software\\Brennick\\Vexa Interface\\Settings", u"DemoMode", 1);
    Quiet quiet;
    NoStreams streams;
    CUnitFactory units;
    CNoInstrumentFactory instruments;
    CountingFace face({settings, quiet, quiet, streams, units, instruments});
    face.Connect(true, false, false);
    face.AttachUnits();
    std::vector<std::unique_ptr<IdleSink>> all;
    for (int i = 0; i < sinks; ++i) {
        all.push_back(std::make_unique<IdleSink>());
        all.back()->OnPanelReady(static_cast<WindowHandle>(i + 1));
        face.RegisterInstrument(all.back().get());
    }
    // The rate between the first and the last pass: whole cycles only.
    const int cycles = static_cast<int>(seconds * 20);
    while (face.passes.load() <= cycles)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    face.StopPolling();
    const double elapsed = std::chrono::duration<double>(face.times[cycles] - face.times[0]).count();
    return cycles / elapsed;
}

double DispatchNanosPerSink(int sinks)
{
    CVIEventHub hub;
    std::recursive_mutex unitLock;
    std::vector<std::unique_ptr<IdleSink>> all;
    for (int i = 0; i < sinks; ++i) {
        all.push_back(std::make_unique<IdleSink>());
        all.back()->OnPanelReady(static_cast<WindowHandle>(i + 1));
        hub.AddSink(all.back().get());
    }
    const int rounds = 20000;
    const auto start = Clock::now();
    for (int r = 0; r < rounds; ++r)
        hub.Dispatch(kEventPoll, 0, unitLock);
    const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    return ns / rounds / sinks;
}

} // namespace

int main()
{
    Windows windows;
    SetWindowBridge(&windows);
    std::printf("polling cycle rate (goal 20.0 per second, within 1 %%)\n");
    // 100 is more than every instrument of the catalogue open at once.
    for (int sinks : {1, 10, 100}) {
        const double rate = CycleRate(sinks, 3.0);
        std::printf("  %4d idle instruments: %6.2f cycles/s (%+.2f %%)\n", sinks, rate, (rate / 20.0 - 1) * 100);
        if (sinks == 100)
            vexabench::Row("poll cadence, 100 instruments open", vexabench::Format("%.2f cycles/s", rate),
                           "20 /s within 1 %");
    }
    std::printf("dispatch cost per instrument (event to an idle sink, unit lock taken)\n");
    for (int sinks : {1, 10, 100}) {
        const double ns = DispatchNanosPerSink(sinks);
        std::printf("  %4d instruments: %7.1f ns\n", sinks, ns);
        if (sinks == 100)
            vexabench::Row("dispatch cost per instrument, 100 open", vexabench::Format("%.1f ns", ns), "-");
    }
    SetWindowBridge(nullptr);
    return 0;
}
