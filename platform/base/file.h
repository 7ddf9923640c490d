#pragma once
// CFile on POSIX file descriptors, CMemFile over a byte vector, and the atomic replacement of a
// file that saves must use so that a crash never leaves half a file.

#include <functional>
#include <string>
#include <vector>

#include "platform/base/cstring.h"
#include "platform/base/exceptions.h"

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

    CFile() = default;
    // Opens or throws CFileException.
    CFile(const char* path, UINT openFlags);
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Returns FALSE and fills *error (when given) instead of throwing.
    virtual BOOL Open(const char* path, UINT openFlags, CFileException* error = nullptr);
    virtual UINT Read(void* buffer, UINT count);
    virtual void Write(const void* buffer, UINT count);
    virtual ULONGLONG Seek(LONGLONG offset, UINT from);
    virtual ULONGLONG GetLength() const;
    virtual ULONGLONG GetPosition() const;
    virtual void SetLength(ULONGLONG length);
    virtual void Flush();
    virtual void Close();
    void Abort();  // closes without throwing
    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    bool IsOpen() const { return m_fd >= 0; }
    const CString& GetFilePath() const { return m_path; }

    static void Remove(const char* path);                  // throws CFileException
    static void Rename(const char* from, const char* to);  // throws CFileException
    static bool Exists(const char* path);

protected:
    int m_fd = -1;
    CString m_path;
};

class CMemFile : public CFile {
public:
    CMemFile() = default;
    explicit CMemFile(std::vector<BYTE> bytes) : m_bytes(std::move(bytes)) {}
    CMemFile(const BYTE* data, size_t size) : m_bytes(data, data + size) {}

    BOOL Open(const char*, UINT, CFileException* = nullptr) override { return TRUE; }
    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    ULONGLONG Seek(LONGLONG offset, UINT from) override;
    ULONGLONG GetLength() const override { return m_bytes.size(); }
    ULONGLONG GetPosition() const override { return m_pos; }
    void SetLength(ULONGLONG length) override;
    void Flush() override {}
    void Close() override {}

    const std::vector<BYTE>& Bytes() const { return m_bytes; }
    std::vector<BYTE> Detach() {
        m_pos = 0;
        return std::move(m_bytes);
    }

private:
    std::vector<BYTE> m_bytes;
    size_t m_pos = 0;
};

namespace platform {

// Writes bytes to a temporary file in the target's folder (".<name>.XXXXXX.part"), flushes it to
// the disk and renames it over the target. Returns false, leaving any old file as it was, when a
// step fails. It first removes the temporaries that killed saves of the same target left.
bool ReplaceFileAtomically(const CString& path, const std::vector<BYTE>& bytes);
// The same; a failure also fills `error` (when given) with its cause, for the user's report.
bool ReplaceFileAtomically(const CString& path, const std::vector<BYTE>& bytes,
                           CFileException* error);

// Tests interrupt a save between the flush and the rename: a hook that returns false stops it
// there.
void SetAtomicReplaceHookForTests(std::function<bool()> beforeRename);

}  // namespace platform
