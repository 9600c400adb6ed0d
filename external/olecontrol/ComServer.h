// The in-process server side of a component DLL: its instance handle, the count that tells
// COM whether the DLL may unload, the class factory, and self-registration. Each DLL links
// its own copy, so the state here is that DLL's.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace olecontrol {

// DllMain hands its instance over on DLL_PROCESS_ATTACH.
void SetModuleInstance(HINSTANCE instance);
HINSTANCE ModuleInstance();

// Live objects, factory references and LockServer calls hold the DLL in memory.
void LockModule();
void UnlockModule();
// DllCanUnloadNow's answer.
HRESULT CanUnloadModule();

// Makes the objects of one class; one static instance per DLL that COM may hold while the
// DLL is loaded.
class CClassFactory final : public IClassFactory {
public:
    // A new object with one reference, or null when out of memory.
    using CreateFunction = IUnknown* (*)();

    CClassFactory(const CLSID& clsid, CreateFunction create);
    CClassFactory(const CClassFactory&) = delete;
    CClassFactory& operator=(const CClassFactory&) = delete;

    // DllGetClassObject's answer: this factory for its class only.
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object);

    // IUnknown: a static object whose references count as server locks.
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IClassFactory
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    CLSID m_clsid;
    CreateFunction m_create;
};

// DllRegisterServer: CLSID\{clsid} (named description) with InprocServer32 = this DLL's full
// path and the class's ThreadingModel ("Apartment", or "Both" for a class whose objects may
// be called from other apartments), under HKLM\Software\Classes, where every COM (Wine's
// too) finds it; when that cannot be written, under HKCU\Software\Classes, as a per-user
// install on Windows does.
HRESULT RegisterServer(const CLSID& clsid, const wchar_t* description,
                       const wchar_t* threadingModel);
// DllUnregisterServer: removes both registrations; a machine key that cannot be touched
// without rights is not reported.
HRESULT UnregisterServer(const CLSID& clsid);

} // namespace olecontrol
