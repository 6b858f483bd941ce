// The instrument catalogue: which instrument window a command id opens,
// bound to which function units, and how its window is made and placed.
#pragma once

#include "interface/Services.h"

class CInterface;
class CVIFrame;

class CInstrumentCatalogue : public IInstrumentFactory {
public:
    // The interface object whose units the instruments use.
    void SetInterface(CInterface* face) { m_interface = face; }

    CVIEventSink* CreateInstrument(uint32_t id, const uint32_t* resourceRecord) override;
    bool CreateInstrumentWindow(CVIEventSink* sink, CArchive& panel, const uint32_t* resourceRecord) override;
    void PlaceInstrument(CVIEventSink* sink, int32_t x, int32_t y, int openCount) override;
    CVIEventSink* CreateInstrumentForLoad(uint32_t id) override;
    CVIEventSink* LoadInstrumentDirect(uint32_t id, int32_t x, int32_t y, bool visible, CArchive& ar) override;
    void DestroyInstrument(CVIEventSink* sink) override;

private:
    // The instruments of one family; none for ids of other families.
    CVIEventSink* CreateMeter(uint32_t id);
    CVIEventSink* CreateSupply(uint32_t id);
    CVIEventSink* CreateGenerator(uint32_t id);
    // The analysis instruments' frames: menu bar, control pane and charts.
    bool CreateFrameWindow(CVIFrame* frame, const uint32_t* resourceRecord);

    CInterface* m_interface = nullptr;
};
