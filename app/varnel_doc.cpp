// The document: its making and unmaking, the view finders, frame placement and the project's
// experiments and data sets.

#include "app/varnel_doc.h"

#include <QDir>

#include "RES/commands.h"
#include "app/data_tree_view.h"
#include "app/main_frame.h"
#include "app/message_dialog.h"
#include "app/varnel_doc_analysis.h"
#include "displays/clock/clock_view.h"
#include "displays/graph/graph_frame.h"
#include "displays/graph/graph_view.h"
#include "displays/meter/meter_view.h"
#include "displays/table/table_view.h"
#include "experiment/comm_view.h"
#include "experiment/fetch_progress_dialog.h"
#include "experiment/html_doc_view.h"
#include "experiment/setup_view.h"
#include "logger/dorvik.h"
#include "logger/helpers.h"
#include "logger/serial_port.h"
#include "logger/settings.h"
#include "platform/msg/message_loop.h"
#include "platform/msg/standard_ids.h"
#include "platform/ui/styles.h"
#include "video/video_view.h"

int CVarnelDoc::s_experimentCounter = 1;
BYTE CVarnelDoc::s_lastModel = 0;

IMPLEMENT_DYNCREATE(CVarnelDoc, CDocument)
BEGIN_MESSAGE_MAP(CVarnelDoc, CDocument)
ON_COMMAND(ID_LOGGER_RUN, OnLoggerRun)
ON_COMMAND(ID_TOOLBAR_RUN, OnLoggerRun)
ON_COMMAND(ID_LOGGER_SEND_SETUP, OnLoggerSendSetup)
ON_COMMAND(ID_TOOLBAR_SEND_SETUP, OnLoggerSendSetup)
ON_COMMAND(ID_LOGGER_DOWNLOAD, OnLoggerDownload)
ON_COMMAND(ID_EXTERNAL_SENSOR_1, OnExternalSensor1)
ON_COMMAND(ID_EXTERNAL_SENSOR_2, OnExternalSensor2)
ON_COMMAND(ID_TOOLBAR_DOWNLOAD, OnLoggerDownload)
ON_COMMAND(ID_LOGGER_STOP, OnLoggerStop)
ON_COMMAND(ID_TOOLBAR_STOP, OnLoggerStop)
ON_COMMAND(ID_TOOLBAR_CONNECT, OnConnectToDorvik)
ON_COMMAND(ID_SENSOR_COLOR_SETTINGS, OnSensorColorSettings)
ON_COMMAND(ID_NEW_PROJECT, OnNewProject)
ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
ON_COMMAND(ID_FILE_SAVE, OnFileSave)
ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
ON_COMMAND(ID_USER_INTERFACE_SETTINGS, OnUserInterfaceSettings)
ON_COMMAND(ID_MODE_SINGLE, OnModeSingle)
ON_COMMAND(ID_MODE_REPLACE, OnModeReplace)
ON_COMMAND(ID_MODE_ADD, OnModeAdd)
ON_COMMAND(ID_DROP_SINGLE, OnModeSingle)
ON_COMMAND(ID_DROP_REPLACE, OnModeReplace)
ON_COMMAND(ID_DROP_ADD, OnModeAdd)
ON_COMMAND(ID_COMM_SETUP, OnCommSetup)
ON_COMMAND(ID_UNIT_SETTINGS, OnUnitSettings)
ON_COMMAND(ID_GRAPH_TITLE, OnGraphTitle)
ON_COMMAND(ID_USER_DATA_PATH, OnUserDataPath)
ON_COMMAND(ID_SAMPLE_EXPERIMENT, OpenSampleExperiment)
ON_COMMAND(ID_GRAPH_PROPERTIES, OnGraphProperties)
ON_COMMAND(ID_GRAPH_VIEW_PROPERTIES, OnGraphViewProperties)
ON_COMMAND(ID_GRAPH_SCROLL_RUN, OnScrollRun)
ON_COMMAND(ID_HELP_DORVIK, OnHelpDorvik)
ON_COMMAND(ID_HELP_DORVIK_QK, OnHelpDorvikQK)
ON_COMMAND(ID_VIDEO_PROPERTIES, OnVideoProperties)
ON_COMMAND(ID_VIDEO_ENABLE, OnEnableVideo)
ON_COMMAND(ID_VIDEO_RECORD, OnVideoRecord)
ON_COMMAND(ID_VIDEO_STOP, OnVideoStop)
ON_COMMAND(ID_VIDEO_PLAY, OnVideoPlay)
ON_COMMAND(ID_VIDEO_PAUSE, OnVideoPause)
ON_COMMAND(ID_SELECT_VIDEO_DEVICE, OnSelectVideoDevice)
ON_COMMAND(ID_SPARE_TOGGLE, OnSpareToggle)
ON_COMMAND(ID_NOTHING_4793, OnNothing)
ON_UPDATE_COMMAND_UI(ID_WORKBOOK_COPY, OnUpdateWorkbookCopy)
ON_COMMAND(ID_LOGGER_SETUP, OnLoggerSetup)
ON_COMMAND(ID_TIMING_TB, OnLoggerSetup)
ON_COMMAND(ID_TIMING_WIZARD, OnTimingWizard)
ON_COMMAND(ID_SINGLE_AXIS, OnSingleAxis)
ON_COMMAND(ID_GRAPH_AUTOSCALE, OnGraphAutoscale)
ON_COMMAND(ID_GRAPH_ADD_TO_PROJECT, OnGraphAddToProject)
ON_COMMAND(ID_PLAYBACK_PLAY, OnPlaybackPlay)
ON_COMMAND(ID_PLAYBACK_STOP, OnPlaybackStop)
ON_COMMAND(ID_PLAYBACK_PAUSE, OnPlaybackPause)
ON_COMMAND(ID_PLAYBACK_RECORD, OnPlaybackRecord)
ON_COMMAND(ID_GRAPH_PAUSE, OnGraphPause)
ON_COMMAND(ID_GRAPH_PREDICTION, OnGraphPrediction)
ON_COMMAND(ID_GRAPH_ZOOM, OnGraphZoom)
ON_COMMAND(ID_GRAPH_PAN, OnGraphPan)
ON_COMMAND(ID_GRAPH_CROP, OnGraphCrop)
ON_COMMAND(ID_SLOPE, OnGraphSlope)
ON_COMMAND(ID_AREA, OnGraphArea)
ON_COMMAND(ID_AREA_TB, OnGraphArea)
ON_COMMAND(ID_STATISTICS, OnGraphStatistics)
ON_COMMAND(ID_STATISTICS_TB, OnGraphStatistics)
ON_COMMAND(ID_SHOW_ANNOTATIONS, OnShowAnnotations)
ON_COMMAND(ID_ADD_ANNOTATION, OnAddAnnotation)
ON_COMMAND(ID_MOVE_ANNOTATIONS, OnMoveAnnotations)
ON_COMMAND(ID_EDIT_ANNOTATION_CAPTION, OnEditAnnotationCaption)
ON_COMMAND(ID_DELETE_ANNOTATION, OnDeleteAnnotation)
ON_COMMAND(ID_GRAPH_TB, OnDisplayGraph)
ON_COMMAND(ID_VIEW_GRAPH, OnDisplayGraph)
ON_COMMAND(ID_METERS_TB, OnDisplayMeters)
ON_COMMAND(ID_VIEW_METERS, OnDisplayMeters)
ON_COMMAND(ID_TABLE_TB, OnDisplayTable)
ON_COMMAND(ID_VIEW_TABLE, OnDisplayTable)
ON_COMMAND(ID_DISPLAY_WORKBOOK_TB, OnDisplayWorkbook)
ON_COMMAND(ID_VIEW_WORKBOOK, OnDisplayWorkbook)
ON_COMMAND(ID_VIDEO_MAIN_TB, OnDisplayVideoMain)
ON_COMMAND(ID_VIEW_VIDEO_MAIN, OnDisplayVideoMain)
ON_COMMAND(ID_DATA_MAP_TB, OnDisplayDataMap)
ON_COMMAND(ID_VIEW_DATA_MAP, OnDisplayDataMap)
ON_COMMAND(ID_VIEW_VIDEO, ToggleVideoWindow)
ON_COMMAND(ID_TABLE_EDIT_DATA, OnTableEditData)
ON_COMMAND(ID_TABLE_COPY, OnTableCopy)
ON_COMMAND(ID_TABLE_PASTE, OnTablePaste)
ON_COMMAND(ID_TABLE_CUT, OnTableCut)
ON_COMMAND(ID_TABLE_EXPORT, OnTableExport)
ON_COMMAND(ID_LINEAR_FIT, OnLinearFit)
ON_COMMAND(ID_IMPORT_CSV, OnImportCsv)
ON_COMMAND(ID_EXPORT_FILE_SETTINGS, OnExportFileSettings)
ON_COMMAND(ID_GRAPH_EXPORT, OnGraphExport)
ON_COMMAND(ID_GRAPH_COPY, OnGraphCopy)
ON_COMMAND(ID_FILE_PRINT, OnFilePrint)
ON_COMMAND(ID_PRINT_TB, OnFilePrint)
ON_COMMAND(ID_LAUNCH_SETTINGS, OnLaunchSettingsBasic)
ON_COMMAND(ID_LAUNCH_SETTINGS_QK, OnLaunchSettingsQK)
ON_COMMAND(ID_WORKBOOK_OPEN_TB, OnOpenWorksheetTb)
ON_COMMAND(ID_OPEN_WORKSHEET, OnOpenWorksheet)
ON_COMMAND(ID_WORKBOOK_SPLIT_TB, OnWorkbookSplitView)
ON_COMMAND(ID_WORKBOOK_SPLIT_VIEW, OnWorkbookSplitView)
ON_COMMAND(ID_WORKBOOK_PRINT, OnWorkbookPrint)
ON_COMMAND(ID_WORKBOOK_COPY, OnWorkbookCopy)
ON_COMMAND(ID_WORKBOOK_PASTE, OnWorkbookPaste)
ON_COMMAND(ID_WORKBOOK_LAUNCH_TB, OnWorkbookLaunch)
ON_COMMAND(ID_WORKBOOK_LAUNCH, OnWorkbookLaunch)
ON_COMMAND(ID_WORKBOOK_NEW_TEXT_TB, OnNewTextDocument)
ON_COMMAND(ID_WORKBOOK_NEW_TEXT, OnNewTextDocument)
ON_COMMAND(ID_WORKBOOK_OPEN_TEXT_TB, OnOpenTextDocument)
ON_COMMAND(ID_WORKBOOK_OPEN_TEXT, OnOpenTextDocument)
ON_COMMAND(ID_WORKBOOK_SAVE_TEXT_TB, OnSaveTextDocument)
ON_COMMAND(ID_WORKBOOK_SAVE_TEXT, OnSaveTextDocument)
ON_COMMAND(ID_WORKBOOK_PRINT_TEXT, OnPrintText)
END_MESSAGE_MAP()

