#include "interface/usb/win32/UsbDeviceWin32.h"

#include <cfgmgr32.h>
#include <setupapi.h>

#include <cstring>

#include "framework/win32/WinApp.h"
#include "interface/usb/win32/UsbInitFailedDlg.h"

// The configuration manager's functions, from the setup library.
struct CWin32UsbDeviceLayer::ConfigManager {
    decltype(&CM_Locate_DevNodeW) locate;
    decltype(&CM_Get_Child) child;
    decltype(&CM_Get_Sibling) sibling;
    decltype(&CM_Get_DevNode_Status) status;
    decltype(&CM_Get_Device_ID_Size) idSize;
    decltype(&CM_Get_Device_IDW) id;
    decltype(&CM_Request_Device_EjectW) eject;
};

namespace {

GUID ToGuid(const InterfaceClassId& c)
{
    GUID g;
    g.Data1 = c.data1;
    g.Data2 = c.data2;
    g.Data3 = c.data3;
    std::memcpy(g.Data4, c.data4, sizeof g.Data4);
    return g;
}

HANDLE Native(UsbHandle handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

template <class Function>
bool Load(HMODULE module, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return function != nullptr;
}

} // namespace

CWin32UsbDeviceLayer::CWin32UsbDeviceLayer() = default;

CWin32UsbDeviceLayer::~CWin32UsbDeviceLayer()
{
    if (m_setupLibrary)
        FreeLibrary(m_setupLibrary);
    if (m_busyDepth > 0)
        SetCursor(m_cursorBeforeBusy);
}

std::vector<CString> CWin32UsbDeviceLayer::ListDevicePaths(const InterfaceClassId& interfaceClass)
{
    std::vector<CString> paths;
    const GUID guid = ToGuid(interfaceClass);
    HDEVINFO devices = SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (devices == INVALID_HANDLE_VALUE)
        return paths;
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA item = {};
        item.cbSize = sizeof item;
        // Any other failure than the end of the list ends it as well: a
        // list that cannot be read further holds no more devices for us.
        if (!SetupDiEnumDeviceInterfaces(devices, nullptr, &guid, index, &item))
            break;
        DWORD needed = 0;
        SetupDiGetDeviceInterfaceDetailW(devices, &item, nullptr, 0, &needed, nullptr);
        if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W))
            continue;
        // DWORD elements keep the detail structure aligned.
        std::vector<DWORD> buffer((needed + sizeof(DWORD) - 1) / sizeof(DWORD));
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (SetupDiGetDeviceInterfaceDetailW(devices, &item, detail, needed, nullptr, nullptr))
            paths.push_back(FromWide(detail->DevicePath));
    }
    SetupDiDestroyDeviceInfoList(devices);
    return paths;
}

