#include "app/print_selection_dialog.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "RES/dialogs/print_selection.h"
#include "displays/graph/graph_view.h"
#include "displays/table/table_view.h"
#include "logger/data_tree.h"
#include "logger/helpers.h"

namespace {

constexpr LONGLONG kSecondsPerDay = 86400;

}  // namespace

BEGIN_MESSAGE_MAP(CPrintSelectionDialog, CDialog)
ON_BN_CLICKED(IDC_PRINT_GRAPH, OnGraph)
ON_BN_CLICKED(IDC_PRINT_TABLE, OnTable)
ON_BN_CLICKED(IDC_PRINT_ALL_DATA, OnPrintAllData)
ON_BN_CLICKED(IDC_PRINT, OnPrint)
ON_EN_KILLFOCUS(IDC_PRINT_FROM, OnKillFocusFrom)
ON_EN_KILLFOCUS(IDC_PRINT_TO, OnKillFocusTo)
ON_MESSAGE(WM_NOTIFY, OnNotifyMessage)
END_MESSAGE_MAP()

CPrintSelectionDialog::CPrintSelectionDialog(CWnd* parent)
    : CDialog(PrintSelectionTemplate(), parent) {}

void CPrintSelectionDialog::SetViews(CGraphView* graph, CTableView* table) {
    m_graphView = graph;
    m_tableView = table;
}

void CPrintSelectionDialog::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_PRINT_GRAPH, m_graph);
    DDX_Control(dx, IDC_PRINT_TABLE, m_table);
    DDX_Control(dx, IDC_PRINT_ALL_DATA, m_printAll);
    DDX_Control(dx, IDC_PRINT, m_print);
    DDX_Control(dx, IDCANCEL, m_cancel);
    DDX_Control(dx, IDC_PRINT_RANGE_GROUP, m_group);
    DDX_Control(dx, IDC_PRINT_FROM_LABEL, m_fromLabel);
    DDX_Control(dx, IDC_PRINT_TO_LABEL, m_toLabel);
    DDX_Control(dx, IDC_PRINT_FROM, m_from);
    DDX_Control(dx, IDC_PRINT_TO, m_to);
    DDX_Control(dx, IDC_PRINT_FROM_DATE, m_fromDate);
    DDX_Control(dx, IDC_PRINT_TO_DATE, m_toDate);
    DDX_Control(dx, IDC_PRINT_FROM_TIME, m_fromTime);
    DDX_Control(dx, IDC_PRINT_TO_TIME, m_toTime);
}

bool CPrintSelectionDialog::TimeMode() const {
    if (!m_graphView) return false;
    const WORD mode = m_graphView->m_xAxis.timeFormat;
    return mode >= 4 && mode <= 6 && m_graphView->m_plotCount > 0 &&
           m_graphView->m_plots[0].dataSet && !m_graphView->m_plots[0].dataSet->IsExperiment() &&
           m_graphView->m_plots[0].dataSet->GetXCount() > 0;
}

BOOL CPrintSelectionDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText("Print selection");
    m_cancel.SetWindowText("Cancel");
    m_group.SetWindowText("Table data selection");
    m_toLabel.SetWindowText("To :");
    m_fromLabel.SetWindowText("From :");
    m_print.SetWindowText("Print");
    m_graph.SetWindowText("Graph");
    m_printAll.SetWindowText("Print all Data");
    m_table.SetWindowText("Table");
    m_printAll.SetCheck(BST_CHECKED);

    const bool plots = m_graphView && m_graphView->m_plotCount > 0;
    m_graph.EnableWindow(plots);
    InitSampleRange();
    m_timeMode = TimeMode();
    if (plots) {
        m_graph.SetCheck(BST_CHECKED);
        OnGraph();
    } else {
        m_table.SetCheck(BST_CHECKED);
        OnTable();
        OnPrintAllData();
    }
    if (m_timeMode) InitTimeRange();
    const int fields = m_timeMode ? SW_HIDE : SW_SHOW;
    const int pickers = m_timeMode ? SW_SHOW : SW_HIDE;
    m_from.ShowWindow(fields);
    m_to.ShowWindow(fields);
    m_fromDate.ShowWindow(pickers);
    m_toDate.ShowWindow(pickers);
    m_fromTime.ShowWindow(pickers);
    m_toTime.ShowWindow(pickers);
    return TRUE;
}

