#include "platform/activex/event_sink.h"

#include "platform/msg/wnd.h"

namespace platform {

bool EventSinkTable::Fire(UINT controlId, DISPID event, std::vector<VARIANT>& args) const {
    for (const Entry& e : m_entries) {
        if (e.event != event || controlId < e.first || controlId > e.last) continue;
        // Copied: the handler may clear the table it was found in.
        const Call call = e.call;
        if (call(controlId, args)) return true;
    }
    return false;
}

bool FireControlEvent(CWnd* control, DISPID event, std::vector<VARIANT>& args) {
    if (!control) return false;
    auto* host = dynamic_cast<CEventSinkHost*>(control->GetParent());
    if (!host) return false;
    return host->GetEventSinks().Fire(static_cast<UINT>(control->GetDlgCtrlID()), event, args);
}

}  // namespace platform
