// CLockedFlags: a lock for settings that several fields make up, and a word of
// pending-change bits. Bits are marked with an atomic OR and taken with one
// atomic exchange, so a change made while Flush sends is sent by the next one.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <utility>

class CLockedFlags {
public:
    // Recursive, as the platform's critical sections are: a setter that steps a
    // value may run while its caller holds the lock.
    void Lock() { m_lock.lock(); }
    // Marks bits as pending and leaves the lock.
    void Unlock(uint32_t bits)
    {
        m_pending.fetch_or(bits);
        m_lock.unlock();
    }
    void MarkChanged(uint32_t bits) { m_pending.fetch_or(bits); }
    // Stores one setting under the lock and marks its bits.
    template <class T, class U>
    void Set(T& field, U&& value, uint32_t bits)
    {
        m_lock.lock();
        try {
            field = std::forward<U>(value);
        } catch (...) {
            m_lock.unlock();
            throw;
        }
        Unlock(bits);
    }
    uint32_t TakeChanged() { return m_pending.exchange(0); }
    uint32_t Pending() const { return m_pending.load(); }

    // Lowers value by step, not below lowest; true and bits marked when it changed.
    bool StepDownInt(int32_t& value, int32_t step, int32_t lowest, uint32_t bits);
    // Raises value by step, not above highest; true and bits marked when it changed.
    bool StepUpInt(int32_t& value, int32_t step, int32_t highest, uint32_t bits);
    bool StepDownReal(double& value, double step, double lowest, uint32_t bits);
    bool StepUpReal(double& value, double step, double highest, uint32_t bits);

private:
    template <class T>
    bool Store(T& value, T next, uint32_t bits);

    std::recursive_mutex m_lock;
    std::atomic<uint32_t> m_pending{0};
};
