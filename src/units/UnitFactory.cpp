#include "units/UnitFactory.h"

#include "units/DigIO.h"
#include "units/FuncGen.h"
#include "units/MetraHit.h"
#include "units/Relays.h"
#include "units/Scope.h"
#include "units/ThreePhaseGen.h"
#include "units/VexaCounter.h"
#include "units/VexaMeter.h"

std::unique_ptr<CBaseDevice> CUnitFactory::CreateUnit(int number, CStreamIO* stream, CVexaface* owner)
{
    switch (number) {
    case kUnitDigitalIO: return std::make_unique<CDigIO>(stream, owner);
    case kUnitRelays: return std::make_unique<CRelays>(stream, owner);
    case kUnitFunctionGenerator: return std::make_unique<CFuncGen>(stream, owner);
    case kUnitThreePhase: return std::make_unique<C3PhaseGen>(stream, owner);
    case kUnitScope: return std::make_unique<CScope>(stream, owner);
    case kUnitMeter: return std::make_unique<CVexaMeter>(stream, owner);
    case kUnitCounter: return std::make_unique<CVexaCounter>(stream, owner);
    case kUnitMetraHit: return std::make_unique<CMetraHit>(stream, owner);
    default: return nullptr;
    }
}
