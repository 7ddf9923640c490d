#pragma once
// CVarnelDoc: the program's one document. It owns the settings record, the logger object, the
// data sets and the saved graphs; every view and dialog reaches them through it. It starts the
// logger's commands, supervises the wait for the logger's answer, and turns what the logger
// reports into experiments, plots and columns.

#include <functional>
#include <memory>
#include <vector>

#include "logger/data_tree.h"
#include "models/graph_tree.h"
#include "platform/win/frame.h"

class CDorvik;
class CSettings;
class CGraphView;
class CDataTreeView;
class CMainFrame;
class CSetupView;
class CCommView;
class CMeterView;
class CHtmlDocView;
class CHtmlFormView;
class CTableView;
class CVideoView;
class CTextView;
class CClockView;
class CRecordingVideoView;
class CFetchProgressDialog;
class CMessageDialog;

class CVarnelDoc : public CDocument {
    DECLARE_DYNCREATE(CVarnelDoc)
public:
    using LoggerFactory = std::function<std::unique_ptr<CDorvik>(CSettings*)>;

    // Pending logger commands.
    static constexpr WORD kCommandRun = 1;
    static constexpr WORD kCommandLiveReadings = 3;
    static constexpr WORD kCommandDownload = 4;
    static constexpr WORD kCommandSendSetup = 21;
    static constexpr UINT kCommandTimerPeriod = 100;
    static constexpr UINT kLiveTimerPeriod = 200;
    // Unanswered ticks of the command timer before the command is given up.
    static constexpr short kGiveUpTicks = 20;
    static constexpr short kReconnectTick = 10;
    static constexpr int kRunListSize = 100;

    static constexpr const char* kRunningText =
        "Dorvik is running. You should stop the Dorvik before trying again";
    static constexpr const char* kNoSensorsText = "There are no sensors...";
    static constexpr const char* kRateChangedText =
        "Rate has changed. All data will be cleared. do you want to save it?";
    static constexpr const char* kDataChangedText = "Data has changed. Do You Want to save it ?";
    static constexpr const char* kCannotSaveText = "Can not save file";
    static constexpr const char* kExcelErrorText = "Error creating Excel file";
    static constexpr const char* kNoCsvProgramText =
        "No program on this computer opens CSV files.\nThe data were written to %s.";
    static constexpr const char* kConnectPhotogateText = "Please connect a Photogate";
    static constexpr const char* kConnectTwoPhotogatesText = "Please connect 2 Photogates";
    // Texts of ours.
    static constexpr const char* kNoAnswerText = "The Logger did not answer";
    static constexpr const char* kRunNotAddedText =
        "The run's data could not be added to the project";

    // Reads the settings file, then makes the logger object on them; `makeLogger` stands in for
    // it (tests). The logger is idle until its host window starts it.
    explicit CVarnelDoc(const LoggerFactory& makeLogger = {});
    ~CVarnelDoc() override;
    CVarnelDoc(const CVarnelDoc&) = delete;
    CVarnelDoc& operator=(const CVarnelDoc&) = delete;

    BOOL OnNewDocument() override { return CDocument::OnNewDocument(); }

    // Links the main frame, which enables Video properties and Enable Video.
    void SetMainFrame(CMainFrame* frame);
    CSettings* GetSettings() const { return m_settings.get(); }
    CDorvik* GetLogger() const { return m_logger.get(); }
    // The video file of the graph's current run, a saved copy resolved against the project
    // folder; empty without a graph view or a video.
    void GetCurrentRunVideoPath(CString& path) const;
    CString GetCurrentRunVideoPath() const {
        CString path;
        GetCurrentRunVideoPath(path);
        return path;
    }
    // The largest sample count of the current run; 0 without a run.
    LONG GetMaxSampleCount() const;
    // The last run begun was read from the logger's memory: it takes no video being recorded.
    bool IsDownloadRun() const;
    // A recording that starts during a run: its file goes to the run's data sets.
    void AttachVideoToRuns();
    // A run begun while the recording holds an earlier experiment: the recording stops, the user
    // is told, and the run goes on without video.
    void EndRecordingOfEarlierRun();
    // The run's data sets take the file unless the first one has a video already; true if so.
    bool AttachVideoFileToRuns(const CString& fileName);
    // An empty "Edited Data" data set, the experiment made on first use.
    CDataTreeBrench* AddEditedData(const CString& name, WORD rateCode, const CString& unit,
                                   LONG value1, LONG value2);

