#include "interface/InterfaceVI.h"

#include <chrono>

#include "viframework/UpdateGate.h"

using Clock = std::chrono::steady_clock;

// ---------------------------------------------------------------- stream

void CStreamDevice::SetStream(std::unique_ptr<CStreamIO> stream)
{
    m_stream = std::move(stream);
}

// ---------------------------------------------------------------- instruments

CInterfaceVI::~CInterfaceVI()
{
    ShutDownPolling();
}

bool CInterfaceVI::CheckResources(const uint32_t* record)
{
    return m_events.CheckResourcesFree(record, m_services.strings, m_services.ui);
}

void CInterfaceVI::RegisterInstrument(CVIEventSink* sink)
{
    m_events.AddSink(sink);
    if (sink->State() == kSinkActive)
        AddPoller();
}

void CInterfaceVI::ForgetInstrument(CVIEventSink* sink)
{
    std::lock_guard<std::recursive_mutex> dispatch(m_dispatchLock);
    if (m_events.RemoveSink(sink)) {
        sink->SetState(kSinkReleased);
        if (m_pollerCount.load() > 0)
            m_pollerCount.fetch_sub(1);
    }
}

void CInterfaceVI::DispatchEvents(uint32_t code)
{
    std::lock_guard<std::recursive_mutex> dispatch(m_dispatchLock);
    const int removed = m_events.Dispatch(code, reinterpret_cast<uintptr_t>(m_stream.get()), m_unitLock);
    if (removed > 0)
        m_pollerCount.fetch_sub(removed);
}

void CInterfaceVI::CloseAllInstruments(uint32_t timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_events.GetCount() > 0) {
        if (!IsPolling()) {
            // Nobody else retires them: every window is asked once, the closed
            // ones go with the same last event, and a window that stays open
            // is not asked again and again. (All of them, not just the first:
            // closing all must not leave the rest open.)
            for (CVIEventSink* sink : m_events.Snapshot())
                sink->SendToWindow(kCloseMessage, 0, 0, false);
            std::lock_guard<std::recursive_mutex> dispatch(m_dispatchLock);
            const int removed = m_events.RetireDetached(reinterpret_cast<uintptr_t>(m_stream.get()), m_unitLock);
            if (removed > 0)
                m_pollerCount.fetch_sub(removed);
            return;
        }
        if (CVIEventSink* first = m_events.GetAt(0))
            first->SendToWindow(kCloseMessage, 0, 0, false);
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollCycleMs));
        if (Clock::now() >= deadline)
            break;
    }
}

void CInterfaceVI::ReportStreamException(const CStreamException& fault)
{
    m_services.ui.Beep();
    m_services.ui.ShowMessage(m_services.strings.LoadText(fault.ErrorCode()), MessageIcon::None);
}

void CInterfaceVI::OnConnectionLost(const CStreamException& fault)
{
    m_pollRequest = false;  // at once: a polling thread must not begin another cycle
    ReportStreamException(fault);
    std::vector<CVIEventSink*> sinks;
    {
        // Under the dispatch lock no event is being delivered; once released,
        // none reaches these sinks again.
        std::lock_guard<std::recursive_mutex> dispatch(m_dispatchLock);
        sinks = m_events.Snapshot();
        for (CVIEventSink* sink : sinks)
            sink->SetState(kSinkReleased);
    }
    for (CVIEventSink* sink : sinks)
        sink->SendToWindow(kCloseMessage, 0, 0, false);
    const int removed = m_events.RemoveIf([](CVIEventSink* s) { return s->State() == kSinkReleased; });
    if (removed > 0)
        m_pollerCount.fetch_sub(removed);
}

// ---------------------------------------------------------------- polling

bool CInterfaceVI::OnPollingThread() const
{
    return m_pollThreadId.load() == std::this_thread::get_id();
}

int CInterfaceVI::PollLoop()
{
    bool idle = false;
    if (!m_running.compare_exchange_strong(idle, true))
        return 1;
    m_pollThreadId = std::this_thread::get_id();
    for (;;) {
        try {
            OnPollStart();
            while (m_pollerCount.load() > 0 && m_pollRequest.load()) {
                const auto start = Clock::now();
                ServiceUnits();
                if (PollStep()) {
                    DispatchEvents(kEventPoll);
                    std::this_thread::sleep_until(start + std::chrono::milliseconds(kPollCycleMs));
                }
            }
            OnPollEnd();
        } catch (const CStreamException& fault) {
            OnConnectionLost(fault);
        }
        m_running = false;
        // An instrument registered just as the loop ended found the flag still
        // set and started no thread: carry on for it unless another took over.
        bool stopped = false;
        if (m_pollerCount.load() > 0 && m_pollRequest.load() && m_running.compare_exchange_strong(stopped, true))
            continue;
        break;
    }
    if (!m_pollRequest.load())
        m_pollerCount = 0;
    m_pollThreadId = std::thread::id();
    return 0;
}

void CInterfaceVI::StartPollingThread()
{
    m_pollRequest = true;
    std::lock_guard<std::mutex> g(m_threadsLock);
    for (auto it = m_threads.begin(); it != m_threads.end();) {
        if (it->done->load()) {
            it->thread.join();
            it = m_threads.erase(it);
        } else {
            ++it;
        }
    }
    auto done = std::make_shared<std::atomic<bool>>(false);
    m_threads.push_back({std::thread([this, done] {
                             PollLoop();
                             done->store(true);
                         }),
                         done});
}

void CInterfaceVI::AddPoller()
{
    if (m_pollerCount.fetch_add(1) + 1 == 1)
        StartPollingThread();
}

void CInterfaceVI::WaitUntilStopped()
{
    m_pollRequest = false;
    // The polling thread cannot wait for itself. A thread that was started
    // but has not begun its loop yet counts too: it would run after the stop.
    if (!OnPollingThread()) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(kStopWaitMs);
        while ((m_running.load() || AnyThreadUnfinished()) && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    m_pollerCount = 0;
}

bool CInterfaceVI::AnyThreadUnfinished()
{
    std::lock_guard<std::mutex> g(m_threadsLock);
    for (const PollThread& t : m_threads)
        if (!t.done->load())
            return true;
    return false;
}

void CInterfaceVI::RemovePoller()
{
    if (m_pollerCount.fetch_sub(1) - 1 <= 0)
        WaitUntilStopped();
}

bool CInterfaceVI::StopPolling()
{
    // Instruments waiting for a thread that is only starting are polled too:
    // the thread's flag alone would forget them.
    const bool wasRunning = m_running.load() || m_pollerCount.load() > 0;
    m_pollerCount.exchange(1);
    RemovePoller();
    return wasRunning;
}

void CInterfaceVI::ResumePolling()
{
    int active = 0;
    for (CVIEventSink* sink : m_events.Snapshot())
        if (sink->State() == kSinkActive)
            ++active;
    if (active == 0)
        return;
    m_pollerCount = active;
    StartPollingThread();
}

void CInterfaceVI::ShutDownPolling()
{
    StopPolling();
    std::lock_guard<std::mutex> g(m_threadsLock);
    // Every step of a cycle is bounded (stream time-outs, 2000 ms sends), so
    // a thread still finishing its cycle ends soon.
    for (PollThread& t : m_threads)
        t.thread.join();
    m_threads.clear();
}
