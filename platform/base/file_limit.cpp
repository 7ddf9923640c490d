#include "platform/base/file_limit.h"

#include <algorithm>

#include "platform/base/file.h"

namespace platform {

CString FileSizeLimit::Text() const {
    static constexpr const char* kUnits[] = {"bytes", "KB", "MB", "GB", "TB"};
    ULONGLONG value = m_bytes;
    size_t unit = 0;
    while (unit + 1 < std::size(kUnits) && value >= 1024 && value % 1024 == 0) {
        value /= 1024;
        ++unit;
    }
    return CString::Formatted("%llu %s", static_cast<unsigned long long>(value), kUnits[unit]);
}

bool ReadWholeFile(CFile& file, const FileSizeLimit& limit, std::string& bytes) {
    bytes.clear();
    const ULONGLONG length = file.GetLength();
    const ULONGLONG position = file.GetPosition();
    const ULONGLONG left = length > position ? length - position : 0;
    if (!limit.Admits(left)) return false;
    bytes.resize(static_cast<size_t>(left));
    size_t done = 0;
    // A file that shrinks while it is read gives what it still has.
    while (done < bytes.size()) {
        const UINT n =
            file.Read(bytes.data() + done,
                      static_cast<UINT>(std::min<size_t>(bytes.size() - done, 1u << 30)));
        if (n == 0) break;
        done += n;
    }
    bytes.resize(done);
    return true;
}

}  // namespace platform