    // ---- the views: each finder gives the first view of its class bound to the document
    CGraphView* GetGraphView() const;
    CSetupView* GetSetupView() const;
    CClockView* GetClockView() const { return m_clockView; }
    CMeterView* GetMeterView() const { return m_meterView; }
    CHtmlDocView* GetHtmlDocView() const { return m_htmlDocView; }
    CVideoView* GetVideoView() const { return m_videoView; }
    CRecordingVideoView* GetRecordingVideoView() const { return m_recordingVideoView; }
    CCommView* GetCommView() const;
    CTableView* GetTableView() const { return m_tableView; }
    // The table's columns become the data sets the graph plots, in plot order.
    void ShowGraphDataSetsInTable();
    CDataTreeView* GetDataTreeView() const;

    // Frame placement, in the main frame's client coordinates; nothing before the view is ready.
    void PlaceGraphFrame(int x, int y, int cx, int cy);
    void PlaceSetupFrame(int x, int y, int cx, int cy);
    void PlaceClockFrame(int x, int y, int cx, int cy);
    void PlaceMeterFrame(int x, int y, int cx, int cy);
    void PlaceTableFrame(int x, int y, int cx, int cy);
    void PlaceWorkbookFrame(int x, int y, int cx, int cy);
    void PlaceDataMapFrame(int x, int y, int cx, int cy);
    void PlaceVideoFrame(int x, int y, int cx, int cy);

    // ---- the standard windows' layout and the display commands
    // Tiles the windows over the main frame's area: `cx` its width, `cy` its height + 53.
    void LayoutStandardWindows(int cx, int cy);
    // The layout for the main frame's area as it is now.
    void LayoutToMainFrame();
    void ApplyDisplayModes();
    void UpdateDisplayFlags();
    void ShowMeterWindow(bool show, LONG mode);
    void SetMetersCheck(bool on);
    void OnDisplayMeters();
    void OnDisplayTable();
    void OnDisplayWorkbook();
    void OnDisplayVideoMain();
    void OnDisplayDataMap();
    void ToggleVideoWindow();
    // The worksheet launch's graph and meters commands.
    void ShowGraph() { OnDisplayGraph(); }
    void ShowMeters() { OnDisplayMeters(); }

    // ---- user-interface levels: 0 Basic, 1 Simple, 2 Advanced
    void ApplyUserInterfaceMode(BYTE level, BYTE previous, BYTE keepLayout);
    void RebuildMenus(BYTE level, BYTE previous);
    // "Select external sensor" is there exactly while the logger is not a QK.
    void RemoveModelMenuItem(BYTE flag);
    void OnUserInterfaceSettings();

    // ---- logger commands and the run
    void IssueLoggerCommand(WORD code);
    // Timer 4857.
    void ProcessPendingLoggerCommand();
    void OnLoggerAnswered();
    void StartExperiment(BYTE runKind);
    void EndRun();
    void RefreshCurrentRun();
    void ShowFetchProgress(WORD mode, LONG value);
    void ShowStatusMessage(WORD mode);
    // UM_SELECT_DOWNLOAD: the choice runs once the logger's handler has returned.
    void SelectDownloadSet();
    void StartLiveTimer();
    void StopLiveTimer();
    // ---- photogate timing
    void ToggleTimingMode(BOOL fromCommand);
    // False when the wizard was cancelled.
    bool RunTimingWizard(BYTE mode);
    // Stores the two distances only.
    void EditTimingParameters();
    // The meters' four channel indexes and the logger's live values: the values the meters show.
    // An index outside 0..7 gives none (false).
    bool GetMeterReading(int meter, double& value) const;
    // UM_UPDATE_METERS: the four meters' live values reach the meter view.
    void UpdateMeters();

