#pragma once
// File > Print: the graph, or the table with all its rows or a range of them. The range is
// given by sample numbers, or by dates and times when the graph shows clock time or dates.

#include "logger/precise_time.h"
#include "platform/ui/date_time_ctrl.h"
#include "platform/ui/dialog.h"

class CGraphView;
class CTableView;

class CPrintSelectionDialog : public CDialog {
public:
    explicit CPrintSelectionDialog(CWnd* parent = nullptr);
    void SetViews(CGraphView* graph, CTableView* table);

    // The results after OK.
    LONG m_fromIndex = 0;
    LONG m_toIndex = 0;
    BYTE m_printTable = 0;
    BYTE m_printGraph = 1;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    // Enter ends the dialog as Print does, with the range checked.
    void OnOK() override;
    void OnGraph();
    void OnTable();
    void OnPrintAllData();
    void OnKillFocusFrom();
    void OnKillFocusTo();
    void OnPrint();
    LRESULT OnNotifyMessage(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    void InitSampleRange();
    void InitTimeRange();
    // Keeps the date and time of one pair (From or To) within the data's sample times.
    void ClampTimeRange(bool from);
    void TimeRangeToIndexes();

private:
    bool TimeMode() const;
    void EnableRange(BOOL enable);
    CPreciseDateTime PairTime(bool from) const;
    void SetPair(bool from, const CPreciseDateTime& time);
    LONG FieldNumber(UINT id) const;
    // From and To within first..last, From not past To, and written back to the fields.
    void ClampIndexes();

    CGraphView* m_graphView = nullptr;
    CTableView* m_tableView = nullptr;
    BYTE m_reserved = 0;
    LONG m_firstIndex = 0;
    LONG m_lastIndex = 0;
    // The data's start and sample times, for the pickers.
    CPreciseDateTime m_start;
    CPreciseDateTime m_firstTime;
    CPreciseDateTime m_lastTime;
    double m_interval = 1.0;
    bool m_timeMode = false;

    CButton m_graph;
    CButton m_table;
    CButton m_printAll;
    CButton m_print;
    CButton m_cancel;
    CButton m_group;
    CStatic m_fromLabel;
    CStatic m_toLabel;
    CEdit m_from;
    CEdit m_to;
    CDateTimeCtrl m_fromDate;
    CDateTimeCtrl m_toDate;
    CDateTimeCtrl m_fromTime;
    CDateTimeCtrl m_toTime;
};
