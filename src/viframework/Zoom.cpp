#include "viframework/Zoom.h"

#include <algorithm>

int32_t MulDivRound(int32_t a, int32_t b, int32_t c)
{
    if (c == 0)
        return -1;
    const int64_t product = int64_t(a) * b;
    const int64_t divisor = c;
    const bool negative = (product < 0) != (divisor < 0);
    const int64_t magnitude = (std::abs(product) + std::abs(divisor) / 2) / std::abs(divisor);
    const int64_t result = negative ? -magnitude : magnitude;
    if (result > INT32_MAX || result < INT32_MIN)
        return -1;
    return int32_t(result);
}

CZoomSettings CZoomSettings::Read(ISettingsStore& settings, int32_t dpi)
{
    const CString key = u"Software\\Brennick\\Common\\Virtual Instruments";
    auto value = [&](const char16_t* name, int32_t fallback) {
        const auto stored = settings.ReadNumber(SettingsHive::LocalMachine, key, name);
        // Stored as 16-bit numbers; zero would make the ratio meaningless.
        const int32_t v = stored ? int32_t(uint16_t(*stored)) : fallback;
        return v > 0 ? v : fallback;
    };
    CZoomSettings zoom;
    zoom.first = {value(u"ZoomNom", 100), value(u"ZoomDenom", 100)};
    zoom.second = {value(u"ZoomNom2", 200), value(u"ZoomDenom2", 100)};
    if (dpi > 0) {
        zoom.first.num = MulDivRound(zoom.first.num, dpi, 96);
        zoom.second.num = MulDivRound(zoom.second.num, dpi, 96);
    }
    return zoom;
}

int32_t FitZoomNumerator(const CZoomRatio& wanted, CSize panel, CSize frameExtra, CSize desktop)
{
    int32_t num = wanted.num;
    auto fit = [&](int32_t panelExtent, int32_t extra, int32_t desktopExtent) {
        if (panelExtent <= 0)
            return;
        if (wanted.ToDevice(panelExtent) + extra <= desktopExtent)
            return;
        const int32_t percent = int32_t(double(desktopExtent - extra) / panelExtent * 100.0);
        num = std::min(num, percent);
    };
    fit(panel.cx, frameExtra.cx, desktop.cx);
    fit(panel.cy, frameExtra.cy, desktop.cy);
    return num;
}

int32_t DeviceDeltaToPanel(int32_t dx, const CZoomRatio& zoom, int32_t& remainder)
{
    if (zoom.IsOne() || zoom.num == 0)
        return dx;
    const int32_t scaled = zoom.den * dx + remainder;
    const int32_t result = scaled / zoom.num;
    remainder = scaled - result * zoom.num;
    return result;
}
