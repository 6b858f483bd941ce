// The polling thread and event dispatch.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "FakeServices.h"
#include "interface/Vexaface.h"

namespace {

using namespace std::chrono_literals;

// Counts dispatch passes so tests can tell cycles apart.
class CountingFace : public CVexaface {
public:
    using CVexaface::CVexaface;
    void DispatchEvents(uint32_t code) override
    {
        CVexaface::DispatchEvents(code);
        ++passes;
    }
    std::atomic<int> passes{0};
};

template <class Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds limit = 3000ms)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

class Polling : public ::testing::Test {
protected:
    FakeWindows windows;
    FakeServices fake;
    CountingFace face{fake.Services()};
};

TEST_F(Polling, FirstActiveInstrumentStartsTheThreadAndTheLastEndsIt)
{
    FakeSink a(10120), b(10121);
    windows.Open(a);
    windows.Open(b);
    face.RegisterInstrument(&a);
    ASSERT_TRUE(WaitFor([&] { return face.IsPolling(); }));
    face.RegisterInstrument(&b);
    EXPECT_EQ(face.PollerCount(), 2);
    ASSERT_TRUE(WaitFor([&] { return b.Count(kEventPoll) > 0; }));

    a.Detach();
    ASSERT_TRUE(WaitFor([&] { return a.State() == kSinkReleased; }));
    EXPECT_TRUE(face.IsPolling()) << "b still needs polling";
    EXPECT_EQ(face.PollerCount(), 1);

    b.Detach();
    const int passesBefore = face.passes.load();
    ASSERT_TRUE(WaitFor([&] { return !face.IsPolling(); }));
    // The pass that retired b was the last one.
    EXPECT_LE(face.passes.load() - passesBefore, 1);
    EXPECT_EQ(face.PollerCount(), 0);
    EXPECT_EQ(face.Events().GetCount(), 0);
}

TEST_F(Polling, DetachedSinkSeesEventElevenExactlyOnce)
{
    FakeSink keeper(10031), leaver(10120);
    windows.Open(keeper);
    windows.Open(leaver);
    face.RegisterInstrument(&keeper);
    face.RegisterInstrument(&leaver);
    ASSERT_TRUE(WaitFor([&] { return leaver.Count(kEventPoll) >= 2; }));
    leaver.Detach();
    ASSERT_TRUE(WaitFor([&] { return leaver.State() == kSinkReleased; }));
    const int before = keeper.Count(kEventPoll);
    ASSERT_TRUE(WaitFor([&] { return keeper.Count(kEventPoll) >= before + 3; }));
    EXPECT_EQ(leaver.Count(kEventClosing), 1);
    EXPECT_EQ(leaver.Events().back(), kEventClosing) << "nothing after the last event";
    EXPECT_EQ(face.Events().GetCount(), 1);
    face.StopPolling();
}

TEST_F(Polling, StoppingWaitsForTheThreadAndResumeRestartsIt)
{
    FakeSink sink(10120);
    windows.Open(sink);
    face.RegisterInstrument(&sink);
    ASSERT_TRUE(WaitFor([&] { return face.IsPolling(); }));
    EXPECT_TRUE(face.StopPolling());
    EXPECT_FALSE(face.IsPolling());
    const int passes = face.passes.load();
    std::this_thread::sleep_for(120ms);
    EXPECT_EQ(face.passes.load(), passes);
    face.ResumePolling();
    ASSERT_TRUE(WaitFor([&] { return face.passes.load() > passes; }));
    face.StopPolling();
}

TEST_F(Polling, StoppingBeforeTheNewThreadRunsStillCountsItsInstruments)
{
    // A document stored just after an instrument opened must poll it again.
    for (int round = 0; round < 20; ++round) {
        FakeSink sink(10120);
        windows.Open(sink);
        face.RegisterInstrument(&sink);
        EXPECT_TRUE(face.StopPolling()) << "round " << round;
        EXPECT_FALSE(face.IsPolling());
        face.Events().RemoveSink(&sink);
    }
}

// Dispatch itself, without the thread.
class Dispatch : public ::testing::Test {
protected:
    FakeWindows windows;
    CVIEventHub hub;
    std::recursive_mutex unitLock;
};

