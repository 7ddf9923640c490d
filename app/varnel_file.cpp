#include "models/varnel_file.h"

#include "app/data_tree_view.h"
#include "app/varnel_doc.h"
#include "logger/helpers.h"
#include "logger/settings.h"
#include "platform/base/log.h"

namespace {

constexpr const char* kFitGroupName = "Linear fit";

}  // namespace

CVarnelFile::SaveResult CVarnelFile::SaveWithVideo(const CString& path,
                                                   const CString& previousFolder, bool copyVideos) {
    if (!m_doc) return SaveResult::failed;
    CDataTreeList& list = m_doc->m_dataList;
    const CDataTreeView* tree = m_doc->GetDataTreeView();
    const DWORD fitId = tree && tree->m_fitGroupId       ? tree->m_fitGroupId
                        : list.FindByName(kFitGroupName) ? list.FindByName(kFitGroupName)->m_id
                                                         : 0;
    m_image = ProjectImage();
    bool inFitGroup = false;
    bool anyExperiment = false;
    for (int i = 0; i < list.GetCount(); ++i) {
        const CDataTreeBrench* node = list.GetAt(i);
        if (node->IsExperiment()) {
            inFitGroup = node->m_id == fitId;
            if (inFitGroup) continue;
            anyExperiment = true;
        }
        (inFitGroup ? m_image.fittedLines : m_image.dataBranches).push_back(node);
    }
    if (!anyExperiment) return SaveResult::nothingToWrite;
    constexpr size_t limit = kMaxCount;
    if (m_image.dataBranches.size() > limit || m_image.fittedLines.size() > limit ||
        static_cast<size_t>(m_doc->m_graphList.GetCount()) > limit) {
        LogSaveError("CVarnelFile::SaveWithVideo",
                     path + ": the project holds more items than the file can count");
        return SaveResult::failed;
    }
    for (int i = 0; i < m_doc->m_graphList.GetCount(); ++i)
        m_image.graphs.push_back(m_doc->m_graphList.GetAt(i));
    const CSettings& s = *m_doc->GetSettings();
    const LONG modes[5] = {s.m_dataMapMode, s.m_graphMode, s.m_tableMode, s.m_videoMode,
                           s.m_workbookMode};
    std::copy(std::begin(modes), std::end(modes), m_image.displayModes);
    m_image.scrollRun = m_doc->m_scrollRun ? 1 : 0;

    const SaveResult result = Save(path, previousFolder, copyVideos);
    if (result != SaveResult::written) return result;
    for (const auto& [from, to] : m_image.videoNames)
        list.RenameVideoFile(CString(from), to);
    return SaveResult::written;
}

bool CVarnelFile::Open(const CString& path) {
    return Load(path) && (!m_doc || ApplyToDocument());
}

bool CVarnelFile::ApplyToDocument() {
    CVarnelDoc& doc = *m_doc;
    CDataTreeView* tree = doc.GetDataTreeView();
    if (!tree) return false;
    doc.ClearProject(false);
    CDataTreeBrench* fit = doc.m_dataList.FindById(tree->m_fitGroupId);

    std::map<const CDataTreeBrench*, CDataTreeBrench*> taken;
    std::map<DWORD, DWORD> ids;
    CDataTreeBrench* experiment = nullptr;
    for (ProjectContents::Branch& b : m_contents.branches) {
        CDataTreeBrench& r = *b.node;
        CDataTreeBrench* node = nullptr;
        if (r.IsExperiment()) {
            node = experiment = doc.AddDataGroup(r.m_name);
            if (node) node->m_experimentTexts = r.m_experimentTexts;
        } else {
            node = doc.AddDataBranch(
                b.fittedLine ? fit : experiment, std::move(r.m_x), std::move(r.m_y), r.m_name,
                r.m_rateCode, r.m_unit, r.m_startTime, r.m_originCode, r.m_secondValue,
                r.m_identityValue, r.m_videoFile, r.m_inputKind, -9999999.0, 9999999.0);
            if (node) {
                node->m_colour = r.m_colour;
                node->m_rangeMin = r.m_rangeMin;
                node->m_rangeMax = r.m_rangeMax;
                node->m_comment = r.m_comment;
                node->m_sensorId = r.m_sensorId;
                node->m_modelCode = r.m_modelCode;
                node->m_annotations = r.m_annotations;
                node->m_derived = r.m_derived;
                node->m_originCode = r.m_originCode;
                node->m_videoUnsaved = r.m_videoUnsaved;
                if (!r.m_videoFile.IsEmpty())
                    tree->SetItemImage(node->m_id, CDataTreeView::kVideoDataSetImage);
            }
        }
        if (!node) {
            qCWarning(lcDoc) << "the project could not be taken whole";
            return false;
        }
        taken[&r] = node;
        ids[r.m_id] = node->m_id;
    }
    for (ProjectContents::Branch& b : m_contents.branches) {
        const CDataTreeBrench& r = *b.node;
        CDataTreeBrench* node = taken[&r];
        // The read node's arrays are the document's now: ask the document's node.
        if (node->IsExperiment()) continue;
        node->m_linkCount = r.m_linkCount;
        for (int i = 0; i < r.m_linkCount; ++i)
            node->m_links[i] = ids[r.m_links[i]];
    }
    auto mapped = [&](CDataTreeBrench* d) -> CDataTreeBrench* {
        const auto it = taken.find(d);
        return it == taken.end() ? nullptr : it->second;
    };
    for (const CGraphTreeBrench& g : m_contents.graphs) {
        CGraphTreeBrench copy = g;
        copy.m_item = doc.m_graphList.NewItem();
        copy.m_shown = 0;
        for (PlotRecordStruct& r : copy.m_plots)
            r.dataSet = mapped(r.dataSet);
        copy.m_xAxis.dataSet = mapped(copy.m_xAxis.dataSet);
        tree->AddGraphItem(copy.m_item, copy.m_name, copy.m_yVsX);
        doc.m_graphList.AddGraph(copy);
    }

    CSettings& s = *doc.GetSettings();
    if (m_contents.hasDisplayModes) {
        LONG* const fields[5] = {&s.m_dataMapMode, &s.m_graphMode, &s.m_tableMode, &s.m_videoMode,
                                 &s.m_workbookMode};
        for (int i = 0; i < 5; ++i) {
            const LONG mode = m_contents.displayModes[i];
            *fields[i] = mode >= 0 && mode <= 4 ? mode : 0;
        }
        doc.SetScrollRun(m_contents.scrollRun != 0, 0);
    }
    if (s.m_meterMode > 0) {
        s.m_meterMode = 0;
        s.m_clockMode = 0;
        doc.ShowMeterWindow(false, 3);
    }
    if (s.m_workbookMode > 0) {
        s.m_workbookMode = 0;
        s.m_graphMode = 3;
        if (s.m_meterMode == 1) {
            s.m_tableMode = 1;
            s.m_meterMode = 0;
        }
    }
    if (s.m_graphMode == 4) s.m_graphMode = 0;
    if (s.m_tableMode == 4) s.m_tableMode = 0;
    if (s.m_videoHidden) {
        s.m_videoMode = 0;
        s.m_tableMode = 1;
    }
    if (s.m_tableMode != 3) s.m_graphMode = 3;
    doc.ApplyUserInterfaceMode(s.m_interfaceLevel, 2, 1);
    doc.ApplyDisplayModes();
    tree->Expand(tree->GetDataRoot());
    tree->Expand(tree->GetGraphRoot());
    tree->Expand(tree->FindExperimentItem(tree->m_fitGroupId));
    return true;
}
