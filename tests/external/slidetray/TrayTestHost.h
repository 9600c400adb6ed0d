// A small container of the tray control's own, for its tests: a top-level window, a client
// site that supports in-place activation, an event sink, and the dispatch calls a program
// makes. It follows the hosting steps of SlideTrayControl.h and nothing more.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tray_test {

// Registers SlideTray.dll from the test executable's folder for this run (the registration
// found before is put back at exit); false with the reason when that fails.
bool RegisterTray(std::string* error);
// The registered server path of the tray's class under HKLM\Software\Classes, "" if none.
std::string RegisteredServerPath(std::string* threadingModel = nullptr);
std::string TrayDllPath();

// Pumps this thread's messages until `done` holds (true) or timeoutMs passed (false).
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
void PumpFor(DWORD ms);

// An event as the sink got it.
struct ReceivedEvent {
    DISPID dispid = 0;
    WORD flags = 0;
    UINT argumentCount = 0;
    VARTYPE firstType = VT_EMPTY; // of rgvarg[cArgs - 1]
    LONG firstValue = 0;          // the same, when it converts to a long
    DWORD threadId = 0;
};

// The host's sink for the tray's event interface.
class CEventSink final : public IDispatch {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID dispid, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* badArgument) override;

    std::vector<ReceivedEvent> events;

private:
    std::atomic<ULONG> m_refs{1};
};

// The client site: IOleClientSite, IOleInPlaceSite and the ambient-property IDispatch.
class CTestSite final : public IOleClientSite, public IOleInPlaceSite, public IDispatch {
public:
    CTestSite(HWND parent, const RECT& position) : m_parent(parent), m_position(position) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override;
    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow / IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                  LPRECT position, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO frameInfo) override;
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }
    // IDispatch: no ambient properties
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }

    int activations = 0;
    int deactivations = 0;

private:
    std::atomic<ULONG> m_refs{1};
    HWND m_parent;
    RECT m_position;
};

// A tray control hosted in a test window.
class TrayHost {
public:
    TrayHost() = default;
    ~TrayHost();
    TrayHost(const TrayHost&) = delete;
    TrayHost& operator=(const TrayHost&) = delete;

    // A visible window with a client area of width x height and the control filling it,
    // created and activated as a container does; false with the failed step otherwise.
    bool Open(int width, int height, std::string* error);
    // Unadvise, InPlaceDeactivate, Close, SetClientSite(null), Release, then the window.
    // The first failed step's result, or S_OK.
    HRESULT Close();

    HWND Parent() const { return m_parent; }
    HWND Tray() const { return m_tray; }
    IOleObject* Object() const { return m_object; }
    IDispatch* Dispatch() const { return m_dispatch; }
    CEventSink& Sink() { return *m_sink; }
    CTestSite& Site() { return *m_site; }
    DWORD Cookie() const { return m_cookie; }
    // The tray window's client size.
    SIZE ClientSize() const;

    // A member call through IDispatch::Invoke; `arguments` first to last.
    HRESULT Call(DISPID dispid, WORD flags, std::vector<VARIANT> arguments, VARIANT* result,
                 UINT* badArgument = nullptr) const;
    HRESULT Put(DISPID dispid, const VARIANT& value) const;
    bool AddItem(const std::string& path, const std::string& label) const;
    std::string ItemPath(LONG index) const;
    std::string ItemLabel(LONG index) const;
    LONG ClearItems() const;
    // The diagnostic count of made thumbnails; -1 when it cannot be read.
    LONG ThumbnailsReady() const;
    // GetSelectedFiles' value as it came.
    LONG_PTR SelectedFiles() const;
    void SetRedraw(bool redraw) const;
    void SetShowFrames(bool show) const;

    // The user's side, by messages to the tray window.
    void Click(int index, WPARAM keys = 0) const;
    void ClickAt(POINT point, WPARAM keys = 0) const;
    void DoubleClick(int index) const;
    void Key(UINT key) const;
    // Where item `index` is at the current scroll position.
    POINT CellCentre(int index) const;
    int ScrollPos() const;
    int ScrollMax() const;

private:
    void CheckVisible(POINT point) const;

    HWND m_parent = nullptr;
    HWND m_tray = nullptr;
    CTestSite* m_site = nullptr;
    CEventSink* m_sink = nullptr;
    IOleObject* m_object = nullptr;
    IOleInPlaceObject* m_inPlace = nullptr;
    IDispatch* m_dispatch = nullptr;
    IConnectionPoint* m_point = nullptr;
    DWORD m_cookie = 0;
};

// Holds modifier keys down in this thread's keyboard state (what GetKeyState reads).
class HeldKeys {
public:
    explicit HeldKeys(const std::vector<int>& keys);
    ~HeldKeys();
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

private:
    BYTE m_saved[256];
};

// The tray's client area as WM_PRINTCLIENT draws it, 0x00RRGGBB per pixel.
class ClientPixels {
public:
    bool Capture(HWND window);
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    uint32_t At(int x, int y) const;
    // The share (0..1) of the pixels of `rect` within `tolerance` of `colour` in every channel.
    double Share(const RECT& rect, uint32_t colour, int tolerance = 12) const;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<uint32_t> m_pixels;
};

uint32_t ToRgb(COLORREF colour);
// A solid-colour 24-bpp BMP file.
bool WriteBmp(const std::string& path, int width, int height, uint32_t rgb);
// The file names of a DROPFILES handle, by DragQueryFileA.
std::vector<std::string> DroppedFiles(HGLOBAL drop);
std::string Joined(const std::vector<std::string>& items);
// Selected items as a list of indices, from GetSelectedFiles against the paths in tray order.
std::string SelectedIndices(const TrayHost& host, const std::vector<std::string>& paths);

// VARIANT arguments for dispatch calls; the caller clears them (a BSTR is allocated).
VARIANT BstrVariant(const wchar_t* text);
VARIANT LongVariant(LONG number);
VARIANT ShortVariant(SHORT number);
VARIANT BoolVariant(bool flag);

} // namespace tray_test
