// The document's remaining commands: recording mode, the settings dialogs, scroll run, help, the
// video commands, and the commands it only passes on to a view.

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <iterator>

#include "RES/commands.h"
#include "app/com_setup.h"
#include "app/main_frame.h"
#include "app/option_dialogs.h"
#include "app/storage_path_dialog.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "displays/meter/meter_view.h"
#include "displays/table/table_view.h"
#include "experiment/html_doc_view.h"
#include "logger/dorvik.h"
#include "logger/helpers.h"
#include "logger/settings.h"
#include "platform/base/log.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/shell.h"
#include "video/video_quality.h"
#include "video/video_view.h"

namespace {

void SaveSettings(const CSettings& settings) {
    if (!settings.Save()) qCWarning(lcDoc, "the settings could not be saved");
}

}  // namespace

// ---- recording mode

void CVarnelDoc::OnRecordingMode(BYTE mode) {
    // The menu's check marks follow the mode through their update rules.
    m_settings->m_recordingMode = mode;
}

void CVarnelDoc::SetRecordingMode(WORD mode) {
    if (mode <= 2) OnRecordingMode(static_cast<BYTE>(mode));
}

// ---- settings commands

void CVarnelDoc::OnCommSetup() {
    CComSetup dialog(MainFrame());
    dialog.DoModal();
}

void CVarnelDoc::OnUnitSettings() {
    CUnitSettingsDialog dialog(MainFrame());
    dialog.SetUnits(m_settings->m_temperatureUnit, m_settings->m_pressureUnit);
    if (dialog.DoModal() != IDOK) return;
    dialog.GetUnits(m_settings->m_temperatureUnit, m_settings->m_pressureUnit);
    SaveSettings(*m_settings);
    if (CGraphView* graph = GetGraphView()) graph->UpdateAxisCaptions(-1);
    if (m_meterView && m_settings->m_meterMode != 0) m_meterView->ApplyUnitSettings();
    if (m_tableView) m_tableView->ApplyUnitSettings();
}

void CVarnelDoc::OnGraphTitle() {
    CGraphView* graph = GetGraphView();
    if (!graph) return;
    CGraphTitleDialog dialog(MainFrame());
    dialog.SetTitle(graph->GetGraph().GetCaption());
    if (dialog.DoModal() == IDOK) graph->SetGraphTitle(dialog.GetTitle());
}

// ---- scroll run

void CVarnelDoc::SetScrollRun(BOOL on, BOOL) {
    m_scrollRun = on ? TRUE : FALSE;
    if (CMainFrame* frame = MainFrame()) frame->m_scrollRunOn = m_scrollRun;
}

void CVarnelDoc::OnScrollRun() {
    SetScrollRun(!m_scrollRun);
}

// ---- help

void CVarnelDoc::OpenHelp(const char* fileName) {
    const CString folder = GetExeFolder();
    CGraphView* graph = GetGraphView();
    const auto result =
        reinterpret_cast<INT_PTR>(ShellExecute(graph ? graph->GetSafeHwnd() : nullptr, "open",
                                               folder + fileName, nullptr, folder, SW_SHOWNORMAL));
    if (result > 32) return;
    // No help viewer comes with the desktop here: the user is told what is missing.
    if (result == SE_ERR_FNF) {
        ShowMessage(CString::Formatted("The help file \"%s\" is not installed in %s.", fileName,
                                       folder.GetString()),
                    0);
    } else {
        const QString type = QMimeDatabase().mimeTypeForFile(QString(fileName)).name();
        ShowMessage(
            CString::Formatted("No program to show help files (%s) is installed, for example xchm.",
                               type.toUtf8().constData()),
            0);
    }
}

// ---- external sensors and worksheets

void CVarnelDoc::GetExternalSensorName(CString& name, WORD index) {
    static constexpr const char* kNames[] = {"Conductivity",
                                             "Current ±2.5",
                                             "Current ±250",
                                             "Heart rate",
                                             "Light 0 - 130",
                                             "Oxygen",
                                             "pH",
                                             "Ext. Humidity",
                                             "Spirometer ±315",
                                             "Temperature -10 - 110",
                                             "Temperature 0 - 1250",
                                             "Voltage ±2.5",
                                             "Voltage ±25",
                                             "Distance",
                                             "Turbidity",
                                             "Colorimeter",
                                             "Temperature -10 - 50",
                                             "Light 0 - 300",
                                             "Pressure 0 - 10",
                                             "Pressure 0 - 700"};
    name = index < std::size(kNames) ? CString(kNames[index]) : CString();
}

// ---- video

void CVarnelDoc::OnVideoProperties() {
    if (!m_videoView) return;
    CVideoQuality dialog(MainFrame());
    dialog.SetCode(m_videoView->GetQualityCode());
    if (dialog.DoModal() == IDOK) m_videoView->SetQualityCode(dialog.GetCode());
}

void CVarnelDoc::OnEnableVideo() {
    if (m_videoView) m_videoView->InitVideoDevice(1);
}

void CVarnelDoc::SetVideoToggleCaption(BOOL enable) {
    if (CMainFrame* frame = MainFrame())
        frame->m_videoToggleCaption = enable ? "Enable video" : "Disable video";
}

