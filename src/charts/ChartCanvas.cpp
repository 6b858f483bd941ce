#include "charts/ChartCanvas.h"

#include <cstdlib>

int32_t MultiplyDivide(int32_t a, int32_t b, int32_t c)
{
    if (c == 0)
        return 0;
    int64_t product = int64_t(a) * b;
    int64_t divisor = c;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    const int64_t half = divisor / 2;
    return int32_t((product >= 0 ? product + half : product - half) / divisor);
}

CArchive& operator<<(CArchive& ar, const ChartPen& pen)
{
    return ar << pen.style << pen.width << pen.widthY << pen.colour;
}

CArchive& operator>>(CArchive& ar, ChartPen& pen)
{
    return ar >> pen.style >> pen.width >> pen.widthY >> pen.colour;
}

FontRecord FontForResolution(const FontRecord& font, int32_t resolutionY)
{
    FontRecord scaled = font;
    // A damaged font keeps a readable size rather than none or a giant.
    const int32_t points = std::abs(font.height) > 0 && std::abs(font.height) <= 400 ? std::abs(font.height) : 8;
    const int32_t pixels = MultiplyDivide(points, resolutionY > 0 ? resolutionY : 96, 72);
    scaled.height = font.height > 0 ? pixels : -pixels;
    return scaled;
}

int32_t ScaleToResolution(int32_t screenPixels, int32_t resolution)
{
    return MultiplyDivide(screenPixels, resolution > 0 ? resolution : 96, 96);
}
