// The simulator's time in seconds. The box runs on the real clock; tests use
// a manual one so that acquisitions complete exactly when they say.
#pragma once

#include <atomic>
#include <chrono>

namespace vexasim {

class ISimClock {
public:
    virtual ~ISimClock() = default;
    // Seconds since some fixed start; never decreases.
    virtual double Now() const = 0;
};

class CSteadyClock : public ISimClock {
public:
    double Now() const override
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    }

private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

class CManualClock : public ISimClock {
public:
    double Now() const override { return m_now.load(); }
    void Set(double seconds) { m_now.store(seconds); }
    void Advance(double seconds) { m_now.store(m_now.load() + seconds); }

private:
    std::atomic<double> m_now{0.0};
};

} // namespace vexasim
