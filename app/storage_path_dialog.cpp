#include "app/storage_path_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "RES/dialogs/option_dialogs.h"
#include "platform/ui/modal_host.h"

// ---- the folder browser

CFolderDialog::CFolderDialog(LPCTSTR initialFolder, DWORD flags, CWnd* parent)
    : m_initial(initialFolder ? initialFolder : ""), m_flags(flags), m_parent(parent) {}

CFolderDialog::~CFolderDialog() = default;

CString CFolderDialog::ShortenPath(const CString& path) {
    // Characters, not bytes: a letter beyond ASCII is never cut in two.
    const QString text = path.ToQString();
    if (text.size() <= kStatusLength) return path;
    return CString(text.left(kStatusLength) + "...");
}

INT_PTR CFolderDialog::DoModal() {
    m_selected = m_initial;
    // Qt's own dialog, so that the modal host can drive it.
    QFileDialog browser(m_parent ? m_parent->GetWidget() : nullptr);
    browser.setOption(QFileDialog::DontUseNativeDialog);
    browser.setOption(QFileDialog::ShowDirsOnly);
    browser.setFileMode(QFileDialog::Directory);
    browser.setWindowTitle("Current Selection");
    auto* status = new QLabel(&browser);
    status->setObjectName("status");
    if (auto* grid = qobject_cast<QGridLayout*>(browser.layout()))
        grid->addWidget(status, grid->rowCount(), 0, 1, grid->columnCount());
    m_browser = &browser;
    m_status = status;
    QObject::connect(&browser, &QFileDialog::currentChanged, &browser,
                     [this](const QString& path) { OnSelChanged(CString(path)); });
    OnInitialized();
    const int result = platform::ModalHost::Current().RunQtDialog(browser);
    const QStringList chosen = browser.selectedFiles();
    m_browser = nullptr;
    m_status = nullptr;
    // A choice that is no folder of the file system counts as Cancel.
    if (result != QDialog::Accepted || chosen.isEmpty() || !QFileInfo(chosen.first()).isDir()) {
        m_selected = m_initial;
        return IDCANCEL;
    }
    m_selected = CString(QFileInfo(chosen.first()).absoluteFilePath());
    return IDOK;
}

CString CFolderDialog::GetStatusText() const {
    return m_status ? CString(m_status->text()) : CString();
}

void CFolderDialog::OnInitialized() {
    SetSelection(m_initial);
    SetStatusText(ShortenPath(m_initial));
}

void CFolderDialog::OnSelChanged(const CString& path) {
    m_selected = path;
    SetStatusText(ShortenPath(path));
}

void CFolderDialog::EnableOK(BOOL enable) {
    if (!m_browser) return;
    for (QPushButton* b : m_browser->findChildren<QPushButton*>())
        if (b->text() == QFileDialog::tr("&Choose") || b->isDefault()) b->setEnabled(enable);
}

void CFolderDialog::SetSelection(const CString& path) {
    if (m_browser && !path.IsEmpty()) m_browser->setDirectory(path.ToQString());
}

void CFolderDialog::SetStatusText(const CString& text) {
    if (m_status) m_status->setText(text.ToQString());
}

// ---- the storage path dialog

BEGIN_MESSAGE_MAP(CStoragePathDialog, CDialog)
ON_BN_CLICKED(IDC_STORAGE_BROWSE, OnBrowse)
END_MESSAGE_MAP()

CStoragePathDialog::CStoragePathDialog(CWnd* parent) : CDialog(StoragePathTemplate(), parent) {}

BOOL CStoragePathDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText("Set user data path");
    SetDlgItemText(IDOK, "OK");
    SetDlgItemText(IDCANCEL, "Cancel");
    SetDlgItemText(IDC_STORAGE_BROWSE, "Browse");
    SetDlgItemText(IDC_STORAGE_PATH, m_path);
    return TRUE;
}

void CStoragePathDialog::OnBrowse() {
    CFolderDialog browser(m_path, 0, nullptr);
    if (browser.DoModal() != IDOK) return;
    m_path = browser.GetFolderPath();
    SetDlgItemText(IDC_STORAGE_PATH, m_path);
}
