#pragma once
// The kinds (0 analog, 1 bar, 2 change, 3 digital) and sensors (basic mask bits) of the four
// meters. In this first form it carries them through; its combos come with the meters.

#include "platform/ui/dialog.h"

class CMeterSettingDialog : public CDialog {
public:
    explicit CMeterSettingDialog(CWnd* parent = nullptr);

    BYTE m_meterTypes[4] = {0, 1, 2, 3};
    BYTE m_meterSensors[4] = {16, 16, 16, 16};
};
