// Zoom arithmetic of front panels: panel units to device pixels and back,
// the two zoom levels from the registry scaled to the screen's dpi, and the
// fitting of the second level onto a small desktop.
#pragma once

#include <cstdint>

#include "framework/Settings.h"
#include "framework/Geometry.h"

// a × b / c rounded to the nearest integer (halves away from zero), as the
// platform's MulDiv does; -1 when c is 0.
int32_t MulDivRound(int32_t a, int32_t b, int32_t c);

struct CZoomRatio {
    int32_t num = 100;
    int32_t den = 100;

    bool IsOne() const { return num == den; }
    int32_t ToDevice(int32_t v) const { return MulDivRound(v, num, den); }
    int32_t ToPanel(int32_t v) const { return MulDivRound(v, den, num); }
    CPoint ToDevice(CPoint p) const { return {ToDevice(p.x), ToDevice(p.y)}; }
    CPoint ToPanel(CPoint p) const { return {ToPanel(p.x), ToPanel(p.y)}; }
    CRect ToDevice(const CRect& r) const { return {ToDevice(r.left), ToDevice(r.top), ToDevice(r.right), ToDevice(r.bottom)}; }
    CRect ToPanel(const CRect& r) const { return {ToPanel(r.left), ToPanel(r.top), ToPanel(r.right), ToPanel(r.bottom)}; }
    bool operator==(const CZoomRatio&) const = default;
};

// The two levels, read once per process.
struct CZoomSettings {
    CZoomRatio first;
    CZoomRatio second{200, 100};

    // "ZoomNom", "ZoomDenom", "ZoomNom2", "ZoomDenom2" (16-bit, local machine),
    // then both numerators scaled by dpi / 96.
    static CZoomSettings Read(ISettingsStore& settings, int32_t dpi);
};

// The numerator that makes a panel fit: for each direction in which
// panel × num / den + frameExtra overflows the desktop, the largest
// percentage that fits; the smaller of the two. Returns num unchanged when
// the panel fits.
int32_t FitZoomNumerator(const CZoomRatio& wanted, CSize panel, CSize frameExtra, CSize desktop);

// Converts a user's resize of dx device pixels into panel units, carrying
// the remainder of the division to the next resize.
int32_t DeviceDeltaToPanel(int32_t dx, const CZoomRatio& zoom, int32_t& remainder);
