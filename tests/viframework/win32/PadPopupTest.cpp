// The pop-up pads under Windows (Wine here), on the resource library's real
// layouts and texts, worked by a second thread that types and clicks through
// the system's input queue (SendInput) while the pad's loop runs in the
// window thread: numbers typed and accepted, refusals with their balloon,
// cancelling, placement and zoom, the spin pad's commands to the owner.
//
// With VEXA_PICTURES set to a folder, the tests also save pictures of the
// pads there (gray skin; the first zoom level but for numpad-zoom2.png).
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "../../ResourceLibraryApp.h"
#include "Capture.h"
#include "viframework/SkinManager.h"
#include "viframework/TouchSettings.h"
#include "viframework/controls/HotButton.h"
#include "viframework/controls/UpDownButton.h"
#include "viframework/win32/GdiPlusGraphics.h"
#include "viframework/win32/PadPopups.h"
#include "viframework/win32/Win32PanelResources.h"

namespace {

constexpr uint32_t kOwnerLayout = 10120;
constexpr uint32_t kSpinControlId = 40;
const CRect kSpinControlRect{20, 20, 36, 50};
const CRect kEntryTarget{60, 20, 140, 40};

// An instrument on the voltmeter's panel, with an up/down control (it opens
// the spin pad in touch mode).
class OwnerWindow : public CVIWindowBase {
public:
    bool OnLayoutLoaded() override
    {
        auto control = std::make_unique<CHotUpDownButton>();
        control->m_notifySink = this;
        control->m_rect = kSpinControlRect;
        control->m_id = kSpinControlId;
        m_hotspots.Add(std::move(control));
        return true;
    }
    bool OnCommand(uint32_t id) override
    {
        commands.push_back(id);
        return true;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_LBUTTONDOWN)
            ++presses;
        return CVIWindowBase::WindowProc(message, wParam, lParam);
    }
    std::vector<uint32_t> commands;
    int presses = 0;
};

