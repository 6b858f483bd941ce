// The one timing loop the benchmarks share.
#pragma once

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <string>

namespace vexabench {

// Mean wall-clock time of one call of f over `runs` calls, in microseconds.
template <class F>
double MicrosecondsPer(int runs, F f)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i)
        f();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / runs;
}

// Calls f until at least `seconds` passed (and at least once); the mean
// time of one call in microseconds. For figures whose size is not known.
template <class F>
double MicrosecondsFor(double seconds, F f)
{
    const auto start = std::chrono::steady_clock::now();
    int runs = 0;
    std::chrono::duration<double> spent{};
    do {
        f();
        ++runs;
        spent = std::chrono::steady_clock::now() - start;
    } while (spent.count() < seconds);
    return spent.count() * 1e6 / runs;
}

inline std::string Format(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// One row of the table scripts/bench.sh gathers from every benchmark's
// output: what was measured, the figure, and the goal beside it.
inline void Row(const std::string& measure, const std::string& figure, const std::string& goal)
{
    std::printf("@row\t%s\t%s\t%s\n", measure.c_str(), figure.c_str(), goal.c_str());
}

}  // namespace vexabench
