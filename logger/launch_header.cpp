#include "logger/launch_header.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <string>

#include "logger/helpers.h"
#include "platform/base/archive.h"
#include "platform/base/codepage.h"
#include "platform/base/file.h"
#include "platform/base/log.h"
#include "platform/base/paths.h"

namespace {

// Only this much of a tag names its kind; the Windows program compares no more.
constexpr int kKindLength = 16;
// The version follows "SnapLaunchHeader v.".
constexpr size_t kVersionAt = 19;

constexpr const char* kCutShort = "the file is cut short";
constexpr const char* kNotLaunchFile = "it is not a launch file";

void SetReason(CString* reason, const CString& text) {
    if (reason) *reason = text;
}

CString OutOfRange(const char* what) {
    return CString::Formatted("%s is out of range", what);
}

// A tag as the Windows program holds it: one byte a character.
std::string TagBytes(const CString& tag) {
    std::string bytes;
    platform::Utf8ToCp1252(tag.str(), bytes);
    return bytes;
}

}  // namespace

CLaunchHeader::CLaunchHeader(const LaunchChannelStruct channels[kChannels], WORD rateCode,
                             LONG runLength, WORD sensorCount, const BYTE sensorBits[kMaxSensors],
                             BYTE externalType1, BYTE externalType2, DWORD barGraph,
                             DWORD scrollRun, WORD recordingMode, DWORD qkModel,
                             DWORD singleGraphMode, short singleGraphSelection,
                             DWORD propertiesChanged)
    : m_kind(kGraph),
      m_rateCode(rateCode),
      m_runLength(runLength),
      m_sensorCount(sensorCount),
      m_externalType1(externalType1),
      m_externalType2(externalType2),
      m_barGraph(barGraph),
      m_scrollRun(scrollRun),
      m_recordingMode(recordingMode),
      m_qkModel(qkModel),
      m_singleGraphMode(singleGraphMode),
      m_singleGraphSelection(singleGraphSelection),
      m_propertiesChanged(propertiesChanged) {
    for (int i = 0; i < kChannels; ++i)
        m_channels[i] = channels[i];
    for (int i = 0; i < kMaxSensors; ++i)
        m_sensorBits[i] = sensorBits[i];
}

CLaunchHeader::CLaunchHeader(BYTE meterSensor, WORD meterType, BYTE externalType1,
                             BYTE externalType2, DWORD qkModel, DWORD fourMeterLayout,
                             const BYTE meterTypes[4], const BYTE meterSensors[4])
    : m_kind(kSnapshot),
      m_externalType1(externalType1),
      m_externalType2(externalType2),
      m_qkModel(qkModel),
      m_meterSensor(meterSensor),
      m_meterType(meterType),
      m_fourMeterLayout(fourMeterLayout) {
    for (int i = 0; i < 4; ++i) {
        m_meterTypes[i] = fourMeterLayout ? meterTypes[i] : static_cast<BYTE>(i);
        m_meterSensors[i] = fourMeterLayout ? meterSensors[i] : BYTE(16);
    }
}

CLaunchHeader::CLaunchHeader(BYTE timingMethod, BYTE timingMeasurement, double distance1,
                             double distance2, DWORD barGraph, DWORD scrollRun)
    : m_kind(kTiming),
      m_barGraph(barGraph),
      m_scrollRun(scrollRun),
      m_timingMethod(timingMethod),
      m_timingMeasurement(timingMeasurement),
      m_distance1(distance1),
      m_distance2(distance2) {}

bool CLaunchHeader::operator==(const CLaunchHeader& o) const {
    const auto same = [](const auto& a, const auto& b) { return std::ranges::equal(a, b); };
    return m_tag == o.m_tag && m_kind == o.m_kind && same(m_channels, o.m_channels) &&
           m_rateCode == o.m_rateCode && m_runLength == o.m_runLength &&
           m_sensorCount == o.m_sensorCount && same(m_sensorBits, o.m_sensorBits) &&
           m_externalType1 == o.m_externalType1 && m_externalType2 == o.m_externalType2 &&
           m_barGraph == o.m_barGraph && m_scrollRun == o.m_scrollRun &&
           m_recordingMode == o.m_recordingMode && m_qkModel == o.m_qkModel &&
           m_singleGraphMode == o.m_singleGraphMode &&
           m_singleGraphSelection == o.m_singleGraphSelection &&
           m_propertiesChanged == o.m_propertiesChanged && m_meterSensor == o.m_meterSensor &&
           m_meterType == o.m_meterType && m_fourMeterLayout == o.m_fourMeterLayout &&
           same(m_meterTypes, o.m_meterTypes) && same(m_meterSensors, o.m_meterSensors) &&
           m_timingMethod == o.m_timingMethod && m_timingMeasurement == o.m_timingMeasurement &&
           m_distance1 == o.m_distance1 && m_distance2 == o.m_distance2;
}

