#include "model/MetraHit.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace vexasim {

namespace {

// Ranges of the meters by their upper limit [V], with the digits' scale.
struct MeterRange {
    double limit;
    double scale;  // digits per volt
};

// Five-digit meters (18S, ONE/13S).
constexpr MeterRange kFiveDigit[] = {{0.3, 1e5}, {3, 1e4}, {30, 1e3}, {300, 1e2}, {1000, 1e1}};
// Six-digit meter (23S).
constexpr MeterRange kSixDigit[] = {{0.3, 1e6}, {3, 1e5}, {30, 1e4}, {300, 1e3}, {3000, 1e2}};

// Picks the lowest range up to maxRange that holds |volts| and returns its
// digits, or -1 for an overload (beyond the top range or the digits).
long Digits(const MeterRange* ranges, size_t maxRange, double digitLimit, double volts, uint8_t& range)
{
    const double v = std::fabs(volts);
    range = static_cast<uint8_t>(maxRange);
    for (size_t r = 0; r <= maxRange; ++r) {
        if (v < ranges[r].limit) {
            range = static_cast<uint8_t>(r);
            break;
        }
    }
    const double digits = std::round(v * ranges[range].scale);
    return v >= ranges[range].limit || digits >= digitLimit ? -1 : static_cast<long>(digits);
}

std::vector<uint8_t> FiveDigitAnswer(uint8_t first, size_t maxRange, double volts, bool dc)
{
    std::vector<uint8_t> a(10, 0);
    uint8_t range = 0;
    const long digits = Digits(kFiveDigit, maxRange, 1e5, volts, range);
    a[0] = first;
    a[1] = static_cast<uint8_t>('0' + (dc ? 3 : 2));
    a[4] = static_cast<uint8_t>(range | (volts < 0 ? 8 : 0));
    char text[24];
    std::snprintf(text, sizeof text, "%05ld", digits < 0 ? 0 : digits);
    for (size_t i = 0; i < 5; ++i)
        a[5 + i] = digits < 0 ? ':' : static_cast<uint8_t>(text[i]);
    return a;
}

std::vector<uint8_t> Answer23S(double volts, bool dc)
{
    std::vector<uint8_t> a(9, 0);
    uint8_t range = 0;
    long digits = Digits(kSixDigit, 4, 1e6, volts, range);
    a[0] = digits < 0 ? 0x21 : 0x01;
    a[1] = dc ? 1 : 3;
    a[2] = range;
    if (digits < 0)
        digits = 999999;
    for (int i = 5; i >= 0; --i) {
        a[3 + static_cast<size_t>(i)] = static_cast<uint8_t>(digits % 10);
        digits /= 10;
    }
    if (volts < 0)
        a[2] |= 0x08;  // bit 0x800 of the word a[2] a[3]
    return a;
}

std::vector<uint8_t> AnswerTeach(double volts, bool dc)
{
    std::vector<uint8_t> a(30, 0);
    char text[32];
    const int n = std::snprintf(text, sizeof text, "0\r\n%s,%.4E\r", dc ? "VDC" : "VAC", volts);
    std::memcpy(a.data(), text, n > 0 && static_cast<size_t>(n) < a.size() ? static_cast<size_t>(n) : a.size());
    return a;
}

} // namespace

size_t MetraHitAnswerSize(MetraHitRequest request)
{
    switch (request) {
    case MetraHitRequest::P: return 9;
    case MetraHitRequest::Q: return 10;
    default: return 30;
    }
}

std::vector<uint8_t> MetraHitAnswer(MetraHitModel model, MetraHitRequest request, double volts, bool dc)
{
    switch (model) {
    case MetraHitModel::M23S:
        if (request == MetraHitRequest::P)
            return Answer23S(volts, dc);
        break;
    case MetraHitModel::One13S:
        if (request == MetraHitRequest::Q)
            return FiveDigitAnswer(8, 3, volts, dc);
        break;
    case MetraHitModel::M18S:
        if (request == MetraHitRequest::Q)
            return FiveDigitAnswer(13, 4, volts, dc);
        break;
    case MetraHitModel::Teach:
        if (request == MetraHitRequest::T)
            return AnswerTeach(volts, dc);
        break;
    case MetraHitModel::None: break;
    }
    return std::vector<uint8_t>(MetraHitAnswerSize(request), 0);
}

} // namespace vexasim