void CPrintSelectionDialog::EnableRange(BOOL enable) {
    m_from.EnableWindow(enable);
    m_to.EnableWindow(enable);
    m_fromDate.EnableWindow(enable);
    m_toDate.EnableWindow(enable);
    m_fromTime.EnableWindow(enable);
    m_toTime.EnableWindow(enable);
}

void CPrintSelectionDialog::OnGraph() {
    if (m_graph.GetCheck() == BST_CHECKED) {
        m_printTable = 0;
        m_table.SetCheck(BST_UNCHECKED);
        m_printAll.EnableWindow(FALSE);
        EnableRange(FALSE);
        m_printGraph = 1;
    } else {
        m_printTable = 1;
        m_table.SetCheck(BST_CHECKED);
        m_printAll.EnableWindow(TRUE);
        EnableRange(m_printAll.GetCheck() != BST_CHECKED);
        m_printGraph = 0;
    }
}

void CPrintSelectionDialog::OnTable() {
    if (m_table.GetCheck() == BST_CHECKED) {
        m_printTable = 1;
        m_graph.SetCheck(BST_UNCHECKED);
        m_printAll.EnableWindow(TRUE);
        EnableRange(m_printAll.GetCheck() != BST_CHECKED);
        m_printGraph = 0;
    } else {
        m_printTable = 0;
        m_graph.SetCheck(BST_CHECKED);
        m_printAll.EnableWindow(FALSE);
        EnableRange(FALSE);
        m_printGraph = 1;
    }
}

void CPrintSelectionDialog::OnPrintAllData() {
    EnableRange(m_printAll.GetCheck() != BST_CHECKED);
    InitSampleRange();
    if (m_timeMode) InitTimeRange();
}

void CPrintSelectionDialog::InitSampleRange() {
    m_firstIndex = 0;
    // The table prints by sample number: the range runs to the last sample number of all its
    // columns, so that the late samples of a gappy set are in it.
    m_lastIndex = 0;
    if (m_tableView)
        for (int k = 0; k < m_tableView->GetColumnCount(); ++k)
            m_lastIndex = std::max<LONG>(m_lastIndex,
                                         CTableView::LastSampleOf(m_tableView->ColumnDataSet(k)));
    m_fromIndex = m_firstIndex;
    m_toIndex = m_lastIndex;
    m_from.SetWindowText(CString::Formatted("%d", static_cast<int>(m_fromIndex)));
    m_to.SetWindowText(CString::Formatted("%d", static_cast<int>(m_toIndex)));
}

void CPrintSelectionDialog::InitTimeRange() {
    const CDataTreeBrench* main = m_graphView->m_plots[0].dataSet;
    m_start = main->m_startTime;
    m_interval = RateInfo(main->m_rateCode).intervalSeconds;
    // Rates the table does not list (from files) have no interval: count them in seconds.
    if (!(m_interval > 0)) m_interval = 1.0;
    const auto at = [&](double x) {
        const LONGLONG seconds = static_cast<LONGLONG>(std::floor(x * m_interval));
        return CPreciseDateTime(m_start.GetYear(), m_start.GetMonth(), m_start.GetDay(),
                                m_start.GetHour(), m_start.GetMinute(),
                                m_start.GetSecond() + static_cast<int>(seconds));
    };
    const CDataArray& x = *main->m_x;
    m_firstTime = at(x.front());
    m_lastTime = at(x.back());
    SetPair(true, m_firstTime);
    SetPair(false, m_lastTime);
}

CPreciseDateTime CPrintSelectionDialog::PairTime(bool from) const {
    SYSTEMTIME date{}, time{};
    (from ? m_fromDate : m_toDate).GetTime(&date);
    (from ? m_fromTime : m_toTime).GetTime(&time);
    return CPreciseDateTime(date.wYear, date.wMonth, date.wDay, time.wHour, time.wMinute,
                            time.wSecond);
}

