#include "displays/graph/graph_view.h"

#include <algorithm>

#include "RES/dialogs/graph_view.h"
#include "app/data_tree_view.h"
#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "displays/graph/graph_frame.h"
#include "logger/data_tree.h"
#include "logger/helpers.h"
#include "logger/settings.h"
#include "models/graph_axis.h"
#include "platform/base/log.h"
#include "platform/ui/modal_host.h"
#include "platform/ui/styles.h"
#include "video/video_view.h"

namespace {

constexpr UINT UM_TIMER_FAILED = WM_APP + 0x181;
constexpr BYTE kModelQK = 100;
constexpr DISPID kPlotData = 21, kPlotAppend = 9021, kPlotBreakStep = 9022;
// Against time a plot's X are its sample numbers, one apart: a longer step is a missing sample,
// which the line leaves as a gap.
constexpr double kMissingSampleStep = 1.5;
// Sample numbers are whole numbers.
constexpr const char* kSampleLabelFormat = "*1";

bool IsExternalInput(const CDataTreeBrench* d) {
    return d && ((d->m_modelCode == kModelQK && (d->m_inputKind == 5 || d->m_inputKind == 6)) ||
                 (d->m_modelCode == 0 && (d->m_inputKind == 0 || d->m_inputKind == 1)));
}

// Imported columns and the sets made from them come from no sensor of ours: what tells their
// quantities apart is the unit text.
constexpr WORD kNoSensor = 255;

bool HasNoSensor(const CDataTreeBrench* d) {
    return d && d->m_inputKind == kNoSensor;
}

CString AxisCaption(const CDataTreeBrench* d) {
    return d->m_name + "(" + d->m_unit + ")";
}

// Values from..to-1 of a column.
VARIANT Slice(const double* column, size_t from, size_t to) {
    return VarArray(std::vector<double>(column + from, column + to));
}

}  // namespace

int CGraphView::s_graphCounter = 1;
LONG CGraphView::s_lastSampleCount = 0;

IMPLEMENT_DYNCREATE(CGraphFrame, CChildFrame)
IMPLEMENT_DYNCREATE(CGraphView, CFormView)

CGraphView::CGraphView() : CFormView(GraphViewTemplate()) {
    m_xAxis = MakeXAxisSettings();
    m_savedXAxis = m_xAxis;
    for (int i = 0; i < kMaxPlots; ++i)
        m_plots[i].grid = m_format[i].grid = i == 0;
}

CGraphView::~CGraphView() {
    if (m_doc && m_doc->m_graphView == this) m_doc->m_graphView = nullptr;
}

BOOL CGraphView::Create(CWnd* parent, const RECT& rect, UINT id) {
    return CWnd::Create(nullptr, "", WS_CHILD | WS_VISIBLE, rect, parent, id);
}

int CGraphView::OnCreate(LPCREATESTRUCT cs) {
    m_created = 0;
    if (CFormView::OnCreate(cs) == -1) return -1;
    if (!m_graph.SubclassDlgItem(IDC_GRAPH, this)) return -1;
    CRect client;
    GetClientRect(&client);
    m_graph.MoveWindow(0, 0, client.Width(), client.Height());
    // Made for a document through a creation context: bound to it and to the frame at once.
    if (auto* doc = dynamic_cast<CVarnelDoc*>(GetDocument()))
        Attach(doc, dynamic_cast<CGraphFrame*>(GetParentFrame()));
    BindControlEvents();
    return 0;
}

void CGraphView::OnSize(UINT type, int cx, int cy) {
    CFormView::OnSize(type, cx, cy);
    if (m_graph.GetSafeHwnd()) m_graph.MoveWindow(0, 0, cx, cy);
    if (m_frame) m_frame->AllowPositionText(cx >= 400);
    PlaceAnnotations();
}

void CGraphView::OnUpdate(CView*, LPARAM, CObject*) {
    // Only the first update sets the view up.
    if (m_created) return;
    auto* doc = dynamic_cast<CVarnelDoc*>(GetDocument());
    auto* frame = dynamic_cast<CGraphFrame*>(GetParentFrame());
    Attach(doc ? doc : m_doc, frame ? frame : m_frame);
    m_graph.SetTrackMode(1);
    m_created = 1;
    if (CMainFrame* main = MainFrame()) main->EnableAutoLayout();
    EnableGraphCommands(FALSE);
    ResetXAxisSettings();
    ResetPlotSettings();
    RefreshGraph(TRUE);
    if (m_doc) m_doc->LayoutToMainFrame();
    HideCursors();
    if (m_doc) m_doc->UpdateDisplayFlags();
    m_font.CreatePointFont(85, "Arial");
    if (m_doc) m_doc->OpenStartupProject();
}

