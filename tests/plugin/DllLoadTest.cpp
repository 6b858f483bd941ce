// The plug-in loads under Windows (Wine here) from the test's folder. (The
// libraries' version records are binary_versions' part.)
#include <gtest/gtest.h>

#include <windows.h>

#include "../WineFolder.h"

namespace {

TEST(Libraries, PluginLoadsAsCode)
{
    HMODULE module = LoadLibraryW(BesideMe(L"QX7350.dll").c_str());
    ASSERT_NE(module, nullptr) << GetLastError();
    EXPECT_TRUE(FreeLibrary(module));
}

} // namespace
