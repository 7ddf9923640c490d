#pragma once
// How one sensor of a launch set-up is plotted: line and markers, their colours and styles, and
// a fixed or automatic scale. The dialog edits a copy of the channel record and writes it back on
// OK; the range is shown and typed in the chosen unit but kept in Celsius or kPa.

#include "controls/color_combo_ex.h"
#include "logger/launch_header.h"
#include "platform/activex/event_sink.h"
#include "platform/activex/instruments.h"
#include "platform/gdi/image_list.h"
#include "platform/ui/combo_box_ex.h"
#include "platform/ui/dialog.h"

class CVarnelDoc;

class CSensorPropertiesDialog : public CDialog, public CEventSinkHost {
public:
    static constexpr int kMarkerStyles = 8;
    // The marker style codes of the style list, in list order.
    static constexpr LONG kMarkerCodes[kMarkerStyles] = {10, 2, 6, 16, 9, 1, 22, 13};

    explicit CSensorPropertiesDialog(CWnd* parent = nullptr);

    // Before the dialog is shown. The record is written only on OK.
    void SetChannelRecord(LaunchChannelStruct* record);
    void SetLaunchContext(CVarnelDoc* doc) { m_doc = doc; }
    // The sensor the record belongs to: an external input and its type of the sensor-type
    // table, or a built-in sensor and its code. It decides the unit of the range.
    void SetSensor(BOOL external, int id);
    // Set when the line style or colour changed (and OK was pressed).
    BOOL IsChanged() const { return m_changed; }
    const LaunchChannelStruct& GetEdited() const { return m_edit; }
    LaunchChannelStruct* GetChannelRecord() const { return m_record; }
    BOOL IsExternal() const { return m_external; }
    int GetSensorId() const { return m_sensorId; }

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;

    void OnLineStyle();
    void OnLineWeight();
    void OnLineVisible();
    void OnMarkerVisible();
    void OnMarkerStyle();
    void OnAutoScale();
    void OnMinimumDone();
    void OnMaximumDone();
    void OnPickColor(bool line);

    // The list entry of a marker style code, -1 for a code outside the list.
    static int MarkerEntry(LONG code);
    // A whole text as a finite number, in the "C" locale; false for anything else.
    static bool ParseNumber(const CString& text, double& value);
    // Fills a picture combo with `count` images cut from `bitmap`; the format sheet's Lines page
    // builds its combos the same way.
    static void BuildPictureCombo(CComboBoxEx& combo, CImageList& list, UINT bitmap, int width,
                                  int count);

protected:
    DECLARE_MESSAGE_MAP()

private:
    void ShowColor(CColorComboEx& combo, COLORREF color);
    void EnableLineControls(BOOL enable);
    void ShowRange();
    // Takes the edit's text into the record when it is a number that keeps max above min;
    // otherwise shows the record's values again.
    void TakeRangeEdit(bool minimum);

    LaunchChannelStruct* m_record = nullptr;
    LaunchChannelStruct m_edit;
    CVarnelDoc* m_doc = nullptr;
    BOOL m_external = FALSE;
    int m_sensorId = -1;
    BOOL m_changed = FALSE;
    // The range as last shown: an edit left as it was keeps the value it shows rounded.
    CString m_shownMin, m_shownMax;

    CColorComboEx m_lineColor;
    CColorComboEx m_markerColor;
    CComboBoxEx m_lineStyle;
    CComboBoxEx m_lineWeight;
    CComboBoxEx m_markerStyle;
    CCWButton m_linePicker;
    CCWButton m_markerPicker;
    CImageList m_lineStyleImages;
    CImageList m_lineWeightImages;
    CImageList m_markerStyleImages;
};
