// The library's four exports: the class object, unloading, and registration
// as an in-process server in the Torvane plug-in category.
#include <windows.h>
#include <comcat.h>
#include <olectl.h>

#include <new>
#include <string>

#include "plugin/ComClass.h"
#include "plugin/VexaPlugIn.h"

namespace {

constexpr wchar_t kProgId[] = L"Torvane.QX7350";
constexpr wchar_t kCategoryDescription[] = L"Brennick Torvane Plug-ins";
constexpr UINT kTextTypeName = 7000;

std::wstring GuidText(const GUID& guid)
{
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

bool SetValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    HKEY k;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG result = RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
    return result == ERROR_SUCCESS;
}

bool RegisterClassKeys()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(VexaPluginModule(), path, MAX_PATH);
    const std::wstring typeName(Wide(VexaApp().LoadText(kTextTypeName)));
    const std::wstring clsidKey = L"CLSID\\" + GuidText(CLSID_VexaPlugIn);
    return SetValue(HKEY_CLASSES_ROOT, clsidKey, nullptr, typeName) &&
           SetValue(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", nullptr, path) &&
           SetValue(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
           SetValue(HKEY_CLASSES_ROOT, clsidKey + L"\\ProgID", nullptr, kProgId) &&
           SetValue(HKEY_CLASSES_ROOT, kProgId, nullptr, typeName) &&
           SetValue(HKEY_CLASSES_ROOT, std::wstring(kProgId) + L"\\CLSID", nullptr, GuidText(CLSID_VexaPlugIn));
}

bool UnregisterClassKeys()
{
    const LONG a = RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + GuidText(CLSID_VexaPlugIn)).c_str());
    const LONG b = RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    return (a == ERROR_SUCCESS || a == ERROR_FILE_NOT_FOUND) && (b == ERROR_SUCCESS || b == ERROR_FILE_NOT_FOUND);
}

class CComClassFactory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // The factory is static: its count only keeps the library loaded.
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++g_outstanding); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--g_outstanding); }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto* object = new (std::nothrow) CComClass;
        if (!object)
            return E_OUTOFMEMORY;
        const HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        lock ? ++g_outstanding : --g_outstanding;
        return S_OK;
    }
};

CComClassFactory g_factory;

} // namespace

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out)
{
    HRESULT hr = CLASS_E_CLASSNOTAVAILABLE;
    if (out)
        *out = nullptr;
    if (!VexaApp().InitInstance())
        hr = E_FAIL;
    else if (IsEqualCLSID(clsid, CLSID_VexaPlugIn))
        hr = g_factory.QueryInterface(iid, out);
    if (FAILED(hr) || !out || !*out) {
        MessageBoxW(nullptr, L"DllGetClassObject failed", nullptr, MB_OK);
        return FAILED(hr) ? hr : E_POINTER;
    }
    return hr;
}

STDAPI DllCanUnloadNow()
{
    return g_outstanding.load() == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer()
{
    VexaApp().InitInstance();
    if (!RegisterClassKeys())
        return SELFREG_E_CLASS;
    ICatRegister* categories = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                                  reinterpret_cast<void**>(&categories));
    if (FAILED(hr))
        return hr;
    CATEGORYINFO info = {};
    info.catid = CATID_TorvanePlugIns;
    info.lcid = 0;
    lstrcpynW(info.szDescription, kCategoryDescription, 128);
    categories->RegisterCategories(1, &info);
    CATID catid = CATID_TorvanePlugIns;
    hr = categories->RegisterClassImplCategories(CLSID_VexaPlugIn, 1, &catid);
    categories->Release();
    return hr;
}

STDAPI DllUnregisterServer()
{
    VexaApp().InitInstance();
    if (!UnregisterClassKeys())
        return SELFREG_E_CLASS;
    ICatRegister* categories = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                                   reinterpret_cast<void**>(&categories)))) {
        CATID catid = CATID_TorvanePlugIns;
        categories->UnRegisterClassImplCategories(CLSID_VexaPlugIn, 1, &catid);
        categories->Release();
    }
    return S_OK;
}