UsbHandle CWin32UsbDeviceLayer::Open(const CString& path, UsbAccess access)
{
    DWORD rights = GENERIC_READ | GENERIC_WRITE;
    if (access == UsbAccess::Read)
        rights = GENERIC_READ;
    else if (access == UsbAccess::Write)
        rights = GENERIC_WRITE;
    HANDLE file = CreateFileW(Wide(path), rights, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    // INVALID_HANDLE_VALUE is all bits set, as kInvalidUsbHandle is.
    return reinterpret_cast<UsbHandle>(file);
}

void CWin32UsbDeviceLayer::Close(UsbHandle handle)
{
    if (handle != kInvalidUsbHandle)
        CloseHandle(Native(handle));
}

bool CWin32UsbDeviceLayer::Read(UsbHandle handle, void* data, uint32_t size, uint32_t& transferred)
{
    DWORD count = 0;
    const bool ok = ReadFile(Native(handle), data, size, &count, nullptr) != FALSE;
    transferred = count;
    return ok;
}

bool CWin32UsbDeviceLayer::Write(UsbHandle handle, const void* data, uint32_t size, uint32_t& written)
{
    DWORD count = 0;
    const bool ok = WriteFile(Native(handle), data, size, &count, nullptr) != FALSE;
    written = count;
    return ok;
}

void CWin32UsbDeviceLayer::Pause(uint32_t milliseconds)
{
    Sleep(milliseconds);
}

void CWin32UsbDeviceLayer::SetBusy(bool busy)
{
    if (busy) {
        HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        if (m_busyDepth++ == 0)
            m_cursorBeforeBusy = previous;
    } else if (m_busyDepth > 0 && --m_busyDepth == 0) {
        SetCursor(m_cursorBeforeBusy);
    }
}

int CWin32UsbDeviceLayer::ShowInitFailed(const CString& deviceName, bool allowDemonstration, bool allowCancel)
{
    CUsbInitFailedDlg dialog(deviceName, allowDemonstration, allowCancel);
    return static_cast<int>(dialog.DoModal());
}

const CWin32UsbDeviceLayer::ConfigManager* CWin32UsbDeviceLayer::Functions()
{
    if (m_loadTried)
        return m_functions.get();
    m_loadTried = true;
    // The setup library carries the configuration manager's functions on
    // every version; the configuration manager's own library is the fallback.
    for (const wchar_t* name : {L"setupapi.dll", L"cfgmgr32.dll"}) {
        HMODULE module = LoadLibraryW(name);
        if (!module)
            continue;
        ConfigManager f = {};
        if (Load(module, "CM_Locate_DevNodeW", f.locate) && Load(module, "CM_Get_Child", f.child) &&
            Load(module, "CM_Get_Sibling", f.sibling) && Load(module, "CM_Get_DevNode_Status", f.status) &&
            Load(module, "CM_Get_Device_ID_Size", f.idSize) && Load(module, "CM_Get_Device_IDW", f.id) &&
            Load(module, "CM_Request_Device_EjectW", f.eject)) {
            m_setupLibrary = module;
            m_functions = std::make_unique<ConfigManager>(f);
            break;
        }
        FreeLibrary(module);
    }
    return m_functions.get();
}

bool CWin32UsbDeviceLayer::DeviceTreeAvailable()
{
    return Functions() != nullptr;
}

bool CWin32UsbDeviceLayer::RootNode(DeviceNode& root)
{
    DEVINST node = 0;
    if (!Functions() || m_functions->locate(&node, nullptr, CM_LOCATE_DEVNODE_NORMAL) != CR_SUCCESS)
        return false;
    root = node;
    return true;
}

bool CWin32UsbDeviceLayer::FirstChild(DeviceNode node, DeviceNode& child)
{
    DEVINST found = 0;
    if (!Functions() || m_functions->child(&found, node, 0) != CR_SUCCESS)
        return false;
    child = found;
    return true;
}

bool CWin32UsbDeviceLayer::NextSibling(DeviceNode node, DeviceNode& sibling)
{
    DEVINST found = 0;
    if (!Functions() || m_functions->sibling(&found, node, 0) != CR_SUCCESS)
        return false;
    sibling = found;
    return true;
}

bool CWin32UsbDeviceLayer::IsRemovable(DeviceNode node)
{
    ULONG status = 0, problem = 0;
    return Functions() && m_functions->status(&status, &problem, node, 0) == CR_SUCCESS &&
           (status & DN_REMOVABLE) != 0;
}

CString CWin32UsbDeviceLayer::InstanceId(DeviceNode node)
{
    ULONG length = 0;
    if (!Functions() || m_functions->idSize(&length, node, 0) != CR_SUCCESS)
        return CString();
    std::vector<WCHAR> id(size_t(length) + 1, L'\0');
    if (m_functions->id(node, id.data(), length + 1, 0) != CR_SUCCESS)
        return CString();
    return FromWide(id.data());
}

bool CWin32UsbDeviceLayer::RequestEject(DeviceNode node)
{
    // With a buffer for the veto's name, a refusal is returned instead of
    // being shown to the user.
    PNP_VETO_TYPE veto = PNP_VetoTypeUnknown;
    WCHAR vetoName[MAX_PATH] = {};
    return Functions() && m_functions->eject(node, &veto, vetoName, MAX_PATH, 0) == CR_SUCCESS;
}
