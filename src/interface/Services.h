// What the interface object needs from its surroundings, passed in at
// construction: settings, the user, resource texts, and factories for
// streams, function units and instruments. The plug-in passes its Win32
// implementations; tests pass fakes.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/Settings.h"
#include "framework/UserInteraction.h"
#include "interface/StreamIO.h"

class CArchive;
class CVIEventSink;
class IUnitFactory;

class IStreamFactory {
public:
    virtual ~IStreamFactory() = default;
    virtual std::unique_ptr<CStreamIO> CreateUsb() = 0;
    virtual std::unique_ptr<CStreamIO> CreateSocket(const CString& address, uint16_t port) = 0;
    // The device manager's tunnel to a USB-attached interface of that name.
    virtual std::unique_ptr<CStreamIO> CreateTunnel(const CString& deviceName) = 0;
    // Starts the socket layer (version 2.2); false when it cannot.
    virtual bool StartSocketLayer() = 0;
};

// Makes instrument windows while an instrument set is loaded. Windows own
// themselves; the interface object only registers them.
class IInstrumentFactory {
public:
    virtual ~IInstrumentFactory() = default;
    // A new instrument of that id, ready to read its state, or none.
    virtual CVIEventSink* CreateInstrumentForLoad(uint32_t id) = 0;
    // Second chance for an id CreateInstrumentForLoad did not make: the window
    // is made from its layout, moved to (x, y), reads its data from ar and is
    // shown or hidden. None when no layout exists.
    virtual CVIEventSink* LoadInstrumentDirect(uint32_t id, int32_t x, int32_t y, bool visible, CArchive& ar) = 0;
    // Destroys an instrument that was made but never registered.
    virtual void DestroyInstrument(CVIEventSink* sink) = 0;
};

struct InterfaceServices {
    ISettingsStore& settings;
    IUserInteraction& ui;
    IStringSource& strings;
    IStreamFactory& streams;
    IUnitFactory& units;
    IInstrumentFactory& instruments;
};
