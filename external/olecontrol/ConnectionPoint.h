// A control's connection point for its event dispinterface: the sinks that hosts advise and
// the firing of events to them. It lives inside the control and shares its reference count.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <vector>

namespace olecontrol {

class CConnectionPoint final : public IConnectionPoint {
public:
    // container is the control, whose count keeps this object alive; events is the id of
    // the dispinterface that sinks implement.
    CConnectionPoint(IConnectionPointContainer* container, const IID& events);
    ~CConnectionPoint();
    CConnectionPoint(const CConnectionPoint&) = delete;
    CConnectionPoint& operator=(const CConnectionPoint&) = delete;

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

    // Calls every sink with a method call of dispid and its arguments (in reverse order).
    void Fire(DISPID dispid, VARIANT* arguments, UINT count);
    // Lets go of every sink, when the control goes.
    void UnadviseAll();

private:
    struct Connection {
        DWORD cookie;
        IDispatch* sink;
    };
    IConnectionPointContainer* m_container;
    IID m_events;
    // Hosts may advise from any thread the control is called on.
    SRWLOCK m_lock = SRWLOCK_INIT;
    std::vector<Connection> m_connections;
    DWORD m_nextCookie = 1;
};

} // namespace olecontrol
