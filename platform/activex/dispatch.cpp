#include "platform/activex/dispatch.h"

#include <cmath>
#include <limits>

DispatchHandle DispatchHandle::Owning(std::shared_ptr<platform::DispatchTarget> target,
                                      std::uint32_t objectId) {
    DispatchHandle h(target, objectId);
    h.m_owned = std::move(target);
    return h;
}

std::shared_ptr<platform::DispatchTarget> DispatchHandle::Target() const {
    if (m_id == 0) return nullptr;
    return m_owned ? m_owned : m_target.lock();
}

bool DispatchHandle::SameObject(const DispatchHandle& other) const {
    if (m_id != other.m_id) return false;
    if (m_id == 0) return true;
    return !m_target.owner_before(other.m_target) && !other.m_target.owner_before(m_target);
}

bool DispatchHandle::SameTarget(const platform::DispatchTarget* target) const {
    const auto t = Target();
    return t && t.get() == target;
}

HRESULT DispatchHandle::Invoke(DISPID id, WORD kind, std::span<const VARIANT> args,
                               VARIANT* result) const {
    const auto target = Target();
    if (!target) return RPC_E_DISCONNECTED;
    VARIANT out;
    const HRESULT hr = target->InvokeObject(m_id, id, kind, args, &out);
    if (SUCCEEDED(hr) && result) *result = std::move(out);
    return hr;
}

VARIANT VarBool(bool v) {
    VARIANT r;
    r.vt = VT_BOOL;
    r.boolVal = v;
    return r;
}
VARIANT VarI2(SHORT v) {
    VARIANT r;
    r.vt = VT_I2;
    r.iVal = v;
    return r;
}
VARIANT VarI4(LONG v) {
    VARIANT r;
    r.vt = VT_I4;
    r.lVal = v;
    return r;
}
VARIANT VarR8(double v) {
    VARIANT r;
    r.vt = VT_R8;
    r.dblVal = v;
    return r;
}
VARIANT VarStr(const CString& v) {
    VARIANT r;
    r.vt = VT_BSTR;
    r.bstrVal = v;
    return r;
}
VARIANT VarObject(const DispatchHandle& v) {
    VARIANT r;
    r.vt = VT_DISPATCH;
    r.pdispVal = v;
    return r;
}
VARIANT VarArray(std::vector<double> values) {
    return VarArray(std::make_shared<const std::vector<double>>(std::move(values)));
}
VARIANT VarArray(DoubleArray values) {
    VARIANT r;
    r.vt = VT_ARRAY | VT_R8;
    r.parray = values ? std::move(values) : std::make_shared<const std::vector<double>>();
    return r;
}

namespace platform::coerce {

HRESULT Bool(const VARIANT& v, bool& out) {
    switch (v.vt) {
        case VT_BOOL:
            out = v.boolVal;
            return S_OK;
        case VT_I2:
            out = v.iVal != 0;
            return S_OK;
        case VT_I4:
            out = v.lVal != 0;
            return S_OK;
        default:
            return DISP_E_TYPEMISMATCH;
    }
}

HRESULT I4(const VARIANT& v, LONG& out) {
    switch (v.vt) {
        case VT_BOOL:
            out = v.boolVal ? 1 : 0;
            return S_OK;
        case VT_I2:
            out = v.iVal;
            return S_OK;
        case VT_I4:
            out = v.lVal;
            return S_OK;
        default:
            return DISP_E_TYPEMISMATCH;
    }
}

HRESULT I2(const VARIANT& v, SHORT& out) {
    LONG l = 0;
    if (const HRESULT hr = I4(v, l); FAILED(hr)) return hr;
    if (l < std::numeric_limits<SHORT>::min() || l > std::numeric_limits<SHORT>::max())
        return DISP_E_TYPEMISMATCH;
    out = static_cast<SHORT>(l);
    return S_OK;
}

HRESULT R8(const VARIANT& v, double& out) {
    switch (v.vt) {
        case VT_R8:
            out = v.dblVal;
            return S_OK;
        case VT_I2:
            out = v.iVal;
            return S_OK;
        case VT_I4:
            out = v.lVal;
            return S_OK;
        default:
            return DISP_E_TYPEMISMATCH;
    }
}

HRESULT FiniteR8(const VARIANT& v, double& out) {
    double d = 0;
    if (const HRESULT hr = R8(v, d); FAILED(hr)) return hr;
    if (!std::isfinite(d)) return E_INVALIDARG;
    out = d;
    return S_OK;
}

HRESULT Color(const VARIANT& v, COLORREF& out) {
    if (v.vt != VT_I4) return DISP_E_TYPEMISMATCH;
    const auto c = static_cast<COLORREF>(v.lVal);
    if (c & 0xFF000000u) return E_INVALIDARG;
    out = c;
    return S_OK;
}

HRESULT String(const VARIANT& v, CString& out) {
    if (v.vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
    out = v.bstrVal;
    return S_OK;
}

HRESULT Array(const VARIANT& v, DoubleArray& out) {
    if (v.vt != (VT_ARRAY | VT_R8) || !v.parray) return DISP_E_TYPEMISMATCH;
    out = v.parray;
    return S_OK;
}

}  // namespace platform::coerce

HRESULT CDispatchDriver::Invoke(DISPID id, WORD kind, std::span<const VARIANT> args,
                                VARIANT* result) const {
    return m_handle.Invoke(id, kind, args, result);
}

HRESULT CDispatchDriver::GetProperty(DISPID id, VARIANT& out, std::span<const VARIANT> args) const {
    return Invoke(id, DISPATCH_PROPERTYGET, args, &out);
}

HRESULT CDispatchDriver::SetProperty(DISPID id, const VARIANT& value) const {
    return Invoke(id, DISPATCH_PROPERTYPUT, std::span<const VARIANT>(&value, 1), nullptr);
}

HRESULT CDispatchDriver::InvokeMethod(DISPID id, std::span<const VARIANT> args,
                                      VARIANT* result) const {
    return Invoke(id, DISPATCH_METHOD, args, result);
}

bool CDispatchDriver::GetBool(DISPID id) const {
    VARIANT v;
    bool b = false;
    return SUCCEEDED(GetProperty(id, v)) && SUCCEEDED(platform::coerce::Bool(v, b)) && b;
}

LONG CDispatchDriver::GetLong(DISPID id) const {
    VARIANT v;
    LONG l = 0;
    if (FAILED(GetProperty(id, v)) || FAILED(platform::coerce::I4(v, l))) return 0;
    return l;
}

double CDispatchDriver::GetDouble(DISPID id) const {
    VARIANT v;
    double d = 0;
    if (FAILED(GetProperty(id, v)) || FAILED(platform::coerce::R8(v, d))) return 0;
    return d;
}

CString CDispatchDriver::GetString(DISPID id) const {
    VARIANT v;
    if (FAILED(GetProperty(id, v)) || v.vt != VT_BSTR) return CString();
    return v.bstrVal;
}

CDispatchDriver CDispatchDriver::GetObject(DISPID id) const {
    VARIANT v;
    if (FAILED(GetProperty(id, v)) || v.vt != VT_DISPATCH) return CDispatchDriver();
    return CDispatchDriver(v.pdispVal);
}

CDispatchDriver CDispatchDriver::Item(LONG index) const {
    VARIANT v;
    const VARIANT arg = VarI4(index);
    if (FAILED(GetProperty(DISPID_VALUE, v, std::span<const VARIANT>(&arg, 1))) ||
        v.vt != VT_DISPATCH)
        return CDispatchDriver();
    return CDispatchDriver(v.pdispVal);
}
