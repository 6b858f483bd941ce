#include "analysis/Spectrum.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include <gsl/gsl_errno.h>
#include <gsl/gsl_fft_real.h>

#include "charts/Engineering.h"

namespace {

constexpr SpectrumRecordRow kLevel3[] = {{4001, 1000}, {2001, 1000}, {4001, 100}, {2001, 100},
                                         {2001, 20},   {2001, 10},   {2001, 2}};
constexpr SpectrumRecordRow kLevel12[] = {{4001, 400}, {2001, 400}, {4001, 40}, {2001, 40},
                                          {2001, 8},   {2001, 4},   {1601, 1}};
constexpr int16_t kOverflowSample = 0x7FF8;
constexpr double kFullSample = 32767.0;

// GSL's default answer to an error is to abort the process; the plug-in
// must never take its host down, so failures come back as return codes.
void QuietGsl()
{
    static std::once_flag once;
    std::call_once(once, [] { gsl_set_error_handler_off(); });
}

auto* Table(void* p) { return static_cast<gsl_fft_real_wavetable*>(p); }
auto* Workspace(void* p) { return static_cast<gsl_fft_real_workspace*>(p); }

}  // namespace

std::span<const SpectrumRecordRow> SpectrumRecordTable(int variantLevel)
{
    if (variantLevel >= 3)
        return kLevel3;
    return kLevel12;
}

double SpectrumBinWidth(int32_t samples, double samplePeriod)
{
    const double span = samplePeriod * (samples - 1);
    return span > 0.0 ? 1.0 / span : 0.0;
}

CString SpectrumRecordList(int variantLevel, const std::function<double(int variantLevel, uint16_t divider)>& samplePeriod)
{
    CString list = u"Select";
    for (const SpectrumRecordRow& row : SpectrumRecordTable(variantLevel))
        list += u";" + FormatEngineering(SpectrumBinWidth(row.samples, samplePeriod(variantLevel, row.divider)), u"Hz");
    return list;
}

bool SpectrumOverflow(std::span<const int16_t> samples)
{
    return std::any_of(samples.begin(), samples.end(),
                       [](int16_t s) { return s >= kOverflowSample || s <= -kOverflowSample; });
}

CSpectrumTransform::CSpectrumTransform(size_t n) : m_size(n)
{
    QuietGsl();
    if (n < 2)
        return;
    m_table = gsl_fft_real_wavetable_alloc(n);
    m_workspace = gsl_fft_real_workspace_alloc(n);
    m_work.resize(n);
}

CSpectrumTransform::~CSpectrumTransform()
{
    if (m_table)
        gsl_fft_real_wavetable_free(Table(m_table));
    if (m_workspace)
        gsl_fft_real_workspace_free(Workspace(m_workspace));
}

bool CSpectrumTransform::Compute(std::span<const double> input, std::vector<double>& magnitudes)
{
    if (!Valid() || input.size() != m_size)
        return false;
    std::copy(input.begin(), input.end(), m_work.begin());
    return Transform(magnitudes);
}

bool CSpectrumTransform::Transform(std::vector<double>& magnitudes)
{
    if (!Valid() || gsl_fft_real_transform(m_work.data(), 1, m_size, Table(m_table), Workspace(m_workspace)) != GSL_SUCCESS)
        return false;
    // Half-complex order: the DC term, then (real, imaginary) of bin k at 2k − 1 and 2k.
    const double scale = 2.0 / static_cast<double>(m_size);
    const size_t half = m_size / 2;
    magnitudes.resize(half);
    magnitudes[0] = std::fabs(m_work[0] * scale) * 0.5;
    // Volts of a 16-bit record cannot overflow a square: no need for hypot's care.
    for (size_t k = 1; k < half; ++k) {
        const double re = m_work[2 * k - 1], im = m_work[2 * k];
        magnitudes[k] = std::sqrt(re * re + im * im) * scale;
    }
    return true;
}

void CSpectrumRecord::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kSchema << binWidth << static_cast<int32_t>(amplitudes.size());
        for (double a : amplitudes)
            ar << a;
        return;
    }
    uint32_t schema;
    double width;
    int32_t count;
    ar >> schema >> width >> count;
    if (schema != kSchema)
        throw CArchiveException(CArchiveException::badSchema);
    // No record the analyzer makes has more than 4096 bins; a damaged count
    // must not ask for gigabytes.
    if (count < 0 || count > 4096)
        throw CArchiveException(CArchiveException::badIndex);
    std::vector<double> loaded(static_cast<size_t>(count));
    for (double& a : loaded)
        ar >> a;
    binWidth = width;
    amplitudes = std::move(loaded);
}

bool ComputeSpectrum(std::span<const int16_t> samples, double fullScale, double samplePeriod,
                     std::unique_ptr<CSpectrumTransform>& transform, CSpectrumRecord& record)
{
    if (samples.size() < 2)
        return false;
    if (!transform || transform->Size() != samples.size())
        transform = std::make_unique<CSpectrumTransform>(samples.size());
    if (!transform->Valid())
        return false;
    const double toVolts = fullScale / kFullSample;
    std::span<double> input = transform->Input();
    for (size_t i = 0; i < samples.size(); ++i)
        input[i] = samples[i] * toVolts;
    if (!transform->Transform(record.amplitudes))
        return false;
    record.binWidth = SpectrumBinWidth(static_cast<int32_t>(samples.size()), samplePeriod);
    return true;
}
