// CVexaPlugIn: the plug-in's application object. It lives from the library's
// load to its unload and provides the resource chain, the language, the
// settings store, the help file and the seams the interface object uses.
#pragma once

#include "framework/win32/WinApp.h"
#include "framework/win32/Win32Services.h"
#include "interface/Services.h"
#include "plugin/ReconnectDlg.h"
#include "units/UnitFactory.h"
#include "viframework/win32/Win32PanelResources.h"

class CPlugInStreams;

class CVexaPlugIn : public CWinApp {
public:
    CVexaPlugIn();
    ~CVexaPlugIn() override;

    // The start-up sequence; runs once, on the first call. False when the
    // plug-in cannot work (no socket layer): no class is then handed out.
    bool InitInstance();

    CString m_helpPath;
    CString m_registryKey;

    CRegistrySettings m_settings;
    CResourceStrings m_strings;
    CPlugInUserInteraction m_ui;
    CWin32WindowBridge m_windows;
    CUnitFactory m_units;
    CWin32PanelResources m_panelResources{*this};
    IStreamFactory& Streams();

private:
    void ApplyLanguage();
    bool m_initialised = false;
    bool m_initResult = false;
    CPlugInStreams* m_streams = nullptr;
};

// The application object, initialised on first use.
CVexaPlugIn& VexaApp();
HINSTANCE VexaPluginModule();