    // ---- the project
    static constexpr const char* kFileFilter = "Varnel Files (*.vnp)|*.vnp|";
    static constexpr const char* kFileSavedText = "File saved";
    static constexpr const char* kLastProjectSavedText = "Last project saved !";
    static constexpr const char* kFileOpenedText = "File opened";
    static constexpr const char* kCannotOpenText = "Can not open file";
    // Ours: a project with no experiment writes no file.
    static constexpr const char* kNothingToSaveText = "There is no data to save";

    // False when the question was cancelled or the save it asked for failed: nothing cleared.
    bool ClearProject(bool ask);
    // True when saved, or when there was nothing to write (no file is made then).
    bool SaveProject(bool saveAs);
    // Runs inside a logger handler: shows nothing but the status text. True when the project may
    // be cleared: saved, or nothing worth keeping.
    bool SaveLastProject();
    void OnNewProject();
    void OnFileOpen();
    // Before another project is opened: no run, predict mode ended, changed data saved or given
    // up; false when the user stopped it.
    bool ReadyToOpenProject();
    void OnFileSave() { SaveProject(false); }
    void OnFileSaveAs() { SaveProject(true); }
    // Reads the file first: a file that cannot be read leaves the project, its name and its
    // state as they were.
    bool OpenProject(const CString& path);
    // Opens the start-up path once the graph and data-map views exist; once only.
    void OpenStartupProject();
    // The folder of the projects, "Varnel Data" under the data root, with its separator.
    static CString GetProjectFolder();
    void SetStatusText(const CString& text);
    CDataTreeBrench* AddDataGroup(const CString& name);
    // A refusal (null) leaves the arrays with the caller.
    CDataTreeBrench* AddDataBranch(CDataTreeBrench* experiment, CDataArrayPtr&& x,
                                   CDataArrayPtr&& y, const CString& name, WORD rateCode,
                                   const CString& unit, const CPreciseDateTime& startTime,
                                   LONG value1, LONG value2, WORD videoQuality,
                                   const CString& videoFile, WORD sensorIndex, double rangeMinimum,
                                   double rangeMaximum);
    void AddFitGroup();
    void EnableVideoPlay(BOOL on);
    void EnableVideoPause(BOOL on);
    void EnableVideoStop(BOOL on);
    void EnableVideoRecord(BOOL on);
    void OnDisplayGraph();
    // Replay of a recorded run on the graph, for the video view.
    void StartGraphReplay();
    void StopGraphReplay();
    void PauseGraphReplay();
    void SetVideoToggleCaption(BOOL enable);

    // ---- recording mode, scroll run and the other commands
    // 0 single, 1 replace, 2 add; other values do nothing.
    void SetRecordingMode(WORD mode);
    void SetScrollRun(BOOL on, BOOL unused = FALSE);
    // The external sensor type's name; "" outside 0..19.
    static void GetExternalSensorName(CString& name, WORD index);
    // The worksheet the user picks; "" when cancelled.
    void PromptWorksheetFile(CString& path);
    void OpenSampleExperiment();
    // 1: the graph view's own Properties; other values do nothing.
    void OpenGraphProperties(int which);
    static constexpr const char* kEndPredictText = "End Predict mode?";
    static constexpr const char* kSaveBeforeOpenText =
        "Do you want to save before opening a new project ?";

