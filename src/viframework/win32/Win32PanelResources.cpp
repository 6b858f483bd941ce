#include "viframework/win32/Win32PanelResources.h"

std::optional<std::vector<uint8_t>> CWin32PanelResources::Load(LPCWSTR type, LPCWSTR name)
{
    HMODULE module = nullptr;
    HRSRC found = m_app.FindInChain(type, name, &module);
    if (!found)
        return std::nullopt;
    HGLOBAL loaded = LoadResource(module, found);
    const DWORD size = SizeofResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        return std::nullopt;
    const auto* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

std::shared_ptr<const CPanelImage> CWin32PanelResources::LoadBitmap(uint32_t id)
{
    auto it = m_bitmaps.find(id);
    if (it != m_bitmaps.end())
        return it->second;
    std::shared_ptr<const CPanelImage> image;
    if (auto bytes = Load(RT_BITMAP, MAKEINTRESOURCEW(id)))
        image = DecodeDib(bytes->data(), bytes->size());
    m_bitmaps[id] = image;
    return image;
}

std::optional<std::vector<uint8_t>> CWin32PanelResources::LoadCustom(uint32_t type, uint32_t id)
{
    return Load(MAKEINTRESOURCEW(type), MAKEINTRESOURCEW(id));
}

std::optional<std::vector<uint8_t>> CWin32PanelResources::LoadCustom(uint32_t type, const CString& name)
{
    return Load(MAKEINTRESOURCEW(type), Wide(name));
}

namespace {

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param)
{
    auto* out = reinterpret_cast<std::vector<CString>*>(param);
    if (IS_INTRESOURCE(name))
        out->push_back(Utf8ToString(std::to_string(reinterpret_cast<uintptr_t>(name))));
    else
        out->push_back(FromWide(name));
    return TRUE;
}

}  // namespace

std::vector<CString> CWin32PanelResources::CustomNames(uint32_t type)
{
    std::vector<CString> names;
    for (HMODULE module : {static_cast<HMODULE>(m_app.m_hResource), static_cast<HMODULE>(m_app.m_hInstance)}) {
        if (!module)
            continue;
        EnumResourceNamesW(module, MAKEINTRESOURCEW(type), CollectName, reinterpret_cast<LONG_PTR>(&names));
        if (!names.empty())
            break;
    }
    return names;
}

std::optional<std::vector<CMenuEntry>> CWin32PanelResources::LoadMenu(uint32_t id)
{
    HMENU menu = m_app.LoadMenuResource(id);
    if (!menu)
        return std::nullopt;
    std::vector<CMenuEntry> entries;
    if (HMENU popup = GetSubMenu(menu, 0)) {
        const int count = GetMenuItemCount(popup);
        for (int i = 0; i < count; ++i) {
            wchar_t text[256] = {};
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
            info.dwTypeData = text;
            info.cch = 255;
            if (!GetMenuItemInfoW(popup, UINT(i), TRUE, &info))
                continue;
            entries.push_back({info.wID, FromWide(text), info.fType});
        }
    }
    DestroyMenu(menu);
    return entries;
}

CString CWin32PanelResources::LoadText(uint32_t id)
{
    return m_app.LoadText(id);
}
