// Fakes of what the interface object needs from its surroundings: the user,
// resource texts, stream, unit and instrument factories, instrument windows.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ScriptedStream.h"
#include "framework/Archive.h"
#include "interface/Services.h"
#include "units/UnitFactory.h"
#include "viframework/EventSink.h"

// Texts are "<id>|%1|%2" so that tests see which text was shown with what.
class FakeStrings : public IStringSource {
public:
    CString LoadText(uint32_t id) override { return Utf8ToString(std::to_string(id)) + u"|%1|%2"; }
};

class FakeUi : public IUserInteraction {
public:
    struct Choice {
        std::vector<int> offered;
        int defaultId;
    };

    // Both threads of the interface object may tell the user something.
    void ShowMessage(const CString& text, MessageIcon) override
    {
        std::lock_guard<std::mutex> g(lock);
        messages.push_back(StringToUtf8(text));
    }
    void Beep() override { ++beeps; }
    void BeginBusy(const CString&) override { ++busy; }
    void EndBusy() override { --busy; }
    int ChooseTask(uint32_t, uint32_t, const std::vector<ChoiceButton>& buttons, int defaultId) override
    {
        Choice c{{}, defaultId};
        for (const ChoiceButton& b : buttons)
            c.offered.push_back(b.id);
        choices.push_back(c);
        if (answers.empty())
            return 2;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    bool ConfirmReconnect(const ConnectionInfo& info) override
    {
        reconnectDialogs.push_back(info);
        return reconnectAnswer;
    }

    std::vector<std::string> messages;
    std::vector<Choice> choices;
    std::vector<ConnectionInfo> reconnectDialogs;
    bool reconnectAnswer = true;
    std::deque<int> answers;
    std::atomic<int> beeps{0};
    int busy = 0;

private:
    std::mutex lock;
};

// Hands out the streams a test prepared, in order; records what was asked for.
class FakeStreamFactory : public IStreamFactory {
public:
    std::unique_ptr<CStreamIO> CreateUsb() override { return Next("usb"); }
    std::unique_ptr<CStreamIO> CreateSocket(const CString& address, uint16_t port) override
    {
        auto stream = Next("socket " + StringToUtf8(address) + ":" + std::to_string(port));
        if (stream)
            static_cast<ScriptedStream&>(*stream).SetNetworkAddress(address);
        return stream;
    }
    std::unique_ptr<CStreamIO> CreateTunnel(const CString& name) override { return Next("tunnel " + StringToUtf8(name)); }
    bool StartSocketLayer() override { return socketLayer; }
    bool ChooseNetworkAddress(CString& address) override
    {
        ++addressDialogs;
        if (!addressAnswer)
            return false;
        address = *addressAnswer;
        return true;
    }

    // The next stream handed out; the test keeps a pointer to inspect it.
    ScriptedStream* Prepare()
    {
        auto stream = std::make_unique<ScriptedStream>();
        ScriptedStream* raw = stream.get();
        prepared.push_back(std::move(stream));
        return raw;
    }

    std::vector<std::string> requests;
    std::deque<std::unique_ptr<ScriptedStream>> prepared;
    bool socketLayer = true;
    std::optional<CString> addressAnswer;
    int addressDialogs = 0;

private:
    std::unique_ptr<CStreamIO> Next(std::string what)
    {
        const bool socket = what.rfind("socket", 0) == 0;
        requests.push_back(std::move(what));
        if (prepared.empty())
            return nullptr;
        auto stream = std::move(prepared.front());
        prepared.pop_front();
        stream->SetSocketStream(socket);
        return stream;
    }
};

// A window that stands for itself: its state travels as id, x, y, visible and one word.
class FakeSink : public CVIEventSink {
public:
    explicit FakeSink(uint32_t id = 10120, uint32_t payload = 0) : payload(payload) { m_id = id; }

    CString GetTitle() override { return u"Sink " + Utf8ToString(std::to_string(m_id)); }
    void ShowInstrument(bool show) override
    {
        visible = show;
        if (onShow)
            onShow();
    }
    void ToggleVisible() override { visible = !visible; }
    bool IsInstrumentVisible() override { return visible; }
    bool OnEvent(uint32_t code, uintptr_t) override
    {
        std::lock_guard<std::mutex> g(lock);
        events.push_back(code);
        return wantsUpdate;
    }
    void SerializeState(CArchive& ar) override
    {
        if (ar.IsStoring()) {
            ar << static_cast<uint32_t>(m_id - 10000) << x << y << static_cast<uint8_t>(visible) << payload;
            return;
        }
        uint8_t v;
        ar >> x >> y >> v >> payload;
        schemaSeen = ar.GetObjectSchema();
        visible = v != 0;
    }
    std::vector<uint32_t> Events()
    {
        std::lock_guard<std::mutex> g(lock);
        return events;
    }
    int Count(uint32_t code)
    {
        int n = 0;
        for (uint32_t e : Events())
            n += e == code;
        return n;
    }

