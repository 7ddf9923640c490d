#include "models/graph_tree.h"

#include <algorithm>

#include "logger/data_tree.h"
#include "platform/base/archive.h"

namespace {

constexpr WORD kNoBranch = 9999;

void WritePlot(CArchive& ar, const PlotRecordStruct& r, const BranchOf& branchOf) {
    ar << r.yAutoscale;
    ar << static_cast<WORD>(r.dataSet && branchOf ? branchOf(r.dataSet) : kNoBranch);
    ar << r.decimals << r.grid << r.unit << r.lastScaled << r.yMax << r.yMin;
    ar << static_cast<WORD>(r.plotNumberType);
    if (r.plotNumberType == PlotRecordStruct::kVtI2)
        ar << static_cast<SHORT>(r.plotNumber);
    else if (r.plotNumberType == PlotRecordStruct::kVtI4)
        ar << r.plotNumber;
    ar << static_cast<DWORD>(r.colour) << r.pointStyle << r.pointsSwitch << r.lineWidth
       << r.lineStyle << r.fillValue << r.fillSwitch << r.axisName << r.timeFormat << r.labelValue;
    const SHORT m = std::clamp<SHORT>(r.linkCount, 0, PlotRecordStruct::kMaxLinks);
    ar << m;
    for (int i = 0; i < m; ++i)
        ar << r.links[i];
}

PlotRecordStruct ReadPlot(CArchive& ar, const std::vector<CDataTreeBrench*>& branches, int n,
                          const GraphLinesInfoStruct* row) {
    PlotRecordStruct r;
    WORD number, type;
    DWORD colour;
    ar >> r.yAutoscale >> number >> r.decimals >> r.grid >> r.unit >> r.lastScaled >> r.yMax >>
        r.yMin >> type;
    if (number != kNoBranch && number < branches.size()) r.dataSet = branches[number];
    if (type == PlotRecordStruct::kVtI2) {
        SHORT v;
        ar >> v;
        r.plotNumber = v;
    } else if (type == PlotRecordStruct::kVtI4) {
        ar >> r.plotNumber;
    } else if (type != PlotRecordStruct::kVtEmpty) {
        throw CArchiveException(CArchiveException::badSchema, "saved graph: plot number type");
    }
    r.plotNumberType = type;
    ar >> colour >> r.pointStyle >> r.pointsSwitch >> r.lineWidth >> r.lineStyle >> r.fillValue >>
        r.fillSwitch >> r.axisName >> r.timeFormat >> r.labelValue;
    r.colour = colour;
    WORD m;
    ar >> m;
    ar.EnsureAvailable(2ull * m);
    bool sound = m <= PlotRecordStruct::kMaxLinks;
    for (WORD i = 0; i < m; ++i) {
        WORD link;
        ar >> link;
        if (link != 65535 && link >= n) sound = false;
        if (i < PlotRecordStruct::kMaxLinks) r.links[i] = static_cast<SHORT>(link);
    }
    if (sound)
        r.linkCount = static_cast<SHORT>(m);
    else
        r.ClearLinks();
    r.markerColour = row ? row->markerColor : 0;
    r.scratch = 0;
    return r;
}

}  // namespace

DWORD CGraphTreeList::NewItem() {
    if (++m_lastItem == 0) ++m_lastItem;
    return m_lastItem;
}

int CGraphTreeList::AddGraph(DWORD item, const CString& name, const PlotRecordStruct* plots,
                             int plotCount, const PlotRecordStruct& xAxis, LONG yVsX,
                             LONG barGraph) {
    auto g = std::make_unique<CGraphTreeBrench>(item, yVsX);
    g->m_name = name;
    plotCount = std::clamp(plotCount, 0, CGraphTreeBrench::kMaxPlots);
    for (int i = 0; i < CGraphTreeBrench::kMaxPlots && plots; ++i)
        g->m_plots[i] = plots[i];
    g->m_plotCount = static_cast<SHORT>(plotCount);
    g->m_xAxis = xAxis;
    g->m_barGraph = barGraph;
    m_graphs.push_back(std::move(g));
    return GetCount() - 1;
}

int CGraphTreeList::AddGraph(const CGraphTreeBrench& graph) {
    m_graphs.push_back(std::make_unique<CGraphTreeBrench>(graph));
    return GetCount() - 1;
}

void CGraphTreeList::RemoveGraph(DWORD item) {
    const int i = IndexOfItem(item);
    if (i >= 0) m_graphs.erase(m_graphs.begin() + i);
}

int CGraphTreeList::IndexOfItem(DWORD item) const {
    for (size_t i = 0; i < m_graphs.size(); ++i)
        if (m_graphs[i]->m_item == item) return static_cast<int>(i);
    return -1;
}

CGraphTreeBrench* CGraphTreeList::FindByItem(DWORD item) const {
    const int i = IndexOfItem(item);
    return i < 0 ? nullptr : m_graphs[static_cast<size_t>(i)].get();
}

CGraphTreeBrench* CGraphTreeList::GetAt(int index) const {
    return index >= 0 && index < GetCount() ? m_graphs[static_cast<size_t>(index)].get() : nullptr;
}

bool CGraphTreeList::IsDataSetUsed(DWORD dataSetId) const {
    for (const auto& g : m_graphs) {
        for (int i = 0; i < g->m_plotCount && i < CGraphTreeBrench::kMaxPlots; ++i)
            if (g->m_plots[i].dataSet && g->m_plots[i].dataSet->m_id == dataSetId) return true;
        if (g->m_yVsX && g->m_xAxis.dataSet && g->m_xAxis.dataSet->m_id == dataSetId) return true;
    }
    return false;
}

void CGraphTreeList::ClearShownFlags(const std::function<void(DWORD)>& untick) {
    for (const auto& g : m_graphs) {
        g->m_shown = 0;
        if (untick) untick(g->m_item);
    }
}

void WriteGraph(CArchive& ar, const CGraphTreeBrench& g, const BranchOf& branchOf,
                bool withBarFlag) {
    const SHORT n = std::clamp<SHORT>(g.m_plotCount, 0, CGraphTreeBrench::kMaxPlots);
    ar << g.m_name << g.m_yVsX << n;
    for (int i = 0; i < n; ++i)
        WritePlot(ar, g.m_plots[i], branchOf);
    WritePlot(ar, g.m_xAxis, branchOf);
    if (withBarFlag) ar << g.m_barGraph;
}

CGraphTreeBrench ReadGraph(CArchive& ar, const std::vector<CDataTreeBrench*>& branches,
                           bool withBarFlag, const GraphLinesInfoStruct* rows) {
    CGraphTreeBrench g;
    SHORT n;
    ar >> g.m_name >> g.m_yVsX >> n;
    if (n < 0 || n > CGraphTreeBrench::kMaxPlots)
        throw CArchiveException(CArchiveException::badSchema, "saved graph: plot count");
    g.m_plotCount = n;
    for (int i = 0; i < n; ++i)
        g.m_plots[i] = ReadPlot(ar, branches, n, rows ? &rows[i] : nullptr);
    g.m_xAxis = ReadPlot(ar, branches, n, rows ? &rows[8] : nullptr);
    if (withBarFlag) ar >> g.m_barGraph;
    return g;
}