    // ---- the command map
    void OnLoggerRun() { IssueLoggerCommand(kCommandRun); }
    void OnLoggerSendSetup() { IssueLoggerCommand(kCommandSendSetup); }
    void OnLoggerDownload() { IssueLoggerCommand(kCommandDownload); }
    // Logger > Select external sensor > External 1 / External 2.
    void OnExternalSensor1();
    void OnExternalSensor2();
    void OnLoggerStop();
    void OnConnectToDorvik();
    // 2155: the eight sensor colours; on OK they are saved and the set-up view recolours.
    void OnSensorColorSettings();
    void OnModeSingle() { OnRecordingMode(0); }
    void OnModeReplace() { OnRecordingMode(1); }
    void OnModeAdd() { OnRecordingMode(2); }
    void OnCommSetup();
    void OnUnitSettings();
    void OnGraphTitle();
    void OnUserDataPath();
    void OnGraphProperties();
    void OnGraphViewProperties() { OpenGraphProperties(1); }
    void OnScrollRun();
    void OnHelpDorvik() { OpenHelp("Varnel Help for Dorvik.chm"); }
    void OnHelpDorvikQK() { OpenHelp("Varnel Help for Dorvik QK.chm"); }
    void OnVideoProperties();
    void OnEnableVideo();
    void OnVideoRecord();
    void OnVideoStop();
    void OnVideoPlay();
    void OnVideoPause();
    void OnSelectVideoDevice();
    static constexpr const char* kTwoExperimentsText =
        "You can't record 2 experiments with the same video file";
    void OnSpareToggle();
    void OnNothing() {}
    void OnUpdateWorkbookCopy(CCmdUI* ui);
    // Workbook: Open Worksheet (2097; 3856 shows the workbook first), Split view (2098, 2117),
    // Print worksheet (2126), Copy (2128), Paste (2129).
    void OnOpenWorksheetTb();
    void OnOpenWorksheet();
    void OnWorkbookSplitView();
    void OnWorkbookPrint();
    void OnWorkbookCopy();
    void OnWorkbookPaste();
    void OnLoggerSetup() { ToggleTimingMode(TRUE); }
    void OnTimingWizard();
    void OnSingleAxis();
    void OnGraphAutoscale();
    void OnGraphAddToProject();
    void OnPlaybackPlay();
    void OnPlaybackStop();
    void OnPlaybackPause();
    void OnPlaybackRecord();
    void OnGraphPause();
    void OnGraphPrediction();
    // The graph tools, for the graph view while another view is active.
    void OnGraphZoom();
    void OnGraphPan();
    void OnGraphCrop();
    void OnGraphSlope();
    void OnGraphArea();
    void OnGraphStatistics();
    void OnShowAnnotations();
    void OnAddAnnotation();
    void OnMoveAnnotations();
    void OnEditAnnotationCaption();
    void OnDeleteAnnotation();
    // The table's commands: nothing without the table view.
    void OnTableEditData();
    void OnTableCopy();
    void OnTablePaste();
    void OnTableCut();
    void OnTableExport();
    // Analysis > Linear fit.
    void OnLinearFit();
    // The spreadsheet export (varnel_doc_export.cpp): writes the data sets `ids` to `path` and
    // opens the file with the desktop's spreadsheet program; FALSE when nothing was written.
    BOOL ExportToExcel(const CString& path, const std::vector<DWORD>& ids, BOOL timeColumn);
    // The export separators: "," and "." with the fixed setting, else the user's locale.
    void ReadLocaleSeparators();
    void OnExportFileSettings();
    void OnGraphExport();
    void OnGraphCopy();
    // File > Print: the print selection, then the graph or the table.
    static constexpr const char* kNoDataText = "No data available";
    void OnFilePrint();
    // Workbook > Launch settings for the basic model (2134) and the QK model (2133).
    void OnLaunchSettings(BYTE model);
    void OnLaunchSettingsBasic() { OnLaunchSettings(0); }
    void OnLaunchSettingsQK() { OnLaunchSettings(1); }
    // Workbook > Launch (2112, 2113): the workbook view applies the worksheet's launch file.
    void OnWorkbookLaunch();
    // The notes pane's commands (varnel_doc_notes.cpp); nothing without the pane.
    void OnNewTextDocument();
    void OnOpenTextDocument();
    void OnSaveTextDocument();
    void OnPrintText();

