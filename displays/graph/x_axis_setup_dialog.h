#pragma once
// The X axis of a prepared graph: time or one of the selected sensors, its scale and look. In this
// first form it carries the launch's X-axis record and the selected sensors through; its controls
// come with the graph presentations.

#include "logger/launch_header.h"
#include "platform/ui/dialog.h"

class CXAxisSetupDisplayProperties : public CDialog {
public:
    explicit CXAxisSetupDisplayProperties(CWnd* parent = nullptr);
    // The selected sensors' basic mask bits, the rate code and the record the dialog edits.
    void SetSensors(const BYTE* bits, int count, WORD rateCode, LaunchChannelStruct* record) {
        m_count = count < 0 ? 0 : (count > 7 ? 7 : count);
        for (int i = 0; i < m_count; ++i)
            m_sensorBits[i] = bits[i];
        m_rateCode = rateCode;
        m_record = record;
    }

    BYTE m_sensorBits[7] = {};
    int m_count = 0;
    WORD m_rateCode = 0;
    LaunchChannelStruct* m_record = nullptr;
};
