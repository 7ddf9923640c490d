#include "logger/settings.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "logger/helpers.h"
#include "platform/base/archive.h"
#include "platform/base/file.h"
#include "platform/base/log.h"
#include "platform/base/paths.h"
#include "platform/bt/bluez_driver.h"

namespace {

const char* const kHeader = "Settings v.1.08";

struct SensorRow {
    const char* name;
    const char* shortName;
    const char* unit;
    double minimum, maximum, offset, factor;
};

// Slots 2 to 7.
const SensorRow kInternalSensors[] = {
    {"Light", "Light", "lx", 0, 200, 0, 19.53125},
    {"Voltage", "Voltage", "V", 0, 5, 0, 0},
    {"Temperature", "Temperature", "°C", -10, 40, 0, 0},
    {"Humidity", "Humidity", "%", 0, 100, -25, 0.59375},
    {"Pressure", "Pressure", "KPa", 79.08, 109.52, 79.08, 0.11890625},
    {"Sound", "Sound", "db", 60, 110, 0, 0},
};

const SensorRow kTypeTable[CSettings::kSensorTypes] = {
    {"Conductivity", "Conductivity", "mS", 0, 20, 0.024, 0.07803125},
    {"Current ±2.5", "Current", "A", -2.5, 2.5, -2.5, 0.01953125},
    {"Current ±250", "Current", "mA", -250, 250, -250, 1.953125},
    {"Heart rate", "Heart rate", "bpm", 0, 200, 0, 0},
    {"Light 0 - 130", "Light", "klx", 0, 130, 0, 0.5390625},
    {"Oxygen", "Oxygen", "%", 0, 100, 0, 0.98046875},
    {"pH", "pH", "pH", 0, 14, -3.496, 0.08191992207616568},
    {"Ext. Humidity", "Humidity", "%", 0, 100, 0, 0.63430078125},
    {"Spirometer ±315", "Spirometer", "L/min", -315, 315, -621.7, 4.852343797683716},
    {"Temperature -10 - 110", "Temperature", "°C", -10, 110, 0, 0},
    {"Temperature 0 - 1250", "Temperature", "°C", 0, 1250, 0, 0},
    {"Voltage ±2.5", "Voltage", "V", -2.5, 2.5, -2.5, 0.01953125},
    {"Voltage ±25", "Voltage", "V", -25, 25, -25, 0.1953125},
    {"Distance", "Distance", "m", 0, 6, 0, 0.02864},
    {"Turbidity", "Turbidity", "Unit", 0, 100, 0, 0.39215686274509803},
    {"Colorimeter", "Colorimeter", "%T", 0, 100, 0, 0.4878048780487805},
    {"Temperature -10 - 50", "Temperature", "°C", -10, 50, -9.9425, 0.2425},
    {"Light 0 - 300", "Light", "lx", 0, 300, 0, 1.1764705882352942},
    {"Pressure 0 - 10", "Pressure", "KPa", 0, 10, -0.31313131313131315, 0.04040404040404041},
    {"Pressure 0 - 700", "Pressure", "KPa", 0, 700, -37.142857142857146, 2.857142857142857},
};

SensorInfoStruct MakeSensor(const SensorRow& row, BYTE type) {
    return {row.name,    row.shortName, row.unit,   row.minimum,
            row.maximum, row.offset,    row.factor, type};
}

template <class T>
bool OneOf(T value, std::initializer_list<T> allowed) {
    for (T a : allowed)
        if (value == a) return true;
    return false;
}

}  // namespace

CSettings::CSettings() : CSettings(GetDataRoot() + "Settings" + ".vns") {}

CSettings::CSettings(const CString& filePath) {
    SetDefaults();
    m_filePath = filePath;
    Load();
}

