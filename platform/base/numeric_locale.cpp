#include "platform/base/numeric_locale.h"

#include <clocale>

namespace platform {

void PinNumericLocale() {
    std::setlocale(LC_NUMERIC, "C");
}

}  // namespace platform
