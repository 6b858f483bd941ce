// CComClass: the plug-in's one COM class. Its nested XPlugIn serves
// ITorvanePlugIn and holds the interface object for the object's whole life.
#pragma once

#include <atomic>

#include "framework/CmdTarget.h"
#include "framework/win32/WinApp.h"
#include "interface/Interface.h"
#include "plugin/Catalogue.h"
#include "plugin/TorvanePlugIn.h"
#include "plugin/WindowStyle.h"

class CComClass : public CCmdTarget {
public:
    CComClass();
    virtual ~CComClass();
    virtual const CLSID& GetClassId() const { return CLSID_VexaPlugIn; }

    ULONG AddRef();
    ULONG Release();
    HRESULT QueryInterface(REFIID iid, void** out);

    class XPlugIn : public ITorvanePlugIn {
    public:
        explicit XPlugIn(CComClass& owner);
        ~XPlugIn();

        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override { return m_owner.QueryInterface(iid, out); }
        ULONG STDMETHODCALLTYPE AddRef() override { return m_owner.AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return m_owner.Release(); }

        bool IsReady() override { return true; }
        bool Connect() override;
        bool Disconnect() override;
        DWORD SetHostWindow(HWND window, bool minimizeBox) override;
        bool GetDescription(CString& text) override;
        UINT_PTR Reserved8() override { return 0; }
        bool GetTypeName(CString& text) override;
        void GetHelpFile(CString& path) override;
        bool GetName(CString& text) override;
        HMENU GetMenu(int index) override;
        bool OnCmdMsg(UINT id, int code, void* extra, void* handlerInfo) override;
        void Serialize(CArchive& ar) override;
        int GetInstrumentCount() override;
        bool IsAnyInstrumentVisible() override;
        bool ShowAllInstruments() override;
        bool HideAllInstruments() override;
        int ToggleInstrument(int index) override;
        int AppendWindowMenu(CMenu* menu, WORD* nextId) override;
        bool Reserved21(void*, void*) override { return false; }
        bool OnHostCommand(UINT code, const CString& text) override;
        bool PreTranslateMessage(MSG* message) override;
        void OnIdle() override;

        CInterface& Interface() { return m_interface; }

    private:
        CComClass& m_owner;
        CInstrumentCatalogue m_instruments;
        CInterface m_interface;
        CWnd m_hostWindow;
    };

    XPlugIn m_xPlugIn;

private:
    std::atomic<ULONG> m_references{1};
};


// Objects and locks outstanding, for DllCanUnloadNow.
extern std::atomic<long> g_outstanding;
