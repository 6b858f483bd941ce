// Every instrument against a box that misbehaves on purpose: each instrument
// is opened through the plug-in as the host loads it, runs for a moment
// against the simulator, and then the simulator cuts the connection at
// several points of the traffic, sends a wrong acknowledgement, stalls, or
// sends garbage. Each cell checks that the host's windows kept answering,
// the loss was told once and within the read timeout, the instruments
// closed within the close wait, and a reconnect brought back an instrument
// that talks to the box again.
//
// By default a few instruments make the matrix; VEXA_MATRIX_IDS takes a
// comma-separated list of command ids or "all" for every instrument of the
// plug-in's menus, VEXA_MATRIX_FAULTS a comma-separated list of fault names,
// and VEXA_MATRIX_OUT names a file for the table.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../WineFolder.h"
#include "../instruments/PlugInHarness.h"

namespace {

using namespace harness;
using Clock = std::chrono::steady_clock;

constexpr UINT kReconnect = 11000;
constexpr int kChoiceNetwork = 101;
// The bounds the product promises: a network read gives up after 5 s, and
// closing the instruments waits at most 10 s. A poll cycle may pass before
// the fault is met at all, hence the slack on the first.
constexpr double kReportBound = 5.0 + 2.0;
constexpr double kCloseBound = 10.0;
// The host's window must answer while all this happens.
constexpr double kAnswerBound = 1.0;

double Since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Fault {
    const char* name;
    // The plan, given the bytes the box sent in one second of the instrument's running.
    std::function<vexasim::FaultPlan(uint64_t perSecond)> plan;
};

const std::vector<Fault>& Faults()
{
    static const std::vector<Fault> faults = {
        {"cut@1", [](uint64_t) { vexasim::FaultPlan p; p.closeAfterBytes = 1; return p; }},
        {"cut@1/3s", [](uint64_t b) { vexasim::FaultPlan p; p.closeAfterBytes = std::max<uint64_t>(2, b / 3); return p; }},
        {"cut@2/3s", [](uint64_t b) { vexasim::FaultPlan p; p.closeAfterBytes = std::max<uint64_t>(3, 2 * b / 3); return p; }},
        {"wrong-ack", [](uint64_t) { vexasim::FaultPlan p; p.wrongAckAt = 3; return p; }},
        {"stall", [](uint64_t) { vexasim::FaultPlan p; p.stallAtCommand = 2; p.stallSeconds = 8; return p; }},
        {"garbage-q", [](uint64_t) { vexasim::FaultPlan p; p.garbageAfterQuery = 1; return p; }},
        {"garbage-a", [](uint64_t) { vexasim::FaultPlan p; p.garbageAfterAck = 1; return p; }},
    };
    return faults;
}

// Where the fault met the plug-in: its polling cycle, the closing or the
// opening of the instrument (a user's action, waited for on the window's
// thread: a closing supply switches its outputs off, a closing Bode plotter
// gives the units back their settings), or not at all (an instrument that
// never queries cannot meet garbage after an answer); and what came of it: a loss (told once, instruments closed, the
// connection dropped), nothing (the slip was read past), a loss met later by
// what the box left behind, or a warning that kept the connection (a unit's
// attachment not acknowledged).
enum class Met { Cycle, Close, Open, Never };
enum class Outcome { Lost, Absorbed, LostLater, Warned };

struct Cell {
    UINT id = 0;
    std::string fault;
    uint64_t perSecond = 0;
    Met met = Met::Never;
    Outcome outcome = Outcome::Lost;
    double reported = -1;  // seconds from the fault to the report
    size_t told = 0;       // messages the user saw
    double answer = 0;     // slowest answer of the host's window, seconds
    double closed = -1;    // seconds from the report to no instrument left
    bool reconnected = false;
    bool talksAgain = false;
    unsigned crashes = 0;  // access violations, even those a window callback swallowed

