#pragma once
// Saved graphs: what the graph view showed when it was added to the project, kept in the
// document's graph list, and their record in the project file. No window code: the data map is
// reached through the callers.

#include <functional>
#include <memory>
#include <vector>

#include "models/plot_record.h"

class CArchive;
class CDataTreeBrench;

class CGraphTreeBrench {
public:
    static constexpr int kMaxPlots = 8;

    CGraphTreeBrench() = default;
    CGraphTreeBrench(DWORD item, LONG yVsX) : m_item(item), m_yVsX(yVsX) {}
    virtual ~CGraphTreeBrench() = default;
    CGraphTreeBrench(const CGraphTreeBrench&) = default;
    CGraphTreeBrench& operator=(const CGraphTreeBrench&) = default;

    CString m_name;
    DWORD m_item = 0;  // its id in the data map, handed out by the graph list
    LONG m_yVsX = 0;
    PlotRecordStruct m_plots[kMaxPlots];
    SHORT m_plotCount = 0;
    PlotRecordStruct m_xAxis;  // its data set is the X data set of a Y-versus-X graph
    BYTE m_shown = 0;
    LONG m_barGraph = 0;
};

class CGraphTreeList {
public:
    CGraphTreeList() = default;
    virtual ~CGraphTreeList() = default;
    CGraphTreeList(const CGraphTreeList&) = delete;
    CGraphTreeList& operator=(const CGraphTreeList&) = delete;

    // A new item id: 32 bits, never 0.
    DWORD NewItem();
    // Appends a saved graph; returns its position.
    int AddGraph(DWORD item, const CString& name, const PlotRecordStruct* plots, int plotCount,
                 const PlotRecordStruct& xAxis, LONG yVsX, LONG barGraph);
    // Appends a copy of a saved graph read from a project.
    int AddGraph(const CGraphTreeBrench& graph);
    void RemoveGraph(DWORD item);
    int IndexOfItem(DWORD item) const;
    CGraphTreeBrench* FindByItem(DWORD item) const;
    int GetCount() const { return static_cast<int>(m_graphs.size()); }
    CGraphTreeBrench* GetAt(int index) const;
    bool IsDataSetUsed(DWORD dataSetId) const;
    // Every shown flag cleared; `untick` is told each item, so the data map can clear its box.
    void ClearShownFlags(const std::function<void(DWORD item)>& untick);
    void RemoveAll() { m_graphs.clear(); }

private:
    std::vector<std::unique_ptr<CGraphTreeBrench>> m_graphs;
    DWORD m_lastItem = 0;
};

// The project record of one saved graph. `BranchOf` gives a data set's position among the
// project's branches (9999 for none). Reading turns positions back through `branches` (at or past
// its end, or 9999: no data set), takes each plot's marker colour from its settings row (`rows`,
// nine, the last for the X axis, or null), and throws CArchiveException for a plot count outside
// 0..8 or a plot number of a type other than empty, I2 or I4. A link list that cannot be right is
// emptied.
using BranchOf = std::function<WORD(const CDataTreeBrench*)>;
void WriteGraph(CArchive& ar, const CGraphTreeBrench& graph, const BranchOf& branchOf,
                bool withBarFlag = true);
CGraphTreeBrench ReadGraph(CArchive& ar, const std::vector<CDataTreeBrench*>& branches,
                           bool withBarFlag, const GraphLinesInfoStruct* rows = nullptr);
