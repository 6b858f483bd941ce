#include "viframework/WindowBridge.h"

#include <atomic>

namespace {

class CNoWindows : public IWindowBridge {
public:
    bool IsWindow(WindowHandle) override { return false; }
    bool SendWithTimeout(WindowHandle, uint32_t, uintptr_t, intptr_t, uint32_t) override { return false; }
    void Send(WindowHandle, uint32_t, uintptr_t, intptr_t) override {}
    uint32_t UpdateMessage() override { return 0xC000; }
};

CNoWindows g_noWindows;
std::atomic<IWindowBridge*> g_bridge{&g_noWindows};

} // namespace

IWindowBridge& WindowBridge()
{
    return *g_bridge.load();
}

void SetWindowBridge(IWindowBridge* bridge)
{
    g_bridge.store(bridge ? bridge : &g_noWindows);
}
