#pragma once
// The X axis of a prepared graph: time or one of the selected sensors, its colour and a fixed or
// automatic range. The dialog edits a copy of the launch's X-axis record and writes it on OK. A
// time range is kept in samples and shown in the rate's time unit.

#include <vector>

#include "controls/color_combo_ex.h"
#include "logger/launch_header.h"
#include "platform/activex/event_sink.h"
#include "platform/activex/instruments.h"
#include "platform/ui/dialog.h"

class CXAxisSetupDisplayProperties : public CDialog, public CEventSinkHost {
public:
    // What the measurement list shows of a selected sensor, and its full range.
    struct Channel {
        CString name;
        double minimum = 0;
        double maximum = 0;
    };

    explicit CXAxisSetupDisplayProperties(CWnd* parent = nullptr);
    // The selected sensors' basic mask bits, the rate code and the record the dialog edits.
    void SetSensors(const BYTE* bits, int count, WORD rateCode, LaunchChannelStruct* record) {
        m_count = count < 0 ? 0 : (count > 7 ? 7 : count);
        for (int i = 0; i < m_count; ++i)
            m_sensorBits[i] = bits[i];
        m_rateCode = rateCode;
        m_record = record;
    }
    // Names and ranges of the sensors, in the order of SetSensors; without them a sensor is
    // named by its bit and has no range.
    void SetChannels(std::vector<Channel> channels) { m_channels = std::move(channels); }
    const LaunchChannelStruct& GetEdited() const { return m_edit; }
    CColorComboEx& GetColorCombo() { return m_color; }

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnMeasurement();
    void OnAutoScale();
    void OnMinimumDone();
    void OnMaximumDone();
    void OnPickColor();

    BYTE m_sensorBits[7] = {};
    int m_count = 0;
    WORD m_rateCode = 0;
    LaunchChannelStruct* m_record = nullptr;

protected:
    DECLARE_MESSAGE_MAP()

private:
    void UpdateControls();
    void ShowRange();
    void ShowColor(COLORREF color);
    void TakeRangeEdit(bool minimum);
    Channel ChannelAt(int index) const;

    std::vector<Channel> m_channels;
    LaunchChannelStruct m_edit;
    // The range as last shown or typed.
    CString m_shownMin, m_shownMax;
    CColorComboEx m_color;
    CCWButton m_picker;
};