void CGraphView::ResetPlotSettings() {
    for (int i = 0; i < kMaxPlots; ++i) {
        m_plots[i].TakeLineRow(LineRow(i));
        m_plots[i].yAutoscale = 1;
        m_plots[i].yMin = 9999999.0;
        m_plots[i].yMax = -99999999.0;
    }
    // The live records start from the settings' display slots, with no range set yet.
    m_livePlotCount = 0;
    m_liveYvsX = 0;
    for (int i = 0; i <= kMaxPlots; ++i) {
        PlotRecordStruct& r = i < kMaxPlots ? m_livePlots[i] : m_liveXAxis;
        r = PlotRecordStruct();
        r.TakeLineRow(LineRow(i));
        r.yMin = 9999999.0;
        r.yMax = -99999999.0;
    }
}

void CGraphView::Attach(CVarnelDoc* doc, CGraphFrame* frame) {
    m_doc = doc;
    m_frame = frame;
    if (doc) doc->m_graphView = this;
    for (int i = 0; i < kMaxPlots; ++i) {
        m_plots[i].TakeLineRow(LineRow(i));
        m_format[i].TakeLineRow(LineRow(i));
    }
}

CSettings* CGraphView::Settings() const {
    return m_doc ? m_doc->GetSettings() : nullptr;
}

CMainFrame* CGraphView::MainFrame() const {
    return m_doc ? m_doc->m_mainFrame : nullptr;
}

const GraphLinesInfoStruct& CGraphView::LineRow(int position) const {
    static const GraphLinesInfoStruct none;
    CSettings* s = Settings();
    return s && position >= 0 && position < CSettings::kLineRecords ? s->m_lineRecords[position]
                                                                    : none;
}

CDispatchDriver CGraphView::PlotItem(int position) const {
    return m_graph.GetPlots().Item(position + 1);
}

CDispatchDriver CGraphView::AxisItem(int axis) const {
    return m_graph.GetAxes().Item(axis);
}

CString CGraphView::YFormat(int decimals) const {
    return CString::Formatted("*%.*f", std::clamp(decimals, 0, 15), 1.0);
}

// ---- plots ----

int CGraphView::FindTemperaturePlot() const {
    for (int i = m_plotCount - 1; i >= 0; --i)
        if (IsTemperatureSensor(m_plots[i].dataSet)) return i;
    return -1;
}

int CGraphView::FindPlotBySensor(BYTE code) const {
    for (int i = m_plotCount - 1; i >= 0; --i) {
        const CDataTreeBrench* d = m_plots[i].dataSet;
        // A set of no sensor has no sensor's scale to lend, whatever its id byte holds.
        if (d && !HasNoSensor(d) && (d->m_inputKind == code || d->m_sensorId == code)) return i;
    }
    return -1;
}

int CGraphView::SharedAxisPlot(const CDataTreeBrench* ds, int before) const {
    before = std::min<int>(before, m_plotCount);
    if (!ds || before < 1) return -1;
    for (int i = before - 1; i >= 0; --i) {
        const CDataTreeBrench* d = m_plots[i].dataSet;
        if (d && ds->HasLink(d->m_id)) return i;
    }
    if (HasNoSensor(ds)) {
        for (int i = before - 1; i >= 0; --i) {
            const CDataTreeBrench* d = m_plots[i].dataSet;
            if (HasNoSensor(d) && d->m_unit == ds->m_unit) return i;
        }
        return -1;
    }
    if (ds->m_secondValue == 0) return -1;
    auto last = [&](auto matches) {
        for (int i = before - 1; i >= 0; --i)
            if (m_plots[i].dataSet && !HasNoSensor(m_plots[i].dataSet) &&
                matches(m_plots[i].dataSet))
                return i;
        return -1;
    };
    int share = IsTemperatureSensor(ds)
                    ? last([](const CDataTreeBrench* d) { return IsTemperatureSensor(d); })
                    : -1;
    const BYTE kind = static_cast<BYTE>(ds->m_inputKind & 0xFF);
    auto bySensor = [&](BYTE code) {
        return last([code](const CDataTreeBrench* d) {
            return d->m_inputKind == code || d->m_sensorId == code;
        });
    };
    if (share < 0 && IsExternalInput(ds)) share = bySensor(ds->m_sensorId);
    if (share < 0) share = bySensor(kind);
    return share;
}

int CGraphView::FindPlotByDataSet(DWORD id) const {
    for (int i = 0; i < m_plotCount; ++i)
        if (m_plots[i].dataSet && m_plots[i].dataSet->m_id == id) return i;
    return -1;
}

