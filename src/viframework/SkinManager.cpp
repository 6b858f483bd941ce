#include "viframework/SkinManager.h"

#include <algorithm>
#include <optional>

#include "framework/Exception.h"
#include "viframework/controls/PanelResources.h"

CVISkinManager::CVISkinManager()
{
    Reset();
}

CVISkinManager::~CVISkinManager() = default;

CVISkinManager& CVISkinManager::GetSkin()
{
    static CVISkinManager skin;
    return skin;
}

void CVISkinManager::Reset()
{
    ++m_generation;
    m_smoothingMode = m_compositingQuality = m_textRenderingHint = 0;
    m_backgroundColour = 0;
    m_lcdColours = {0, 0, 0};
    m_segmentColours = {0xFF000000u, 0xFF000000u, 0xFF000000u};
    m_colour = 0xFF000000u;
    m_lampStyles.clear();
    m_colourTable.fill(0xFF000000u);
    // Numbers 0, the three colours of each face group opaque black.
    m_lookParameters.fill(0);
    for (size_t face : {kLookStandardFace, kLookAccentFace, kLookFieldFace, kLookSelectedFace})
        for (size_t i = 1; i <= 3; ++i)
            m_lookParameters[face + i] = 0xFF000000u;
    m_powerAppearance = CHotPowerEnableInfo();
    m_extraColours = {0xFF000000u, 0xFF000000u};
    m_recordVersion = 1;
    m_recordReserved = 0;
    ResetFonts();
}

bool CVISkinManager::ResetFonts()
{
    ++m_generation;
    m_displayFont = MakeFont(u"Courier New", -11, 700);
    m_textFont = MakeFont(u"Tahoma", -11, 400);
    return true;
}

namespace {

template <class T, size_t N>
void Exchange(CArchive& ar, std::array<T, N>& values)
{
    for (T& value : values) {
        if (ar.IsStoring())
            ar << value;
        else
            ar >> value;
    }
}

template <class T>
void Exchange(CArchive& ar, T& value)
{
    if (ar.IsStoring())
        ar << value;
    else
        ar >> value;
}

}  // namespace

void CVISkinManager::Serialize(CArchive& ar)
{
    // Fields are read straight into place, so a record cut short leaves
    // everything before the cut loaded.
    Exchange(ar, m_recordVersion);
    Exchange(ar, m_recordReserved);
    Exchange(ar, m_smoothingMode);
    Exchange(ar, m_compositingQuality);
    Exchange(ar, m_textRenderingHint);
    Exchange(ar, m_backgroundColour);
    Exchange(ar, m_colour);
    Exchange(ar, m_textFont);
    Exchange(ar, m_colourTable);
    Exchange(ar, m_lookParameters);
    m_powerAppearance.Serialize(ar);
    Exchange(ar, m_extraColours);
    SerializeArray(ar, m_lampStyles);
    Exchange(ar, m_lcdColours);
    Exchange(ar, m_segmentColours);
}

bool CVISkinManager::LoadRecord(const std::vector<uint8_t>& bytes)
{
    ++m_generation;
    CMemFile file(bytes.data(), bytes.size());
    CArchive ar(&file, CArchive::load);
    try {
        Serialize(ar);
        return true;
    } catch (const CException&) {
        return false;
    }
}

bool CVISkinManager::Load(const CString& name, IPanelResources& resources)
{
    auto bytes = resources.LoadCustom(kSkinResourceType, name);
    if (!bytes) {
        const std::vector<CString> names = resources.CustomNames(kSkinResourceType);
        if (names.empty())
            return false;
        bytes = resources.LoadCustom(kSkinResourceType, names.front());
        if (!bytes)
            return false;
    }
    LoadRecord(*bytes);
    return true;
}

void CVISkinManager::Load(ISettingsStore& settings, IPanelResources& resources)
{
    const CString key = kVirtualInstrumentsKey;
    std::optional<CString> name = settings.ReadText(SettingsHive::CurrentUser, key, u"Skin");
    if (!name)
        name = settings.ReadText(SettingsHive::LocalMachine, key, u"Skin");
    Load(name.value_or(u"gray"), resources);
}

SkinFace CVISkinManager::Face(size_t first) const
{
    const auto& p = m_lookParameters;
    return SkinFace{float(p[first]), p[first + 1], p[first + 2], p[first + 3], float(p[first + 4]),
                    uint8_t(std::min<uint32_t>(p[first + 5], 255))};
}

void CVISkinManager::ClearLampStyles()
{
    m_lampStyles.clear();
}

const CHotStatusInfo& CVISkinManager::GetLampStyle(size_t index) const
{
    if (index >= m_lampStyles.size())
        throw CInvalidArgException();
    return *m_lampStyles[index];
}

CSize CVISkinManager::GetButtonSize(uint32_t styleIndex)
{
    switch (styleIndex) {
    case 0: case 1: case 2: case 3: case 10: case 11:
        return {38, 22};
    case 4: case 5:
        return {28, 19};
    case 9:
        return {26, 26};
    case 20:
        return {16, 30};
    default:
        return {36, 36};
    }
}
