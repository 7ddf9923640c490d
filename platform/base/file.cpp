#include "platform/base/file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <algorithm>
#include <cctype>
#include <string_view>

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

// A save's temporary file lies beside its target as ".<name>.XXXXXX.part": hidden, and named for
// what it is when a killed save leaves it behind.
constexpr std::string_view kPartEnding = ".part";
constexpr size_t kUniqueLength = 6;

bool IsTemporaryOf(std::string_view entry, std::string_view name) {
    const size_t prefix = name.size() + 2;
    if (entry.size() != prefix + kUniqueLength + kPartEnding.size() || entry[0] != '.' ||
        entry.substr(1, name.size()) != name || entry[prefix - 1] != '.' ||
        !entry.ends_with(kPartEnding))
        return false;
    const std::string_view unique = entry.substr(prefix, kUniqueLength);
    return std::all_of(unique.begin(), unique.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

// Removes the temporaries that earlier saves of `name` in `folder` left when they were killed.
// A live save holds a lock on its temporary until it is renamed, so only the dead ones go.
void RemoveStaleTemporaries(const std::string& folder, std::string_view name) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsTemporaryOf(entry->d_name, name)) continue;
        const int fd = ::openat(::dirfd(dir), entry->d_name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlinkat(::dirfd(dir), entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

// Creates and locks a new temporary for `path`; -1 with errno set when none can be made.
int CreateTemporary(const std::string& path, std::string& tmp) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = path.substr(folder.size());
    RemoveStaleTemporaries(folder.empty() ? "." : folder, name);
    for (int tries = 0; tries < 100; ++tries) {
        tmp =
            folder + "." + name + "." + std::string(kUniqueLength, 'X') + std::string(kPartEnding);
        const int fd = ::mkostemps(tmp.data(), static_cast<int>(kPartEnding.size()), O_CLOEXEC);
        if (fd < 0) return -1;
        int locked;
        while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        struct stat st {};
        if (locked != 0 || ::fstat(fd, &st) != 0) {
            const int err = errno;
            ::unlink(tmp.c_str());
            ::close(fd);
            errno = err;
            return -1;
        }
        if (st.st_nlink > 0) return fd;
        // Another save's clean-up took it between its creation and the lock.
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
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
    std::string tmp;
    errno = 0;
    const int fd = CreateTemporary(path.str(), tmp);
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
    // A save stopped before its rename has no system error of its own.
    if (ok && ReplaceHook() && !ReplaceHook()()) {
        ok = false;
        err = -1;
    }
    // Renamed while still open, so that its lock covers it until it has its real name.
    ok = ok && (::rename(tmp.c_str(), path.GetString()) == 0 || failed());
    if (!ok) ::unlink(tmp.c_str());
    ok = ((::close(fd) == 0) || failed()) && ok;
    if (!ok && error)
        *error = err > 0 ? CFileException(CauseOf(err), err, path)
                         : CFileException(CFileException::genericException, 0, path);
    return ok;
}

void SetAtomicReplaceHookForTests(std::function<bool()> beforeRename) {
    ReplaceHook() = std::move(beforeRename);
}

}  // namespace platform