SHORT CGraphView::AddPlot(CDataTreeBrench* ds, WORD channel, BOOL force, BOOL& added,
                          BOOL keepSettings, SHORT linkTo) {
    added = FALSE;
    if (m_barGraph && m_plotCount >= 1) return 0;

    int found = -1;
    for (int i = 0; i < m_plotCount && ds; ++i)
        if (m_plots[i].dataSet && m_plots[i].dataSet->m_id == ds->m_id) {
            found = i;
            break;
        }

    const bool single = Settings() && Settings()->m_singleAxis;
    if (single && channel != m_launchChannel && !force) {
        const bool temperatureShown = FindTemperaturePlot() >= 0;
        const bool ext = IsExternalInput(ds);
        const bool first = ext && ((ds->m_modelCode == kModelQK && ds->m_inputKind == 5) ||
                                   (ds->m_modelCode == 0 && ds->m_inputKind == 0));
        const bool second = ext && ((ds->m_modelCode == kModelQK && ds->m_inputKind == 6) ||
                                    (ds->m_modelCode == 0 && ds->m_inputKind == 1));
        if (!((first && temperatureShown) || second)) return m_plotCount;
    }
    // Before anything is cleared: a clear would take the plot found here with it.
    if (found >= 0) return static_cast<SHORT>(found);

    if (single && m_plotCount >= 1 && ds) {
        const CDataTreeBrench* last = m_plots[m_plotCount - 1].dataSet;
        const bool fits = !last || !((!IsExternalInput(ds) || ds->m_sensorId != last->m_sensorId) &&
                                     ds->m_inputKind != last->m_inputKind &&
                                     !(IsTemperatureSensor(ds) && IsTemperatureSensor(last)));
        if (!fits) {
            if (!force) return m_plotCount;
            RefreshGraph(TRUE);
        }
    }

    if (const int share = SharedAxisPlot(ds, m_plotCount); share >= 0)
        linkTo = static_cast<SHORT>(share);
    if (m_plotCount >= kMaxPlots) return 0;

    SetPlayEnabled(TRUE);
    if (CMainFrame* main = MainFrame()) main->SetCommandEnabled(ID_VIDEO_PLAY, TRUE);

    const int pos = m_plotCount;
    PlotRecordStruct& r = m_plots[pos];
    r.channel = channel;
    r.dataSet = ds;
    if (!ds) {
        if (m_doc && m_doc->m_formatLineSettings) {
            const PlotRecordStruct& f = m_format[pos];
            r.colour = f.colour, r.pointStyle = f.pointStyle, r.lineWidth = f.lineWidth;
            r.pointsSwitch = f.pointsSwitch, r.lineStyle = f.lineStyle;
            r.fillValue = f.fillValue, r.fillSwitch = f.fillSwitch;
        } else {
            r.TakeLineRow(LineRow(pos));
        }
    }
    AttachControlPlot(pos);

    r.pointsShown = 0;
    r.ClearLinks();
    if (linkTo >= 0 && linkTo < m_plotCount) {
        JoinPlot(pos, linkTo);
    } else if (ds) {
        LinkNewPlot(pos);
    }

    if (ds && (!keepSettings || !(m_doc && m_doc->m_keepLineSettings))) {
        r.colour = PlotColour(ds, pos);
        if (!TakesPlaceColour(ds)) ApplyMarkerStyle(pos);
    }
    if (m_doc && m_doc->m_formatScaleSettings) {
        r.yAutoscale = m_format[pos].yAutoscale;
        r.yMin = m_format[pos].yMin;
        r.yMax = m_format[pos].yMax;
    } else {
        r.yAutoscale = 1;
        r.yMin = 999999.0;
        r.yMax = -999999.0;
    }
    // Linked plots share one scale: a plot that joins one whose range the user fixed is drawn on
    // that range, not on one of its own under the same labels.
    for (int i = 0; i < r.linkCount; ++i) {
        const int l = r.links[i];
        if (l < 0 || l >= m_plotCount || m_plots[l].yAutoscale) continue;
        r.yAutoscale = 0;
        r.yMin = GetAxisMinimum(l + 2);
        r.yMax = GetAxisMaximum(l + 2);
        break;
    }
    r.grid = pos == 0;
    r.lastScaled = 0;
    r.decimals = 2;
    r.labelValue = 0;
    r.unit.Empty();
    r.scratch = 0;

    ++m_plotCount;
    PlaceRightScale();
    EnableGraphCommands(TRUE);
    added = TRUE;
    return static_cast<SHORT>(pos);
}

void CGraphView::AttachControlPlot(int pos) {
    CDispatchDriver plots = m_graph.GetPlots();
    VARIANT made;
    plots.InvokeMethod(258, {}, &made);
    const LONG k = plots.Count();
    CDispatchDriver plot = plots.Item(k);
    if (k == 1)
        SetupYAxis(2, plot.GetLong(14));
    else
        AddYAxis(FALSE);
    plot.SetProperty(13, VarObject(AxisItem(k + 1).GetHandle()));
    plot.SetString(3, CString::Formatted("%d", static_cast<int>(k)));
    plot.SetBool(12, false);
    m_plots[pos].SetPlotNumber(k);
    if (k >= 1 && k <= kMaxPlots) m_written[k - 1] = Written();
}