double CLaunchHeader::TagVersion(const CString& tag) {
    const std::string bytes = TagBytes(tag);
    if (bytes.size() <= kVersionAt) return 0;
    // As atof reads it; numbers are always parsed in the "C" locale here.
    return std::strtod(bytes.c_str() + kVersionAt, nullptr);
}

bool CLaunchHeader::IsRateCode(WORD code, bool qkModel) {
    if (qkModel) return (code >= 33 && code <= 41) || (code >= 48 && code <= 51);
    return code >= 1 && code <= 128 && std::has_single_bit(code);
}

void CLaunchHeader::StoreChannel(CArchive& ar, const LaunchChannelStruct& c) {
    ar << c.selected << c.autoScale << c.maximum << c.minimum << c.color << c.lineStyle
       << c.lineVisible << c.lineWidth << c.markerColor << c.markerStyle << c.markerVisible
       << c.index << c.sensorBit;
}

void CLaunchHeader::LoadChannel(CArchive& ar, LaunchChannelStruct& c) {
    ar >> c.selected >> c.autoScale >> c.maximum >> c.minimum >> c.color >> c.lineStyle >>
        c.lineVisible >> c.lineWidth >> c.markerColor >> c.markerStyle >> c.markerVisible >>
        c.index >> c.sensorBit;
}

void CLaunchHeader::Store(CArchive& ar, WORD kind) const {
    if (kind == kSnapshot) {
        ar << CString(kSnapshotTag);
        ar << m_meterSensor << m_meterType << m_externalType1 << m_externalType2 << m_qkModel
           << m_fourMeterLayout;
        for (BYTE type : m_meterTypes)
            ar << type;
        for (BYTE sensor : m_meterSensors)
            ar << sensor;
    } else if (kind == kGraph) {
        ar << CString(kGraphTag);
        for (const LaunchChannelStruct& c : m_channels)
            StoreChannel(ar, c);
        ar << m_rateCode << m_runLength << m_sensorCount << m_barGraph << m_scrollRun
           << m_externalType1 << m_externalType2 << m_recordingMode;
        ar.Write(m_sensorBits, kMaxSensors);
        ar << m_qkModel << m_singleGraphMode << m_singleGraphSelection << m_propertiesChanged;
    } else {
        ar << CString(kTimingTag);
        ar << m_timingMethod << m_timingMeasurement << m_distance1 << m_distance2 << m_barGraph
           << m_scrollRun;
    }
}

std::optional<bool> CLaunchHeader::FileModel(const CString& path) {
    const CString name = platform::PathName(path);
    const int dot = name.ReverseFind('.');
    if (dot < 0) return std::nullopt;
    const CString suffix = name.Mid(dot + 1);
    if (suffix.CompareNoCase("qdr") == 0) return true;
    if (suffix.CompareNoCase("hdr") == 0) return false;
    return std::nullopt;
}

bool CLaunchHeader::Load(CArchive& ar, std::optional<bool> qkFile) {
    // Files of 1.0 hold no model flag: their rate is checked against the model they are for.
    const auto readModel = [&](double version) {
        if (version > 1.0)
            ar >> m_qkModel;
        else if (qkFile)
            m_qkModel = *qkFile ? 1 : 0;
    };
    CString tag;
    ar >> tag;
    const std::string bytes = TagBytes(tag);
    const std::string_view kindText = std::string_view(bytes).substr(0, kKindLength);
    const auto is = [&](const char* current) {
        return bytes.size() >= kKindLength && kindText == std::string_view(current, kKindLength);
    };
    if (is(kSnapshotTag)) {
        const double version = TagVersion(tag);
        ar >> m_meterSensor >> m_meterType >> m_externalType1 >> m_externalType2;
        readModel(version);
        if (version > 1.1) {
            ar >> m_fourMeterLayout;
            ar.ReadExact(m_meterTypes, 4);
            ar.ReadExact(m_meterSensors, 4);
        }
        m_kind = kSnapshot;
    } else if (is(kGraphTag)) {
        const double version = TagVersion(tag);
        for (LaunchChannelStruct& c : m_channels)
            LoadChannel(ar, c);
        m_kind = kGraph;
        ar >> m_rateCode >> m_runLength >> m_sensorCount >> m_barGraph >> m_scrollRun >>
            m_externalType1 >> m_externalType2 >> m_recordingMode;
        ar.ReadExact(m_sensorBits, kMaxSensors);
        readModel(version);
        if (version > 1.2) ar >> m_singleGraphMode >> m_singleGraphSelection;
        if (version > 1.3) ar >> m_propertiesChanged;
    } else if (is(kTimingTag)) {
        m_kind = kTiming;
        ar >> m_timingMethod >> m_timingMeasurement >> m_distance1 >> m_distance2 >> m_barGraph >>
            m_scrollRun;
    } else {
        return false;
    }
    m_tag = tag;
    return true;
}

