#include "app/com_setup.h"

#include <algorithm>
#include <iterator>

#include "RES/dialogs/com_setup.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "logger/dorvik.h"
#include "logger/helpers.h"
#include "logger/serial_port.h"
#include "logger/settings.h"

BEGIN_MESSAGE_MAP(CComSetup, CDialog)
ON_BN_CLICKED(IDC_COM_WORK_OFFLINE, OnWorkOffline)
END_MESSAGE_MAP()

CComSetup::CComSetup(CWnd* parent) : CDialog(ComSetupTemplate(), parent) {
    std::fill(std::begin(m_portNumbers), std::end(m_portNumbers), kNoPort);
}

void CComSetup::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_COM_SELECT_PORT, m_selectPort);
    DDX_Control(dx, IDC_COM_PORT_LIST, m_portList);
    DDX_Control(dx, IDOK, m_ok);
    DDX_Control(dx, IDCANCEL, m_cancel);
    DDX_Control(dx, IDC_COM_WORK_OFFLINE, m_workOffline);
}

BOOL CComSetup::OnInitDialog() {
    CDialog::OnInitDialog();
    if (auto* app = dynamic_cast<CVarnelApp*>(AfxGetApp())) m_pDoc = app->GetDocument();
    m_ok.SetWindowText("Try to connect");
    m_cancel.SetWindowText("Cancel");
    m_workOffline.SetWindowText("Work offline");
    m_selectPort.SetWindowText("Select port:");
    SetWindowText("Communication Setup");
    FillPortList();
    return TRUE;
}

void CComSetup::FillPortList() {
    if (!m_pDoc) return;
    CDorvik& logger = *m_pDoc->GetLogger();
    const CSettings& settings = *m_pDoc->GetSettings();
    // Our own open port cannot be opened again: it is listed by what is on it.
    const bool connected = logger.IsConnected() &&
                           settings.m_communicationType == CSerialPort::kComPort &&
                           logger.GetSerialPort().IsOpen();
    int count = 0;
    for (int p = 0; p <= 255 && count < kMaxPorts; ++p) {
        CString text;
        if (connected && p == settings.m_comNumber) {
            const int version = logger.GetVersion();
            if (logger.IsQKModel())
                text.Format(" COM%d: %s", p, "Dorvik QK");
            else if (version >= 1 && version <= 4)
                text.Format(" COM%d: %s%d %s", p, "Dorvik v.", version, "is Connected");
            else
                text.Format(" COM%d", p);
        } else if (logger.IsComPortAvailable(p)) {
            text.Format(" COM%d", p);
        } else {
            continue;
        }
        const int index = m_portList.AddString(text);
        if (index < 0 || index >= kMaxPorts) break;
        m_portNumbers[index] = static_cast<WORD>(p);
        m_portList.SetCheck(index, BST_CHECKED);
        ++count;
    }
}

void CComSetup::DropConnection() {
    // The logger ends its own run, so that it knows the run is over.
    m_pDoc->GetLogger()->Disconnect();
}

void CComSetup::OnOK() {
    if (!m_pDoc) {
        EndDialog(IDOK);
        return;
    }
    CDorvik& logger = *m_pDoc->GetLogger();
    DropConnection();
    // A search that ended leaves its end marker behind: a new one starts from nothing.
    logger.ClearCandidatePorts();
    for (int i = 0; i < m_portList.GetCount() && i < kMaxPorts; ++i)
        if (m_portList.GetCheck(i) == BST_CHECKED && m_portNumbers[i] != kNoPort)
            logger.AppendCandidatePort(static_cast<short>(m_portNumbers[i]));
    if (logger.GetCandidatePorts().empty()) {
        // An empty list would send the search over every port; nothing chosen is nothing found.
        logger.SetDetectionState(0);
        EndDialog(IDOK);
        ShowMessage(CDorvik::kConnectFailedText, 0);
        return;
    }
    logger.SetDetectionState(3);
    logger.ConnectToNextPort();
    EndDialog(IDOK);
}

void CComSetup::OnWorkOffline() {
    if (m_pDoc) DropConnection();
    EndDialog(IDCANCEL);
}
