#pragma once
// What every instrument control shares: a child window with its own widget whose members are
// reached through Invoke, and a wrapper that attaches to it by control id.

#include <QtGlobal>
#include <memory>
#include <vector>

#include "platform/activex/dispatch.h"
#include "platform/msg/wnd.h"

class CActiveXControl : public CWnd {
public:
    using CWnd::Create;
    // The control's own object; a null handle once the window is destroyed.
    virtual DispatchHandle GetDispatch() const = 0;
    HRESULT Invoke(DISPID id, WORD kind, std::span<const VARIANT> args, VARIANT* result) const;
    virtual CString Dump() const = 0;

protected:
    // Raises an event to the parent's sink table; false when the window `self` is gone afterwards
    // (then nothing of this object may be touched).
    bool Raise(const platform::WindowWatch& self, DISPID event, std::vector<VARIANT>& args);
};

// The wrapper the program holds. It attaches to a template-made control by its id
// (SubclassDlgItem, as DDX_Control does) or makes its own; every call resolves the control again,
// so a wrapper of a destroyed control fails with RPC_E_DISCONNECTED.
class CActiveXWrapper : public CWnd {
public:
    ~CActiveXWrapper() override;
    CActiveXControl* GetControl() const;
    DispatchHandle GetDispatch() const;
    CDispatchDriver GetDriver() const { return CDispatchDriver(GetDispatch()); }

    HRESULT Invoke(DISPID id, WORD kind, std::span<const VARIANT> args, VARIANT* result) const;
    HRESULT GetProperty(DISPID id, VARIANT& out, std::span<const VARIANT> args = {}) const;
    HRESULT SetProperty(DISPID id, const VARIANT& value) const;
    HRESULT InvokeMethod(DISPID id, std::span<const VARIANT> args = {},
                         VARIANT* result = nullptr) const;

protected:
    BOOL CreateControl(std::unique_ptr<CActiveXControl> control, const char* className,
                       const RECT& rect, CWnd* parent, UINT id, DWORD style);

private:
    std::unique_ptr<CActiveXControl> m_owned;
};

namespace platform::activex {
// The events' button (1 left, 2 right, 4 middle) and shift (1 Shift, 2 Ctrl, 4 Alt) codes.
SHORT ButtonCode(Qt::MouseButtons buttons);
SHORT ShiftState(Qt::KeyboardModifiers modifiers);
}  // namespace platform::activex
