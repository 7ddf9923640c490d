#pragma once
// CGraphView: the graph window. It hosts the graph control (id 1000) and keeps, for each plot on
// it, a plot record: the data set drawn, how much of it the control holds, its Y axis and look,
// and the plots sharing its Y axis. It writes a run's samples as they arrive, replays a finished
// run, scales the axes, and saves what it shows as a saved graph of the project.

#include "displays/graph/graph_axis.h"
#include "displays/graph/graph_tree.h"
#include "displays/graph/plot_record.h"
#include "logger/precise_time.h"
#include "platform/activex/event_sink.h"
#include "platform/activex/graph_control.h"
#include "platform/gdi/objects.h"
#include "platform/ui/form_view.h"

class CDataTreeBrench;
class CGraphFrame;
class CMainFrame;
class CSettings;
class CVarnelDoc;

class CGraphView : public CFormView, public CEventSinkHost {
    DECLARE_DYNCREATE(CGraphView)
public:
    static constexpr int kMaxPlots = 8;
    static constexpr UINT_PTR kScrollTimer = 1;
    static constexpr UINT_PTR kPlaybackTimer = 4845;
    static constexpr UINT kScrollPeriod = 100;

    CGraphView();
    ~CGraphView() override;
    BOOL Create(CWnd* parent, const RECT& rect, UINT id = AFX_IDW_PANE_FIRST);
    // Binds the view to the document (which lists it as its graph view) and to its frame.
    void Attach(CVarnelDoc* doc, CGraphFrame* frame);
    CCWGraph& GetGraph() { return m_graph; }
    const CCWGraph& GetGraph() const { return m_graph; }
    CVarnelDoc* GetDoc() const { return m_doc; }
    CGraphFrame* GetFrame() const { return m_frame; }

    // ---- plots ----
    // The plot position of the data set, or a refusal told by `added` left clear (0 in bar-graph
    // mode or with 8 plots shown, the plot count when single-axis mode refuses it).
    SHORT AddPlot(CDataTreeBrench* dataSet, WORD channel, BOOL force, BOOL& added,
                  BOOL keepSettings, SHORT linkTo);
    int FindTemperaturePlot() const;
    int FindPlotBySensor(BYTE code) const;
    int FindPlotByDataSet(DWORD id) const;
    void LinkNewPlot(int position);
    void LinkRelatedPlots(const CDataTreeBrench* dataSet);

    // ---- plotting, live refresh and playback ----
    void PlotAllData(int position);
    void PlotRecordingData(CDataTreeBrench* const* dataSets, int count);
    void ReplacePlotDataSet(CDataTreeBrench* oldSet, CDataTreeBrench* newSet);
    void RefreshGraph(BOOL clearAll);
    void StartScrollTimer();
    void StopScrollTimer();
    void PlotNewPoints();
    BOOL StartPlayback();
    void StartPlaybackTimer();
    void StopPlaybackTimer();
    void EndPlayback();
    void AdvancePlayback();
    void SetPlaybackMode(BOOL on);
    void SyncToVideoPosition(LONG position);
    void ClearGraphPlots();
    void OnPlaybackPlay();
    void OnPlaybackPause();
    void OnPlaybackStop();
    void OnPlaybackRecord();
    void SetStopEnabled(BOOL on);
    void SetPlayEnabled(BOOL on);
    void SetRecordEnabled(BOOL on);
    void SetPauseEnabled(BOOL on);
    static CString GetTimeUnitCaption(int code);
    static CString FormatTimeAxis(const CPreciseDateTime& start, double intervalSeconds,
                                  double intervalUnits, int timeMode, BOOL axisFormat,
                                  int valueMode, LONG first, LONG second);

    // ---- writing points, links, X settings ----
    // Brings the control's plot at `position` to the record's first points-shown samples.
    void WritePlotPoints(int position);
    void PromoteTimeAxis(LONG sampleCount);
    void ResetXAxisSettings();
    void SetDataSetShown(CDataTreeBrench* dataSet, BOOL shown);

