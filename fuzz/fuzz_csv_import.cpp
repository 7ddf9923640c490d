// The CSV import's parser on any bytes: no crash, leak or undefined behaviour; every column's
// sample numbers ascend below the row count; no more values come out than fields went in; a
// refused file yields no columns.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "logger/csv_import.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

void CheckFile(std::string_view bytes, std::string_view list, std::string_view decimal) {
    const csv::FileStruct file = csv::Parse(bytes, list, decimal);
    if (file.result != csv::Result::ok) {
        Check(file.columns.empty() && file.rowCount == 0);
        return;
    }
    Check(file.header.size() >= 2 && file.columns.size() == file.header.size() - 1);
    Check(file.rowCount >= 1);
    // A field takes at least a separator or a line end, so a file holds no more fields than bytes.
    size_t values = 0;
    for (const csv::ColumnStruct& column : file.columns) {
        Check(column.samples.size() == column.values.size());
        double last = -1;
        for (double s : column.samples) {
            Check(s > last && s < static_cast<double>(file.rowCount));
            last = s;
        }
        values += column.values.size();
    }
    Check(values <= file.rowCount * file.columns.size());
    Check(values <= bytes.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckFile(bytes, ",", ".");
    CheckFile(bytes, ";", ",");
    return 0;
}