    int32_t x = 0, y = 0;
    bool visible = true;
    uint32_t payload;
    uint32_t schemaSeen = 0;
    std::atomic<bool> wantsUpdate{false};
    std::function<void()> onShow;  // what showing the window sets off

private:
    std::mutex lock;
    std::vector<uint32_t> events;
};

class FakeInstrumentFactory : public IInstrumentFactory {
public:
    CVIEventSink* CreateInstrument(uint32_t id, const uint32_t* record) override
    {
        if (!known(id))
            return nullptr;
        made.push_back(std::make_unique<FakeSink>(id));
        made.back()->onShow = onShow;
        std::copy(record, record + kResourceWords, made.back()->m_resourceMask);
        return made.back().get();
    }
    bool CreateInstrumentWindow(CVIEventSink* sink, CArchive& panel, const uint32_t*) override
    {
        uint32_t width = 0;
        panel >> width;
        panelWidths.push_back(width);
        if (refuseWindow) {
            DestroyInstrument(sink);
            return false;
        }
        sink->SetState(activate ? kSinkActive : kSinkCreated);
        return true;
    }
    void PlaceInstrument(CVIEventSink* sink, int32_t x, int32_t y, int openCount) override
    {
        auto* fake = static_cast<FakeSink*>(sink);
        if (x == -1 || y == -1) {
            fake->x = 10 + openCount * 8;
            fake->y = 10 + openCount * 30;
        } else {
            fake->x = x;
            fake->y = y;
        }
    }
    CVIEventSink* CreateInstrumentForLoad(uint32_t id) override
    {
        if (!known(id))
            return nullptr;
        made.push_back(std::make_unique<FakeSink>(id));
        if (auto it = layoutMasks.find(id); it != layoutMasks.end())
            std::copy(it->second.begin(), it->second.end(), made.back()->m_resourceMask);
        return made.back().get();
    }
    CVIEventSink* LoadInstrumentDirect(uint32_t id, int32_t x, int32_t y, bool visible, CArchive& ar) override
    {
        if (!direct(id))
            return nullptr;
        auto sink = std::make_unique<FakeSink>(id);
        sink->x = x;
        sink->y = y;
        sink->visible = visible;
        ar >> sink->payload;
        made.push_back(std::move(sink));
        return made.back().get();
    }
    void DestroyInstrument(CVIEventSink* sink) override
    {
        ++destroyed;
        for (auto it = made.begin(); it != made.end(); ++it)
            if (it->get() == sink) {
                made.erase(it);
                return;
            }
    }

    std::function<bool(uint32_t)> known = [](uint32_t id) { return id >= 10000 && id < 10500; };
    std::function<bool(uint32_t)> direct = [](uint32_t) { return false; };
    std::function<void()> onShow;  // given to every instrument made from a menu
    std::vector<std::unique_ptr<FakeSink>> made;
    std::vector<uint32_t> panelWidths;
    std::map<uint32_t, std::array<uint32_t, kResourceWords>> layoutMasks;  // by id, for loading
    bool refuseWindow = false;
    bool activate = false;
    int destroyed = 0;
};

// Windows by handle. A window that receives the close message detaches its
// sink, as a real one does; a hung window fails every timed send.
class FakeWindows : public IWindowBridge {
public:
    FakeWindows() { SetWindowBridge(this); }
    ~FakeWindows() override { SetWindowBridge(nullptr); }

    WindowHandle Open(CVIEventSink& sink)
    {
        std::lock_guard<std::mutex> g(lock);
        const WindowHandle handle = next++;
        sinks[handle] = &sink;
        sink.OnPanelReady(handle);
        return handle;
    }
    void SetHung(WindowHandle window, bool hung)
    {
        std::lock_guard<std::mutex> g(lock);
        hungWindows[window] = hung;
    }
    // A window that ignores the close message (its user is busy with it, say).
    void SetStubborn(WindowHandle window)
    {
        std::lock_guard<std::mutex> g(lock);
        stubborn[window] = true;
    }
    int Updates(WindowHandle window)
    {
        std::lock_guard<std::mutex> g(lock);
        return updates[window];
    }
    int Closes(WindowHandle window)
    {
        std::lock_guard<std::mutex> g(lock);
        return closes[window];
    }

    bool IsWindow(WindowHandle window) override
    {
        std::lock_guard<std::mutex> g(lock);
        return sinks.count(window) > 0;
    }
    bool SendWithTimeout(WindowHandle window, uint32_t message, uintptr_t, intptr_t, uint32_t) override
    {
        CVIEventSink* sink;
        {
            std::lock_guard<std::mutex> g(lock);
            if (!sinks.count(window) || hungWindows[window])
                return false;
            sink = sinks[window];
            if (message == UpdateMessage())
                ++updates[window];
            if (message == kCloseMessage && ++closes[window] && stubborn[window])
                return true;
        }
        if (message == kCloseMessage && closeDetaches)
            sink->Detach();
        return true;
    }
    void Send(WindowHandle window, uint32_t message, uintptr_t w, intptr_t l) override
    {
        SendWithTimeout(window, message, w, l, 0);
    }
    uint32_t UpdateMessage() override { return 0xC123; }

    bool closeDetaches = true;

private:
    std::mutex lock;
    WindowHandle next = 0x100;
    std::map<WindowHandle, CVIEventSink*> sinks;
    std::map<WindowHandle, bool> hungWindows;
    std::map<WindowHandle, int> updates;
    std::map<WindowHandle, int> closes;
    std::map<WindowHandle, bool> stubborn;
};

// Scripts the identification of our interface at the given level.
inline void ScriptIdentify(ScriptedStream& s, uint8_t level, const std::string& id = "RV8810-4C  V2.50  250")
{
    ScriptedStream::Bytes text(id.begin(), id.end());
    text.push_back(0);
    s.ExpectWrite({0x02}).Reply(text).ExpectWrite({0x0B}).Reply({level});
}

// Everything an interface object needs, wired to the fakes.
struct FakeServices {
    CMemorySettingsStore settings;
    FakeUi ui;
    FakeStrings strings;
    FakeStreamFactory streams;
    CUnitFactory units;
    FakeInstrumentFactory instruments;

    InterfaceServices Services() { return {settings, ui, strings, streams, units, instruments}; }
};
