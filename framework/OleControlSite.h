// COleControlSite: the container's side of one hosted control; used by CWnd only.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <wrl/client.h>

class CControlEventSink;

// The site a hosted control talks to (client site, in-place site, ambient properties), and
// the holder of the control's interfaces. Reference counted; the CWnd that stands for the
// control's window keeps one reference, the control another while the site is set.
class COleControlSite final : public IOleClientSite, public IOleInPlaceSite, public IDispatch {
public:
    // A site for a control placed in parent at rect (parent's client coordinates), whose
    // events go to parent under controlId; one reference, or null when out of memory.
    static COleControlSite* Create(HWND parent, UINT controlId, const RECT& rect);

    // Creates the control, activates it in place and connects its events.
    HRESULT CreateControl(REFCLSID clsid, HWND* controlWnd);
    // Ends the control: Unadvise, InPlaceDeactivate, Close, SetClientSite(null), Release; then
    // destroys its window if the control left it. Safe to call again.
    void Close();
    // The control's window is being destroyed already; Close must leave it alone.
    void OnWindowDestroyed() { m_controlWnd = nullptr; }

    IUnknown* GetControlUnknown() const { return m_object.Get(); }
    IDispatch* GetControlDispatch() const { return m_dispatch.Get(); }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleClientSite
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD whichMoniker, IMoniker** moniker) override;
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL show) override;
    STDMETHODIMP RequestNewObjectLayout() override;

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                  LPRECT position, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO frameInfo) override;
    STDMETHODIMP Scroll(SIZE scrollExtent) override;
    STDMETHODIMP OnUIDeactivate(BOOL undoable) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(LPCRECT position) override;

    // IDispatch: the ambient properties, of which the site has none.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                               DISPID* dispids) override;
    STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* error, UINT* badArgument) override;

private:
    COleControlSite(HWND parent, UINT controlId, const RECT& rect);
    ~COleControlSite();
    // Advises a sink on the control's default event interface, when it has one.
    void ConnectEvents();

    LONG m_refs = 1;
    HWND m_parent;
    UINT m_controlId;
    RECT m_rect;
    HWND m_controlWnd = nullptr;
    bool m_siteSet = false;
    Microsoft::WRL::ComPtr<IOleObject> m_object;
    Microsoft::WRL::ComPtr<IOleInPlaceObject> m_inPlace;
    Microsoft::WRL::ComPtr<IDispatch> m_dispatch;
    Microsoft::WRL::ComPtr<IConnectionPoint> m_eventPoint;
    DWORD m_eventCookie = 0;
    Microsoft::WRL::ComPtr<CControlEventSink> m_sink;
};
