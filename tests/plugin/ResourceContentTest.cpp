// What the resource library carries that the build compiled from our own
// sources: pictures and icon, the control kinds' names in English and German,
// and what the meters need from it (menus, dialogs, messages). The panel
// layouts are the end-to-end tests' part: they open every one from the DLLs.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>

#include "../WineFolder.h"

namespace {

// A library loaded for its resources only; freed at the end of the scope.
class DataModule {
public:
    explicit DataModule(const wchar_t* name)
        : m_module(LoadLibraryExW(BesideMe(name).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE))
    {
    }
    ~DataModule()
    {
        if (m_module != nullptr)
            FreeLibrary(m_module);
    }
    DataModule(const DataModule&) = delete;
    HMODULE get() const { return m_module; }

    // The resource's bytes, or an empty string when it is missing.
    std::string Find(LPCWSTR type, LPCWSTR name, WORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)) const
    {
        HRSRC found = FindResourceExW(m_module, type, name, language);
        if (found == nullptr)
            return {};
        const void* data = LockResource(LoadResource(m_module, found));
        return std::string(static_cast<const char*>(data), SizeofResource(m_module, found));
    }

private:
    HMODULE m_module;
};

uint32_t U32(const std::string& b, size_t at)
{
    uint32_t value;
    std::memcpy(&value, b.data() + at, 4);
    return value;
}

uint16_t U16(const std::string& b, size_t at)
{
    uint16_t value;
    std::memcpy(&value, b.data() + at, 2);
    return value;
}

const WORD kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const WORD kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);

// The resource library, loaded for each test.
class CompiledResources : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(library.get(), nullptr) << GetLastError(); }
    DataModule library{L"VexaRes.dll"};
};

TEST_F(CompiledResources, ResourceLibraryCarriesThePictures)
{
    // Bitmap resources are packed DIBs: the info header comes first.
    const struct {
        int id;
        uint32_t width, height;
    } bitmaps[] = {{5130, 48, 16}, {5135, 192, 16}, {5201, 288, 32}, {5202, 224, 32},
                   {5203, 320, 32}, {5204, 288, 32}, {5500, 48, 16},  {5501, 16, 16},
                   {5504, 12, 54},  {20000, 240, 56}};
    for (const auto& b : bitmaps) {
        SCOPED_TRACE(b.id);
        const std::string dib = library.Find(MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(b.id));  // RT_BITMAP
        ASSERT_GE(dib.size(), 40u);
        EXPECT_EQ(U32(dib, 0), 40u);
        EXPECT_EQ(U32(dib, 4), b.width);
        EXPECT_EQ(U32(dib, 8), b.height);
        EXPECT_EQ(U16(dib, 14), 24);
    }

    // The icon group names one 32-bit icon of 16 and one of 32 pixels, and
    // each decodes to an icon.
    const std::string group = library.Find(MAKEINTRESOURCEW(14), MAKEINTRESOURCEW(5001));  // RT_GROUP_ICON
    ASSERT_EQ(group.size(), 6u + 2 * 14);
    EXPECT_EQ(U16(group, 2), 1);
    for (size_t i = 0; i < 2; ++i) {
        const size_t entry = 6 + 14 * i;
        const int size = i == 0 ? 16 : 32;
        EXPECT_EQ(uint8_t(group[entry]), size);
        EXPECT_EQ(U16(group, entry + 6), 32);
        std::string icon = library.Find(MAKEINTRESOURCEW(3), MAKEINTRESOURCEW(U16(group, entry + 12)));  // RT_ICON
        ASSERT_EQ(icon.size(), U32(group, entry + 8));
        HICON handle = CreateIconFromResourceEx(reinterpret_cast<PBYTE>(icon.data()), DWORD(icon.size()), TRUE,
                                                0x00030000, size, size, 0);
        EXPECT_NE(handle, nullptr) << size;
        if (handle != nullptr)
            DestroyIcon(handle);
    }
}

// One string of a string table in one language; empty when missing.
std::wstring FindText(const DataModule& module, UINT id, WORD language)
{
    const std::string block = module.Find(MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(id / 16 + 1), language);  // RT_STRING
    size_t at = 0;
    for (UINT i = 0; i < 16 && at + 2 <= block.size(); ++i) {
        const uint16_t length = U16(block, at);
        at += 2;
        if (i == id % 16)
            return std::wstring(reinterpret_cast<const wchar_t*>(block.data() + at), length);
        at += 2 * size_t(length);
    }
    return {};
}

