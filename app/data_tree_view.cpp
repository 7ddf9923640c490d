#include "app/data_tree_view.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>

#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "displays/table/table_view.h"
#include "logger/data_tree.h"
#include "logger/helpers.h"
#include "platform/base/log.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/msg/message_pos.h"
#include "platform/ui/menu.h"
#include "platform/ui/menu_view.h"
#include "video/video_view.h"

namespace {

constexpr const char* kFitGroupName = "Linear fit";
constexpr const char* kEditedGroupName = "Edited Data";

// The tree's pictures, 16 pixels each on white: 0 graphs, 2 data sets, 3 experiment, 4 Y
// against X, 5 graph, 8 data set with video, 9 data set; and the check boxes, 1 empty, 2 ticked.
void RegisterPictures() {
    QImage pictures(16 * 10, 16, QImage::Format_RGB32);
    pictures.fill(Qt::white);
    {
        QPainter p(&pictures);
        auto at = [&](int i) { p.resetTransform(), p.translate(16 * i, 0); };
        auto axes = [&](QColor line) {
            p.setPen(Qt::black);
            p.drawLine(2, 1, 2, 14);
            p.drawLine(2, 14, 15, 14);
            p.setPen(QPen(line, 2));
        };
        at(0);  // the graphs root: a frame with a curve
        p.setPen(Qt::darkBlue);
        p.drawRect(1, 1, 13, 13);
        p.drawLine(3, 11, 7, 5), p.drawLine(7, 5, 12, 9);
        at(2);  // the data sets root: stacked sheets
        p.setPen(Qt::darkGreen);
        p.setBrush(QColor(200, 230, 200));
        p.drawRect(4, 1, 10, 9);
        p.drawRect(1, 5, 10, 9);
        at(3);  // an experiment: a flask
        p.setPen(Qt::darkRed);
        p.setBrush(QColor(250, 210, 150));
        p.drawPolygon(QPolygon({QPoint(6, 1), QPoint(9, 1), QPoint(9, 6), QPoint(14, 14),
                                QPoint(1, 14), QPoint(6, 6)}));
        at(4);  // Y against X: dots
        axes(Qt::magenta);
        p.drawPoint(5, 11), p.drawPoint(8, 7), p.drawPoint(11, 9), p.drawPoint(13, 4);
        at(5);  // a graph over time
        axes(Qt::blue);
        p.drawLine(3, 12, 7, 5), p.drawLine(7, 5, 10, 9), p.drawLine(10, 9, 14, 3);
        at(8);  // a data set with a video: a film strip
        p.setPen(Qt::black);
        p.setBrush(QColor(60, 60, 60));
        p.drawRect(1, 3, 13, 10);
        p.setPen(Qt::white);
        for (int x = 3; x < 14; x += 3)
            p.drawPoint(x, 4), p.drawPoint(x, 11);
        at(9);  // a data set: a column of values
        p.setPen(Qt::darkBlue);
        p.setBrush(QColor(210, 220, 250));
        p.drawRect(3, 1, 9, 13);
        for (int y = 4; y < 14; y += 3)
            p.drawLine(5, y, 10, y);
    }
    QImage boxes(16 * 3, 16, QImage::Format_RGB32);
    boxes.fill(Qt::white);
    {
        QPainter p(&boxes);
        for (int i = 1; i <= 2; ++i) {
            p.resetTransform();
            p.translate(16 * i, 0);
            p.setPen(Qt::black);
            p.setBrush(QColor(250, 250, 250));
            p.drawRect(2, 2, 11, 11);
            if (i == 2) {
                p.setPen(QPen(Qt::black, 2));
                p.drawLine(4, 8, 7, 11), p.drawLine(7, 11, 12, 4);
            }
        }
    }
    platform::SetBitmapResource(CDataTreeView::kTreeBitmap, pictures);
    platform::SetBitmapResource(CDataTreeView::kCheckBitmap, boxes);
}

}  // namespace

IMPLEMENT_DYNCREATE(CDataTreeView, CView)

BOOL CDataTreeView::Create(CWnd* parent, const RECT& rect, UINT id) {
    return CWnd::Create(nullptr, "", WS_CHILD | WS_VISIBLE, rect, parent, id);
}

CVarnelDoc* CDataTreeView::Doc() const {
    return dynamic_cast<CVarnelDoc*>(GetDocument());
}

