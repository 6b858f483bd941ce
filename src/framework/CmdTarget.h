// The base of objects that receive routed commands.
#pragma once

#include <cstdint>

#include "framework/Object.h"

class CCmdTarget : public CObject {
public:
    // Handles a routed command or its user-interface update; true when handled.
    // extra and handlerInfo are the routing arguments the host passes through.
    virtual bool OnCmdMsg(uint32_t id, int code, void* extra, void* handlerInfo)
    {
        return false;
    }
};