    // ---- File > Import CSV File
    static constexpr const char* kNoDataColumnsText = "The file holds no data columns.";
    static constexpr const char* kNoDataRowsText = "The file holds no data.";
    static constexpr const char* kCannotImportText = "Can not import the file.";
    static constexpr const char* kCsvStepText =
        "The times in the file do not step at one of the logger's rates, so its samples are "
        "numbered instead.";
    static constexpr const char* kNoRoomText = "The project has no room for the file's columns.";
    static constexpr const char* kCsvTooLargeText =
        "The file is too large to import: a CSV file may hold at most %s.";
    static constexpr const char* kCsvTooWideText =
        "The file has too many columns to import: a CSV file may have at most %d.";
    static constexpr const char* kCsvNoMemoryText =
        "Can not import the file: it needs more memory than there is.";
    // A time unit in the heading that the import does not read; %s is the unit.
    static constexpr const char* kCsvUnitNumberedText =
        "The time column's unit \"%s\" is not one Varnel reads (ms, s, mm:ss, hh:mm:ss, Date), so "
        "the samples are numbered instead.";
    static constexpr const char* kCsvUnitAsSecondsText =
        "The time column's unit \"%s\" is not one Varnel reads (ms, s, mm:ss, hh:mm:ss, Date); its "
        "times are read as seconds.";
    // Experiments and data sets a project holds at most.
    static constexpr int kMaxProjectBranches = 2000;
    void ImportCsv();
    void OnImportCsv() { ImportCsv(); }
    // Empty when cancelled.
    CString AskCsvFileName();
    // Fields are unquoted; "" past the last field.
    CString GetCsvField(const CString& line, int index) const;
    // -999999.0 when the field is missing or holds no number.
    double GetCsvNumber(const CString& line, int index, const CString& separator) const;
    // 65535 when the line holds none.
    static WORD CountSeparators(const CString& line, const CString& separator);
    // "???" and "????" past the last field.
    CString GetColumnName(const CString& header, int index) const;
    CString GetColumnUnit(const CString& header, int index) const;
    static WORD TimeModeFromUnit(const CString& unit);
    // Today (modes 4 and 5) comes from m_now; invalid when the text does not read.
    CPreciseDateTime ParseCsvTime(const CString& text, WORD mode) const;
    // 0, the samples, for a step that is no rate's.
    static WORD RateCodeFromStep(double t1, double t0, WORD mode);
    WORD RateCodeFromTimes(const CString& text0, const CString& text1, WORD mode) const;

    CFetchProgressDialog* GetFetchProgress() const { return m_fetchProgress.get(); }
    CMessageDialog* GetStatusBox() const { return m_statusBox.get(); }

    // The experiment counter: the number the next run's experiment gets.
    static int GetExperimentCounter() { return s_experimentCounter; }

private:
    // Declared first: built first, destroyed last. The logger points at the settings.
    std::unique_ptr<CSettings> m_settings;
    std::unique_ptr<CDorvik> m_logger;

public:
    CDataTreeList m_dataList;
    CGraphTreeList m_graphList;

    CString m_startupPath;
    // The date style of default project names (0 day first, 1 month first).
    int m_dateStyle = 0;
    // The clock of default project names; tests fix it.
    CPreciseDateTime (*m_now)() = &CPreciseDateTime::GetCurrentTime;
    BYTE m_lastProjectSaved = 0;
    BYTE m_startupProjectOpened = 0;
    CString m_title;
    CString m_path;
    CString m_folder;
    CString m_listSeparator;
    CString m_decimalSymbol;

