#include "app/about_dlg.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QUrl>

#include "RES/dialogs/about.h"

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
ON_BN_CLICKED(IDC_ABOUT_OK, OnOkButton)
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg(CWnd* parent) : CDialog(AboutTemplate(), parent) {}

CString CAboutDlg::ReadmeAddress() {
    QString path = QDir(QCoreApplication::applicationDirPath()).filePath("README.md");
    if (!QFile::exists(path)) path = VARNEL_SOURCE_README;
    return CString(QUrl::fromLocalFile(path).toString());
}

void CAboutDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_ABOUT_LINK, m_link);
    DDX_Control(dx, IDC_ABOUT_OK, m_ok);
    DDX_Control(dx, IDC_ABOUT_VERSION, m_version);
    DDX_Control(dx, IDC_ABOUT_NOTICE, m_notice);
}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText("About Varnel");
    m_ok.SetWindowText("OK");
    m_version.SetWindowText(kVersionText);
    m_version.ShowWindow(SW_SHOW);
    m_notice.SetWindowText("Varnel drives Dorvik data loggers and shows their data.");
    m_link.SetURL(ReadmeAddress());
    m_link.ShowWindow(SW_SHOW);
    return TRUE;
}
