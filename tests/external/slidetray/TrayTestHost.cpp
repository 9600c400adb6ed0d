#include "TrayTestHost.h"

#include "external/slidetray/TrayLayout.h"
#include "tests/support/ScratchFiles.h"
#include "tests/support/ServerRegistration.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include <initguid.h>

#include "external/slidetray/SlideTrayControl.h"

namespace tray_test {

namespace {

const char kHostClass[] = "SlideTrayTestHost";

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                       &wide[0], static_cast<int>(wide.size()));
    wide.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return wide;
}

std::string Narrow(BSTR text) {
    if (!text) {
        return std::string();
    }
    char buffer[2048] = {};
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    return buffer;
}

VARIANT BstrArgument(const std::string& text) {
    return BstrVariant(Wide(text).c_str());
}

} // namespace

std::string TrayDllPath() {
    return scratch::ExeFolder() + "\\SlideTray.dll";
}

bool RegisterTray(std::string* error) {
    // Registered once for the whole run; the registration found before is put back at exit.
    static std::unique_ptr<scratch::ServerRegistration> registration;
    if (registration && SUCCEEDED(registration->Result())) {
        return true;
    }
    registration.reset();
    registration = std::make_unique<scratch::ServerRegistration>(CLSID_SlideTray, TrayDllPath());
    if (FAILED(registration->Result())) {
        char code[16];
        snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(registration->Result()));
        *error = "registering " + TrayDllPath() + " failed: " + code;
        return false;
    }
    return true;
}

