#include "ConnectionPoint.h"

#include <olectl.h>

#include "ExclusiveLock.h"

namespace olecontrol {

CConnectionPoint::CConnectionPoint(IConnectionPointContainer* container, const IID& events)
    : m_container(container), m_events(events) {}

CConnectionPoint::~CConnectionPoint() {
    UnadviseAll();
}

STDMETHODIMP CConnectionPoint::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CConnectionPoint::AddRef() {
    return m_container->AddRef();
}

STDMETHODIMP_(ULONG) CConnectionPoint::Release() {
    return m_container->Release();
}

STDMETHODIMP CConnectionPoint::GetConnectionInterface(IID* iid) {
    if (iid == nullptr) {
        return E_POINTER;
    }
    *iid = m_events;
    return S_OK;
}

STDMETHODIMP CConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (container == nullptr) {
        return E_POINTER;
    }
    *container = m_container;
    m_container->AddRef();
    return S_OK;
}

STDMETHODIMP CConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (cookie == nullptr) {
        return E_POINTER;
    }
    *cookie = 0;
    if (sink == nullptr) {
        return E_POINTER;
    }
    // A sink may answer only to IDispatch rather than to the event interface's own id.
    IDispatch* dispatch = nullptr;
    if (FAILED(sink->QueryInterface(m_events, reinterpret_cast<void**>(&dispatch))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
        return CONNECT_E_CANNOTCONNECT;
    }
    if (dispatch == nullptr) {
        return CONNECT_E_CANNOTCONNECT;
    }
    CExclusiveLock lock(m_lock);
    m_connections.push_back(Connection{m_nextCookie, dispatch});
    *cookie = m_nextCookie++;
    return S_OK;
}

STDMETHODIMP CConnectionPoint::Unadvise(DWORD cookie) {
    IDispatch* sink = nullptr;
    {
        CExclusiveLock lock(m_lock);
        for (auto it = m_connections.begin(); it != m_connections.end(); ++it) {
            if (it->cookie == cookie) {
                sink = it->sink;
                m_connections.erase(it);
                break;
            }
        }
    }
    if (sink == nullptr) {
        return CONNECT_E_NOCONNECTION;
    }
    sink->Release();
    return S_OK;
}

STDMETHODIMP CConnectionPoint::EnumConnections(IEnumConnections** connections) {
    if (connections != nullptr) {
        *connections = nullptr;
    }
    return E_NOTIMPL;
}

void CConnectionPoint::Fire(DISPID dispid, VARIANT* arguments, UINT count) {
    // A sink may unadvise, or advise another, while it handles the event: call a copy.
    std::vector<IDispatch*> sinks;
    {
        CExclusiveLock lock(m_lock);
        for (const Connection& connection : m_connections) {
            connection.sink->AddRef();
            sinks.push_back(connection.sink);
        }
    }
    for (IDispatch* sink : sinks) {
        DISPPARAMS params = {arguments, nullptr, count, 0};
        sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                     nullptr, nullptr);
        sink->Release();
    }
}

void CConnectionPoint::UnadviseAll() {
    std::vector<Connection> connections;
    {
        CExclusiveLock lock(m_lock);
        connections.swap(m_connections);
    }
    for (const Connection& connection : connections) {
        connection.sink->Release();
    }
}

} // namespace olecontrol