void CSettings::SetDefaults() {
    m_interfaceLevel = 2;
    m_temperatureUnit = 0;
    m_pressureUnit = 0;
    m_graphMode = 3;
    m_tableMode = 0;
    m_videoMode = 1;
    m_dataMapMode = 2;
    m_meterMode = 0;
    m_workbookMode = 0;
    m_clockMode = 0;
    m_meterViewValue = 4;
    InitColors();
    ResetLineRecords(true);
    m_recordingMode = 1;
    m_mainWindowRect = CRect(0, 0, 800, 600);
    InitSensorTable();
    m_rememberPort = 0;
    m_comNumber = 1;
    m_fixedSeparators = 0;
    m_videoQuality = 0;
    m_timingMethod = 0;
    m_timingMeasurement = 0;
    m_timingDistance1 = 3.0;
    m_timingDistance2 = 20.0;
    m_singleAxis = 0;
    m_videoHidden = 0;
    m_communicationType = 0;
    m_spareText.Empty();
    m_btPin = "9847";
    for (BYTE& b : m_btAddress)
        b = 0;
    m_serverChannel = 0;
    ApplyBluetoothTarget();
}

bool CSettings::ParseBluetoothTarget(const char* text, BYTE address[6], BYTE* serverChannel) {
    if (!text) return false;
    const char* comma = std::strchr(text, ',');
    const std::string addressText = comma ? std::string(text, comma) : std::string(text);
    BYTE bytes[6];
    if (!platform::bt::ParseAddress(addressText.c_str(), bytes)) return false;
    int channel = 0;
    if (comma) {
        const char* digits = comma + 1;
        if (*digits == '\0' || std::strlen(digits) > 2) return false;
        for (const char* p = digits; *p; ++p) {
            if (*p < '0' || *p > '9') return false;
            channel = channel * 10 + (*p - '0');
        }
        if (channel < 1 || channel > 30) return false;
    }
    std::memcpy(address, bytes, 6);
    *serverChannel = BYTE(channel);
    return true;
}

void CSettings::ApplyBluetoothTarget() {
    const char* text = std::getenv("VARNEL_BLUETOOTH");
    if (!text || !*text) return;
    if (!ParseBluetoothTarget(text, m_btAddress, &m_serverChannel)) {
        qCWarning(lcSettings) << "VARNEL_BLUETOOTH is not <address>[,<channel 1-30>]:" << text;
        return;
    }
    m_communicationType = 1;
}

void CSettings::InitColors() {
    static const COLORREF kColors[kPlotColors] = {
        RGB(255, 0, 0), RGB(255, 158, 62),  RGB(0, 0, 255),     RGB(128, 0, 128),
        RGB(0, 183, 0), RGB(128, 128, 255), RGB(128, 128, 192), RGB(240, 0, 240)};
    for (int i = 0; i < kPlotColors; ++i)
        m_plotColors[i] = kColors[i];
}

void CSettings::InitSensorTable() {
    for (SensorInfoStruct& slot : m_sensorSlots)
        slot = SensorInfoStruct();
    for (int i = 0; i < 6; ++i)
        m_sensorSlots[i + 2] = MakeSensor(kInternalSensors[i], 0);
    for (int i = 0; i < kSensorTypes; ++i)
        m_sensorTypes[i] = MakeSensor(kTypeTable[i], static_cast<BYTE>(i));
    m_externalSensor1 = 0;
    m_externalSensor2 = 0;
}

void CSettings::SetExternalSensor(int slot, int type) {
    if (slot < 0 || slot >= kSensorSlots || type < 0 || type >= kSensorTypes) return;
    const CString shortName = m_sensorSlots[slot].shortName;
    m_sensorSlots[slot] = m_sensorTypes[type];
    m_sensorSlots[slot].shortName = shortName;
}

void CSettings::ResetLineRecords(bool all, int index) {
    for (int i = 0; i < kLineRecords; ++i) {
        if (!all && i != index) continue;
        GraphLinesInfoStruct r;  // the X axis record stays all zeros
        if (i < kPlotColors) {
            r.lineColor = m_plotColors[i];
            r.lineStyle = 1;
            r.lineWidth = 1;
            r.lineVisible = 1;
        }
        m_lineRecords[i] = r;
    }
}

// ---- the file ----

