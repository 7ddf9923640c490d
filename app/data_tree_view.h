#pragma once
// The data map: a caption over a tree with the roots "Data sets" and "Graphs", an item per
// experiment, data set and saved graph; data sets and saved graphs have a check box (state image
// 1 unticked, 2 ticked) that says whether the graph shows them. Items are found by the ids their
// lists hand out, both ways: an item's data is its node's id.

#include <map>

#include "platform/gdi/image_list.h"
#include "platform/ui/controls.h"
#include "platform/ui/tree_ctrl.h"
#include "platform/win/frame.h"

class CVarnelDoc;
class CDataTreeBrench;
class CDataTreeList;

class CDataTreeView : public CView {
    DECLARE_DYNCREATE(CDataTreeView)
public:
    static constexpr UINT kTreeId = 1002;
    static constexpr UINT kCaptionId = 1126;
    static constexpr int kCaptionHeight = 30;
    static constexpr UINT kTreeBitmap = 160;
    static constexpr UINT kCheckBitmap = 190;
    // Item images.
    static constexpr int kGraphRootImage = 0;
    static constexpr int kDataRootImage = 2;
    static constexpr int kExperimentImage = 3;
    static constexpr int kYvsXGraphImage = 4;
    static constexpr int kGraphImage = 5;
    static constexpr int kVideoDataSetImage = 8;
    static constexpr int kDataSetImage = 9;
    // The pop-up menus' commands.
    static constexpr UINT ID_DATAMAP_DISPLAY_GRAPH = 4960;
    static constexpr UINT ID_DATAMAP_DELETE_GRAPH = 4961;
    static constexpr UINT ID_DATAMAP_DISPLAY_PLOT = 4962;
    static constexpr UINT ID_DATAMAP_DELETE_DATA = 4963;
    static constexpr UINT ID_DATAMAP_DELETE_EXPERIMENT = 4964;
    static constexpr UINT ID_DATAMAP_DELETE_ALL = 4965;
    static constexpr const char* kDataInUseText =
        "This Data is in use...\nYou must first delete the saved graphs that contain the data.";

    enum class ItemKind { none, dataRoot, graphRoot, experiment, dataSet, graph };

    BOOL Create(CWnd* parent, const RECT& rect, UINT id = AFX_IDW_PANE_FIRST);
    void OnInitialUpdate() override;
    CTreeCtrl& GetTreeCtrl() { return m_tree; }
    const CTreeCtrl& GetTreeCtrl() const { return m_tree; }
    CStatic& GetCaption() { return m_caption; }
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
    // The experiment's own item, once its data sets' are gone.
    void DeleteExperimentItem(DWORD experimentId);
    void ExpandGraphs();
    // The last child of "Data sets", or none; and its node.
    HTREEITEM GetLastExperimentItem() const;
    CDataTreeBrench* GetLastExperiment(const CDataTreeList& list) const;

    HTREEITEM FindDataSetItem(DWORD id) const;
    // The experiment that takes the linear fits.
    DWORD m_fitGroupId = 0;
    HTREEITEM FindGraphItem(DWORD id) const;

    // ---- what the user does; each is what the menus and the mouse call
    ItemKind GetItemKind(HTREEITEM item) const;
    HTREEITEM m_clickedItem = nullptr;
    void OnClick();
    void OnDoubleClick();
    void OnRightClick();
    // The pop-up menu of an item, empty for none; `checked` ticks Display.
    void BuildMenu(HTREEITEM item, CMenu& menu) const;
    void RunCommand(UINT id);
    // Shows or hides a data set, or shows a saved graph.
    void DisplayPlot(HTREEITEM item);
    void DisplayGraph(HTREEITEM item);
    void DeleteGraph(HTREEITEM item);
    // False when the data set stays (in use, or a run is going on).
    bool DeleteDataSet(HTREEITEM item);
    void DeleteExperiment(HTREEITEM item);
    void DeleteAllData();
    // Label edits: whether an edit may begin; whether the new text is taken.
    bool CanRename(HTREEITEM item) const;
    bool Rename(HTREEITEM item, const char* text);

protected:
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnSize(UINT type, int cx, int cy) override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    CVarnelDoc* Doc() const;
    // The item under the last mouse message, and what part of it.
    HTREEITEM ItemAtMessagePos(UINT* flags) const;
    DWORD IdOf(HTREEITEM item) const;
    bool RefuseDuringRun() const;

    CStatic m_caption;
    CTreeCtrl m_tree;
    CImageList m_images;
    CImageList m_stateImages;
    BOOL m_ready = FALSE;
    HTREEITEM m_dataRoot = nullptr;
    HTREEITEM m_graphRoot = nullptr;
    std::map<DWORD, HTREEITEM> m_dataItems;
    std::map<DWORD, HTREEITEM> m_graphItems;
    std::map<DWORD, HTREEITEM> m_experimentItems;
};
