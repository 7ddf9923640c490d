#pragma once
// The settings record: everything the program remembers from one run to the next, kept in
// "Settings.vns" in the data root and saved again after every change.

#include <vector>

#include "models/graph_lines_info.h"
#include "platform/base/cstring.h"
#include "platform/base/file_limit.h"
#include "platform/base/geometry.h"
#include "platform/base/object.h"

class CArchive;
class CFile;

// One sensor type, or the sensor record of one logger input.
struct SensorInfoStruct {
    CString name;
    CString shortName;
    CString unit;
    double minimum = 0;
    double maximum = 0;
    double offset = 0;  // conversion offset
    double factor = 0;  // conversion factor
    BYTE type = 0;      // the type index in the sensor-type table
    // From a QK's sensor descriptions; not kept in the file.
    BYTE absent = 0;  // the logger reported no sensor, or one it cannot convert
    BYTE photogate = 0;
    BYTE gateInput = 0;  // a gate input other than a photogate

    bool operator==(const SensorInfoStruct&) const = default;
};

class CSettings : public CObject {
public:
    static constexpr int kSensorSlots = 8;
    static constexpr int kSensorTypes = 20;
    static constexpr int kLineRecords = 9;
    static constexpr int kPlotColors = 8;
    // A settings file is a few hundred bytes: a far larger one is not one, and reading it could
    // follow a string length through gigabytes. It loads as the defaults without being read.
    static inline platform::FileSizeLimit s_fileLimit{64 << 10};

    // Applies the defaults, then loads the file in the data root.
    CSettings();
    // The same for a file elsewhere.
    explicit CSettings(const CString& filePath);

    void SetDefaults();
    // "<address>[,<channel>]", the address as bluetoothctl prints it, the channel 1..30 (none:
    // 0, the logger is asked); false for anything else, leaving the outputs alone.
    static bool ParseBluetoothTarget(const char* text, BYTE address[6], BYTE* serverChannel);
    void InitColors();
    void InitSensorTable();
    // Copies a type of the sensor-type table into a sensor slot; the slot keeps its short name.
    void SetExternalSensor(int slot, int type);
    // Resets all nine line records, or only the one at `index`, to their defaults.
    void ResetLineRecords(bool all, int index = 0);

    // Writes the whole record through a temporary file renamed over the old one, so that a failed
    // save leaves the old file as it was. False when nothing could be written.
    [[nodiscard]] BOOL Save() const;
    // Reads the file. A missing file keeps the record as it is, without a word. Every file that is
    // there and not taken is logged with the reason and moved aside to "<file>.bad" (replacing an
    // older one), so the next save cannot write over the only evidence: an unreadable one keeps
    // the record, a short, broken, cut or oversized one gives the defaults, and one of another
    // kind reads nothing.
    void Load();
    // The same, from an open file; returns why the file was not taken, empty when it was.
    CString LoadFrom(CFile& file);
    static constexpr const char* kRefusedSuffix = ".bad";
    // Stores every field, or loads the fields the file's version has. A load that fails in the
    // middle throws and leaves the record unchanged.
    void Serialize(CArchive& ar) override;
    // The bytes of the settings file for this record.
    std::vector<BYTE> GetFileBytes() const;

    // Display modes of the standard windows (0 hidden, 1 right top, 2 right full height, 3 main
    // area, 4 right bottom).
    LONG m_graphMode;
    LONG m_tableMode;
    LONG m_videoMode;  // the third window
    LONG m_dataMapMode;
    LONG m_meterMode;
    LONG m_workbookMode;
    LONG m_clockMode;  // the seventh window

    // Default line formats of the eight channels, then one for the X axis.
    GraphLinesInfoStruct m_lineRecords[kLineRecords];
    COLORREF m_plotColors[kPlotColors];
    BYTE m_recordingMode;  // 0 single, 1 replace, 2 add
    CRect m_mainWindowRect;
    // Slots 0 and 1 are the two external inputs, 2 to 7 the internal sensors.
    SensorInfoStruct m_sensorSlots[kSensorSlots];
    SensorInfoStruct m_sensorTypes[kSensorTypes];
    BYTE m_externalSensor1;  // chosen type of each external input
    BYTE m_externalSensor2;
    WORD m_meterViewValue;
    LONG m_rememberPort;  // nonzero: connect to m_comNumber first
    BYTE m_comNumber;
    BYTE m_interfaceLevel;   // 0 Basic, 1 Simple, 2 Advanced
    LONG m_fixedSeparators;  // nonzero: exports use "," and "." whatever the locale
    LONG m_videoQuality;     // the recording's quality code, kept at shut-down
    BYTE m_timingMethod;
    BYTE m_timingMeasurement;
    double m_timingDistance1;
    double m_timingDistance2;
    BYTE m_temperatureUnit;  // 0 Celsius, 1 Fahrenheit, 2 Kelvin
    BYTE m_pressureUnit;     // 0 kPa, 1 psi, 2 mm Hg, 3 inches Hg, 4 atm, 5 mBar
    LONG m_singleAxis;
    // Set while the video window is hidden and its place goes to another window.
    LONG m_videoHidden;
    LONG m_communicationType;  // 0 COM port, 1 Bluetooth RFCOMM

    // Not kept in the file: they always start from their defaults, which VARNEL_BLUETOOTH (see
    // ParseBluetoothTarget) turns to a Bluetooth link for one start.
    CString m_spareText;
    BYTE m_btAddress[6];
    BYTE m_serverChannel;
    CString m_btPin;

    CString m_filePath;
    // The date style of dated texts (0..3): not kept in the file.
    WORD m_dateStyle = 0;

private:
    struct NoLoad {};
    explicit CSettings(NoLoad) { SetDefaults(); }
    void ApplyBluetoothTarget();
    void WriteFields(CArchive& ar) const;
    // Empty when the header is one of ours, else why the file is not read.
    CString ReadFields(CArchive& ar);
    CString ReadChecked(CArchive& ar);
    void Validate();
};
