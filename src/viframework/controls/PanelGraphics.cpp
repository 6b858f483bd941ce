#include "viframework/controls/PanelGraphics.h"

namespace {

class CEstimatingMeasurer : public ITextMeasurer {
public:
    SizeF MeasureString(const CString& text, const FontRecord& font) override
    {
        const float height = float(font.height < 0 ? -font.height : font.height);
        return {0.6f * height * float(text.size()), 1.2f * height};
    }
};

CEstimatingMeasurer g_estimate;
ITextMeasurer* g_measurer = &g_estimate;

}  // namespace

ITextMeasurer& TextMeasurer()
{
    return *g_measurer;
}

void SetTextMeasurer(ITextMeasurer* measurer)
{
    g_measurer = measurer ? measurer : &g_estimate;
}