int CDataTreeView::OnCreate(LPCREATESTRUCT cs) {
    if (CView::OnCreate(cs) == -1) return -1;
    CRect client;
    GetClientRect(&client);
    if (!m_caption.Create("Data map", WS_CHILD | WS_VISIBLE,
                          CRect(0, 0, client.Width(), kCaptionHeight), this, kCaptionId))
        return -1;
    if (!m_tree.Create(WS_CHILD | WS_VISIBLE,
                       CRect(0, kCaptionHeight, client.Width(),
                             std::max<int>(kCaptionHeight, client.Height())),
                       this, kTreeId))
        return -1;
    RegisterPictures();
    m_images.Create(kTreeBitmap, 16, 1, RGB(255, 255, 255));
    m_stateImages.Create(kCheckBitmap, 16, 1, RGB(255, 255, 255));
    m_tree.SetImageList(&m_images, TVSIL_NORMAL);
    m_tree.SetImageList(&m_stateImages, TVSIL_STATE);
    BuildTree();
    if (auto* doc = dynamic_cast<CVarnelDoc*>(GetDocument())) doc->m_dataTreeView = this;
    return 0;
}

void CDataTreeView::OnInitialUpdate() {
    CView::OnInitialUpdate();
    m_caption.SetWindowText("Data map");
    CVarnelDoc* doc = Doc();
    if (!doc) return;
    doc->m_dataTreeView = this;
    if (!m_fitGroupId) {
        // Every project has the group: making it is no change to save.
        const BYTE modified = doc->m_modified;
        doc->AddFitGroup();
        doc->m_modified = modified;
    }
    doc->OpenStartupProject();
}

void CDataTreeView::BuildTree() {
    m_dataRoot = m_tree.InsertItem("Data sets", kDataRootImage, kDataRootImage);
    m_graphRoot = m_tree.InsertItem("Graphs", kGraphRootImage, kGraphRootImage);
    m_ready = TRUE;
}

void CDataTreeView::ClearTree() {
    m_tree.EndEditLabelNow(TRUE);
    m_tree.DeleteAllItems();
    m_dataRoot = m_graphRoot = nullptr;
    m_clickedItem = nullptr;
    m_fitGroupId = 0;
    m_dataItems.clear();
    m_graphItems.clear();
    m_experimentItems.clear();
}

HTREEITEM CDataTreeView::AddProjectItem(const CString& name) {
    if (!m_dataRoot) return nullptr;
    return m_tree.InsertItem(name, kExperimentImage, kExperimentImage, m_dataRoot);
}

void CDataTreeView::BindExperimentItem(DWORD experimentId, HTREEITEM item) {
    if (!item) return;
    m_tree.SetItemData(item, experimentId);
    m_experimentItems[experimentId] = item;
}

HTREEITEM CDataTreeView::FindExperimentItem(DWORD id) const {
    const auto it = m_experimentItems.find(id);
    return it == m_experimentItems.end() ? nullptr : it->second;
}

HTREEITEM CDataTreeView::AddDataSetItem(HTREEITEM experiment, const CString& name) {
    if (!experiment) return nullptr;
    HTREEITEM item = m_tree.InsertItem(name, kDataSetImage, kDataSetImage, experiment);
    if (item) m_tree.SetItemState(item, INDEXTOSTATEIMAGEMASK(1), TVIS_STATEIMAGEMASK);
    return item;
}

void CDataTreeView::BindDataSetItem(DWORD dataSetId, HTREEITEM item) {
    if (!item) return;
    m_tree.SetItemData(item, dataSetId);
    m_dataItems[dataSetId] = item;
}

void CDataTreeView::SetItemImage(DWORD id, int image) {
    if (HTREEITEM item = FindDataSetItem(id)) m_tree.SetItemImage(item, image, image);
}

void CDataTreeView::DeleteItem(HTREEITEM item) {
    if (item) m_tree.DeleteItem(item);
}

void CDataTreeView::DeleteExperimentItem(DWORD experimentId) {
    HTREEITEM item = FindExperimentItem(experimentId);
    if (!item) return;
    if (m_clickedItem == item) m_clickedItem = nullptr;
    DeleteItem(item);
    m_experimentItems.erase(experimentId);
}

void CDataTreeView::Expand(HTREEITEM item) {
    if (item) m_tree.Expand(item, TVE_EXPAND);
}

void CDataTreeView::SelectItem(DWORD id) {
    HTREEITEM item = FindExperimentItem(id);
    if (!item) item = FindDataSetItem(id);
    if (item) m_tree.SelectItem(item);
}

