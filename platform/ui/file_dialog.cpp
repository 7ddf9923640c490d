#include "platform/ui/file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>

#include "platform/ui/modal_host.h"
#include "platform/win/wnd.h"

CFileDialog::CFileDialog(BOOL openFileDialog, LPCTSTR defaultExt, LPCTSTR fileName, DWORD flags,
                         LPCTSTR filter, CWnd* parent)
    : m_openFileDialog(openFileDialog),
      m_defaultExt(defaultExt ? defaultExt : ""),
      m_fileName(fileName ? fileName : ""),
      m_flags(flags),
      m_filter(filter ? filter : ""),
      m_parent(parent) {
    if (m_defaultExt.GetLength() > 0 && m_defaultExt[0] == '.') m_defaultExt = m_defaultExt.Mid(1);
}

INT_PTR CFileDialog::DoModal() {
    return platform::ModalHost::Current().RunFileDialog(*this);
}

CString CFileDialog::GetFileName() const {
    return m_pathName.Mid(m_pathName.ReverseFind('/') + 1);
}

CString CFileDialog::GetFileExt() const {
    const CString name = GetFileName();
    const int dot = name.ReverseFind('.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}

CString CFileDialog::GetQtFilter() const {
    CString out;
    int start = 0;
    for (;;) {
        const CString label = m_filter.Tokenize("|", start);
        if (start < 0 || label.IsEmpty()) break;
        const CString patterns = m_filter.Tokenize("|", start);
        CString patternList = patterns;
        patternList.Replace(';', ' ');
        if (!out.IsEmpty()) out += ";;";
        // Windows shows the label as given; Qt reads the patterns from the brackets.
        out += label.Find('(') >= 0 ? label : label + " (" + patternList + ")";
        if (start < 0) break;
    }
    return out;
}

void CFileDialog::SetChosenPath(const CString& path) {
    m_pathName = path;
    const CString name = GetFileName();
    if (!name.IsEmpty() && name.Find('.') < 0 && !m_defaultExt.IsEmpty())
        m_pathName += "." + m_defaultExt;
}

namespace platform {

int ModalHost::RunFileDialog(CFileDialog& dialog) {
    QWidget* parent = dialog.m_parent ? dialog.m_parent->GetWidget() : nullptr;
    QFileDialog qt(parent);
    qt.setAcceptMode(dialog.m_openFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    qt.setFileMode(dialog.m_openFileDialog ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    qt.setNameFilter(dialog.GetQtFilter().ToQString());
    qt.setDefaultSuffix(dialog.m_defaultExt.ToQString());
    if (!(dialog.m_flags & OFN_OVERWRITEPROMPT)) qt.setOption(QFileDialog::DontConfirmOverwrite);
    const QFileInfo proposed(dialog.m_fileName.ToQString());
    if (!proposed.path().isEmpty() && proposed.path() != ".") qt.setDirectory(proposed.path());
    if (!proposed.fileName().contains('*')) qt.selectFile(proposed.fileName());
    if (qt.exec() != QDialog::Accepted || qt.selectedFiles().isEmpty()) return IDCANCEL;
    dialog.SetChosenPath(CString(qt.selectedFiles().front()));
    return IDOK;
}

}  // namespace platform
