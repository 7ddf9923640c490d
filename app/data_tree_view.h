#pragma once
// The data map: a tree with the roots "Data sets" and "Graphs", an item per data set and per saved
// graph, each with a check box (state image 1 unticked, 2 ticked). Items are found by the ids
// their lists hand out.

#include <map>

#include "platform/ui/tree_ctrl.h"
#include "platform/win/frame.h"

class CDataTreeView : public CView {
public:
    static constexpr UINT kTreeId = 100;
    // Item images of a saved graph: a graph over time, or Y against X.
    static constexpr int kGraphImage = 2;
    static constexpr int kYvsXGraphImage = 3;

    BOOL Create(CWnd* parent, const RECT& rect, UINT id = AFX_IDW_PANE_FIRST);
    CTreeCtrl& GetTreeCtrl() { return m_tree; }
    HTREEITEM GetDataRoot() const { return m_dataRoot; }
    HTREEITEM GetGraphRoot() const { return m_graphRoot; }

    HTREEITEM AddDataSetItem(DWORD dataSetId, const CString& name);
    // A saved graph's item under "Graphs", unticked.
    HTREEITEM AddGraphItem(DWORD graphItem, const CString& name, LONG yVsX);
    // The check box of a data set's or a saved graph's item: state image 1 or 2.
    void SetCheckState(DWORD dataSetId, int stateImage);
    void SetGraphCheckState(DWORD graphItem, int stateImage);
    int GetGraphCheckState(DWORD graphItem) const;
    int GetCheckState(DWORD dataSetId) const;
    void DeleteGraphItem(DWORD graphItem);
    void DeleteDataSetItem(DWORD dataSetId);
    void ExpandGraphs();

    HTREEITEM FindDataSetItem(DWORD id) const;
    HTREEITEM FindGraphItem(DWORD id) const;

protected:
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnSize(UINT type, int cx, int cy) override;

private:
    CTreeCtrl m_tree;
    HTREEITEM m_dataRoot = nullptr;
    HTREEITEM m_graphRoot = nullptr;
    std::map<DWORD, HTREEITEM> m_dataItems;
    std::map<DWORD, HTREEITEM> m_graphItems;
};