void CGraphView::PlaceRightScale() {
    // A linked plot is drawn on the scale of the plot it joined: the right-hand scale goes to the
    // first plot after the first one that joined none, so that its quantity has labels too.
    int right = -1;
    for (int p = 1; p < m_plotCount && right < 0; ++p) {
        const PlotRecordStruct& r = m_plots[p];
        bool joined = false;
        for (int i = 0; i < r.linkCount; ++i)
            joined = joined || (r.links[i] >= 0 && r.links[i] < p);
        if (!joined) right = p;
    }
    const LONG axes = m_graph.GetAxes().Count();
    for (LONG a = 3; a <= axes; ++a)
        AxisItem(a).SetBool(13, a == right + 2);
    m_rightAxis = static_cast<SHORT>(right >= 0 ? right + 2 : 3);
}

void CGraphView::JoinPlot(int pos, int linkTo) {
    PlotRecordStruct& r = m_plots[pos];
    PlotRecordStruct& target = m_plots[linkTo];
    r.AddLink(linkTo, pos);
    for (int i = 0; i < target.linkCount; ++i) {
        const int l = target.links[i];
        r.AddLink(l, pos);
        if (l >= 0 && l < kMaxPlots) m_plots[l].AddLink(pos, l);
    }
    target.AddLink(pos, linkTo);
}

void CGraphView::RelinkSensorlessPlots() {
    auto involved = [&](int p) { return HasNoSensor(m_plots[p].dataSet); };
    for (int p = 0; p < m_plotCount; ++p)
        for (int q = 0; q < m_plotCount; ++q)
            if (p != q && (involved(p) || involved(q))) m_plots[p].RemoveLink(q);
    for (int p = 1; p < m_plotCount; ++p) {
        if (!involved(p)) continue;
        const int share = SharedAxisPlot(m_plots[p].dataSet, p);
        if (share >= 0) JoinPlot(p, share);
    }
}

void CGraphView::LinkNewPlot(int p) {
    const CDataTreeBrench* ds = m_plots[p].dataSet;
    if (!ds) return;
    for (int li = 0; li < ds->m_linkCount && li < CDataTreeBrench::kMaxLinks; ++li)
        for (int q = 0; q < kMaxPlots; ++q) {
            if (q == p || !m_plots[q].dataSet || m_plots[q].dataSet->m_id != ds->m_links[li])
                continue;
            if (q >= m_plotCount && q != p) continue;
            m_plots[p].AddLink(q, p);
            m_plots[q].AddLink(p, q);
            for (int i = 0; i < m_plots[q].linkCount; ++i) {
                const int r = m_plots[q].links[i];
                if (r < 0 || r >= kMaxPlots || r == p) continue;
                m_plots[r].AddLink(p, r);
                m_plots[p].AddLink(r, p);
            }
        }
}

void CGraphView::LinkRelatedPlots(const CDataTreeBrench* ds) {
    if (!ds) return;
    int p = -1;
    for (int i = 0; i < m_plotCount && p < 0; ++i)
        if (m_plots[i].dataSet == ds) p = i;
    if (p < 0) return;
    for (int li = 0; li < ds->m_linkCount && li < CDataTreeBrench::kMaxLinks; ++li)
        for (int q = 0; q < m_plotCount; ++q)
            if (m_plots[q].dataSet && m_plots[q].dataSet->m_id == ds->m_links[li]) {
                m_plots[p].AddLink(q, p);
                m_plots[q].AddLink(p, q);
            }
}

// ---- plotting ----