    // The window's thread itself waits for the box while an instrument opens or closes.
    double AnswerBound() const { return met == Met::Open || met == Met::Close ? kReportBound : kAnswerBound; }
    bool Survived() const
    {
        if (told > 1 || answer > AnswerBound() || !talksAgain || crashes > 0)
            return false;
        if (met == Met::Never || outcome == Outcome::Absorbed)
            return told == 0;
        if (outcome == Outcome::Warned)
            return told == 1;
        if (outcome == Outcome::LostLater)
            return told == 1 && reconnected;
        return reported >= 0 && reported <= kReportBound && told == 1 && closed >= 0 && closed <= kCloseBound &&
               reconnected;
    }
};

// Wine, like Windows, lets a crash inside a window's callback pass
// unseen and unwinds past whatever locks the frame held; only a first look
// at every exception finds it.
std::atomic<unsigned> g_accessViolations{0};

LONG CALLBACK CountAccessViolation(EXCEPTION_POINTERS* e)
{
    if (e->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION)
        ++g_accessViolations;
    return EXCEPTION_CONTINUE_SEARCH;
}

// The items of a comma-separated list, as the environment names them.
std::vector<std::string> CommaList(const std::string& text)
{
    std::vector<std::string> items;
    std::stringstream list(text);
    std::string item;
    while (std::getline(list, item, ','))
        items.push_back(item);
    return items;
}

std::mutex g_cellsLock;
std::vector<Cell> g_cells;
std::vector<std::wstring> g_messages;

// Asks the window with a message again and again from a thread of its own
// and keeps the slowest answer, as a user's click would find it.
class AnswerWatch {
public:
    explicit AnswerWatch(HWND window)
        : m_thread([this, window] {
              while (!m_stop) {
                  const auto start = Clock::now();
                  DWORD_PTR result = 0;
                  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
                  const double took = Since(start);
                  if (took > m_slowest)
                      m_slowest = took;
                  Sleep(50);
              }
              m_done = true;
          })
    {
    }
    ~AnswerWatch() { Stop(); }
    // Called on the window's thread, which keeps answering until the watch ends.
    double Stop()
    {
        m_stop = true;
        PumpUntil([this] { return m_done.load(); }, 15000);
        if (m_thread.joinable())
            m_thread.join();
        return m_slowest;
    }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{false};
    std::atomic<double> m_slowest{0};
    std::thread m_thread;
};

struct WindowList {
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectVisible(HWND window, LPARAM param)
{
    if (IsWindowVisible(window))
        reinterpret_cast<WindowList*>(param)->windows.push_back(window);
    return TRUE;
}

std::vector<HWND> VisibleThreadWindows()
{
    WindowList list;
    EnumThreadWindows(GetCurrentThreadId(), CollectVisible, reinterpret_cast<LPARAM>(&list));
    return list.windows;
}

void CollectInstrumentIds(HMENU menu, std::vector<UINT>& ids)
{
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            CollectInstrumentIds(sub, ids);
            continue;
        }
        const UINT id = GetMenuItemID(menu, i);
        if (id >= 10000 && id < 10500 && std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(id);
    }
}

std::string CellText(double seconds)
{
    if (seconds < 0)
        return "-";
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", seconds);
    return text;
}

class FaultMatrix : public PlugInWithSimulator {
protected:
    // The choice after the reconnect: the network, and the simulator's address.
    void Reconnect(bool& confirmed)
    {
        std::thread hands([&] {
            HWND dialog = AwaitWindow(L"RECONNECT", 10000);
            if (!dialog)
                return;
            confirmed = true;
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            HWND choose = AwaitWindow(L"Connect the trainer interface", 10000);
            if (!choose)
                return;
            SendMessageW(choose, TDM_CLICK_BUTTON, kChoiceNetwork, 0);
            HWND address = AwaitWindow(L"Network Address", 10000);
            if (!address)
                return;
            SetDlgItemTextW(address, 151, L"127.0.0.1");
            PostMessageW(address, WM_COMMAND, IDOK, 0);
        });
        plugIn->OnCmdMsg(kReconnect, CN_COMMAND, nullptr, nullptr);
        hands.join();
    }

    // Opens the instrument; false when no window came.
    bool OpenInstrument(UINT id)
    {
        const auto before = VisibleThreadWindows();
        plugIn->OnCmdMsg(id, CN_COMMAND, nullptr, nullptr);
        PumpUntil([] { return false; }, 300);
        opened.clear();
        for (HWND w : VisibleThreadWindows())
            if (std::find(before.begin(), before.end(), w) == before.end())
                opened.push_back(w);
        return !opened.empty() && plugIn->GetInstrumentCount() > 0;
    }

    // The bytes the box sends in a second of the instrument's running.
    static bool Polls(uint64_t perSecond) { return perSecond >= 10; }  // a stray byte is no cycle
    uint64_t Traffic()
    {
        const uint64_t start = sim->Server().BytesSent();
        PumpUntil([] { return false; }, 1000);
        return sim->Server().BytesSent() - start;
    }

