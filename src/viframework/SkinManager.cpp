#include "viframework/SkinManager.h"

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
    m_smoothingMode = m_compositingQuality = m_textRenderingHint = 0;
    m_backgroundColour = 0;
    m_lcdColours = {0, 0, 0};
    m_segmentColours = {0xFF000000u, 0xFF000000u, 0xFF000000u};
    m_colour = 0xFF000000u;
    m_lampStyles.clear();
    m_colourTable.fill(0xFF000000u);
    m_lookParameters.fill(0);
    m_powerAppearance = CHotPowerEnableInfo();
    m_extraColours = {0xFF000000u, 0xFF000000u};
    ResetFonts();
}

bool CVISkinManager::ResetFonts()
{
    m_displayFont = MakeFont(u"Courier New", -11, 700);
    m_textFont = MakeFont(u"Tahoma", -11, 400);
    return true;
}

void CVISkinManager::Serialize(CArchive& ar) {}
void CVISkinManager::Load(ISettingsStore& settings, IPanelResources& resources) {}
bool CVISkinManager::Load(const CString& name, IPanelResources& resources) { return false; }
bool CVISkinManager::LoadRecord(const std::vector<uint8_t>& bytes) { return false; }

void CVISkinManager::PrepareGraphics(IPanelGraphics& g)
{
    g.SetRendering(m_smoothingMode, m_compositingQuality, m_textRenderingHint);
}

void CVISkinManager::FillBackground(IPanelGraphics& g, const RectF& rect)
{
    g.FillRectangle(Brush::Solid(BackgroundArgb()), rect);
}

void CVISkinManager::DrawLabelText(IPanelGraphics& g, const RectF& rect, const CString& text, const FontRecord& font,
                                   Argb colour, const TextFormat& format)
{
    g.DrawString(text, font, rect, colour == kSkinColour ? TextColour() : colour, format);
}

void CVISkinManager::DrawLamp(IPanelGraphics&, const RectF&, size_t, bool) {}
void CVISkinManager::DrawSegment(IPanelGraphics&, const RectF&, const CString&, SegmentPosition, bool, bool, bool, bool) {}
void CVISkinManager::DrawRadio(IPanelGraphics&, const RectF&, bool, bool, bool) {}
void CVISkinManager::DrawCheck(IPanelGraphics&, const RectF&, bool, bool, bool) {}
void CVISkinManager::DrawGlyph(IPanelGraphics&, const RectF&, int, Argb) {}
void CVISkinManager::DrawButton(IPanelGraphics&, const RectF&, const CString&, uint32_t, bool, bool) {}
void CVISkinManager::DrawMenuBox(IPanelGraphics&, const RectF&, const CString&, bool, bool) {}
void CVISkinManager::DrawPowerButton(IPanelGraphics&, const RectF&, const CHotPowerEnableInfo&, bool, bool, bool) {}
void CVISkinManager::DrawPowerButtonStyled(IPanelGraphics&, const RectF&, const CHotPowerEnableInfo&, bool, bool, bool,
                                           bool, uint32_t)
{
}
void CVISkinManager::DrawUpDown(IPanelGraphics&, const RectF&, bool, bool, int) {}

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
