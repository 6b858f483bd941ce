// The spectrum analyzer's arithmetic: its record table, the amplitude
// spectrum of a record by a real mixed-radix FFT of any length, and the
// stored spectrum record. Amplitudes are peak volts of the sine at each bin;
// the record is transformed unweighted.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "framework/Archive.h"
#include "framework/Types.h"

// One record the analyzer offers: samples n at sample-clock divider d.
struct SpectrumRecordRow {
    uint16_t samples;
    uint16_t divider;
};

// The seven rows of a variant level (level 3 has its own dividers).
std::span<const SpectrumRecordRow> SpectrumRecordTable(int variantLevel);
// Bin width [Hz] of n samples taken samplePeriod apart: 1 / (T × (n − 1)).
double SpectrumBinWidth(int32_t samples, double samplePeriod);
// The record list: "Select", then each row's bin width in "Hz", joined by
// ';'. samplePeriod gives T for a divider.
CString SpectrumRecordList(int variantLevel, const std::function<double(int variantLevel, uint16_t divider)>& samplePeriod);

// Whether any sample reaches the converter's limit (|sample| >= 0x7FF8).
bool SpectrumOverflow(std::span<const int16_t> samples);

// A real FFT of one size with its tables, kept while the size stays.
class CSpectrumTransform {
public:
    explicit CSpectrumTransform(size_t n);
    ~CSpectrumTransform();
    CSpectrumTransform(const CSpectrumTransform&) = delete;
    CSpectrumTransform& operator=(const CSpectrumTransform&) = delete;

    size_t Size() const { return m_size; }
    // False when the transform library could not make the tables.
    bool Valid() const { return m_table && m_workspace; }
    // n/2 magnitudes of n volts: [0] the mean, [k] the peak amplitude of bin
    // k. False (and nothing written) when the tables are missing or the
    // input is not of the transform's size.
    bool Compute(std::span<const double> input, std::vector<double>& magnitudes);
    // The same for input written straight into Input() (n values).
    std::span<double> Input() { return m_work; }
    bool Transform(std::vector<double>& magnitudes);

private:
    size_t m_size;
    void* m_table = nullptr;      // gsl_fft_real_wavetable
    void* m_workspace = nullptr;  // gsl_fft_real_workspace
    std::vector<double> m_work;
};

// The spectrum as shown and stored (schema 1).
struct CSpectrumRecord {
    static constexpr uint32_t kSchema = 1;
    double binWidth = 0.0;  // [Hz]
    std::vector<double> amplitudes;  // [V]

    void Serialize(CArchive& ar);
};

// A record's samples (32767 = fullScale volts) to its spectrum, through a
// transform kept by the caller (made anew when the size changed). False
// when no spectrum could be made; `record` is then unchanged.
bool ComputeSpectrum(std::span<const int16_t> samples, double fullScale, double samplePeriod,
                     std::unique_ptr<CSpectrumTransform>& transform, CSpectrumRecord& record);
