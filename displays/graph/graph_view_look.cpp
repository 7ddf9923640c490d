// The look a plot is given when it is added: its sensor's colour and a marker style of its own.

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "displays/graph/graph_view.h"
#include "logger/data_tree.h"
#include "logger/settings.h"

namespace {

// Colour index of each input kind; -1 where a kind has no sensor colour.
constexpr int kQKColour[] = {0, 4, 1, 2, 3, 5, 6};
constexpr int kBasicColour[] = {5, 6, 1, -1, 0, 2, 3, 4};
constexpr int kDerivedColour = 7;
// The basic sensors' mask bits, by colour index.
constexpr int kColourBits[] = {16, 4, 32, 64, 128, 1, 2};
// Tried in this order once the first plot of an input has taken the plain look.
constexpr LONG kMarkerOrder[] = {10, 2, 6, 16, 1, 9, 22, 13};

int ColourIndex(BYTE model, BYTE kind, BYTE derived) {
    if (derived) return kDerivedColour;
    if (model != 0) return kind < std::size(kQKColour) ? kQKColour[kind] : -1;
    return kind < std::size(kBasicColour) ? kBasicColour[kind] : -1;
}

}  // namespace

COLORREF CGraphView::GetSensorColor(BYTE model, BYTE kind, BYTE derived) const {
    const CSettings* s = Settings();
    const int index = ColourIndex(model, kind, derived);
    return !s || index < 0 ? 0 : s->m_plotColors[index];
}

bool CGraphView::TakesPlaceColour(const CDataTreeBrench* dataSet) {
    // An imported column comes from no sensor of ours: it is told apart by its place.
    return dataSet->m_secondValue == 0 ||
           (dataSet->m_originCode == 0 &&
            ColourIndex(dataSet->m_modelCode, static_cast<BYTE>(dataSet->m_inputKind),
                        dataSet->m_derived) < 0);
}

COLORREF CGraphView::PlotColour(const CDataTreeBrench* dataSet, int position) const {
    return PlotColour(dataSet, LineRow(position).lineColor);
}

COLORREF CGraphView::PlotColour(const CDataTreeBrench* dataSet, COLORREF placeColour) const {
    const BYTE kind = static_cast<BYTE>(dataSet->m_inputKind);
    // A kind with no colour of its own would be drawn black.
    if (TakesPlaceColour(dataSet) ||
        ColourIndex(dataSet->m_modelCode, kind, dataSet->m_derived) < 0)
        return placeColour;
    return GetSensorColour(dataSet->m_modelCode, kind, dataSet->m_derived);
}

COLORREF CGraphView::GetSensorColorByBit(BYTE bit) const {
    const CSettings* s = Settings();
    if (!s) return 0;
    for (size_t i = 0; i < std::size(kColourBits); ++i)
        if (kColourBits[i] == bit) return s->m_plotColors[i];
    return 0;
}

LONG CGraphView::ChooseMarkerStyle(int n) const {
    if (n <= 0 || n >= kMaxPlots || !m_plots[n].dataSet) return 0;
    const WORD kind = m_plots[n].dataSet->m_inputKind;
    bool taken[23] = {};
    bool any = false;
    for (int i = 0; i < n; ++i) {
        const CDataTreeBrench* ds = m_plots[i].dataSet;
        // Imported data sets have no input of their own to be told apart from.
        if (!ds || ds->m_originCode == 0 || ds->m_inputKind != kind) continue;
        any = true;
        const LONG style = m_plots[i].pointStyle;
        if (style >= 0 && style < LONG(std::size(taken))) taken[style] = true;
    }
    if (!any) return 0;
    for (LONG code : kMarkerOrder)
        if (!taken[code]) return code;
    return 0;
}

void CGraphView::ApplyMarkerStyle(int n) {
    if (n < 0 || n >= kMaxPlots) return;
    PlotRecordStruct& r = m_plots[n];
    const LONG style = ChooseMarkerStyle(n);
    if (style) {
        r.pointStyle = style;
        r.pointsSwitch = 1;
        r.markerColour = 0;
        return;
    }
    // Nothing to set the plot apart from: the markers the user chose for the place stand.
    const GraphLinesInfoStruct& row = LineRow(n);
    r.pointStyle = row.markerStyle;
    r.pointsSwitch = row.markerVisible;
    r.markerColour = row.markerColor;
}

VARIANT CGraphView::BuildXValueArray(const CDataTreeBrench* xSet, const CDataTreeBrench* ds,
                                     size_t from, size_t to) {
    if (to < from) to = from;
    const size_t n = std::min(to, ds->m_x->size());
    std::vector<double> x = graph_axis::XValuesBySample(
        xSet->m_x->data(), xSet->m_y->data(), std::min(xSet->m_x->size(), xSet->m_y->size()),
        ds->m_x->data(), std::min(from, n), n);
    // Points without a sample number of their own are gaps too.
    x.resize(to - from, std::nan(""));
    return VarArray(std::move(x));
}
