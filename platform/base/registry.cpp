#include "platform/base/registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <memory>

namespace {

struct Store {
    CString file;
    std::unique_ptr<QSettings> settings;
};

Store& TheStore() {
    static Store store;
    return store;
}

QSettings& Settings() {
    Store& s = TheStore();
    if (!s.settings) {
        if (s.file.IsEmpty()) {
            QString folder =
                QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
            const QString org = QCoreApplication::organizationName();
            const QString app = QCoreApplication::applicationName();
            if (!org.isEmpty()) folder += "/" + org;
            if (!app.isEmpty()) folder += "/" + app;
            QDir().mkpath(folder);
            s.file = CString(folder + "/registry.ini");
        }
        s.settings = std::make_unique<QSettings>(s.file.ToQString(), QSettings::IniFormat);
    }
    return *s.settings;
}

const char* RootName(HKEY root) {
    if (root == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
    if (root == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
    if (root == HKEY_CLASSES_ROOT) return "HKEY_CLASSES_ROOT";
    return nullptr;
}

CString JoinKey(HKEY root, const char* subKey) {
    CString path(RootName(root));
    CString sub(subKey ? subKey : "");
    sub.Replace('\\', '/');
    sub.Trim('/');
    if (!sub.IsEmpty()) path += "/" + sub;
    return path;
}

// A key exists when something is stored under it; a created key keeps a marker value so that an
// empty key still opens.
constexpr const char* kMarker = ".key";

bool KeyExists(const CString& path) {
    QSettings& s = Settings();
    s.beginGroup(path.ToQString());
    const bool exists = !s.childKeys().isEmpty() || !s.childGroups().isEmpty();
    s.endGroup();
    return exists;
}

}  // namespace

LONG CRegKey::Open(HKEY root, const char* subKey) {
    Close();
    if (!RootName(root)) return ERROR_INVALID_HANDLE;
    const CString path = JoinKey(root, subKey);
    if (!KeyExists(path)) return ERROR_FILE_NOT_FOUND;
    m_path = path;
    m_open = true;
    return ERROR_SUCCESS;
}

LONG CRegKey::Create(HKEY root, const char* subKey) {
    Close();
    if (!RootName(root)) return ERROR_INVALID_HANDLE;
    m_path = JoinKey(root, subKey);
    if (!KeyExists(m_path)) Settings().setValue((m_path + "/" + kMarker).ToQString(), 1);
    m_open = true;
    return ERROR_SUCCESS;
}

LONG CRegKey::Close() {
    m_open = false;
    m_path.Empty();
    return ERROR_SUCCESS;
}

CString CRegKey::KeyFor(const char* name) const {
    CString n(name ? name : "");
    n.Replace('\\', '/');
    return m_path + "/" + (n.IsEmpty() ? CString("Default") : n);
}

LONG CRegKey::QueryStringValue(const char* name, CString& value) const {
    if (!m_open) return ERROR_INVALID_HANDLE;
    const QVariant v = Settings().value(KeyFor(name).ToQString());
    if (!v.isValid()) return ERROR_FILE_NOT_FOUND;
    value = CString(v.toString());
    return ERROR_SUCCESS;
}

LONG CRegKey::SetStringValue(const char* name, const char* value) {
    if (!m_open) return ERROR_INVALID_HANDLE;
    Settings().setValue(KeyFor(name).ToQString(), QString::fromUtf8(value ? value : ""));
    return ERROR_SUCCESS;
}

LONG CRegKey::QueryDWORDValue(const char* name, DWORD& value) const {
    if (!m_open) return ERROR_INVALID_HANDLE;
    const QVariant v = Settings().value(KeyFor(name).ToQString());
    if (!v.isValid()) return ERROR_FILE_NOT_FOUND;
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    if (!ok) return ERROR_FILE_NOT_FOUND;
    value = static_cast<DWORD>(n);
    return ERROR_SUCCESS;
}

LONG CRegKey::SetDWORDValue(const char* name, DWORD value) {
    if (!m_open) return ERROR_INVALID_HANDLE;
    Settings().setValue(KeyFor(name).ToQString(), static_cast<qulonglong>(value));
    return ERROR_SUCCESS;
}

LONG CRegKey::DeleteValue(const char* name) {
    if (!m_open) return ERROR_INVALID_HANDLE;
    const QString key = KeyFor(name).ToQString();
    if (!Settings().contains(key)) return ERROR_FILE_NOT_FOUND;
    Settings().remove(key);
    return ERROR_SUCCESS;
}

std::vector<CString> CRegKey::EnumValueNames() const {
    std::vector<CString> names;
    if (!m_open) return names;
    QSettings& s = Settings();
    s.beginGroup(m_path.ToQString());
    for (const QString& k : s.childKeys())
        if (k != kMarker) names.emplace_back(k);
    s.endGroup();
    return names;
}

namespace platform {

void SetRegistryFile(const CString& path) {
    Store& s = TheStore();
    if (s.settings) s.settings->sync();
    s.settings.reset();
    s.file = path;
}

CString RegistryFile() {
    Settings();
    return TheStore().file;
}

void SyncRegistry() {
    Settings().sync();
}

}  // namespace platform
