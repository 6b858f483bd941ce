// The Bode plotter's measurement sets. CBodeData is one sweep: frequency,
// angular frequency, gain, gain in dB and phase of each point measured.
// CBodeSets holds the sweeps in the order measured (newest last); the sweep
// adds points on the polling thread while the window thread draws, so the
// window sees the sets only as copies.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "framework/Archive.h"

class CBodeData {
public:
    static constexpr int32_t kSweepCapacity = 5000;
    // No sweep has more than 1000 points; a stored capacity far beyond that
    // is damage, and must not ask for a huge allocation.
    static constexpr int32_t kMaxCapacity = 100000;
    static constexpr uint32_t kSchema = 2;

    explicit CBodeData(int32_t capacity = kSweepCapacity);

    int32_t Capacity() const { return m_capacity; }
    int32_t Count() const { return static_cast<int32_t>(m_frequency.size()); }
    bool Visible() const { return m_visible != 0; }
    void SetVisible(bool on) { m_visible = on ? 1 : 0; }

    // A capacity other than the current one (limited to 0 … kMaxCapacity)
    // discards every point.
    void SetCapacity(int32_t capacity);
    // f [Hz], gain (A over B), phase [°]; false when the set is full and the
    // point was dropped.
    bool AddPoint(double frequency, double gain, double phase);

    std::span<const double> Frequency() const { return m_frequency; }         // [Hz]
    std::span<const double> AngularFrequency() const { return m_angular; }    // [1/s]
    std::span<const double> Gain() const { return m_gain; }
    std::span<const double> GainDb() const { return m_gainDb; }               // [dB]
    std::span<const double> Phase() const { return m_phase; }                 // [°]

    // Schema word, capacity, count, then count doubles of frequency, angular
    // frequency, gain, gain in dB and phase. A damaged archive throws
    // CArchiveException and leaves the set as it was.
    void Serialize(CArchive& ar);

private:
    int32_t m_capacity;
    int32_t m_visible = 1;
    // Sized to the points measured (reserved to the capacity), so that a copy
    // for the window costs only what was measured.
    std::vector<double> m_frequency, m_angular, m_gain, m_gainDb, m_phase;
};

// What the Bode views ask of the window that owns the sets.
class IBodeDataSupplier {
public:
    virtual ~IBodeDataSupplier() = default;
    virtual int32_t SetCount() const = 0;
    // index −1 deletes every set; an index out of range does nothing.
    virtual void DeleteSet(int32_t index) = 0;
    // A copy of set index, or none for an index out of range.
    virtual std::optional<CBodeData> GetSet(int32_t index) const = 0;
};

class CBodeSets : public IBodeDataSupplier {
public:
    static constexpr uint32_t kSchema = 1;
    // More sets than anyone measures in a session; beyond it an archive is damaged.
    static constexpr int32_t kMaxSets = 10000;

    int32_t SetCount() const override;
    void DeleteSet(int32_t index) override;
    std::optional<CBodeData> GetSet(int32_t index) const override;

    // Appends a set as the newest; returns its index.
    int32_t Append(CBodeData set);
    // Adds a point to the newest set; false when there is none or it is full.
    bool AddPoint(double frequency, double gain, double phase);
    void SetVisible(int32_t index, bool on);
    // Copies of every set, oldest first, taken at one moment.
    std::vector<CBodeData> Snapshot() const;

    // Schema word, set count, then each set. Loading replaces the sets only
    // when the whole archive was read.
    void Serialize(CArchive& ar);

private:
    bool IsIndex(int32_t index) const { return index >= 0 && index < static_cast<int32_t>(m_sets.size()); }

    mutable std::mutex m_lock;
    std::vector<CBodeData> m_sets;
};