void CVarnelDoc::OnTableEditData() {
    if (m_tableView) m_tableView->OnEditDataCommand();
}

void CVarnelDoc::OnTableCopy() {
    if (m_tableView) m_tableView->OnEditCopy();
}

void CVarnelDoc::OnTablePaste() {
    if (m_tableView) m_tableView->OnEditPaste();
}

void CVarnelDoc::OnTableCut() {
    if (m_tableView) m_tableView->OnEditCut();
}

void CVarnelDoc::OnTableExport() {
    if (m_tableView) m_tableView->OnExportToExcel();
}

void CVarnelDoc::OnGraphExport() {
    if (CGraphView* graph = GetGraphView()) graph->OnExportToExcel();
}

void CVarnelDoc::OnGraphCopy() {
    if (CGraphView* graph = GetGraphView()) graph->CopyToClipboard();
}

void CVarnelDoc::OnLinearFit() {
    RunAnalysisFunction(this, kAnalysisLinearFit);
}

CVarnelDoc::CVarnelDoc(const LoggerFactory& makeLogger)
    : m_settings(std::make_unique<CSettings>()),
      m_logger(makeLogger ? makeLogger(m_settings.get())
                          : std::make_unique<CDorvik>(m_settings.get())) {
    m_listSeparator = ",";
    m_decimalSymbol = ".";
    ReadLocaleSeparators();
    QDir().mkpath(QString::fromStdString((GetDataRoot() + "Workbook").str()));
    m_startupPath.Empty();
    m_timingMode = 0;
    // The menu starts with the basic logger's items.
    s_lastModel = 0;
}

