// The base of objects that receive routed commands, and the object through
// which a command's user-interface element (a menu item) is updated.
#pragma once

#include <cstdint>

#include "framework/Object.h"

// Notification codes of routed commands.
constexpr int CN_COMMAND = 0;
constexpr int CN_UPDATE_COMMAND_UI = -1;

// A command's menu item or button while its state is being decided. The
// routing passes it as the extra argument with CN_UPDATE_COMMAND_UI.
class CCmdUI {
public:
    virtual ~CCmdUI() = default;
    virtual void Enable(bool on = true) = 0;
    virtual void SetCheck(int check = 1) = 0;

    uint32_t m_nID = 0;
};

class CCmdTarget : public CObject {
public:
    // Handles a routed command or its user-interface update; true when handled.
    // extra and handlerInfo are the routing arguments the host passes through.
    virtual bool OnCmdMsg(uint32_t id, int code, void* extra, void* handlerInfo)
    {
        return false;
    }
};
