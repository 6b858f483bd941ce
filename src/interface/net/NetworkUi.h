// What the network streams ask of the user: the login dialog when the
// interface cannot be reached at its address, and the tunnel's refusal.
// The plug-in shows dialogs; tests answer from a script.
#pragma once

#include <cstdint>

#include "framework/Types.h"

class INetworkUi {
public:
    enum LoginAnswer : int { kCannotShow = -1, kCancel = 2, kRetry = 4, kDemonstration = 6 };

    virtual ~INetworkUi() = default;
    // Lets the user correct address and port (edited in place on kRetry).
    virtual int AskLogin(CString& address, uint16_t& port, bool allowDemonstration, bool allowCancel) = 0;
    // The device manager would not open the device of that name.
    virtual void ShowTunnelRefused(const CString& deviceName) = 0;
};
