// CAlbumListObject: the album list control, a COM object with a window.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <string>
#include <vector>

#include "OleControlBase.h"

namespace albumlist {

// The galleries (the folders under the galleries root) in a drop-down list. The list and
// the selection are data of the object, guarded by a lock, so that members may be called from
// any thread; the window shows them and is touched only from its own thread (another thread
// posts it a message to catch up). Its event interface has no events; the connection point is
// there so that a container connects to this control as to any other.
class CAlbumListObject final : public olecontrol::COleControlBase {
public:
    // One reference, for the caller.
    CAlbumListObject();

    // IDispatch
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                               DISPID* dispids) override;
    STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* error, UINT* badArgument) override;

private:
    ~CAlbumListObject() override;

    HWND ControlWindow() override;
    void MoveControlWindow(const RECT& position) override;
    bool CreateControlWindow(HWND parent, const RECT& position) override;
    void DestroyControlWindow() override;

    // Window.
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // The window and the thread that owns it, read together under the lock.
    HWND WindowAndThread(DWORD* thread);
    void OnWindowDestroyed();
    void OnSelectionChanged();
    // Makes the window show the data; on the window's thread only.
    void SyncWindow();
    // After the data changed: syncs the window now, or posts it the task from another thread.
    void WindowChanged();

    // Members reached through Invoke.
    HRESULT PutProperty(DISPID dispid, DISPPARAMS* params, UINT* badArgument);
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

    // Guards everything below that another thread may reach.
    mutable SRWLOCK m_lock = SRWLOCK_INIT;
    std::wstring m_root;
    std::vector<std::wstring> m_galleries; // in display order
    int m_selected = -1;
    unsigned m_listVersion = 0; // counts changes of m_galleries
    BOOL m_enabled = TRUE;
    short m_style = 0;
    long m_view = 0;
    BOOL m_showNew = FALSE;
    BOOL m_dropDown = FALSE;
    long m_thumbnails = 0;
    HWND m_window = nullptr;
    DWORD m_windowThread = 0;

    // The window's thread only.
    HWND m_combo = nullptr;
    unsigned m_shownVersion = 0; // the m_listVersion the combo box holds
    bool m_shownAny = false;
};

} // namespace albumlist
