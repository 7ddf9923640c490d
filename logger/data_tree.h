#pragma once
// The data map: experiments, each followed by its data sets, in one ordered list.
//
// A node owns its arrays. Nodes are move-only; Clone makes a deep copy. The list owns its nodes,
// so a node pointer stays valid until the node is removed or the list is emptied; a pointer to
// a node's x or y array stays valid as long as the node does. The arrays are shared owners so that
// a running run can go on appending through weak references, which die with the data set.

#include <memory>
#include <vector>

#include "logger/precise_time.h"
#include "models/graph_text_annotation.h"
#include "platform/base/cstring.h"
#include "platform/base/types.h"

// A series of a data set: sample numbers (x) or values (y).
using CDataArray = std::vector<double>;
using CDataArrayPtr = std::shared_ptr<CDataArray>;

class CDataTreeBrench {
public:
    static constexpr int kMaxLinks = 8;
    // The value range of a series whose extremes are to be found again from its values.
    static constexpr double kUnsetRangeMin = 2147483647.0;
    static constexpr double kUnsetRangeMax = -2147483647.0;

    CDataTreeBrench() = default;
    virtual ~CDataTreeBrench() = default;
    CDataTreeBrench(CDataTreeBrench&&) = default;
    CDataTreeBrench& operator=(CDataTreeBrench&&) = default;
    CDataTreeBrench(const CDataTreeBrench&) = delete;
    CDataTreeBrench& operator=(const CDataTreeBrench&) = delete;

    // Every field, with copies of the arrays.
    CDataTreeBrench Clone() const;

    // An experiment has no data arrays.
    bool IsExperiment() const { return !m_x || !m_y; }
    int GetXCount() const { return m_x ? static_cast<int>(m_x->size()) : 0; }
    int GetYCount() const { return m_y ? static_cast<int>(m_y->size()) : 0; }

    // The first index whose x equals `x` exactly, or -1.
    int FindX(double x) const;
    // The first index whose x is not below `x`; -1 without an x array, 0 for an empty one, -2
    // when every x is below.
    int FindXAtOrAbove(double x) const;
    bool HasLink(DWORD id) const;
    // After a change of values: the next autoscale takes the range from the values alone.
    void ForgetRange();

    // "Min. = ..., Max. = ..., Average = ..., Std. Dev. = ..." over the y values first..last (put
    // in order and clamped; -1 and -1 for all), converted to the chosen unit for a temperature or
    // pressure series. One value has deviation 0; no values give zeros.
    CString GetStatisticsText(int temperatureUnit, int pressureUnit, int first, int last) const;
    // The area under y over first..last in value-seconds, y converted to the chosen unit for a
    // temperature or pressure series. "0" without values, with an x data set that has none, or
    // for a range of one sample.
    CString GetAreaText(int temperatureUnit, int pressureUnit, int first, int last,
                        const CDataTreeBrench* xDataSet) const;
    // The central slope at `index` per second, or "Slope N/A".
    CString GetSlopeText(int index, int temperatureUnit, int pressureUnit) const;
    // The central slope at `index` against the values of another data set (`xValues`, converted
    // by the kind of `xDataSet` when given), or "Slope N/A".
    CString GetSlopeTextXY(int index, const CDataArray* xValues, const CString& xUnit,
                           const CDataTreeBrench* xDataSet, int temperatureUnit,
                           int pressureUnit) const;
    // The number texts of the three tools: as many decimals as there are zeros after the point
    // (at most 5) plus `extraDecimals`; a whole number as an integer.
    static CString FormatValueText(double value, int extraDecimals);