TEST_F(CompiledResources, ControlKindsHaveANameAndADescriptionInBothLanguages)
{
    for (UINT code = 32809; code <= 32850; ++code) {
        if (code == 32815 || (code > 32839 && code < 32850))
            continue;
        SCOPED_TRACE(code);
        const std::wstring en = FindText(library, code, kEnglish);
        const std::wstring de = FindText(library, code, kGerman);
        const size_t enBreak = en.find(L'\n');
        const size_t deBreak = de.find(L'\n');
        ASSERT_NE(enBreak, std::wstring::npos);
        ASSERT_NE(deBreak, std::wstring::npos);
        EXPECT_GT(enBreak, 0u);
        EXPECT_GT(en.size(), enBreak + 1);
        EXPECT_GT(de.size(), deBreak + 1);
        EXPECT_EQ(en.substr(0, enBreak), de.substr(0, deBreak));  // the layout source's kind name
    }
    EXPECT_EQ(FindText(library, 32829, kEnglish), L"knob\nRotary knob");
    EXPECT_EQ(FindText(library, 32829, kGerman), L"knob\nDrehknopf");
}

// Menus 4001 and 4002 offer, in both languages, the meters and the sources
// that menu 4000 leaves out, each with an access key.
void ExpectMenuOffers(const DataModule& library, UINT menuId, const std::set<UINT>& wanted)
{
    for (WORD language : {kEnglish, kGerman}) {
        SCOPED_TRACE(std::to_string(menuId) + " " + std::to_string(language));
        const std::string data = library.Find(MAKEINTRESOURCEW(4), MAKEINTRESOURCEW(menuId), language);  // RT_MENU
        ASSERT_FALSE(data.empty());
        HMENU menu = LoadMenuIndirectW(data.data());
        ASSERT_NE(menu, nullptr);
        HMENU popup = GetSubMenu(menu, 0);
        ASSERT_NE(popup, nullptr);
        std::set<UINT> ids;
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            const UINT id = GetMenuItemID(popup, i);
            if (id == 0)
                continue;  // separator
            wchar_t text[80] = {};
            GetMenuStringW(popup, i, text, 80, MF_BYPOSITION);
            EXPECT_NE(std::wstring(text).find(L'&'), std::wstring::npos) << id;
            EXPECT_TRUE(ids.insert(id).second) << id;
        }
        EXPECT_EQ(ids, wanted);
        DestroyMenu(menu);
    }
}

TEST_F(CompiledResources, MoreMetersAndMoreSourcesMenusInBothLanguages)
{
    ExpectMenuOffers(library, 4001, {10061, 10062, 10063, 10064, 10065, 10066, 10124, 10125, 10068});
    ExpectMenuOffers(library, 4002, {10033, 10001, 10043, 10041, 10042, 10048});
}

// A text of the library in English and in German: both there and translated.
std::pair<std::wstring, std::wstring> ExpectTranslated(const DataModule& library, UINT id)
{
    const std::wstring en = FindText(library, id, kEnglish), de = FindText(library, id, kGerman);
    EXPECT_FALSE(en.empty()) << id;
    EXPECT_FALSE(de.empty()) << id;
    EXPECT_NE(en, de) << id;
    return {en, de};
}

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// The shunt and calibration dialogs have their value field, OK and Cancel,
// and the messages that refuse an entry exist, in both languages.
TEST_F(CompiledResources, EntryDialogsAndTheirMessagesInBothLanguages)
{
    for (WORD language : {kEnglish, kGerman}) {
        for (UINT id : {6007u, 6008u, 6020u}) {
            SCOPED_TRACE(std::to_string(language) + " " + std::to_string(id));
            const std::string data = library.Find(MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(id), language);  // RT_DIALOG
            ASSERT_FALSE(data.empty());
            HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                                     reinterpret_cast<LPCDLGTEMPLATEW>(data.data()), nullptr,
                                                     QuietDialog, 0);
            ASSERT_NE(dialog, nullptr) << GetLastError();
            wchar_t className[16] = {};
            GetClassNameW(GetDlgItem(dialog, 151), className, 16);
            EXPECT_EQ(std::wstring(className), L"Edit");
            EXPECT_NE(GetDlgItem(dialog, IDOK), nullptr);
            EXPECT_NE(GetDlgItem(dialog, IDCANCEL), nullptr);
            DestroyWindow(dialog);
        }
    }
    // The refusals, and the formula dialog's reasons and the texts around them.
    for (UINT id : {6010u, 6011u})
        ExpectTranslated(library, id);
    for (UINT id = 6101; id <= 6113; ++id)
        ExpectTranslated(library, id);
}

// The pop-up pads' refusals in both languages: a limit goes in place of the
// one "%s" of the two that name one.
TEST_F(CompiledResources, PadMessagesInBothLanguages)
{
    for (UINT id : {1012u, 1014u, 1016u, 1025u}) {
        SCOPED_TRACE(id);
        const auto [en, de] = ExpectTranslated(library, id);
        for (const std::wstring& text : {en, de}) {
            const size_t first = text.find(L"%s");
            const bool namesALimit = id == 1014 || id == 1016;
            EXPECT_EQ(first != std::wstring::npos, namesALimit);
            if (first != std::wstring::npos) {
                EXPECT_EQ(text.find(L'%', first + 1), std::wstring::npos);
            }
        }
    }
}

} // namespace
