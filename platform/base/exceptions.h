#pragma once
// The exceptions of files, archives and unsupported requests. They are thrown by value and caught
// by reference; the message text is what the program passes on to its log.

#include <exception>

#include "platform/base/cstring.h"

class CException : public std::exception {
public:
    explicit CException(CString message) : m_message(std::move(message)) {}
    const char* what() const noexcept override { return m_message.GetString(); }
    const CString& GetErrorMessage() const { return m_message; }
    // The class library's form: copies the message into a caller's buffer.
    BOOL GetErrorMessage(char* buffer, UINT size) const;

private:
    CString m_message;
};

class CFileException : public CException {
public:
    enum Cause {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };
    CFileException(Cause cause, int osError, const CString& path);
    Cause m_cause;
    int m_lOsError;
    CString m_strFileName;
};

class CArchiveException : public CException {
public:
    enum Cause {
        none,
        genericException,
        readOnly,
        endOfFile,
        writeOnly,
        badIndex,
        badClass,
        badSchema
    };
    explicit CArchiveException(Cause cause, const CString& detail = CString());
    Cause m_cause;
};

// A request the object cannot carry out, such as attaching to a control that is not there.
class CNotSupportedException : public CException {
public:
    CNotSupportedException() : CException("the request is not supported") {}
};
