// The plug-in as the host sees it: registration, the class, and the slots of
// ITorvanePlugIn, under Windows (Wine here).
#include <gtest/gtest.h>

#include <windows.h>
#include <comcat.h>

#include <string>

#include "../WineFolder.h"
#include "framework/Archive.h"
#include "framework/CmdTarget.h"
#include "framework/File.h"
#include "framework/win32/WinApp.h"
#include "plugin/TorvanePlugIn.h"

namespace {

using RegisterFn = HRESULT(STDAPICALLTYPE*)();
using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

const wchar_t kClsidKey[] = L"CLSID\\{F191129C-F2DD-4D99-B062-11ABB9722A3F}";
const wchar_t kInterfaceKey[] = L"Software\\Brennick\\Vexa Interface";

std::wstring ReadText(HKEY root, const std::wstring& key, const wchar_t* name)
{
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return value;
}

void SetNumber(const std::wstring& key, const wchar_t* name, DWORD value)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof value);
}

bool InCategory()
{
    ICatInformation* info = nullptr;
    if (FAILED(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatInformation,
                                reinterpret_cast<void**>(&info))))
        return false;
    CATID catid = CATID_TorvanePlugIns;
    IEnumCLSID* found = nullptr;
    bool listed = false;
    if (SUCCEEDED(info->EnumClassesOfCategories(1, &catid, 0, nullptr, &found)) && found) {
        CLSID clsid;
        ULONG got = 0;
        while (found->Next(1, &clsid, &got) == S_OK)
            listed |= IsEqualCLSID(clsid, CLSID_VexaPlugIn) != FALSE;
        found->Release();
    }
    info->Release();
    return listed;
}

// Everything in one process: COM up, the library loaded, demonstration mode
// so that no dialog can ever wait for a user.
class PlugIn : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        SetNumber(std::wstring(kInterfaceKey) + L"\\Settings", L"DemoMode", 1);
        module = LoadLibraryW(BesideMe(L"QX7350.dll").c_str());
    }
    static void TearDownTestSuite() { CoUninitialize(); }
    template <class Fn>
    static Fn Export(const char* name)
    {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
    // Registers the library and creates its class as the host does.
    static void CreateRegistered(ITorvanePlugIn*& plugIn)
    {
        ASSERT_EQ(Export<RegisterFn>("DllRegisterServer")(), S_OK);
        ASSERT_EQ(CoCreateInstance(CLSID_VexaPlugIn, nullptr, CLSCTX_INPROC_SERVER, IID_ITorvanePlugIn,
                                   reinterpret_cast<void**>(&plugIn)),
                  S_OK);
    }
    static HMODULE module;
};
HMODULE PlugIn::module = nullptr;

TEST_F(PlugIn, RegistersClassProgIdAndCategoryAndUnregistersAllButTheCategory)
{
    ASSERT_NE(module, nullptr);
    ASSERT_EQ(Export<RegisterFn>("DllRegisterServer")(), S_OK);
    const std::wstring server = ReadText(HKEY_CLASSES_ROOT, std::wstring(kClsidKey) + L"\\InprocServer32", nullptr);
    EXPECT_NE(server.find(L"QX7350.dll"), std::wstring::npos) << server.c_str();
    EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, std::wstring(kClsidKey) + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, std::wstring(kClsidKey) + L"\\ProgID", nullptr), L"Torvane.QX7350");
    EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, kClsidKey, nullptr), L"Vexa Virtual Instruments");
    CLSID byName;
    ASSERT_EQ(CLSIDFromProgID(L"Torvane.QX7350", &byName), S_OK);
    EXPECT_TRUE(IsEqualCLSID(byName, CLSID_VexaPlugIn));
    EXPECT_TRUE(InCategory());

    ASSERT_EQ(Export<RegisterFn>("DllUnregisterServer")(), S_OK);
    EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, kClsidKey, nullptr), L"<missing>");
    EXPECT_EQ(ReadText(HKEY_CLASSES_ROOT, L"Torvane.QX7350", nullptr), L"<missing>");
    EXPECT_FALSE(InCategory());
    HKEY category;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT,
                            L"Component Categories\\{49E4A0A5-B677-4820-81F9-4F542C60FB9D}", 0, KEY_READ, &category),
              ERROR_SUCCESS);
    RegCloseKey(category);
}