void CGraphView::PlotAllData(int p) {
    if (p < 0 || p >= m_plotCount) return;
    PlotRecordStruct& r = m_plots[p];
    SetupYAxis(p + 2, r.colour);
    CDataTreeBrench* ds = r.dataSet;
    if (!ds || ds->IsExperiment()) return;
    r.pointsShown = ds->GetYCount();
    if (r.pointsShown == 0) return;
    SetDataSetShown(ds, TRUE);
    CDispatchDriver axis = AxisItem(p + 2);
    axis.SetString(DISPID_CAPTION, AxisCaption(ds));
    axis.SetString(11, YFormat(r.decimals));

    CDispatchDriver xAxis = AxisItem(1);
    size_t n = static_cast<size_t>(r.pointsShown);
    const double* xs = ds->m_x->data();
    size_t xCount = ds->m_x->size();
    const CDataTreeBrench* xSet = m_yVsX ? m_xAxis.dataSet : nullptr;
    if (!m_yVsX) {
        const RateInfoStruct ri = RateInfo(ds->m_rateCode);
        m_xAxis.timeFormat = ri.timeUnit;
        m_xAxis.decimals = 2;
        m_xAxis.labelValue = 0;
        if (ds->m_rateCode != 0 && !m_barGraph) {
            m_xLabelFormat = FormatTimeAxis(ds->m_startTime, ri.intervalSeconds, ri.unitInterval,
                                            ri.timeUnit, TRUE, 0, 0, 0);
            m_xAxis.axisName = "Time";
            xAxis.SetString(DISPID_CAPTION, "Time" + GetTimeUnitCaption(ri.timeUnit));
        } else {
            m_xLabelFormat = kSampleLabelFormat;
            m_xAxis.axisName = "Samples";
            xAxis.SetString(DISPID_CAPTION, "Samples");
        }
    } else {
        // Paired by sample number: a point the X set has no value for is a gap, not the end.
        if (!xSet || xSet->IsExperiment() || xSet->m_y->empty()) return;
    }
    n = std::min({n, xCount, ds->m_y->size()});
    if (m_barGraph) xAxis.SetDouble(9031, graph_axis::BarWidth(xs, n));

    const VARIANT args[2] = {xSet ? BuildXValueArray(xSet, ds, 0, n) : Slice(xs, 0, n),
                             Slice(ds->m_y->data(), 0, n)};
    CDispatchDriver plot = PlotItem(p);
    plot.InvokeMethod(kPlotData, args);
    plot.SetDouble(kPlotBreakStep, m_barGraph ? 0 : kMissingSampleStep);
    if (xSet) WriteBreakKeys(plot, ds, 0, n);
    m_written[p] = {ds, xSet, static_cast<LONG>(n)};
    plot.SetLong(14, static_cast<LONG>(r.colour));
    SetupYAxis(p + 2, r.colour);
    if (m_cursorCount != 2 && m_xAxis.yAutoscale) ApplyAxisScales(static_cast<LONG>(n), FALSE, p);
    if (r.yAutoscale) ScaleAxisToData(p + 2, 0, 0, 0);
    ApplyYAxisSettings(p);
    ApplyPlotStyle(p);
    ApplyXAxisSettings();
    SetDataSetShown(ds, TRUE);
    if (m_barGraph) LayoutBars();
    UpdateAxisCaptions(p);
    SetReadoutText(ReadoutComment(*ds));
    PlaceAnnotations();
}

void CGraphView::PlotRecordingData(CDataTreeBrench* const* sets, int n) {
    if (m_plotCount < 1) return;
    AxisItem(1).SetString(11, "");
    m_xLabelFormat.Empty();
    // Launch plots keep the look the launch file gave them.
    const bool keep = m_doc && (m_doc->m_keepLineSettings || m_doc->m_launchPlots);
    for (int p = 0; p < m_plotCount; ++p) {
        PlotRecordStruct& r = m_plots[p];
        if (r.channel >= n) continue;
        r.channel = 88;
        CDataTreeBrench* ds = r.dataSet;
        if (ds) AxisItem(p + 2).SetString(DISPID_CAPTION, AxisCaption(ds));
        if (!keep && ds) {
            r.colour =
                GetSensorColour(ds->m_modelCode, static_cast<BYTE>(ds->m_inputKind), ds->m_derived);
            ApplyMarkerStyle(p);
        }
        PlotItem(p).SetLong(14, static_cast<LONG>(r.colour));
        SetupYAxis(p + 2, r.colour);
        ApplyPlotStyle(p);
        ApplyYAxisSettings(p);
        AxisItem(p + 2).SetString(11, YFormat(r.decimals));
        UpdateAxisCaptions(p);
    }
    ResetXAxisSettings();
    const int c = m_xAxis.channel;
    CDispatchDriver xAxis = AxisItem(1);
    const COLORREF xColour = LineRow(8).lineColor;
    if (c >= 0 && c < n && sets && sets[c]) {
        m_yVsX = 1;
        m_xAxis.dataSet = sets[c];
        xAxis.SetString(DISPID_CAPTION, sets[c]->m_name);
        xAxis.SetString(11, YFormat(m_xAxis.decimals));
    } else if (c == 99) {
        SetupYAxis(1, xColour);
    } else {
        m_yVsX = 0;
        m_xAxis.dataSet = nullptr;
        const CDataTreeBrench* first = m_plots[0].dataSet;
        const WORD rate = first ? first->m_rateCode : 0;
        m_xAxis.axisName = rate == 0 ? "Samples" : "Time";
        const RateInfoStruct ri = RateInfo(rate);
        m_xAxis.timeFormat = ri.timeUnit;
        m_xAxis.decimals = 2;
        m_xAxis.labelValue = 0;
        xAxis.SetString(DISPID_CAPTION, rate == 0 || m_barGraph
                                            ? CString("Samples")
                                            : "Time" + GetTimeUnitCaption(ri.timeUnit));
        // Labels in the caption's unit: sample numbers would read as seconds at any rate.
        if (rate != 0 && !m_barGraph && first)
            m_xLabelFormat = FormatTimeAxis(first->m_startTime, ri.intervalSeconds, ri.unitInterval,
                                            ri.timeUnit, TRUE, 0, 0, 0);
        else if (first)
            m_xLabelFormat = kSampleLabelFormat;
        SetupYAxis(1, xColour);
    }
    ApplyXAxisSettings();
}

