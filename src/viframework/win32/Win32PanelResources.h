// The panels' resources from the application's resource search chain.
#pragma once

#include <map>

#include "framework/win32/WinApp.h"
#include "viframework/controls/PanelResources.h"

class CWin32PanelResources : public IPanelResources {
public:
    explicit CWin32PanelResources(CWinApp& app) : m_app(app) {}

    std::shared_ptr<const CPanelImage> LoadBitmap(uint32_t id) override;
    std::optional<std::vector<uint8_t>> LoadCustom(uint32_t type, uint32_t id) override;
    std::optional<std::vector<uint8_t>> LoadCustom(uint32_t type, const CString& name) override;
    std::vector<CString> CustomNames(uint32_t type) override;
    std::optional<std::vector<CMenuEntry>> LoadMenu(uint32_t id) override;
    CString LoadText(uint32_t id) override;

private:
    std::optional<std::vector<uint8_t>> Load(LPCWSTR type, LPCWSTR name);

    CWinApp& m_app;
    // Bitmaps are decoded once; controls share them.
    std::map<uint32_t, std::shared_ptr<const CPanelImage>> m_bitmaps;
};
