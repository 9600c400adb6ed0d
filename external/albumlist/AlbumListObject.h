// CAlbumListObject: the album list control, a COM object with a window, and its connection
// point.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <string>
#include <utility>
#include <vector>

namespace albumlist {

class CAlbumListObject;

// The connection point of the control's event interface. The interface has no events; the
// point is there so that a container connects to this control as to any other. It lives
// inside the control and shares its reference count.
class CEventPoint final : public IConnectionPoint {
public:
    explicit CEventPoint(CAlbumListObject& owner);
    ~CEventPoint();
    CEventPoint(const CEventPoint&) = delete;
    CEventPoint& operator=(const CEventPoint&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

private:
    CAlbumListObject& m_owner;
    SRWLOCK m_lock = SRWLOCK_INIT;
    std::vector<std::pair<DWORD, IDispatch*>> m_sinks;
    DWORD m_nextCookie = 1;
};

// The galleries (the folders under the galleries root) in a drop-down list. The list and
// the selection are data of the object, guarded by a lock, so that members may be called from
// any thread; the window shows them and is touched only from its own thread (another thread
// posts it a message to catch up).
class CAlbumListObject final : public IOleObject,
                               public IOleInPlaceObject,
                               public IDispatch,
                               public IConnectionPointContainer,
                               public IProvideClassInfo2 {
public:
    // One reference, for the caller.
    CAlbumListObject();
    CAlbumListObject(const CAlbumListObject&) = delete;
    CAlbumListObject& operator=(const CAlbumListObject&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR container, LPCOLESTR object) override;
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* activeSite, LONG index, HWND parent,
                        LPCRECT position) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP Unadvise(DWORD connection) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

    // IOleWindow, IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                               DISPID* dispids) override;
    STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* error, UINT* badArgument) override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

    // IProvideClassInfo, IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

private:
    ~CAlbumListObject();

    // Window.
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HRESULT Activate(IOleClientSite* activeSite, HWND parent, LPCRECT position);
    void DestroyOwnWindow();
    void OnWindowDestroyed();
    void OnSelectionChanged();
    // Makes the window show the data; on the window's thread only.
    void SyncWindow();
    // After the data changed: syncs the window now, or posts it the task from another thread.
    void WindowChanged();

    // Members reached through Invoke.
    HRESULT PutProperty(DISPID dispid, VARIANT* value, UINT* badArgument);
    HRESULT GetProperty(DISPID dispid, VARIANT* result);
    HRESULT GetPosition(DISPID dispid, DISPPARAMS* params, VARIANT* result, UINT* badArgument);
    HRESULT GetGalleryName(DISPPARAMS* params, VARIANT* result, UINT* badArgument);
    HRESULT AddFileToGallery(DISPPARAMS* params, VARIANT* result, UINT* badArgument);
    HRESULT AddGallery(DISPPARAMS* params, VARIANT* result, UINT* badArgument);
    HRESULT ShowThumbnails(DISPPARAMS* params, VARIANT* result, UINT* badArgument);
    // Reads the root and its folders again, keeping the selected name when it is still there;
    // whether the root folder exists.
    bool Reload();
    void SelectByName(const std::wstring& name);

    LONG m_refs = 1;
    CEventPoint m_eventPoint;

    // Guards everything below that another thread may reach.
    mutable SRWLOCK m_lock = SRWLOCK_INIT;
    std::wstring m_root;
    std::vector<std::wstring> m_galleries;  // in display order
    int m_selected = -1;
    unsigned m_listVersion = 0;  // counts changes of m_galleries
    BOOL m_enabled = TRUE;
    short m_style = 0;
    long m_view = 0;
    BOOL m_showNew = FALSE;
    BOOL m_dropDown = FALSE;
    long m_thumbnails = 0;
    HWND m_window = nullptr;
    DWORD m_windowThread = 0;

    // The window's thread only.
    IOleClientSite* m_site = nullptr;
    bool m_inPlaceActive = false;
    HWND m_combo = nullptr;
    unsigned m_shownVersion = 0;  // the m_listVersion the combo box holds
    bool m_shownAny = false;
};

} // namespace albumlist
