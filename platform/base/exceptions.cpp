#include "platform/base/exceptions.h"

#include <cstring>

BOOL CException::GetErrorMessage(char* buffer, UINT size) const {
    if (!buffer || size == 0) return FALSE;
    std::strncpy(buffer, m_message.GetString(), size - 1);
    buffer[size - 1] = '\0';
    return TRUE;
}

namespace {

CString FileMessage(CFileException::Cause cause, int osError, const CString& path) {
    static const char* const kTexts[] = {"no error",
                                         "an unspecified error occurred",
                                         "the file was not found",
                                         "the path is invalid",
                                         "too many files are open",
                                         "access was denied",
                                         "the file is invalid",
                                         "the current folder cannot be removed",
                                         "the folder is full",
                                         "the seek failed",
                                         "a hardware I/O error occurred",
                                         "a sharing violation occurred",
                                         "a lock violation occurred",
                                         "the disk is full",
                                         "the end of the file was reached"};
    CString s;
    s.Format("%s: %s", path.GetString(), kTexts[cause]);
    if (osError != 0) s.AppendFormat(" (%s)", std::strerror(osError));
    return s;
}

CString ArchiveMessage(CArchiveException::Cause cause, const CString& detail) {
    static const char* const kTexts[] = {"no error",
                                         "an unspecified archive error occurred",
                                         "the archive is read-only",
                                         "the file ended unexpectedly",
                                         "the archive is write-only",
                                         "the file holds a bad index",
                                         "the file holds a bad class",
                                         "the file holds an unexpected format"};
    CString s(kTexts[cause]);
    if (!detail.IsEmpty()) s += ": " + detail;
    return s;
}

}  // namespace

CFileException::CFileException(Cause cause, int osError, const CString& path)
    : CException(FileMessage(cause, osError, path)),
      m_cause(cause),
      m_lOsError(osError),
      m_strFileName(path) {}

CArchiveException::CArchiveException(Cause cause, const CString& detail)
    : CException(ArchiveMessage(cause, detail)), m_cause(cause) {}
