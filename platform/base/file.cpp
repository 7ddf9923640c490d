#include "platform/base/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <algorithm>

namespace {

CFileException::Cause CauseOf(int err) {
    switch (err) {
        case ENOENT:
            return CFileException::fileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
            return CFileException::badPath;
        case EMFILE:
        case ENFILE:
            return CFileException::tooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return CFileException::accessDenied;
        case ENOSPC:
            return CFileException::diskFull;
        case EIO:
            return CFileException::hardIO;
        case EBUSY:
            return CFileException::sharingViolation;
        default:
            return CFileException::genericException;
    }
}

std::function<bool()>& ReplaceHook() {
    static std::function<bool()> hook;
    return hook;
}

}  // namespace

CFile::CFile(const char* path, UINT openFlags) {
    CFileException error(CFileException::none, 0, path);
    if (!Open(path, openFlags, &error)) throw error;
}

CFile::~CFile() {
    Abort();
}

BOOL CFile::Open(const char* path, UINT openFlags, CFileException* error) {
    Abort();
    m_path = path ? path : "";
    int flags = O_CLOEXEC;
    switch (openFlags & 3) {
        case modeWrite:
            flags |= O_WRONLY;
            break;
        case modeReadWrite:
            flags |= O_RDWR;
            break;
        default:
            flags |= O_RDONLY;
            break;
    }
    if (openFlags & modeCreate) {
        flags |= O_CREAT;
        if (!(openFlags & modeNoTruncate)) flags |= O_TRUNC;
    }
    m_fd = ::open(m_path.GetString(), flags, 0666);
    if (m_fd < 0) {
        if (error) *error = CFileException(CauseOf(errno), errno, m_path);
        return FALSE;
    }
    struct stat st {};
    if (::fstat(m_fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        if (error) *error = CFileException(CFileException::accessDenied, EISDIR, m_path);
        return FALSE;
    }
    return TRUE;
}

UINT CFile::Read(void* buffer, UINT count) {
    if (m_fd < 0) throw CFileException(CFileException::invalidFile, 0, m_path);
    auto* p = static_cast<char*>(buffer);
    UINT done = 0;
    while (done < count) {
        const ssize_t n = ::read(m_fd, p + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw CFileException(CauseOf(errno), errno, m_path);
        if (n == 0) break;
        done += static_cast<UINT>(n);
    }
    return done;
}

void CFile::Write(const void* buffer, UINT count) {
    if (m_fd < 0) throw CFileException(CFileException::invalidFile, 0, m_path);
    const auto* p = static_cast<const char*>(buffer);
    UINT done = 0;
    while (done < count) {
        const ssize_t n = ::write(m_fd, p + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            throw CFileException(n < 0 ? CauseOf(errno) : CFileException::diskFull, errno, m_path);
        done += static_cast<UINT>(n);
    }
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) {
    const int whence = from == end ? SEEK_END : from == current ? SEEK_CUR : SEEK_SET;
    const off_t r = ::lseek(m_fd, offset, whence);
    if (r < 0) throw CFileException(CFileException::badSeek, errno, m_path);
    return static_cast<ULONGLONG>(r);
}

ULONGLONG CFile::GetLength() const {
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        throw CFileException(CFileException::invalidFile, errno, m_path);
    return static_cast<ULONGLONG>(st.st_size);
}

ULONGLONG CFile::GetPosition() const {
    const off_t r = ::lseek(m_fd, 0, SEEK_CUR);
    if (r < 0) throw CFileException(CFileException::badSeek, errno, m_path);
    return static_cast<ULONGLONG>(r);
}

void CFile::SetLength(ULONGLONG length) {
    if (::ftruncate(m_fd, static_cast<off_t>(length)) != 0)
        throw CFileException(CauseOf(errno), errno, m_path);
}

void CFile::Flush() {
    if (m_fd >= 0 && ::fsync(m_fd) != 0 && errno != EINVAL)
        throw CFileException(CauseOf(errno), errno, m_path);
}

void CFile::Close() {
    if (m_fd < 0) return;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) throw CFileException(CauseOf(errno), errno, m_path);
}

void CFile::Abort() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

void CFile::Remove(const char* path) {
    if (::unlink(path) != 0) throw CFileException(CauseOf(errno), errno, path);
}

void CFile::Rename(const char* from, const char* to) {
    if (::rename(from, to) != 0) throw CFileException(CauseOf(errno), errno, from);
}

bool CFile::Exists(const char* path) {
    struct stat st {};
    return path && ::stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

UINT CMemFile::Read(void* buffer, UINT count) {
    const size_t n = std::min<size_t>(count, m_bytes.size() - std::min(m_pos, m_bytes.size()));
    if (n) std::memcpy(buffer, m_bytes.data() + m_pos, n);
    m_pos += n;
    return static_cast<UINT>(n);
}

void CMemFile::Write(const void* buffer, UINT count) {
    if (m_pos + count > m_bytes.size()) m_bytes.resize(m_pos + count);
    if (count) std::memcpy(m_bytes.data() + m_pos, buffer, count);
    m_pos += count;
}

ULONGLONG CMemFile::Seek(LONGLONG offset, UINT from) {
    const LONGLONG base = from == end       ? static_cast<LONGLONG>(m_bytes.size())
                          : from == current ? static_cast<LONGLONG>(m_pos)
                                            : 0;
    if (base + offset < 0) throw CFileException(CFileException::badSeek, 0, "memory file");
    m_pos = static_cast<size_t>(base + offset);
    return m_pos;
}

void CMemFile::SetLength(ULONGLONG length) {
    m_bytes.resize(static_cast<size_t>(length));
    m_pos = std::min(m_pos, m_bytes.size());
}

namespace platform {

bool ReplaceFileAtomically(const CString& path, const std::vector<BYTE>& bytes) {
    return ReplaceFileAtomically(path, bytes, nullptr);
}

bool ReplaceFileAtomically(const CString& path, const std::vector<BYTE>& bytes,
                           CFileException* error) {
    int err = 0;
    const auto failed = [&err] {
        if (!err) err = errno ? errno : EIO;
        return false;
    };
    std::string tmp = path.str() + ".XXXXXX";
    errno = 0;
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) {
        failed();
        if (error) *error = CFileException(CauseOf(err), err, path);
        return false;
    }
    bool ok = true;
    for (size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0 || failed();
        if (ok) done += static_cast<size_t>(n);
    }
    ok = ok && ((::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0) || failed());
    ok = ((::close(fd) == 0) || failed()) && ok;
    // A save stopped before its rename has no system error of its own.
    if (ok && ReplaceHook() && !ReplaceHook()()) {
        ok = false;
        err = -1;
    }
    ok = ok && (::rename(tmp.c_str(), path.GetString()) == 0 || failed());
    if (!ok) {
        ::unlink(tmp.c_str());
        if (error)
            *error = err > 0 ? CFileException(CauseOf(err), err, path)
                             : CFileException(CFileException::genericException, 0, path);
    }
    return ok;
}

void SetAtomicReplaceHookForTests(std::function<bool()> beforeRename) {
    ReplaceHook() = std::move(beforeRename);
}

}  // namespace platform
