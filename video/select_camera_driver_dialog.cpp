#include "video/select_camera_driver_dialog.h"

#include "RES/dialogs/select_camera_driver.h"
#include "logger/helpers.h"
#include "platform/media/capture_devices.h"
#include "platform/ui/controls.h"

CSelectCameraDriverDialog::CSelectCameraDriverDialog(bool listVideoInputs, bool secondMode,
                                                     CWnd* parent)
    : CDialog(SelectCameraDriverTemplate(), parent),
      m_listVideoInputs(listVideoInputs),
      m_secondMode(secondMode) {}

CString CSelectCameraDriverDialog::GetSelectedName() const {
    return m_selectedIndex < m_deviceNames.size() ? m_deviceNames[m_selectedIndex] : CString();
}

BOOL CSelectCameraDriverDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDCANCEL, "Cancel");
    SetDlgItemText(IDOK, "OK");
    SetWindowText("Select Video Device");
    SetDlgItemText(IDC_CAMERA_LABEL, "Video Device :");
    auto* combo = dynamic_cast<CComboBox*>(GetDlgItem(IDC_CAMERA_LIST));
    std::vector<QString> names;
    if (media::EnumerateVideoDevices(names) != 0) {
        ShowMessage(kNoHardwareText, 0);
    } else {
        // The names are indexed by a byte.
        for (const QString& name : names) {
            if (m_deviceNames.size() == 256) break;
            m_deviceNames.push_back(CString(name));
            if (combo) combo->AddString(CString(name));
        }
        if (combo) combo->SetCurSel(0);
    }
    const int count = combo ? combo->GetCount() : 0;
    if (count == 0)
        EndDialog(8);
    else if (count == 1)
        m_selectedIndex = 0;
    return TRUE;
}

void CSelectCameraDriverDialog::OnOK() {
    auto* combo = dynamic_cast<CComboBox*>(GetDlgItem(IDC_CAMERA_LIST));
    const int sel = combo ? combo->GetCurSel() : 0;
    m_selectedIndex = BYTE(sel < 0 ? 0 : sel);
    EndDialog(combo && combo->GetCount() == 1 ? 99 : 1);
}

void CSelectCameraDriverDialog::OnCancel() {
    EndDialog(2);
}
