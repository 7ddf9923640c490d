// The launch file reader on any bytes: it must never crash or over-allocate, a header it accepts
// holds only values the launch can use, and what it accepts survives a write and a second read
// unchanged.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "logger/launch_header.h"
#include "platform/base/file.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CLaunchHeader header;
    CMemFile file(data, size);
    CString reason;
    if (!header.LoadFrom(file, &reason)) {
        Check(!reason.IsEmpty() && header == CLaunchHeader());
        return 0;
    }
    Check(header.CheckValues().IsEmpty());

    const std::vector<BYTE> written = header.GetFileBytes(header.m_kind);
    CLaunchHeader again;
    CMemFile writtenFile(written);
    Check(again.LoadFrom(writtenFile));
    Check(again.GetFileBytes(again.m_kind) == written);
    return 0;
}
