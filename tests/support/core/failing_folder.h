#pragma once

#include <sys/mount.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QString>
#include <cerrno>
#include <cstring>

namespace testing_support {

// A folder that takes no more bytes, or none at all: a small file system of its own, mounted
// there (filled up, or read-only). Without the right to mount, a read-only folder is one without
// write permission, which holds for anyone but root.
class FailingFolder {
public:
    FailingFolder(const QString& path, bool full) : m_path(path) {
        QDir().mkpath(path);
        const unsigned long flags = full ? 0 : MS_RDONLY;
        m_mounted = ::mount("tmpfs", path.toLocal8Bit().constData(), "tmpfs", flags,
                            "size=64k,mode=0777") == 0;
        if (m_mounted && full) {
            // Filled to the last block: a new file can still be made, but takes no data.
            QFile filler(path + "/filler");
            if (filler.open(QIODevice::WriteOnly)) {
                const QByteArray block(4096, 'x');
                while (filler.write(block) == block.size() && filler.flush()) {
                }
            }
            m_reason = std::strerror(ENOSPC);
        } else if (m_mounted) {
            m_reason = std::strerror(EROFS);
        } else if (!full && ::geteuid() != 0) {
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
            m_reason = std::strerror(EACCES);
        }
    }
    ~FailingFolder() {
        if (m_mounted) ::umount2(m_path.toLocal8Bit().constData(), MNT_DETACH);
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    FailingFolder(const FailingFolder&) = delete;
    FailingFolder& operator=(const FailingFolder&) = delete;

    bool Fails() const { return !m_reason.isEmpty(); }
    // The system's words for the failure.
    const QString& Reason() const { return m_reason; }
    int Error() const {
        return m_reason == std::strerror(ENOSPC)  ? ENOSPC
               : m_reason == std::strerror(EROFS) ? EROFS
                                                  : EACCES;
    }

private:
    QString m_path;
    bool m_mounted = false;
    QString m_reason;
};

}  // namespace testing_support
