#pragma once
// Registers the instrument controls' classes ("CWGraph", "CWButton", "CWKnob", "CWSlide") and the media player with the
// dialog templates. Called once by the program and the tests: a static registrar in a static
// library could be dropped by the linker.

namespace platform {
void RegisterActiveXControls();
}  // namespace platform