// The settings are saved on each change and at shut-down, never here.
CVarnelDoc::~CVarnelDoc() = default;

void CVarnelDoc::SetMainFrame(CMainFrame* frame) {
    m_mainFrame = frame;
    // The document is made before the frame: the video items it enables wait for the link.
    if (frame) {
        frame->SetCommandEnabled(ID_VIDEO_PROPERTIES, TRUE);
        frame->SetCommandEnabled(ID_VIDEO_ENABLE, TRUE);
    }
}

CMainFrame* CVarnelDoc::MainFrame() const {
    return m_mainFrame ? m_mainFrame : dynamic_cast<CMainFrame*>(AfxGetMainWnd());
}

void CVarnelDoc::PostUserMessage(const CString& text) {
    platform::MessageLoop::Current().Post([text] { ShowMessage(text, 0); });
}

// ---- views

template <class T>
T* CVarnelDoc::FindView() const {
    for (CView* view : GetViews())
        if (auto* found = dynamic_cast<T*>(view)) return found;
    return nullptr;
}

CGraphView* CVarnelDoc::GetGraphView() const {
    CGraphView* view = FindView<CGraphView>();
    return view ? view : m_graphView;
}

CSetupView* CVarnelDoc::GetSetupView() const {
    CSetupView* view = FindView<CSetupView>();
    return view ? view : m_setupView;
}

