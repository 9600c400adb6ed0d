#include "TrayClassFactory.h"

#include "TrayControl.h"
#include "TrayModule.h"

STDMETHODIMP CTrayClassFactory::QueryInterface(REFIID iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CTrayClassFactory::AddRef() {
    TrayModuleLock();
    return 2;
}

STDMETHODIMP_(ULONG) CTrayClassFactory::Release() {
    TrayModuleUnlock();
    return 1;
}

STDMETHODIMP CTrayClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    if (outer) {
        return CLASS_E_NOAGGREGATION;
    }
    CTrayControl* control = CTrayControl::Create();
    if (!control) {
        return E_OUTOFMEMORY;
    }
    HRESULT result = control->QueryInterface(iid, object);
    control->Release();
    return result;
}

STDMETHODIMP CTrayClassFactory::LockServer(BOOL lock) {
    if (lock) {
        TrayModuleLock();
    } else {
        TrayModuleUnlock();
    }
    return S_OK;
}
