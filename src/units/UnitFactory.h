// The factory the interface object makes its function units with.
#pragma once

#include "units/BaseDevice.h"

class CUnitFactory : public IUnitFactory {
public:
    std::unique_ptr<CBaseDevice> CreateUnit(int number, CStreamIO* stream, CVexaface* owner) override;
};