std::string RegisteredServerPath(std::string* threadingModel) {
    std::string key = scratch::ClassKeyName(CLSID_SlideTray) + "\\InprocServer32";
    char value[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value,
                       &size) != ERROR_SUCCESS) {
        return std::string();
    }
    if (threadingModel) {
        char model[64] = {};
        DWORD modelSize = sizeof model;
        threadingModel->clear();
        if (::RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), "ThreadingModel", RRF_RT_REG_SZ,
                           nullptr, model, &modelSize) == ERROR_SUCCESS) {
            *threadingModel = model;
        }
    }
    return value;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    for (;;) {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        if (done()) {
            return true;
        }
        if (::GetTickCount() - start >= timeoutMs) {
            return false;
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

// --- CEventSink ------------------------------------------------------------------------------

STDMETHODIMP CEventSink::QueryInterface(REFIID iid, void** object) {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID_SlideTrayEvents) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CEventSink::Release() {
    ULONG refs = --m_refs;
    if (refs == 0) {
        delete this;
    }
    return refs;
}

STDMETHODIMP CEventSink::GetTypeInfoCount(UINT* count) {
    *count = 0;
    return S_OK;
}

STDMETHODIMP CEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP CEventSink::Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                VARIANT*, EXCEPINFO*, UINT*) {
    ReceivedEvent event;
    event.dispid = dispid;
    event.flags = flags;
    event.threadId = ::GetCurrentThreadId();
    if (params) {
        event.argumentCount = params->cArgs;
        if (params->cArgs > 0) {
            VARIANT& first = params->rgvarg[params->cArgs - 1];
            event.firstType = V_VT(&first);
            VARIANT number;
            ::VariantInit(&number);
            if (SUCCEEDED(::VariantChangeType(&number, &first, 0, VT_I4))) {
                event.firstValue = V_I4(&number);
            }
        }
    }
    events.push_back(event);
    return S_OK;
}

// --- CTestSite -------------------------------------------------------------------------------

STDMETHODIMP CTestSite::QueryInterface(REFIID iid, void** object) {
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
        *object = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
        *object = static_cast<IOleInPlaceSite*>(this);
    } else if (iid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CTestSite::Release() {
    ULONG refs = --m_refs;
    if (refs == 0) {
        delete this;
    }
    return refs;
}

STDMETHODIMP CTestSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CTestSite::GetContainer(IOleContainer** container) {
    *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CTestSite::GetWindow(HWND* window) {
    *window = m_parent;
    return S_OK;
}

STDMETHODIMP CTestSite::OnInPlaceActivate() {
    ++activations;
    return S_OK;
}

STDMETHODIMP CTestSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                         LPRECT position, LPRECT clip,
                                         LPOLEINPLACEFRAMEINFO frameInfo) {
    *frame = nullptr;
    *document = nullptr;
    *position = m_position;
    *clip = m_position;
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = m_parent;
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP CTestSite::OnInPlaceDeactivate() {
    ++deactivations;
    return S_OK;
}

STDMETHODIMP CTestSite::GetTypeInfoCount(UINT* count) {
    *count = 0;
    return S_OK;
}

STDMETHODIMP CTestSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CTestSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return DISP_E_UNKNOWNNAME;
}

// --- TrayHost --------------------------------------------------------------------------------

TrayHost::~TrayHost() {
    Close();
}

bool TrayHost::Open(int width, int height, std::string* error) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = ::DefWindowProcA;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kHostClass;
    if (!::RegisterClassExA(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        *error = "RegisterClassEx failed";
        return false;
    }
    RECT frame = {0, 0, width, height};
    DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    ::AdjustWindowRect(&frame, style, FALSE);
    m_parent = ::CreateWindowExA(0, kHostClass, "Tray test host", style, 20, 20,
                                 frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                 nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (!m_parent) {
        *error = "cannot create the host window (no display?)";
        return false;
    }
    ::ShowWindow(m_parent, SW_SHOW);

    RECT position = {0, 0, width, height};
    m_site = new CTestSite(m_parent, position);
    m_sink = new CEventSink();
    HRESULT hr = ::CoCreateInstance(CLSID_SlideTray, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                    reinterpret_cast<void**>(&m_object));
    if (FAILED(hr)) {
        *error = "CoCreateInstance failed: " + std::to_string(hr);
        return false;
    }
    if (FAILED(hr = m_object->SetClientSite(m_site))) {
        *error = "SetClientSite failed: " + std::to_string(hr);
        return false;
    }
    hr = m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, m_site, 0, m_parent, &position);
    if (FAILED(hr)) {
        *error = "DoVerb failed: " + std::to_string(hr);
        return false;
    }
    if (FAILED(hr = m_object->QueryInterface(IID_IOleInPlaceObject,
                                             reinterpret_cast<void**>(&m_inPlace))) ||
        FAILED(hr = m_inPlace->GetWindow(&m_tray)) || !m_tray) {
        *error = "no window from IOleInPlaceObject: " + std::to_string(hr);
        return false;
    }
    ::SetWindowLongPtrA(m_tray, GWLP_ID, 100);
    ::SetWindowTextA(m_tray, "Thumbnails");
    ::ShowWindow(m_tray, SW_SHOW);

    IProvideClassInfo2* classInfo = nullptr;
    IID events = IID_NULL;
    if (FAILED(hr = m_object->QueryInterface(IID_IProvideClassInfo2,
                                             reinterpret_cast<void**>(&classInfo)))) {
        *error = "no IProvideClassInfo2: " + std::to_string(hr);
        return false;
    }
    hr = classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events);
    classInfo->Release();
    if (FAILED(hr)) {
        *error = "GetGUID failed: " + std::to_string(hr);
        return false;
    }
    IConnectionPointContainer* container = nullptr;
    if (FAILED(hr = m_object->QueryInterface(IID_IConnectionPointContainer,
                                             reinterpret_cast<void**>(&container)))) {
        *error = "no IConnectionPointContainer: " + std::to_string(hr);
        return false;
    }
    hr = container->FindConnectionPoint(events, &m_point);
    container->Release();
    if (FAILED(hr) || FAILED(hr = m_point->Advise(m_sink, &m_cookie))) {
        *error = "cannot advise the sink: " + std::to_string(hr);
        return false;
    }
    if (FAILED(
            hr = m_object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&m_dispatch)))) {
        *error = "no IDispatch: " + std::to_string(hr);
        return false;
    }
    return true;
}

