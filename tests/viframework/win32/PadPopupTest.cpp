// The pop-up pads under Windows (Wine here), on the resource library's real
// layouts and texts, worked by a second thread that types and clicks through
// the system's input queue (SendInput) while the pad's loop runs in the
// window thread: numbers typed and accepted, refusals with their balloon,
// cancelling, placement and zoom, the spin pad's commands to the owner.
//
// With VEXA_PICTURES set to a folder, the tests also save pictures of the
// pads there (gray skin, first zoom level).
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "Capture.h"
#include "framework/File.h"
#include "viframework/SkinManager.h"
#include "viframework/controls/HotButton.h"
#include "viframework/win32/GdiPlusGraphics.h"
#include "viframework/win32/PadPopups.h"
#include "viframework/win32/Win32PanelResources.h"

namespace {

constexpr uint32_t kOwnerLayout = 10900;
constexpr uint32_t kSpinControlId = 40;
const CRect kSpinControlRect{20, 20, 36, 50};
const CRect kEntryTarget{60, 20, 140, 40};

std::wstring BesideMe(const wchar_t* name)
{
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + name;
}

// The resource library as the plug-in sees it, with layouts the test adds
// or takes away.
class LibraryResources : public IPanelResources {
public:
    explicit LibraryResources(CWinApp& app) : m_library(app) {}

    std::shared_ptr<const CPanelImage> LoadBitmap(uint32_t id) override { return m_library.LoadBitmap(id); }
    std::optional<std::vector<uint8_t>> LoadCustom(uint32_t type, uint32_t id) override
    {
        if (type == kLayoutResourceType && missing.count(id))
            return std::nullopt;
        if (auto it = numbered.find({type, id}); it != numbered.end())
            return it->second;
        return m_library.LoadCustom(type, id);
    }
    std::optional<std::vector<uint8_t>> LoadCustom(uint32_t type, const CString& name) override
    {
        return m_library.LoadCustom(type, name);
    }
    std::vector<CString> CustomNames(uint32_t type) override { return m_library.CustomNames(type); }
    std::optional<std::vector<CMenuEntry>> LoadMenu(uint32_t id) override { return m_library.LoadMenu(id); }
    CString LoadText(uint32_t id) override { return m_library.LoadText(id); }

    std::map<std::pair<uint32_t, uint32_t>, std::vector<uint8_t>> numbered;
    std::set<uint32_t> missing;

private:
    CWin32PanelResources m_library;
};

// Stands for an up/down control in touch mode: a press opens the spin pad.
class SpinStandIn : public CHotspot {
public:
    bool OnPress(IHotspotHost& host) override
    {
        host.OpenSpinPad(*this);
        return true;
    }
};

class OwnerWindow : public CVIWindowBase {
public:
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
    std::unique_ptr<CHotspot> CreateCustomHotspot(uint32_t param1, uint32_t, const CRect& rect) override
    {
        auto control = std::make_unique<SpinStandIn>();
        control->m_rect = rect;
        control->m_id = param1;
        return control;
    }
    std::vector<uint32_t> commands;
    int presses = 0;
};

// A panel of 200 x 120 with the up/down stand-in.
std::vector<uint8_t> OwnerLayout()
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    ar << uint32_t{1};
    for (int i = 0; i < 10; ++i)
        ar << uint32_t{0};
    ar << uint32_t{200} << uint32_t{120} << CString(u"OWNER");
    ar << uint32_t{kHotRectangle} << kSpinControlRect.left << kSpinControlRect.top << kSpinControlRect.right
       << kSpinControlRect.bottom << kSpinControlId << uint32_t{0};
    ar << uint32_t{kHotEndOfList};
    return file.Data();
}

