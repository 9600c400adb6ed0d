#include "framework/Object.h"

const CRuntimeClass CObject::classCObject = {"CObject", nullptr};

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* at = this; at != nullptr; at = at->m_pBaseClass) {
        if (at == base) {
            return TRUE;
        }
    }
    return FALSE;
}
