// Graph style files and axis number formats: any text is refused or applied, never a crash.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/base/graph_style.h"
#include "platform/base/number_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    platform::graph::GraphStyle style;
    platform::graph::ParseGraphStyle(text, style);
    platform::graph::NumberFormat format;
    if (platform::graph::NumberFormat::Parse(CString(text), format)) {
        for (double v : {0.0, -1.5, 1e300, std::nan("")})
            format.Label(v, 3);
        for (double max : {10.0, 5e-323}) {
            const auto ticks = platform::graph::ChooseTicks(format, 0, max, 300, 30, 0, false);
            for (double v : ticks.major)
                format.TickLabel(v, ticks.decimals);
        }
    }
    return 0;
}
