// The spectrum analyzer's computation for a record of 4001 samples (the
// table's longest) and for the nearest power of two, beside GSL's own real
// transform of the same data in the same run: how much the conversion to
// volts and the magnitudes add (goal: at most 1.2 times GSL alone).
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include <gsl/gsl_fft_real.h>

#include "BenchTiming.h"
#include "analysis/Spectrum.h"

namespace {

constexpr double kGoalRatio = 1.2;

void Compare(size_t n)
{
    std::vector<int16_t> samples(n);
    for (size_t i = 0; i < n; ++i)
        samples[i] = static_cast<int16_t>(std::lround(20000.0 * std::sin(0.01 * static_cast<double>(i * i % 9973))));
    std::unique_ptr<CSpectrumTransform> transform;
    CSpectrumRecord record;
    ComputeSpectrum(samples, 5.0, 1e-6, transform, record);  // tables made once, as the analyzer keeps them
    const int runs = 2000;
    const double ours = vexabench::MicrosecondsPer(runs, [&] { ComputeSpectrum(samples, 5.0, 1e-6, transform, record); });

    gsl_fft_real_wavetable* table = gsl_fft_real_wavetable_alloc(n);
    gsl_fft_real_workspace* work = gsl_fft_real_workspace_alloc(n);
    std::vector<double> input(n), data(n);
    for (size_t i = 0; i < n; ++i)
        input[i] = samples[i] / 32767.0 * 5.0;
    const double plain = vexabench::MicrosecondsPer(runs, [&] {
        data = input;
        gsl_fft_real_transform(data.data(), 1, n, table, work);
    });
    gsl_fft_real_wavetable_free(table);
    gsl_fft_real_workspace_free(work);
    const double ratio = ours / plain;
    std::printf("  n = %5zu: spectrum %8.1f us, GSL transform alone %8.1f us, ratio %.2f (%s)\n", n, ours, plain, ratio,
                ratio <= kGoalRatio ? "goal met" : "over goal");
    vexabench::Row(vexabench::Format("spectrum (FFT) of %zu samples vs GSL alone", n),
                   vexabench::Format("%.1f us, %.2f x", ours, ratio), vexabench::Format("<= %.1f x", kGoalRatio));
}

}  // namespace

int main()
{
    std::printf("spectrum of a record: samples to volts, real FFT, magnitudes; goal: at most %.1f x GSL alone\n",
                kGoalRatio);
    Compare(4001);
    Compare(4096);
    return 0;
}