    // The standard windows, once made; null before.
    CGraphView* m_graphView = nullptr;
    CDataTreeView* m_dataTreeView = nullptr;
    CMainFrame* m_mainFrame = nullptr;
    CSetupView* m_setupView = nullptr;
    CMeterView* m_meterView = nullptr;
    CHtmlDocView* m_htmlDocView = nullptr;
    CTableView* m_tableView = nullptr;
    CVideoView* m_videoView = nullptr;
    CHtmlFormView* m_htmlFormView = nullptr;
    CTextView* m_textView = nullptr;
    CClockView* m_clockView = nullptr;
    CRecordingVideoView* m_recordingVideoView = nullptr;

    BYTE m_sampleExperiment = 0;
    BYTE m_commandTimerOn = 0;
    // The project has unsaved changes.
    BYTE m_modified = 0;
    BYTE m_modifiedCopy = 0;
    BYTE m_modifiedBeforeRun = 0;
    DWORD m_runExperimentId = 0;
    // The user pressed Stop for the run under way or asked for.
    BYTE m_runStopped = 0;
    BYTE m_runInProgress = 0;
    CDataTreeBrench* m_currentRun[kRunListSize] = {};
    WORD m_currentRunCount = 0;

    // Set by the format sheet when it set line or scale settings: new plots take them.
    BOOL m_formatLineSettings = FALSE;
    BOOL m_formatScaleSettings = FALSE;
    // A run keeps the plots' line settings.
    BOOL m_keepLineSettings = FALSE;
    // The X-axis settings stay as they are across runs.
    BOOL m_axisHold = FALSE;
    // Scroll Run: the X axis slides with the newest sample instead of growing.
    BOOL m_scrollRun = FALSE;

    BYTE m_liveTimerOn = 0;
    // A worksheet launch set the graph's plots: a run uses them.
    BYTE m_launchPlots = 0;
    // Live channels are to be plotted against a live channel at the next run.
    BYTE m_liveYvsX = 0;
    BYTE m_spareToggle = 0;
    BYTE m_answered = 0;
    // The command began with a status query to a connected basic logger.
    BYTE m_waitingForStatus = 0;
    short m_tickCount = 0;
    WORD m_pendingCommand = 0;
    CDataTreeBrench* m_currentDownload = nullptr;
    // The kind of the last run begun (CDorvik::kLiveRun...); 0 before the first.
    BYTE m_runKind = 0;
    BYTE m_timingMode = 0;
    // The four channels the meters show, indexes of the logger's eight live values.
    int m_meterChannels[4] = {0, 1, 2, 3};

protected:
    DECLARE_MESSAGE_MAP()

private:
    CMainFrame* MainFrame() const;
    template <class T>
    T* FindView() const;
    void PlaceFrame(CView* view, int x, int y, int cx, int cy, bool show);
    CView* StandardView(int window) const;
    // Shows or hides a standard view with its frame, so that a hidden frame takes no focus.
    void ShowStandardView(int window, bool show);
    void RunDisplayCommand(int command);
    // The QK timing run's gate checks: false, the user told, when the gates are not right.
    bool CheckPhotogates();
    // The rate question before a run: false when the command is abandoned.
    bool ConfirmRateChange();
    // False when the command was called off (a check failed, a question was cancelled).
    bool CarryOutPendingCommand();
    void EndPendingCommand();
    // The main frame's Stop: offered from a run's request to its end.
    void SetRunStoppable(bool stoppable);
    // A run stopped before its first sample: its experiment holds nothing and goes.
    void DropEmptyRun();
    void Reconnect();
    void RunSelectDownloadSet();
    static void PostUserMessage(const CString& text);
    void OnRecordingMode(BYTE mode);
    void OpenHelp(const char* fileName);
    // Menu 152 again, less the level's items and the model's.
    void BuildMenuBar(BYTE level);

    // Arrays of a run that no data set took: the logger may append to them until the run ends.
    std::vector<CDataArrayPtr> m_refusedArrays;
    std::unique_ptr<CFetchProgressDialog> m_fetchProgress;
    std::unique_ptr<CMessageDialog> m_statusBox;

    static int s_experimentCounter;
    static BYTE s_lastModel;
};
