#include "logger/data_tree.h"

#include <algorithm>
#include <cmath>

#include "analysis/index_range.h"
#include "logger/helpers.h"

namespace {

// The unit text that goes with ToShownValue.
CString DisplayUnit(const CDataTreeBrench* dataSet, int temperatureUnit, int pressureUnit) {
    CString unit = dataSet->m_unit;
    CString expression;
    if (IsTemperatureSensor(dataSet))
        ConvertTemperature(0, temperatureUnit, expression, unit);
    else if (IsPressureSensor(dataSet))
        ConvertPressure(0, pressureUnit, expression, unit);
    return unit;
}

CString SlopeNotAvailable() {
    return CString::Formatted("  %s", "Slope N/A");
}

}  // namespace

// ---- CDataTreeBrench ----

CDataTreeBrench CDataTreeBrench::Clone() const {
    CDataTreeBrench copy;
    copy.m_unit = m_unit;
    copy.m_name = m_name;
    copy.m_id = m_id;
    if (m_x) copy.m_x = std::make_unique<CDataArray>(*m_x);
    if (m_y) copy.m_y = std::make_unique<CDataArray>(*m_y);
    copy.m_experimentTexts = m_experimentTexts;
    copy.m_startTime = m_startTime;
    copy.m_originCode = m_originCode;
    copy.m_colour = m_colour;
    copy.m_secondValue = m_secondValue;
    copy.m_identityValue = m_identityValue;
    copy.m_videoFile = m_videoFile;
    copy.m_videoUnsaved = m_videoUnsaved;
    copy.m_rateCode = m_rateCode;
    copy.m_rangeMin = m_rangeMin;
    copy.m_rangeMax = m_rangeMax;
    copy.m_inputKind = m_inputKind;
    copy.m_sensorId = m_sensorId;
    copy.m_shown = m_shown;
    copy.m_linkCount = m_linkCount;
    std::copy(std::begin(m_links), std::end(m_links), std::begin(copy.m_links));
    copy.m_comment = m_comment;
    copy.m_annotations = m_annotations;
    copy.m_modelCode = m_modelCode;
    copy.m_derived = m_derived;
    return copy;
}

int CDataTreeBrench::FindX(double x) const {
    if (!m_x) return -1;
    const auto it = std::find(m_x->begin(), m_x->end(), x);
    return it == m_x->end() ? -1 : static_cast<int>(it - m_x->begin());
}

int CDataTreeBrench::FindXAtOrAbove(double x) const {
    if (!m_x) return -1;
    if (m_x->empty()) return 0;
    const auto it = std::find_if(m_x->begin(), m_x->end(), [x](double v) { return v >= x; });
    return it == m_x->end() ? -2 : static_cast<int>(it - m_x->begin());
}

void CDataTreeBrench::ForgetRange() {
    m_rangeMin = kUnsetRangeMin;
    m_rangeMax = kUnsetRangeMax;
}

bool CDataTreeBrench::HasLink(DWORD id) const {
    const int count = std::clamp<int>(m_linkCount, 0, kMaxLinks);
    return std::find(m_links, m_links + count, id) != m_links + count;
}

CString CDataTreeBrench::FormatValueText(double value, int extraDecimals) {
    return FormatNumber(value, extraDecimals);
}

CString CDataTreeBrench::GetStatisticsText(int temperatureUnit, int pressureUnit, int first,
                                           int last) const {
    double minimum = 0, maximum = 0, mean = 0, deviation = 0;
    const int count = GetYCount();
    if (count > 0) {
        ClampIndexRange(first, last, count);
        const auto y = [&](int i) {
            return ToShownValue(this, (*m_y)[i], temperatureUnit, pressureUnit);
        };
        // The extremes start from the first value: any fixed start would be wrong for some data.
        minimum = maximum = y(first);
        double sum = 0;
        for (int i = first; i <= last; ++i) {
            sum += y(i);
            minimum = std::min(minimum, y(i));
            maximum = std::max(maximum, y(i));
        }
        const int n = last - first + 1;
        mean = sum / n;
        if (n > 1) {
            double squares = 0;
            for (int i = first; i <= last; ++i)
                squares += (y(i) - mean) * (y(i) - mean);
            deviation = std::sqrt(squares / (n - 1));
        }
    }
    return CString::Formatted("%s = %s, %s = %s, %s = %s, %s = %s", "Min.",
                              FormatValueText(minimum, 2), "Max.", FormatValueText(maximum, 2),
                              "Average", FormatValueText(mean, 2), "Std. Dev.",
                              FormatValueText(deviation, 2));
}