HTREEITEM CDataTreeView::GetSelectedItem() const {
    return m_tree.GetSelectedItem();
}

void CDataTreeView::OnSize(UINT type, int cx, int cy) {
    CView::OnSize(type, cx, cy);
    if (!m_ready) return;
    if (m_caption.GetSafeHwnd()) m_caption.MoveWindow(0, 0, cx, kCaptionHeight);
    if (m_tree.GetSafeHwnd())
        m_tree.MoveWindow(0, kCaptionHeight, cx, std::max(0, cy - kCaptionHeight));
}

BOOL CDataTreeView::OnEraseBkgnd(CDC* dc) {
    CRect client;
    GetClientRect(&client);
    dc->FillSolidRect(&client, RGB(255, 255, 255));
    return TRUE;
}

HTREEITEM CDataTreeView::AddDataSetItem(DWORD dataSetId, const CString& name) {
    HTREEITEM item = m_tree.InsertItem(name, kDataSetImage, kDataSetImage, m_dataRoot);
    if (!item) return nullptr;
    m_tree.SetItemData(item, dataSetId);
    m_tree.SetItemState(item, INDEXTOSTATEIMAGEMASK(1), TVIS_STATEIMAGEMASK);
    m_dataItems[dataSetId] = item;
    return item;
}

HTREEITEM CDataTreeView::AddGraphItem(DWORD graphItem, const CString& name, LONG yVsX) {
    const int image = yVsX ? kYvsXGraphImage : kGraphImage;
    HTREEITEM item = m_tree.InsertItem(name, image, image, m_graphRoot);
    if (!item) return nullptr;
    m_tree.SetItemData(item, graphItem);
    m_tree.SetItemState(item, INDEXTOSTATEIMAGEMASK(1), TVIS_STATEIMAGEMASK);
    m_graphItems[graphItem] = item;
    if (CVarnelDoc* doc = Doc()) doc->m_modified = 1;
    return item;
}

HTREEITEM CDataTreeView::FindDataSetItem(DWORD id) const {
    const auto it = m_dataItems.find(id);
    return it == m_dataItems.end() ? nullptr : it->second;
}

HTREEITEM CDataTreeView::FindGraphItem(DWORD id) const {
    const auto it = m_graphItems.find(id);
    return it == m_graphItems.end() ? nullptr : it->second;
}

void CDataTreeView::SetCheckState(DWORD dataSetId, int stateImage) {
    if (HTREEITEM item = FindDataSetItem(dataSetId))
        m_tree.SetItemState(item, INDEXTOSTATEIMAGEMASK(stateImage), TVIS_STATEIMAGEMASK);
}

void CDataTreeView::SetGraphCheckState(DWORD graphItem, int stateImage) {
    if (HTREEITEM item = FindGraphItem(graphItem))
        m_tree.SetItemState(item, INDEXTOSTATEIMAGEMASK(stateImage), TVIS_STATEIMAGEMASK);
}

int CDataTreeView::GetGraphCheckState(DWORD graphItem) const {
    HTREEITEM item = FindGraphItem(graphItem);
    return item ? static_cast<int>(m_tree.GetItemState(item, TVIS_STATEIMAGEMASK) >> 12) : 0;
}

int CDataTreeView::GetCheckState(DWORD dataSetId) const {
    HTREEITEM item = FindDataSetItem(dataSetId);
    return item ? static_cast<int>(m_tree.GetItemState(item, TVIS_STATEIMAGEMASK) >> 12) : 0;
}

void CDataTreeView::DeleteGraphItem(DWORD graphItem) {
    if (HTREEITEM item = FindGraphItem(graphItem)) m_tree.DeleteItem(item);
    m_graphItems.erase(graphItem);
}

void CDataTreeView::DeleteDataSetItem(DWORD dataSetId) {
    if (HTREEITEM item = FindDataSetItem(dataSetId)) m_tree.DeleteItem(item);
    m_dataItems.erase(dataSetId);
}

void CDataTreeView::ExpandGraphs() {
    m_tree.Expand(m_graphRoot, TVE_EXPAND);
}

HTREEITEM CDataTreeView::GetLastExperimentItem() const {
    HTREEITEM last = nullptr;
    for (HTREEITEM i = m_tree.GetChildItem(m_dataRoot); i; i = m_tree.GetNextSiblingItem(i))
        last = i;
    return last;
}

CDataTreeBrench* CDataTreeView::GetLastExperiment(const CDataTreeList& list) const {
    HTREEITEM item = GetLastExperimentItem();
    return item ? list.FindById(IdOf(item)) : nullptr;
}

