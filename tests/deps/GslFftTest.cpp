// The real FFT the spectrum analyzer uses, from the system's GSL natively and
// from the cross-built one on Windows.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include <gsl/gsl_errno.h>
#include <gsl/gsl_fft_real.h>

TEST(GslFft, MixedRadixTransformFindsTheTone)
{
    // 3 cycles of a cosine over 60 samples (60 = 2*2*3*5 uses several radices).
    const size_t n = 60;
    std::vector<double> data(n);
    for (size_t i = 0; i < n; ++i)
        data[i] = 2.0 * std::cos(2 * M_PI * 3 * static_cast<double>(i) / n) + 0.5;

    gsl_fft_real_wavetable* table = gsl_fft_real_wavetable_alloc(n);
    gsl_fft_real_workspace* work = gsl_fft_real_workspace_alloc(n);
    ASSERT_NE(table, nullptr);
    ASSERT_NE(work, nullptr);
    ASSERT_EQ(gsl_fft_real_transform(data.data(), 1, n, table, work), GSL_SUCCESS);
    gsl_fft_real_wavetable_free(table);
    gsl_fft_real_workspace_free(work);

    // Half-complex order: data[0] is the mean times n, then (re, im) per bin.
    EXPECT_NEAR(data[0], 0.5 * n, 1e-9);
    for (size_t k = 1; k < n / 2; ++k) {
        const double magnitude = std::hypot(data[2 * k - 1], data[2 * k]);
        EXPECT_NEAR(magnitude, k == 3 ? 2.0 * n / 2 : 0.0, 1e-9) << "bin " << k;
    }
}
