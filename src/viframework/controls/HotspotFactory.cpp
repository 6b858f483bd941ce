#include "viframework/controls/PanelLayout.h"

#include "viframework/controls/AnalogMeter.h"
#include "viframework/controls/BitmapKnob.h"
#include "viframework/controls/Frame.h"
#include "viframework/controls/Knob.h"
#include "viframework/controls/Label.h"
#include "viframework/controls/Lcd.h"
#include "viframework/controls/Menu.h"
#include "viframework/controls/Pictures.h"
#include "viframework/controls/Progress.h"
#include "viframework/controls/ScrollBar.h"
#include "viframework/controls/Seg7.h"
#include "viframework/controls/Slider.h"
#include "viframework/controls/SlidingScale.h"
#include "viframework/controls/StatusLamp.h"
#include "viframework/controls/TabControl.h"
#include "viframework/controls/UpDownButton.h"
#include "viframework/controls/ValueDisplay.h"
#include "viframework/controls/ValueField.h"
#include "viframework/controls/HotButton.h"
#include "viframework/controls/HotButtonGroup.h"
#include "viframework/controls/HotPowerButton.h"
#include "viframework/controls/HotToggle.h"

std::unique_ptr<CHotspot> CreateStandardHotspot(uint32_t typeCode)
{
    switch (typeCode) {
    case kHotLabel: return std::make_unique<CHotLabel>();
    case kHotBitmap: return std::make_unique<CHotBitmap>();
    case kHotStatus: return std::make_unique<CHotStatus>();
    case kHotText: return std::make_unique<CHotText>();
    case kHotSeg7: return std::make_unique<CHotSeg7>();
    case kHotDigSeg7: return std::make_unique<CHotDigSeg7>();
    case kHotFrame: return std::make_unique<CHotFrame>();
    case kHotGroupBox: return std::make_unique<CHotGroupBox>();
    case kHotLCD: return std::make_unique<CHotLCD>();
    case kHotBitmapKnob: return std::make_unique<CHotBitmapKnob>();
    case kHotValueDisplay: return std::make_unique<CHotValueDisplay>();
    case kHotMenu: return std::make_unique<CHotMenu>();
    case kHotLcdMatrix: return std::make_unique<CHotLcdMatrix>();
    case kHotAnalogMeter: return std::make_unique<CHotAnalogMeter>();
    case kHotTabControl: return std::make_unique<CHotTabControl>();
    case kHotSlidingScale: return std::make_unique<CHotSlidingScale>();
    case kHotProgress: return std::make_unique<CHotProgress>();
    case kHotMetafile: return std::make_unique<CHotMetafile>();
    case kHotRectangle: return std::make_unique<CHotRectangle>();
    case kHotButton: return std::make_unique<CHotButton>();
    case kHotToolButton: return std::make_unique<CHotToolButton>();
    case kHotPowerButton: return std::make_unique<CHotPowerButton>();
    case kHotCheck: return std::make_unique<CHotCheck>();
    case kHotRadio: return std::make_unique<CHotRadio>();
    case kHotHyperlink: return std::make_unique<CHotHyperlink>();
    case kHotButtonGroup: return std::make_unique<CHotButtonGroup>();
    case kHotKnob: return std::make_unique<CHotKnob>();
    case kHotSlider: return std::make_unique<CHotSlider>();
    case kHotScrollBar: return std::make_unique<CHotScrollBar>();
    case kHotUpDownButton: return std::make_unique<CHotUpDownButton>();
    case kHotValue: return std::make_unique<CHotValue>();
    default:
        return nullptr;
    }
}