void CPrintSelectionDialog::SetPair(bool from, const CPreciseDateTime& t) {
    SYSTEMTIME s{};
    if (!t.GetAsSystemTime(s)) return;
    (from ? m_fromDate : m_toDate).SetTime(&s);
    (from ? m_fromTime : m_toTime).SetTime(&s);
}

void CPrintSelectionDialog::ClampTimeRange(bool from) {
    const LONGLONG t = PairTime(from).GetTicks();
    if (t < m_firstTime.GetTicks())
        SetPair(from, m_firstTime);
    else if (t > m_lastTime.GetTicks())
        SetPair(from, m_lastTime);
}

LRESULT CPrintSelectionDialog::OnNotifyMessage(WPARAM, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header || header->code != DTN_DATETIMECHANGE || !m_timeMode) return 0;
    switch (header->idFrom) {
        case IDC_PRINT_FROM_DATE:
        case IDC_PRINT_FROM_TIME:
            ClampTimeRange(true);
            break;
        case IDC_PRINT_TO_DATE:
        case IDC_PRINT_TO_TIME:
            ClampTimeRange(false);
            break;
        default:
            break;
    }
    return 0;
}

void CPrintSelectionDialog::TimeRangeToIndexes() {
    const LONGLONG from = (PairTime(true) - m_start).GetTotalSeconds();
    LONGLONG to = (PairTime(false) - m_start).GetTotalSeconds();
    // A To clock time before the From one means the next day.
    if (from > to) to += kSecondsPerDay;
    m_fromIndex =
        static_cast<LONG>(std::clamp<double>(std::trunc(double(from) / m_interval), -1e9, 1e9));
    m_toIndex =
        static_cast<LONG>(std::clamp<double>(std::trunc(double(to) / m_interval) + 1, -1e9, 1e9));
}

LONG CPrintSelectionDialog::FieldNumber(UINT id) const {
    const CString text = GetDlgItemText(static_cast<int>(id));
    const long v = std::strtol(text.GetString(), nullptr, 10);
    return static_cast<LONG>(std::clamp<long>(v, -2000000000L, 2000000000L));
}

void CPrintSelectionDialog::ClampIndexes() {
    m_fromIndex = std::clamp(m_fromIndex, m_firstIndex, m_lastIndex);
    m_toIndex = std::clamp(m_toIndex, m_firstIndex, m_lastIndex);
    if (m_fromIndex > m_toIndex) m_fromIndex = m_toIndex;
    m_from.SetWindowText(CString::Formatted("%d", static_cast<int>(m_fromIndex)));
    m_to.SetWindowText(CString::Formatted("%d", static_cast<int>(m_toIndex)));
}

void CPrintSelectionDialog::OnKillFocusFrom() {
    m_fromIndex =
        std::min(std::max(FieldNumber(IDC_PRINT_FROM), m_firstIndex), FieldNumber(IDC_PRINT_TO));
    m_toIndex = FieldNumber(IDC_PRINT_TO);
    m_from.SetWindowText(CString::Formatted("%d", static_cast<int>(m_fromIndex)));
}

void CPrintSelectionDialog::OnKillFocusTo() {
    m_toIndex =
        std::max(std::min(FieldNumber(IDC_PRINT_TO), m_lastIndex), FieldNumber(IDC_PRINT_FROM));
    m_fromIndex = FieldNumber(IDC_PRINT_FROM);
    m_to.SetWindowText(CString::Formatted("%d", static_cast<int>(m_toIndex)));
}

void CPrintSelectionDialog::OnPrint() {
    if (m_printAll.GetCheck() == BST_CHECKED) {
        m_fromIndex = m_firstIndex;
        m_toIndex = m_lastIndex;
    } else if (m_timeMode) {
        TimeRangeToIndexes();
    } else {
        m_fromIndex = FieldNumber(IDC_PRINT_FROM);
        m_toIndex = FieldNumber(IDC_PRINT_TO);
    }
    // Whatever reached the fields (Enter without leaving them, text, a negative number, the
    // time after the last sample), the range printed is one the table has.
    ClampIndexes();
    EndDialog(IDOK);
}

void CPrintSelectionDialog::OnOK() {
    OnPrint();
}
