// The two libraries load under Windows (Wine here) from the test's folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "../WineFolder.h"

namespace {

TEST(Libraries, PluginLoadsAsCode)
{
    HMODULE module = LoadLibraryW(BesideMe(L"QX7350.dll").c_str());
    ASSERT_NE(module, nullptr) << GetLastError();
    EXPECT_TRUE(FreeLibrary(module));
}

TEST(Libraries, ResourceLibraryCarriesItsVersionRecord)
{
    HMODULE module = LoadLibraryExW(BesideMe(L"VexaRes.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << GetLastError();
    HRSRC version = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16));
    EXPECT_NE(version, nullptr);
    EXPECT_GT(SizeofResource(module, version), 100u);
    FreeLibrary(module);
}

} // namespace
