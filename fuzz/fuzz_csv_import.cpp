// The CSV import's parser on any bytes: no crash, leak or undefined behaviour; every column's
// sample numbers ascend below the sample count, which the rows bound unless the times number
// the samples; no more values come out than fields went in; a refused file yields no columns;
// read a few bytes at a time it gives what it gives read whole.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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
    Check(file.rateCode ? file.sampleCount <= csv::kMaxSampleNumber + 1
                        : file.sampleCount == file.rowCount);
    // A field takes at least a separator or a line end, so a file holds no more fields than bytes.
    size_t values = 0;
    for (const csv::ColumnStruct& column : file.columns) {
        Check(column.samples.size() == column.values.size());
        double last = -1;
        for (double s : column.samples) {
            Check(s > last && s < static_cast<double>(file.sampleCount));
            last = s;
        }
        values += column.values.size();
    }
    Check(values <= file.rowCount * file.columns.size());
    Check(values <= bytes.size());
}

// The same bytes in pieces of one to seven bytes, as a file that a slow device delivers.
void CheckPieces(std::string_view bytes, std::string_view list, std::string_view decimal) {
    size_t at = 0;
    size_t piece = 0;
    const csv::ReadBytes read = [&](char* to, size_t size) {
        const size_t n = std::min({size, bytes.size() - at, piece++ % 7 + 1});
        std::memcpy(to, bytes.data() + at, n);
        at += n;
        return n;
    };
    const csv::FileStruct whole = csv::Parse(bytes, list, decimal);
    const csv::FileStruct pieces =
        csv::Parse(read, bytes.size(), list, decimal, csv::DefaultStart());
    Check(whole.result == pieces.result && whole.header == pieces.header &&
          whole.rowCount == pieces.rowCount && whole.rateCode == pieces.rateCode &&
          whole.irregular == pieces.irregular && whole.columns.size() == pieces.columns.size());
    for (size_t c = 0; c < whole.columns.size(); ++c)
        Check(whole.columns[c].samples == pieces.columns[c].samples &&
              whole.columns[c].values == pieces.columns[c].values);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckFile(bytes, ",", ".");
    CheckFile(bytes, ";", ",");
    CheckPieces(bytes, ",", ".");
    CheckPieces(bytes, ";", ",");
    return 0;
}
