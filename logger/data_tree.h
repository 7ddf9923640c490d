#pragma once
// A node of the data map: an experiment or one data set.

#include "platform/base/types.h"

class CDataTreeBrench {
public:
    virtual ~CDataTreeBrench() = default;

    WORD m_inputKind = 0;  // kind of input the series came from; 0 for a logger's own sensor
    BYTE m_sensorId = 0;   // identification number of the sensor
    BYTE m_modelCode = 0;  // 100 ('d') recorded from the Dorvik QK, 0 from the basic Dorvik
};