HRESULT TrayHost::Close() {
    HRESULT first = S_OK;
    auto note = [&first](HRESULT hr) {
        if (FAILED(hr) && SUCCEEDED(first)) {
            first = hr;
        }
    };
    if (m_point) {
        note(m_point->Unadvise(m_cookie));
        m_point->Release();
        m_point = nullptr;
    }
    if (m_dispatch) {
        m_dispatch->Release();
        m_dispatch = nullptr;
    }
    if (m_inPlace) {
        note(m_inPlace->InPlaceDeactivate());
        m_inPlace->Release();
        m_inPlace = nullptr;
    }
    if (m_object) {
        note(m_object->Close(OLECLOSE_NOSAVE));
        note(m_object->SetClientSite(nullptr));
        m_object->Release();
        m_object = nullptr;
    }
    if (m_sink) {
        m_sink->Release();
        m_sink = nullptr;
    }
    if (m_site) {
        m_site->Release();
        m_site = nullptr;
    }
    if (m_parent && ::IsWindow(m_parent)) {
        ::DestroyWindow(m_parent);
    }
    m_parent = nullptr;
    m_tray = nullptr;
    return first;
}

SIZE TrayHost::ClientSize() const {
    RECT client = {};
    ::GetClientRect(m_tray, &client);
    return SIZE{client.right, client.bottom};
}

HRESULT TrayHost::Call(DISPID dispid, WORD flags, std::vector<VARIANT> arguments, VARIANT* result,
                       UINT* badArgument) const {
    std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(),
                         flags == DISPATCH_PROPERTYPUT ? &named : nullptr,
                         static_cast<UINT>(reversed.size()),
                         flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    UINT argumentError = 0;
    HRESULT hr = m_dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result,
                                    nullptr, &argumentError);
    if (badArgument) {
        *badArgument = argumentError;
    }
    for (VARIANT& argument : arguments) {
        ::VariantClear(&argument);
    }
    return hr;
}

HRESULT TrayHost::Put(DISPID dispid, const VARIANT& value) const {
    return Call(dispid, DISPATCH_PROPERTYPUT, {value}, nullptr);
}

bool TrayHost::AddItem(const std::string& path, const std::string& label) const {
    VARIANT result;
    ::VariantInit(&result);
    HRESULT hr = Call(DISPID_SLIDETRAY_ADDITEM, DISPATCH_METHOD,
                      {BstrArgument(path), BstrArgument(label)}, &result);
    bool added = SUCCEEDED(hr) && V_VT(&result) == VT_BOOL && V_BOOL(&result) == VARIANT_TRUE;
    ::VariantClear(&result);
    return added;
}

std::string TrayHost::ItemPath(LONG index) const {
    VARIANT result;
    ::VariantInit(&result);
    HRESULT hr =
        Call(DISPID_SLIDETRAY_GETITEMPATH, DISPATCH_METHOD, {LongVariant(index)}, &result);
    std::string path =
        SUCCEEDED(hr) && V_VT(&result) == VT_BSTR ? Narrow(V_BSTR(&result)) : "<no string>";
    ::VariantClear(&result);
    return path;
}

std::string TrayHost::ItemLabel(LONG index) const {
    VARIANT result;
    ::VariantInit(&result);
    HRESULT hr =
        Call(DISPID_SLIDETRAY_GETITEMLABEL, DISPATCH_METHOD, {LongVariant(index)}, &result);
    std::string label =
        SUCCEEDED(hr) && V_VT(&result) == VT_BSTR ? Narrow(V_BSTR(&result)) : "<no string>";
    ::VariantClear(&result);
    return label;
}

LONG TrayHost::ClearItems() const {
    VARIANT result;
    ::VariantInit(&result);
    HRESULT hr = Call(DISPID_SLIDETRAY_CLEARITEMS, DISPATCH_METHOD,
                      {ShortVariant(0), ShortVariant(0)}, &result);
    LONG value = SUCCEEDED(hr) && V_VT(&result) == VT_I4 ? V_I4(&result) : -1;
    ::VariantClear(&result);
    return value;
}

LONG TrayHost::ThumbnailsReady() const {
    VARIANT result;
    ::VariantInit(&result);
    HRESULT hr = Call(DISPID_SLIDETRAY_THUMBNAILSREADY, DISPATCH_PROPERTYGET, {}, &result);
    LONG value = SUCCEEDED(hr) && V_VT(&result) == VT_I4 ? V_I4(&result) : -1;
    ::VariantClear(&result);
    return value;
}

