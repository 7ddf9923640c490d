#include "displays/table/table_view.h"

#include <algorithm>
#include <cmath>

#include "app/data_tree_view.h"
#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "logger/data_tree.h"
#include "logger/settings.h"
#include "platform/base/log.h"
#include "platform/ui/modal_host.h"

namespace {

constexpr UINT UM_TABLE_TIMER_FAILED = WM_APP + 0x182;
constexpr UINT kCellFormat = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
constexpr int kSampleColumnWidth = 40;
constexpr int kDataColumnWidth = 70;
constexpr int kCommentColumnWidth = 85;
constexpr int kFillerWidth = 1200;

}  // namespace

int CTableView::LastSampleOf(const CDataTreeBrench* set) {
    if (!set || !set->m_x || set->m_x->empty()) return -1;
    const double last = set->m_x->back();
    if (!(last >= 0)) return -1;
    return static_cast<int>(std::min(last, 2147483646.0));
}

CTableView::CTableView() = default;

IMPLEMENT_DYNCREATE(CTableFrame, CChildFrame)
IMPLEMENT_DYNCREATE(CTableView, CView)

CTableView::~CTableView() {
    if (m_doc && m_doc->m_tableView == this) m_doc->m_tableView = nullptr;
}

int CTableView::OnCreate(LPCREATESTRUCT cs) {
    if (CView::OnCreate(cs) == -1) return -1;
    m_doc = dynamic_cast<CVarnelDoc*>(GetDocument());
    if (m_doc) m_doc->m_tableView = this;
    if (CFrameWnd* frame = GetParentFrame()) {
        frame->SetWindowPos(&CWnd::wndTop, 592, 0, 195, 470, 0);
        frame->ShowWindow(SW_SHOW);
    }
    return 0;
}

void CTableView::OnInitialUpdate() {
    CView::OnInitialUpdate();
    if (!m_grid) {
        CRect client;
        GetClientRect(&client);
        m_grid = std::make_unique<CGridCtrl>();
        if (!m_grid->Create(client, this, kGridId,
                            WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP)) {
            qCWarning(lcTable) << "the table's grid could not be made";
            m_grid.reset();
            return;
        }
        m_grid->SetOwner(this);
        m_font.CreatePointFont(80, "Tahoma");
        m_grid->SetFont(&m_font);
    }
    m_rate.intervalSeconds = 1.0;
    m_rate.timeUnit = 3;
    SetupGrid(m_rate);
    if (!m_doc) m_doc = dynamic_cast<CVarnelDoc*>(GetDocument());
    if (!m_doc) return;
    m_doc->m_tableView = this;
    m_graphView = m_doc->GetGraphView();
    m_doc->LayoutToMainFrame();
    CRect client;
    GetClientRect(&client);
    OnSize(0, client.Width(), client.Height());
}

BOOL CTableView::OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info) {
    if (m_grid && m_grid->m_hWnd && m_grid->OnCmdMsg(id, code, extra, info)) return TRUE;
    return CView::OnCmdMsg(id, code, extra, info);
}

void CTableView::OnSize(UINT type, int cx, int cy) {
    CView::OnSize(type, cx, cy);
    if (!m_grid || !m_grid->m_hWnd) return;
    m_grid->MoveWindow(0, 0, cx, cy);
    if (cx > 0 && cy > 0) {
        m_visibleRows = m_grid->GetVisibleNonFixedCellRange().GetRowSpan();
        FillGrid(m_topSample);
    }
}

void CTableView::OnTimer(UINT_PTR id) {
    if (id == kRefreshTimer) FillGrid(-1);
    CView::OnTimer(id);
}