TEST_F(Dispatch, HungWindowEndsTheEventButNotTheNext)
{
    FakeSink first(1), hung(2), last(3);
    for (FakeSink* s : {&first, &hung, &last}) {
        s->wantsUpdate = true;
        windows.Open(*s);
        hub.AddSink(s);
    }
    windows.SetHung(hung.Window(), true);
    hub.Dispatch(kEventPoll, 0, unitLock);
    EXPECT_EQ(first.Count(kEventPoll), 1);
    EXPECT_EQ(hung.Count(kEventPoll), 1);
    EXPECT_EQ(last.Count(kEventPoll), 0) << "skipped after the failed send";
    EXPECT_EQ(windows.Updates(first.Window()), 1);

    windows.SetHung(hung.Window(), false);
    hub.Dispatch(kEventPoll, 0, unitLock);
    EXPECT_EQ(last.Count(kEventPoll), 1);
    EXPECT_EQ(windows.Updates(last.Window()), 1);
}

TEST_F(Dispatch, OnlyActiveSinksAskingForAnUpdateAreSentOne)
{
    FakeSink quiet(1), eager(2), notReady(3);
    eager.wantsUpdate = true;
    notReady.wantsUpdate = true;
    windows.Open(quiet);
    windows.Open(eager);
    hub.AddSink(&quiet);
    hub.AddSink(&eager);
    hub.AddSink(&notReady);  // created, window not ready yet
    hub.Dispatch(kEventMeterData, 0, unitLock);
    EXPECT_EQ(quiet.Count(kEventMeterData), 1);
    EXPECT_EQ(windows.Updates(quiet.Window()), 0);
    EXPECT_EQ(windows.Updates(eager.Window()), 1);
    EXPECT_TRUE(notReady.Events().empty());

    // A released sink stays released.
    quiet.SetState(kSinkReleased);
    quiet.Detach();
    EXPECT_EQ(quiet.State(), kSinkReleased);
    EXPECT_FALSE(quiet.SendToWindow(kCloseMessage, 0, 0, false));
}

} // namespace

// Connection faults and closing, where the polling thread and the window
// thread meet.
class Closing : public ::testing::Test {
protected:
    Closing()
    {
        fake.settings.WriteNumber(SettingsHive::CurrentUser, u"Software\\Brennick\\Vexa Interface\\Settings",
                                  u"DemoMode", 1);
        face.Connect(true, false, false);
        face.AttachUnits();
    }
    WindowHandle Open(FakeSink& sink)
    {
        const WindowHandle window = windows.Open(sink);
        face.Events().AddSink(&sink);  // not polled: nothing else retires them
        return window;
    }

    FakeWindows windows;
    FakeServices fake;
    CVexaface face{fake.Services()};
};

TEST_F(Closing, OneFaultMetByBothThreadsIsReportedAndClosedOnce)
{
    FakeSink a(10120), b(10040);
    const WindowHandle wa = Open(a), wb = Open(b);
    // Both threads catch the same broken transport at once.
    std::atomic<int> ready{0};
    auto lose = [&] {
        ++ready;
        while (ready.load() < 2)
            std::this_thread::yield();
        face.OnConnectionLost(CStreamException(20020));
    };
    std::thread poller(lose), window(lose);
    poller.join();
    window.join();
    EXPECT_EQ(fake.ui.messages, std::vector<std::string>{"20020|%1|%2"});
    EXPECT_EQ(fake.ui.beeps, 1);
    EXPECT_EQ(windows.Closes(wa), 1);
    EXPECT_EQ(windows.Closes(wb), 1);
    EXPECT_EQ(face.Events().GetCount(), 0);
    EXPECT_FALSE(face.HasStream());

    // A late report of the same fault finds it handled; a new connection's
    // fault is a new one.
    face.OnConnectionLost(CStreamException(20020));
    EXPECT_EQ(fake.ui.messages.size(), 1u);
    face.Connect(true, false, false);
    face.OnConnectionLost(CStreamException(20016));
    EXPECT_EQ(fake.ui.messages.back(), "20016|%1|%2");
}

TEST_F(Closing, WithoutPollingEveryWindowIsAskedOnceAndTheClosedOnesGo)
{
    FakeSink stubborn(10120), willing(10040);
    const WindowHandle ws = Open(stubborn), ww = Open(willing);
    windows.SetStubborn(ws);
    ASSERT_FALSE(face.IsPolling());
    face.CloseAllInstruments();
    EXPECT_EQ(windows.Closes(ws), 1) << "a window that stays open is not asked again and again";
    EXPECT_EQ(windows.Closes(ww), 1);
    EXPECT_EQ(willing.State(), kSinkReleased);
    EXPECT_EQ(willing.Count(kEventClosing), 1);
    EXPECT_EQ(face.Events().Snapshot(), std::vector<CVIEventSink*>{&stubborn});
}
