// The tray's one connection point, for DIID_SlideTrayEvents: the sinks that hosts advise and
// the firing of events to them. It lives inside the control and shares its reference count.
#pragma once

#include <ocidl.h>

#include <vector>

class CTrayConnectionPoint : public IConnectionPoint {
public:
    // `container` is the control; its count keeps this object alive.
    explicit CTrayConnectionPoint(IConnectionPointContainer* container);
    ~CTrayConnectionPoint();
    CTrayConnectionPoint(const CTrayConnectionPoint&) = delete;
    CTrayConnectionPoint& operator=(const CTrayConnectionPoint&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IConnectionPoint
    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

    // Calls every sink with a method call of `dispid` and its arguments (in reverse order).
    void Fire(DISPID dispid, VARIANT* arguments, UINT count);
    // Lets go of every sink, when the control goes.
    void UnadviseAll();

private:
    struct Connection {
        DWORD cookie;
        IDispatch* sink;
    };
    IConnectionPointContainer* m_container;
    std::vector<Connection> m_connections;
    DWORD m_nextCookie = 1;
};
