#pragma once
// CXYSettingDialog: the X source of a Y versus X graph, a live channel of the logger or a data set
// the graph shows.

#include <vector>

#include "logger/dorvik.h"
#include "platform/ui/dialog.h"

class CVarnelDoc;

class CXYSettingDialog : public CDialog {
public:
    static constexpr int kMaxSensors = 100;
    static constexpr const char* kNothingText = "You must display an experiment first";

    explicit CXYSettingDialog(CWnd* parent = nullptr);
    void SetSensorList(const SensorListItemStruct* list, int count);
    void SetDocument(CVarnelDoc* doc) { m_doc = doc; }
    BOOL OnInitDialog() override;
    void OnOK() override;

    // The combo's texts, channels first, and the ids of the data sets after them; usable before
    // the dialog is shown.
    std::vector<CString> ItemTexts();
    // The item shown first: the current X data set's, else 0.
    int InitialItem() const;

    // After OK: the item chosen.
    int m_selection = -1;
    SensorListItemStruct m_sensors[kMaxSensors];
    SHORT m_sensorCount = 0;
    std::vector<DWORD> m_dataSetIds;

private:
    void FillPlotList();
    CVarnelDoc* m_doc = nullptr;
};