// ---- the user's side

DWORD CDataTreeView::IdOf(HTREEITEM item) const {
    return static_cast<DWORD>(m_tree.GetItemData(item));
}

CDataTreeView::ItemKind CDataTreeView::GetItemKind(HTREEITEM item) const {
    if (!item) return ItemKind::none;
    if (item == m_dataRoot) return ItemKind::dataRoot;
    if (item == m_graphRoot) return ItemKind::graphRoot;
    HTREEITEM parent = m_tree.GetParentItem(item);
    if (parent == m_graphRoot) return ItemKind::graph;
    if (parent == m_dataRoot) return ItemKind::experiment;
    if (parent && m_tree.GetParentItem(parent) == m_dataRoot) return ItemKind::dataSet;
    return ItemKind::none;
}

HTREEITEM CDataTreeView::ItemAtMessagePos(UINT* flags) const {
    const DWORD pos = GetMessagePos();
    CPoint point(static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos)));
    m_tree.ScreenToClient(&point);
    return m_tree.HitTest(point, flags);
}

bool CDataTreeView::RefuseDuringRun() const {
    CVarnelDoc* doc = Doc();
    if (!doc || !doc->m_runInProgress) return false;
    ShowMessage(CVarnelDoc::kRunningText, 0);
    return true;
}

LRESULT CDataTreeView::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NOTIFY && lParam && wParam == kTreeId) {
        const auto* nm = reinterpret_cast<const NMHDR*>(lParam);
        switch (nm->code) {
            case NM_CLICK:
                OnClick();
                return 0;
            case NM_DBLCLK:
                OnDoubleClick();
                return 0;
            case NM_RCLICK:
                OnRightClick();
                return 1;
            case TVN_BEGINLABELEDIT: {
                const auto* info = reinterpret_cast<const NMTVDISPINFO*>(lParam);
                return CanRename(info->item.hItem) ? 0 : 1;
            }
            case TVN_ENDLABELEDIT: {
                const auto* info = reinterpret_cast<const NMTVDISPINFO*>(lParam);
                return Rename(info->item.hItem, info->item.pszText) ? 1 : 0;
            }
            default:
                break;
        }
    }
    return CView::WindowProc(msg, wParam, lParam);
}

void CDataTreeView::OnClick() {
    UINT flags = 0;
    m_clickedItem = ItemAtMessagePos(&flags);
    if (!m_clickedItem || !(flags & TVHT_ONITEMSTATEICON)) return;
    // The box says what the graph shows, so ticking it shows, as Display does.
    const ItemKind kind = GetItemKind(m_clickedItem);
    if (kind == ItemKind::dataSet)
        DisplayPlot(m_clickedItem);
    else if (kind == ItemKind::graph)
        DisplayGraph(m_clickedItem);
}

void CDataTreeView::OnDoubleClick() {
    m_clickedItem = ItemAtMessagePos(nullptr);
    CVarnelDoc* doc = Doc();
    if (const CVideoView* video = doc ? doc->GetVideoView() : nullptr;
        video && video->IsRecording()) {
        ShowMessage("Stop video recording first", 0);
        return;
    }
    if (const CVideoView* video = doc ? doc->GetVideoView() : nullptr; video && video->m_playing) {
        ShowMessage("Stop video playing first", 0);
        return;
    }
    const ItemKind kind = GetItemKind(m_clickedItem);
    if (kind == ItemKind::dataSet && m_tree.GetChildItem(m_clickedItem) == nullptr)
        DisplayPlot(m_clickedItem);
    else if (kind == ItemKind::graph)
        DisplayGraph(m_clickedItem);
}