LRESULT CTableView::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto cell = [wParam] { return UnpackCellID(static_cast<std::uint64_t>(wParam)); };
    switch (msg) {
        case UM_GRID_VALUE_ENTERED:
            OnValueEntered(cell());
            return 0;
        case UM_GRID_VALUE_CHANGED:
            OnValueChanged(cell());
            return 0;
        case UM_GRID_HEADER_DBLCLK:
            OnHeaderDblClk(cell());
            return 0;
        case UM_GRID_EDIT_REQUEST:
            return OnEditRequest(cell(), static_cast<UINT>(lParam));
        case UM_GRID_SCROLL_ROW:
            FillGrid(static_cast<int>(lParam));
            return 0;
        // Cut, paste, delete and moves change no data: the cells are refilled from the data sets
        // on the next fill, and a recorded value must not change without the question.
        case UM_GRID_CELL_OVERWRITTEN:
        case UM_GRID_CUT:
        case UM_GRID_PASTE:
        case UM_GRID_DELETE:
            return 0;
        case UM_TABLE_TIMER_FAILED:
            ::MessageBox(this, "SetTimer failed", "Error", MB_OK | MB_ICONSTOP);
            return 0;
        case WM_NOTIFY:
            return 0;
        case WM_COMMAND:
            if (m_grid && lParam == reinterpret_cast<LPARAM>(m_grid->m_hWnd)) return 0;
            break;
        default:
            break;
    }
    return CView::WindowProc(msg, wParam, lParam);
}

// ---- helpers ----

CSettings* CTableView::Settings() const {
    return m_doc ? m_doc->GetSettings() : nullptr;
}

CGraphView* CTableView::Graph() const {
    return m_doc ? m_doc->GetGraphView() : m_graphView;
}

double CTableView::ShownValue(const CDataTreeBrench* dataSet, double value) const {
    const CSettings* s = Settings();
    return s ? ToShownValue(dataSet, value, s->m_temperatureUnit, s->m_pressureUnit) : value;
}

double CTableView::StoredValue(const CDataTreeBrench* dataSet, double shown) const {
    const CSettings* s = Settings();
    return s ? FromShownValue(dataSet, shown, s->m_temperatureUnit, s->m_pressureUnit) : shown;
}

CDataTreeBrench* CTableView::ColumnDataSet(int record) const {
    if (record < 0 || record >= m_columnCount) return nullptr;
    const TableColumnStruct& column = m_columns[record];
    if (!column.dataSet) return nullptr;
    if (!m_doc) return column.dataSet;
    // A data set removed behind the table's back is not touched again.
    CDataTreeBrench* found = m_doc->m_dataList.FindById(column.dataSetId);
    return found == column.dataSet && !found->IsExperiment() ? found : nullptr;
}

CDataTreeBrench* CTableView::GetCommentExperiment() const {
    if (!m_commentExperimentId || !m_doc) return nullptr;
    CDataTreeBrench* experiment = m_doc->m_dataList.FindById(m_commentExperimentId);
    return experiment && experiment->IsExperiment() ? experiment : nullptr;
}

CString CTableView::GetUnitText(const CDataTreeBrench* dataSet) const {
    if (!dataSet) return CString();
    const CSettings* settings = Settings();
    CString expression, unit;
    if (settings && IsTemperatureSensor(dataSet)) {
        unit = dataSet->m_unit;
        ConvertTemperature(0, settings->m_temperatureUnit, expression, unit);
        return unit;
    }
    if (settings && IsPressureSensor(dataSet)) {
        unit = dataSet->m_unit;
        ConvertPressure(0, settings->m_pressureUnit, expression, unit);
        return unit;
    }
    return dataSet->m_unit;
}

CString CTableView::ColumnTitle(const CDataTreeBrench* dataSet) const {
    return dataSet->m_name + " (" + GetUnitText(dataSet) + ")";
}

void CTableView::SetCellText(int row, int col, const CString& text) {
    if (!m_grid || !m_grid->GetCell(row, col)) return;
    m_grid->SetItemTextAndFormat(row, col, text, kCellFormat);
    if (row < kFixedRows) FitColumnToHeadings(col);
}

