#include "viframework/EventSink.h"

#include <algorithm>

#include "framework/UserInteraction.h"

namespace {
constexpr uint32_t kMessageResourceConflict = 5019;
}

// ---------------------------------------------------------------- sink

bool CVIEventSink::SendToWindow(uint32_t message, uintptr_t wParam, intptr_t lParam, bool wait)
{
    const WindowHandle window = Window();
    if (State() == kSinkDetached || window == 0)
        return false;
    IWindowBridge& bridge = WindowBridge();
    if (!bridge.IsWindow(window))
        return false;
    if (wait) {
        bridge.Send(window, message, wParam, lParam);
        return true;
    }
    return bridge.SendWithTimeout(window, message, wParam, lParam, kUpdateTimeoutMs);
}

void CVIEventSink::Detach()
{
    m_window.store(0);
    int expected = State();
    // One-way: a released sink stays released.
    while (expected != kSinkReleased && !m_state.compare_exchange_weak(expected, kSinkDetached)) {
    }
}

void CVIEventSink::OnPanelReady(WindowHandle window)
{
    m_window.store(window);
    SetState(kSinkActive);
}

bool CVIEventSink::SharesResources(const uint32_t* record) const
{
    for (int i = 0; i < kResourceWords; ++i)
        if (m_resourceMask[i] & record[i])
            return true;
    return false;
}

// ---------------------------------------------------------------- list

int CVIEventArray::GetCount() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return static_cast<int>(m_sinks.size());
}

CVIEventSink* CVIEventArray::GetAt(int index) const
{
    // Locked too: the user-interface thread may append while the polling
    // thread reads, and an append can move the storage.
    std::lock_guard<std::mutex> g(m_lock);
    return index >= 0 && index < static_cast<int>(m_sinks.size()) ? m_sinks[index] : nullptr;
}

void CVIEventArray::Add(CVIEventSink* sink)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_sinks.push_back(sink);
}

void CVIEventArray::Remove(CVIEventSink* sink)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_sinks.erase(std::remove(m_sinks.begin(), m_sinks.end(), sink), m_sinks.end());
}

std::vector<CVIEventSink*> CVIEventArray::Snapshot() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_sinks;
}

// ---------------------------------------------------------------- hub

void CVIEventHub::AddSink(CVIEventSink* sink)
{
    std::lock_guard<std::recursive_mutex> g(m_lock);
    m_sinks.Add(sink);
}

int CVIEventHub::RetireDetached(uintptr_t value, std::recursive_mutex& unitLock)
{
    std::lock_guard<std::recursive_mutex> g(m_lock);
    int removed = 0;
    for (CVIEventSink* sink : m_sinks.Snapshot()) {
        if (sink->State() != kSinkDetached)
            continue;
        {
            std::lock_guard<std::recursive_mutex> units(unitLock);
            sink->OnEvent(kEventClosing, value);
        }
        // Out of the list before it is released: once released, its window may
        // destroy it at any moment.
        m_sinks.Remove(sink);
        sink->SetState(kSinkReleased);
        ++removed;
    }
    return removed;
}

int CVIEventHub::Dispatch(uint32_t code, uintptr_t value, std::recursive_mutex& unitLock)
{
    const int removed = RetireDetached(value, unitLock);
    const uint32_t updateMessage = WindowBridge().UpdateMessage();
    const int count = m_sinks.GetCount();
    for (int i = 0; i < count; ++i) {
        CVIEventSink* sink = m_sinks.GetAt(i);
        if (sink == nullptr || sink->State() != kSinkActive)
            continue;
        bool wantsUpdate;
        {
            std::lock_guard<std::recursive_mutex> units(unitLock);
            wantsUpdate = sink->OnEvent(code, value);
        }
        // The send happens outside the unit lock: the window's update handler
        // talks to the units itself.
        if (wantsUpdate && sink->State() == kSinkActive &&
            !sink->SendToWindow(updateMessage, code, static_cast<intptr_t>(value), false))
            break;
    }
    return removed;
}

CVIEventSink* CVIEventHub::FindSink(uint32_t id) const
{
    for (CVIEventSink* sink : m_sinks.Snapshot())
        if (sink->m_id == id)
            return sink;
    return nullptr;
}

bool CVIEventHub::IsAnyVisible() const
{
    for (CVIEventSink* sink : m_sinks.Snapshot())
        if (sink->IsInstrumentVisible())
            return true;
    return false;
}

bool CVIEventHub::IsResourceUsed(int word, uint32_t bits) const
{
    if (word < 0 || word >= kResourceWords)
        return false;
    for (CVIEventSink* sink : m_sinks.Snapshot())
        if (sink->m_resourceMask[word] & bits)
            return true;
    return false;
}

CVIEventSink* CVIEventHub::FindResourceConflict(const uint32_t* mask, const CVIEventSink* except) const
{
    for (CVIEventSink* sink : m_sinks.Snapshot())
        if (sink != except && sink->SharesResources(mask))
            return sink;
    return nullptr;
}

bool CVIEventHub::CheckResourcesFree(const uint32_t* mask, IStringSource& strings, IUserInteraction& ui,
                                     uint32_t id, const CVIEventSink* except) const
{
    CVIEventSink* holder = id != 0 ? FindSink(id) : nullptr;
    if (holder == nullptr)
        holder = FindResourceConflict(mask, except);
    if (holder == nullptr)
        return true;
    ui.ShowMessage(FormatText(strings, kMessageResourceConflict, {holder->GetTitle()}), MessageIcon::None);
    return false;
}

int CVIEventHub::RemoveIf(bool (*predicate)(CVIEventSink*))
{
    std::lock_guard<std::recursive_mutex> g(m_lock);
    int removed = 0;
    for (CVIEventSink* sink : m_sinks.Snapshot()) {
        if (predicate(sink)) {
            m_sinks.Remove(sink);
            ++removed;
        }
    }
    return removed;
}

bool CVIEventHub::RemoveSink(CVIEventSink* sink)
{
    std::lock_guard<std::recursive_mutex> g(m_lock);
    const int before = m_sinks.GetCount();
    m_sinks.Remove(sink);
    return m_sinks.GetCount() < before;
}
