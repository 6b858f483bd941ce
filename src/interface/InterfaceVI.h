// CStreamDevice owns the stream to the interface; CInterfaceVI adds the
// instruments: the event hub, the polling thread and event dispatch.
//
// Threads: the host's user-interface thread (connect, instruments, archive)
// and at most one polling thread. Locks, outermost first: the event-dispatch
// lock, the hub's lock, the list's lock, the unit lock (around every exchange
// with the interface that the polling thread may overlap). The poller count
// and the running flag are shared without a lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "framework/CmdTarget.h"
#include "interface/Services.h"
#include "interface/StreamIO.h"
#include "viframework/EventSink.h"

class CStreamDevice : public CCmdTarget {
public:
    CStreamIO* Stream() const { return m_stream.get(); }
    bool HasStream() const { return m_stream != nullptr; }
    bool IsConnected() const { return m_stream && m_stream->IsConnected(); }
    const CString& Identification() const { return m_identification; }

protected:
    // Replaces (or, with null, drops) the stream; the old one is deleted.
    virtual void SetStream(std::unique_ptr<CStreamIO> stream);

    std::unique_ptr<CStreamIO> m_stream;
    CString m_identification;
};

// Event codes the interface object raises.
constexpr uint32_t kEventPoll = 10;       // every polling pass
constexpr uint32_t kEventMeterData = 80;  // a multimeter block was read

constexpr uint32_t kPollCycleMs = 50;
constexpr uint32_t kStopWaitMs = 5001;
constexpr uint32_t kCloseAllWaitMs = 10000;

class CInterfaceVI : public CStreamDevice {
public:
    explicit CInterfaceVI(InterfaceServices services) : m_services(services) {}
    ~CInterfaceVI() override;

    virtual bool Identify() = 0;
    // Whether the ten-word resource record is free; tells the user otherwise.
    virtual bool CheckResources(const uint32_t* record);
    virtual void SerializeAll(CArchive& ar) = 0;
    // One pass of events to the instruments, under the event-dispatch lock.
    virtual void DispatchEvents(uint32_t code);
    virtual bool Disconnect() = 0;
    // The polling thread's body: 1 when another poller already runs, else 0.
    virtual int PollLoop();
    virtual void OnPollStart() {}
    // True: dispatch this cycle.
    virtual bool PollStep() { return true; }
    virtual void OnPollEnd() {}
    virtual void ServiceUnits() {}
    // Reports a transport fault and closes every instrument.
    virtual void OnConnectionLost(const CStreamException& fault);

    // Registers an opened instrument; an active one joins the pollers.
    void RegisterInstrument(CVIEventSink* sink);
    // Drops an instrument whose window is going away although no dispatch
    // released it (polling had stopped): it must not be reached again.
    void ForgetInstrument(CVIEventSink* sink);
    // Asks every instrument window to close and waits, at most timeoutMs.
    void CloseAllInstruments(uint32_t timeoutMs = kCloseAllWaitMs);

    // One more instrument needs polling; the first starts the thread.
    void AddPoller();
    // One instrument less; the last stops the thread (waiting at most 5001 ms).
    void RemovePoller();
    // Stops polling whatever the count; true when instruments were polled.
    bool StopPolling();
    // Polls again for the active instruments after StopPolling.
    void ResumePolling();

    bool IsPolling() const { return m_running.load(); }
    int PollerCount() const { return m_pollerCount.load(); }
    CVIEventHub& Events() { return m_events; }
    std::recursive_mutex& UnitLock() { return m_unitLock; }
    // A loss was handled and no new stream came: the units are going or gone,
    // so a window closing now must not reach for its unit.
    bool IsConnectionLost() const { return m_connectionLost.load(); }

protected:
    // Ends every polling thread; for the destructors of derived classes.
    void ShutDownPolling();
    void ReportStreamException(const CStreamException& fault);
    bool OnPollingThread() const;

    InterfaceServices m_services;
    std::recursive_mutex m_dispatchLock;
    std::recursive_mutex m_unitLock;
    CVIEventHub m_events;
    std::atomic<bool> m_pollRequest{false};
    std::atomic<bool> m_running{false};
    std::atomic<int32_t> m_pollerCount{0};
    std::atomic<bool> m_connectionLost{false};  // a loss is handled; reset by a new stream

private:
    void StartPollingThread();
    void WaitUntilStopped();
    bool AnyThreadUnfinished();

    struct PollThread {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::mutex m_threadsLock;
    std::vector<PollThread> m_threads;
    std::atomic<std::thread::id> m_pollThreadId{};
};