LONG_PTR TrayHost::SelectedFiles() const {
    VARIANT result;
    ::VariantInit(&result);
    HRESULT hr = Call(DISPID_SLIDETRAY_GETSELECTEDFILES, DISPATCH_METHOD, {}, &result);
    LONG_PTR value = -1;
    if (SUCCEEDED(hr) && V_VT(&result) == VT_HANDLE_SLIDETRAY) {
        value = V_VT(&result) == VT_I8 ? static_cast<LONG_PTR>(V_I8(&result)) : V_I4(&result);
    }
    ::VariantClear(&result);
    return value;
}

void TrayHost::SetRedraw(bool redraw) const {
    Put(DISPID_SLIDETRAY_REDRAW, BoolVariant(redraw));
}

void TrayHost::SetShowFrames(bool show) const {
    Put(DISPID_SLIDETRAY_SHOWFRAMES, BoolVariant(show));
}

POINT TrayHost::CellCentre(int index) const {
    SIZE size = ClientSize();
    CTrayLayout layout(size.cx, size.cy, static_cast<size_t>(index) + 1);
    RECT cell = layout.CellRect(index, ScrollPos());
    return POINT{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
}

void TrayHost::ClickAt(POINT point, WPARAM keys) const {
    CheckVisible(point);
    LPARAM where = MAKELPARAM(point.x, point.y);
    ::SendMessageA(m_tray, WM_LBUTTONDOWN, MK_LBUTTON | keys, where);
    ::SendMessageA(m_tray, WM_LBUTTONUP, keys, where);
}

void TrayHost::Click(int index, WPARAM keys) const {
    ClickAt(CellCentre(index), keys);
}

// The messages a double-click sends to a window of a CS_DBLCLKS class.
void TrayHost::DoubleClick(int index) const {
    POINT point = CellCentre(index);
    CheckVisible(point);
    LPARAM where = MAKELPARAM(point.x, point.y);
    ::SendMessageA(m_tray, WM_LBUTTONDOWN, MK_LBUTTON, where);
    ::SendMessageA(m_tray, WM_LBUTTONUP, 0, where);
    ::SendMessageA(m_tray, WM_LBUTTONDBLCLK, MK_LBUTTON, where);
    ::SendMessageA(m_tray, WM_LBUTTONUP, 0, where);
}

// A user can only click what shows.
void TrayHost::CheckVisible(POINT point) const {
    SIZE size = ClientSize();
    if (point.x < 0 || point.y < 0 || point.x >= size.cx || point.y >= size.cy) {
        ADD_FAILURE() << "a click at (" << point.x << ", " << point.y
                      << ") outside the tray's client area of " << size.cx << "x" << size.cy;
    }
}

void TrayHost::Key(UINT key) const {
    ::SendMessageA(m_tray, WM_KEYDOWN, key, 1);
    ::SendMessageA(m_tray, WM_KEYUP, key, 0xC0000001);
}

int TrayHost::ScrollPos() const {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    return ::GetScrollInfo(m_tray, SB_VERT, &info) ? info.nPos : 0;
}

int TrayHost::ScrollMax() const {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    if (!::GetScrollInfo(m_tray, SB_VERT, &info) || info.nPage == 0) {
        return 0;
    }
    int max = info.nMax - static_cast<int>(info.nPage) + 1;
    return max > 0 ? max : 0;
}

// --- HeldKeys --------------------------------------------------------------------------------

HeldKeys::HeldKeys(const std::vector<int>& keys) {
    ::GetKeyboardState(m_saved);
    BYTE state[256];
    memcpy(state, m_saved, sizeof state);
    for (int key : keys) {
        state[key] |= 0x80;
    }
    ::SetKeyboardState(state);
}

HeldKeys::~HeldKeys() {
    ::SetKeyboardState(m_saved);
}

// --- ClientPixels ----------------------------------------------------------------------------

bool ClientPixels::Capture(HWND window) {
    RECT client = {};
    if (!::GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) {
        return false;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = ::CreateCompatibleDC(nullptr);
    if (!bitmap || !dc) {
        if (bitmap) {
            ::DeleteObject(bitmap);
        }
        if (dc) {
            ::DeleteDC(dc);
        }
        return false;
    }
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    ::SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    ::GdiFlush();
    m_width = client.right;
    m_height = client.bottom;
    const auto* pixels = static_cast<const uint32_t*>(bits);
    m_pixels.assign(pixels, pixels + static_cast<size_t>(m_width) * m_height);
    for (uint32_t& pixel : m_pixels) {
        pixel &= 0xFFFFFF;
    }
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::DeleteObject(bitmap);
    return true;
}

uint32_t ClientPixels::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return 0xFFFFFFFF;
    }
    return m_pixels[static_cast<size_t>(y) * m_width + x];
}

