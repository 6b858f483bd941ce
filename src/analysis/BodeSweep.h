// The Bode plotter's sweep: for each frequency from start to stop the box
// plays a sine on its generator, samples one period of channels A (the
// circuit's output) and B (the generator) and the plotter evaluates gain and
// phase. The sweep is a state machine that the pane's update step advances
// one state per call on the polling thread, with the unit lock held; the
// window thread reads its status and the measurement sets.
#pragma once

#include <cstdint>
#include <mutex>

#include "analysis/BodeData.h"
#include "analysis/BodeMath.h"
#include "units/FuncGen.h"
#include "units/Scope.h"
#include "units/ScopeBuffer.h"

// String ids of the resource library that say which setting is out of bounds.
constexpr uint32_t kBodeStartOutOfBounds = 20080;      // start above stop, or below 0.0001 Hz
constexpr uint32_t kBodeStopTooHigh = 20081;           // stop above the interface's highest frequency
constexpr uint32_t kBodePointsOutOfBounds = 20082;     // points outside 2 … 1000
constexpr uint32_t kBodeAveragesOutOfBounds = 20083;   // averages outside 1 … 1000
constexpr uint32_t kBodeGeneratorOutOfBounds = 20084;  // amplitude, offset or settling time

// A frequency as the box can produce it, and the parameters that ask for it.
struct BodeFrequency {
    bool lowFrequency = false;  // below 1 Hz: the box steps the generator itself
    uint8_t byteParameter = 0;  // fraction C of the dividers (level 1); 0 at low frequency
    uint16_t first = 0;         // divider A; at low frequency the step [100 µs]
    uint16_t second = 0;        // divider B; at low frequency the steps per period
    double frequency = 0.0;     // produced [Hz]
    uint32_t samples = 0;       // samples of one period of each channel (N)
};
// From 1 Hz the generator's dividers of the variant level (N = divider A),
// below it the low-frequency step and steps per period.
BodeFrequency BodeQuantise(int variantLevel, double clock, double hertz);

struct BodeSettings {
    double start = 10.0;      // [Hz]
    double stop = 10000.0;    // [Hz]
    int32_t points = 50;
    int32_t amplitude = 10;   // [0.1 V] 1 … 100
    int32_t offset = 0;       // [0.1 V] 0 … 100
    int32_t averages = 1;
    int32_t settlingMs = 0;   // 0 … 9000
    bool logarithmic = true;
    int32_t rangeA = 6;       // range index of channel A, 0 (100 mV) … 8 (50 V)
    int32_t couplingA = kCouplingDC;
    bool autorange = false;
};

constexpr double kBodeLowestFrequency = 0.0001;  // [Hz]
// The generator's top frequency at a variant level [Hz].
double BodeHighestFrequency(int variantLevel);
// 0 when every setting is within its bounds, else the string id of the first that is not.
uint32_t BodeValidate(const BodeSettings& settings, int variantLevel);

// What the pane shows while a sweep runs.
struct BodeSweepStatus {
    int32_t state = 0;
    bool running = false;
    double frequency = 0.0;   // being measured [Hz]
    int32_t pointIndex = 0;
    int32_t received = 0;     // low-frequency samples of channel A arrived so far
    bool measured = false;    // `last` holds a measurement of this sweep
    BodeMeasurement last;     // gain, phase, overflow of the last record evaluated
};

class CBodeSweep {
public:
    enum State : int32_t {
        kIdle = 0,
        kSetUpGenerator = 1,
        kSetUpMeasurement = 2,
        kSettling = 3,
        kStartMeasurement = 4,
        kMeasuring = 5,
        kNextFrequency = 6,
        kStopping = 7,
    };
    static constexpr uint32_t kGeneratorWaitMs = 500;
    static constexpr int32_t kSineWaveform = 0;

    CBodeSweep(CScope& scope, CFuncGen& generator, CBodeSets& sets);

    // The pane's start: generator output off, channel A's range and coupling,
    // the generator's pending settings sent, a new set appended; the sweep
    // then runs from state 1. Returns 0, or the string id of a setting out of
    // bounds (and then does nothing).
    uint32_t Start(const BodeSettings& settings);
    // The sweep stops with the next step; its set keeps the points measured.
    void Stop();
    // Advances one state at tick count nowMs [ms]; true when something
    // changed that the window shows. Stream faults end the sweep and
    // propagate (the connection-loss path); the points measured stay.
    bool Step(uint32_t nowMs);

    // Window thread.
    BodeSweepStatus Status() const;

private:
    void SetUpGenerator(uint32_t nowMs);
    void SendMeasurementSetUp();
    bool Poll();
    void Evaluate();
    bool NextFrequency();
    void Measure(const BodeFrequency& frequency);
    BodeFrequency Quantise(double hertz) const;
    void Publish();

    CScope& m_scope;
    CFuncGen& m_generator;
    CBodeSets& m_sets;

    BodeSettings m_settings;
    int32_t m_state = kIdle;
    bool m_running = false;
    BodeFrequency m_frequency;   // being measured
    double m_last = 0.0;         // last frequency measured [Hz]
    bool m_skipping = false;     // linear: m_request made no higher frequency
    double m_request = 0.0;      // [Hz]
    int32_t m_pointIndex = 0;
    int32_t m_remaining = 0;     // measurements still to average
    double m_gainSum = 0.0;
    double m_phaseSum = 0.0;
    bool m_waiting = false;      // the generator settles until m_waitUntil
    uint32_t m_waitUntil = 0;
    uint32_t m_setUpTime = 0;    // of the measurement set-up, for the settling time
    bool m_measured = false;
    BodeMeasurement m_measurement;
    CScopeBuffer m_buffers[2];   // channels A and B: rolling samples, then the record

    mutable std::mutex m_statusLock;
    BodeSweepStatus m_status;
};