void CGraphView::ReplacePlotDataSet(CDataTreeBrench* oldSet, CDataTreeBrench* newSet) {
    for (int p = 0; p < m_plotCount; ++p)
        if (m_plots[p].dataSet == oldSet) {
            m_plots[p].dataSet = newSet;
            m_written[p] = Written();
            PlotAllData(p);
            return;
        }
}

void CGraphView::ResetRecord(int i) {
    PlotRecordStruct& r = m_plots[i];
    if (r.dataSet) SetDataSetShown(r.dataSet, FALSE);
    const WORD channel = r.channel;
    r = PlotRecordStruct();
    r.TakeLineRow(LineRow(i));
    r.grid = i == 0;
    // A channel that reads as negative is no channel.
    r.channel = static_cast<SHORT>(channel) < 0 ? PlotRecordStruct::kNoChannel : channel;
}

void CGraphView::ForgetWritten() {
    for (Written& w : m_written)
        w = Written();
}

void CGraphView::ClearControl() {
    m_graph.ClearData();
    m_graph.GetPlots().InvokeMethod(259);
    ForgetWritten();
    CDispatchDriver axes = m_graph.GetAxes();
    for (LONG a = axes.Count(); a >= 3; --a) {
        const VARIANT index = VarI4(a);
        axes.InvokeMethod(257, {&index, 1});
    }
    PutAxisRange(1, 0, 10);
    m_xAxis.yAutoscale = 1;
    AxisItem(1).SetString(DISPID_CAPTION, "");
    AxisItem(2).SetString(DISPID_CAPTION, "");
    // The two axes stay with no plot on them: they go back to the look of a new graph, not that
    // of the last plot's time labels, scale, colour and unit.
    m_xLabelFormat.Empty();
    AxisItem(1).SetString(11, "");
    PutAxisRange(2, 0, 10);
    AxisItem(2).SetString(11, "");
    SetupYAxis(2, 0);
    m_rightAxis = 3;
}

void CGraphView::RefreshGraph(BOOL clearAll) {
    m_graphState = 4;
    SetPlayEnabled(FALSE);
    SetPauseEnabled(FALSE);
    if (m_currentGraph) m_currentGraph->m_shown = 0;
    m_currentGraph = nullptr;
    HideCursors();
    for (PlotRecordStruct& r : m_plots)
        if (r.dataSet && r.channel != 66) SetDataSetShown(r.dataSet, FALSE);
    m_playbackMode = 0;
    if (m_doc)
        m_doc->m_graphList.ClearShownFlags([this](DWORD item) {
            if (m_doc->m_dataTreeView) m_doc->m_dataTreeView->SetGraphCheckState(item, 1);
        });

    int start = clearAll ? 0 : m_plotCount;
    start = std::clamp(start, 0, kMaxPlots);
    // Records marked to stay move to the front of the free ones, so every record below the
    // count keeps a data set.
    std::vector<PlotRecordStruct> kept;
    for (int i = start; i < kMaxPlots; ++i)
        if (m_plots[i].dataSet && m_plots[i].channel == 66) {
            kept.push_back(m_plots[i]);
            kept.back().channel = 77;
            m_plots[i].dataSet = nullptr;
        }
    for (int i = start; i < kMaxPlots; ++i)
        ResetRecord(i);
    for (const PlotRecordStruct& r : kept)
        m_plots[start++] = r;
    m_plotCount = static_cast<SHORT>(start);

    // The control is cleared only when no plot stays on it.
    if (m_plotCount == 0) ClearControl();

    if (m_frame) m_frame->m_readoutText.Empty();
    EnableGraphCommands(FALSE);
    SetReadoutText("");
}

void CGraphView::SetTimerOrReport(UINT_PTR id, UINT period, BYTE& running) {
    if (running) return;
    if (SetTimer(id, period)) {
        running = 1;
        return;
    }
    // Posted: a start may come from inside another timer's handler, which must not run a modal
    // loop. The flag stays clear, so the next start tries again.
    qCWarning(lcGraph) << "timer" << id << "could not be set";
    PostMessage(UM_TIMER_FAILED);
}

LRESULT CGraphView::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == UM_TIMER_FAILED) {
        ::MessageBox(this, "SetTimer failed", "Error", MB_OK | MB_ICONSTOP);
        return 0;
    }
    if (msg == UM_MISSING_SENSORS) {
        ::MessageBox(this, "Missing external sensors. Please connect sensors according to workbook",
                     "", MB_OK);
        return 0;
    }
    return CFormView::WindowProc(msg, wParam, lParam);
}

void CGraphView::StartScrollTimer() {
    m_liveData = 0;
    SetTimerOrReport(kScrollTimer, kScrollPeriod, m_scrollTimerRunning);
}