    // ---- axes ----
    double GetAxisMinimum(int axis) const;
    double GetAxisMaximum(int axis) const;
    void SetAxisMinimum(int axis, double value, BOOL autoscale);
    void SetAxisMaximum(int axis, double value, BOOL autoscale);
    void SetAxisRange(int axis, double minimum, double maximum, BOOL autoscale, BOOL redraw);
    void SetupYAxis(int axis, COLORREF colour);
    void AddYAxis(BOOL ownAxis);
    void ApplyAxisScales(LONG sampleCount, BOOL scrolling, int position);
    void ScaleAxisToData(int axis, LONG first, LONG last, int mode);
    void OnAutoscale();
    // Graph > Export to Excel: the plotted data sets to the spreadsheet program (not in a run).
    void OnExportToExcel();
    // Graph > Copy graph: the picture on the clipboard as an image and as SVG.
    void CopyToClipboard();
    // ---- predict mode: up to seven curves drawn with the mouse
    void TogglePredictMode();
    void OnAddPrediction();
    void OnPauseContinue();
    // Button 1 appends the point to the newest prediction, another button takes its last back.
    void AddPredictionPoint(double x, double y, SHORT button);
    void ToggleErasePrediction();
    void LeavePanZoomModes();
    // Y versus X: `toTime` leaves the mode and draws every plot against time again.
    void OnYvsXGraph(int toTime);
    void HideCursors();
    // Cursor A at the stored first-cursor point, or cursor B beside it; then the read-out.
    void ShowCursors();
    void UpdateCursorReadout();

    // ---- pointer tools: cursor start points, pan, zoom, crop
    // The point a cursor starts on (mode 2 cursor A on `plotNumber`, mode 3 cursor B beside A), or
    // -999 when there is none.
    LONG SetupCursors(SHORT plotNumber, int mode);
    void OnDisplayCursor();
    void OnToggleSecondCursor();
    void HideSecondCursor();
    void OnPanMode();
    void OnZoomMode();
    // Crops every shown data set to the stretch between the cursors (from cursor A to the end with
    // one), as new sets under "Cropped data" that the plots then show.
    void OnCropData();
    // False when the plot stays as it was (no exact From X, or nowhere to add the set).
    bool CropPlotData(int position, double fromX, double toX);
    // Min., Max., Average and Std. Dev. of cursor A's plot (between the cursors with two) in the
    // read-out bar.
    void OnStatistics();
    // Graph > Crop needs a cursor, and X values that are sample numbers.
    void UpdateCropAvailable();

    // ---- the control's events
    void OnDblClick();
    void OnMouseDown(SHORT button, SHORT shift, LONG x, LONG y);
    void OnMouseMove(SHORT button, SHORT shift, LONG x, LONG y);
    void OnMouseUp(SHORT button, SHORT shift, LONG x, LONG y);
    void OnControlEvent1(LONG& value, VARIANT& first, VARIANT& second, bool& flag);
    void OnControlEvent4(SHORT a, SHORT b, VARIANT& first, VARIANT& second, SHORT& c, LONG& d);
    void OnPlotClick(SHORT button, SHORT shift, double x, double y, LONG plot, LONG point);
    void OnPlotAreaClick(SHORT button, SHORT shift, double x, double y);
    void OnCursorMoved(LONG cursor, double x, double y, LONG index, bool tracking);
    // The strip of the control under a point of its client area (0 the plot area).
    int HitTestRegion(LONG x, LONG y) const;
    // "Format graph" at a list entry (0 the X axis); nothing opens without a plot.
    void OpenFormatSheet(int entry);

    // ---- saved graphs and settings ----
    void OnAddGraphToProject();
    void ForgetSavedGraph();
    void ApplyGraphSettings();
    void ApplyPlotStyle(int position);
    void ApplyYAxisSettings(int position);
    void ApplyXAxisSettings();
    void RemovePlot(DWORD dataSetId, int index);

