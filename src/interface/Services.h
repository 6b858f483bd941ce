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
    // The network address dialog (the interfaces found on the network, and
    // the address field): true on OK with address set.
    virtual bool ChooseNetworkAddress(CString& address) = 0;
};

// Makes instrument windows: the catalogue of instrument kinds by command id,
// their windows, and the windows of a loaded instrument set. Windows own
// themselves; the interface object only registers them.
class IInstrumentFactory {
public:
    virtual ~IInstrumentFactory() = default;
    // The instrument object of a command id, without its window yet; none for
    // ids without an instrument. Frames are complete at once: they make and
    // register their own window and none is returned for them either.
    virtual CVIEventSink* CreateInstrument(uint32_t id, const uint32_t* resourceRecord) = 0;
    // Makes the instrument's window, loads its panel from the rest of the
    // layout archive, copies the resource record and lets the instrument
    // initialise. False when any of that failed: the user has been told and
    // the instrument is destroyed.
    virtual bool CreateInstrumentWindow(CVIEventSink* sink, CArchive& panel, const uint32_t* resourceRecord) = 0;
    // Moves a new window to (x, y) or, when either is -1, cascades it by
    // openCount steps from where it was made.
    virtual void PlaceInstrument(CVIEventSink* sink, int32_t x, int32_t y, int openCount) = 0;
    // A new instrument of that id, ready to read its state, or none.
    virtual CVIEventSink* CreateInstrumentForLoad(uint32_t id) = 0;
    // Second chance for an id CreateInstrumentForLoad did not make: the window
    // is made from its layout, moved to (x, y), reads its data from ar and is
    // shown or hidden. None when no layout exists.
    virtual CVIEventSink* LoadInstrumentDirect(uint32_t id, int32_t x, int32_t y, bool visible, CArchive& ar) = 0;
    // Destroys an instrument that was made but never registered.
    virtual void DestroyInstrument(CVIEventSink* sink) = 0;
};

// A factory that makes nothing: for interface objects without instrument windows.
class CNoInstrumentFactory : public IInstrumentFactory {
public:
    CVIEventSink* CreateInstrument(uint32_t, const uint32_t*) override { return nullptr; }
    bool CreateInstrumentWindow(CVIEventSink*, CArchive&, const uint32_t*) override { return false; }
    void PlaceInstrument(CVIEventSink*, int32_t, int32_t, int) override {}
    CVIEventSink* CreateInstrumentForLoad(uint32_t) override { return nullptr; }
    CVIEventSink* LoadInstrumentDirect(uint32_t, int32_t, int32_t, bool, CArchive&) override { return nullptr; }
    void DestroyInstrument(CVIEventSink*) override {}
};

struct InterfaceServices {
    ISettingsStore& settings;
    IUserInteraction& ui;
    IStringSource& strings;
    IStreamFactory& streams;
    IUnitFactory& units;
    IInstrumentFactory& instruments;
};
