#pragma once
// CTableView: the table window. It shows the samples of up to eight data sets side by side, one
// row per sample number, in a grid that never holds more than one page of rows: the view refills
// that page from the data sets whenever the user scrolls, the window is resized, the refresh timer
// ticks during a run, or the shown data sets change. It decides what an edit in the grid does to
// the data, keeps the graph in step, and prints and exports the whole table.

#include <memory>
#include <vector>

#include "app/child_frame.h"
#include "controls/grid_ctrl.h"
#include "logger/data_tree.h"
#include "logger/helpers.h"
#include "models/table_tree.h"

class CDataTreeBrench;
class CGraphView;
class CSettings;
class CVarnelDoc;

// The table's child frame: no caption, no sizing border, and nothing in its window menu that
// moves or sizes it (the document places it).
class CTableFrame : public CChildFrame {
    DECLARE_DYNCREATE(CTableFrame)
};

class CTableView : public CView {
    DECLARE_DYNCREATE(CTableView)

public:
    static constexpr UINT kGridId = 100;
    static constexpr UINT_PTR kRefreshTimer = 1;
    static constexpr UINT kRefreshPeriod = 250;
    static constexpr int kGridRows = 61;
    static constexpr int kFixedRows = 2;
    // Every non-fixed row of the grid shows a sample: rows 2 to 60.
    static constexpr int kDataRows = kGridRows - kFixedRows;
    static constexpr int kFirstDataColumn = 2;
    static constexpr int kCommentLength = 20;
    static constexpr COLORREF kGridLineColour = 0xFBD58C;
    static constexpr const char* kChangeDataText = "Do you wish to permanently change this data ?";
    static constexpr const char* kEditedDataGroup = "Edited Data";
    static constexpr const char* kCommentTitle = "Comment";
    static constexpr const char* kExportErrorText = "Error creating Excel file";

    CTableView();
    ~CTableView() override;

    void OnInitialUpdate() override;
    // Commands go to the grid first.
    BOOL OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info) override;

    // ---- columns and filling ----
    void SetupGrid(const RateInfoStruct& rate);
    void SetRate(WORD rateCode, BOOL reread);
    void SetTimeUnit(WORD unit);
    // The record index of the new column, or -1 when refused.
    int AddDataSetColumns(CDataTreeBrench* dataSet);
    // -1: the last page.
    void FillGrid(int topSample);
    void StartRefreshTimer();
    void StopRefreshTimer();
    bool RemoveDataSet(DWORD dataSetId);
    // The columns become these data sets, in this order (the first eight the table takes);
    // nothing changes when they already are.
    void ShowDataSets(const std::vector<CDataTreeBrench*>& dataSets);
    void UpdateColumnTitle(DWORD dataSetId);
    void RefreshColumnNames();
    void ApplyUnitSettings();
    CString GetUnitText(const CDataTreeBrench* dataSet) const;
    // The table's sample count (1 + the largest last sample number shown) and the first record
    // that reaches it (-1 when none).
    int GetLongestColumn(int& record) const;
    // Writing a heading (the two top rows) widens its column to show it whole.
    void SetCellText(int row, int col, const CString& text);
    void SetCellValue(int row, int col, double value);
    void OnGraphCursorMoved(DWORD, LONG, LONG) {}

    // ---- editing ----
    LRESULT OnEditRequest(const CCellID& cell, UINT character);
    void OnValueEntered(const CCellID& cell);
    void OnValueChanged(const CCellID& cell);
    void OnHeaderDblClk(const CCellID& cell);
    // False when no copy could be made; the column is then left as it was.
    bool MakeEditedCopy(int record, TableColumnStruct& column);
    bool StoreComment(int sample, const CString& text);
    static int FindInsertIndex(const CDataArray* values, double x);
    // The last sample number of a data set as a whole number; -1 without samples.
    static int LastSampleOf(const CDataTreeBrench* dataSet);

    // ---- commands ----
    void OnEditCopy();
    void OnEditPaste();
    void OnEditCut();
    void OnEditDataCommand() {}
    void PrintTable(const CString& title, int firstSample, int lastSample);
    void OnExportToExcel();

    // ---- state ----
    CGridCtrl* GetGrid() const { return m_grid.get(); }
    int GetColumnCount() const { return m_columnCount; }
    const TableColumnStruct& GetColumn(int record) const { return m_columns[record]; }
    // The data set of a record, or null when it left the data list behind the table's back.
    CDataTreeBrench* ColumnDataSet(int record) const;
    CDataTreeBrench* GetCommentExperiment() const;
    int GetTopSample() const { return m_topSample; }
    int GetVisibleRows() const { return m_visibleRows; }
    WORD GetTimeUnit() const { return m_timeUnit; }
    const CString& GetTimeUnitText() const { return m_unitText; }
    const CString& GetTimeFormat() const { return m_timeFormat; }
    SHORT GetTimeDecimals() const { return m_timeDecimals; }
    double GetTimeFactor() const { return m_timeFactor; }
    const RateInfoStruct& GetRateRecord() const { return m_rate; }
    bool IsRefreshTimerRunning() const { return m_refreshTimer != 0; }

protected:
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnTimer(UINT_PTR id) override;
    void OnDraw(CDC*) override {}
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    CSettings* Settings() const;
    CGraphView* Graph() const;
    // A stored value as the table shows it, and a value typed in the table as it is stored.
    double ShownValue(const CDataTreeBrench* dataSet, double value) const;
    double StoredValue(const CDataTreeBrench* dataSet, double shown) const;
    CString ColumnTitle(const CDataTreeBrench* dataSet) const;
    void ChooseTimeFormat(double interval);
    void WriteTimeHeader();
    void FitColumnToHeadings(int col);
    // The record shown in a grid column, or -1.
    int RecordOfColumn(int col) const;
    int CommentColumn() const { return kFirstDataColumn + m_columnCount; }
    // The sample number in column 0 of a row, or -1 when the cell holds none.
    int SampleOfRow(int row) const;
    // The numeric value of an edited cell: one whole number, or nothing.
    bool ReadCellNumber(const CCellID& cell, double& value) const;
    void EnteredComment(const CCellID& cell);
    void MarkModified();
    void ReplotDataSet(CDataTreeBrench* dataSet);
    // The shown columns as the grid prints and saves them; null spans for gone data sets.
    void CollectPrintColumns();
    const std::vector<CString>* CommentsForPrint() const;
    CPreciseDateTime FirstStartTime() const;

    CVarnelDoc* m_doc = nullptr;
    BYTE m_refreshTimer = 0;
    double m_timeFactor = 1.0;
    BYTE m_formatPending = 1;
    DWORD m_commentExperimentId = 0;
    std::unique_ptr<CGridCtrl> m_grid;
    CFont m_font;
    CGraphView* m_graphView = nullptr;
    WORD m_rateCode = 5;
    RateInfoStruct m_rate{1.0, 1.0, 3};
    WORD m_timeUnit = 3;
    CString m_unitText = "s";
    SHORT m_timeDecimals = 0;
    CString m_timeFormat = "%.0f";
    TableColumnStruct m_columns[TableColumnStruct::kMaxColumns];
    SHORT m_columnCount = 0;
    int m_topSample = 0;
    int m_visibleRows = 0;
    // Kept for a print job or an export: they point into the data sets' sample numbers and into
    // their values as shown.
    std::vector<GridPrintColumn> m_printColumns;
    std::vector<CDataArray> m_printValues;
};