void CTableView::FitColumnToHeadings(int col) {
    // A heading shows whole, on screen and on paper (printed columns take these widths): its
    // column grows to it and keeps at least the width it was given.
    CClientDC dc(m_grid.get());
    int width = m_grid->GetColumnWidth(col);
    for (int row = 0; row < kFixedRows; ++row)
        if (!m_grid->GetItemText(row, col).IsEmpty())
            width = std::max(width, m_grid->GetFixedCellTextWidth(row, col, &dc));
    if (width != m_grid->GetColumnWidth(col)) m_grid->SetColumnWidth(col, width);
}

void CTableView::SetCellValue(int row, int col, double value) {
    SetCellText(row, col, FormatValue(value, 4, false));
}

int CTableView::RecordOfColumn(int col) const {
    for (int k = 0; k < m_columnCount; ++k)
        if (m_columns[k].gridColumn == col) return k;
    return -1;
}

int CTableView::SampleOfRow(int row) const {
    if (!m_grid || row < kFixedRows) return -1;
    const CString text = m_grid->GetItemText(row, 0);
    if (text.IsEmpty()) return -1;
    char* end = nullptr;
    const long sample = std::strtol(text.GetString(), &end, 10);
    if (end == text.GetString() || *end != '\0' || sample < 0) return -1;
    return static_cast<int>(sample);
}

CPreciseDateTime CTableView::FirstStartTime() const {
    for (int k = 0; k < m_columnCount; ++k)
        if (const CDataTreeBrench* set = ColumnDataSet(k)) return set->m_startTime;
    return CPreciseDateTime();
}

// ---- set-up and the time column ----

void CTableView::SetupGrid(const RateInfoStruct& rate) {
    m_commentExperimentId = 0;
    m_columnCount = 0;
    for (TableColumnStruct& column : m_columns)
        column = TableColumnStruct();
    m_rate = rate;
    m_topSample = 0;
    if (!m_grid) return;
    m_grid->DeleteAllItems();
    m_grid->SetGridColor(kGridLineColour);
    m_grid->SetColumnCount(3);
    m_grid->SetFirstReadOnlyColumn(3);
    m_grid->SetRowCount(kGridRows);
    m_grid->SetFixedRowCount(kFixedRows);
    m_grid->SetFixedColumnCount(1);
    m_grid->SetColumnWidth(0, kSampleColumnWidth);
    m_grid->SetColumnWidth(2, kFillerWidth);
    if (m_font.GetSafeHandle()) m_grid->SetFont(&m_font);
    m_formatPending = 1;
    m_timeUnit = 3;
    m_unitText = "s";
    m_timeFactor = 1.0;
    WriteTimeHeader();
    ChooseTimeFormat(m_rate.intervalSeconds);
    SetTimeUnit(m_rate.timeUnit);
    m_grid->m_nFirstShownSample = 0;
    m_grid->m_nSampleCount = 0;
    m_grid->ResetScrollBars();
    if (m_grid->m_hWnd) m_grid->EnsureVisible(kFixedRows, 1);
}

void CTableView::SetRate(WORD rateCode, BOOL reread) {
    m_rateCode = rateCode;
    m_rate = RateInfo(rateCode);
    if (reread) {
        m_timeUnit = m_rate.timeUnit;
        if (m_grid && m_font.GetSafeHandle()) m_grid->SetFont(&m_font);
    }
    SetTimeUnit(m_timeUnit);
}

void CTableView::SetTimeUnit(WORD unit) {
    int width = 0;
    switch (unit) {
        case 1:
            width = 65, m_timeFactor = 1000000.0, m_unitText = "\xC2\xB5";
            break;
        case 2:
            width = 65, m_timeFactor = 1000.0, m_unitText = "ms";
            break;
        case 3:
            width = 55, m_timeFactor = 1.0, m_unitText = "s";
            break;
        case 4:
            width = 55, m_timeFactor = 1.0, m_unitText = "m";
            break;
        case 5:
            width = 70, m_timeFactor = 1.0, m_unitText = "h:m:s";
            break;
        case 6:
            width = 100, m_timeFactor = 1.0, m_unitText = "Date";
            break;
        case 7:
            width = 55, m_timeFactor = 1.0;
            break;
        default:
            // A rate the table does not know keeps the unit it has.
            return;
    }
    if (m_grid) m_grid->SetColumnWidth(1, width);
    m_timeUnit = unit;
    if (m_formatPending) ChooseTimeFormat(m_rate.intervalSeconds);
    WriteTimeHeader();
}

