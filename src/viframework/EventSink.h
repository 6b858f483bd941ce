// Interface events to instruments: the event sink every instrument window and
// frame is, the locked list of sinks, and the hub the interface object embeds.
//
// A sink's life: 0 created -> 1 active (window ready) -> 3 detached (window
// closing) -> 4 released (the next dispatch gave it event 11 and dropped it).
// Events are produced on the polling thread; OnEvent runs there under the
// unit lock, and an update reaches the window as a sent message.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "framework/Types.h"
#include "viframework/WindowBridge.h"

class CArchive;
class IStringSource;
class IUserInteraction;

enum SinkState : int {
    kSinkCreated = 0,
    kSinkActive = 1,
    kSinkDetached = 3,
    kSinkReleased = 4,
};

// The last event a closing window receives.
constexpr uint32_t kEventClosing = 11;
constexpr uint32_t kUpdateTimeoutMs = 2000;
constexpr int kResourceWords = 10;

class CVIEventSink {
public:
    virtual ~CVIEventSink() = default;
    virtual void Reserved() {}
    virtual CString GetTitle() = 0;
    // Show (normally, then on top) or hide.
    virtual void ShowInstrument(bool show) = 0;
    virtual void ToggleVisible() = 0;
    virtual bool IsInstrumentVisible() = 0;
    // Runs on the producer's thread under the unit lock; true asks for an update.
    virtual bool OnEvent(uint32_t code, uintptr_t value) = 0;
    // Fails at once when detached, without a window, or when the window is
    // gone. Without wait: a 2000 ms send that gives up on a hung window.
    virtual bool SendToWindow(uint32_t message, uintptr_t wParam, intptr_t lParam, bool wait);
    // Position, visibility and the instrument's data (store writes the id too).
    virtual void SerializeState(CArchive& ar) = 0;
    // The window is closing: forget it; the state becomes detached unless released.
    virtual void Detach();

    int State() const { return m_state.load(); }
    void SetState(int state) { m_state.store(state); }
    WindowHandle Window() const { return m_window.load(); }
    // Records the window and makes the sink active.
    void OnPanelReady(WindowHandle window);
    // Whether any of the ten masks shares a bit with the same mask of record.
    bool SharesResources(const uint32_t* record) const;

    uint32_t m_id = 0;
    uint32_t m_resourceMask[kResourceWords] = {};

private:
    std::atomic<int> m_state{kSinkCreated};
    std::atomic<WindowHandle> m_window{0};
};

// A list of sinks (not owned) with its own lock around every operation.
class CVIEventArray {
public:
    int GetCount() const;
    CVIEventSink* GetAt(int index) const;
    void Add(CVIEventSink* sink);
    void Remove(CVIEventSink* sink);
    std::vector<CVIEventSink*> Snapshot() const;

private:
    mutable std::mutex m_lock;
    std::vector<CVIEventSink*> m_sinks;
};

class CVIEventHub {
public:
    void AddSink(CVIEventSink* sink);
    // One event to every sink: first detached sinks get event 11, are released
    // and dropped; then active sinks get the event, and those that ask for an
    // update are sent "WM_VI_ONUPDATEUI". A failed send ends this event's
    // delivery. Returns how many sinks were dropped.
    int Dispatch(uint32_t code, uintptr_t value, std::recursive_mutex& unitLock);
    // Only the first pass of Dispatch.
    int RetireDetached(uintptr_t value, std::recursive_mutex& unitLock);
    CVIEventSink* FindSink(uint32_t id) const;
    bool IsAnyVisible() const;
    bool IsResourceUsed(int word, uint32_t bits) const;
    // The first sink other than `except` that shares a bit with the ten-word mask, or none.
    CVIEventSink* FindResourceConflict(const uint32_t* mask, const CVIEventSink* except = nullptr) const;
    // True when no sink shares a bit with the mask (nor, for an id other than
    // 0, has that id); otherwise tells the user which instrument holds the
    // resources (message 5019) and returns false. An instrument that moves to
    // other resources passes itself as `except`.
    bool CheckResourcesFree(const uint32_t* mask, IStringSource& strings, IUserInteraction& ui,
                            uint32_t id = 0, const CVIEventSink* except = nullptr) const;
    int GetCount() const { return m_sinks.GetCount(); }
    CVIEventSink* GetAt(int index) const { return m_sinks.GetAt(index); }
    std::vector<CVIEventSink*> Snapshot() const { return m_sinks.Snapshot(); }
    // For each sink in order: append(id, title, visible) with the next command
    // id, which grows by one and wraps in 16 bits. Returns how many.
    template <class Append>
    int AppendWindowMenu(Append append, uint16_t& next) const
    {
        int appended = 0;
        for (CVIEventSink* sink : m_sinks.Snapshot()) {
            append(next, sink->GetTitle(), sink->IsInstrumentVisible());
            next = static_cast<uint16_t>(next + 1);
            ++appended;
        }
        return appended;
    }
    // Drops one sink in any state; false when it is not in the list.
    bool RemoveSink(CVIEventSink* sink);
    // Drops sinks in any state; returns how many.
    int RemoveIf(bool (*predicate)(CVIEventSink*));
    // Held while the membership must not change.
    std::recursive_mutex& Lock() const { return m_lock; }

private:
    mutable std::recursive_mutex m_lock;
    CVIEventArray m_sinks;
};
