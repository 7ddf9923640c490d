#pragma once
// Registers the controls' classes ("CWGraph", "CWButton", "CWKnob", "CWSlide", the media player,
// "WebBrowser") with the dialog templates. Called once by the program and the tests: a static
// registrar in a static library could be dropped by the linker.

namespace platform {
void RegisterActiveXControls();
}  // namespace platform
