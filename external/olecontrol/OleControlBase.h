// COleControlBase: what every hosted control of the family answers alike. Identity and
// lifetime, in-place activation and deactivation (one protocol for every control: the verbs,
// the in-place site held while active, Close), the IOleObject and IOleInPlaceObject members a
// hosted control needs no more of than a fixed answer, IDispatch's (absent) type information,
// and one connection point for the control's event dispinterface. A control adds how its
// window is made and destroyed, and its dispatch members.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <atomic>

#include "ConnectionPoint.h"

namespace olecontrol {

class COleControlBase : public IOleObject,
                        public IOleInPlaceObject,
                        public IDispatch,
                        public IConnectionPointContainer,
                        public IProvideClassInfo2 {
public:
    COleControlBase(const COleControlBase&) = delete;
    COleControlBase& operator=(const COleControlBase&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR container, LPCOLESTR object) override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* userType) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP Unadvise(DWORD connection) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;
    // Show and the activating verbs activate in place (a second time only moves the window);
    // Hide hides the window.
    STDMETHODIMP DoVerb(LONG verb, LPMSG message, IOleClientSite* activeSite, LONG index,
                        HWND parent, LPCRECT position) override;
    STDMETHODIMP Close(DWORD saveOption) override;

    // IOleWindow, IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override;
    // The window goes, then the site hears of it; a parent destroyed first took the window.
    STDMETHODIMP InPlaceDeactivate() override;

    // IDispatch; GetIDsOfNames and Invoke are the control's own.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // IProvideClassInfo, IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

protected:
    // One reference, for the caller; the object holds the DLL loaded while it lives.
    COleControlBase(const CLSID& clsid, const IID& events);
    virtual ~COleControlBase();

    // The control's window, or null while it has none; from any thread.
    virtual HWND ControlWindow() = 0;
    // Moves the window, if any, to position (client coordinates of its parent).
    virtual void MoveControlWindow(const RECT& position) = 0;
    // Makes the window in `parent` at `position`; false when it could not be made.
    virtual bool CreateControlWindow(HWND parent, const RECT& position) = 0;
    // Destroys the window, if it still has one.
    virtual void DestroyControlWindow() = 0;

    CConnectionPoint& EventPoint() { return m_eventPoint; }

private:
    // The in-place activation of every control: the site (the verb's, else the client site)
    // may refuse it and names the parent and the position the verb left out.
    HRESULT ActivateInPlace(IOleClientSite* activeSite, HWND parent, LPCRECT position);

    std::atomic<ULONG> m_refs{1};
    const CLSID m_clsid;
    const IID m_events;
    CConnectionPoint m_eventPoint;
    Microsoft::WRL::ComPtr<IOleClientSite> m_site;
    Microsoft::WRL::ComPtr<IOleInPlaceSite> m_inPlaceSite; // while in-place active
};

} // namespace olecontrol
