#include "protocol/CommandTable.h"

namespace vexasim {

const CCommandTable& CCommandTable::Instance()
{
    static const CCommandTable table = [] {
        CCommandTable t;
        RegisterInterfaceCommands(t);
        RegisterScopeCommands(t);
        RegisterBodeCommands(t);
        RegisterMeterCommands(t);
        RegisterGeneratorCommands(t);
        RegisterThreePhaseCommands(t);
        RegisterDigitalCommands(t);
        return t;
    }();
    return table;
}

} // namespace vexasim
