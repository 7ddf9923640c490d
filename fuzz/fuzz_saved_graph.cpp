// The saved graph's project record on any bytes: a read either throws the archive exception or
// gives a graph whose counts and links are in range and whose data sets are branches read; what
// it gives is written and read again to the same bytes.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "logger/data_tree.h"
#include "models/graph_tree.h"
#include "platform/base/archive.h"
#include "platform/base/file.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

void CheckRecord(const PlotRecordStruct& r, int n, const std::vector<CDataTreeBrench*>& branches) {
    Check(r.linkCount >= 0 && r.linkCount <= PlotRecordStruct::kMaxLinks);
    for (int i = 0; i < r.linkCount; ++i)
        Check(r.links[i] == -1 || (r.links[i] >= 0 && r.links[i] < n));
    bool known = r.dataSet == nullptr;
    for (CDataTreeBrench* b : branches)
        known = known || r.dataSet == b;
    Check(known);
}

std::vector<BYTE> Write(const CGraphTreeBrench& g, const std::vector<CDataTreeBrench*>& branches,
                        bool bar) {
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    WriteGraph(
        ar, g,
        [&](const CDataTreeBrench* d) {
            for (size_t i = 0; i < branches.size(); ++i)
                if (branches[i] == d) return static_cast<WORD>(i);
            return static_cast<WORD>(9999);
        },
        bar);
    ar.Close();
    return file.Bytes();
}

CGraphTreeBrench Read(const std::vector<BYTE>& bytes, const std::vector<CDataTreeBrench*>& branches,
                      bool bar) {
    CMemFile file(bytes);
    CArchive ar(&file, CArchive::load);
    return ReadGraph(ar, branches, bar);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const bool bar = data[0] & 1;
    CDataTreeBrench b0, b1, b2;
    const std::vector<CDataTreeBrench*> branches{&b0, &b1, &b2};
    CGraphTreeBrench g;
    try {
        g = Read(std::vector<BYTE>(data + 1, data + size), branches, bar);
    } catch (const CArchiveException&) {
        return 0;
    }
    Check(g.m_plotCount >= 0 && g.m_plotCount <= CGraphTreeBrench::kMaxPlots);
    for (int i = 0; i < g.m_plotCount; ++i)
        CheckRecord(g.m_plots[i], g.m_plotCount, branches);
    CheckRecord(g.m_xAxis, g.m_plotCount, branches);

    const std::vector<BYTE> once = Write(g, branches, bar);
    Check(Write(Read(once, branches, bar), branches, bar) == once);
    return 0;
}