CString CDataTreeBrench::GetAreaText(int temperatureUnit, int pressureUnit, int first, int last,
                                     const CDataTreeBrench* xDataSet) const {
    const int count = GetYCount();
    if (count == 0 || (xDataSet && xDataSet->GetYCount() == 0) || first == last) return "0";
    ClampIndexRange(first, last, count);
    if (first == last) return "0";
    const double interval = RateInfo(m_rateCode).intervalSeconds;
    double area = 0;
    // The value at the left end of the range is not counted.
    for (int i = first + 1; i <= last; ++i)
        area += ToShownValue(this, (*m_y)[i], temperatureUnit, pressureUnit) * interval;
    // Flow in litres per minute.
    if (m_inputKind == 0 && m_sensorId == 8)
        return CString::Formatted("%s = %s (%s)", "Area", FormatValueText(area / 60, 2), "L");
    return CString::Formatted("%s = %s (%s\xC2\xB7s)", "Area", FormatValueText(area, 2),
                              DisplayUnit(this, temperatureUnit, pressureUnit));
}

CString CDataTreeBrench::GetSlopeText(int index, int temperatureUnit, int pressureUnit) const {
    if (index < 1 || index + 1 >= GetYCount() || index + 1 >= GetXCount())
        return SlopeNotAvailable();
    const CDataArray& x = *m_x;
    const CDataArray& y = *m_y;
    const double rise = ToShownValue(this, y[index + 1], temperatureUnit, pressureUnit) -
                        ToShownValue(this, y[index - 1], temperatureUnit, pressureUnit);
    const double run = (x[index + 1] - x[index - 1]) * RateInfo(m_rateCode).intervalSeconds;
    if (run == 0) return SlopeNotAvailable();
    return CString::Formatted("  %s = %s(%s/s)", "Slope", FormatValueText(rise / run, 2),
                              DisplayUnit(this, temperatureUnit, pressureUnit));
}

CString CDataTreeBrench::GetSlopeTextXY(int index, const CDataArray* xValues, const CString& xUnit,
                                        const CDataTreeBrench* xDataSet, int temperatureUnit,
                                        int pressureUnit) const {
    if (!xValues || index < 1 || index + 1 >= GetYCount() ||
        index + 1 >= static_cast<int>(xValues->size()))
        return SlopeNotAvailable();
    const CDataArray& x = *xValues;
    const CDataArray& y = *m_y;
    const double rise = ToShownValue(this, y[index + 1], temperatureUnit, pressureUnit) -
                        ToShownValue(this, y[index - 1], temperatureUnit, pressureUnit);
    const double run = ToShownValue(xDataSet, x[index + 1], temperatureUnit, pressureUnit) -
                       ToShownValue(xDataSet, x[index - 1], temperatureUnit, pressureUnit);
    // A neighbour without an X (a sample the X set lacks) gives no slope either.
    if (run == 0 || !std::isfinite(run)) return SlopeNotAvailable();
    return CString::Formatted("  %s = %s(%s/%s)", "Slope", FormatValueText(rise / run, 2),
                              DisplayUnit(this, temperatureUnit, pressureUnit), xUnit);
}

// ---- CDataTreeList ----