    // ---- services of the other graph operations ----
    // Points `from` to `to` of a plot drawn against the X data set, paired by sample number.
    static VARIANT BuildXValueArray(const CDataTreeBrench* xSet, const CDataTreeBrench* dataSet,
                                    size_t from, size_t to);
    // A data set's sensor colour from the settings; 0 for a kind without one.
    COLORREF GetSensorColor(BYTE modelCode, BYTE inputKind, BYTE derived) const;
    COLORREF GetSensorColour(BYTE modelCode, BYTE inputKind, BYTE derived) const {
        return GetSensorColor(modelCode, inputKind, derived);
    }
    // The settings' colour of the basic sensor with that mask bit; 0 for another value.
    COLORREF GetSensorColorByBit(BYTE maskBit) const;
    // A marker style that sets the plot apart from earlier recorded plots of the same input.
    LONG ChooseMarkerStyle(int position) const;
    // Stores the chosen marker style in the record and switches markers on for a style.
    void ApplyMarkerStyle(int position);
    static CPreciseDateTime SampleToDateTime(LONG sample, const CPreciseDateTime& start,
                                             double intervalSeconds, WORD timeMode) {
        return graph_axis::SampleToDateTime(sample, start, intervalSeconds, timeMode);
    }
    void SetReadoutText(const CString& text);
    void UpdateAxisCaptions(int position);
    void UpdatePlotCaption(DWORD dataSetId);
    void LayoutBars();
    void PlaceAnnotations() {}
    void ResetPlotSettings();
    int ShowDataSet(CDataTreeBrench* dataSet);
    void ShowExperiment(DWORD graphItem);
    void ShowTreeItemChildren(DWORD experimentId);
    void EnableGraphCommands(BOOL enable);
    // Flips the settings' single-axis flag (saved at once) and clears the graph.
    void ToggleSingleAxisMode();
    // ---- the plots a run start adds itself (graph_view_launch.cpp)
    // One plot a worksheet launch prepared: the run's channel and the look it takes.
    struct LivePlotStruct {
        SHORT position = 0;  // the sensor's position among the run's channels
        GraphLinesInfoStruct line;
        LONG autoScale = 1;
        double minimum = 9999999.0;  // with the maximum below: no range yet
        double maximum = -99999999.0;
    };
    // Bar graph (2091): the graph shows one data set as bars, or leaves that mode.
    void OnBarGraph();
    // At a run's start with launch plots pending: the run's channels that the live records name,
    // with their look; a channel the run lacks is told once.
    void AddLaunchPlots();
    // No live plots: the records take the settings' display slots again.
    void ResetLivePlots();
    static constexpr const char* kMissingSensorsText =
        "Missing external sensors. Please connect sensors according to workbook";
    LivePlotStruct m_livePlots[kMaxPlots];
    SHORT m_livePlotCount = 0;
    LONG m_liveYvsX = 0;
    LivePlotStruct m_liveXAxis;
    BYTE m_xAxisIsSensor = 0;
    SHORT m_singleGraphSelection = 0;
    // The control's title; a saved graph takes it as its name, in the data map too.
    void SetGraphTitle(const CString& title);

