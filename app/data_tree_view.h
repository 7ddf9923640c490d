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
    // Item images of an experiment, a data set, and a data set recorded with a video.
    static constexpr int kExperimentImage = 3;
    static constexpr int kDataSetImage = 9;
    static constexpr int kVideoDataSetImage = 8;

    BOOL Create(CWnd* parent, const RECT& rect, UINT id = AFX_IDW_PANE_FIRST);
    // Makes the "Linear fit" group of the document's first project.
    void OnInitialUpdate() override;
    CTreeCtrl& GetTreeCtrl() { return m_tree; }
    HTREEITEM GetDataRoot() const { return m_dataRoot; }
    HTREEITEM GetGraphRoot() const { return m_graphRoot; }

    HTREEITEM AddDataSetItem(DWORD dataSetId, const CString& name);
    // An experiment's item, last under "Data sets"; bound to its node's id once it has one.
    HTREEITEM AddProjectItem(const CString& name);
    void BindExperimentItem(DWORD experimentId, HTREEITEM item);
    HTREEITEM FindExperimentItem(DWORD id) const;
    // A data set's item, last under its experiment's, unticked; bound to its id once it has one.
    HTREEITEM AddDataSetItem(HTREEITEM experiment, const CString& name);
    void BindDataSetItem(DWORD dataSetId, HTREEITEM item);
    void SetItemImage(DWORD id, int image);
    // Removes an item that no node took.
    void DeleteItem(HTREEITEM item);
    void Expand(HTREEITEM item);
    void ExpandData() { Expand(m_dataRoot); }
    // Selects the item of an experiment or a data set.
    void SelectItem(DWORD id);
    HTREEITEM GetSelectedItem() const;
    // Empties the tree, then makes the two roots again.
    void ClearTree();
    void BuildTree();
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
    // The experiment that takes the linear fits.
    DWORD m_fitGroupId = 0;
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
    std::map<DWORD, HTREEITEM> m_experimentItems;
};