TEST_F(PlugIn, SlotsBehaveAsTheHostExpects)
{
    ITorvanePlugIn* plugIn = nullptr;
    ASSERT_NO_FATAL_FAILURE(CreateRegistered(plugIn));
    EXPECT_EQ(Export<RegisterFn>("DllCanUnloadNow")(), S_FALSE) << "an object is alive";

    EXPECT_TRUE(plugIn->IsReady());
    EXPECT_EQ(plugIn->SetHostWindow(nullptr, false), 0x02C80000u);
    EXPECT_EQ(plugIn->SetHostWindow(GetDesktopWindow(), true), 0x02CA0000u);
    EXPECT_TRUE(plugIn->Connect());
    EXPECT_TRUE(plugIn->Connect()) << "a second connect finds the transport and asks nothing";

    CString text;
    EXPECT_TRUE(plugIn->GetName(text));
    EXPECT_EQ(text, u"Vexa");
    EXPECT_TRUE(plugIn->GetTypeName(text));
    EXPECT_EQ(text, u"Vexa Virtual Instruments");
    EXPECT_TRUE(plugIn->GetDescription(text));
    EXPECT_FALSE(text.empty());
    plugIn->GetHelpFile(text);
    EXPECT_EQ(text.substr(text.size() - 12), u"QX7000.bkhlp");
    EXPECT_EQ(plugIn->Reserved8(), 0u);
    EXPECT_FALSE(plugIn->Reserved21(nullptr, nullptr));
    EXPECT_EQ(plugIn->GetInstrumentCount(), 0);
    EXPECT_FALSE(plugIn->IsAnyInstrumentVisible());

    CMenu menu;
    menu.m_hMenu = CreatePopupMenu();
    WORD next = 500;
    EXPECT_EQ(plugIn->AppendWindowMenu(&menu, &next), 0);
    EXPECT_EQ(next, 500);
    EXPECT_EQ(GetMenuItemCount(menu.m_hMenu), 0);
    DestroyMenu(menu.m_hMenu);

    EXPECT_TRUE(plugIn->OnHostCommand(1, u"1,3"));
    EXPECT_FALSE(plugIn->OnHostCommand(2, u""));

    // The relays item follows the host's relay control.
    struct Probe : CCmdUI {
        void Enable(bool on) override { enabled = on; }
        void SetCheck(int) override {}
        bool enabled = true;
    } probe;
    EXPECT_TRUE(plugIn->OnCmdMsg(10021, CN_UPDATE_COMMAND_UI, &probe, nullptr));
    EXPECT_FALSE(probe.enabled);
    plugIn->OnHostCommand(1, u"0,0");
    plugIn->OnCmdMsg(10021, CN_UPDATE_COMMAND_UI, &probe, nullptr);
    EXPECT_TRUE(probe.enabled);

    plugIn->OnIdle();
    EXPECT_TRUE(plugIn->Disconnect());
    plugIn->SetHostWindow(nullptr, true);
    EXPECT_EQ(plugIn->Release(), 0u);
}

// What the host learns from Serialize of a document: the archive's failure,
// and no message box of the plug-in's own (the host tells its user).
TEST_F(PlugIn, ADocumentThatCannotBeReadIsHandedBackAsAFailure)
{
    ITorvanePlugIn* plugIn = nullptr;
    ASSERT_NO_FATAL_FAILURE(CreateRegistered(plugIn));
    ASSERT_TRUE(plugIn->Connect());
    CMemFile stored;
    {
        CArchive ar(&stored, CArchive::store);
        plugIn->Serialize(ar);
        EXPECT_EQ(ar.Failure(), CArchiveException::none);
    }
    const std::vector<uint8_t> good = stored.Data();
    std::vector<uint8_t> wrongMagic = good;
    wrongMagic[3] ^= 0xFF;
    const std::vector<uint8_t> truncated(good.begin(), good.begin() + 10);
    struct Case {
        const std::vector<uint8_t>& bytes;
        CArchiveException::Cause cause;
    };
    for (const Case& c : {Case{good, CArchiveException::none}, Case{wrongMagic, CArchiveException::badIndex},
                          Case{truncated, CArchiveException::endOfFile}}) {
        CMemFile file(c.bytes.data(), c.bytes.size());
        CArchive ar(&file, CArchive::load);
        plugIn->Serialize(ar);
        EXPECT_EQ(ar.Failure(), c.cause);
    }
    plugIn->Disconnect();
    plugIn->Release();
}

TEST_F(PlugIn, MenuCarriesThePopupsAndTheReconnectItemUnlessSwitchedOff)
{
    ITorvanePlugIn* plugIn = nullptr;
    ASSERT_NO_FATAL_FAILURE(CreateRegistered(plugIn));
    const std::wstring wlan = std::wstring(kInterfaceKey) + L"\\WLAN";
    SetNumber(wlan, L"NoReconnect", 0);
    HMENU menu = plugIn->GetMenu(0);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 5);
    wchar_t text[64];
    GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"&Measuring Devices");
    GetMenuStringW(menu, 2, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"&Digital");
    EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 0), 0), 10115u);
    EXPECT_EQ(GetMenuItemID(menu, 4), 11000u);
    DestroyMenu(menu);

    SetNumber(wlan, L"NoReconnect", 1);
    menu = plugIn->GetMenu(0);
    EXPECT_EQ(GetMenuItemCount(menu), 3);
    DestroyMenu(menu);
    SetNumber(wlan, L"NoReconnect", 0);
    EXPECT_EQ(plugIn->GetMenu(7), nullptr);
    plugIn->Release();
}

// Run only for a German user (LANG=de_DE.UTF-8 under Wine): the test
// program's German run; the ordinary run leaves it out.
TEST_F(PlugIn, GermanUserGetsTheGermanMenu)
{
    ASSERT_EQ(PRIMARYLANGID(GetUserDefaultUILanguage()), LANG_GERMAN)
        << "this test needs a German user language; Wine takes it from LANG";
    IClassFactory* factory = nullptr;
    ASSERT_EQ(Export<GetClassObjectFn>("DllGetClassObject")(CLSID_VexaPlugIn, IID_IClassFactory,
                                                             reinterpret_cast<void**>(&factory)),
              S_OK);
    ITorvanePlugIn* plugIn = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_ITorvanePlugIn, reinterpret_cast<void**>(&plugIn)), S_OK);
    factory->Release();
    HMENU menu = plugIn->GetMenu(0);
    wchar_t text[64];
    GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"&Messgeräte");
    GetMenuStringW(menu, 4, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Trainerinterface &neu verbinden...");
    DestroyMenu(menu);
    plugIn->Release();
}

} // namespace
