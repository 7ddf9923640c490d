// The document's project commands: new, save, save as, the last project, open and the start-up
// project.

#include <QDir>
#include <QFileInfo>

#include "app/data_tree_view.h"
#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "logger/dorvik.h"
#include "logger/helpers.h"
#include "logger/settings.h"
#include "models/varnel_file.h"
#include "platform/ui/file_dialog.h"
#include "video/recording_video_view.h"
#include "video/video_view.h"

namespace {

CString FileNameOf(const CString& path) {
    return path.Mid(path.ReverseFind('/') + 1);
}

CString FolderOf(const CString& path) {
    return path.Left(path.ReverseFind('/') + 1);
}

}  // namespace

CString CVarnelDoc::GetProjectFolder() {
    return GetDataRoot() + "Varnel Data/";
}

void CVarnelDoc::SetStatusText(const CString& text) {
    if (CMainFrame* frame = MainFrame()) frame->SetMessageText(text);
}

void CVarnelDoc::OnNewProject() {
    if (m_runInProgress) {
        ShowMessage(kRunningText, 0);
        return;
    }
    m_launchPlots = 0;
    m_settings->m_recordingMode = 1;
    SetScrollRun(FALSE, 0);
    ClearProject(true);
}

bool CVarnelDoc::SaveProject(bool saveAs) {
    if (m_runInProgress) {
        ShowMessage(kRunningText, 0);
        return false;
    }
    const CString folder = GetProjectFolder();
    QDir().mkpath(folder.ToQString());
    const CPreciseDateTime now = m_now();

    // Taken only once a file is written: a cancelled or failed save leaves the name as it was.
    CString title = m_title;
    CString path = m_path;
    if (m_sampleExperiment) {
        saveAs = true;
        path = folder + title;
    }
    if (title.IsEmpty()) {
        title = CString::Formatted("%s %s%s", "Dorvik",
                                   now.FormatFileStamp(m_dateStyle).GetString(), ".vnp");
        path = folder + title;
        saveAs = true;
    }
    bool copyVideos = false;
    if (saveAs) {
        CFileDialog dialog(FALSE, ".vnp", path, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kFileFilter,
                           MainFrame());
        if (dialog.DoModal() != IDOK) return false;
        copyVideos = dialog.GetPathName() != m_path;
        path = dialog.GetPathName();
        title = dialog.GetFileName();
    }
    if (m_settings->m_interfaceLevel <= 1)
        if (CGraphView* graph = GetGraphView()) graph->OnAddGraphToProject();

    CVarnelFile file(this);
    switch (file.SaveWithVideo(path, m_folder, copyVideos)) {
        case CVarnelFile::SaveResult::nothingToWrite:
            SetStatusText(kNothingToSaveText);
            return true;
        case CVarnelFile::SaveResult::failed:
            SetStatusText(kCannotSaveText);
            m_title.Empty();
            ShowMessage(kCannotSaveText, 0);
            return false;
        case CVarnelFile::SaveResult::written:
            break;
    }
    SetStatusText(kFileSavedText);
    m_modified = 0;
    m_path = path;
    m_title = title;
    m_folder = FolderOf(path);
    SetTitle(m_title);
    if (saveAs) m_sampleExperiment = 0;
    return true;
}

bool CVarnelDoc::SaveLastProject() {
    if (m_dataList.GetCount() <= 1 || !m_modified) return true;
    const CString folder = GetProjectFolder();
    QDir().mkpath(folder.ToQString());
    const CString title = CString::Formatted("%s%s", "Last Project", ".vnp");
    const CString path = folder + title;
    CVarnelFile file(this);
    switch (file.SaveWithVideo(path, m_folder, false)) {
        case CVarnelFile::SaveResult::failed:
            return false;
        case CVarnelFile::SaveResult::nothingToWrite:
            return true;
        case CVarnelFile::SaveResult::written:
            break;
    }
    m_title = title;
    m_path = path;
    m_folder = folder;
    m_lastProjectSaved = 1;
    SetStatusText(kLastProjectSavedText);
    return true;
}

bool CVarnelDoc::ReadyToOpenProject() {
    if (m_runInProgress) {
        ShowMessage(kRunningText, 0);
        return false;
    }
    CGraphView* graph = GetGraphView();
    if (graph && graph->m_predictMode) {
        if (ShowMessage(kEndPredictText, 4) != IDYES) return false;
        graph->TogglePredictMode();
    }
    if (m_modified) {
        const BYTE answer = ShowMessage(kSaveBeforeOpenText, 3);
        if (answer == IDCANCEL) return false;
        // The open would drop the unsaved data: it goes on only once they are saved.
        if (answer == IDYES && !SaveProject(false)) return false;
    }
    return true;
}

void CVarnelDoc::OnFileOpen() {
    if (!ReadyToOpenProject()) return;
    const CString folder = GetProjectFolder();
    QDir().mkpath(folder.ToQString());
    CFileDialog dialog(TRUE, ".vnp", folder + "*" + ".vnp", OFN_HIDEREADONLY, kFileFilter,
                       MainFrame());
    if (dialog.DoModal() != IDOK) return;
    OpenProject(dialog.GetPathName());
}