void CDataTreeView::BuildMenu(HTREEITEM item, CMenu& menu) const {
    menu.CreatePopupMenu();
    const CVarnelDoc* doc = Doc();
    switch (GetItemKind(item)) {
        case ItemKind::graph: {
            const CGraphView* graph = doc ? doc->GetGraphView() : nullptr;
            const bool shown =
                graph && graph->m_currentGraph && graph->m_currentGraph->m_item == IdOf(item);
            menu.AppendMenu(MF_STRING | (shown ? MF_CHECKED : 0), ID_DATAMAP_DISPLAY_GRAPH,
                            "Display");
            menu.AppendMenu(MF_STRING, ID_DATAMAP_DELETE_GRAPH, "Delete graph");
            break;
        }
        case ItemKind::dataSet: {
            const CDataTreeBrench* d = doc ? doc->m_dataList.FindById(IdOf(item)) : nullptr;
            menu.AppendMenu(MF_STRING | (d && d->m_shown ? MF_CHECKED : 0), ID_DATAMAP_DISPLAY_PLOT,
                            "Display");
            menu.AppendMenu(MF_STRING, ID_DATAMAP_DELETE_DATA, "Delete Data");
            break;
        }
        case ItemKind::experiment: {
            const CString name = m_tree.GetItemText(item);
            if (name != kEditedGroupName && name != kFitGroupName)
                menu.AppendMenu(MF_STRING, ID_DATAMAP_DELETE_EXPERIMENT, "Delete Experiment");
            break;
        }
        case ItemKind::dataRoot:
            menu.AppendMenu(MF_STRING, ID_DATAMAP_DELETE_ALL, "Delete all data");
            break;
        default:
            break;
    }
}

void CDataTreeView::OnRightClick() {
    m_clickedItem = ItemAtMessagePos(nullptr);
    CMenu menu;
    BuildMenu(m_clickedItem, menu);
    if (menu.GetMenuItemCount() == 0) return;
    const DWORD pos = GetMessagePos();
    const UINT chosen =
        TrackPopupMenu(&menu, TPM_LEFTALIGN | TPM_RETURNCMD, static_cast<short>(LOWORD(pos)),
                       static_cast<short>(HIWORD(pos)), this);
    if (chosen) RunCommand(chosen);
}

void CDataTreeView::RunCommand(UINT id) {
    HTREEITEM item = m_clickedItem;
    switch (id) {
        case ID_DATAMAP_DISPLAY_GRAPH:
            DisplayGraph(item);
            break;
        case ID_DATAMAP_DELETE_GRAPH:
            DeleteGraph(item);
            break;
        case ID_DATAMAP_DISPLAY_PLOT:
            DisplayPlot(item);
            break;
        case ID_DATAMAP_DELETE_DATA:
            DeleteDataSet(item);
            break;
        case ID_DATAMAP_DELETE_EXPERIMENT:
            DeleteExperiment(item);
            break;
        case ID_DATAMAP_DELETE_ALL:
            DeleteAllData();
            break;
        default:
            break;
    }
}

void CDataTreeView::DisplayGraph(HTREEITEM item) {
    CVarnelDoc* doc = Doc();
    CGraphView* graph = doc ? doc->GetGraphView() : nullptr;
    if (!graph || GetItemKind(item) != ItemKind::graph) return;
    graph->ShowExperiment(IdOf(item));
}

void CDataTreeView::DisplayPlot(HTREEITEM item) {
    CVarnelDoc* doc = Doc();
    CGraphView* graph = doc ? doc->GetGraphView() : nullptr;
    CDataTreeBrench* d = doc ? doc->m_dataList.FindById(IdOf(item)) : nullptr;
    if (!graph || !d || d->IsExperiment()) return;
    if (graph->m_predictMode) {
        if (ShowMessage(CVarnelDoc::kEndPredictText, 4) != IDYES) return;
        graph->TogglePredictMode();
    }
    if (!d->m_shown) {
        graph->ShowDataSet(d);
    } else {
        graph->RemovePlot(d->m_id, -1);
        if (CTableView* table = doc->GetTableView()) {
            table->RemoveDataSet(d->m_id);
            table->FillGrid(-1);
        }
        if (graph->m_plotCount == 0 && graph->m_currentGraph) {
            SetGraphCheckState(graph->m_currentGraph->m_item, 1);
            graph->m_currentGraph->m_shown = 0;
            graph->m_currentGraph = nullptr;
        }
    }
    graph->m_graphState = std::max<BYTE>(graph->m_graphState, 3);
}

void CDataTreeView::DeleteGraph(HTREEITEM item) {
    CVarnelDoc* doc = Doc();
    if (!doc || GetItemKind(item) != ItemKind::graph) return;
    const DWORD id = IdOf(item);
    if (CGraphView* graph = doc->GetGraphView()) {
        if (graph->m_currentGraph && graph->m_currentGraph->m_item == id) {
            graph->RefreshGraph(TRUE);
            graph->m_currentGraph = nullptr;
            graph->m_graphState = 4;
        }
    }
    DeleteGraphItem(id);
    if (m_clickedItem == item) m_clickedItem = nullptr;
    doc->m_graphList.RemoveGraph(id);
    doc->m_modified = 1;
}

