// Editing in the table, the column title dialog, the clipboard, printing and the export.

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "app/data_tree_view.h"
#include "app/varnel_doc.h"
#include "controls/in_place_edit.h"
#include "displays/graph/graph_view.h"
#include "displays/table/insert_new_column.h"
#include "displays/table/table_view.h"
#include "logger/data_tree.h"
#include "logger/settings.h"
#include "models/export_file.h"
#include "models/grid_text.h"
#include "platform/msg/keys.h"
#include "platform/ui/shell.h"
#include "platform/win/widget_bridge.h"

namespace {

CString LastCharacters(const CString& text, int count) {
    const QString q = text.ToQString();
    return q.size() > count ? CString(q.right(count)) : text;
}

// Keeps what is typed while the question about recorded data is up: keys already on their way
// to the table, and keys that reach the box but that the box does not use. A key the box uses
// (its buttons' letters, Enter, Escape, Tab) answers it or moves in it and is not kept, but for an
// Enter that follows typing into the box, which also ends the entry. The typing is kept up to the
// key that ends the entry (Enter, Tab or Escape), as the editor would take it.
class TypedWhileAsking : public QObject {
public:
    // `table` is a widget of the table's window: keys to any other window are the box's.
    explicit TypedWhileAsking(QWidget* table) : m_tableWindow(table ? table->window() : nullptr) {
        qApp->installEventFilter(this);
        // Keys typed before the box shows would reach the table once the box blocks it: never.
        QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
    }
    ~TypedWhileAsking() override { qApp->removeEventFilter(this); }
    TypedWhileAsking(const TypedWhileAsking&) = delete;
    TypedWhileAsking& operator=(const TypedWhileAsking&) = delete;

    // The editor's characters: printable ones, backspaces and at most one ending key, last.
    const std::vector<UINT>& Typed() const { return m_typed; }

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (m_delivering || event->type() != QEvent::KeyPress || !target->isWidgetType())
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const UINT ch = platform::CharOfKey(key);
        if (!ch || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) return false;
        QWidget* window = static_cast<QWidget*>(target)->window();
        if (window != m_tableWindow) {
            // The box sees the key first; what it leaves unused is the user's typing.
            // Delivered as Qt delivers it, accepted: a handler that leaves a key unused ignores it.
            m_delivering = true;
            event->accept();
            QCoreApplication::sendEvent(target, event);
            m_delivering = false;
            if (event->isAccepted()) {
                // Enter after typing on into the box answers it and ends the entry too.
                if (ch == VK_RETURN && m_typedOnBox && !m_ended) {
                    m_typed.push_back(ch);
                    m_ended = true;
                }
                return true;
            }
            if (!m_ended) m_typedOnBox = true;
        }
        if (!m_ended) {
            m_typed.push_back(ch);
            m_ended = ch == VK_RETURN || ch == VK_TAB || ch == VK_ESCAPE;
        }
        event->accept();
        return true;
    }

private:
    QPointer<QWidget> m_tableWindow;
    std::vector<UINT> m_typed;
    bool m_ended = false;
    bool m_typedOnBox = false;
    bool m_delivering = false;
};

}  // namespace

bool CTableView::ReadCellNumber(const CCellID& cell, double& value) const {
    if (!m_grid) return false;
    const std::string text = m_grid->GetItemText(cell.row, cell.col).Trim().str();
    if (!grid_text::IsNumber(text)) return false;
    value = std::strtod(text.c_str(), nullptr);
    return std::isfinite(value);
}

void CTableView::MarkModified() {
    if (m_doc) m_doc->m_modified = 1;
}

void CTableView::ReplotDataSet(CDataTreeBrench* dataSet) {
    if (CGraphView* graph = Graph()) graph->ReplacePlotDataSet(dataSet, dataSet);
}

int CTableView::FindInsertIndex(const CDataArray* values, double x) {
    if (!values) return -1;
    if (values->empty()) return 0;
    const auto it = std::lower_bound(values->begin(), values->end(), x);
    return it == values->end() ? -2 : static_cast<int>(it - values->begin());
}

