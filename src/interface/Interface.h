// CInterface: the interface object as the plug-in embeds it, with the
// routing of the host's menu commands.
#pragma once

#include "interface/Vexaface.h"

// Command ids of the host's menus.
constexpr uint32_t kFirstInstrumentCommand = 10000;
constexpr uint32_t kLastInstrumentCommand = 10499;
constexpr uint32_t kReconnectCommand = 11000;

// Texts of the catalogue's messages.
constexpr uint32_t kTextDualMeterRefused = 66;
constexpr uint32_t kTextLayoutNotLoadable = 61706;
constexpr uint32_t kDualVoltmeterId = 10211;
constexpr uint32_t kDualAmmeterId = 10212;
constexpr uint32_t kFirstMetraHitId = 10069;
constexpr uint32_t kLastMetraHitId = 10072;

class CInterface : public CVexaface {
public:
    using CVexaface::CVexaface;

    // Commands 10000 to 10499 open instruments, 11000 reconnects; the
    // user-interface state of 10021 and 10200 to 10209 is answered here.
    bool OnCmdMsg(uint32_t id, int code, void* extra, void* handlerInfo) override;

    // Opens the instrument of a command id at (x, y), or cascaded with -1,
    // after checking that its function units are free. An id already open
    // comes to the front instead. Returns the new instrument, or none.
    virtual CVIEventSink* OpenInstrument(uint32_t id, int x, int y);
    // Makes an instrument and its window from the layout of its id, without
    // checks, placement or registration (for loading documents); none when
    // the id has no layout or instrument.
    CVIEventSink* CreateFromLayout(uint32_t id);
    // Drops the connection and runs the connect sequence again with the
    // choice forced; attaches the units when that succeeds.
    // The reconnect command: the dialog, then on OK every instrument closed,
    // the units released, the stream closed, the choice of connection shown
    // at once and the units attached on the new one.
    virtual bool Reconnect();
    IUserInteraction::ConnectionInfo DescribeConnection();

private:
    struct Layout;
    // Reads the layout resource of an id: its record, and the panel's bytes.
    // A missing one raises CResourceException; one that is there but cannot
    // be read is reported (61706) and gives false.
    bool ReadLayout(uint32_t id, Layout& layout);
    CVIEventSink* MakeInstrument(uint32_t id, Layout& layout);
};
