#pragma once
// The display properties of one sensor's launch record: its line, markers and axis range. In this
// first form it only carries the record, the sensor type and whether the sensor is an external
// input; the editing controls come with the meters and sensor dialogs.

#include "logger/launch_header.h"
#include "platform/ui/dialog.h"

class CSensorPropertiesDialog : public CDialog {
public:
    explicit CSensorPropertiesDialog(CWnd* parent = nullptr);
    // `type` is a built-in sensor's code or, with `external`, a type of the sensor-type table.
    void SetRecord(LaunchChannelStruct* record, WORD type, BOOL external) {
        m_record = record;
        m_sensorType = type;
        m_external = external;
    }

    LaunchChannelStruct* m_record = nullptr;
    WORD m_sensorType = 0;
    BOOL m_external = FALSE;
};