bool CDataTreeView::DeleteDataSet(HTREEITEM item) {
    CVarnelDoc* doc = Doc();
    if (!doc || GetItemKind(item) != ItemKind::dataSet) return false;
    if (RefuseDuringRun()) return false;
    const DWORD id = IdOf(item);
    CDataTreeBrench* d = doc->m_dataList.FindById(id);
    if (!d) return false;
    if (doc->m_graphList.IsDataSetUsed(id)) {
        ShowMessage(kDataInUseText, 0);
        return false;
    }
    if (CGraphView* graph = doc->GetGraphView()) {
        if (graph->FindPlotByDataSet(id) >= 0) {
            graph->RemovePlot(id, -1);
            graph->m_graphState = std::max<BYTE>(graph->m_graphState, 3);
        }
        if (graph->m_yVsX && graph->m_xAxis.dataSet == d) graph->OnYvsXGraph(1);
    }
    // The table reads the data set on every refill: its columns go before the data set does.
    if (CTableView* table = doc->GetTableView()) {
        table->RemoveDataSet(id);
        table->FillGrid(-1);
    }
    CDataTreeBrench* experiment = doc->m_dataList.GetExperimentOf(id);
    const CString video = d->m_videoFile;
    const bool freshVideo = d->m_videoUnsaved && !video.IsEmpty();
    // Nothing may point at the data set once it is gone.
    for (CDataTreeBrench*& run : doc->m_currentRun)
        if (run == d) run = nullptr;
    if (doc->m_currentDownload == d) doc->m_currentDownload = nullptr;
    DeleteDataSetItem(id);
    if (m_clickedItem == item) m_clickedItem = nullptr;
    doc->m_dataList.Remove(id);

    if (experiment && experiment->m_id != m_fitGroupId &&
        !doc->m_dataList.GetNextDataSet(experiment->m_id)) {
        const DWORD experimentId = experiment->m_id;
        HTREEITEM experimentItem = FindExperimentItem(experimentId);
        if (m_clickedItem == experimentItem) m_clickedItem = nullptr;
        DeleteItem(experimentItem);
        m_experimentItems.erase(experimentId);
        if (doc->m_currentDownload == experiment) doc->m_currentDownload = nullptr;
        doc->m_dataList.Remove(experimentId);
        // Only a recording that no project holds yet: a saved copy may belong to the file.
        if (freshVideo && !QFile::remove(video.ToQString()))
            qCWarning(lcDoc) << "video not deleted:" << video.GetString();
    }
    doc->m_modified = 1;
    return true;
}

void CDataTreeView::DeleteExperiment(HTREEITEM item) {
    CVarnelDoc* doc = Doc();
    if (!doc || GetItemKind(item) != ItemKind::experiment) return;
    if (RefuseDuringRun()) return;
    const DWORD id = IdOf(item);
    if (id == m_fitGroupId) return;
    while (HTREEITEM child = m_tree.GetChildItem(item))
        if (!DeleteDataSet(child)) return;
    // An experiment with no data set goes by itself.
    if (FindExperimentItem(id)) {
        DeleteItem(item);
        m_experimentItems.erase(id);
        if (m_clickedItem == item) m_clickedItem = nullptr;
        doc->m_dataList.Remove(id);
        doc->m_modified = 1;
    }
}

void CDataTreeView::DeleteAllData() {
    CVarnelDoc* doc = Doc();
    if (!doc || RefuseDuringRun()) return;
    doc->ClearProject(true);
}

bool CDataTreeView::CanRename(HTREEITEM item) const {
    const ItemKind kind = GetItemKind(item);
    if (kind == ItemKind::experiment) return IdOf(item) != m_fitGroupId;
    if (kind == ItemKind::dataSet) return IdOf(m_tree.GetParentItem(item)) != m_fitGroupId;
    return false;
}

bool CDataTreeView::Rename(HTREEITEM item, const char* text) {
    CVarnelDoc* doc = Doc();
    if (!doc || !text || !*text || !CanRename(item)) return false;
    CDataTreeBrench* node = doc->m_dataList.FindById(IdOf(item));
    if (!node) return false;
    node->m_name = text;
    CTableView* table = doc->GetTableView();
    if (!node->IsExperiment()) {
        if (CGraphView* graph = doc->GetGraphView()) graph->UpdatePlotCaption(node->m_id);
        if (table) table->UpdateColumnTitle(node->m_id);
    } else if (table) {
        table->RefreshColumnNames();
    }
    doc->m_modified = 1;
    return true;
}
