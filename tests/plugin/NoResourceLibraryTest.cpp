// Without the resource library beside it, the plug-in still has its menu and
// its own two strings.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "../WineFolder.h"
#include "plugin/TorvanePlugIn.h"

namespace {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

TEST(NoResourceLibrary, MenuAndOwnStringsStillWork)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring alone = std::wstring(temp) + L"vexa-alone\\";
    CreateDirectoryW(alone.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(BesideMe(L"QX7350.dll").c_str(), (alone + L"QX7350.dll").c_str(), FALSE));
    DeleteFileW((alone + L"VexaRes.dll").c_str());

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HMODULE module = LoadLibraryW((alone + L"QX7350.dll").c_str());
    ASSERT_NE(module, nullptr);
    auto getClassObject = reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject(CLSID_VexaPlugIn, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    ITorvanePlugIn* plugIn = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_ITorvanePlugIn, reinterpret_cast<void**>(&plugIn)), S_OK);
    factory->Release();

    CString text;
    EXPECT_TRUE(plugIn->GetName(text));
    EXPECT_EQ(text, u"Vexa");
    EXPECT_FALSE(plugIn->GetTypeName(text)) << "the type name lives in the resource library";
    HMENU menu = plugIn->GetMenu(0);
    ASSERT_NE(menu, nullptr);
    EXPECT_GE(GetMenuItemCount(menu), 3);
    EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 2), 0), 10011u);
    DestroyMenu(menu);
    plugIn->Release();
    CoUninitialize();
}

} // namespace
