// A control that draws itself at most once per pace interval. A download updates its status
// line and bar once per file, hundreds of times a second on a fast card; each update still
// reaches the control at once (its text and position are current as soon as the message
// returns), but the drawing of updates that come faster than the eye follows is done
// together by the control's next tick, and the thread that sent the update does not wait
// for it.
#pragma once

#include <windows.h>

#include <type_traits>

#include "framework/Static.h"

namespace paced {

constexpr DWORD kPaceMs = 40;
constexpr UINT_PTR kPaceTimerId = 0x5041;

// The drawing state of one control, kept apart from the window so that it can be tested
// without one. Times are GetTickCount64 milliseconds.
class PaintPacer {
public:
    // True when the control may draw now: no tick is due and its last drawing is a pace old.
    bool Due(ULONGLONG now) const {
        return !m_ticking && (!m_drawn || now - m_lastPaint >= kPaceMs);
    }
    void Drawn(ULONGLONG now) {
        m_drawn = true;
        m_lastPaint = now;
    }
    // A drawing is owed to the tick; true when the tick is still to be armed.
    bool Owe() {
        m_owed = true;
        const bool arm = !m_ticking;
        m_ticking = true;
        return arm;
    }
    // Milliseconds from `now` to the tick that pays an owed drawing.
    DWORD Delay(ULONGLONG now) const {
        const ULONGLONG since = now - m_lastPaint;
        return since >= kPaceMs ? 1 : static_cast<DWORD>(kPaceMs - since);
    }
    // The tick came: true when a drawing is owed (the caller then asks for one).
    bool Tick() {
        m_ticking = false;
        const bool owed = m_owed;
        m_owed = false;
        return owed;
    }

private:
    ULONGLONG m_lastPaint = 0;
    bool m_drawn = false;
    bool m_owed = false;
    bool m_ticking = false;
};

// Base is a control class of the framework (CStatic, CProgressCtrl) bound to a control of
// the system's class; its own painting is what is paced.
template <class Base> class CPaced : public Base {
protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
        case WM_SETTEXT:
            // A static control draws its new text at once, outside WM_PAINT: the text is
            // stored as the control would store it, and drawn now or by the tick.
            if constexpr (std::is_base_of_v<CStatic, Base>) {
                const LRESULT result = ::DefWindowProcA(this->m_hWnd, msg, wParam, lParam);
                if (m_pacer.Due(::GetTickCount64()) || !Owe()) {
                    ::InvalidateRect(this->m_hWnd, nullptr, TRUE);
                }
                return result;
            }
            break;
        case WM_PAINT:
            if (wParam == 0) {
                const ULONGLONG now = ::GetTickCount64();
                if (!m_pacer.Due(now) && Owe()) {
                    ::ValidateRect(this->m_hWnd, nullptr);
                    return 0;
                }
                // Due, or no tick to be had: it draws now rather than never.
                m_pacer.Drawn(now);
            }
            break;
        case WM_DESTROY:
            // The window's timer goes with it: the next window bound starts afresh.
            m_pacer = PaintPacer();
            break;
        case WM_TIMER:
            if (wParam == kPaceTimerId) {
                ::KillTimer(this->m_hWnd, kPaceTimerId);
                if (m_pacer.Tick()) {
                    ::InvalidateRect(this->m_hWnd, nullptr, TRUE);
                }
                return 0;
            }
            break;
        default:
            break;
        }
        return Base::WindowProc(msg, wParam, lParam);
    }

private:
    // Owes a drawing to the tick, arming it when needed; false when it could not be armed
    // (then nothing is owed).
    bool Owe() {
        if (!m_pacer.Owe()) {
            return true;
        }
        const DWORD delay = m_pacer.Delay(::GetTickCount64());
        if (::SetTimer(this->m_hWnd, kPaceTimerId, delay, nullptr) != 0) {
            return true;
        }
        m_pacer.Tick();
        return false;
    }

    PaintPacer m_pacer;
};

} // namespace paced