void CSettings::WriteFields(CArchive& ar) const {
    ar << CString(kHeader);
    ar << m_dataMapMode;
    ar << m_graphMode << m_tableMode << m_videoMode;
    ar << m_meterMode << m_workbookMode;
    ar << m_meterViewValue;
    ar << m_clockMode;
    for (const GraphLinesInfoStruct& r : m_lineRecords) {
        ar << static_cast<DWORD>(r.lineColor) << r.lineStyle << r.lineWidth
           << static_cast<LONG>(r.lineVisible) << static_cast<DWORD>(r.markerColor) << r.markerStyle
           << static_cast<LONG>(r.markerVisible);
    }
    ar << m_recordingMode;
    ar << static_cast<LONG>(m_mainWindowRect.left) << static_cast<LONG>(m_mainWindowRect.top)
       << static_cast<LONG>(m_mainWindowRect.right) << static_cast<LONG>(m_mainWindowRect.bottom);
    ar << m_externalSensor1 << m_externalSensor2;
    ar << m_rememberPort << m_comNumber;
    ar << m_fixedSeparators << m_videoQuality;
    ar << m_timingMethod << m_timingMeasurement;
    ar << m_timingDistance2 << m_timingDistance1;
    ar << m_temperatureUnit << m_pressureUnit;
    ar << m_singleAxis;
    for (COLORREF c : m_plotColors)
        ar << static_cast<DWORD>(c);
    ar << m_videoHidden;
    ar << m_interfaceLevel;
}

CString CSettings::ReadFields(CArchive& ar) {
    CString header;
    ar >> header;
    const auto refused = [&header](const char* why) {
        // The header of a foreign file may be anything: a short quote is enough to know it again.
        return CString(why) + " \"" + header.Left(40) + (header.GetLength() > 40 ? "...\"" : "\"");
    };
    if (header.Left(8) != "Settings") return refused("is not a settings file: its header is");
    const double v = header.GetLength() > 11 ? std::atof(header.Mid(11)) : 0.0;
    if (!(v > 0)) return refused("has no version in its header");

    ar >> m_dataMapMode;
    ar >> m_graphMode >> m_tableMode >> m_videoMode;
    ar >> m_meterMode >> m_workbookMode;
    ar >> m_meterViewValue;
    ar >> m_clockMode;
    for (GraphLinesInfoStruct& r : m_lineRecords) {
        DWORD lineColor, markerColor;
        LONG lineVisible, markerVisible;
        ar >> lineColor >> r.lineStyle >> r.lineWidth >> lineVisible >> markerColor >>
            r.markerStyle >> markerVisible;
        r.lineColor = lineColor;
        r.lineVisible = lineVisible;
        r.markerColor = markerColor;
        r.markerVisible = markerVisible;
    }
    ar >> m_recordingMode;
    LONG left, top, right, bottom;
    ar >> left >> top >> right >> bottom;
    m_mainWindowRect = CRect(left, top, right, bottom);
    // A type index from the file picks a table row: an unknown one is the first type.
    ar >> m_externalSensor1;
    if (m_externalSensor1 >= kSensorTypes) m_externalSensor1 = 0;
    SetExternalSensor(0, m_externalSensor1);
    ar >> m_externalSensor2;
    if (m_externalSensor2 >= kSensorTypes) m_externalSensor2 = 0;
    SetExternalSensor(1, m_externalSensor2);
    if (v > 1.01) ar >> m_rememberPort >> m_comNumber;
    if (v > 1.02) ar >> m_fixedSeparators;
    if (v > 1.03) ar >> m_videoQuality;
    if (v > 1.04) {
        ar >> m_timingMethod >> m_timingMeasurement;
        ar >> m_timingDistance2 >> m_timingDistance1;
    }
    if (v > 1.05) {
        ar >> m_temperatureUnit >> m_pressureUnit;
        ar >> m_singleAxis;
    }
    if (v > 1.06) {
        for (COLORREF& c : m_plotColors) {
            DWORD d;
            ar >> d;
            c = d;
        }
    }
    if (v > 1.07) ar >> m_videoHidden >> m_interfaceLevel;
    return CString();
}

