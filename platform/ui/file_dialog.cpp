#include "platform/ui/file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>

#include "platform/msg/wnd.h"
#include "platform/ui/modal_host.h"

namespace {

// "Name (*.a)|*.a|Other|*.b|" to Qt's "Name (*.a);;Other (*.b)".
QStringList NameFilters(const CString& filter) {
    const QStringList parts = filter.ToQString().split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        const QString patterns = QString(parts[i + 1]).replace(';', ' ');
        out << (parts[i].contains('(') ? parts[i].left(parts[i].indexOf('(')).trimmed()
                                       : parts[i]) +
                   " (" + patterns + ")";
    }
    return out;
}

}  // namespace

CFileDialog::CFileDialog(BOOL openFileDialog, LPCTSTR defaultExtension, LPCTSTR fileName,
                         DWORD flags, LPCTSTR filter, CWnd* parent)
    : m_open(openFileDialog),
      m_defaultExtension(defaultExtension ? defaultExtension : ""),
      m_fileName(fileName ? fileName : ""),
      m_flags(flags),
      m_filter(filter ? filter : ""),
      m_parent(parent) {}

CFileDialog::~CFileDialog() = default;

INT_PTR CFileDialog::DoModal() {
    QFileDialog dialog(m_parent ? m_parent->GetWidget() : nullptr);
    dialog.setAcceptMode(m_open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(m_open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList filters = NameFilters(m_filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    QString extension = m_defaultExtension.ToQString();
    if (extension.startsWith('.')) extension.remove(0, 1);
    if (!extension.isEmpty()) dialog.setDefaultSuffix(extension.section(';', 0, 0));
    const QFileInfo initial(m_fileName.ToQString());
    if (!m_fileName.IsEmpty()) {
        dialog.setDirectory(initial.absolutePath());
        if (!initial.fileName().contains('*')) dialog.selectFile(initial.fileName());
    }
    m_dialog = &dialog;
    const int result = platform::ModalHost::Current().RunQtDialog(dialog);
    m_dialog = nullptr;
    const QStringList chosen = dialog.selectedFiles();
    if (result != QDialog::Accepted || chosen.isEmpty() || chosen.first().isEmpty())
        return IDCANCEL;
    m_path = CString(chosen.first());
    return IDOK;
}

CString CFileDialog::GetFileName() const {
    return CString(QFileInfo(m_path.ToQString()).fileName());
}

CString CFileDialog::GetFolderPath() const {
    return CString(QFileInfo(m_path.ToQString()).absolutePath());
}
