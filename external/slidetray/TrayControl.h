// The thumbnail tray control as COM sees it: in-place activation in a host's window, the
// dispatch members of SlideTrayControl.h, the ItemOpen event through a connection point. The
// items live in a model shared with the window and the thumbnail workers.
#pragma once

#include "TrayConnectionPoint.h"
#include "TrayModel.h"
#include "TrayView.h"
#include "TrayWorkers.h"

#include <ocidl.h>
#include <oleidl.h>

#include <atomic>
#include <memory>
#include <string>

class CTrayControl final : public IOleObject,
                           public IOleInPlaceObject,
                           public IDispatch,
                           public IProvideClassInfo2,
                           public IConnectionPointContainer,
                           private ITrayViewEvents {
public:
    // A new control with one reference, or null when it could not be made.
    static CTrayControl* Create();
    CTrayControl(const CTrayControl&) = delete;
    CTrayControl& operator=(const CTrayControl&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR object) override;
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG message, IOleClientSite* site, LONG index, HWND parent,
                        LPCRECT position) override;
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

    // IOleWindow / IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                               DISPID* dispids) override;
    STDMETHODIMP Invoke(DISPID dispid, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* badArgument) override;

    // IProvideClassInfo / IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

private:
    CTrayControl();
    ~CTrayControl();

    void OnItemOpen(int index) override;

    HRESULT ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT position);
    // The members by kind; arguments already counted and coerced where the kind says.
    HRESULT PutProperty(DISPID dispid, const VARIANT& value);
    HRESULT GetProperty(DISPID dispid, VARIANT* result);
    HRESULT CallMethod(DISPID dispid, DISPPARAMS* params, VARIANT* result, UINT* badArgument);
    // The DROPFILES block of the selected items as a global handle; 0 when none is selected.
    LONG SelectedFilesHandle() const;

    std::atomic<ULONG> m_refs{1};
    std::shared_ptr<CTrayModel> m_model;
    CTrayWorkers m_workers;
    CTrayView m_view;
    CTrayConnectionPoint m_connectionPoint;
    IOleClientSite* m_site = nullptr;
    IOleInPlaceSite* m_inPlaceSite = nullptr; // while in-place active
    SIZEL m_extent = {4233, 3175};            // HIMETRIC, as the host last set it

    // Stored settings; only Redraw and ShowFrames change what the window does.
    std::atomic<LONG> m_selectionMode{0};
    std::atomic<bool> m_showFrames{true};
    std::atomic<bool> m_redraw{true};
    std::atomic<bool> m_dragSource{false};
    std::atomic<bool> m_dropTarget{false};
    std::atomic<bool> m_showToolTips{false};
};
