// The settings reader on any bytes: it must never crash, must leave every selecting value in its
// range, and what it keeps must survive a save and a second read unchanged.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "logger/settings.h"
#include "platform/base/file.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CSettings settings("/nonexistent/varnel-fuzz/Settings.vns");
    CMemFile file(data, size);
    settings.LoadFrom(file);

    Check(settings.m_interfaceLevel <= 2 && settings.m_temperatureUnit <= 2 &&
          settings.m_pressureUnit <= 5);
    Check(settings.m_recordingMode <= 2 && settings.m_comNumber >= 1);
    Check(settings.m_externalSensor1 < CSettings::kSensorTypes &&
          settings.m_externalSensor2 < CSettings::kSensorTypes);
    Check(settings.m_graphMode != 4 && settings.m_tableMode != 2 && settings.m_tableMode != 4);

    const std::vector<BYTE> saved = settings.GetFileBytes();
    CSettings again("/nonexistent/varnel-fuzz/Settings.vns");
    CMemFile savedFile(saved);
    again.LoadFrom(savedFile);
    Check(again.GetFileBytes() == saved);
    return 0;
}
