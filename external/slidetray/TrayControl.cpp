#include "TrayControl.h"

#include "SlideTrayControl.h"

#include <olectl.h>
#include <shlobj.h>

#include <new>

#include "DispatchArguments.h"

namespace {

// Names for GetIDsOfNames, matched without regard to case.
struct MemberName {
    const wchar_t* name;
    DISPID dispid;
};
const MemberName kMemberNames[] = {
    {L"SelectionMode", DISPID_SLIDETRAY_SELECTIONMODE},
    {L"ShowFrames", DISPID_SLIDETRAY_SHOWFRAMES},
    {L"Redraw", DISPID_SLIDETRAY_REDRAW},
    {L"DragSource", DISPID_SLIDETRAY_DRAGSOURCE},
    {L"DropTarget", DISPID_SLIDETRAY_DROPTARGET},
    {L"GetSelectedFiles", DISPID_SLIDETRAY_GETSELECTEDFILES},
    {L"GetItemPath", DISPID_SLIDETRAY_GETITEMPATH},
    {L"ClearItems", DISPID_SLIDETRAY_CLEARITEMS},
    {L"AddItem", DISPID_SLIDETRAY_ADDITEM},
    {L"GetItemLabel", DISPID_SLIDETRAY_GETITEMLABEL},
    {L"ShowToolTips", DISPID_SLIDETRAY_SHOWTOOLTIPS},
    {L"ThumbnailsReady", DISPID_SLIDETRAY_THUMBNAILSREADY},
};

bool IsProperty(DISPID dispid) {
    switch (dispid) {
    case DISPID_SLIDETRAY_SELECTIONMODE:
    case DISPID_SLIDETRAY_SHOWFRAMES:
    case DISPID_SLIDETRAY_REDRAW:
    case DISPID_SLIDETRAY_DRAGSOURCE:
    case DISPID_SLIDETRAY_DROPTARGET:
    case DISPID_SLIDETRAY_THUMBNAILSREADY:
        return true;
    default:
        return false;
    }
}

bool IsMethod(DISPID dispid) {
    switch (dispid) {
    case DISPID_SLIDETRAY_GETSELECTEDFILES:
    case DISPID_SLIDETRAY_GETITEMPATH:
    case DISPID_SLIDETRAY_CLEARITEMS:
    case DISPID_SLIDETRAY_ADDITEM:
    case DISPID_SLIDETRAY_GETITEMLABEL:
    case DISPID_SLIDETRAY_SHOWTOOLTIPS:
        return true;
    default:
        return false;
    }
}

// How many arguments each method takes.
UINT MethodArgumentCount(DISPID dispid) {
    switch (dispid) {
    case DISPID_SLIDETRAY_GETITEMPATH:
    case DISPID_SLIDETRAY_GETITEMLABEL:
    case DISPID_SLIDETRAY_SHOWTOOLTIPS:
        return 1;
    case DISPID_SLIDETRAY_CLEARITEMS:
    case DISPID_SLIDETRAY_ADDITEM:
        return 2;
    default:
        return 0;
    }
}

} // namespace

using olecontrol::CVariant;
using olecontrol::SetResultBool;
using olecontrol::SetResultLong;

namespace {

// The handle whole, in the pointer-sized type of SlideTrayControl.h.
HRESULT SetResultHandle(VARIANT* result, HGLOBAL handle) {
    if (result != nullptr) {
        ::VariantInit(result);
        V_VT(result) = VT_HANDLE_SLIDETRAY;
#ifdef _WIN64
        V_I8(result) = reinterpret_cast<LONG_PTR>(handle);
#else
        V_I4(result) = reinterpret_cast<LONG_PTR>(handle);
#endif
    }
    return S_OK;
}

} // namespace

CTrayControl* CTrayControl::Create() {
    auto* control = new (std::nothrow) CTrayControl();
    if (!control) {
        return nullptr;
    }
    if (!control->m_workers.Start() ||
        FAILED(::CoCreateFreeThreadedMarshaler(static_cast<IOleObject*>(control),
                                               &control->m_freeThreadedMarshaler))) {
        control->Release();
        return nullptr;
    }
    return control;
}

STDMETHODIMP CTrayControl::QueryInterface(REFIID iid, void** object) {
    if (object != nullptr && iid == IID_IMarshal && m_freeThreadedMarshaler.Get() != nullptr) {
        return m_freeThreadedMarshaler->QueryInterface(iid, object);
    }
    return COleControlBase::QueryInterface(iid, object);
}

CTrayControl::CTrayControl()
    : olecontrol::COleControlBase(CLSID_SlideTray, DIID_SlideTrayEvents),
      m_model(std::make_shared<CTrayModel>()),
      m_workers(m_model, CTrayLayout::kThumbWidth, CTrayLayout::kThumbHeight),
      m_view(m_model, this) {}

