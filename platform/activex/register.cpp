#include "platform/activex/register.h"

#include "platform/activex/graph_control.h"
#include "platform/activex/instruments.h"
#include "platform/activex/web_browser.h"
#include "platform/activex/wmp_player.h"
#include "platform/ui/dialog.h"

namespace platform {

void RegisterActiveXControls() {
    RegisterControlClass("CWGraph", [] { return std::make_unique<CWGraph>(); });
    RegisterControlClass("CWButton", [] { return std::make_unique<CWButton>(); });
    RegisterControlClass("CWKnob", [] { return std::make_unique<CWKnob>(); });
    RegisterControlClass("CWSlide", [] { return std::make_unique<CWSlide>(); });
    RegisterControlClass(CWMPControl::kClassName, [] { return std::make_unique<CWMPControl>(); });
    RegisterControlClass("WebBrowser", [] { return std::make_unique<CWebBrowser>(); });
}

}  // namespace platform
