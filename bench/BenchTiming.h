// The one timing loop the benchmarks share.
#pragma once

#include <chrono>

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

}  // namespace vexabench
