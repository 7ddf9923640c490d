#pragma once
// The largest file a reader takes into memory. A reader checks the size before it reads a byte,
// so that a huge or sparse file is refused at once instead of filling the memory. Tests set a
// limit for their scope, to reach the refusals with small files.

#include <string>

#include "platform/base/cstring.h"
#include "platform/base/types.h"

class CFile;

namespace platform {

class FileSizeLimit {
public:
    explicit constexpr FileSizeLimit(ULONGLONG bytes) : m_bytes(bytes) {}
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    ULONGLONG Bytes() const { return m_bytes; }
    bool Admits(ULONGLONG size) const { return size <= m_bytes; }
    // For people: "64 KB", "256 MB", "1 GB".
    CString Text() const;

    // The limit is `bytes` while this lives.
    class Override {
    public:
        Override(FileSizeLimit& limit, ULONGLONG bytes) : m_limit(limit), m_old(limit.m_bytes) {
            limit.m_bytes = bytes;
        }
        ~Override() { m_limit.m_bytes = m_old; }
        Override(const Override&) = delete;
        Override& operator=(const Override&) = delete;

    private:
        FileSizeLimit& m_limit;
        ULONGLONG m_old;
    };

private:
    ULONGLONG m_bytes;
};

// Reads an open file from where it stands to its end, in one pass, into `bytes`. False, with
// nothing read and `bytes` empty, when the file is larger than `limit`. Read errors throw
// CFileException as CFile does; too little memory throws std::bad_alloc.
bool ReadWholeFile(CFile& file, const FileSizeLimit& limit, std::string& bytes);

}  // namespace platform
