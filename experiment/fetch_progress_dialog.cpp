#include "experiment/fetch_progress_dialog.h"

#include <algorithm>

#include "RES/dialogs/fetch_progress_dialog.h"

CFetchProgressDialog::CFetchProgressDialog(CWnd* parent)
    : CDialog(FetchProgressDialogTemplate(), parent) {}

void CFetchProgressDialog::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDCANCEL, m_cancel);
    DDX_Control(dx, IDC_FETCH_TEXT, m_text);
    DDX_Control(dx, IDC_FETCH_PERCENT, m_percent);
    DDX_Control(dx, IDC_FETCH_PROGRESS, m_progress);
}

BOOL CFetchProgressDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText("Download Progress");
    m_cancel.SetWindowText("Cancel");
    m_text.SetWindowText("Downloading... Please wait");
    return TRUE;
}

void CFetchProgressDialog::SetTotal(DWORD total) {
    if (m_progress.m_hWnd) m_progress.SetRange(0, 100);
    m_total = std::max<DWORD>(total, 1);
    m_active = true;
}

void CFetchProgressDialog::SetProgress(DWORD done) {
    if (!m_active) return;
    const int percent = int(ULONGLONG(done) * 100 / m_total);
    CString text;
    text.Format("%d%s", percent, "%");
    if (m_percent.m_hWnd) m_percent.SetWindowText(text);
    if (m_progress.m_hWnd) m_progress.SetPos(percent);
}

void CFetchProgressDialog::OnCancel() {
    m_active = false;
    if (m_cancelFlag) *m_cancelFlag = 1;
    ShowWindow(SW_HIDE);
}