    // ---- state ----
    PlotRecordStruct m_plots[kMaxPlots];
    PlotRecordStruct m_format[kMaxPlots];  // the format sheet's last choices
    SHORT m_plotCount = 0;
    PlotRecordStruct m_xAxis;  // its data set is the X data set of Y versus X
    PlotRecordStruct m_savedXAxis;
    CString m_xLabelFormat;
    LONG m_yVsX = 0;
    BYTE m_paused = 0;
    BYTE m_playbackMode = 0;
    LONG m_axisDrag = 0;
    LONG m_playbackFinished = 1;
    BYTE m_graphState = 0;
    CGraphTreeBrench* m_currentGraph = nullptr;
    BYTE m_barGraph = 0;
    WORD m_launchChannel = 0;
    // The axis scale of each sensor's plot, in colour-index order: launch settings start from it.
    struct SensorScaleStruct {
        LONG autoScale = 1;
        double minimum = 0.0;
        double maximum = 100.0;
    };
    SensorScaleStruct m_sensorScales[7];
    BYTE m_scrollTimerRunning = 0;
    BYTE m_playbackTimerRunning = 0;
    LONG m_liveData = 0;
    UINT m_playbackPeriod = 0;
    LONG m_pointsPerTick = 0;
    LONG m_playbackPosition = 0;
    SHORT m_rightAxis = 3;
    SHORT m_cursorCount = 0;
    SHORT m_cursorAPlot = -1;
    SHORT m_cursorBPlot = -1;
    LONG m_cursorAIndex = 0;
    BYTE m_predictMode = 0;
    BYTE m_predictActive = 0;
    BYTE m_created = 0;
    // The point Display cursor (and the double click) put cursor A on: 1-based plot, index.
    SHORT m_cursorPlotNumber = 1;
    LONG m_cursorPointIndex = 0;
    BYTE m_areaMode = 0;
    BYTE m_slopeMode = 0;
    BYTE m_panMode = 0;
    BYTE m_zoomMode = 0;
    BYTE m_eraseMode = 0;
    BYTE m_moveAnnotationMode = 0;
    BYTE m_annotationSelected = 0;
    BYTE m_formatSheetOpen = 0;
    BYTE m_stripPressed = 0;
    LONG m_lastX = 0, m_lastY = 0;
    LONG m_downX = 0, m_downY = 0;
    graph_axis::Pointer m_pointer = graph_axis::Pointer::kArrow;
    // The plot (1-based) and point the last plot click hit.
    LONG m_clickedPlot = 0;
    LONG m_clickedPoint = -1;

    struct PredictionStruct {
        LONG plot = 0;  // 1-based on the control
        std::vector<double> x, y;
    };
    static constexpr int kMaxPredictions = 7;
    PredictionStruct m_predictions[kMaxPredictions + 1];
    SHORT m_predictionCount = 0;
    SHORT m_removedPredictions = 0;

    // One for the whole program: "Graph 1", "Graph 2"... never reset.
    static int s_graphCounter;
    // The sample count seen by the last scrolling step.
    static LONG s_lastSampleCount;

protected:
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnTimer(UINT_PTR id) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject) override;
    DECLARE_MESSAGE_MAP()

private:
    // What the control's plot at a position holds, so that a grown data set is appended.
    struct Written {
        const CDataTreeBrench* dataSet = nullptr;
        const CDataTreeBrench* xDataSet = nullptr;
        LONG count = 0;
    };

    CSettings* Settings() const;
    CMainFrame* MainFrame() const;
    const GraphLinesInfoStruct& LineRow(int position) const;
    CDispatchDriver PlotItem(int position) const;  // 0-based
    CDispatchDriver AxisItem(int axis) const;      // 1-based, 1 the X axis
    // Puts a range on an axis, autoscale off; an empty range is not put.
    void PutAxisRange(int axis, double lo, double hi);
    void ResetRecord(int position);
    // A control plot for the record at `position`, on its own Y axis.
    void AttachControlPlot(int position, BOOL ownAxis);
    // Empties the control: no data, no plots, axes 1 and 2, X 0..10.
    void ClearControl();
    void ForgetWritten();
    void SetTimerOrReport(UINT_PTR id, UINT period, BYTE& running);
    CString YFormat(int decimals) const;

    void BindControlEvents();
    // The mouse pointer for the region and the view's modes.
    void SetPointer(int region);
    // One step of a strip drag: the axis maximum moves by a tenth of the range, at least 0.1;
    // false when the range would be empty and the old one was put back.
    bool DragAxis(int axis, bool raise);
    void PlotPrediction(int k);
    void SetPanMode(BOOL on);
    void SetZoomMode(BOOL on);

    CCWGraph m_graph;
    CFont m_font;
    CVarnelDoc* m_doc = nullptr;
    CGraphFrame* m_frame = nullptr;
    Written m_written[kMaxPlots];
};