void CGraphView::StopScrollTimer() {
    if (!m_paused) PlotNewPoints();
    if (m_scrollTimerRunning) {
        KillTimer(kScrollTimer);
        m_scrollTimerRunning = 0;
    }
    if (!m_paused && m_liveData && m_xAxis.yAutoscale) ApplyAxisScales(0, FALSE, 0);
}

void CGraphView::PlotNewPoints() {
    for (int p = 0; p < m_plotCount; ++p) {
        PlotRecordStruct& r = m_plots[p];
        if (m_playbackMode) {
            WritePlotPoints(p);
        } else if (r.dataSet && r.dataSet->GetYCount() > r.pointsShown) {
            r.pointsShown = r.dataSet->GetYCount();
            WritePlotPoints(p);
        }
    }
}

void CGraphView::WritePlotPoints(int p) {
    PlotRecordStruct& r = m_plots[p];
    CDataTreeBrench* ds = r.dataSet;
    const LONG n = r.pointsShown;
    if (!ds || ds->IsExperiment() || n <= 0) return;
    m_liveData = 1;
    SetDataSetShown(ds, TRUE);
    const auto un = std::min({static_cast<size_t>(n), ds->m_x->size(), ds->m_y->size()});
    CDispatchDriver plot = PlotItem(p);
    Written& w = m_written[p];

    if (m_barGraph) {
        const VARIANT args[2] = {Slice(ds->m_x->data(), 0, un), Slice(ds->m_y->data(), 0, un)};
        plot.InvokeMethod(kPlotData, args);
        AxisItem(1).SetDouble(9031, graph_axis::BarWidth(ds->m_x->data(), un));
        w = Written();
    } else {
        const double* xs = ds->m_x->data();
        const CDataTreeBrench* xSet = nullptr;
        if (m_yVsX) {
            xSet = m_xAxis.dataSet;
            if (!xSet || xSet->IsExperiment() || xSet->m_y->size() < un) return;
            xs = xSet->m_y->data();
        }
        const auto m = static_cast<size_t>(w.count);
        if (w.dataSet == ds && w.xDataSet == xSet && m <= un) {
            if (m < un) {
                const VARIANT args[2] = {
                    xSet ? BuildXValueArray(xSet, ds, m, un) : Slice(xs, m, un),
                    Slice(ds->m_y->data(), m, un)};
                plot.InvokeMethod(kPlotAppend, args);
                if (xSet) WriteBreakKeys(plot, ds, m, un);
            }
        } else {
            const VARIANT args[2] = {xSet ? BuildXValueArray(xSet, ds, 0, un) : Slice(xs, 0, un),
                                     Slice(ds->m_y->data(), 0, un)};
            plot.InvokeMethod(kPlotData, args);
            plot.SetDouble(kPlotBreakStep, kMissingSampleStep);
            if (xSet) WriteBreakKeys(plot, ds, 0, un);
        }
        w = {ds, xSet, static_cast<LONG>(un)};
    }

    if (m_xAxis.yAutoscale) ApplyAxisScales(n, TRUE, p);
    if (r.yAutoscale) ScaleAxisToData(p + 2, r.lastScaled, 0, 0);
    PromoteTimeAxis(n);
}

void CGraphView::PromoteTimeAxis(LONG n) {
    if (m_plotCount < 1 || !m_plots[0].dataSet) return;
    const CDataTreeBrench* ds = m_plots[0].dataSet;
    const RateInfoStruct ri = RateInfo(ds->m_rateCode);
    const auto promotion =
        graph_axis::PromoteTimeAxis(m_xAxis.timeFormat, n * ri.intervalSeconds, ri.intervalSeconds,
                                    ri.unitInterval, ds->m_startTime);
    if (!promotion) return;
    m_xAxis.timeFormat = promotion->code;
    m_xLabelFormat = promotion->format;
    CDispatchDriver xAxis = AxisItem(1);
    xAxis.SetString(DISPID_CAPTION, "Time" + GetTimeUnitCaption(promotion->code));
    xAxis.SetString(11, m_xLabelFormat);
}

void CGraphView::ResetXAxisSettings() {
    if (m_xAxis.channel != 99) m_xAxis.dataSet = nullptr;
    if (m_doc && m_doc->m_axisHold) return;
    m_xAxis.yAutoscale = 1;
    m_xAxis.yMin = 9999999.0;
    m_xAxis.yMax = -99999999.0;
    m_xAxis.decimals = 2;
    m_xAxis.axisName.Empty();
    m_xAxis.labelValue = 0;
    m_xAxis.grid = 1;
    m_xLabelFormat.Empty();
}

void CGraphView::SetDataSetShown(CDataTreeBrench* ds, BOOL shown) {
    if (!ds) return;
    const BYTE want = shown ? 1 : 0;
    if (ds->m_shown == want) return;
    int image = m_doc ? m_doc->m_dataList.SetChecked(ds->m_id, want) : 0;
    if (image == 0) {  // not in the document's list
        ds->m_shown = want;
        image = want ? 2 : 1;
    }
    if (m_doc && m_doc->m_dataTreeView) m_doc->m_dataTreeView->SetCheckState(ds->m_id, image);
}