void CVarnelDoc::StartGraphReplay() {
    if (CGraphView* graph = GetGraphView()) graph->StartPlaybackTimer();
}

void CVarnelDoc::StopGraphReplay() {
    if (CGraphView* graph = GetGraphView()) graph->EndPlayback();
}

void CVarnelDoc::PauseGraphReplay() {
    if (CGraphView* graph = GetGraphView()) graph->StopPlaybackTimer();
}

// ---- small commands

void CVarnelDoc::OnSpareToggle() {
    m_spareToggle = m_spareToggle ? 0 : 1;
    if (CMainFrame* frame = MainFrame(); frame && frame->GetSafeHwnd()) frame->RecalcLayout();
}

void CVarnelDoc::OnUpdateWorkbookCopy(CCmdUI* ui) {
    ui->Enable(m_htmlDocView && m_htmlDocView->CanCopy());
}

// ---- forwarders: without its view, a command does nothing

void CVarnelDoc::OnSingleAxis() {
    if (CGraphView* graph = GetGraphView()) graph->ToggleSingleAxisMode();
}

void CVarnelDoc::OnGraphAutoscale() {
    if (CGraphView* graph = GetGraphView()) graph->OnAutoscale();
}

void CVarnelDoc::OnGraphAddToProject() {
    if (CGraphView* graph = GetGraphView()) graph->OnAddGraphToProject();
}

void CVarnelDoc::OnPlaybackPlay() {
    if (CGraphView* graph = GetGraphView()) graph->OnPlaybackPlay();
}

void CVarnelDoc::OnPlaybackStop() {
    if (CGraphView* graph = GetGraphView()) graph->OnPlaybackStop();
}

void CVarnelDoc::OnPlaybackPause() {
    if (CGraphView* graph = GetGraphView()) graph->OnPlaybackPause();
}

void CVarnelDoc::OnPlaybackRecord() {
    if (CGraphView* graph = GetGraphView()) graph->OnPlaybackRecord();
}

void CVarnelDoc::OnGraphPause() {
    if (CGraphView* graph = GetGraphView()) graph->OnPauseContinue();
}

void CVarnelDoc::OnGraphPrediction() {
    if (CGraphView* graph = GetGraphView()) graph->OnAddPrediction();
}

// ---- data path and sample experiments

void CVarnelDoc::OnUserDataPath() {
    const CString stored = GetInstallPath();
    // Without a stored path the data lives in the data root, which the dialog shows.
    CString current = stored;
    if (current.IsEmpty()) {
        current = GetDataRoot();
        if (current.GetLength() > 1 && current[current.GetLength() - 1] == '/')
            current = current.Left(current.GetLength() - 1);
    }
    CStoragePathDialog dialog(MainFrame());
    dialog.SetPath(current);
    if (dialog.DoModal() != IDOK) return;
    const CString path = dialog.GetPath();
    if (path == current) return;
    SetInstallPath(path);
    // The project goes with the old root; kept, the old root stays the data root.
    if (!ClearProject(true)) {
        SetInstallPath(stored);
        return;
    }
    MoveDataFiles(current, path);
    const CString root = GetDataRoot();
    for (const char* folder : {"Varnel Data", "Workbook", "Temp Data"})
        if (!QDir().mkpath((root + folder).ToQString()))
            qCWarning(lcDoc, "%s could not be made", qPrintable((root + folder).ToQString()));
    m_settings->m_filePath = root + "Settings.vns";
    SaveSettings(*m_settings);
}

void CVarnelDoc::OpenSampleExperiment() {
    if (!ReadyToOpenProject()) return;
    CString folder = GetExeFolder() + "Sample experiments/";
    if (!QDir().mkpath(folder.ToQString())) {
        qCWarning(lcDoc, "no sample folder in %s", qPrintable(GetExeFolder().ToQString()));
        folder = GetExeFolder();
    }
    CFileDialog dialog(TRUE, ".vnp", folder + "*" + ".vnp", OFN_HIDEREADONLY,
                       "Varnel Files (*.vnp)|*.vnp|", MainFrame());
    if (dialog.DoModal() != IDOK) return;
    // The project is read before anything is cleared; one that cannot be read changes nothing.
    if (!OpenProject(dialog.GetPathName())) return;
    m_sampleExperiment = 1;
}

void CVarnelDoc::PromptWorksheetFile(CString& path) {
    // Worksheets live in the data root's workbook folder, which the document makes.
    CFileDialog dialog(TRUE, "htm;html;mht", GetDataRoot() + "Workbook/" + "*.htm;*.html;*.mht",
                       OFN_HIDEREADONLY, "Html files (*.htm;*.html;*.mht)|*.htm;*.html;*.mht|",
                       MainFrame());
    path = dialog.DoModal() == IDOK ? dialog.GetPathName() : CString();
}

// ---- graph properties

void CVarnelDoc::OnGraphProperties() {
    CGraphView* graph = GetGraphView();
    if (!graph || graph->m_plotCount < 1) return;
    graph->OpenFormatSheet(0);
}

void CVarnelDoc::OpenGraphProperties(int which) {
    if (which == 1) OnGraphProperties();
}
