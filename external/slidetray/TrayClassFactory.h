// Makes tray controls for COM: the object DllGetClassObject hands out for CLSID_SlideTray.
#pragma once

#include <unknwn.h>

class CTrayClassFactory : public IClassFactory {
public:
    CTrayClassFactory() = default;
    CTrayClassFactory(const CTrayClassFactory&) = delete;
    CTrayClassFactory& operator=(const CTrayClassFactory&) = delete;

    // IUnknown: the factory is a static object; its references count as server locks.
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IClassFactory
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    STDMETHODIMP LockServer(BOOL lock) override;
};
