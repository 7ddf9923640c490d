#pragma once
// The dispatch core of our stand-ins for the instrument ActiveX controls: VARIANT, numbered
// members reached through one Invoke entry point, and handles to the controls' sub-objects.
//
// Every call goes through Invoke(dispid, kind, args, result). A failed call returns its code and
// changes nothing; nothing throws out of Invoke.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/base/cstring.h"

using DISPID = LONG;
using HRESULT = LONG;
using VARTYPE = USHORT;

constexpr HRESULT S_OK = 0;
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);  // unknown member
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000Bu);
constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);        // value out of domain
constexpr HRESULT RPC_E_DISCONNECTED = static_cast<HRESULT>(0x80010108u);  // the object is gone
constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}

enum : VARTYPE {
    VT_EMPTY = 0,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R8 = 5,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_BOOL = 11,
    VT_ARRAY = 0x2000,
};

// What a call does with a member.
enum : WORD { DISPATCH_METHOD = 1, DISPATCH_PROPERTYGET = 2, DISPATCH_PROPERTYPUT = 4 };

// The stock members and events.
constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_BACKCOLOR = -501;
constexpr DISPID DISPID_CAPTION = -518;
constexpr DISPID DISPID_CLICK = -600;
constexpr DISPID DISPID_DBLCLICK = -601;
constexpr DISPID DISPID_KEYDOWN = -602;
constexpr DISPID DISPID_MOUSEDOWN = -605;
constexpr DISPID DISPID_MOUSEMOVE = -606;
constexpr DISPID DISPID_MOUSEUP = -607;

struct VARIANT;
using DoubleArray = std::shared_ptr<const std::vector<double>>;

namespace platform {

// Something that owns numbered objects: a control's model, or a standalone object (a picture).
class DispatchTarget {
public:
    virtual ~DispatchTarget() = default;
    virtual HRESULT InvokeObject(std::uint32_t objectId, DISPID id, WORD kind,
                                 std::span<const VARIANT> args, VARIANT* result) = 0;
};

}  // namespace platform

// Names one object: the target that owns it (held weakly, or shared for a standalone object)
// and the object's stable id. Resolved at every call, so a handle to a removed object, or to an
// object of a destroyed control, fails with RPC_E_DISCONNECTED. A default handle is null.
class DispatchHandle {
public:
    DispatchHandle() = default;
    DispatchHandle(std::weak_ptr<platform::DispatchTarget> target, std::uint32_t objectId)
        : m_target(std::move(target)), m_id(objectId) {}
    static DispatchHandle Owning(std::shared_ptr<platform::DispatchTarget> target,
                                 std::uint32_t objectId);

    bool IsNull() const { return m_id == 0; }
    std::uint32_t ObjectId() const { return m_id; }
    std::shared_ptr<platform::DispatchTarget> Target() const;
    bool SameObject(const DispatchHandle& other) const;
    bool SameTarget(const platform::DispatchTarget* target) const;

    HRESULT Invoke(DISPID id, WORD kind, std::span<const VARIANT> args, VARIANT* result) const;

private:
    std::weak_ptr<platform::DispatchTarget> m_target;
    std::shared_ptr<platform::DispatchTarget> m_owned;
    std::uint32_t m_id = 0;
};

// A value passed to or returned from a member. Arrays are one-dimensional arrays of doubles with
// lower bound 0; they are shared and never changed once made, so passing one copies no points.
struct VARIANT {
    VARTYPE vt = VT_EMPTY;
    bool boolVal = false;
    SHORT iVal = 0;
    LONG lVal = 0;
    double dblVal = 0;
    CString bstrVal;
    DispatchHandle pdispVal;
    DoubleArray parray;
};

VARIANT VarBool(bool v);
VARIANT VarI2(SHORT v);
VARIANT VarI4(LONG v);
VARIANT VarR8(double v);
VARIANT VarStr(const CString& v);
VARIANT VarObject(const DispatchHandle& v);
VARIANT VarArray(std::vector<double> values);
VARIANT VarArray(DoubleArray values);

// Argument coercion of the controls' members; anything not listed is a type mismatch.
namespace platform::coerce {
HRESULT Bool(const VARIANT& v, bool& out);        // bool; i2 or i4 (0 is false)
HRESULT I4(const VARIANT& v, LONG& out);          // i2, i4 or bool
HRESULT I2(const VARIANT& v, SHORT& out);         // i2, i4 or bool, if it fits
HRESULT R8(const VARIANT& v, double& out);        // r8, i2, i4
HRESULT FiniteR8(const VARIANT& v, double& out);  // and NaN or infinity is E_INVALIDARG
HRESULT Color(const VARIANT& v, COLORREF& out);   // i4 0x00BBGGRR; a top byte is E_INVALIDARG
HRESULT String(const VARIANT& v, CString& out);
HRESULT Array(const VARIANT& v, DoubleArray& out);
}  // namespace platform::coerce

// The typed face of one object, as the program calls its members. Each call goes through Invoke.
class CDispatchDriver {
public:
    CDispatchDriver() = default;
    explicit CDispatchDriver(DispatchHandle handle) : m_handle(std::move(handle)) {}

    const DispatchHandle& GetHandle() const { return m_handle; }
    void AttachDispatch(DispatchHandle handle) { m_handle = std::move(handle); }
    bool IsNull() const { return m_handle.IsNull(); }

    HRESULT Invoke(DISPID id, WORD kind, std::span<const VARIANT> args, VARIANT* result) const;
    HRESULT GetProperty(DISPID id, VARIANT& out, std::span<const VARIANT> args = {}) const;
    HRESULT SetProperty(DISPID id, const VARIANT& value) const;
    HRESULT InvokeMethod(DISPID id, std::span<const VARIANT> args = {},
                         VARIANT* result = nullptr) const;

    // Typed helpers; a failed get gives the type's zero ("" for a string, a null handle).
    bool GetBool(DISPID id) const;
    LONG GetLong(DISPID id) const;
    double GetDouble(DISPID id) const;
    CString GetString(DISPID id) const;
    CDispatchDriver GetObject(DISPID id) const;
    HRESULT SetBool(DISPID id, bool v) const { return SetProperty(id, VarBool(v)); }
    HRESULT SetShort(DISPID id, SHORT v) const { return SetProperty(id, VarI2(v)); }
    HRESULT SetLong(DISPID id, LONG v) const { return SetProperty(id, VarI4(v)); }
    HRESULT SetDouble(DISPID id, double v) const { return SetProperty(id, VarR8(v)); }
    HRESULT SetString(DISPID id, const CString& v) const { return SetProperty(id, VarStr(v)); }
    HRESULT SetObject(DISPID id, const CDispatchDriver& v) const {
        return SetProperty(id, VarObject(v.m_handle));
    }

    // Collections: the item (member 0, 1-based) and the count (member 256).
    CDispatchDriver Item(LONG index) const;
    LONG Count() const { return GetLong(256); }

private:
    DispatchHandle m_handle;
};
