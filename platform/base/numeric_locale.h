#pragma once
// Numbers are parsed and printed in the "C" locale always. Qt sets the C library to the user's
// locale when it starts, so this is called again right after the application object exists.

namespace platform {

void PinNumericLocale();

}  // namespace platform