CString CLaunchHeader::CheckValues() const {
    if (m_kind == kGraph) {
        for (const LaunchChannelStruct& c : m_channels)
            if (!std::isfinite(c.minimum) || !std::isfinite(c.maximum))
                return OutOfRange("an axis range");
        if (!IsRateCode(m_rateCode, m_qkModel != 0)) return OutOfRange("the rate");
        if (m_runLength < 1) return OutOfRange("the recording time");
        if (m_sensorCount > kMaxSensors) return OutOfRange("the number of sensors");
        unsigned seen = 0;
        for (int i = 0; i < m_sensorCount; ++i) {
            const BYTE bit = m_sensorBits[i];
            // Bit 8 has no sensor but is written by the Windows program; the launch skips it.
            if (!std::has_single_bit(bit) || (seen & bit)) return OutOfRange("a sensor");
            seen |= bit;
        }
        const short x = m_channels[kXAxisRecord].index;
        if (x < -1 || x >= static_cast<short>(m_sensorCount)) return OutOfRange("the X axis");
        if (m_singleGraphSelection < -1 || m_singleGraphSelection > 6)
            return OutOfRange("the single graph");
    } else if (m_kind == kSnapshot) {
        if (m_meterType > 4) return OutOfRange("the meter type");
        for (BYTE type : m_meterTypes)
            if (type > 3) return OutOfRange("a meter's type");
    } else {
        if (m_timingMethod > 2) return OutOfRange("the timing method");
        if (m_timingMeasurement > 2) return OutOfRange("the timing measurement");
        if (!std::isfinite(m_distance1) || !std::isfinite(m_distance2))
            return OutOfRange("a distance");
    }
    if (m_kind != kTiming && (m_externalType1 > 19 || m_externalType2 > 19))
        return OutOfRange("an external sensor type");
    return CString();
}

bool CLaunchHeader::Serialize(CArchive& ar, WORD kind, CString* reason,
                              std::optional<bool> qkFile) {
    if (ar.IsStoring()) {
        Store(ar, kind);
        return true;
    }
    // Older versions keep the fields they lack, so the copy starts from this header.
    CLaunchHeader copy = *this;
    try {
        if (!copy.Load(ar, qkFile)) {
            SetReason(reason, kNotLaunchFile);
            return false;
        }
    } catch (const CException&) {
        SetReason(reason, kCutShort);
        return false;
    }
    const CString bad = copy.CheckValues();
    if (!bad.IsEmpty()) {
        SetReason(reason, bad);
        return false;
    }
    *this = copy;
    return true;
}

bool CLaunchHeader::LoadFrom(CFile& file, CString* reason, std::optional<bool> qkFile) {
    if (!s_fileLimit.Admits(file.GetLength())) {
        SetReason(reason, CString("the file is larger than ") + s_fileLimit.Text());
        return false;
    }
    CArchive ar(&file, CArchive::load);
    return Serialize(ar, m_kind, reason, qkFile);
}

bool CLaunchHeader::LoadFromFile(const CString& path, CString* reason) {
    if (path.IsEmpty() || !platform::FileExists(path)) {
        SetReason(reason, "the file does not exist");
        return false;
    }
    CFile file;
    if (!file.Open(path, CFile::modeRead | CFile::typeBinary)) {
        SetReason(reason, "the file cannot be opened");
        return false;
    }
    CString why;
    try {
        if (LoadFrom(file, &why, FileModel(path))) return true;
    } catch (const CException&) {
        why = "the file cannot be opened";
    }
    qCWarning(lcLogger) << "launch file" << path.GetString() << "refused:" << why.GetString();
    SetReason(reason, why);
    return false;
}

std::vector<BYTE> CLaunchHeader::GetFileBytes(WORD kind) const {
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        Store(ar, kind);
        ar.Close();
    }
    return file.Detach();
}

bool CLaunchHeader::SaveToFile(const CString& path, WORD kind) const {
    if (path.IsEmpty()) return false;
    CFileException error(CFileException::none, 0, path);
    if (platform::ReplaceFileAtomically(path, GetFileBytes(kind), &error)) return true;
    LogSaveError("CLaunchHeader::SaveToFile", error.GetErrorMessage());
    return false;
}
