#include "platform/base/object.h"

CObject* CRuntimeClass::CreateObject() const {
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
        if (c == base) return TRUE;
    return FALSE;
}

const CRuntimeClass* CObject::ThisRuntimeClass() {
    static const CRuntimeClass rc{"CObject", nullptr, nullptr};
    return &rc;
}

const CRuntimeClass* CObject::GetRuntimeClass() const {
    return ThisRuntimeClass();
}

BOOL CObject::IsKindOf(const CRuntimeClass* type) const {
    return GetRuntimeClass()->IsDerivedFrom(type);
}