const COLORREF CDataTreeList::s_colourTable[kColours] = {
    RGB(255, 0, 0),   RGB(0, 183, 0),   RGB(0, 0, 255),   RGB(255, 158, 62),
    RGB(128, 0, 128), RGB(80, 147, 57), RGB(255, 0, 255), RGB(128, 128, 0)};

int CDataTreeList::s_colourCounter = 0;

DWORD CDataTreeList::NewId() {
    if (++m_lastId == 0) ++m_lastId;
    return m_lastId;
}

CDataTreeBrench* CDataTreeList::AddExperiment(const CString& name) {
    auto node = std::make_unique<CDataTreeBrench>();
    node->m_id = NewId();
    node->m_name = name;
    m_nodes.push_back(std::move(node));
    return m_nodes.back().get();
}

CDataTreeBrench* CDataTreeList::InsertDataSet(DWORD experimentId, CDataArrayPtr x, CDataArrayPtr y,
                                              const CString& name, WORD rateCode,
                                              const CString& unit,
                                              const CPreciseDateTime& startTime, WORD originCode,
                                              SHORT secondValue, WORD identityValue,
                                              const CString& videoFile, double rangeMin,
                                              double rangeMax, WORD inputKind) {
    const CDataTreeBrench* experiment = FindById(experimentId);
    if (!experiment || !experiment->IsExperiment()) return nullptr;
    auto node = std::make_unique<CDataTreeBrench>();
    node->m_id = NewId();
    node->m_x = x ? std::move(x) : std::make_unique<CDataArray>();
    node->m_y = y ? std::move(y) : std::make_unique<CDataArray>();
    node->m_name = name;
    node->m_rateCode = rateCode;
    node->m_unit = unit;
    node->m_startTime = startTime;
    node->m_originCode = originCode;
    node->m_secondValue = secondValue;
    node->m_identityValue = identityValue;
    node->m_videoFile = videoFile;
    node->m_rangeMin = rangeMin;
    node->m_rangeMax = rangeMax;
    node->m_inputKind = inputKind;
    node->m_colour = s_colourTable[s_colourCounter];
    s_colourCounter = (s_colourCounter + 1) % kColours;
    const int at = IndexOfLastDataSet(experimentId) + 1;
    m_nodes.insert(m_nodes.begin() + at, std::move(node));
    return m_nodes[at].get();
}

CDataTreeBrench* CDataTreeList::GetAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_nodes[index].get();
}

DWORD CDataTreeList::GetIdAt(int index) const {
    const CDataTreeBrench* node = GetAt(index);
    return node ? node->m_id : 0;
}

int CDataTreeList::IndexOfId(DWORD id) const {
    for (int i = 0; i < GetCount(); ++i)
        if (m_nodes[i]->m_id == id) return i;
    return -1;
}

CDataTreeBrench* CDataTreeList::FindById(DWORD id) const {
    return GetAt(IndexOfId(id));
}

CDataTreeBrench* CDataTreeList::FindByName(const CString& name) const {
    for (const auto& node : m_nodes)
        if (node->m_name == name) return node.get();
    return nullptr;
}

int CDataTreeList::IndexOfLastDataSet(DWORD experimentId) const {
    int index = IndexOfId(experimentId);
    if (index < 0) return -1;
    while (index + 1 < GetCount() && !m_nodes[index + 1]->IsExperiment())
        ++index;
    return index;
}

CDataTreeBrench* CDataTreeList::GetExperimentOf(DWORD dataSetId) const {
    const int index = IndexOfId(dataSetId);
    if (index < 0 || m_nodes[index]->IsExperiment()) return nullptr;
    for (int i = index - 1; i >= 0; --i)
        if (m_nodes[i]->IsExperiment()) return m_nodes[i].get();
    return nullptr;
}

DWORD CDataTreeList::GetExperimentId(DWORD dataSetId) const {
    const CDataTreeBrench* experiment = GetExperimentOf(dataSetId);
    return experiment ? experiment->m_id : 0;
}

