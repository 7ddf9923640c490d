// The project file on any bytes: a read either refuses the file or gives contents whose counts
// are in their limits and whose links and saved-graph plots name data sets that were read; what
// it gives is written, read and written again to the same bytes.

#include <cstdint>
#include <cstdlib>
#include <set>
#include <vector>

#include "models/varnel_file.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

void CheckContents(const ProjectContents& c) {
    Check(c.dataBranchCount >= 0 && c.dataBranchCount <= CVarnelFile::kMaxCount);
    Check(c.branches.size() - size_t(c.dataBranchCount) <= size_t(CVarnelFile::kMaxCount));
    std::set<const CDataTreeBrench*> dataSets;
    for (size_t i = 0; i < c.branches.size(); ++i) {
        const CDataTreeBrench& node = *c.branches[i].node;
        Check(node.m_id == i + 1);
        Check(c.branches[i].fittedLine == (int(i) >= c.dataBranchCount));
        if (node.IsExperiment()) {
            Check(int(i) < c.dataBranchCount);
            continue;
        }
        Check(i > 0 || c.branches[i].fittedLine);
        dataSets.insert(&node);
        Check(node.m_x->size() == node.m_y->size());
        Check(node.m_linkCount >= 0 && node.m_linkCount <= CDataTreeBrench::kMaxLinks);
        for (int l = 0; l < node.m_linkCount; ++l) {
            const DWORD id = node.m_links[l];
            Check(id >= 1 && id <= c.branches.size());
            Check(!c.branches[id - 1].node->IsExperiment());
        }
    }
    for (const CGraphTreeBrench& g : c.graphs) {
        Check(g.m_plotCount >= 0 && g.m_plotCount <= CGraphTreeBrench::kMaxPlots);
        for (int p = 0; p < g.m_plotCount; ++p)
            Check(!g.m_plots[p].dataSet || dataSets.count(g.m_plots[p].dataSet));
        Check(!g.m_xAxis.dataSet || dataSets.count(g.m_xAxis.dataSet));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ProjectContents first;
    if (!CVarnelFile::ReadBytes(std::vector<BYTE>(data, data + size), CString(), first)) return 0;
    CheckContents(first);
    const std::vector<BYTE> once = CVarnelFile::BuildBytes(ProjectImage::Of(first));
    ProjectContents second;
    Check(CVarnelFile::ReadBytes(once, CString(), second));
    CheckContents(second);
    Check(CVarnelFile::BuildBytes(ProjectImage::Of(second)) == once);
    return 0;
}
