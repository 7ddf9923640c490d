#pragma once
// CGraphView: the graph window. It hosts the graph control (id 1000) and keeps, for each plot on
// it, a plot record: the data set drawn, how much of it the control holds, its Y axis and look,
// and the plots sharing its Y axis. It writes a run's samples as they arrive, replays a finished
// run, scales the axes, and saves what it shows as a saved graph of the project.

#include <vector>

#include "logger/precise_time.h"
#include "models/graph_axis.h"
#include "models/graph_tree.h"
#include "models/plot_record.h"
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
    // Posted by a run start whose launch plots miss a sensor: the box waits for the loop.
    static constexpr UINT UM_MISSING_SENSORS = WM_APP + 0x182;

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
    // The plot among positions 0 to `before`-1 whose Y axis a new plot of the data set shares, or
    // -1: a fitted line its source's, a set of no sensor the last one of no sensor with the same
    // unit text, a sensor's the last of its kind.
    int SharedAxisPlot(const CDataTreeBrench* dataSet, int before) const;
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
    // The video view plays the current run's video: the replay follows its markers.
    bool VideoPlaying() const;
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
    // File > Print with the graph chosen: the print dialog, then the graph on one page.
    void PrintGraph();
    // The page itself, on a printer DC inside a started page.
    void PrintGraphPage(CDC& dc);
    // ---- predict mode: up to seven curves drawn with the mouse
    void TogglePredictMode();
    void OnAddPrediction();
    void OnPauseContinue();
    // Button 1 appends the point to the newest prediction, another button takes its last back.
    void AddPredictionPoint(double x, double y, SHORT button);
    void ToggleErasePrediction();
    // Removes the prediction drawn as control plot `plot` (1-based); the later ones move down.
    void RemovePredictionPlot(LONG plot);
    void LeavePanZoomModes();
    // Y versus X on (the X source asked for) or off; leaving draws every plot against time
    // again unless `keepPlotsOff`.
    void OnYvsXGraph(int keepPlotsOff);
    void OnYvsXCommand() { OnYvsXGraph(FALSE); }
    // View command 3891: the document's "Format graph".
    void OnViewProperties();
    // At the start of a run: the plots the live plot records name, from the run's data sets.
    void AddLaunchPlots();
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

    // ---- measuring: area under the curve and the tangent
    void OnArea();
    void OnSlope();
    // Hides the tangent and removes every annotation after the fixed slots.
    void ClearToolAnnotations();
    // Shades between the curve and Y = 0 from point `first` to `last` of 1-based plot `plotNumber`.
    void ShadeArea(const std::vector<double>& xs, const std::vector<double>& ys, LONG first,
                   LONG last, int plotNumber);
    void DrawShadePolygon(const std::vector<double>& x, const std::vector<double>& y, LONG index,
                          int plotNumber);
    // The 100-pixel tangent of plot `position` at `point`; cleared where there is none.
    void DrawSlopeLine(int position, LONG point);
    void DrawTangentSegment(double x1, double y1, double x2, double y2, int plotNumber);
    // Axis units per pixel of the plot area, for the X axis and the plot's own Y axis; false for a
    // plot area or range with no size.
    bool PixelScales(int position, double& kx, double& ky) const;
    // The X the control draws point `point` of plot `position` at (the X set's value in Y-vs-X
    // mode); false when either set has no such point.
    bool PointAt(int position, LONG point, double& x, double& y) const;

    // ---- annotations: captions pinned to data points, kept by their data sets
    void OnAddAnnotation();
    void AddOrEditAnnotation(int position, LONG point);
    void OnEditAnnotationCaption(int position, LONG point);
    void DeleteAnnotation(int position, LONG point);
    // The document's Edit caption and Delete: on cursor A's plot and point.
    void OnEditAnnotationCommand();
    void OnDeleteAnnotationCommand();
    void OnMoveAnnotationMode();
    void SetMoveAnnotationMode(BOOL on);
    void OnShowAnnotations();
    void ShowAnnotation(LONG point, int position, const CString& caption, bool isNew);
    void DrawAnnotation(int position, LONG point, const CString& caption, double labelX,
                        double labelY);
    int FindAnnotation(int position, LONG point) const;
    void StoreAnnotationPlacement(LONG item);
    void OnAnnotationChanged(LONG index, LONG plot, bool tracking);
    void OnAnnotationMouseDown(SHORT button, SHORT shift, double x, double y, LONG plot,
                               LONG index);
    void OnFocusGraph();
    void OnAnnotationNothing() {}
    // Cursor A's plot (0-based) and point, when it stands on a point of a shown data set.
    bool CursorAPoint(int& position, LONG& point) const;

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
    // The sample numbers of those points, where the control breaks their line.
    static void WriteBreakKeys(CDispatchDriver& plot, const CDataTreeBrench* dataSet, size_t from,
                               size_t to);
    // A data set's sensor colour from the settings; 0 for a kind without one.
    COLORREF GetSensorColor(BYTE modelCode, BYTE inputKind, BYTE derived) const;
    COLORREF GetSensorColour(BYTE modelCode, BYTE inputKind, BYTE derived) const {
        return GetSensorColor(modelCode, inputKind, derived);
    }
    // The colour of a new plot of the data set at `position`: its sensor's, or its place's when
    // the data set has no sensor.
    COLORREF PlotColour(const CDataTreeBrench* dataSet, int position) const;
    // The same with the colour of its place given.
    COLORREF PlotColour(const CDataTreeBrench* dataSet, COLORREF placeColour) const;
    static bool TakesPlaceColour(const CDataTreeBrench* dataSet);
    // The settings' colour of the basic sensor with that mask bit; 0 for another value.
    COLORREF GetSensorColorByBit(BYTE maskBit) const;
    // A marker style that sets the plot apart from earlier recorded plots of the same input.
    LONG ChooseMarkerStyle(int position) const;
    // Stores the chosen marker style in the record and switches markers on for a style; with
    // none chosen the record takes the markers of its place's line row in the settings.
    void ApplyMarkerStyle(int position);
    static CPreciseDateTime SampleToDateTime(LONG sample, const CPreciseDateTime& start,
                                             double intervalSeconds, WORD timeMode) {
        return graph_axis::SampleToDateTime(sample, start, intervalSeconds, timeMode);
    }
    void SetReadoutText(const CString& text);
    void UpdateAxisCaptions(int position);
    void UpdatePlotCaption(DWORD dataSetId);
    // The X axis of a Y vs X graph: labels and caption in the X set's shown unit.
    void UpdateXSetAxis();
    void LayoutBars();
    // How far the X axis reaches past the first and last samples: half a bar in bar mode, so
    // that the end bars show whole; 0 otherwise.
    double BarHalfWidth() const;
    // Rebuilds the control's text annotations from the records (not in area mode).
    void PlaceAnnotations();
    // ---- bar graph and Y versus X
    // View command 2091: one data set as bars, or back to the standard graph.
    void OnBarGraph();
    // Slot 1 shades the bar of sample `index` as the control draws it, from `base` (the value
    // shown as 0); any other index hides it.
    void HighlightBar(const std::vector<double>& x, const std::vector<double>& y, int plotNumber,
                      LONG index, double base);
    // A style file of the program folder on the control.
    void LoadGraphStyle(const char* fileName);
    void ResetPlotSettings();
    int ShowDataSet(CDataTreeBrench* dataSet);
    void ShowExperiment(DWORD graphItem);
    void ShowSavedGraph(DWORD graphItem) { ShowExperiment(graphItem); }
    // Single-axis mode restores a saved plot only beside one of the same kind.
    static bool SharesSingleAxis(const CDataTreeBrench* dataSet, const CDataTreeBrench* last);
    void ShowTreeItemChildren(DWORD experimentId);
    void EnableGraphCommands(BOOL enable);
    // Flips the settings' single-axis flag (saved at once) and clears the graph.
    void ToggleSingleAxisMode();
    // The launch file's X record names a sensor (a live Y versus X graph).
    BYTE m_xAxisIsSensor = 0;
    SHORT m_singleGraphSelection = 0;
    // The control's title; a saved graph takes it as its name, in the data map too.
    void SetGraphTitle(const CString& title);

    // ---- state ----
    // The channels a run is to plot (by their place in the run) with their look, and the X
    // channel of a live Y versus X graph.
    PlotRecordStruct m_livePlots[kMaxPlots];
    SHORT m_livePlotCount = 0;
    LONG m_liveYvsX = 0;
    PlotRecordStruct m_liveXAxis;
    SHORT m_xSource = 0;  // the live channel's place, or 99 for a data set
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
    BYTE m_annotationSelected = 0;  // a label is being dragged
    BYTE m_annotationsShown = 1;
    // The control's 1-based index of the annotation last right-pressed; 0 none.
    LONG m_contextAnnotation = 0;
    // The track mode move-annotation mode gives back; -1 before the first use.
    LONG m_trackModeBeforeMove = -1;
    BOOL m_frameCursorBefore = FALSE, m_frameSecondCursorBefore = FALSE;
    bool m_labelsHiddenByMove[2] = {false, false};
    // A left press landed on a data plot or an annotation: that click draws no prediction point.
    BYTE m_elementPressed = 0;
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
    // A data set's text for the read-out; a fit's equation in the units the graph shows.
    CString ReadoutComment(const CDataTreeBrench& dataSet) const;
    const GraphLinesInfoStruct& LineRow(int position) const;
    CDispatchDriver PlotItem(int position) const;  // 0-based
    CDispatchDriver AxisItem(int axis) const;      // 1-based, 1 the X axis
    // Puts a range on an axis, autoscale off; an empty range is not put.
    void PutAxisRange(int axis, double lo, double hi);
    void ResetRecord(int position);
    // A control plot for the record at `position`, on its own Y axis, whose scale is not shown
    // until PlaceRightScale gives it the right-hand one.
    void AttachControlPlot(int position);
    // Shows the right-hand scale of the first plot after the first that joined no earlier plot's
    // scale, and points the right-hand strip at it.
    void PlaceRightScale();
    // Links the plot at `position` to `linkTo` and to every plot linked to it, both ways.
    void JoinPlot(int position, int linkTo);
    // Links the records taken from a saved graph by today's rule where a set of no sensor is
    // involved; the other links stay as saved.
    void RelinkSensorlessPlots();
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
