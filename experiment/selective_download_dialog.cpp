#include "experiment/selective_download_dialog.h"

#include "RES/dialogs/selective_download.h"
#include "logger/dorvik.h"
#include "logger/helpers.h"
#include "platform/ui/styles.h"

BEGIN_MESSAGE_MAP(CSelectiveDownloadDialog, CDialog)
ON_CONTROL_RANGE(BN_CLICKED, IDC_DOWNLOAD_ROW_FIRST, IDC_DOWNLOAD_ROW_FIRST + 3, OnRowChosen)
ON_CONTROL_RANGE(STN_CLICKED, IDC_DOWNLOAD_TIME_FIRST, IDC_DOWNLOAD_SAMPLES_FIRST + 3,
                 OnCellClicked)
END_MESSAGE_MAP()

namespace {

// A stored set that nothing could be read of is not offered.
constexpr BYTE kUnlistedState = 3;

bool IsLater(LONGLONG a, LONGLONG b) {
    const auto highA = static_cast<int32_t>(static_cast<ULONGLONG>(a) >> 32);
    const auto highB = static_cast<int32_t>(static_cast<ULONGLONG>(b) >> 32);
    if (highA != highB) return highA > highB;
    return static_cast<uint32_t>(a) > static_cast<uint32_t>(b);
}

}  // namespace

CSelectiveDownloadDialog::CSelectiveDownloadDialog(CWnd* parent)
    : CDialog(SelectiveDownloadTemplate(), parent) {}

BOOL CSelectiveDownloadDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText("Download");
    SetDlgItemText(IDC_DOWNLOAD_TIME_HEADING, "Sampling time");
    SetDlgItemText(IDC_DOWNLOAD_TYPE_HEADING, "Data type");
    SetDlgItemText(IDC_DOWNLOAD_SAMPLES_HEADING, "Number of samples");
    SetDlgItemText(IDC_DOWNLOAD_NO_DATA, "No data available");
    if (CWnd* noData = GetDlgItem(IDC_DOWNLOAD_NO_DATA)) noData->ShowWindow(SW_HIDE);
    SetDlgItemText(IDOK, "OK");
    SetDlgItemText(IDCANCEL, "Cancel");
    m_selectedSet = 0;
    CheckRadioButton(IDC_DOWNLOAD_ROW_FIRST, IDC_DOWNLOAD_ROW_FIRST + 3, IDC_DOWNLOAD_ROW_FIRST);
    SortByDate();
    FillRows();
    return TRUE;
}

void CSelectiveDownloadDialog::SortByDate() {
    for (int i = 0; i < kRows; ++i)
        m_dateOrder[i] = static_cast<BYTE>(i);
    if (!m_logger) return;
    // Bubble passes keep sets of equal times in their order.
    for (int pass = 0; pass < kRows - 1; ++pass)
        for (int i = 0; i < kRows - 1 - pass; ++i) {
            const LONGLONG a = m_logger->GetDataSetHeader(m_dateOrder[i]).startTime.GetTicks();
            const LONGLONG b = m_logger->GetDataSetHeader(m_dateOrder[i + 1]).startTime.GetTicks();
            if (IsLater(b, a)) std::swap(m_dateOrder[i], m_dateOrder[i + 1]);
        }
}

void CSelectiveDownloadDialog::FillRows() {
    int rows = 0;
    for (int i = 0; i < kRows && m_logger; ++i) {
        const BYTE set = m_dateOrder[i];
        const DataSetHeaderStruct& h = m_logger->GetDataSetHeader(set);
        if (h.mode == kUnlistedState) continue;
        CString type;
        CString samples;
        const auto count = static_cast<LONG>(h.sampleCount);
        switch (h.kind) {
            case 1:
                type = "Easy Log";
                break;
            case 2:
                type = "Remote";
                break;
            case 4:
                type = "Snapshot";
                break;
            case 5:
                type = "Timing";
                break;
            default:
                break;
        }
        if (!type.IsEmpty()) samples = FormatValue(h.kind == 5 ? count / 4 : count, 3, false);
        SetDlgItemText(IDC_DOWNLOAD_TIME_FIRST + rows, h.startTime.Format(0, false));
        SetDlgItemText(IDC_DOWNLOAD_TYPE_FIRST + rows, type);
        SetDlgItemText(IDC_DOWNLOAD_SAMPLES_FIRST + rows, samples);
        m_rowSet[rows] = set;
        ++rows;
    }
    m_selectedSet = m_rowSet[0];
    if (rows == 0) {
        if (CWnd* noData = GetDlgItem(IDC_DOWNLOAD_NO_DATA)) noData->ShowWindow(SW_SHOW);
        for (UINT id :
             {IDC_DOWNLOAD_TIME_HEADING, IDC_DOWNLOAD_TYPE_HEADING, IDC_DOWNLOAD_SAMPLES_HEADING})
            if (CWnd* heading = GetDlgItem(id)) heading->EnableWindow(FALSE);
    }
    for (int r = rows; r < kRows; ++r)
        for (UINT id : {IDC_DOWNLOAD_ROW_FIRST + r, IDC_DOWNLOAD_TIME_FIRST + r,
                        IDC_DOWNLOAD_TYPE_FIRST + r, IDC_DOWNLOAD_SAMPLES_FIRST + r})
            if (CWnd* item = GetDlgItem(static_cast<int>(id))) item->ShowWindow(SW_HIDE);
}

void CSelectiveDownloadDialog::SelectRow(int row) {
    if (row < 0 || row >= kRows) return;
    m_selectedSet = m_rowSet[row];
    CheckRadioButton(IDC_DOWNLOAD_ROW_FIRST, IDC_DOWNLOAD_ROW_FIRST + 3,
                     IDC_DOWNLOAD_ROW_FIRST + row);
}

void CSelectiveDownloadDialog::OnRowChosen(UINT id) {
    SelectRow(static_cast<int>(id - IDC_DOWNLOAD_ROW_FIRST));
}

void CSelectiveDownloadDialog::OnCellClicked(UINT id) {
    SelectRow(static_cast<int>((id - IDC_DOWNLOAD_TIME_FIRST) % kRows));
}