CCommView* CVarnelDoc::GetCommView() const {
    return FindView<CCommView>();
}

CDataTreeView* CVarnelDoc::GetDataTreeView() const {
    CDataTreeView* view = FindView<CDataTreeView>();
    return view ? view : m_dataTreeView;
}

void CVarnelDoc::PlaceFrame(CView* view, int x, int y, int cx, int cy, bool show) {
    if (!view || !view->GetSafeHwnd()) return;
    CFrameWnd* frame = view->GetParentFrame();
    if (!frame) return;
    frame->SetWindowPos(&CWnd::wndTop, x, y, cx, cy, SWP_FRAMECHANGED);
    if (show) frame->ShowWindow(SW_SHOW);
}

void CVarnelDoc::PlaceGraphFrame(int x, int y, int cx, int cy) {
    PlaceFrame(GetGraphView(), x, y, cx, cy, false);
}

void CVarnelDoc::PlaceSetupFrame(int x, int y, int cx, int cy) {
    CSetupView* view = GetSetupView();
    if (view && view->m_ready) PlaceFrame(view, x, y, cx, cy, false);
}

void CVarnelDoc::PlaceClockFrame(int x, int y, int cx, int cy) {
    PlaceFrame(m_clockView, x, y, cx, cy, false);
}
void CVarnelDoc::PlaceMeterFrame(int x, int y, int cx, int cy) {
    PlaceFrame(m_meterView, x, y, cx, cy, false);
}
void CVarnelDoc::PlaceTableFrame(int x, int y, int cx, int cy) {
    PlaceFrame(m_tableView, x, y, cx, cy, false);
}
void CVarnelDoc::PlaceWorkbookFrame(int x, int y, int cx, int cy) {
    PlaceFrame(m_htmlDocView, x, y, cx, cy, false);
}
void CVarnelDoc::PlaceVideoFrame(int x, int y, int cx, int cy) {
    PlaceFrame(m_videoView, x, y, cx, cy, false);
}

void CVarnelDoc::PlaceDataMapFrame(int x, int y, int cx, int cy) {
    PlaceFrame(m_dataTreeView, x, y, cx, cy, true);
}

void CVarnelDoc::ShowGraphDataSetsInTable() {
    const CGraphView* graph = GetGraphView();
    if (!graph || !m_tableView) return;
    std::vector<CDataTreeBrench*> plotted;
    for (int p = 0; p < graph->m_plotCount && p < CGraphView::kMaxPlots; ++p)
        if (CDataTreeBrench* set = graph->m_plots[p].dataSet; set && !set->IsExperiment())
            plotted.push_back(set);
    m_tableView->ShowDataSets(plotted);
}

// ---- the project

