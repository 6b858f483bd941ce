// A Bode sweep against the simulator in this process over loopback TCP:
// 20 points from 100 Hz to 10 kHz, one average, no settling time. The sweep
// is stepped as the polling thread steps it, once per 50 ms cycle, and once
// more back to back (the protocol's own cost). Per point it prints the time
// and the steps taken beside the floor of four steps (set-up, start, one
// status poll that finds the record, next frequency).
//
// It then measures the simulator's RC low-pass (corner 1 kHz on channel A,
// the default without external inputs) at its corner: about -3 dB and -45°.
// The exit code is 1 when the corner is off by more than 0.3 dB or 2°.
//
//   bode_bench [poll cycle in ms, default 50]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "BenchSimulator.h"
#include "BenchTiming.h"
#include "analysis/BodeSweep.h"

using namespace vexasim;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kFloorSteps = 4;

uint32_t TickMs(Clock::time_point start)
{
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

struct SweepFigures {
    double secondsPerPoint = 0;
    double stepsPerPoint = 0;
    int points = 0;
};

// Runs one sweep to its end, a step every cycleMs (0: back to back). Only
// the steps of the measuring loop count (states 2 to 6), and the time from
// the first measurement set-up to the last point: the generator's start-up
// wait happens once per sweep, not per point.
SweepFigures RunSweep(CBodeSweep& sweep, CBodeSets& sets, const BodeSettings& settings, int cycleMs)
{
    const auto start = Clock::now();
    if (sweep.Start(settings) != 0) {
        std::fprintf(stderr, "bode_bench: settings refused\n");
        std::exit(1);
    }
    const int32_t set = sets.SetCount() - 1;
    long steps = 0;
    Clock::time_point first{}, last{};
    auto next = Clock::now();
    while (sweep.Status().running) {
        const int32_t state = sweep.Status().state;
        const bool measuring = state >= CBodeSweep::kSetUpMeasurement && state <= CBodeSweep::kNextFrequency;
        const int32_t before = sets.GetSet(set)->Count();
        const bool acted = sweep.Step(TickMs(start));
        // The generator's wait: a step that does nothing in state 2.
        if (measuring && (acted || state != CBodeSweep::kSetUpMeasurement)) {
            if (first == Clock::time_point{})
                first = Clock::now();
            ++steps;
        }
        if (sets.GetSet(set)->Count() != before)
            last = Clock::now();
        if (cycleMs > 0) {
            next += std::chrono::milliseconds(cycleMs);
            std::this_thread::sleep_until(next);
        }
    }
    SweepFigures f;
    f.points = sets.GetSet(set)->Count();
    if (f.points > 0) {
        f.secondsPerPoint = std::chrono::duration<double>(last - first).count() / f.points;
        f.stepsPerPoint = static_cast<double>(steps) / f.points;
    }
    return f;
}

}  // namespace

int main(int argc, char** argv)
{
    const int cycleMs = argc > 1 ? std::atoi(argv[1]) : 50;
    vexabench::LocalSimulator local("bode_bench");  // variant level 3, RC low-pass at 1 kHz on channel A
    CStreamSocket& stream = local.stream;
    // Units without an interface object work at variant level 3, the simulator's.
    CScope scope(&stream, nullptr);
    CFuncGen generator(&stream, nullptr);
    CBodeSets sets;
    CBodeSweep sweep(scope, generator, sets);

    BodeSettings settings;
    settings.start = 100;
    settings.stop = 10000;
    settings.points = 20;
    settings.logarithmic = true;
    settings.amplitude = 50;  // 5 V: channel B in 10 V at half scale
    settings.rangeA = 6;
    settings.averages = 1;
    settings.settlingMs = 0;

    std::printf("Bode sweep, %d points %g Hz to %g Hz, simulator over loopback TCP\n", settings.points,
                settings.start, settings.stop);
    std::printf("%-26s %12s %12s %12s\n", "", "ms/point", "steps/point", "floor");
    const SweepFigures paced = RunSweep(sweep, sets, settings, cycleMs);
    const std::string pacedName = "one step per " + std::to_string(cycleMs) + " ms";
    std::printf("%-26s %12.1f %12.2f %12d\n", pacedName.c_str(), paced.secondsPerPoint * 1e3, paced.stepsPerPoint,
                kFloorSteps);
    const SweepFigures unpaced = RunSweep(sweep, sets, settings, 0);
    std::printf("%-26s %12.1f %12.2f %12d\n", "back to back", unpaced.secondsPerPoint * 1e3, unpaced.stepsPerPoint,
                kFloorSteps);
    vexabench::Row("Bode sweep, per point (paced)",
                   vexabench::Format("%.1f ms, %.2f poll steps", paced.secondsPerPoint * 1e3, paced.stepsPerPoint),
                   vexabench::Format("floor %d steps", kFloorSteps));
    if (paced.points != settings.points || unpaced.points != settings.points)
        std::printf("points measured: %d and %d of %d\n", paced.points, unpaced.points, settings.points);

    // The corner of the RC low-pass.
    BodeSettings corner = settings;
    corner.start = corner.stop = 1000;
    corner.points = 2;
    corner.logarithmic = false;
    corner.averages = 4;
    RunSweep(sweep, sets, corner, 0);
    const CBodeData set = *sets.GetSet(sets.SetCount() - 1);
    if (set.Count() != 1) {
        std::fprintf(stderr, "bode_bench: no point at the corner\n");
        return 1;
    }
    const double db = set.GainDb()[0], phase = set.Phase()[0];
    const bool ok = std::fabs(db + 3.0103) <= 0.3 && std::fabs(phase + 45) <= 2;
    std::printf("RC low-pass at %g Hz: %.2f dB (expected -3.01), %.1f deg (expected -45.0)  %s\n",
                set.Frequency()[0], db, phase, ok ? "ok" : "OFF");
    const BodeSweepStatus status = sweep.Status();
    if (status.last.overflow)
        std::printf("overflow in the last record\n");
    stream.Close();
    return ok ? 0 : 1;
}