// Every value that selects something is checked: one out of its range takes its default.
void CSettings::Validate() {
    const CSettings d{NoLoad{}};
    auto check = [](auto& field, auto fallback, bool ok) {
        if (!ok) field = fallback;
    };
    check(m_graphMode, d.m_graphMode, OneOf<LONG>(m_graphMode, {0, 1, 3, 4}));
    check(m_tableMode, d.m_tableMode, m_tableMode >= 0 && m_tableMode <= 4);
    check(m_videoMode, d.m_videoMode, OneOf<LONG>(m_videoMode, {0, 1, 3}));
    check(m_dataMapMode, d.m_dataMapMode, m_dataMapMode >= 0 && m_dataMapMode <= 4);
    check(m_meterMode, d.m_meterMode, OneOf<LONG>(m_meterMode, {0, 1, 3}));
    check(m_workbookMode, d.m_workbookMode, OneOf<LONG>(m_workbookMode, {0, 3}));
    check(m_clockMode, d.m_clockMode, OneOf<LONG>(m_clockMode, {0, 1}));
    check(m_recordingMode, d.m_recordingMode, m_recordingMode <= 2);
    check(m_comNumber, d.m_comNumber, m_comNumber >= 1);
    check(m_interfaceLevel, d.m_interfaceLevel, m_interfaceLevel <= 2);
    check(m_temperatureUnit, d.m_temperatureUnit, m_temperatureUnit <= 2);
    check(m_pressureUnit, d.m_pressureUnit, m_pressureUnit <= 5);
    check(m_timingMethod, d.m_timingMethod, m_timingMethod <= 2);
    check(m_timingMeasurement, d.m_timingMeasurement, m_timingMeasurement <= 2);
    check(m_timingDistance1, d.m_timingDistance1,
          std::isfinite(m_timingDistance1) && m_timingDistance1 >= 0);
    check(m_timingDistance2, d.m_timingDistance2,
          std::isfinite(m_timingDistance2) && m_timingDistance2 >= 0);
}

void CSettings::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        WriteFields(ar);
        return;
    }
    ReadChecked(ar);
}

CString CSettings::ReadChecked(CArchive& ar) {
    // Read into a copy, so that a file that ends or breaks in the middle changes nothing.
    CSettings loaded(*this);
    const CString refused = loaded.ReadFields(ar);
    loaded.Validate();
    *this = loaded;
    return refused;
}

std::vector<BYTE> CSettings::GetFileBytes() const {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        WriteFields(ar);
        ar.Close();
    }
    return file.Detach();
}

BOOL CSettings::Save() const {
    const CString folder = platform::PathFolder(m_filePath);
    if (!folder.IsEmpty()) platform::CreateFolder(folder);
    CFileException error(CFileException::none, 0, m_filePath);
    if (platform::ReplaceFileAtomically(m_filePath, GetFileBytes(), &error)) return TRUE;
    LogSaveError("CSettings::Save", error.GetErrorMessage());
    return FALSE;
}

void CSettings::Load() {
    if (!platform::FileExists(m_filePath)) return;
    CString why;
    {
        CFile file;
        CFileException error(CFileException::none, 0, m_filePath);
        if (file.Open(m_filePath, CFile::modeRead | CFile::shareDenyWrite, &error))
            why = LoadFrom(file);
        else
            why = CString("cannot be opened: ") + error.GetErrorMessage();
    }
    if (why.IsEmpty()) return;
    const CString kept = m_filePath + kRefusedSuffix;
    if (std::rename(m_filePath.GetString(), kept.GetString()) == 0) {
        qCWarning(lcSettings).noquote() << m_filePath.GetString() << why.GetString() << "- kept as"
                                        << kept.GetString() << "- the defaults are used";
    } else {
        const int code = errno;
        qCWarning(lcSettings).noquote() << m_filePath.GetString() << why.GetString()
                                        << "- the defaults are used; it could not be kept as"
                                        << kept.GetString() << ":" << std::strerror(code);
    }
}

CString CSettings::LoadFrom(CFile& file) {
    const auto useDefaults = [&](const CString& why) {
        SetDefaults();
        return why;
    };
    CString refused;
    try {
        const ULONGLONG length = file.GetLength();
        if (length < 10) return useDefaults("is shorter than 10 bytes");
        if (!s_fileLimit.Admits(length))
            return useDefaults(CString("is larger than ") + s_fileLimit.Text());
        CArchive ar(&file, CArchive::load);
        refused = ReadChecked(ar);
    } catch (const CException& e) {
        return useDefaults(CString("cannot be read: ") + e.GetErrorMessage());
    } catch (const std::bad_alloc&) {
        return useDefaults("needs more memory than there is");
    }
    if (m_graphMode == 4) m_graphMode = 0;
    if (m_tableMode == 2) m_tableMode = m_videoMode != 0 ? 0 : 1;
    if (m_tableMode == 4) m_tableMode = 0;
    return refused;
}
