#pragma once
// The host's event sink table: (control id or id range, event id) -> a handler with typed
// arguments. A window that hosts controls derives from CEventSinkHost; its controls raise their
// events synchronously to the table of their parent window.
//
// Arguments bind by type: SHORT, LONG, double, bool, const CString& or VARIANT& by value; SHORT&,
// LONG&, double& and bool& by reference, so a handler can write them back (the key code of -602).
// A handler whose argument list does not match the event is not called.

#include <functional>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/activex/dispatch.h"

class CWnd;

namespace platform {

class EventSinkTable {
public:
    // One control, or (OnRange) the ids first..last with the control id as the handler's first
    // argument.
    template <class F>
    void On(UINT controlId, DISPID event, F&& handler) {
        std::function fn(std::forward<F>(handler));
        Add(controlId, controlId, event, WrapPlain(std::move(fn)));
    }
    template <class F>
    void OnRange(UINT first, UINT last, DISPID event, F&& handler) {
        std::function fn(std::forward<F>(handler));
        Add(first, last, event, WrapRange(std::move(fn)));
    }
    void Clear() { m_entries.clear(); }

    // Runs the first handler of the event whose arguments fit; false when there is none.
    bool Fire(UINT controlId, DISPID event, std::vector<VARIANT>& args) const;

private:
    using Call = std::function<bool(UINT, std::vector<VARIANT>&)>;
    struct Entry {
        UINT first, last;
        DISPID event;
        Call call;
    };
    void Add(UINT first, UINT last, DISPID event, Call call) {
        m_entries.push_back({first, last, event, std::move(call)});
    }

    template <class T>
    struct Binder;

    template <class... A>
    static Call WrapPlain(std::function<void(A...)> fn) {
        return WrapPlainImpl(std::move(fn), std::make_index_sequence<sizeof...(A)>());
    }
    template <class... A, size_t... I>
    static Call WrapPlainImpl(std::function<void(A...)> fn, std::index_sequence<I...>) {
        return [fn = std::move(fn)](UINT, std::vector<VARIANT>& args) {
            if (args.size() != sizeof...(A)) return false;
            if (!(Binder<A>::Fits(args[I]) && ...)) return false;
            fn(Binder<A>::Get(args[I])...);
            return true;
        };
    }
    template <class... A>
    static Call WrapRange(std::function<void(UINT, A...)> fn) {
        return WrapRangeImpl(std::move(fn), std::make_index_sequence<sizeof...(A)>());
    }
    template <class... A, size_t... I>
    static Call WrapRangeImpl(std::function<void(UINT, A...)> fn, std::index_sequence<I...>) {
        return [fn = std::move(fn)](UINT id, std::vector<VARIANT>& args) {
            if (args.size() != sizeof...(A)) return false;
            if (!(Binder<A>::Fits(args[I]) && ...)) return false;
            fn(id, Binder<A>::Get(args[I])...);
            return true;
        };
    }

    std::vector<Entry> m_entries;
};

template <>
struct EventSinkTable::Binder<SHORT> {
    static bool Fits(const VARIANT& v) { return v.vt == VT_I2; }
    static SHORT Get(VARIANT& v) { return v.iVal; }
};
template <>
struct EventSinkTable::Binder<SHORT&> {
    static bool Fits(const VARIANT& v) { return v.vt == VT_I2; }
    static SHORT& Get(VARIANT& v) { return v.iVal; }
};
template <>
struct EventSinkTable::Binder<LONG> {
    static bool Fits(const VARIANT& v) { return v.vt == VT_I4; }
    static LONG Get(VARIANT& v) { return v.lVal; }
};
template <>
struct EventSinkTable::Binder<LONG&> {
    static bool Fits(const VARIANT& v) { return v.vt == VT_I4; }
    static LONG& Get(VARIANT& v) { return v.lVal; }
};
template <>
struct EventSinkTable::Binder<double> {
    static bool Fits(const VARIANT& v) { return v.vt == VT_R8; }
    static double Get(VARIANT& v) { return v.dblVal; }
};
template <>
struct EventSinkTable::Binder<double&> {
    static bool Fits(const VARIANT& v) { return v.vt == VT_R8; }
    static double& Get(VARIANT& v) { return v.dblVal; }
};
template <>
struct EventSinkTable::Binder<bool> {
    static bool Fits(const VARIANT& v) { return v.vt == VT_BOOL; }
    static bool Get(VARIANT& v) { return v.boolVal; }
};
template <>
struct EventSinkTable::Binder<bool&> {
    static bool Fits(const VARIANT& v) { return v.vt == VT_BOOL; }
    static bool& Get(VARIANT& v) { return v.boolVal; }
};
template <>
struct EventSinkTable::Binder<const CString&> {
    static bool Fits(const VARIANT& v) { return v.vt == VT_BSTR; }
    static const CString& Get(VARIANT& v) { return v.bstrVal; }
};
template <>
struct EventSinkTable::Binder<VARIANT&> {
    static bool Fits(const VARIANT&) { return true; }
    static VARIANT& Get(VARIANT& v) { return v; }
};
template <>
struct EventSinkTable::Binder<const VARIANT&> {
    static bool Fits(const VARIANT&) { return true; }
    static const VARIANT& Get(VARIANT& v) { return v; }
};

// Raises an event of `control` to its parent's sink table. The handler may destroy the control:
// callers look their window up again before touching it.
bool FireControlEvent(CWnd* control, DISPID event, std::vector<VARIANT>& args);

}  // namespace platform

// A window that hosts instrument controls: dialogs and form views derive from it beside CWnd.
class CEventSinkHost {
public:
    virtual ~CEventSinkHost() = default;
    platform::EventSinkTable& GetEventSinks() { return m_eventSinks; }
    const platform::EventSinkTable& GetEventSinks() const { return m_eventSinks; }

private:
    platform::EventSinkTable m_eventSinks;
};