// ---- playback ----

void CGraphView::OnTimer(UINT_PTR id) {
    if (id == kScrollTimer) {
        PlotNewPoints();
    } else if (id == kPlaybackTimer) {
        m_playbackPosition += m_pointsPerTick;
        AdvancePlayback();
    }
    CFormView::OnTimer(id);
}

void CGraphView::SetPlaybackMode(BOOL on) {
    m_playbackMode = on ? 1 : 0;
    if (on)
        for (PlotRecordStruct& r : m_plots)
            r.pointsShown = 0;
}

BOOL CGraphView::StartPlayback() {
    if (m_plotCount < 1) return FALSE;
    m_playbackFinished = 0;
    const WORD rate = m_plots[0].dataSet ? m_plots[0].dataSet->m_rateCode : 0;
    const graph_axis::PlaybackRate pace = graph_axis::PlaybackRateFor(rate);
    m_playbackPeriod = pace.periodMs;
    m_pointsPerTick = pace.pointsPerTick;
    SetPlaybackMode(TRUE);
    m_playbackPosition = m_pointsPerTick;
    AdvancePlayback();
    PlotNewPoints();
    SetTimerOrReport(kPlaybackTimer, m_playbackPeriod, m_playbackTimerRunning);
    SetStopEnabled(TRUE);
    return TRUE;
}

void CGraphView::AdvancePlayback() {
    bool left = false;
    for (int p = 0; p < m_plotCount; ++p) {
        PlotRecordStruct& r = m_plots[p];
        const CDataTreeBrench* ds = r.dataSet;
        if (!ds || ds->IsExperiment()) continue;
        const LONG n = std::min(ds->GetYCount(), ds->GetXCount());
        if (r.pointsShown >= n) continue;
        left = true;
        while (r.pointsShown < n &&
               ds->m_x->data()[r.pointsShown] < static_cast<double>(m_playbackPosition))
            ++r.pointsShown;
    }
    PlotNewPoints();
    if (!left) {
        SetPlaybackMode(FALSE);
        // A playing video ends the replay itself, when it stops.
        if (!VideoPlaying()) OnPlaybackStop();
    }
}

void CGraphView::SyncToVideoPosition(LONG position) {
    m_playbackPosition = position;
    AdvancePlayback();
    PlotNewPoints();
}

void CGraphView::EndPlayback() {
    // Every sample is shown at the end, the last one too.
    for (int p = 0; p < m_plotCount; ++p) {
        PlotRecordStruct& r = m_plots[p];
        if (!r.dataSet) continue;
        r.pointsShown = r.dataSet->GetYCount();
        WritePlotPoints(p);
    }
    if (!(m_yVsX && !m_xAxis.yAutoscale)) ApplyAxisScales(0, FALSE, 0);
    StopPlaybackTimer();
    m_playbackFinished = 1;
}

void CGraphView::StartPlaybackTimer() {
    m_playbackFinished = 0;
    SetTimerOrReport(kPlaybackTimer, m_playbackPeriod, m_playbackTimerRunning);
}

void CGraphView::StopPlaybackTimer() {
    if (!m_playbackTimerRunning) return;
    KillTimer(kPlaybackTimer);
    m_playbackTimerRunning = 0;
}

void CGraphView::ClearGraphPlots() {
    m_graph.ClearData();
    ForgetWritten();
}

void CGraphView::SetStopEnabled(BOOL on) {
    if (CMainFrame* f = MainFrame()) f->SetCommandEnabled(ID_PLAYBACK_STOP, on);
}
void CGraphView::SetPlayEnabled(BOOL on) {
    if (CMainFrame* f = MainFrame()) f->SetCommandEnabled(ID_PLAYBACK_PLAY, on);
}
void CGraphView::SetRecordEnabled(BOOL on) {
    if (CMainFrame* f = MainFrame()) f->SetCommandEnabled(ID_PLAYBACK_RECORD, on);
}
void CGraphView::SetPauseEnabled(BOOL on) {
    if (CMainFrame* f = MainFrame()) f->SetCommandEnabled(ID_PLAYBACK_PAUSE, on);
}

CString CGraphView::GetTimeUnitCaption(int code) {
    return graph_axis::GetTimeUnitCaption(code);
}

CString CGraphView::FormatTimeAxis(const CPreciseDateTime& start, double intervalSeconds,
                                   double intervalUnits, int timeMode, BOOL axisFormat,
                                   int valueMode, LONG first, LONG second) {
    if (axisFormat)
        return graph_axis::TimeAxisLabelFormat(start, intervalSeconds, intervalUnits, timeMode);
    return graph_axis::TimeValueText(start, intervalSeconds, intervalUnits, timeMode, valueMode,
                                     first, second);
}
