#pragma once
// The launch file that goes with a worksheet: a prepared graph, meter or photogate timing set-up,
// kept in the class library's archive form so that files move between this program and the
// Windows one byte for byte. A file is read into a copy and checked before it replaces anything:
// a short, foreign or out-of-range file leaves the header as it was and says why.

#include <optional>
#include <vector>

#include "platform/base/cstring.h"
#include "platform/base/file_limit.h"
#include "platform/base/object.h"
#include "platform/base/types.h"

class CArchive;
class CFile;

// One sensor's display settings in a launch file. Records 0 to 6 are the sensors in colour-index
// order; record 7 is the X axis, whose `index` is the X sensor's position in the selected list (-1
// for time) and whose `sensorBit` is that sensor's basic mask bit.
struct LaunchChannelStruct {
    DWORD selected = 0;
    short index = 0;
    LONG color = 0;
    // The settings' plot-line record of the sensor, after its colour.
    LONG lineStyle = 1;
    WORD lineWidth = 1;
    DWORD lineVisible = 1;
    LONG markerColor = 0;
    LONG markerStyle = 0;
    DWORD markerVisible = 0;
    DWORD autoScale = 0;
    double minimum = 0;
    double maximum = 0;
    WORD sensorBit = 0;

    bool operator==(const LaunchChannelStruct&) const = default;
};

class CLaunchHeader : public CObject {
public:
    enum Kind : WORD { kTiming = 0, kSnapshot = 1, kGraph = 2 };
    static constexpr int kChannels = 8;  // seven sensors and the X axis
    static constexpr int kXAxisRecord = 7;
    static constexpr int kMaxSensors = 7;

    static constexpr const char* kGraphTag = "LaunchHeaderFile v.1.4";
    static constexpr const char* kSnapshotTag = "SnapLaunchHeader v.1.2";
    static constexpr const char* kTimingTag = "TimeLaunchHeader v.1.1";
    // A launch file is a few hundred bytes: a far larger one is refused unread.
    static inline platform::FileSizeLimit s_fileLimit{64 << 10};

    CLaunchHeader() = default;
    // The graph set-up.
    CLaunchHeader(const LaunchChannelStruct channels[kChannels], WORD rateCode, LONG runLength,
                  WORD sensorCount, const BYTE sensorBits[kMaxSensors], BYTE externalType1,
                  BYTE externalType2, DWORD barGraph, DWORD scrollRun, WORD recordingMode,
                  DWORD qkModel, DWORD singleGraphMode, short singleGraphSelection,
                  DWORD propertiesChanged);
    // The meter set-up; with a layout flag of 0 the four meters take their defaults.
    CLaunchHeader(BYTE meterSensor, WORD meterType, BYTE externalType1, BYTE externalType2,
                  DWORD qkModel, DWORD fourMeterLayout, const BYTE meterTypes[4],
                  const BYTE meterSensors[4]);
    // The photogate timing set-up.
    CLaunchHeader(BYTE timingMethod, BYTE timingMeasurement, double distance1, double distance2,
                  DWORD barGraph, DWORD scrollRun);

    // Writes the form of `kind` (1 snapshot, 2 graph, any other timing) with the current tag,
    // through a temporary file renamed over the old one. False, with any old file as it was, when
    // the file is not in place; an empty path writes nothing.
    bool SaveToFile(const CString& path, WORD kind) const;
    // False when the file is missing, unreadable, not a launch file, cut short or holds a value
    // out of range; `reason` then says which, and the header is unchanged. A file too old to
    // hold the model flag is for the model its name gives (FileModel).
    bool LoadFromFile(const CString& path, CString* reason = nullptr);
    // `qkFile`: the model a file without the model flag is for; none keeps the header's.
    bool LoadFrom(CFile& file, CString* reason = nullptr, std::optional<bool> qkFile = {});
    // Stores the body of `kind`, or loads one file's body whatever its kind (then `kind` is
    // not used). A load reads into a copy that replaces this header only when it is whole and
    // every value checked; otherwise false with the reason.
    bool Serialize(CArchive& ar, WORD kind, CString* reason = nullptr,
                   std::optional<bool> qkFile = {});

    // The file's bytes for `kind`.
    std::vector<BYTE> GetFileBytes(WORD kind) const;
    // Empty when every value of the header's kind lies where the readers can use it; else the
    // name of the first one that does not.
    CString CheckValues() const;

    bool operator==(const CLaunchHeader& other) const;

    CString m_tag;
    WORD m_kind = kTiming;

    // Graph.
    LaunchChannelStruct m_channels[kChannels] = {};
    WORD m_rateCode = 0;
    LONG m_runLength = 0;
    WORD m_sensorCount = 0;
    BYTE m_sensorBits[kMaxSensors] = {};  // in the order chosen; 0 beyond the count
    BYTE m_externalType1 = 0;
    BYTE m_externalType2 = 0;
    DWORD m_barGraph = 0;
    DWORD m_scrollRun = 0;
    WORD m_recordingMode = 0;  // 0 single measurement, 1 replace, 2 add
    DWORD m_qkModel = 0;
    DWORD m_singleGraphMode = 0;
    short m_singleGraphSelection = -1;
    DWORD m_propertiesChanged = 0;

    // Meters.
    BYTE m_meterSensor = 0;
    WORD m_meterType = 0;
    DWORD m_fourMeterLayout = 0;
    BYTE m_meterTypes[4] = {};
    BYTE m_meterSensors[4] = {};

    // Photogate timing.
    BYTE m_timingMethod = 0;
    BYTE m_timingMeasurement = 0;
    double m_distance1 = 0;
    double m_distance2 = 0;

    // The version in a tag: the number after its first 19 characters, 0 when there is none.
    static double TagVersion(const CString& tag);
    // Whether a rate code is one of the model's.
    static bool IsRateCode(WORD code, bool qkModel);
    // The model a launch file's name is for: ".qdr" the QK, ".hdr" the basic (any case of
    // letters); none for another name.
    static std::optional<bool> FileModel(const CString& path);

private:
    void Store(CArchive& ar, WORD kind) const;
    // Throws on a short file; false for a tag of no kind.
    bool Load(CArchive& ar, std::optional<bool> qkFile);
    static void StoreChannel(CArchive& ar, const LaunchChannelStruct& c);
    static void LoadChannel(CArchive& ar, LaunchChannelStruct& c);
};
