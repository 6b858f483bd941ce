// The window system as the portable core sees it: windows are handles, and
// the core only asks whether one exists and sends it messages. The plug-in
// installs the Win32 bridge at start-up; tests install fakes.
#pragma once

#include <cstdint>

using WindowHandle = uintptr_t;

constexpr uint32_t kCloseMessage = 0x0010;  // WM_CLOSE

class IWindowBridge {
public:
    virtual ~IWindowBridge() = default;
    virtual bool IsWindow(WindowHandle window) = 0;
    // Sends and waits at most timeoutMs; gives up at once when the window's
    // thread does not respond or the window goes away. True when it was handled.
    virtual bool SendWithTimeout(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                                    uint32_t timeoutMs) = 0;
    // Sends and waits however long the window takes.
    virtual void Send(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
    // The registered message "WM_VI_ONUPDATEUI".
    virtual uint32_t UpdateMessage() = 0;
};

// The process-wide bridge; without one installed no window exists.
IWindowBridge& WindowBridge();
void SetWindowBridge(IWindowBridge* bridge);