void CTableView::ChooseTimeFormat(double interval) {
    struct Step {
        double atLeast;
        const char* format;
        SHORT decimals;
    };
    static const Step steps[] = {
        {3600, "%02d:%02d:%02d", 0},
        {60, "%02d:%02d", 0},
        {1, "%.0f", 0},
        {0.1, "%.1f", 1},
        {0.01, "%.2f", 2},
        {0.001, "%.3f", 3},
        {0.0001, "%.4f", 4},
        {0.00001, "%.5f", 5},
        {0.000001, "%.6f", 6},
        {0.0000001, "%.7f", 7},
    };
    const double t = interval * m_timeFactor;
    for (const Step& step : steps) {
        if (t >= step.atLeast) {
            m_timeFormat = step.format;
            m_timeDecimals = step.decimals;
            break;
        }
    }
    m_formatPending = 0;
}

void CTableView::WriteTimeHeader() {
    SetCellText(1, 1, m_rateCode != 0 ? "Time (" + m_unitText + ")" : CString("Samples"));
}

// ---- columns ----

int CTableView::AddDataSetColumns(CDataTreeBrench* dataSet) {
    if (!dataSet || dataSet->IsExperiment() || !m_grid) return -1;
    if (CGraphView* graph = Graph(); graph && graph->m_barGraph && m_columnCount >= 1) return -1;
    if (m_columnCount >= TableColumnStruct::kMaxColumns) return -1;

    const CString experimentName = m_doc ? m_doc->m_dataList.GetExperimentName(dataSet->m_id) : "";
    const CString title = ColumnTitle(dataSet);
    CDataTreeBrench* experiment =
        m_doc ? m_doc->m_dataList.GetExperimentOf(dataSet->m_id) : nullptr;

    if (m_columnCount == 0) {
        m_commentExperimentId = experiment ? experiment->m_id : 0;
        const CDataTreeView* tree = m_doc ? m_doc->GetDataTreeView() : nullptr;
        if (experiment && tree && tree->m_fitGroupId && experiment->m_id == tree->m_fitGroupId) {
            m_commentExperimentId = 0;
        } else {
            if (m_commentExperimentId) {
                const int col = m_grid->InsertColumn(kCommentTitle, kCellFormat, CommentColumn());
                if (col >= 0) m_grid->SetColumnWidth(col, kCommentColumnWidth);
            }
            m_formatPending = 1;
            SetRate(dataSet->m_rateCode, TRUE);
        }
    } else if (m_commentExperimentId &&
               (!experiment || experiment->m_id != m_commentExperimentId)) {
        m_commentExperimentId = 0;
        m_grid->DeleteColumn(CommentColumn());
    }

    const int col = kFirstDataColumn + m_columnCount;
    m_grid->InsertColumn(title, kCellFormat, col);
    TableColumnStruct& record = m_columns[m_columnCount];
    record = TableColumnStruct();
    record.dataSet = dataSet;
    record.dataSetId = dataSet->m_id;
    record.gridColumn = static_cast<WORD>(col);
    m_grid->SetColumnWidth(col, kDataColumnWidth);
    m_grid->SetColumnWidth(m_commentExperimentId ? col + 2 : col + 1, kFillerWidth);
    SetCellText(0, col, experimentName);
    SetCellText(1, col, title);
    m_grid->AutoSizeRow(0);

    ++m_columnCount;
    const int comment = CommentColumn();
    if (m_commentExperimentId) {
        SetCellText(0, comment, experimentName);
        SetCellText(1, comment, kCommentTitle);
    } else {
        SetCellText(0, comment, "");
        SetCellText(1, comment, "");
    }
    int longest = 0;
    m_grid->m_nSampleCount = GetLongestColumn(longest);
    m_grid->ResetScrollBars();
    if (m_grid->m_hWnd) {
        m_grid->EnsureVisible(kFixedRows, 1);
        m_grid->Invalidate();
    }
    return m_columnCount - 1;
}

