#include "platform/ui/shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <cstring>

#include "platform/base/log.h"

namespace {

std::function<bool(const QUrl&)>& Opener() {
    static std::function<bool(const QUrl&)> opener;
    return opener;
}

// Whether the desktop names a program for the file's type; without the query tool, the desktop
// service is left to decide.
bool HasProgramFor(const QString& path) {
    const QString type = QMimeDatabase().mimeTypeForFile(path).name();
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!query.waitForFinished(5000) || query.exitStatus() != QProcess::NormalExit) return true;
    return !query.readAllStandardOutput().trimmed().isEmpty();
}

bool DesktopOpen(const QUrl& url) {
    if (url.isLocalFile() && !HasProgramFor(url.toLocalFile())) return false;
    // The desktop's opener itself, whatever window system Qt runs on (some plugins open nothing);
    // Qt's own service where there is none.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty())
        return QProcess::startDetached(
            opener, {url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded)});
    return QDesktopServices::openUrl(url);
}

HINSTANCE Result(int code) {
    return reinterpret_cast<HINSTANCE>(static_cast<std::intptr_t>(code));
}

}  // namespace

HINSTANCE ShellExecute(HWND, LPCTSTR operation, LPCTSTR file, LPCTSTR, LPCTSTR, int) {
    if (operation && *operation && std::strcmp(operation, "open") != 0) {
        qCWarning(lcPlatform) << "verb not offered:" << operation;
        return Result(SE_ERR_NOASSOC);
    }
    const QString target = QString::fromUtf8(file ? file : "");
    // An address has a scheme of two letters or more; "C:" and plain paths are files.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    QUrl url;
    if (scheme.match(target).hasMatch()) {
        url = QUrl(target);
    } else {
        if (target.isEmpty() || !QFileInfo::exists(target)) return Result(SE_ERR_FNF);
        url = QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
    }
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) return Result(SE_ERR_FNF);
    const bool taken = url.isValid() && (Opener() ? Opener()(url) : DesktopOpen(url));
    if (!taken) qCWarning(lcPlatform) << "nothing opened" << url;
    return Result(taken ? SE_ERR_SUCCESS : SE_ERR_NOASSOC);
}

void platform::SetShellOpener(std::function<bool(const QUrl&)> opener) {
    Opener() = std::move(opener);
}
