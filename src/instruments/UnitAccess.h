// Exchanges with a function unit from an instrument window's thread. The
// polling thread talks to the units too, so every exchange holds the
// interface object's unit lock; a transport fault ends the connection the
// way a fault on the polling thread does.
#pragma once

#include <mutex>

#include "interface/InterfaceVI.h"

// Runs send now; false when the transport failed (the fault is reported)
// or had failed already, when the unit may be gone.
template <class F>
bool SendToUnitNow(CInterfaceVI* owner, F&& send)
{
    try {
        if (owner) {
            std::lock_guard<std::recursive_mutex> units(owner->UnitLock());
            if (owner->IsConnectionLost())
                return false;
            send();
        } else {
            send();
        }
        return true;
    } catch (const CStreamException& fault) {
        if (owner)
            owner->OnConnectionLost(fault);
        return false;
    }
}
