// Message tables: each class that handles messages or commands lists them in a table of
// typed member-function handlers; a message the class does not list goes to its base's table.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <functional>
#include <initializer_list>
#include <vector>

class CCmdTarget;

// An event of a hosted control on its way to its parent's table: the lParam of the event
// message, valid while the control waits for the message to be handled.
struct CControlEvent {
    UINT controlId;
    DISPID dispid;
    DISPPARAMS* params;  // the event's arguments, last first, as the control passed them
};

// The message that carries a CControlEvent to the window the control was created in.
UINT AfxGetControlEventMessage();

// One line of a message table. The handler is called with the object the table belongs to.
struct CMessageEntry {
    UINT message = 0;  // window message; WM_COMMAND for commands and control notifications
    UINT code = 0;     // notification code of WM_COMMAND (0 for buttons, menus, accelerators),
                       // or the dispatch id of a control event
    UINT firstId = 0;  // command or control id range of WM_COMMAND and control events
    UINT lastId = 0;
    std::function<LRESULT(CCmdTarget* target, WPARAM wParam, LPARAM lParam)> invoke;

    // Whether this entry handles the message; WM_COMMAND and control event entries also look
    // at id and code.
    bool Matches(UINT msg, WPARAM wParam, LPARAM lParam) const;
};

// The table of one class, linked to the table of its base class.
class CMessageMap {
public:
    CMessageMap(const CMessageMap* base, std::initializer_list<CMessageEntry> entries)
        : m_base(base), m_entries(entries) {}

    const CMessageMap* Base() const { return m_base; }
    const std::vector<CMessageEntry>& Entries() const { return m_entries; }

    // The first entry of this table or its bases that handles the message, or null.
    const CMessageEntry* Find(UINT msg, WPARAM wParam, LPARAM lParam) const;

private:
    const CMessageMap* m_base;
    std::vector<CMessageEntry> m_entries;
};

// Base of every object that receives messages or commands through a message table.
// A derived class overrides GetMessageMap as the first member of the class:
//
//     const CMessageMap* GetMessageMap() const override {
//         static const CMessageMap map(CDialog::GetMessageMap(), {
//             MapCommand(IDC_REFRESH, &CMyDlg::OnRefresh),
//             MapTimer(&CMyDlg::OnTimer),
//         });
//         return &map;
//     }
//
// The qualified call reaches the base's own table, so the tables chain from derived to base.
class CCmdTarget {
public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
    virtual ~CCmdTarget() = default;

    virtual const CMessageMap* GetMessageMap() const;

    // Runs the handler of the first matching entry. Returns false when no table lists the
    // message; the caller then gives it default processing.
    bool DispatchToMap(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
};

namespace fw_detail {
template <class T> struct MemberClass;
template <class C, class R, class... A> struct MemberClass<R (C::*)(A...)> {
    using type = C;
};
template <class Fn> using ClassOf = typename MemberClass<Fn>::type;

// The first argument of an event as a long; throws COleException when there is none or it
// does not convert.
long EventArgumentAsLong(const DISPPARAMS* params);
} // namespace fw_detail

// Command of a button, menu item or accelerator: void OnX().
template <class C> CMessageEntry MapCommand(UINT id, void (C::*handler)()) {
    return {WM_COMMAND, 0, id, id, [handler](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT {
                (static_cast<C*>(t)->*handler)();
                return 0;
            }};
}

// Commands of a range of ids: void OnX(UINT id).
template <class C>
CMessageEntry MapCommandRange(UINT firstId, UINT lastId, void (C::*handler)(UINT)) {
    return {WM_COMMAND, 0, firstId, lastId, [handler](CCmdTarget* t, WPARAM w, LPARAM) -> LRESULT {
                (static_cast<C*>(t)->*handler)(LOWORD(w));
                return 0;
            }};
}

// A control's WM_COMMAND notification (EN_CHANGE, BN_DOUBLECLICKED, ...): void OnX().
template <class C> CMessageEntry MapNotify(UINT code, UINT id, void (C::*handler)()) {
    return {WM_COMMAND, code, id, id, [handler](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT {
                (static_cast<C*>(t)->*handler)();
                return 0;
            }};
}

// Any message with its raw parameters: LRESULT OnX(WPARAM, LPARAM).
template <class C> CMessageEntry MapMessage(UINT msg, LRESULT (C::*handler)(WPARAM, LPARAM)) {
    return {msg, 0, 0, 0, [handler](CCmdTarget* t, WPARAM w, LPARAM l) -> LRESULT {
                return (static_cast<C*>(t)->*handler)(w, l);
            }};
}

// A message without parameters or result: void OnX() (WM_PAINT, WM_DESTROY, ...).
template <class C> CMessageEntry MapSimple(UINT msg, void (C::*handler)()) {
    return {msg, 0, 0, 0, [handler](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT {
                (static_cast<C*>(t)->*handler)();
                return 0;
            }};
}

template <class C> CMessageEntry MapPaint(void (C::*handler)()) {
    return MapSimple(WM_PAINT, handler);
}

template <class C> CMessageEntry MapDestroy(void (C::*handler)()) {
    return MapSimple(WM_DESTROY, handler);
}

// WM_TIMER: void OnTimer(UINT_PTR timerId).
template <class C> CMessageEntry MapTimer(void (C::*handler)(UINT_PTR)) {
    return {WM_TIMER, 0, 0, 0, [handler](CCmdTarget* t, WPARAM w, LPARAM) -> LRESULT {
                (static_cast<C*>(t)->*handler)(static_cast<UINT_PTR>(w));
                return 0;
            }};
}

// WM_SYSCOMMAND: void OnSysCommand(UINT id, LPARAM param).
template <class C> CMessageEntry MapSysCommand(void (C::*handler)(UINT, LPARAM)) {
    return {WM_SYSCOMMAND, 0, 0, 0, [handler](CCmdTarget* t, WPARAM w, LPARAM l) -> LRESULT {
                (static_cast<C*>(t)->*handler)(static_cast<UINT>(w), l);
                return 0;
            }};
}

// WM_QUERYDRAGICON: HCURSOR OnQueryDragIcon().
template <class C> CMessageEntry MapQueryDragIcon(HCURSOR (C::*handler)()) {
    return {WM_QUERYDRAGICON, 0, 0, 0, [handler](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT {
                return reinterpret_cast<LRESULT>((static_cast<C*>(t)->*handler)());
            }};
}

// An event of the hosted control with that id, given its first argument: void OnX(long).
template <class C> CMessageEntry MapEvent(UINT controlId, DISPID dispid, void (C::*handler)(long)) {
    return {AfxGetControlEventMessage(), static_cast<UINT>(dispid), controlId, controlId,
            [handler](CCmdTarget* t, WPARAM, LPARAM l) -> LRESULT {
                const CControlEvent* event = reinterpret_cast<const CControlEvent*>(l);
                (static_cast<C*>(t)->*handler)(fw_detail::EventArgumentAsLong(event->params));
                return 0;
            }};
}

// An event of the hosted control with that id, with all its arguments (last first):
// void OnX(DISPPARAMS*).
template <class C>
CMessageEntry MapEventParams(UINT controlId, DISPID dispid, void (C::*handler)(DISPPARAMS*)) {
    return {AfxGetControlEventMessage(), static_cast<UINT>(dispid), controlId, controlId,
            [handler](CCmdTarget* t, WPARAM, LPARAM l) -> LRESULT {
                const CControlEvent* event = reinterpret_cast<const CControlEvent*>(l);
                (static_cast<C*>(t)->*handler)(event->params);
                return 0;
            }};
}
