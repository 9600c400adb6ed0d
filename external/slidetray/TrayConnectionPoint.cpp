#include "TrayConnectionPoint.h"

#include "SlideTrayControl.h"

#include <olectl.h>

CTrayConnectionPoint::CTrayConnectionPoint(IConnectionPointContainer* container)
    : m_container(container) {}

CTrayConnectionPoint::~CTrayConnectionPoint() {
    UnadviseAll();
}

STDMETHODIMP CTrayConnectionPoint::QueryInterface(REFIID iid, void** object) {
    if (!object) {
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

STDMETHODIMP_(ULONG) CTrayConnectionPoint::AddRef() {
    return m_container->AddRef();
}

STDMETHODIMP_(ULONG) CTrayConnectionPoint::Release() {
    return m_container->Release();
}

STDMETHODIMP CTrayConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) {
        return E_POINTER;
    }
    *iid = DIID_SlideTrayEvents;
    return S_OK;
}

STDMETHODIMP
CTrayConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container) {
        return E_POINTER;
    }
    *container = m_container;
    m_container->AddRef();
    return S_OK;
}

STDMETHODIMP CTrayConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie) {
        return E_POINTER;
    }
    *cookie = 0;
    if (!sink) {
        return E_POINTER;
    }
    // A sink may answer only to IDispatch rather than to the event interface's own id.
    IDispatch* dispatch = nullptr;
    if (FAILED(sink->QueryInterface(DIID_SlideTrayEvents, reinterpret_cast<void**>(&dispatch))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
        return CONNECT_E_CANNOTCONNECT;
    }
    if (!dispatch) {
        return CONNECT_E_CANNOTCONNECT;
    }
    m_connections.push_back(Connection{m_nextCookie, dispatch});
    *cookie = m_nextCookie++;
    return S_OK;
}

STDMETHODIMP CTrayConnectionPoint::Unadvise(DWORD cookie) {
    for (auto it = m_connections.begin(); it != m_connections.end(); ++it) {
        if (it->cookie == cookie) {
            IDispatch* sink = it->sink;
            m_connections.erase(it);
            sink->Release();
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP CTrayConnectionPoint::EnumConnections(IEnumConnections** connections) {
    if (connections) {
        *connections = nullptr;
    }
    return E_NOTIMPL;
}

void CTrayConnectionPoint::Fire(DISPID dispid, VARIANT* arguments, UINT count) {
    // A sink may unadvise, or advise another, while it handles the event: call a copy.
    std::vector<IDispatch*> sinks;
    for (const Connection& connection : m_connections) {
        connection.sink->AddRef();
        sinks.push_back(connection.sink);
    }
    for (IDispatch* sink : sinks) {
        DISPPARAMS params = {arguments, nullptr, count, 0};
        sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                     nullptr, nullptr);
        sink->Release();
    }
}

void CTrayConnectionPoint::UnadviseAll() {
    std::vector<Connection> connections;
    connections.swap(m_connections);
    for (const Connection& connection : connections) {
        connection.sink->Release();
    }
}
