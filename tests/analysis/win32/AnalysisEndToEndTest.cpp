// The spectrum analyzer and the Bode plotter against the simulator, whose
// generator and RC low-pass (corner 1 kHz) feed the inputs, read through the
// charts' "data as text".
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <mutex>
#include <optional>
#include <vector>

#include "../../instruments/PlugInHarness.h"
#include "charts/ChartCommands.h"

namespace {

using namespace harness;

constexpr UINT kGenerator = 10031;
constexpr UINT kSpectrumAnalyzer = 10005;
constexpr UINT kBodePlotter = 10007;
constexpr double kPi = 3.14159265358979323846;

// Lines of tab-separated numbers; a header line (not numbers) starts a new block.
std::vector<std::vector<std::vector<double>>> ParseBlocks(std::wstring text)
{
    std::replace(text.begin(), text.end(), L',', L'.');
    std::vector<std::vector<std::vector<double>>> blocks;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos)
            end = text.size();
        const std::wstring line = text.substr(start, end - start);
        start = end + 2;
        std::vector<double> row;
        const wchar_t* p = line.c_str();
        wchar_t* next = nullptr;
        for (double v = std::wcstod(p, &next); next != p; v = std::wcstod(p, &next)) {
            row.push_back(v);
            p = next;
        }
        if (row.empty() || *p) {
            blocks.emplace_back();
            continue;
        }
        if (blocks.empty())
            blocks.emplace_back();
        blocks.back().push_back(row);
    }
    return blocks;
}

class AnalysisInstruments : public PlugInWithSimulator {
protected:
    vexasim::GeneratorSettings Generator()
    {
        std::lock_guard<std::mutex> lock(sim->Box().Lock());
        return sim->Box().model.Generator();
    }
    // The charts of a frame in tab order.
    std::vector<HWND> Charts(HWND frame)
    {
        std::vector<HWND> charts = ChartWindows(frame);
        std::sort(charts.begin(), charts.end(), [](HWND a, HWND b) { return GetDlgCtrlID(a) < GetDlgCtrlID(b); });
        return charts;
    }
    static std::wstring CopyDataText(HWND chart)
    {
        ClearClipboard();
        SendMessageW(chart, WM_COMMAND, ID_CHART_COPY_TEXT, 0);
        return ClipboardText();
    }
    static void Send(HWND window, std::initializer_list<UINT> commands, int repeat = 1)
    {
        for (int i = 0; i < repeat; ++i)
            for (UINT id : commands)
                SendMessageW(window, WM_COMMAND, id, 0);
    }
};

TEST_F(AnalysisInstruments, SpectrumOfTheGeneratorsSquareWaveHasItsOddHarmonics)
{
    HWND generator = Open(kGenerator, L"FUNCTION GENERATOR");
    ASSERT_NE(generator, nullptr);
    // Output on, square, the 100 kHz row (starts at 1 kHz), amplitude 40 % of 10 V.
    Send(generator, {4202, 4205, 4239});
    Send(generator, {4222}, 40);
    HWND analyzer = Open(kSpectrumAnalyzer, L"SPECTRUM ANALYZER");
    ASSERT_NE(analyzer, nullptr);
    // Channel B (the generator's own), 10 V full scale, 4001 samples 50 Hz apart.
    Send(analyzer, {301, 4436, 6000});
    const std::vector<HWND> charts = Charts(analyzer);
    ASSERT_EQ(charts.size(), 2u);

    std::vector<std::vector<double>> lines;
    auto amplitudeAt = [&lines](double hertz) {
        for (const auto& l : lines)
            if (l.size() == 2 && std::fabs(l[0] - hertz) < 1)
                return l[1];
        return 0.0;
    };
    // Until a spectrum of that record with the fundamental at 1 kHz came.
    PumpUntil([&] {
        const auto blocks = ParseBlocks(CopyDataText(charts[0]));
        lines = blocks.empty() ? decltype(lines){} : blocks.front();
        return lines.size() == 2000 && amplitudeAt(1000) > 1;
    }, 8000);
    ASSERT_EQ(lines.size(), 2000u) << "4001 samples give 2000 lines";
    EXPECT_NEAR(lines[1][0], 50.0, 0.01) << "50 Hz from line to line";
    const double fundamental = amplitudeAt(1000);
    EXPECT_NEAR(fundamental, 4 / kPi * 4.0, 0.05 * 4 / kPi * 4.0) << "a 4 V square's fundamental";
    for (int k : {3, 5}) {
        EXPECT_NEAR(amplitudeAt(1000.0 * k) / fundamental, 1.0 / k, 0.05 / k) << "harmonic " << k;
        EXPECT_LT(amplitudeAt(1000.0 * (k - 1)), 0.02 * fundamental) << "no even harmonic " << k - 1;
    }
}

