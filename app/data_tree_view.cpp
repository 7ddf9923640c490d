#include "app/data_tree_view.h"

#include "app/varnel_doc.h"

BOOL CDataTreeView::Create(CWnd* parent, const RECT& rect, UINT id) {
    return CWnd::Create(nullptr, "", WS_CHILD | WS_VISIBLE, rect, parent, id);
}

int CDataTreeView::OnCreate(LPCREATESTRUCT cs) {
    if (CView::OnCreate(cs) == -1) return -1;
    CRect client;
    GetClientRect(&client);
    if (!m_tree.Create(WS_CHILD | WS_VISIBLE, client, this, kTreeId)) return -1;
    BuildTree();
    return 0;
}

void CDataTreeView::OnInitialUpdate() {
    CView::OnInitialUpdate();
    auto* doc = dynamic_cast<CVarnelDoc*>(GetDocument());
    if (!doc || m_fitGroupId) return;
    // Every project has the group: making it is no change to save.
    const BYTE modified = doc->m_modified;
    doc->AddFitGroup();
    doc->m_modified = modified;
}

void CDataTreeView::BuildTree() {
    m_dataRoot = m_tree.InsertItem("Data sets");
    m_graphRoot = m_tree.InsertItem("Graphs");
}

void CDataTreeView::ClearTree() {
    m_tree.DeleteAllItems();
    m_dataRoot = m_graphRoot = nullptr;
    m_dataItems.clear();
    m_graphItems.clear();
    m_experimentItems.clear();
}

HTREEITEM CDataTreeView::AddProjectItem(const CString& name) {
    if (!m_dataRoot) return nullptr;
    return m_tree.InsertItem(name, kExperimentImage, kExperimentImage, m_dataRoot);
}

void CDataTreeView::BindExperimentItem(DWORD experimentId, HTREEITEM item) {
    if (item) m_experimentItems[experimentId] = item;
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
    if (m_tree.GetSafeHwnd()) m_tree.MoveWindow(0, 0, cx, cy);
}

HTREEITEM CDataTreeView::AddDataSetItem(DWORD dataSetId, const CString& name) {
    HTREEITEM item = m_tree.InsertItem(name, m_dataRoot);
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