    CString m_unit;
    CString m_name;
    DWORD m_id = 0;                          // unique within the list; 0 is never a node's id
    CDataArrayPtr m_x;                       // sample numbers, or x values; null for an experiment
    CDataArrayPtr m_y;                       // values; null for an experiment
    std::vector<CString> m_experimentTexts;  // kept with an experiment only
    CPreciseDateTime m_startTime;
    // Set by whoever adds the data set: 0 imported, 1 recorded, 2 edited copy, 3 fitted line.
    // The table moves a recorded series to 2 once it may be edited. Not saved in the project.
    WORD m_originCode = 0;
    COLORREF m_colour = 0;
    SHORT m_secondValue = 0;   // saved in the project; its creators pass -1
    WORD m_identityValue = 0;  // saved in the project; a run passes its video quality
    CString m_videoFile;       // the video recorded with the run; empty when none
    // 1 while the video is the fresh recording, 0 once the name refers to the project's copy.
    BYTE m_videoUnsaved = 1;
    WORD m_rateCode = 0;
    double m_rangeMin = 0;
    double m_rangeMax = 0;
    WORD m_inputKind = 0;  // kind of input the series came from; 0 for a logger's own sensor
    BYTE m_sensorId = 0;   // identification number of the sensor
    BYTE m_shown = 0;      // checked in the data map
    SHORT m_linkCount = 0;
    DWORD m_links[kMaxLinks] = {};  // ids of the data sets recorded together with this one
    CString m_comment;              // kept and saved with the data set; a fit's equation
    std::vector<GraphTextAnnotation> m_annotations;
    BYTE m_modelCode = 0;  // 100 ('d') recorded from the Dorvik QK, 0 from the basic Dorvik
    BYTE m_derived = 0;    // a fitted line: drawn in the colour for derived data
};

class CDataTreeList {
public:
    static constexpr int kColours = 8;
    static const COLORREF s_colourTable[kColours];

    CDataTreeList() = default;
    CDataTreeList(const CDataTreeList&) = delete;
    CDataTreeList& operator=(const CDataTreeList&) = delete;

    // Appends an experiment with a new id.
    CDataTreeBrench* AddExperiment(const CString& name);
    // Inserts a data set with a new id after the last data set of the experiment `experimentId`
    // (right after the experiment when it has none). The node takes over the arrays; a null array
    // becomes an empty one. Null, with the arrays released, when no experiment has that id.
    CDataTreeBrench* InsertDataSet(DWORD experimentId, CDataArrayPtr x, CDataArrayPtr y,
                                   const CString& name, WORD rateCode, const CString& unit,
                                   const CPreciseDateTime& startTime, WORD originCode,
                                   SHORT secondValue, WORD identityValue, const CString& videoFile,
                                   double rangeMin, double rangeMax, WORD inputKind);

    int GetCount() const { return static_cast<int>(m_nodes.size()); }
    // Null outside 0..count - 1.
    CDataTreeBrench* GetAt(int index) const;
    // 0 outside 0..count - 1.
    DWORD GetIdAt(int index) const;
    CDataTreeBrench* FindById(DWORD id) const;
    int IndexOfId(DWORD id) const;
    // The first node of exactly that name (case counts).
    CDataTreeBrench* FindByName(const CString& name) const;
    // The index of the experiment's last data set, its own index when it has none, -1 when the
    // id is unknown.
    int IndexOfLastDataSet(DWORD experimentId) const;

    // The experiment that holds a data set: null, 0 or "" for an unknown id or an experiment.
    CDataTreeBrench* GetExperimentOf(DWORD dataSetId) const;
    DWORD GetExperimentId(DWORD dataSetId) const;
    CString GetExperimentName(DWORD dataSetId) const;
    // "<experiment> <data set>", or "" for an unknown id.
    CString GetFullName(DWORD dataSetId) const;
    // The first experiment after the node of `id`, or null.
    CDataTreeBrench* GetNextExperiment(DWORD id) const;
    // The node right after the node of `id` when it is a data set, or null.
    CDataTreeBrench* GetNextDataSet(DWORD id) const;

    // Sets the shown flag; the tree item's state image: 2 shown, 1 not; 0 for an unknown id.
    int SetChecked(DWORD id, bool shown);
    // Links b to a and to the data sets already linked to a, and a to b, within eight links each.
    void LinkDataSets(CDataTreeBrench* a, CDataTreeBrench* b);
    // Removes the node; a data set leaves the links of the others, whose order stays. Removing an
    // experiment leaves its data sets to the caller. False for an unknown id.
    bool Remove(DWORD id);
    void RemoveAll() { m_nodes.clear(); }
    // Every data set of that video gets the new name and counts as saved.
    void RenameVideoFile(const CString& oldName, const CString& newName);

private:
    DWORD NewId();
    static void AddLink(CDataTreeBrench& node, DWORD id);

    std::vector<std::unique_ptr<CDataTreeBrench>> m_nodes;
    DWORD m_lastId = 0;
    // One for all lists: successive data sets take successive table colours.
    static int s_colourCounter;
};