CTrayControl::~CTrayControl() {
    EventPoint().UnadviseAll();
    m_view.Destroy();
    m_workers.Stop();
}

// --- IOleObject ----------------------------------------------------------------------------

STDMETHODIMP CTrayControl::GetUserType(DWORD, LPOLESTR* userType) {
    if (userType) {
        *userType = nullptr;
    }
    return OLE_S_USEREG;
}

STDMETHODIMP CTrayControl::SetExtent(DWORD aspect, SIZEL* size) {
    if (!size) {
        return E_POINTER;
    }
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    m_extent = *size;
    return S_OK;
}

STDMETHODIMP CTrayControl::GetExtent(DWORD aspect, SIZEL* size) {
    if (!size) {
        return E_POINTER;
    }
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    *size = m_extent;
    return S_OK;
}

// --- IOleWindow / IOleInPlaceObject ----------------------------------------------------------

HWND CTrayControl::ControlWindow() {
    return m_view.Window();
}

void CTrayControl::MoveControlWindow(const RECT& position) {
    m_view.Move(position);
}

bool CTrayControl::CreateControlWindow(HWND parent, const RECT& position) {
    return m_view.Create(parent, position);
}

void CTrayControl::DestroyControlWindow() {
    m_view.Destroy();
}

// --- IDispatch -------------------------------------------------------------------------------

