// The catalogue with real windows: cascading, single instances and the
// refusal of instruments that need units already in use.
#include <gtest/gtest.h>

#include <windows.h>

#include "../interface/FakeServices.h"
#include "../viframework/PanelFakes.h"
#include "framework/File.h"
#include "framework/win32/Win32Services.h"
#include "interface/Interface.h"
#include "plugin/Catalogue.h"
#include "viframework/win32/VIWindow.h"

// The plug-in sets this from the host's wishes; here a plain captioned window.
DWORD VIWindowStyle()
{
    return WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
}

namespace {

std::vector<uint8_t> Layout(const char16_t* title, uint32_t unitMask)
{
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    ar << uint32_t{1};
    for (int i = 0; i < 10; ++i)
        ar << uint32_t(i == 4 ? unitMask : 0);
    ar << uint32_t{120} << uint32_t{60} << CString(title) << uint32_t{kHotEndOfList};
    return file.Data();
}

class PlainInstrument : public CVIWindow {};

// The real catalogue's windows and placement, with test instruments.
class TestCatalogue : public CInstrumentCatalogue {
public:
    CVIEventSink* CreateInstrument(uint32_t id, const uint32_t*) override
    {
        return id >= 10901 && id <= 10904 ? new PlainInstrument : nullptr;
    }
};

class CatalogueWindows : public ::testing::Test {
protected:
    CatalogueWindows()
    {
        SetWindowBridge(&bridge);
        SetPanelResources(&resources);
        resources.numbered[{kLayoutResourceType, 10901}] = Layout(u"FIRST", 1);
        resources.numbered[{kLayoutResourceType, 10902}] = Layout(u"SECOND", 2);
        resources.numbered[{kLayoutResourceType, 10903}] = Layout(u"THIRD", 4);
        resources.numbered[{kLayoutResourceType, 10904}] = Layout(u"CLASHES", 1);
        catalogue.SetInterface(&face);
    }
    ~CatalogueWindows() override
    {
        face.CloseAllInstruments(2000);
        SetPanelResources(nullptr);
        SetWindowBridge(nullptr);
    }

    static RECT Rect(CVIEventSink* sink)
    {
        RECT r{};
        GetWindowRect(static_cast<HWND>(reinterpret_cast<void*>(sink->Window())), &r);
        return r;
    }

    CWin32WindowBridge bridge;
    FakePanelResources resources;
    FakeServices fake;
    TestCatalogue catalogue;
    CInterface face{{fake.settings, fake.ui, fake.strings, fake.streams, fake.units, catalogue}};
};

TEST_F(CatalogueWindows, CascadesEachNewWindowByOneFrameAndCaptionPerOpenInstrument)
{
    CVIEventSink* first = face.OpenInstrument(10901, -1, -1);
    CVIEventSink* second = face.OpenInstrument(10902, -1, -1);
    CVIEventSink* third = face.OpenInstrument(10903, -1, -1);
    ASSERT_TRUE(first && second && third);
    const int dx = GetSystemMetrics(SM_CXDLGFRAME), dy = GetSystemMetrics(SM_CYCAPTION);
    EXPECT_EQ(Rect(second).left - Rect(first).left, dx);
    EXPECT_EQ(Rect(second).top - Rect(first).top, dy);
    EXPECT_EQ(Rect(third).left - Rect(first).left, 2 * dx);
    EXPECT_EQ(Rect(third).top - Rect(first).top, 2 * dy);
    EXPECT_EQ(face.Events().GetCount(), 3);
}

TEST_F(CatalogueWindows, AnOpenIdComesBackInsteadOfASecondWindow)
{
    CVIEventSink* first = face.OpenInstrument(10901, -1, -1);
    ASSERT_NE(first, nullptr);
    first->ShowInstrument(false);
    EXPECT_EQ(face.OpenInstrument(10901, -1, -1), nullptr);
    EXPECT_TRUE(first->IsInstrumentVisible());
    EXPECT_EQ(face.Events().GetCount(), 1);
}

TEST_F(CatalogueWindows, UnitsInUseRefuseTheInstrumentNamingTheHolder)
{
    ASSERT_NE(face.OpenInstrument(10901, -1, -1), nullptr);
    EXPECT_EQ(face.OpenInstrument(10904, -1, -1), nullptr);
    ASSERT_EQ(fake.ui.messages.size(), 1u);
    EXPECT_EQ(fake.ui.messages[0], "5019|FIRST|%2");
    EXPECT_EQ(face.Events().GetCount(), 1);
}

}  // namespace