int CTableView::GetLongestColumn(int& record) const {
    record = -1;
    int total = 0;
    for (int k = 0; k < m_columnCount; ++k) {
        const int last = LastSampleOf(ColumnDataSet(k));
        if (last + 1 > total) {
            total = last + 1;
            record = k;
        }
    }
    return total;
}

bool CTableView::RemoveDataSet(DWORD dataSetId) {
    if (m_columnCount == 0) return false;
    std::vector<CDataTreeBrench*> remaining;
    bool removed = false;
    for (int k = 0; k < m_columnCount; ++k) {
        if (m_columns[k].dataSetId == dataSetId) {
            removed = true;
            continue;
        }
        if (CDataTreeBrench* set = ColumnDataSet(k)) remaining.push_back(set);
    }
    if (!removed) return false;
    RateInfoStruct rate{1.0, 1.0, 3};
    if (!remaining.empty()) rate = RateInfo(remaining.front()->m_rateCode);
    SetupGrid(rate);
    for (CDataTreeBrench* set : remaining)
        AddDataSetColumns(set);
    FillGrid(m_topSample);
    return true;
}

void CTableView::ShowDataSets(const std::vector<CDataTreeBrench*>& dataSets) {
    std::vector<CDataTreeBrench*> shown;
    for (int k = 0; k < m_columnCount; ++k)
        shown.push_back(ColumnDataSet(k));
    const size_t fits = std::min<size_t>(dataSets.size(), TableColumnStruct::kMaxColumns);
    if (std::equal(shown.begin(), shown.end(), dataSets.begin(), dataSets.begin() + fits) &&
        shown.size() == fits)
        return;
    SetupGrid(dataSets.empty() ? RateInfoStruct{1.0, 1.0, 3}
                               : RateInfo(dataSets.front()->m_rateCode));
    for (CDataTreeBrench* set : dataSets)
        AddDataSetColumns(set);
    FillGrid(-1);
}

void CTableView::UpdateColumnTitle(DWORD dataSetId) {
    for (int k = 0; k < m_columnCount; ++k) {
        if (m_columns[k].dataSetId != dataSetId) continue;
        if (const CDataTreeBrench* set = ColumnDataSet(k))
            SetCellText(1, m_columns[k].gridColumn, ColumnTitle(set));
    }
    if (m_grid && m_grid->m_hWnd) m_grid->Invalidate();
}

void CTableView::RefreshColumnNames() {
    if (!m_doc) return;
    for (int k = 0; k < m_columnCount; ++k)
        if (const CDataTreeBrench* set = ColumnDataSet(k))
            SetCellText(0, m_columns[k].gridColumn, m_doc->m_dataList.GetExperimentName(set->m_id));
    if (m_grid && m_grid->m_hWnd) m_grid->Invalidate();
}

void CTableView::ApplyUnitSettings() {
    for (int k = 0; k < m_columnCount; ++k) {
        const CDataTreeBrench* set = ColumnDataSet(k);
        if (set && (IsTemperatureSensor(set) || IsPressureSensor(set)))
            SetCellText(1, m_columns[k].gridColumn, ColumnTitle(set));
    }
    FillGrid(m_topSample);
}

// ---- the paged fill ----

