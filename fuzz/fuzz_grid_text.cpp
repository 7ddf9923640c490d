// The grid's readers of pasted and loaded text on any bytes: they must never crash, and what the
// comma-separated reader finds must come back the same after the grid writes it again.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "models/grid_text.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const bool numeric = grid_text::IsNumericText(text);
    for (const CString& field : grid_text::SplitFields(text)) {
        Check(!field.IsEmpty());
        Check(field.Find('\t') < 0 && field.Find(',') < 0 && field.Find('\n') < 0);
        // A whole number token is numeric text on its own.
        if (grid_text::IsNumber(field.str())) Check(grid_text::IsNumericText(field.str()));
    }
    (void)numeric;

    const auto records = grid_text::ParseCsv(text);
    std::string written;
    for (const auto& record : records) {
        Check(!record.empty());
        for (size_t i = 0; i < record.size(); ++i) {
            if (i > 0) written += ',';
            written += grid_text::CsvField(record[i]).str();
        }
        written += '\n';
    }
    Check(grid_text::ParseCsv(written) == records);
    return 0;
}