LRESULT CTableView::OnEditRequest(const CCellID& cell, UINT character) {
    if (!m_grid || cell.row < kFixedRows || character == 13) return 0;
    m_grid->EnsureVisible(cell);
    if (!m_grid->IsValid(cell) || !m_grid->IsCellEditableById(cell) ||
        !m_grid->IsCellVisibleById(cell))
        return 0;
    CRect rect;
    if (!m_grid->GetCellRectById(cell, &rect)) return 0;

    const int record = RecordOfColumn(cell.col);
    const bool comment = GetCommentExperiment() && cell.col == CommentColumn();
    if (record < 0 && !comment) return 0;
    std::vector<UINT> typedAfter;
    if (comment) {
        if (SampleOfRow(cell.row) < 0) return 0;
    } else {
        CDataTreeBrench* set = ColumnDataSet(record);
        // An empty data set has no sample to edit.
        const int last = LastSampleOf(set);
        if (last < 0) return 0;
        const int sample = m_topSample + cell.row - kFixedRows;
        if (sample > last) return 0;
        if (set->m_originCode == 1) {
            const platform::WindowWatch watch(*this);
            TypedWhileAsking typed(GetWidget());
            if (ShowMessage(kChangeDataText, 4) != IDYES || watch.Gone() || !m_grid) return 0;
            set->m_originCode = 2;
            typedAfter = typed.Typed();
        }
    }
    m_grid->CreateInPlaceEditControl(rect, ES_LEFT, IDC_INPLACE_EDIT, cell.row, cell.col,
                                     m_grid->GetItemText(cell.row, cell.col),
                                     static_cast<int>(character));
    // What was typed meanwhile goes on in the editor; a key that ended the entry ends the edit,
    // and the value is stored as if typed after the box.
    for (const UINT c : typedAfter) {
        CInPlaceEdit* edit = m_grid ? m_grid->GetInPlaceEdit() : nullptr;
        if (!edit || edit->IsEnded()) break;
        edit->SendMessage(WM_CHAR, c);
    }
    return 1;
}

void CTableView::EnteredComment(const CCellID& cell) {
    const CString text = LastCharacters(m_grid->GetItemText(cell.row, cell.col), kCommentLength);
    // Comments belong to sample numbers, as they are shown and printed.
    if (!StoreComment(SampleOfRow(cell.row), text)) {
        SetCellText(cell.row, cell.col, "");
        return;
    }
    SetCellText(cell.row, cell.col, text);
    MarkModified();
}

void CTableView::OnValueEntered(const CCellID& cell) {
    if (!m_grid || cell.row < kFixedRows) return;
    if (GetCommentExperiment() && cell.col == CommentColumn()) {
        EnteredComment(cell);
        return;
    }
    const int record = RecordOfColumn(cell.col);
    CDataTreeBrench* set = ColumnDataSet(record);
    if (!set || set->m_originCode != 0 || !set->m_x || !set->m_y) return;

    double value = 0;
    if (!ReadCellNumber(cell, value)) {
        FillGrid(m_topSample);
        return;
    }
    SetCellText(cell.row, cell.col,
                CString::Formatted(m_columns[record].valueFormat.GetString(), value));
    // A value can only follow a row that has a sample.
    if (cell.row > kFixedRows && m_grid->GetItemText(cell.row - 1, 0).IsEmpty()) {
        SetCellText(cell.row, cell.col, "");
        return;
    }
    const double x = m_topSample + cell.row - kFixedRows;
    const int at = FindInsertIndex(set->m_x.get(), x);
    if (at == -1) return;
    // The cell shows the unit the user chose; the data set keeps its own.
    const double stored = StoredValue(set, value);
    CDataArray& xs = *set->m_x;
    CDataArray& ys = *set->m_y;
    if (at == -2) {
        xs.push_back(x);
        ys.push_back(stored);
    } else if (static_cast<size_t>(at) < ys.size() && xs[static_cast<size_t>(at)] == x) {
        ys[static_cast<size_t>(at)] = stored;
    } else {
        xs.insert(xs.begin() + at, x);
        ys.insert(ys.begin() + std::min<std::ptrdiff_t>(at, std::ssize(ys)), stored);
    }
    set->ForgetRange();
    FillGrid(-1);
    ReplotDataSet(set);
    MarkModified();
}