std::wstring Text(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

// ---------------------------------------------------------------- the user's hands

// Runs in a second thread while the window thread is inside the pad's loop.
// It never asserts: it notes what it saw and the first thing that failed,
// and the test checks those after the pad has returned.
class Hands {
public:
    explicit Hands(DWORD windowThread) : m_windowThread(windowThread) {}

    // The visible pad with that title, once it is the foreground window.
    HWND WaitForPad(const wchar_t* title)
    {
        m_title = title;
        HWND pad = nullptr;
        const bool found = WaitFor([&] {
            pad = FindWindowW(L"VexaInstrument", title);
            return pad && IsWindowVisible(pad) && GetForegroundWindow() == pad;
        });
        if (!found) {
            Fail("the pad did not come up in front");
            return nullptr;
        }
        // The window thread answers only from its loop, that is once the
        // pad has painted.
        SendMessageTimeoutW(pad, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr);
        return pad;
    }

    bool WaitFor(const std::function<bool()>& done, int timeoutMs = 3000)
    {
        for (int waited = 0; waited < timeoutMs; waited += 10) {
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return done();
    }

    // Each key down and up, as a keyboard sends them.
    void Keys(std::initializer_list<WORD> keys)
    {
        for (WORD key : keys) {
            INPUT input[2] = {};
            input[0].type = input[1].type = INPUT_KEYBOARD;
            input[0].ki.wVk = input[1].ki.wVk = key;
            input[1].ki.dwFlags = KEYEVENTF_KEYUP;
            if (SendInput(2, input, sizeof(INPUT)) != 2)
                Fail("SendInput refused a key");
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        Settle();
    }

    // Keys, then a wait until the field shows what they typed.
    void TypeInto(HWND field, std::initializer_list<WORD> keys, const std::wstring& expected)
    {
        Keys(keys);
        if (!WaitFor([&] { return Text(field) == expected; })) {
            const std::wstring shown = Text(field);
            Fail("the field shows \"" + std::string(shown.begin(), shown.end()) + "\"");
        }
    }

    // A quick click of the left button at a point of the screen.
    void Click(POINT screen)
    {
        const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
        INPUT input[3] = {};
        for (INPUT& i : input) {
            i.type = INPUT_MOUSE;
            i.mi.dx = LONG((int64_t(screen.x) * 65536 + width / 2) / width);
            i.mi.dy = LONG((int64_t(screen.y) * 65536 + height / 2) / height);
        }
        // Every event carries the position: under Wine a button event
        // without it may come at where the pointer was before the move.
        input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        input[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
        input[2].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
        if (SendInput(3, input, sizeof(INPUT)) != 3)
            Fail("SendInput refused a click");
        Settle();
    }

    // A click on the middle of the pad's key with command id.
    void ClickKey(HWND pad, const CVIView& view, uint32_t id)
    {
        const CHotspot* key = nullptr;
        for (const auto& control : view.Hotspots())
            if (control->m_id == id)
                key = control.get();
        if (!key) {
            Fail("no key " + std::to_string(id));
            return;
        }
        const CRect device = view.ToDevice(key->m_rect);
        POINT centre{(device.left + device.right) / 2, (device.top + device.bottom) / 2};
        ClientToScreen(pad, &centre);
        Click(centre);
    }

    // The pad's balloon while it shows, else null.
    HWND VisibleBalloon()
    {
        HWND found = nullptr;
        EnumThreadWindows(m_windowThread, NoteVisibleBalloon, reinterpret_cast<LPARAM>(&found));
        return found;
    }

    // Closes a pad the script left open, so that the window thread returns.
    void Finish()
    {
        if (m_title.empty())
            return;
        HWND pad = nullptr;
        const bool closed = WaitFor([&] { return !(pad = FindWindowW(L"VexaInstrument", m_title.c_str())); });
        if (!closed) {
            Fail("the pad was still open at the end");
            PostMessageW(pad, WM_CLOSE, 0, 0);
        }
    }

    void Fail(const std::string& what)
    {
        if (failure.empty())
            failure = what;
    }

    std::string failure;

private:
    static BOOL CALLBACK NoteVisibleBalloon(HWND window, LPARAM found)
    {
        wchar_t name[32] = {};
        GetClassNameW(window, name, 32);
        if (lstrcmpiW(name, TOOLTIPS_CLASSW) != 0 || !IsWindowVisible(window))
            return TRUE;
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }

    // Input waits in the window thread's queue behind what is there
    // already; a sent message would overtake it, so only time tells.
    void Settle() { std::this_thread::sleep_for(std::chrono::milliseconds(80)); }

    DWORD m_windowThread;
    std::wstring m_title;
};

// ---------------------------------------------------------------- fixture

class PadPopups : public ::testing::Test {
protected:
    static void SetUpTestSuite() { StartGdiPlus(); }

    PadPopups()
    {
        SetPanelResources(&resources);
        CVISkinManager::GetSkin().Load(u"gray", resources);
    }
    ~PadPopups() override
    {
        owner.DestroyView();
        SetPanelResources(nullptr);
    }

    void SetUp() override
    {
        ASSERT_TRUE(library.Loaded()) << "VexaRes.dll beside the test";
        ASSERT_TRUE(owner.Create(kOwnerLayout, WS_CAPTION | WS_SYSMENU | WS_VISIBLE));
        SetWindowPos(owner.GetSafeHwnd(), nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        SetForegroundWindow(owner.GetSafeHwnd());
    }

    // Runs open() in this thread while script() works the pad from another.
    std::string WithHands(const std::function<void(Hands&)>& script, const std::function<void()>& open)
    {
        Hands hands(GetCurrentThreadId());
        std::thread worker([&] {
            script(hands);
            hands.Finish();
        });
        open();
        worker.join();
        return hands.failure;
    }

    // Opens the numeric pad over kEntryTarget while script works it once it
    // is in front; whether the pad accepted.
    bool WorkNumPad(CNumPadPopup& pad, const std::function<void(Hands&, HWND)>& script)
    {
        bool accepted = false;
        const std::string failure = WithHands(
            [&](Hands& hands) {
                if (HWND window = hands.WaitForPad(L"NUMERIC KEYPAD"))
                    script(hands, window);
            },
            [&] { accepted = pad.ShowAt(kEntryTarget, owner); });
        EXPECT_EQ(failure, "");
        return accepted;
    }

    // Where a pad opened over target of the owner puts its top-left corner.
    POINT ScreenCorner(const CRect& target) const
    {
        const CRect device = owner.ToDevice(target);
        POINT corner{device.left, device.top};
        ClientToScreen(owner.GetSafeHwnd(), &corner);
        return corner;
    }

    static void SavePicture(HWND window, const wchar_t* name)
    {
        const std::wstring path = FolderFromEnvironment("VEXA_PICTURES");
        if (path.empty())
            return;
        CaptureWindowToPng(window, path + L"\\" + name);
    }

    ResourceLibraryApp library;
    CWinApp& app = library.App();
    CWin32PanelResources resources{app};
    OwnerWindow owner;
};

// ---------------------------------------------------------------- numeric pad

TEST_F(PadPopups, TypedDigitsAndEnterStoreTheNumberInTheOwnersVariable)
{
    int32_t value = 7;
    CNumPadPopup pad(value, 0, 100);
    std::wstring initial;
    RECT placed{};
    EXPECT_TRUE(WorkNumPad(pad, [&](Hands& hands, HWND window) {
        initial = Text(GetDlgItem(window, kPadFieldId));
        GetWindowRect(window, &placed);
        SavePicture(window, L"numpad-integer.png");
        // The opening text is selected: typing replaces it.
        hands.TypeInto(GetDlgItem(window, kPadFieldId), {'4', '2'}, L"42");
        hands.Keys({VK_RETURN});
    }));
    EXPECT_EQ(initial, L"7");
    EXPECT_EQ(value, 42);
    const POINT corner = ScreenCorner(kEntryTarget);
    EXPECT_EQ(placed.left, corner.x);
    EXPECT_EQ(placed.top, corner.y);
    EXPECT_EQ(pad.GetSafeHwnd(), nullptr) << "destroyed before returning";
    // Integer limits from 0: no minus key, no decimal key.
    EXPECT_FALSE(pad.FindHotspot(kHotButton, kPadKeyMinus)->IsVisible());
    EXPECT_FALSE(pad.FindHotspot(kHotButton, kPadKeyDecimal)->IsVisible());
}

// The balloon is a tooltip of the process's own common controls (5.8 here:
// the test has no manifest, as a host may have none). Its title cannot be
// asked for (5.8 has no TTM_GETTITLE, and Wine answers it with nothing);
// the pictures show title and icon.
TEST_F(PadPopups, ANumberAboveTheMaximumKeepsThePadOpenWithABalloonAndEscapeKeepsTheValue)
{
    int32_t value = 7;
    CNumPadPopup pad(value, 0, 100);
    std::wstring balloonText, fieldAfter, typedMinus;
    DWORD selection = 0;
    bool openAfterEnter = false, balloonGoneAfterTyping = false;
    RECT balloonRect{}, fieldRect{};
    EXPECT_FALSE(WorkNumPad(pad, [&](Hands& hands, HWND window) {
        HWND field = GetDlgItem(window, kPadFieldId);
        hands.TypeInto(field, {'1', '5', '0'}, L"150");
        hands.Keys({VK_RETURN});
        HWND balloon = nullptr;
        if (!hands.WaitFor([&] { return (balloon = hands.VisibleBalloon()) != nullptr; }))
            hands.Fail("no balloon");
        openAfterEnter = IsWindowVisible(window) != FALSE;
        balloonText = Text(balloon);
        GetWindowRect(balloon, &balloonRect);
        GetWindowRect(field, &fieldRect);
        fieldAfter = Text(field);
        selection = DWORD(SendMessageW(field, EM_GETSEL, 0, 0));
        SavePicture(GetDesktopWindow(), L"numpad-refusal.png");
        // The minus is refused as a character too; typing takes the balloon away.
        hands.Keys({VK_END, VK_OEM_MINUS, VK_SUBTRACT});
        typedMinus = Text(field);
        balloonGoneAfterTyping = hands.VisibleBalloon() == nullptr;
        hands.Keys({VK_ESCAPE});
    }));
    EXPECT_TRUE(openAfterEnter);
    const CString refusal = ComposePadMessage(kTextAboveMaximum, resources.LoadText(kTextAboveMaximum), u"100");
    EXPECT_EQ(balloonText, std::wstring(refusal.begin(), refusal.end()));
    EXPECT_NE(balloonText.find(L"100"), std::wstring::npos);
    // The balloon's stem points at the middle of the field's left edge.
    const LONG middle = (fieldRect.top + fieldRect.bottom) / 2;
    EXPECT_LE(std::min(std::abs(balloonRect.top - middle), std::abs(balloonRect.bottom - middle)), 40);
    EXPECT_LE(balloonRect.left, fieldRect.left + 40);
    EXPECT_EQ(fieldAfter, L"150");
    EXPECT_EQ(selection, DWORD(MAKELONG(0, 3))) << "all of the text selected again";
    EXPECT_EQ(typedMinus, L"150");
    EXPECT_TRUE(balloonGoneAfterTyping);
    EXPECT_EQ(value, 7);
}

TEST_F(PadPopups, APressOutsideCancelsAndAnEmptyTextCancelsToo)
{
    double value = 2.5;
    CNumPadPopup pad(value, -10, 10);
    // Left of the pad, on the owner's panel.
    const CRect beside = owner.ToDevice(CRect{10, 100, 11, 101});
    POINT outside{beside.left, beside.top};
    ClientToScreen(owner.GetSafeHwnd(), &outside);
    EXPECT_FALSE(WorkNumPad(pad, [&](Hands& hands, HWND window) {
        SavePicture(window, L"numpad-floating.png");
        hands.TypeInto(GetDlgItem(window, kPadFieldId), {'9'}, L"9");
        hands.Click(outside);
    }));
    EXPECT_EQ(value, 2.5);
    EXPECT_EQ(owner.presses, 0) << "the press that closed the pad stays away from the panel";

    CNumPadPopup emptied(value, -10, 10);
    EXPECT_FALSE(WorkNumPad(emptied, [&](Hands& hands, HWND window) {
        hands.TypeInto(GetDlgItem(window, kPadFieldId), {VK_BACK}, L"");
        hands.Keys({VK_RETURN});
    }));
    EXPECT_EQ(value, 2.5);
}

// Runs in the user's locale: with a German one (see CMakeLists) the decimal
// key types and shows a comma.
TEST_F(PadPopups, DecimalKeyTypesTheUsersDecimalCharacter)
{
    const std::wstring expected = std::wstring(L"1") + LocaleDecimalCharacter() + L"5e3";
    double value = 0;
    CNumPadPopup pad(value, 0, 2000);
    std::wstring typed;
    EXPECT_TRUE(WorkNumPad(pad, [&](Hands& hands, HWND window) {
        hands.ClickKey(window, pad, '1');
        hands.ClickKey(window, pad, kPadKeyDecimal);
        hands.ClickKey(window, pad, '5');
        hands.TypeInto(GetDlgItem(window, kPadFieldId), {'E', '3'}, expected);
        typed = Text(GetDlgItem(window, kPadFieldId));
        SavePicture(window, L"numpad-decimal.png");
        hands.ClickKey(window, pad, kPadAccept);
    }));
    EXPECT_EQ(typed, expected);
    EXPECT_EQ(value, 1500.0);
    auto* key = static_cast<CHotButton*>(pad.FindHotspot(kHotButton, kPadKeyDecimal));
    EXPECT_EQ(key->m_text, CString(1, char16_t(LocaleDecimalCharacter())));
    EXPECT_FALSE(pad.FindHotspot(kHotButton, kPadKeyMinus)->IsVisible()) << "the minimum is 0";
}

TEST_F(PadPopups, AtTheOwnersSecondZoomLevelWithAFieldFontToMatchAndInsideTheWorkArea)
{
    owner.ToggleZoom();
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // The target's corner lies so close to the work area's corner that the
    // pad has to move inside.
    SetWindowPos(owner.GetSafeHwnd(), nullptr, work.right - 200, work.bottom - 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    int32_t value = 1;
    CNumPadPopup pad(value, 0, 9);
    RECT client{}, placed{}, field{};
    LOGFONTW font{};
    WorkNumPad(pad, [&](Hands& hands, HWND window) {
        GetClientRect(window, &client);
        GetWindowRect(window, &placed);
        SavePicture(window, L"numpad-zoom2.png");
        HWND edit = GetDlgItem(window, kPadFieldId);
        GetWindowRect(edit, &field);
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0)), sizeof font, &font);
        hands.Keys({VK_ESCAPE});
    });
    ASSERT_TRUE(owner.IsSecondZoom());
    EXPECT_TRUE(pad.IsSecondZoom());
    EXPECT_EQ(client.right, pad.Zoom().ToDevice(pad.PanelSize().cx));
    EXPECT_GT(pad.Zoom().num * CVIView::ZoomLevels().first.den, CVIView::ZoomLevels().first.num * pad.Zoom().den);
    EXPECT_EQ(font.lfHeight, -(2 * (field.bottom - field.top) / 3));
    EXPECT_LE(placed.right, work.right);
    EXPECT_LE(placed.bottom, work.bottom);
}

TEST_F(PadPopups, WithoutItsLayoutAPadShowsNothingAndAcceptsNothing)
{
    app.m_hResource = nullptr;  // a resource library without the pads
    int32_t value = 5;
    CNumPadPopup pad(value, 0, 9);
    EXPECT_FALSE(pad.ShowAt(kEntryTarget, owner));
    EXPECT_EQ(pad.GetSafeHwnd(), nullptr);
    CSpinButtonPopup spin;
    EXPECT_FALSE(spin.ShowFor(*owner.Find<CHotUpDownButton>(kSpinControlId), owner));
    EXPECT_EQ(value, 5);
}

TEST_F(PadPopups, QuitEndsThePadAndReachesTheApplicationsLoop)
{
    int32_t value = 3;
    CNumPadPopup pad(value, 0, 9);
    const DWORD thread = GetCurrentThreadId();
    EXPECT_FALSE(WorkNumPad(pad, [&](Hands& hands, HWND) {
        PostThreadMessageW(thread, WM_QUIT, 5, 0);
        hands.WaitFor([] { return !FindWindowW(L"VexaInstrument", L"NUMERIC KEYPAD"); });
    }));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 5u);
}

// ---------------------------------------------------------------- spin pad

TEST_F(PadPopups, SpinPadOpensFromTheControlsPressAndSendsItsCommandsToTheOwner)
{
    RECT placed{};
    COLORREF arrow = CLR_INVALID;
    CTouchSettings touch;
    touch.touchMode = true;
    SetTouchSettings(touch);
    const std::string failure = WithHands(
        [&](Hands& hands) {
            HWND window = hands.WaitForPad(L"UP/DOWN");
            if (!window)
                return;
            GetWindowRect(window, &placed);
            SavePicture(window, L"spinpad.png");
            const auto& spin = *static_cast<CVIView*>(CView::FromHandle(window));
            // Inside the up key's arrow, below its tip.
            const CRect up = spin.ToDevice(spin.FindHotspot(kHotButton, kSpinPadUp)->m_rect);
            POINT inside{(up.left + up.right) / 2, (up.top + up.bottom) / 2 + 2};
            ClientToScreen(window, &inside);
            HDC screen = GetDC(nullptr);
            arrow = GetPixel(screen, inside.x, inside.y);
            ReleaseDC(nullptr, screen);
            hands.ClickKey(window, spin, kSpinPadUp);
            hands.ClickKey(window, spin, kSpinPadDown);
            hands.Keys({VK_UP, VK_ESCAPE});
        },
        [&] {
            // A press on the control, as the window's queue delivers it.
            const CRect device = owner.ToDevice(kSpinControlRect);
            const LPARAM at = MAKELPARAM(device.left + 4, device.top + 4);
            PostMessageW(owner.GetSafeHwnd(), WM_LBUTTONUP, 0, at);
            SendMessageW(owner.GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        });
    SetTouchSettings(CTouchSettings{});
    EXPECT_EQ(failure, "");
    EXPECT_EQ(owner.commands, (std::vector<uint32_t>{kSpinControlId, kSpinControlId + 1, kSpinControlId}));
    const POINT corner = ScreenCorner(kSpinControlRect);
    EXPECT_EQ(placed.left, corner.x);
    EXPECT_EQ(placed.top, corner.y);
    EXPECT_EQ(FindWindowW(L"VexaInstrument", L"UP/DOWN"), nullptr);
    // The arrows take the skin's label colour, so that they read in every skin.
    const Argb label = CVISkinManager::GetSkin().TextColour();
    EXPECT_EQ(arrow, RGB((label >> 16) & 0xFF, (label >> 8) & 0xFF, label & 0xFF));
}

}  // namespace