bool CVarnelDoc::ClearProject(bool ask) {
    if (ask && m_modified) {
        const BYTE answer = ShowMessage(kDataChangedText, 3);
        if (answer == IDCANCEL) return false;
        if (answer == IDYES && !SaveProject(false)) return false;
    }
    if (CGraphView* graph = GetGraphView()) {
        if (graph->m_predictMode) graph->TogglePredictMode();
        graph->RefreshGraph(TRUE);
        graph->m_currentGraph = nullptr;
        graph->m_graphState = 4;
        graph->SetGraphTitle("");
    }
    m_graphList.RemoveAll();
    if (m_tableView) m_tableView->SetupGrid(RateInfo(64));
    // Nothing may point into the lists once they are empty.
    std::fill(std::begin(m_currentRun), std::end(m_currentRun), nullptr);
    m_currentRunCount = 0;
    m_currentDownload = nullptr;
    m_dataList.RemoveAll();
    if (CDataTreeView* tree = GetDataTreeView()) {
        tree->ClearTree();
        tree->BuildTree();
        AddFitGroup();
        m_modified = 0;
    }
    m_title.Empty();
    m_path.Empty();
    SetTitle("");
    if (CVideoView* video = GetVideoView()) video->DeleteTempVideoFiles();
    m_logger->SetReportedRateCode(255);
    m_sampleExperiment = 0;
    return true;
}

CDataTreeBrench* CVarnelDoc::AddDataGroup(const CString& name) {
    CDataTreeView* tree = GetDataTreeView();
    if (!tree) return nullptr;
    HTREEITEM item = tree->AddProjectItem(name);
    if (!item) return nullptr;
    tree->Invalidate();
    tree->UpdateWindow();
    CDataTreeBrench* experiment = m_dataList.AddExperiment(name);
    tree->BindExperimentItem(experiment->m_id, item);
    m_modified = 1;
    return experiment;
}

CDataTreeBrench* CVarnelDoc::AddDataBranch(CDataTreeBrench* experiment, CDataArrayPtr&& x,
                                           CDataArrayPtr&& y, const CString& name, WORD rateCode,
                                           const CString& unit, const CPreciseDateTime& startTime,
                                           LONG value1, LONG value2, WORD videoQuality,
                                           const CString& videoFile, WORD sensorIndex,
                                           double rangeMinimum, double rangeMaximum) {
    CDataTreeView* tree = GetDataTreeView();
    if (!tree || !experiment || !m_dataList.FindById(experiment->m_id)) return nullptr;
    HTREEITEM item = tree->AddDataSetItem(tree->FindExperimentItem(experiment->m_id), name);
    if (!item) return nullptr;
    double low = 9999999.0;
    double high = -9999999.0;
    if (sensorIndex != 255) {
        low = rangeMinimum + 0.35 * (rangeMaximum - rangeMinimum);
        high = rangeMinimum + 0.65 * (rangeMaximum - rangeMinimum);
    }
    CDataTreeBrench* dataSet =
        m_dataList.InsertDataSet(experiment->m_id, std::move(x), std::move(y), name, rateCode, unit,
                                 startTime, static_cast<WORD>(value1), static_cast<SHORT>(value2),
                                 videoQuality, videoFile, low, high, sensorIndex);
    if (!dataSet) {
        tree->DeleteItem(item);
        return nullptr;
    }
    tree->BindDataSetItem(dataSet->m_id, item);
    m_modified = 1;
    return dataSet;
}

void CVarnelDoc::AddFitGroup() {
    CDataTreeBrench* group = AddDataGroup("Linear fit");
    if (CDataTreeView* tree = GetDataTreeView()) tree->m_fitGroupId = group ? group->m_id : 0;
}

void CVarnelDoc::EnableVideoPlay(BOOL on) {
    if (CGraphView* graph = GetGraphView()) graph->SetPlayEnabled(on);
    if (CMainFrame* frame = MainFrame()) frame->SetCommandEnabled(ID_VIDEO_PLAY, on);
}

void CVarnelDoc::EnableVideoPause(BOOL on) {
    if (CGraphView* graph = GetGraphView()) graph->SetPauseEnabled(on);
    if (CMainFrame* frame = MainFrame()) frame->SetCommandEnabled(ID_VIDEO_PAUSE, on);
}

void CVarnelDoc::EnableVideoStop(BOOL on) {
    if (CGraphView* graph = GetGraphView()) graph->SetStopEnabled(on);
    if (CMainFrame* frame = MainFrame()) frame->SetCommandEnabled(ID_VIDEO_STOP, on);
}

void CVarnelDoc::EnableVideoRecord(BOOL on) {
    if (CGraphView* graph = GetGraphView()) graph->SetRecordEnabled(on);
    if (CMainFrame* frame = MainFrame()) frame->SetCommandEnabled(ID_VIDEO_RECORD, on);
}