void CTableView::OnValueChanged(const CCellID& cell) {
    if (!m_grid || cell.row < kFixedRows) return;
    if (GetCommentExperiment() && cell.col == CommentColumn()) {
        EnteredComment(cell);
        return;
    }
    const int record = RecordOfColumn(cell.col);
    CDataTreeBrench* set = ColumnDataSet(record);
    if (!set) return;
    double value = 0;
    if (!ReadCellNumber(cell, value)) {
        FillGrid(m_topSample);
        return;
    }
    if (set->m_originCode == 1) {
        // Recorded data only changes in a copy of it, unless the user agreed to change it.
        if (!MakeEditedCopy(record, m_columns[record])) {
            FillGrid(m_topSample);
            return;
        }
        set = ColumnDataSet(record);
        if (!set) return;
    }
    const int at = set->FindX(SampleOfRow(cell.row));
    if (at >= 0 && set->m_y && static_cast<size_t>(at) < set->m_y->size()) {
        (*set->m_y)[static_cast<size_t>(at)] = StoredValue(set, value);
        set->ForgetRange();
        ReplotDataSet(set);
    }
    MarkModified();
    FillGrid(m_topSample);
}

bool CTableView::MakeEditedCopy(int record, TableColumnStruct& column) {
    CDataTreeBrench* source = ColumnDataSet(record);
    if (!source || !m_doc) return false;
    CDataTreeBrench* group = m_doc->m_dataList.FindByName(kEditedDataGroup);
    if (group && !group->IsExperiment()) group = nullptr;
    if (!group) group = m_doc->AddDataGroup(kEditedDataGroup);
    if (!group) return false;
    auto x = std::make_shared<CDataArray>(source->m_x ? *source->m_x : CDataArray());
    auto y = std::make_shared<CDataArray>(source->m_y ? *source->m_y : CDataArray());
    CDataTreeBrench* copy = m_doc->AddDataBranch(group, std::move(x), std::move(y), source->m_name,
                                                 m_rateCode, source->m_unit, source->m_startTime, 2,
                                                 source->m_secondValue, 0, "", 255, 0, 0);
    if (!copy) return false;
    copy->m_inputKind = source->m_inputKind;
    copy->m_sensorId = source->m_sensorId;
    copy->m_modelCode = source->m_modelCode;
    copy->m_originCode = 2;
    copy->ForgetRange();
    column.dataSet = copy;
    column.dataSetId = copy->m_id;
    SetCellText(0, column.gridColumn, kEditedDataGroup);
    if (CGraphView* graph = Graph()) graph->ReplacePlotDataSet(source, copy);
    return true;
}

bool CTableView::StoreComment(int sample, const CString& text) {
    CDataTreeBrench* experiment = GetCommentExperiment();
    int longest = 0;
    if (!experiment || sample < 0 || sample >= GetLongestColumn(longest)) return false;
    auto& texts = experiment->m_experimentTexts;
    if (texts.size() <= static_cast<size_t>(sample)) texts.resize(static_cast<size_t>(sample) + 1);
    texts[static_cast<size_t>(sample)] = text;
    return true;
}

