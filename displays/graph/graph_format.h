#pragma once
// "Format graph": the graph's property sheet. Its pages list the X axis and the plots; the Scale
// page sets an axis' range or its auto scale, the Lines page lists the same entries. The pages
// work on copies that OK writes to the graph.

#include <vector>

#include "controls/color_combo_ex.h"
#include "logger/precise_time.h"
#include "models/graph_lines_info.h"
#include "platform/activex/event_sink.h"
#include "platform/activex/instruments.h"
#include "platform/gdi/image_list.h"
#include "platform/ui/combo_box_ex.h"
#include "platform/ui/property_sheet.h"

class CGraphView;
class CSettings;

struct GraphScaleInfoStruct {
    BOOL autoScale = TRUE;
    double minimum = 0;
    double maximum = 0;
    WORD timeCode = 0;
    BOOL gridLines = FALSE;
    BOOL logarithmic = FALSE;
    SHORT linkCount = -1;
    SHORT links[8] = {};
};

class CGraphFormatScales : public CPropertyPage {
public:
    CGraphFormatScales();
    void SetGraphView(CGraphView* view, int entry) {
        m_view = view;
        m_selected = entry;
    }
    void LoadEntries();
    void ShowEntry(int entry);
    BOOL OnInitDialog() override;
    void OnOK() override;
    const std::vector<GraphScaleInfoStruct>& Records() const { return m_records; }

protected:
    void OnSelectEntry();
    void OnAutoScale();
    void OnMinimumDone();
    void OnMaximumDone();
    void OnLogarithmic();
    void OnGridLines();
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    DECLARE_MESSAGE_MAP()

private:
    // The X entry of a time graph shown as clock time or date: its limits on the pickers.
    bool UsesPickers(int entry) const;
    // Sample number n of the first plot's recording as a date and time, whole seconds.
    CPreciseDateTime SampleTime(double sample) const;
    void ShowPickers(const GraphScaleInfoStruct& r);
    // The pickers' minimum or maximum, kept within the recording.
    CPreciseDateTime ReadPickers(bool maximum);
    void ClampPickers();
    // Display units of an entry's limits: a time axis in its time unit, a temperature or a
    // pressure in the settings' unit.
    double ToDisplay(int entry, double value) const;
    double FromDisplay(int entry, double value) const;
    void TakeLimit(UINT editId, bool maximum);

    CGraphView* m_view = nullptr;
    int m_selected = 0;
    int m_shown = -1;
    std::vector<GraphScaleInfoStruct> m_records;
    // The recording the X axis of a time graph counts its samples from.
    CPreciseDateTime m_start;
    double m_intervalSeconds = 0;
    LONG m_lastSample = 0;
};

class CGraphFormatLines : public CPropertyPage, public CEventSinkHost {
public:
    // Marker codes of the marker pictures, in their order.
    static constexpr LONG kMarkerCodes[8] = {10, 2, 6, 16, 9, 1, 22, 13};

    CGraphFormatLines();
    void SetGraphView(CGraphView* view) { m_view = view; }
    void SetSettings(CSettings* settings) { m_settings = settings; }
    void LoadEntries();
    void ShowEntry(int entry);
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    const std::vector<GraphLinesInfoStruct>& Records() const { return m_records; }

protected:
    void OnSelectEntry();
    void OnLineStyle();
    void OnWeight();
    void OnMarkerStyle();
    void OnLineVisible();
    void OnMarkerVisible();
    void OnPickColor(bool line);
    void OnRestoreDefaults();
    DECLARE_MESSAGE_MAP()

private:
    GraphLinesInfoStruct* Shown();
    void ShowColor(CColorComboEx& combo, COLORREF colour);
    void EnableLine(bool on);
    void EnableMarkers(bool on);

    CGraphView* m_view = nullptr;
    CSettings* m_settings = nullptr;
    std::vector<GraphLinesInfoStruct> m_records;
    int m_shown = -1;
    // "Restore defaults" was pressed: OK resets the settings' line records first.
    bool m_restored = false;
    CColorComboEx m_lineColor, m_markerColor;
    CComboBoxEx m_lineStyle, m_weight, m_markerStyle;
    CImageList m_lineStyleImages, m_weightImages, m_markerImages;
    CCWButton m_linePicker, m_markerPicker;
};

class CGraphFormatProperty : public CPropertySheet {
public:
    CGraphFormatProperty(LPCTSTR caption, CWnd* parent);
    BOOL OnInitDialog() override;
    CGraphFormatScales m_scales;
    CGraphFormatLines m_lines;
};