bool CVarnelDoc::OpenProject(const CString& path) {
    CVarnelFile file(this);
    if (!file.Open(path)) {
        SetStatusText(kCannotOpenText);
        ShowMessage(kCannotOpenText, 0);
        return false;
    }
    m_path = path;
    m_title = FileNameOf(path);
    m_folder = FolderOf(path);
    SetTitle(m_title);
    // The rate of the first recorded data set: fitted lines stand in front of it.
    const CDataTreeView* tree = GetDataTreeView();
    for (int i = 0; i < m_dataList.GetCount(); ++i) {
        const CDataTreeBrench* node = m_dataList.GetAt(i);
        if (!node->IsExperiment() || (tree && node->m_id == tree->m_fitGroupId)) continue;
        if (const CDataTreeBrench* first = m_dataList.GetNextDataSet(node->m_id))
            m_logger->SetReportedRateCode(static_cast<BYTE>(first->m_rateCode));
        break;
    }
    bool shown = false;
    if (CGraphView* graph = GetGraphView()) {
        if (m_graphList.GetCount() > 0) {
            graph->ShowExperiment(m_graphList.GetAt(0)->m_item);
            shown = true;
        }
        if (!shown && m_settings->m_interfaceLevel <= 1 && tree)
            if (const CDataTreeBrench* last = tree->GetLastExperiment(m_dataList))
                graph->ShowTreeItemChildren(last->m_id);
    }
    m_modified = 0;
    SetStatusText(kFileOpenedText);
    return true;
}

void CVarnelDoc::OpenStartupProject() {
    if (m_startupPath.IsEmpty() || m_startupProjectOpened || !GetGraphView() || !GetDataTreeView())
        return;
    // The path stays, as the command line gave it; the project is opened once.
    m_startupProjectOpened = 1;
    OpenProject(CString(QFileInfo(m_startupPath.ToQString()).absoluteFilePath()));
}

// ---- experiments and data sets

void CVarnelDoc::GetCurrentRunVideoPath(CString& path) const {
    path.Empty();
    const CGraphView* graph = GetGraphView();
    if (!graph || graph->m_plotCount < 1 || !graph->m_plots[0].dataSet) return;
    const CDataTreeBrench& d = *graph->m_plots[0].dataSet;
    if (d.m_videoFile.IsEmpty()) return;
    path = d.m_videoUnsaved ? d.m_videoFile : m_folder + d.m_videoFile;
}

LONG CVarnelDoc::GetMaxSampleCount() const {
    if (!m_currentRun[0]) return 0;
    LONG most = 0;
    for (int i = 0; i < m_currentRunCount && i < kRunListSize; ++i)
        if (m_currentRun[i]) most = std::max<LONG>(most, m_currentRun[i]->GetYCount());
    return most;
}

void CVarnelDoc::AttachVideoToRuns() {
    if (!m_runInProgress || IsDownloadRun() || !m_logger->IsSetDownloadFinished() ||
        !GetVideoView())
        return;
    CRecordingVideoView* recorder = m_recordingVideoView;
    if (!recorder || !recorder->m_recording || m_currentRunCount == 0 || !m_currentRun[0]) return;
    const CString file = recorder->GetRecordedFileName();
    if (recorder->m_tiedToExperiment) {
        // The file belongs to the experiment tied first; the new runs keep no video.
        for (int i = 0; i < m_currentRunCount && i < kRunListSize; ++i)
            if (m_currentRun[i] && m_currentRun[i]->m_videoFile == file)
                m_currentRun[i]->m_videoFile.Empty();
        EndRecordingOfEarlierRun();
        return;
    }
    // The runs started during the recording name it already; others take it now.
    AttachVideoFileToRuns(file);
    recorder->m_tiedToExperiment = true;
    recorder->SendSyncMarker(1);
}

void CVarnelDoc::EndRecordingOfEarlierRun() {
    CRecordingVideoView* recorder = m_recordingVideoView;
    if (!m_videoView || !recorder || !recorder->m_recording || !recorder->m_tiedToExperiment)
        return;
    // Stopped while still tied, the file stays the earlier experiment's; the markers end with
    // its count.
    recorder->StopRecording(false);
    recorder->m_tiedToExperiment = false;
    m_videoView->m_recordingStartedHere = false;
    PostUserMessage(kTwoExperimentsText);
}

bool CVarnelDoc::AttachVideoFileToRuns(const CString& fileName) {
    if (m_currentRunCount == 0 || !m_currentRun[0] || fileName.IsEmpty() ||
        !m_currentRun[0]->m_videoFile.IsEmpty())
        return false;
    CDataTreeView* tree = GetDataTreeView();
    for (int i = 0; i < m_currentRunCount && i < kRunListSize; ++i) {
        CDataTreeBrench* d = m_currentRun[i];
        if (!d) continue;
        d->m_videoFile = fileName;
        d->m_videoUnsaved = 1;
        if (tree) tree->SetItemImage(d->m_id, CDataTreeView::kVideoDataSetImage);
    }
    return true;
}

CDataTreeBrench* CVarnelDoc::AddEditedData(const CString& name, WORD rateCode, const CString& unit,
                                           LONG value1, LONG value2) {
    CDataTreeBrench* group = m_dataList.FindByName("Edited Data");
    if (!group || !group->IsExperiment()) group = AddDataGroup("Edited Data");
    if (!group) return nullptr;
    return AddDataBranch(group, std::make_shared<CDataArray>(), std::make_shared<CDataArray>(),
                         name, rateCode, unit, m_now(), value1, value2, 0, "", 255, 9999999.0,
                         -9999999.0);
}