void CTableView::OnHeaderDblClk(const CCellID& cell) {
    const int record = RecordOfColumn(cell.col);
    CDataTreeBrench* set = ColumnDataSet(record);
    if (!set) return;
    CInsertNewColumn dialog(this);
    dialog.SetMode(set->m_originCode == 0 ? 2 : 1);
    dialog.SetPreset(set->m_name, GetUnitText(set));
    if (dialog.DoModal() != IDOK) return;
    const CString title = dialog.GetTitle();
    if (CDataTreeView* tree = m_doc ? m_doc->GetDataTreeView() : nullptr)
        if (HTREEITEM item = tree->FindDataSetItem(set->m_id))
            tree->GetTreeCtrl().SetItemText(item, title);
    set->m_name = title;
    // The preset may be the unit the values are shown in: only a unit the user typed is the
    // data set's own.
    if (set->m_originCode != 1 && dialog.GetUnit() != GetUnitText(set))
        set->m_unit = dialog.GetUnit();
    // The captions are made of the new name and unit.
    if (CGraphView* graph = Graph()) graph->UpdatePlotCaption(set->m_id);
    SetCellText(1, cell.col, ColumnTitle(set));
    if (m_grid && m_grid->m_hWnd) m_grid->InvalidateCellRect(CCellID(1, cell.col));
    MarkModified();
}

// ---- clipboard ----

void CTableView::OnEditCopy() {
    if (m_grid) m_grid->OnEditCopy();
}

void CTableView::OnEditPaste() {
    if (m_grid) m_grid->OnEditPaste();
}

void CTableView::OnEditCut() {
    if (m_grid) m_grid->OnEditCut();
}

// ---- print and export ----

void CTableView::CollectPrintColumns() {
    m_printColumns.clear();
    m_printValues.assign(static_cast<size_t>(m_columnCount), CDataArray());
    for (int k = 0; k < m_columnCount; ++k) {
        const CDataTreeBrench* set = ColumnDataSet(k);
        if (!set || !set->m_x || !set->m_y) {
            m_printColumns.push_back({});
            continue;
        }
        // Printed and exported as the table shows them, under the same headings.
        CDataArray& shown = m_printValues[static_cast<size_t>(k)];
        shown.reserve(set->m_y->size());
        for (double v : *set->m_y)
            shown.push_back(ShownValue(set, v));
        m_printColumns.push_back({*set->m_x, shown});
    }
}

const std::vector<CString>* CTableView::CommentsForPrint() const {
    const CDataTreeBrench* experiment = GetCommentExperiment();
    return experiment ? &experiment->m_experimentTexts : nullptr;
}

void CTableView::PrintTable(const CString& title, int firstSample, int lastSample) {
    if (!m_grid) return;
    if (firstSample == 0 && lastSample == 0) {
        for (int k = 0; k < m_columnCount; ++k)
            lastSample = std::max(lastSample, LastSampleOf(ColumnDataSet(k)));
    }
    TimeColumnFormat format;
    format.m_nMode = m_timeUnit;
    format.m_strUnit = m_unitText;
    format.m_nDecimals = m_timeDecimals;
    format.m_strFormat = m_timeFormat;
    const CSettings* settings = Settings();
    CollectPrintColumns();
    m_grid->PrintTable(title, m_printColumns.data(), static_cast<WORD>(m_printColumns.size()),
                       firstSample, lastSample, m_rate.intervalSeconds * m_timeFactor, format,
                       CommentsForPrint(), settings ? settings->m_dateStyle : 0, FirstStartTime());
    m_printColumns.clear();
    m_printValues.clear();
}

void CTableView::OnExportToExcel() {
    if (!m_grid) return;
    const CString name = FindExportFileName(GetDataRoot());
    if (name.IsEmpty()) {
        ShowMessage(kExportErrorText, 0);
        return;
    }
    int longest = 0;
    const int total = GetLongestColumn(longest);
    TimeColumnFormat format;
    format.m_nMode = m_timeUnit;
    format.m_strUnit = m_unitText;
    format.m_nDecimals = m_timeDecimals;
    format.m_strFormat = m_timeFormat;
    const CSettings* settings = Settings();
    CollectPrintColumns();
    const BOOL saved = m_grid->SaveTable(
        name, m_printColumns.data(), static_cast<WORD>(m_printColumns.size()), 0, total - 1,
        m_rate.intervalSeconds * m_timeFactor, format, CommentsForPrint(),
        settings ? settings->m_dateStyle : 0, FirstStartTime());
    m_printColumns.clear();
    m_printValues.clear();
    if (saved) ShellExecute(nullptr, "open", name, nullptr, nullptr, SW_SHOWNORMAL);
}