    void CloseInstruments()
    {
        for (HWND w : opened)
            if (IsWindow(w))
                SendMessageW(w, WM_CLOSE, 0, 0);
        PumpUntil([&] { return plugIn->GetInstrumentCount() == 0; }, 5000);
    }

    Cell RunCell(UINT id, const Fault& fault)
    {
        Cell cell;
        const unsigned crashesBefore = g_accessViolations.load();
        cell.id = id;
        cell.fault = fault.name;
        if (!OpenInstrument(id))
            return cell;
        cell.perSecond = Traffic();
        {
            AnswerWatch watch(frame);
            MessageBoxAnswerer answerer;
            const uint32_t before = sim->Server().FaultsPlayed();
            auto played = [&] { return sim->Server().FaultsPlayed() != before; };
            auto toldAny = [&] { return !answerer.Texts().empty(); };
            sim->Server().ArmFaults(fault.plan(cell.perSecond));
            auto metAt = Clock::now();
            if (PumpUntil(played, 2000)) {
                cell.met = Met::Cycle;
                metAt = Clock::now();
            } else {
                // Not in the cycle: a user closing the instrument or opening
                // it again meets it. A cut under the closing's last write
                // goes unnoticed until the opening reads.
                metAt = Clock::now();
                CloseInstruments();
                if (played() && PumpUntil(toldAny, 300)) {
                    cell.met = Met::Close;
                } else {
                    metAt = Clock::now();
                    OpenInstrument(id);
                    if (played())
                        cell.met = Met::Open;
                }
            }
            if (played()) {
                PumpUntil(toldAny, static_cast<DWORD>(kReportBound * 1000) + 3000);
                if (toldAny()) {
                    cell.reported = Since(metAt);
                    // A loss closes the instruments and drops the connection; a
                    // warning (a unit's attachment not acknowledged) keeps both.
                    const auto told = Clock::now();
                    auto warned = [&] { return Since(told) > 3 && sim->Server().OpenConnections() > 0; };
                    PumpUntil([&] { return plugIn->GetInstrumentCount() == 0 || warned(); },
                              static_cast<DWORD>(kCloseBound * 1000) + 5000);
                    if (plugIn->GetInstrumentCount() == 0)
                        cell.closed = Since(told);
                    else if (warned())
                        cell.outcome = Outcome::Warned;

                } else {
                    cell.outcome = Outcome::Absorbed;
                }
            }
            sim->Server().ArmFaults({});
            if (cell.met == Met::Never || cell.outcome == Outcome::Absorbed || cell.outcome == Outcome::Warned) {
                // The box's slip cost nothing so far (or a warning): the
                // instrument goes on talking, and the user closes it. What the box left behind
                // may still break the closing's commands; that is a loss too.
                const size_t before = answerer.Texts().size();
                cell.talksAgain = plugIn->GetInstrumentCount() > 0 && (!Polls(cell.perSecond) || Traffic() > 0) &&
                                  answerer.Texts().size() == before;
                CloseInstruments();
                if (answerer.Texts().size() > before)
                    cell.outcome = Outcome::LostLater;
            }
            PumpUntil([] { return false; }, 300);  // a second report would come now
            cell.told = answerer.Texts().size();
            for (const auto& text : answerer.Texts())
                if (std::lock_guard<std::mutex> g(g_cellsLock);
                    std::find(g_messages.begin(), g_messages.end(), text) == g_messages.end())
                    g_messages.push_back(text);
            cell.answer = watch.Stop();
        }
        if (cell.outcome == Outcome::Lost || cell.outcome == Outcome::LostLater) {
            Reconnect(cell.reconnected);
            MessageBoxAnswerer answerer;
            cell.talksAgain = OpenInstrument(id) && (!Polls(cell.perSecond) || Traffic() > 0);
            CloseInstruments();
            cell.talksAgain &= answerer.Texts().empty();
        }
        cell.crashes = g_accessViolations.load() - crashesBefore;
        return cell;
    }

