#include "units/UnitFactory.h"

#include "units/Relays.h"

std::unique_ptr<CBaseDevice> CUnitFactory::CreateUnit(int number, CStreamIO* stream, CVexaface* owner)
{
    switch (number) {
    case kUnitRelays:
        return std::make_unique<CRelays>(stream, owner);
    default:
        return nullptr;
    }
}
