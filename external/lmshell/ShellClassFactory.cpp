#include "ShellClassFactory.h"

#include <wrl/client.h>

#include <new>

#include "GalleryInterface.h"

namespace lmshell {

STDMETHODIMP CShellClassFactory::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CShellClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    // Attach takes over the constructor's reference.
    Microsoft::WRL::ComPtr<IDispatch> created;
    created.Attach(new (std::nothrow) CGalleryInterface(m_session));
    if (!created) {
        return E_OUTOFMEMORY;
    }
    return created->QueryInterface(iid, object);
}

// The program does not end on its own when the count drops (its window decides), so there is
// nothing to hold.
STDMETHODIMP CShellClassFactory::LockServer(BOOL) {
    return S_OK;
}

} // namespace lmshell
