#include "platform/activex/control_base.h"

#include "platform/activex/event_sink.h"

HRESULT CActiveXControl::Invoke(DISPID id, WORD kind, std::span<const VARIANT> args,
                                VARIANT* result) const {
    const DispatchHandle h = GetDispatch();
    if (h.IsNull()) return RPC_E_DISCONNECTED;
    return h.Invoke(id, kind, args, result);
}

bool CActiveXControl::Raise(const platform::WindowWatch& self, DISPID event,
                            std::vector<VARIANT>& args) {
    platform::FireControlEvent(this, event, args);
    return self.Alive();
}

CActiveXWrapper::~CActiveXWrapper() {
    if (m_hWnd) DestroyWindow();
}

CActiveXControl* CActiveXWrapper::GetControl() const {
    return dynamic_cast<CActiveXControl*>(GetAttachedItem());
}

DispatchHandle CActiveXWrapper::GetDispatch() const {
    CActiveXControl* c = GetControl();
    return c ? c->GetDispatch() : DispatchHandle();
}

HRESULT CActiveXWrapper::Invoke(DISPID id, WORD kind, std::span<const VARIANT> args,
                                VARIANT* result) const {
    const DispatchHandle h = GetDispatch();
    if (h.IsNull()) return RPC_E_DISCONNECTED;
    return h.Invoke(id, kind, args, result);
}

HRESULT CActiveXWrapper::GetProperty(DISPID id, VARIANT& out, std::span<const VARIANT> args) const {
    return Invoke(id, DISPATCH_PROPERTYGET, args, &out);
}

HRESULT CActiveXWrapper::SetProperty(DISPID id, const VARIANT& value) const {
    return Invoke(id, DISPATCH_PROPERTYPUT, std::span<const VARIANT>(&value, 1), nullptr);
}

HRESULT CActiveXWrapper::InvokeMethod(DISPID id, std::span<const VARIANT> args,
                                      VARIANT* result) const {
    return Invoke(id, DISPATCH_METHOD, args, result);
}

BOOL CActiveXWrapper::CreateControl(std::unique_ptr<CActiveXControl> control, const char* className,
                                    const RECT& rect, CWnd* parent, UINT id, DWORD style) {
    if (m_hWnd || m_owned || !control) return FALSE;
    if (!control->Create(className, "", style, rect, parent, id)) return FALSE;
    m_owned = std::move(control);
    return SubclassDlgItem(id, parent);
}

namespace platform::activex {

SHORT ButtonCode(Qt::MouseButtons b) {
    SHORT s = 0;
    if (b & Qt::LeftButton) s |= 1;
    if (b & Qt::RightButton) s |= 2;
    if (b & Qt::MiddleButton) s |= 4;
    return s;
}

SHORT ShiftState(Qt::KeyboardModifiers m) {
    SHORT s = 0;
    if (m & Qt::ShiftModifier) s |= 1;
    if (m & Qt::ControlModifier) s |= 2;
    if (m & Qt::AltModifier) s |= 4;
    return s;
}

}  // namespace platform::activex
