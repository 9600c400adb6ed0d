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
// without one.
class PaintPacer {
public:
    enum class Paint { Now, Owed, Waiting };

    // A paint request at time `now` (ms): Now when the last drawing is a pace old, else the
    // drawing is owed to the tick; Waiting when a tick is already due (nothing to arm).
    Paint Request(ULONGLONG now) {
        if (m_ticking) {
            m_owed = true;
            return Paint::Waiting;
        }
        if (m_drawn && now - m_lastPaint < kPaceMs) {
            m_owed = true;
            m_ticking = true;
            return Paint::Owed;
        }
        m_drawn = true;
        m_lastPaint = now;
        return Paint::Now;
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
            // stored as the control would store it, and drawn by the next WM_PAINT.
            if constexpr (std::is_base_of_v<CStatic, Base>) {
                const LRESULT result = ::DefWindowProcA(this->m_hWnd, msg, wParam, lParam);
                ::InvalidateRect(this->m_hWnd, nullptr, TRUE);
                return result;
            }
            break;
        case WM_PAINT:
            if (wParam == 0) {
                const ULONGLONG now = ::GetTickCount64();
                const PaintPacer::Paint paint = m_pacer.Request(now);
                if (paint != PaintPacer::Paint::Now) {
                    ::ValidateRect(this->m_hWnd, nullptr);
                    if (paint == PaintPacer::Paint::Owed &&
                        ::SetTimer(this->m_hWnd, kPaceTimerId, m_pacer.Delay(now), nullptr) == 0) {
                        // No timer: draw now rather than never.
                        m_pacer.Tick();
                        break;
                    }
                    return 0;
                }
            }
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
    PaintPacer m_pacer;
};

} // namespace paced