double ClientPixels::Share(const RECT& rect, uint32_t colour, int tolerance) const {
    int total = 0;
    int matching = 0;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            uint32_t pixel = At(x, y);
            if (pixel == 0xFFFFFFFF) {
                continue;
            }
            ++total;
            bool close = true;
            for (int shift = 0; shift < 24; shift += 8) {
                int a = static_cast<int>((pixel >> shift) & 0xFF);
                int b = static_cast<int>((colour >> shift) & 0xFF);
                close = close && (a - b <= tolerance && b - a <= tolerance);
            }
            matching += close ? 1 : 0;
        }
    }
    return total ? static_cast<double>(matching) / total : 0.0;
}

uint32_t ToRgb(COLORREF colour) {
    return (static_cast<uint32_t>(GetRValue(colour)) << 16) |
           (static_cast<uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}

bool WriteBmp(const std::string& path, int width, int height, uint32_t rgb) {
    size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(stride * height);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + header.biSizeImage;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
    std::string row(stride, '\0');
    for (int x = 0; x < width; ++x) {
        row[3 * x] = static_cast<char>(rgb & 0xFF);
        row[3 * x + 1] = static_cast<char>((rgb >> 8) & 0xFF);
        row[3 * x + 2] = static_cast<char>((rgb >> 16) & 0xFF);
    }
    for (int y = 0; y < height; ++y) {
        bytes += row;
    }
    return scratch::WriteBytes(path, bytes);
}

std::vector<std::string> DroppedFiles(HGLOBAL drop) {
    std::vector<std::string> files;
    auto handle = static_cast<HDROP>(drop);
    UINT count = ::DragQueryFileA(handle, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char name[MAX_PATH + 1] = {};
        ::DragQueryFileA(handle, i, name, sizeof name);
        files.push_back(name);
    }
    return files;
}

std::string Joined(const std::vector<std::string>& items) {
    std::string joined;
    for (const std::string& item : items) {
        joined += (joined.empty() ? "" : " ") + item;
    }
    return joined;
}

std::string SelectedIndices(const TrayHost& host, const std::vector<std::string>& paths) {
    LONG_PTR value = host.SelectedFiles();
    if (value == 0) {
        return "";
    }
    auto drop = reinterpret_cast<HGLOBAL>(value);
    std::vector<std::string> files = DroppedFiles(drop);
    ::GlobalFree(drop);
    std::vector<std::string> indices;
    for (const std::string& file : files) {
        std::string index = "?" + file;
        for (size_t i = 0; i < paths.size(); ++i) {
            if (paths[i] == file) {
                index = std::to_string(i);
            }
        }
        indices.push_back(index);
    }
    return Joined(indices);
}

VARIANT BstrVariant(const wchar_t* text) {
    VARIANT value;
    ::VariantInit(&value);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = ::SysAllocString(text);
    return value;
}

VARIANT LongVariant(LONG number) {
    VARIANT value;
    ::VariantInit(&value);
    V_VT(&value) = VT_I4;
    V_I4(&value) = number;
    return value;
}

VARIANT ShortVariant(SHORT number) {
    VARIANT value;
    ::VariantInit(&value);
    V_VT(&value) = VT_I2;
    V_I2(&value) = number;
    return value;
}

VARIANT BoolVariant(bool flag) {
    VARIANT value;
    ::VariantInit(&value);
    V_VT(&value) = VT_BOOL;
    V_BOOL(&value) = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return value;
}

} // namespace tray_test