    std::vector<HWND> opened;
};

std::string Utf8(const std::wstring& text)
{
    std::string out(text.size() * 3 + 1, '\0');
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(),
                                      static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(static_cast<size_t>(std::max(n, 0)));
    for (char& c : out)
        if (c == '\r' || c == '\n')
            c = ' ';
    return out;
}

std::string Table()
{
    static const char* const kMet[] = {"cycle", "close", "open", "never"};
    std::ostringstream table;
    char line[200];
    std::snprintf(line, sizeof line, "%-6s %-9s %8s %-6s %-9s %8s %4s %8s %8s %5s %s\n", "id", "fault", "bytes/s",
                  "met", "outcome", "report s", "told", "answer s", "closed s", "again", "result");
    table << line;
    size_t survived = 0;
    for (const Cell& c : g_cells) {
        std::snprintf(line, sizeof line, "%-6u %-9s %8llu %-6s %-9s %8s %4zu %8s %8s %5s %s\n", c.id, c.fault.c_str(),
                      static_cast<unsigned long long>(c.perSecond), kMet[static_cast<int>(c.met)],
                      c.met == Met::Never                 ? "n/a"
                      : c.outcome == Outcome::Lost      ? "lost"
                      : c.outcome == Outcome::Absorbed  ? "absorbed"
                      : c.outcome == Outcome::Warned    ? "warned"
                                                        : "lost late", CellText(c.reported).c_str(), c.told,
                      CellText(c.answer).c_str(), CellText(c.closed).c_str(), c.talksAgain ? "yes" : "no",
                      c.Survived() ? "survived" : c.crashes ? "CRASHED" : "FAILED");
        table << line;
        survived += c.Survived();
    }
    table << survived << " survived / " << g_cells.size() << " tried\n";
    for (const auto& text : g_messages)
        table << "told: " << Utf8(text) << "\n";
    return table.str();
}

// The table so far, after every instrument: a run that stops early keeps what it saw.
void WriteTable(const std::string& table)
{
    if (const char* out = std::getenv("VEXA_MATRIX_OUT"); out && *out) {
        std::string path = out;
        if (path[0] == '/')
            path = "Z:" + path;  // the Linux side names it
        std::ofstream(path) << table;
    }
}

class FaultMatrixCase : public FaultMatrix {
public:
    explicit FaultMatrixCase(UINT id) : m_id(id) {}
    void TestBody() override
    {
        const char* only = std::getenv("VEXA_MATRIX_FAULTS");
        const std::vector<std::string> chosen = CommaList(only ? only : "");
        for (const Fault& fault : Faults()) {
            if (!chosen.empty() && std::find(chosen.begin(), chosen.end(), fault.name) == chosen.end())
                continue;
            std::printf("  %u %s\n", m_id, fault.name);
            const Cell cell = RunCell(m_id, fault);
            EXPECT_TRUE(cell.Survived()) << m_id << " " << fault.name << ": reported after " << cell.reported
                                         << " s, told " << cell.told << " times, slowest answer " << cell.answer
                                         << " s, closed after " << cell.closed << " s, reconnected "
                                         << cell.reconnected << ", talks again " << cell.talksAgain << ", crashes " << cell.crashes;
            std::lock_guard<std::mutex> g(g_cellsLock);
            g_cells.push_back(cell);
        }
        WriteTable(Table());
    }

private:
    UINT m_id;
};

// Every instrument a user can open, from the plug-in's own menus.
std::vector<UINT> MenuInstrumentIds()
{
    std::vector<UINT> ids;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (ITorvanePlugIn* plugIn = CreatePlugIn()) {
        for (int index = 0; index < 16; ++index)
            if (HMENU menu = plugIn->GetMenu(index)) {
                CollectInstrumentIds(menu, ids);
                DestroyMenu(menu);
            }
        plugIn->Release();
    }
    CoUninitialize();
    return ids;
}

std::vector<UINT> MatrixIds()
{
    const char* chosen = std::getenv("VEXA_MATRIX_IDS");
    if (chosen && std::string(chosen) == "all")
        return MenuInstrumentIds();
    std::vector<UINT> ids;
    // A meter that polls, a supply that only writes, a meter that reads a
    // second device through the box, and the oscilloscope's stream of
    // screens: the kinds of traffic there are.
    for (const std::string& item : CommaList(chosen && *chosen ? chosen : "10120,10040,10069,10115"))
        ids.push_back(static_cast<UINT>(std::stoul(item)));
    return ids;
}

}  // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // a long run shows where it is
    ::testing::InitGoogleTest(&argc, argv);
    AddVectoredExceptionHandler(1, CountAccessViolation);
    for (UINT id : MatrixIds())
        ::testing::RegisterTest("FaultMatrix", ("Instrument" + std::to_string(id)).c_str(), nullptr, nullptr, __FILE__,
                                __LINE__, [id]() -> FaultMatrix* { return new FaultMatrixCase(id); });
    const int result = RUN_ALL_TESTS();
    const std::string table = Table();
    std::fputs(table.c_str(), stdout);
    WriteTable(table);
    return result;
}