TEST_F(AnalysisInstruments, BodeSweepOfTheLowPassMeetsItsCornerAndDrawsTheHalfCircle)
{
    // The generator as a user left it: its panel's 10 Hz row and one step of
    // amplitude sent, then the panel closed (it shares the generator).
    HWND generator = Open(kGenerator, L"FUNCTION GENERATOR");
    ASSERT_NE(generator, nullptr);
    Send(generator, {4237, 4222});
    PumpUntil([&] { return std::fabs(Generator().frequency - 10) < 0.01 && Generator().amplitude != 0; }, 3000);
    SendMessageW(generator, WM_CLOSE, 0, 0);
    const vexasim::GeneratorSettings before = Generator();
    ASSERT_NEAR(before.frequency, 10, 0.01);
    HWND plotter = Open(kBodePlotter, L"BODE PLOTTER");
    ASSERT_NE(plotter, nullptr);
    const std::vector<HWND> charts = Charts(plotter);
    ASSERT_EQ(charts.size(), 2u);
    // The default sweep: 10 Hz to 100 kHz, 41 points, logarithmic.
    Send(plotter, {200});
    std::vector<std::vector<double>> points;
    PumpUntil([&] {
        const auto blocks = ParseBlocks(CopyDataText(charts[0]));
        points = blocks.empty() ? decltype(points){} : blocks.back();
        return points.size() >= 41;
    }, 60000);
    ASSERT_EQ(points.size(), 41u) << "a point per requested frequency";
    const auto corner = std::min_element(points.begin(), points.end(), [](const auto& a, const auto& b) {
        return std::fabs(std::log(a[0] / 1000)) < std::fabs(std::log(b[0] / 1000));
    });
    ASSERT_EQ(corner->size(), 4u);
    EXPECT_NEAR((*corner)[0], 1000, 10);
    EXPECT_NEAR((*corner)[2], -3.01, 0.5) << "gain in dB at the corner";
    EXPECT_NEAR((*corner)[3], -45, 3) << "phase at the corner";
    EXPECT_NEAR(points.front()[2], 0, 0.2) << "no loss far below the corner";

    // The locus of a first-order low-pass: the circle through 0 and 1 below the axis.
    const auto locus = ParseBlocks(CopyDataText(charts[1]));
    ASSERT_FALSE(locus.empty());
    ASSERT_EQ(locus.back().size(), 41u);
    for (const auto& p : locus.back()) {
        EXPECT_NEAR(std::hypot(p[0] - 0.5, p[1]), 0.5, 0.03) << "Re " << p[0] << ", Im " << p[1];
        EXPECT_LE(p[1], 0.01);
    }

    // Closed, the plotter leaves the generator as it found it.
    ASSERT_TRUE(Generator().outputOn);
    SendMessageW(plotter, WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpUntil([&] { return Generator().outputOn == before.outputOn; }, 3000);
    EXPECT_EQ(Generator().outputOn, before.outputOn);
    EXPECT_NEAR(Generator().frequency, before.frequency, 0.01 * before.frequency);
    EXPECT_EQ(Generator().amplitude, before.amplitude);
}

}  // namespace
