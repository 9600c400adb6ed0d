#include "framework/CmdTarget.h"

bool CMessageEntry::Matches(UINT msg, WPARAM wParam, LPARAM lParam) const {
    if (msg != message) {
        return false;
    }
    if (msg == AfxGetControlEventMessage()) {
        const CControlEvent* event = reinterpret_cast<const CControlEvent*>(lParam);
        return event != nullptr && event->controlId == firstId &&
               static_cast<UINT>(event->dispid) == code;
    }
    if (msg != WM_COMMAND) {
        return true;
    }
    UINT id = LOWORD(wParam);
    UINT notifyCode = HIWORD(wParam);
    // Menus send 0 and accelerators 1 with no control window: both are plain commands.
    if (lParam == 0) {
        notifyCode = 0;
    }
    return notifyCode == code && id >= firstId && id <= lastId;
}

const CMessageEntry* CMessageMap::Find(UINT msg, WPARAM wParam, LPARAM lParam) const {
    for (const CMessageMap* map = this; map != nullptr; map = map->m_base) {
        for (const CMessageEntry& entry : map->m_entries) {
            if (entry.Matches(msg, wParam, lParam)) {
                return &entry;
            }
        }
    }
    return nullptr;
}

const CMessageMap* CCmdTarget::GetMessageMap() const {
    static const CMessageMap map(nullptr, {});
    return &map;
}

bool CCmdTarget::DispatchToMap(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const CMessageEntry* entry = GetMessageMap()->Find(msg, wParam, lParam);
    if (entry == nullptr) {
        return false;
    }
    LRESULT value = entry->invoke(this, wParam, lParam);
    if (result != nullptr) {
        *result = value;
    }
    return true;
}
