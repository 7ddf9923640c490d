#pragma once
// The kind and the sensor of each of the four meters, for a meter launch file.

#include <array>

#include "platform/ui/dialog.h"

class CMeterSettingDialog : public CDialog {
public:
    static constexpr int kMeters = 4;
    static constexpr int kSensors = 7;
    // The sensor list's masks, in list order.
    static constexpr BYTE kSensorMasks[kSensors] = {16, 4, 32, 64, 128, 1, 2};

    explicit CMeterSettingDialog(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;

    // 0 "Analog meter", 1 "Bar meter", 2 "Change meter", 3 "Digital meter".
    std::array<WORD, kMeters> m_meterType{0, 1, 2, 3};
    // One sensor bit each.
    std::array<BYTE, kMeters> m_sensorMask{16, 16, 16, 16};

    // The list entry of a mask; one that is none of them shows as the first.
    static int SensorIndex(BYTE mask);
};
