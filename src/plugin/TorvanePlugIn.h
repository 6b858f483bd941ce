// ITorvanePlugIn: how the Torvane host drives a plug-in. Slots 0 to 2 are
// IUnknown's; slots 3 to 24 are ordinary virtual member functions (not
// standard-call COM methods): the host calls them that way.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "framework/Types.h"

class CArchive;
class CMenu;

// {068B1050-FD5D-4AE5-9F6B-37BD10303296}
inline constexpr GUID IID_ITorvanePlugIn = {0x068B1050, 0xFD5D, 0x4AE5, {0x9F, 0x6B, 0x37, 0xBD, 0x10, 0x30, 0x32, 0x96}};
// {F191129C-F2DD-4D99-B062-11ABB9722A3F}
inline constexpr GUID CLSID_VexaPlugIn = {0xF191129C, 0xF2DD, 0x4D99, {0xB0, 0x62, 0x11, 0xAB, 0xB9, 0x72, 0x2A, 0x3F}};
// {49E4A0A5-B677-4820-81F9-4F542C60FB9D}
inline constexpr GUID CATID_TorvanePlugIns = {0x49E4A0A5, 0xB677, 0x4820, {0x81, 0xF9, 0x4F, 0x54, 0x2C, 0x60, 0xFB, 0x9D}};

class ITorvanePlugIn : public IUnknown {
public:
    virtual bool IsReady() = 0;                                                    // 3
    virtual bool Connect() = 0;                                                    // 4
    virtual bool Disconnect() = 0;                                                 // 5
    virtual DWORD SetHostWindow(HWND window, bool minimizeBox) = 0;                // 6
    virtual bool GetDescription(CString& text) = 0;                                // 7
    virtual UINT_PTR Reserved8() = 0;                                              // 8
    virtual bool GetTypeName(CString& text) = 0;                                   // 9
    virtual void GetHelpFile(CString& path) = 0;                                   // 10
    virtual bool GetName(CString& text) = 0;                                       // 11
    virtual HMENU GetMenu(int index) = 0;                                          // 12
    virtual bool OnCmdMsg(UINT id, int code, void* extra, void* handlerInfo) = 0;  // 13
    virtual void Serialize(CArchive& ar) = 0;                                      // 14
    virtual int GetInstrumentCount() = 0;                                          // 15
    virtual bool IsAnyInstrumentVisible() = 0;                                     // 16
    virtual bool ShowAllInstruments() = 0;                                         // 17
    virtual bool HideAllInstruments() = 0;                                         // 18
    virtual int ToggleInstrument(int index) = 0;                                   // 19
    virtual int AppendWindowMenu(CMenu* menu, WORD* nextId) = 0;                   // 20
    virtual bool Reserved21(void* first, void* second) = 0;                        // 21
    virtual bool OnHostCommand(UINT code, const CString& text) = 0;                // 22
    virtual bool PreTranslateMessage(MSG* message) = 0;                            // 23
    virtual void OnIdle() = 0;                                                     // 24
};