void CTableView::FillGrid(int topSample) {
    if (!m_grid) return;
    int longest = 0;
    const int total = GetLongestColumn(longest);
    m_grid->m_nSampleCount = total;
    if (m_columnCount == 0) {
        m_topSample = 0;
        m_grid->m_nFirstShownSample = 0;
        m_grid->ResetScrollBars();
        return;
    }
    CDataTreeBrench* commentExperiment = GetCommentExperiment();
    if (commentExperiment && commentExperiment->m_experimentTexts.size() < size_t(total))
        commentExperiment->m_experimentTexts.resize(static_cast<size_t>(total));

    if (m_timeUnit == 2 && total * m_rate.intervalSeconds > 10) {
        // Long runs read better in seconds; the format follows the new unit.
        m_formatPending = 1;
        SetTimeUnit(3);
    }

    if (m_grid->m_hWnd) m_visibleRows = m_grid->GetVisibleNonFixedCellRange().GetRowSpan();
    const int visible = std::clamp(m_visibleRows, 0, kDataRows);
    const int last = std::max(0, total - visible + 2);
    const int top = topSample < 0 || topSample >= total ? last : std::min(topSample, last);
    m_topSample = top;
    const auto shown = [&](int r) { return r < visible && top + r < total; };

    // Sample number and time, for every row that has a sample.
    const CSettings* settings = Settings();
    const CString timeFormat = m_timeUnit == 6
                                   ? CString::Formatted("%d", settings ? settings->m_dateStyle : 0)
                                   : m_timeFormat;
    const CPreciseDateTime start = FirstStartTime();
    for (int r = 0; r < kDataRows; ++r) {
        const int row = r + kFixedRows;
        if (shown(r)) {
            const int s = top + r;
            SetCellText(row, 0, CString::Formatted("%d", s));
            SetCellText(row, 1,
                        FormatTimeValue(s, start, m_rate.intervalSeconds, m_timeFactor, m_timeUnit,
                                        timeFormat));
        } else {
            SetCellText(row, 0, "");
            SetCellText(row, 1, "");
        }
    }

    for (int k = 0; k < m_columnCount; ++k) {
        const int col = m_columns[k].gridColumn;
        const CDataTreeBrench* set = ColumnDataSet(k);
        if (!set || !set->m_x || !set->m_y) {
            for (int r = 0; r < kDataRows; ++r)
                SetCellText(r + kFixedRows, col, "");
            continue;
        }
        const CDataArray& x = *set->m_x;
        const CDataArray& y = *set->m_y;
        const size_t n = std::min(x.size(), y.size());
        // The x values are ascending sample numbers: the page's first one is found, then walked.
        size_t j = static_cast<size_t>(std::lower_bound(x.begin(),
                                                        x.begin() + static_cast<std::ptrdiff_t>(n),
                                                        static_cast<double>(top)) -
                                       x.begin());
        for (int r = 0; r < kDataRows; ++r) {
            const int row = r + kFixedRows;
            const int s = top + r;
            if (!shown(r)) {
                SetCellText(row, col, "");
                continue;
            }
            while (j < n && x[j] < s)
                ++j;
            if (j < n && x[j] == s) {
                SetCellValue(row, col, ShownValue(set, y[j]));
                ++j;
            } else {
                SetCellText(row, col, "");
            }
        }
    }

    const int comment = CommentColumn();
    for (int r = 0; r < kDataRows; ++r) {
        const size_t s = static_cast<size_t>(top + r);
        if (commentExperiment && shown(r) && s < commentExperiment->m_experimentTexts.size())
            SetCellText(r + kFixedRows, comment, commentExperiment->m_experimentTexts[s]);
        else
            SetCellText(r + kFixedRows, comment, "");
    }

    m_grid->m_nFirstShownSample = top;
    m_grid->ResetScrollBars();
    if (m_grid->m_hWnd) m_grid->Invalidate();
}

// ---- the refresh timer ----

void CTableView::StartRefreshTimer() {
    if (m_refreshTimer) return;
    if (SetTimer(kRefreshTimer, kRefreshPeriod)) {
        m_refreshTimer = 1;
        return;
    }
    // The run starts inside the logger's handler: the box waits until that has returned.
    qCWarning(lcTable) << "the table's refresh timer could not be set";
    PostMessage(UM_TABLE_TIMER_FAILED);
}

void CTableView::StopRefreshTimer() {
    FillGrid(-1);
    if (m_refreshTimer) {
        KillTimer(kRefreshTimer);
        m_refreshTimer = 0;
    }
}
