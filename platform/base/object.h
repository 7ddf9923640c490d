#pragma once
// CObject: the base of records that serialise themselves to an archive, and of everything the
// framework makes by class: documents, frames and views are named in templates and creation
// contexts by their runtime class, and made from it.

#include <type_traits>

#include "platform/base/types.h"

class CArchive;
class CObject;

// A class as the framework knows it at run time: its name, its base, and, for a class declared
// with DECLARE_DYNCREATE, how to make one.
struct CRuntimeClass {
    const char* m_lpszClassName;
    CObject* (*m_pfnCreateObject)();
    const CRuntimeClass* m_pBaseClass;

    // A new object of the class, owned by the caller; null for a class that cannot be made so.
    CObject* CreateObject() const;
    // True for the class itself and for every class it derives from.
    BOOL IsDerivedFrom(const CRuntimeClass* base) const;
};

class CObject {
public:
    using RuntimeClassOwner = CObject;
    virtual ~CObject() = default;
    virtual void Serialize(CArchive&) {}

    static const CRuntimeClass* ThisRuntimeClass();
    // The object's most derived class that declares a runtime class.
    virtual const CRuntimeClass* GetRuntimeClass() const;
    BOOL IsKindOf(const CRuntimeClass* type) const;
};

namespace platform {

// A class without a declaration of its own would silently report (and make) its base: refused.
template <class T>
const CRuntimeClass* RuntimeClassOf() {
    static_assert(std::is_same_v<typename T::RuntimeClassOwner, T>,
                  "the class declares no runtime class of its own (DECLARE_DYNAMIC)");
    return T::ThisRuntimeClass();
}

}  // namespace platform

#define RUNTIME_CLASS(theClass) (::platform::RuntimeClassOf<theClass>())

// In the class (it leaves the access public); the IMPLEMENT_ form goes in one source file.
#define DECLARE_DYNAMIC(theClass)                   \
public:                                             \
    using RuntimeClassOwner = theClass;             \
    static const CRuntimeClass* ThisRuntimeClass(); \
    const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(theClass) \
    DECLARE_DYNAMIC(theClass)       \
    static CObject* CreateObject();

#define VARNEL_IMPLEMENT_RUNTIME_CLASS(theClass, baseClass, create)                 \
    const CRuntimeClass* theClass::ThisRuntimeClass() {                             \
        static_assert(std::is_base_of_v<baseClass, theClass>);                      \
        static const CRuntimeClass rc{#theClass, create, RUNTIME_CLASS(baseClass)}; \
        return &rc;                                                                 \
    }                                                                               \
    const CRuntimeClass* theClass::GetRuntimeClass() const {                        \
        return ThisRuntimeClass();                                                  \
    }

#define IMPLEMENT_DYNAMIC(theClass, baseClass) \
    VARNEL_IMPLEMENT_RUNTIME_CLASS(theClass, baseClass, nullptr)

#define IMPLEMENT_DYNCREATE(theClass, baseClass) \
    CObject* theClass::CreateObject() {          \
        return new theClass;                     \
    }                                            \
    VARNEL_IMPLEMENT_RUNTIME_CLASS(theClass, baseClass, &theClass::CreateObject)
