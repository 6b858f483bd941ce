// CInterface: the interface object as the plug-in embeds it, with the
// routing of the host's menu commands.
#pragma once

#include "interface/Vexaface.h"

// Command ids of the host's menus.
constexpr uint32_t kFirstInstrumentCommand = 10000;
constexpr uint32_t kLastInstrumentCommand = 10499;
constexpr uint32_t kReconnectCommand = 11000;

class CInterface : public CVexaface {
public:
    using CVexaface::CVexaface;

    // Commands 10000 to 10499 open instruments, 11000 reconnects; the
    // user-interface state of 10021 and 10200 to 10209 is answered here.
    bool OnCmdMsg(uint32_t id, int code, void* extra, void* handlerInfo) override;

    // Opens the instrument of a command id at (x, y), or cascaded with -1;
    // none while the catalogue of instrument windows is not built in.
    virtual CVIEventSink* OpenInstrument(uint32_t id, int x, int y);
    // Drops the connection and runs the connect sequence again with the
    // choice forced; attaches the units when that succeeds.
    virtual bool Reconnect();
};
