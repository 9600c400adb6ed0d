// CWnd: a C++ object bound to a window handle, with message-table dispatch.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <map>
#include <memory>

#include "framework/CmdTarget.h"
#include "framework/Geometry.h"
#include "framework/String.h"

class CDataExchange;
class COleControlSite;

// A window object owns its HWND when it created or subclassed it; an attached handle is only
// borrowed. The object is found from the handle through the window's user-data slot, which
// every window that runs CWnd's window procedure reserves for it. A hosted control's window
// keeps the object in a window property instead, leaving its user-data slot to the control.
class CWnd : public CCmdTarget {
public:
    HWND m_hWnd = nullptr;

    CWnd();
    ~CWnd() override;

    const CMessageMap* GetMessageMap() const override;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // Binding to handles.
    BOOL Attach(HWND hWnd);
    HWND Detach();
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    // The object of a window that runs CWnd's window procedure, or null for any other window.
    static CWnd* FromHandlePermanent(HWND hWnd);
    // The object of hWnd: its own when it has one, otherwise a borrowing object that this
    // window keeps until it is destroyed. Null for a null handle.
    CWnd* FromHandle(HWND hWnd);

    // Creates a window of CWnd's own window class, or of a system class (then subclassed).
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                  const RECT& rect, CWnd* parent, UINT id, LPVOID param = nullptr);
    virtual BOOL DestroyWindow();

    // Hosted controls; the calling thread must have initialised COM (CoInitialize or
    // OleInitialize, as AfxEnableControlContainer does).
    // Creates the control of that class in parent at rect (parent's client coordinates) and
    // gives its window the id, the text (unless null) and WS_VISIBLE of style; this object
    // then stands for that window. Destroying either the window or this object ends the
    // control. FALSE, with nothing left behind, when the control cannot be created.
    BOOL CreateControl(REFCLSID clsid, LPCSTR windowName, DWORD style, const RECT& rect,
                       CWnd* parent, UINT id);
    // The hosted control's object, not AddRef'd; null when this window hosts none.
    LPUNKNOWN GetControlUnknown();
    // Calls on the hosted control's IDispatch, as COleDispatchDriver's do; a window that
    // hosts no control (or one without IDispatch) throws COleException(E_NOINTERFACE).
    void InvokeHelper(DISPID dwDispID, WORD wFlags, VARTYPE vtRet, void* pvRet,
                      const BYTE* pbParamInfo, ...);
    void SetProperty(DISPID dwDispID, VARTYPE vtProp, ...);
    void GetProperty(DISPID dwDispID, VARTYPE vtProp, void* pvProp) const;

    // Message processing.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Default processing of the message now being handled.
    LRESULT Default();
    // A notification the parent passed back to this control (WM_DRAWITEM of an owner-drawn
    // control); TRUE when the control handled it, with *result the parent's answer.
    virtual BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
        return FALSE;
    }
    // Called after the last message of the window; the object is unbound by then.
    virtual void PostNcDestroy() {}

    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // Data exchange between controls and members.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* pDX) {}

    // Family.
    CWnd* GetDlgItem(int id);
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    CWnd* GetParent();
    CWnd* GetTopLevelParent();

    // Text.
    void SetWindowText(const char* text);
    int GetWindowText(char* buffer, int maxCount) const;
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    void SetDlgItemText(int id, const char* text);
    int GetDlgItemText(int id, CString& text) const;
    // The whole text of any window, however long.
    static void ReadWindowText(HWND hWnd, CString& text);

    // State and geometry.
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsWindow() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd); }
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(const RECT& rect, BOOL repaint = TRUE);
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    void GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
    void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
    void ScreenToClient(LPPOINT point) const { ::ScreenToClient(m_hWnd, point); }
    void ScreenToClient(LPRECT rect) const;
    void ClientToScreen(LPPOINT point) const { ::ClientToScreen(m_hWnd, point); }
    void ClientToScreen(LPRECT rect) const;
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const;
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);

    // Painting.
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(LPCRECT rect, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, rect, erase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    void SetFont(HFONT font, BOOL redraw = TRUE);
    HFONT GetFont() const;
    HICON SetIcon(HICON icon, BOOL big);

    // Focus, timers, menus, message boxes.
    CWnd* SetFocus();
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr);
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    HMENU GetSystemMenu(BOOL revert) const { return ::GetSystemMenu(m_hWnd, revert); }
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }

    // The one window procedure of every window with a CWnd object.
    static LRESULT CALLBACK StaticWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    // Runs one message through WindowProc, remembering it for Default and keeping
    // exceptions from crossing into the system's code.
    LRESULT DispatchGuarded(UINT msg, WPARAM wParam, LPARAM lParam);
    // Binds this object to a window whose procedure is about to become StaticWndProc.
    void BindToHandle(HWND hWnd);
    // Unbinds after WM_NCDESTROY or on unsubclassing; restores the original procedure.
    void Unbind();

    WNDPROC m_pfnSuper = nullptr;  // procedure that gives default processing

private:
    enum class Binding { None, Attached, Subclassed, Created };
    struct CurrentMessage {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };

    // The window procedure of a hosted control's window, which finds its object through a
    // window property.
    static LRESULT CALLBACK ControlWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    BOOL SubclassControlWindow(HWND hWnd);
    // Ends the hosted control, which destroys its window; PostNcDestroy may delete this object
    // then, so the caller must not touch it afterwards.
    void CloseControl();

    Binding m_binding = Binding::None;
    Microsoft::WRL::ComPtr<COleControlSite> m_pCtrlSite;  // the hosted control's site
    CurrentMessage m_current{0, 0, 0};
    std::map<HWND, std::unique_ptr<CWnd>> m_borrowed;  // objects handed out by FromHandle
};