std::wstring Text(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

std::wstring Wide16(const CString& text)
{
    return std::wstring(text.begin(), text.end());
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
        if (!found)
            Fail("the pad did not come up in front");
        // Let it paint before anyone looks at it.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return found ? pad : nullptr;
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
        input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
        input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
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
        EnumThreadWindows(
            m_windowThread,
            [](HWND window, LPARAM context) {
                wchar_t name[32] = {};
                GetClassNameW(window, name, 32);
                if (lstrcmpiW(name, TOOLTIPS_CLASSW) == 0 && IsWindowVisible(window)) {
                    *reinterpret_cast<HWND*>(context) = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    }

    // Closes a pad the script left open, so that the window thread returns.
    void Finish()
    {
        if (m_title.empty())
            return;
        if (HWND pad = FindWindowW(L"VexaInstrument", m_title.c_str())) {
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

    PadPopups() : resources(app)
    {
        app.m_hResource = LoadLibraryExW(BesideMe(L"VexaRes.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        app.m_language = GetUserDefaultUILanguage();
        SetPanelResources(&resources);
        CVISkinManager::GetSkin().Load(u"gray", resources);
        resources.numbered[{kLayoutResourceType, kOwnerLayout}] = OwnerLayout();
    }
    ~PadPopups() override
    {
        owner.DestroyView();
        SetPanelResources(nullptr);
        if (app.m_hResource)
            FreeLibrary(app.m_hResource);
    }

    void SetUp() override
    {
        ASSERT_NE(app.m_hResource, nullptr) << "VexaRes.dll beside the test";
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
        const char* folder = std::getenv("VEXA_PICTURES");
        if (!folder || !*folder)
            return;
        std::wstring path(folder, folder + strlen(folder));
        // A folder named the Unix way lies on Wine's drive for the root.
        if (path[0] == L'/')
            path = L"Z:" + path;
        CreateDirectoryW(path.c_str(), nullptr);
        CaptureWindowToPng(window, path + L"\\" + name);
    }

    CWinApp app;
    LibraryResources resources;
    OwnerWindow owner;
};

// ---------------------------------------------------------------- numeric pad

TEST_F(PadPopups, TypedDigitsAndEnterStoreTheNumberInTheOwnersVariable)
{
    int32_t value = 7;
    CNumPadPopup pad(value, 0, 100);
    std::wstring initial;
    RECT placed{};
    bool accepted = false;
    const std::string failure = WithHands(
        [&](Hands& hands) {
            HWND window = hands.WaitForPad(L"NUMERIC KEYPAD");
            if (!window)
                return;
            initial = Text(GetDlgItem(window, kPadFieldId));
            GetWindowRect(window, &placed);
            SavePicture(window, L"numpad-integer.png");
            // The opening text is selected: typing replaces it.
            hands.Keys({'4', '2', VK_RETURN});
        },
        [&] { accepted = pad.ShowAt(kEntryTarget, owner); });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(initial, L"7");
    EXPECT_TRUE(accepted);
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
// asked for (version 5.8 has no TTM_GETTITLE, and Wine answers it with
// nothing); the pictures show title and icon.
TEST_F(PadPopups, ANumberAboveTheMaximumKeepsThePadOpenWithABalloonAndEscapeKeepsTheValue)
{
    int32_t value = 7;
    CNumPadPopup pad(value, 0, 100);
    std::wstring balloonText, fieldAfter, typedMinus;
    DWORD selection = 0;
    bool openAfterEnter = false, balloonGoneAfterTyping = false;
    RECT balloonRect{}, fieldRect{};
    bool accepted = true;
    const std::string failure = WithHands(
        [&](Hands& hands) {
            HWND window = hands.WaitForPad(L"NUMERIC KEYPAD");
            if (!window)
                return;
            HWND field = GetDlgItem(window, kPadFieldId);
            hands.Keys({'1', '5', '0', VK_RETURN});
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
        },
        [&] { accepted = pad.ShowAt(kEntryTarget, owner); });
    EXPECT_EQ(failure, "");
    EXPECT_TRUE(openAfterEnter);
    EXPECT_EQ(balloonText, Wide16(ComposePadMessage(kTextAboveMaximum, resources.LoadText(kTextAboveMaximum), u"100")));
    EXPECT_NE(balloonText.find(L"100"), std::wstring::npos);
    // The balloon's stem points at the middle of the field's left edge.
    const LONG middle = (fieldRect.top + fieldRect.bottom) / 2;
    EXPECT_LE(std::min(std::abs(balloonRect.top - middle), std::abs(balloonRect.bottom - middle)), 40);
    EXPECT_LE(balloonRect.left, fieldRect.left + 40);
    EXPECT_EQ(fieldAfter, L"150");
    EXPECT_EQ(selection, DWORD(MAKELONG(0, 3))) << "all of the text selected again";
    EXPECT_EQ(typedMinus, L"150");
    EXPECT_TRUE(balloonGoneAfterTyping);
    EXPECT_FALSE(accepted);
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
    bool accepted = true;
    std::string failure = WithHands(
        [&](Hands& hands) {
            HWND window = hands.WaitForPad(L"NUMERIC KEYPAD");
            if (!window)
                return;
            SavePicture(window, L"numpad-floating.png");
            hands.Keys({'9'});
            hands.Click(outside);
        },
        [&] { accepted = pad.ShowAt(kEntryTarget, owner); });
    EXPECT_EQ(failure, "");
    EXPECT_FALSE(accepted);
    EXPECT_EQ(value, 2.5);
    EXPECT_EQ(owner.presses, 0) << "the press that closed the pad stays away from the panel";

    CNumPadPopup emptied(value, -10, 10);
    failure = WithHands(
        [&](Hands& hands) {
            if (hands.WaitForPad(L"NUMERIC KEYPAD"))
                hands.Keys({VK_BACK, VK_RETURN});
        },
        [&] { accepted = emptied.ShowAt(kEntryTarget, owner); });
    EXPECT_EQ(failure, "");
    EXPECT_FALSE(accepted);
    EXPECT_EQ(value, 2.5);
}

// Runs in the user's locale: with a German one (see CMakeLists) the decimal
// key types and shows a comma.
TEST_F(PadPopups, DecimalKeyTypesTheUsersDecimalCharacter)
{
    const wchar_t decimal = LocaleDecimalCharacter();
    double value = 0;
    CNumPadPopup pad(value, 0, 2000);
    std::wstring typed;
    bool accepted = false;
    const std::string failure = WithHands(
        [&](Hands& hands) {
            HWND window = hands.WaitForPad(L"NUMERIC KEYPAD");
            if (!window)
                return;
            hands.ClickKey(window, pad, '1');
            hands.ClickKey(window, pad, kPadKeyDecimal);
            hands.ClickKey(window, pad, '5');
            hands.Keys({'E', '3'});
            typed = Text(GetDlgItem(window, kPadFieldId));
            SavePicture(window, L"numpad-decimal.png");
            hands.ClickKey(window, pad, kPadAccept);
        },
        [&] { accepted = pad.ShowAt(kEntryTarget, owner); });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(typed, std::wstring(L"1") + decimal + L"5e3");
    EXPECT_TRUE(accepted);
    EXPECT_EQ(value, 1500.0);
    auto* key = static_cast<CHotButton*>(pad.FindHotspot(kHotButton, kPadKeyDecimal));
    EXPECT_EQ(key->m_text, CString(1, char16_t(decimal)));
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
    const std::string failure = WithHands(
        [&](Hands& hands) {
            HWND window = hands.WaitForPad(L"NUMERIC KEYPAD");
            if (!window)
                return;
            GetClientRect(window, &client);
            GetWindowRect(window, &placed);
            HWND edit = GetDlgItem(window, kPadFieldId);
            GetWindowRect(edit, &field);
            GetObjectW(reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0)), sizeof font, &font);
            hands.Keys({VK_ESCAPE});
        },
        [&] { pad.ShowAt(kEntryTarget, owner); });
    EXPECT_EQ(failure, "");
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
    resources.missing = {kNumPadLayout, kSpinPadLayout};
    int32_t value = 5;
    CNumPadPopup pad(value, 0, 9);
    EXPECT_FALSE(pad.ShowAt(kEntryTarget, owner));
    EXPECT_EQ(pad.GetSafeHwnd(), nullptr);
    CSpinButtonPopup spin;
    CHotspot control;
    control.m_id = kSpinControlId;
    EXPECT_FALSE(spin.ShowFor(control, owner));
    EXPECT_EQ(value, 5);
}

TEST_F(PadPopups, QuitEndsThePadAndReachesTheApplicationsLoop)
{
    int32_t value = 3;
    CNumPadPopup pad(value, 0, 9);
    const DWORD thread = GetCurrentThreadId();
    bool accepted = true;
    const std::string failure = WithHands(
        [&](Hands& hands) {
            if (hands.WaitForPad(L"NUMERIC KEYPAD"))
                PostThreadMessageW(thread, WM_QUIT, 5, 0);
            hands.WaitFor([] { return !FindWindowW(L"VexaInstrument", L"NUMERIC KEYPAD"); });
        },
        [&] { accepted = pad.ShowAt(kEntryTarget, owner); });
    EXPECT_EQ(failure, "");
    EXPECT_FALSE(accepted);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 5u);
}

// ---------------------------------------------------------------- spin pad

TEST_F(PadPopups, SpinPadOpensFromTheControlsPressAndSendsItsCommandsToTheOwner)
{
    RECT placed{};
    CVIView* spin = nullptr;
    const std::string failure = WithHands(
        [&](Hands& hands) {
            HWND window = hands.WaitForPad(L"UP/DOWN");
            if (!window)
                return;
            GetWindowRect(window, &placed);
            SavePicture(window, L"spinpad.png");
            spin = static_cast<CVIView*>(CView::FromHandle(window));
            hands.ClickKey(window, *spin, kSpinPadUp);
            hands.ClickKey(window, *spin, kSpinPadDown);
            hands.Keys({VK_UP, VK_RETURN});
        },
        [&] {
            // A press on the control, as the window's queue delivers it.
            const CRect device = owner.ToDevice(kSpinControlRect);
            const LPARAM at = MAKELPARAM(device.left + 4, device.top + 4);
            PostMessageW(owner.GetSafeHwnd(), WM_LBUTTONUP, 0, at);
            SendMessageW(owner.GetSafeHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(owner.commands, (std::vector<uint32_t>{kSpinControlId, kSpinControlId + 1, kSpinControlId}));
    const POINT corner = ScreenCorner(kSpinControlRect);
    EXPECT_EQ(placed.left, corner.x);
    EXPECT_EQ(placed.top, corner.y);
    EXPECT_EQ(FindWindowW(L"VexaInstrument", L"UP/DOWN"), nullptr);
}

TEST_F(PadPopups, SpinPadEndsWithEscapeAndItsCloseButton)
{
    CHotspot control;
    control.m_id = kSpinControlId;
    control.m_rect = kSpinControlRect;
    for (bool withButton : {false, true}) {
        SCOPED_TRACE(withButton ? "close button" : "Escape");
        CSpinButtonPopup spin;
        bool shown = false;
        const std::string failure = WithHands(
            [&](Hands& hands) {
                HWND window = hands.WaitForPad(L"UP/DOWN");
                if (!window)
                    return;
                if (withButton)
                    hands.ClickKey(window, spin, kPadAccept);
                else
                    hands.Keys({VK_DOWN, VK_ESCAPE});
            },
            [&] { shown = spin.ShowFor(control, owner); });
        EXPECT_EQ(failure, "");
        EXPECT_TRUE(shown);
    }
    EXPECT_EQ(owner.commands, std::vector<uint32_t>{kSpinControlId + 1});
}

}  // namespace
