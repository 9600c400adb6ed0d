// The thumbnail tray control as COM sees it: in-place activation in a host's window, the
// dispatch members of SlideTrayControl.h, the ItemOpen event through a connection point. The
// items live in a model shared with the window and the thumbnail workers.
#pragma once

#include "TrayModel.h"
#include "TrayView.h"
#include "TrayWorkers.h"

#include <ocidl.h>
#include <oleidl.h>

#include "OleControlBase.h"

#include <atomic>
#include <memory>
#include <string>

class CTrayControl final : public olecontrol::COleControlBase, private ITrayViewEvents {
public:
    // A new control with one reference, or null when it could not be made.
    static CTrayControl* Create();

    // IUnknown: IMarshal comes from the free-threaded marshaler, so the pointer a host holds
    // may be handed to a thread of another apartment as it is (see SlideTrayControl.h).
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;

    // IOleObject
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* userType) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;

    // IDispatch
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                               DISPID* dispids) override;
    STDMETHODIMP Invoke(DISPID dispid, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* badArgument) override;

private:
    CTrayControl();
    ~CTrayControl() override;

    HWND ControlWindow() override;
    void MoveControlWindow(const RECT& position) override;
    bool CreateControlWindow(HWND parent, const RECT& position) override;
    void DestroyControlWindow() override;

    void OnItemOpen(int index) override;

    // The members by kind; arguments already counted and coerced where the kind says.
    HRESULT PutProperty(DISPID dispid, const VARIANT& value);
    HRESULT GetProperty(DISPID dispid, VARIANT* result);
    HRESULT CallMethod(DISPID dispid, DISPPARAMS* params, VARIANT* result, UINT* badArgument);
    // The DROPFILES block of the selected items as a global handle; 0 when none is selected.
    HGLOBAL SelectedFilesHandle() const;

    std::shared_ptr<CTrayModel> m_model;
    CTrayWorkers m_workers;
    CTrayView m_view;
    Microsoft::WRL::ComPtr<IUnknown> m_freeThreadedMarshaler; // aggregated
    SIZEL m_extent = {4233, 3175};            // HIMETRIC, as the host last set it

    // Stored settings; only Redraw and ShowFrames change what the window does.
    std::atomic<LONG> m_selectionMode{0};
    std::atomic<bool> m_showFrames{true};
    std::atomic<bool> m_redraw{true};
    std::atomic<bool> m_dragSource{false};
    std::atomic<bool> m_dropTarget{false};
    std::atomic<bool> m_showToolTips{false};
};