STDMETHODIMP CTrayControl::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                         DISPID* dispids) {
    if (iid != IID_NULL) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    if (!names || !dispids) {
        return E_POINTER;
    }
    if (count == 0) {
        return S_OK;
    }
    // Named arguments are not supported: every name after the member's is unknown.
    for (UINT i = 0; i < count; ++i) {
        dispids[i] = DISPID_UNKNOWN;
    }
    for (const MemberName& member : kMemberNames) {
        if (names[0] && ::lstrcmpiW(names[0], member.name) == 0) {
            dispids[0] = member.dispid;
            return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
        }
    }
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP CTrayControl::Invoke(DISPID dispid, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                  VARIANT* result, EXCEPINFO*, UINT* badArgument) {
    if (iid != IID_NULL) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    if (!params) {
        params = &none;
    }
    if (params->cArgs > 0 && !params->rgvarg) {
        return E_INVALIDARG;
    }
    if (IsProperty(dispid)) {
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            if (dispid == DISPID_SLIDETRAY_THUMBNAILSREADY) {
                return DISP_E_MEMBERNOTFOUND; // read-only
            }
            if (params->cArgs != 1) {
                return DISP_E_BADPARAMCOUNT;
            }
            if (params->cNamedArgs > 1 ||
                (params->cNamedArgs == 1 && (!params->rgdispidNamedArgs ||
                                             params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT))) {
                return DISP_E_PARAMNOTFOUND;
            }
            HRESULT hr = PutProperty(dispid, params->rgvarg[0]);
            if (FAILED(hr) && badArgument) {
                *badArgument = 0;
            }
            return hr;
        }
        if (flags & DISPATCH_PROPERTYGET) {
            if (params->cArgs != 0) {
                return DISP_E_BADPARAMCOUNT;
            }
            return GetProperty(dispid, result);
        }
        return DISP_E_MEMBERNOTFOUND;
    }
    if (IsMethod(dispid)) {
        if (!(flags & DISPATCH_METHOD)) {
            return DISP_E_MEMBERNOTFOUND;
        }
        if (params->cNamedArgs != 0) {
            return DISP_E_NONAMEDARGS;
        }
        if (params->cArgs != MethodArgumentCount(dispid)) {
            return DISP_E_BADPARAMCOUNT;
        }
        return CallMethod(dispid, params, result, badArgument);
    }
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT CTrayControl::PutProperty(DISPID dispid, const VARIANT& value) {
    CVariant argument;
    HRESULT hr = argument.From(value, dispid == DISPID_SLIDETRAY_SELECTIONMODE ? VT_I4 : VT_BOOL);
    if (FAILED(hr)) {
        return hr;
    }
    bool flag = dispid != DISPID_SLIDETRAY_SELECTIONMODE && V_BOOL(&argument.Value()) != 0;
    switch (dispid) {
    case DISPID_SLIDETRAY_SELECTIONMODE:
        m_selectionMode = V_I4(&argument.Value());
        break;
    case DISPID_SLIDETRAY_SHOWFRAMES:
        m_showFrames = flag;
        m_view.SetShowFrames(flag);
        break;
    case DISPID_SLIDETRAY_REDRAW:
        m_redraw = flag;
        m_view.SetRedraw(flag);
        break;
    case DISPID_SLIDETRAY_DRAGSOURCE:
        m_dragSource = flag;
        break;
    case DISPID_SLIDETRAY_DROPTARGET:
        m_dropTarget = flag;
        break;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
    return S_OK;
}

HRESULT CTrayControl::GetProperty(DISPID dispid, VARIANT* result) {
    switch (dispid) {
    case DISPID_SLIDETRAY_SELECTIONMODE:
        return SetResultLong(result, m_selectionMode);
    case DISPID_SLIDETRAY_SHOWFRAMES:
        return SetResultBool(result, m_showFrames);
    case DISPID_SLIDETRAY_REDRAW:
        return SetResultBool(result, m_redraw);
    case DISPID_SLIDETRAY_DRAGSOURCE:
        return SetResultBool(result, m_dragSource);
    case DISPID_SLIDETRAY_DROPTARGET:
        return SetResultBool(result, m_dropTarget);
    case DISPID_SLIDETRAY_THUMBNAILSREADY: {
        size_t ready = m_model->ReadyCount();
        return SetResultLong(result, ready > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<LONG>(ready));
    }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

// Coerces the arguments to the method's types, then calls it.
HRESULT CTrayControl::CallMethod(DISPID dispid, DISPPARAMS* params, VARIANT* result,
                                 UINT* badArgument) {
    CVariant first;
    CVariant second;
    static const VARTYPE kNone = VT_EMPTY;
    VARTYPE types[2] = {kNone, kNone};
    switch (dispid) {
    case DISPID_SLIDETRAY_GETITEMPATH:
    case DISPID_SLIDETRAY_GETITEMLABEL:
        types[0] = VT_I4;
        break;
    case DISPID_SLIDETRAY_SHOWTOOLTIPS:
        types[0] = VT_BOOL;
        break;
    case DISPID_SLIDETRAY_CLEARITEMS:
        types[0] = VT_I2;
        types[1] = VT_I2;
        break;
    case DISPID_SLIDETRAY_ADDITEM:
        types[0] = VT_BSTR;
        types[1] = VT_BSTR;
        break;
    default:
        break;
    }
    CVariant* arguments[2] = {&first, &second};
    for (UINT i = 0; i < params->cArgs; ++i) {
        HRESULT hr = olecontrol::CoerceArgument(*params, i, types[i], arguments[i], badArgument);
        if (FAILED(hr)) {
            return hr;
        }
    }

    switch (dispid) {
    case DISPID_SLIDETRAY_GETSELECTEDFILES:
        return SetResultHandle(result, SelectedFilesHandle());
    case DISPID_SLIDETRAY_GETITEMPATH:
    case DISPID_SLIDETRAY_GETITEMLABEL: {
        LONG index = V_I4(&first.Value());
        std::string text;
        if (index >= 0) {
            if (dispid == DISPID_SLIDETRAY_GETITEMPATH) {
                m_model->Path(static_cast<size_t>(index), &text);
            } else {
                m_model->Label(static_cast<size_t>(index), &text);
            }
        }
        return olecontrol::SetResultText(result, text);
    }
    case DISPID_SLIDETRAY_CLEARITEMS:
        m_model->Clear();
        m_view.ItemsChanged();
        return SetResultLong(result, 0);
    case DISPID_SLIDETRAY_ADDITEM: {
        std::string path = olecontrol::AnsiText(V_BSTR(&first.Value()));
        if (path.empty()) {
            return SetResultBool(result, false);
        }
        // Any thread: the model takes its lock and the window hears of it by a posted message.
        m_model->Add(path, olecontrol::AnsiText(V_BSTR(&second.Value())));
        return SetResultBool(result, true);
    }
    case DISPID_SLIDETRAY_SHOWTOOLTIPS:
        m_showToolTips = V_BOOL(&first.Value()) != 0;
        if (result) {
            ::VariantInit(result);
        }
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

HGLOBAL CTrayControl::SelectedFilesHandle() const {
    std::vector<std::string> paths = m_model->SelectedPaths();
    if (paths.empty()) {
        return nullptr;
    }
    size_t chars = 1;
    for (const std::string& path : paths) {
        chars += path.size() + 1;
    }
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + chars);
    if (!memory) {
        return nullptr;
    }
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    if (!drop) {
        ::GlobalFree(memory);
        return nullptr;
    }
    drop->pFiles = sizeof(DROPFILES);
    drop->fNC = FALSE;
    drop->fWide = FALSE;
    char* out = reinterpret_cast<char*>(drop) + sizeof(DROPFILES);
    for (const std::string& path : paths) {
        memcpy(out, path.c_str(), path.size() + 1);
        out += path.size() + 1;
    }
    *out = '\0';
    ::GlobalUnlock(memory);
    return memory;
}

// --- events ----------------------------------------------------------------------------------

void CTrayControl::OnItemOpen(int index) {
    // A sink may let go of the control while it handles the event.
    AddRef();
    VARIANT argument;
    ::VariantInit(&argument);
    V_VT(&argument) = VT_I4;
    V_I4(&argument) = index;
    EventPoint().Fire(DISPID_SLIDETRAY_ITEMOPEN, &argument, 1);
    Release();
}