CString CDataTreeList::GetExperimentName(DWORD dataSetId) const {
    const CDataTreeBrench* experiment = GetExperimentOf(dataSetId);
    return experiment ? experiment->m_name : CString();
}

CString CDataTreeList::GetFullName(DWORD dataSetId) const {
    const CDataTreeBrench* node = FindById(dataSetId);
    if (!node) return CString();
    return GetExperimentName(dataSetId) + " " + node->m_name;
}

CDataTreeBrench* CDataTreeList::GetNextExperiment(DWORD id) const {
    const int index = IndexOfId(id);
    if (index < 0) return nullptr;
    for (int i = index + 1; i < GetCount(); ++i)
        if (m_nodes[i]->IsExperiment()) return m_nodes[i].get();
    return nullptr;
}

CDataTreeBrench* CDataTreeList::GetNextDataSet(DWORD id) const {
    const int index = IndexOfId(id);
    if (index < 0) return nullptr;
    CDataTreeBrench* next = GetAt(index + 1);
    return next && !next->IsExperiment() ? next : nullptr;
}

int CDataTreeList::SetChecked(DWORD id, bool shown) {
    CDataTreeBrench* node = FindById(id);
    if (!node) return 0;
    node->m_shown = shown ? 1 : 0;
    return shown ? 2 : 1;
}

void CDataTreeList::AddLink(CDataTreeBrench& node, DWORD id) {
    if (id == node.m_id || node.HasLink(id) || node.m_linkCount >= CDataTreeBrench::kMaxLinks)
        return;
    node.m_links[node.m_linkCount++] = id;
}

void CDataTreeList::LinkDataSets(CDataTreeBrench* a, CDataTreeBrench* b) {
    if (!a || !b || a == b) return;
    // Links go both ways or not at all: a link that one side lacks would outlive its removal.
    auto hasRoom = [](const CDataTreeBrench* node) {
        return node->m_linkCount < CDataTreeBrench::kMaxLinks;
    };
    if (!(b->HasLink(a->m_id) || hasRoom(b)) || !(a->HasLink(b->m_id) || hasRoom(a))) return;
    AddLink(*b, a->m_id);
    const int count = std::clamp<int>(a->m_linkCount, 0, CDataTreeBrench::kMaxLinks);
    for (int i = 0; i < count; ++i) {
        CDataTreeBrench* other = FindById(a->m_links[i]);
        if (!other || other == b || b->HasLink(other->m_id) || other->HasLink(b->m_id)) continue;
        if (!hasRoom(b) || !hasRoom(other)) continue;
        AddLink(*b, other->m_id);
        AddLink(*other, b->m_id);
    }
    AddLink(*a, b->m_id);
}

bool CDataTreeList::Remove(DWORD id) {
    const int index = IndexOfId(id);
    if (index < 0) return false;
    CDataTreeBrench& node = *m_nodes[index];
    if (!node.IsExperiment()) {
        const int count = std::clamp<int>(node.m_linkCount, 0, CDataTreeBrench::kMaxLinks);
        for (int i = 0; i < count; ++i) {
            CDataTreeBrench* other = FindById(node.m_links[i]);
            if (!other) continue;
            DWORD* begin = other->m_links;
            DWORD* end = begin + std::clamp<int>(other->m_linkCount, 0, CDataTreeBrench::kMaxLinks);
            DWORD* kept = std::remove(begin, end, id);
            std::fill(kept, end, 0);
            other->m_linkCount = static_cast<SHORT>(kept - begin);
        }
    }
    m_nodes.erase(m_nodes.begin() + index);
    return true;
}

void CDataTreeList::RenameVideoFile(const CString& oldName, const CString& newName) {
    // Data sets without a video share the empty name; they stay without one.
    if (oldName.IsEmpty()) return;
    for (const auto& node : m_nodes) {
        if (node->m_videoFile == oldName) {
            node->m_videoFile = newName;
            node->m_videoUnsaved = 0;
        }
    }
}
