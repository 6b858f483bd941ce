#include "instruments/digital/LogicView.h"

#include <algorithm>
#include <cstdio>

#include "charts/ChartCanvas.h"
#include "framework/Exception.h"

DigRowVisibility DefaultRowVisibility()
{
    DigRowVisibility visible{};
    for (int row = 0; row < kDigRows; ++row)
        visible[size_t(row)] = row % kDigInputRows < 8;
    return visible;
}

CString DigRowName(int row)
{
    char text[8];
    std::snprintf(text, sizeof text, "%c%d", row < kDigInputRows ? 'I' : 'Q', row % kDigInputRows);
    return Utf8ToString(text);
}

int VisibleRowCount(const DigRowVisibility& visible)
{
    return int(std::count(visible.begin(), visible.end(), true));
}

std::vector<DigRowBand> PackRowBands(const DigRowVisibility& visible, const CAxis& rowAxis)
{
    const int count = VisibleRowCount(visible);
    std::vector<DigRowBand> bands;
    bands.reserve(size_t(count));
    int k = 0;
    for (int row = 0; row < kDigRows; ++row) {
        if (!visible[size_t(row)])
            continue;
        DigRowBand band;
        band.row = row;
        const int32_t a = rowAxis.ValueToPixel(double(count - k));
        const int32_t b = rowAxis.ValueToPixel(double(count - k - 1));
        band.top = std::min(a, b);
        band.bottom = std::max(a, b);
        band.low = band.bottom;
        band.high = band.bottom - MultiplyDivide(band.bottom - band.top, 2, 3);
        bands.push_back(band);
        ++k;
    }
    return bands;
}

std::optional<DigTrace> InputTrace(std::span<const uint16_t> samples, int bit, double interval)
{
    if (samples.empty())
        return std::nullopt;
    DigTrace trace;
    bool level = (samples[0] >> bit & 1) != 0;
    trace.startHigh = level;
    for (size_t i = 1; i < samples.size(); ++i) {
        const bool next = (samples[i] >> bit & 1) != 0;
        if (next != level)
            trace.changes.push_back(double(i) * interval);
        level = next;
    }
    trace.end = double(samples.size()) * interval;
    return trace;
}

std::optional<DigTrace> OutputTrace(const std::vector<std::unique_ptr<CDigData>>& pattern, int bit, double interval)
{
    if (pattern.empty())
        return std::nullopt;
    DigTrace trace;
    std::optional<bool> level;
    int64_t start = 0;
    for (const auto& step : pattern) {
        // A step held for no interval never shows on the outputs.
        const int64_t length = std::max<int32_t>(step->m_repeatCount, 0);
        const bool high = (step->m_outputWord >> bit & 1) != 0;
        if (length > 0) {
            if (!level)
                trace.startHigh = high;
            else if (*level != high)
                trace.changes.push_back(double(start) * interval);
            level = high;
        }
        start += length;
    }
    if (!level)
        trace.startHigh = (pattern.front()->m_outputWord >> bit & 1) != 0;
    trace.end = double(start) * interval;
    return trace;
}

double CursorTime(int64_t index, double interval)
{
    return double(index) * interval + interval / 2;
}

int64_t LastCursorIndex(size_t recordedSamples, int64_t patternLength)
{
    return std::max<int64_t>(std::max<int64_t>(int64_t(recordedSamples), patternLength) - 1, 0);
}

DigCursorReadout CursorReadout(std::span<const uint16_t> samples, std::optional<uint16_t> output, int64_t index,
                               bool hexadecimal)
{
    auto word = [hexadecimal](std::optional<uint16_t> value) {
        if (!value)
            return CString(u"-----");
        char text[16];
        std::snprintf(text, sizeof text, hexadecimal ? "%5X" : "%5d", unsigned(*value));
        return Utf8ToString(text);
    };
    DigCursorReadout readout;
    std::optional<uint16_t> input;
    if (index >= 0 && uint64_t(index) < samples.size())
        input = samples[size_t(index)];
    readout.input = word(input);
    readout.output = word(output);
    char text[24];
    std::snprintf(text, sizeof text, "%5lld", static_cast<long long>(index + 1));
    readout.position = Utf8ToString(text);
    return readout;
}

int SampleIntervalChoice(uint16_t interval)
{
    const auto it = std::find(kSampleIntervals.begin(), kSampleIntervals.end(), interval);
    return it == kSampleIntervals.end() ? -1 : int(it - kSampleIntervals.begin());
}

void SerializeLogicPane(CArchive& ar, bool& fit)
{
    if (ar.IsStoring()) {
        ar << kLogicPaneVersion << uint8_t(fit ? 1 : 0);
        return;
    }
    uint32_t version = 0;
    uint8_t flag = 0;
    ar >> version;
    if (version != kLogicPaneVersion)
        throw CArchiveException(CArchiveException::badSchema);
    ar >> flag;
    fit = flag != 0;
}
