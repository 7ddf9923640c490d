#pragma once
// CGridCtrl: the spreadsheet-like grid of the table view. It holds only a window of the table:
// fixed header rows and columns, and non-fixed rows that stand for a run of the owner's samples,
// from the first shown sample on. The grid never changes the table itself: it reports every
// edit, cut, paste, delete and move past its window to its owner (grid_messages.h), which
// decides and refills the rows.

#include <map>
#include <memory>
#include <span>
#include <vector>

#include "controls/grid_cell.h"
#include "controls/grid_messages.h"
#include "controls/title_tip.h"
#include "logger/precise_time.h"
#include "platform/base/file_limit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/image_list.h"
#include "platform/gdi/printer.h"
#include "platform/msg/wnd.h"
#include "platform/ui/ole.h"

class CDataExchange;
class CGridCtrl;
class CInPlaceEdit;

// The grid's drop target: drags over the grid's window go to the grid.
class CGridDropTarget : public COleDropTarget {
public:
    // Only a grid can be served.
    BOOL Register(CGridCtrl* grid);
    BOOL Register(CWnd*) override { return FALSE; }
    void Revoke() override;

    DROPEFFECT OnDragEnter(CWnd* wnd, COleDataObject* data, DWORD keyState, CPoint point) override;
    DROPEFFECT OnDragOver(CWnd* wnd, COleDataObject* data, DWORD keyState, CPoint point) override;
    void OnDragLeave(CWnd* wnd) override;
    BOOL OnDrop(CWnd* wnd, COleDataObject* data, DROPEFFECT effect, CPoint point) override;
    DROPEFFECT OnDragScroll(CWnd* wnd, DWORD keyState, CPoint point) override;

    CGridCtrl* m_pGridCtrl = nullptr;
    BOOL m_bRegistered = FALSE;
};

// One printed data-set column: its x values (sample numbers, ascending) and its values.
struct GridPrintColumn {
    std::span<const double> x;
    std::span<const double> values;
};

// The grid's control id of its in-place editor.
constexpr UINT IDC_INPLACE_EDIT = 8;

// The grid's window class, for dialog templates.
constexpr const char* GRIDCTRL_CLASSNAME = "VarnelGridCtrl";

// Mouse modes.
enum GridMouseMode {
    MOUSE_NOTHING = 0,
    MOUSE_SELECT_ALL = 1,
    MOUSE_SELECT_COL = 2,
    MOUSE_SELECT_ROW = 3,
    MOUSE_SELECT_CELLS = 4,
    MOUSE_OVER_ROW_DIVIDE = 6,
    MOUSE_SIZING_ROW = 7,
    MOUSE_OVER_COL_DIVIDE = 8,
    MOUSE_SIZING_COL = 9,
    MOUSE_PREPARE_EDIT = 10,
    MOUSE_PREPARE_DRAG = 11,
    MOUSE_DRAGGING = 12,
};

// Grid lines.
constexpr int GVL_NONE = 0;
constexpr int GVL_HORZ = 1;
constexpr int GVL_VERT = 2;
constexpr int GVL_BOTH = 3;

class CGridCtrl : public CWnd {
public:
    CGridCtrl(int nRows = 0, int nCols = 0, int nFixedRows = 0, int nFixedCols = 0);
    ~CGridCtrl() override;

    BOOL Create(const RECT& rect, CWnd* parent, UINT nID,
                DWORD dwStyle = WS_CHILD | WS_BORDER | WS_TABSTOP | WS_VISIBLE);
    using CWnd::Create;
    // Makes a grid of a dialog's item of the grid's window class.
    BOOL SubclassDlgItem(UINT nID, CWnd* parent) override;
    void PreSubclassWindow() override;

    // ---- the owner's sample window (written by the owner) ----
    int m_nWindowRows = 0;        // non-fixed rows the client area shows (ResetScrollBars)
    int m_nFirstShownSample = 0;  // the sample in the first non-fixed row
    int m_nSampleCount = 0;       // samples of the table

    // ---- counts and sizes ----
    int GetRowCount() const { return m_nRows; }
    int GetColumnCount() const { return m_nCols; }
    int GetFixedRowCount() const { return m_nFixedRows; }
    int GetFixedColumnCount() const { return m_nFixedCols; }
    BOOL SetRowCount(int nRows = 10);
    BOOL SetColumnCount(int nCols = 10);
    BOOL SetFixedRowCount(int nFixedRows = 1);
    BOOL SetFixedColumnCount(int nFixedCols = 1);
    int GetRowHeight(int nRow) const;
    BOOL SetRowHeight(int row, int height);
    int GetColumnWidth(int nCol) const;
    BOOL SetColumnWidth(int col, int width);
    int GetFixedRowHeight() const;
    int GetFixedColumnWidth() const;
    long GetVirtualWidth() const;
    long GetVirtualHeight() const;
    void SetFirstReadOnlyColumn(int col) { m_nFirstReadOnlyColumn = col; }
    int GetFirstReadOnlyColumn() const { return m_nFirstReadOnlyColumn; }

    // ---- colours, lines and switches ----
    void SetTextColor(COLORREF clr) { m_crTextColour = clr; }
    COLORREF GetTextColor() const { return m_crTextColour; }
    void SetTextBkColor(COLORREF clr) { m_crTextBkColour = clr; }
    COLORREF GetTextBkColor() const { return m_crTextBkColour; }
    void SetBkColor(COLORREF clr) { m_crBkColour = clr; }
    COLORREF GetBkColor() const { return m_crBkColour; }
    void SetFixedTextColor(COLORREF clr) { m_crFixedTextColour = clr; }
    COLORREF GetFixedTextColor() const { return m_crFixedTextColour; }
    void SetFixedBkColor(COLORREF clr) { m_crFixedBkColour = clr; }
    COLORREF GetFixedBkColor() const { return m_crFixedBkColour; }
    void SetGridColor(COLORREF clr) { m_crGridColour = clr; }
    COLORREF GetGridColor() const { return m_crGridColour; }
    void SetGridLines(int nWhichLines = GVL_BOTH);
    int GetGridLines() const { return m_nGridLines; }
    void SetEditable(BOOL bEditable = TRUE) { m_bEditable = bEditable; }
    BOOL IsEditable() const { return m_bEditable; }
    void SetListMode(BOOL bEnableListMode = TRUE);
    BOOL GetListMode() const { return m_bListMode; }
    void SetSingleRowSelection(BOOL bSing = TRUE) { m_bSingleRowSelection = bSing; }
    BOOL GetSingleRowSelection() const { return m_bSingleRowSelection; }
    void EnableSelection(BOOL bEnable = TRUE);
    BOOL IsSelectable() const { return m_bEnableSelection; }
    void SetSortOnClick(BOOL bSortOnClick = TRUE) { m_bSortOnClick = bSortOnClick; }
    void SetHandleTabKey(BOOL bHandleTab = TRUE) { m_bHandleTabKey = bHandleTab; }
    void SetDoubleBuffering(BOOL bBuffer = TRUE) { m_bDoubleBuffer = bBuffer; }
    void EnableTitleTips(BOOL bEnable = TRUE) { m_bTitleTips = bEnable; }
    BOOL GetTitleTips() const { return m_bTitleTips; }
    void EnableDragAndDrop(BOOL bAllow = TRUE) { m_bAllowDragAndDrop = bAllow; }
    void SetRowResize(BOOL bResize = TRUE) { m_bAllowRowResize = bResize; }
    void SetColumnResize(BOOL bResize = TRUE) { m_bAllowColumnResize = bResize; }
    int GetSortColumn() const { return m_nSortColumn; }
    BOOL GetSortAscending() const { return m_bAscending; }
    UINT GetRowsPerWheelNotch() const { return m_nRowsPerWheelNotch; }

    // ---- cells ----
    CGridCell* GetCell(int nRow, int nCol) const;
    virtual CString GetItemText(int nRow, int nCol) const;
    BOOL SetItemText(int nRow, int nCol, LPCTSTR str);
    BOOL SetItemTextAndFormat(int nRow, int nCol, LPCTSTR str, UINT nFormat);
    BOOL GetItem(GV_ITEM* pItem) const;
    BOOL SetItem(const GV_ITEM* pItem);
    UINT GetItemState(int nRow, int nCol) const;
    BOOL SetItemState(int nRow, int nCol, UINT state);
    UINT GetItemFormat(int nRow, int nCol) const;
    BOOL SetItemFormat(int nRow, int nCol, UINT nFormat);
    int GetItemImage(int nRow, int nCol) const;
    BOOL SetItemImage(int nRow, int nCol, int iImage);
    LPARAM GetItemData(int nRow, int nCol) const;
    BOOL SetItemData(int nRow, int nCol, LPARAM lParam);
    COLORREF GetItemBkColour(int nRow, int nCol) const;
    BOOL SetItemBkColour(int nRow, int nCol, COLORREF cr = CLR_DEFAULT);
    COLORREF GetItemFgColour(int nRow, int nCol) const;
    BOOL SetItemFgColour(int nRow, int nCol, COLORREF cr = CLR_DEFAULT);
    // The cell's font, or the grid's default font when the cell does not exist.
    const LOGFONT* GetItemFont(int nRow, int nCol) const;
    BOOL SetItemFont(int nRow, int nCol, const LOGFONT* lf);
    void SetGridFont(const LOGFONT* lf);
    void GetGridFont(LOGFONT* lf) const;
    // The default cell font (WM_SETFONT's).
    const LOGFONT& GetDefaultFont() const { return m_Logfont; }
    BOOL IsValid(int nRow, int nCol) const;
    BOOL IsValid(const CCellID& cell) const { return IsValid(cell.row, cell.col); }
    BOOL IsValid(const CCellRange& range) const;
    BOOL IsValidCell(const CCellID& cell) const { return IsValid(cell); }
    BOOL IsCellEditable(int nRow, int nCol) const;
    BOOL IsCellEditableById(const CCellID& cell) const {
        return IsCellEditable(cell.row, cell.col);
    }
    BOOL IsCellFixed(int nRow, int nCol) const;
    BOOL IsCellSelected(int nRow, int nCol) const;
    // With row or column below 1: the grid's flag; else the cell's modified bit.
    void SetModified(BOOL bModified = TRUE, int nRow = -1, int nCol = -1);
    BOOL GetModified(int nRow = -1, int nCol = -1) const;

    // ---- rows and columns ----
    int InsertColumn(LPCTSTR strHeading, UINT nFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE,
                     int nColumn = -1);
    int InsertRow(LPCTSTR strHeading, int nRow = -1);
    BOOL DeleteColumn(int nColumn);
    BOOL DeleteRow(int nRow);
    BOOL DeleteNonFixedRows();
    BOOL DeleteAllItems();

    // ---- layout ----
    CCellID GetTopLeftNonFixedCell() const;
    CCellRange GetVisibleNonFixedCellRange(LPRECT pRect = nullptr) const;
    // The same, leaving out a last row or column that is only partly shown.
    CCellRange GetUnobstructedNonFixedCellRange() const;
    BOOL GetCellOrigin(int nRow, int nCol, LPPOINT p) const;
    BOOL GetCellOrigin(const CCellID& cell, LPPOINT p) const {
        return GetCellOrigin(cell.row, cell.col, p);
    }
    BOOL GetCellRect(int nRow, int nCol, LPRECT pRect) const;
    BOOL GetCellRectById(const CCellID& cell, LPRECT pRect) const {
        return GetCellRect(cell.row, cell.col, pRect);
    }
    BOOL GetTextRect(int nRow, int nCol, LPRECT pRect) const;
    BOOL GetCellRangeRect(const CCellRange& cellRange, LPRECT lpRect) const;
    CCellID GetCellFromPt(CPoint point, BOOL bAllowFixedCellCheck = TRUE) const;
    BOOL IsCellVisible(int nRow, int nCol) const;
    BOOL IsCellVisibleById(const CCellID& cell) const { return IsCellVisible(cell.row, cell.col); }
    BOOL InvalidateCellRect(const CCellID& cell);
    BOOL RedrawCell(int nRow, int nCol, CDC* pDC = nullptr);
    BOOL RedrawCellById(const CCellID& cell, CDC* pDC = nullptr) {
        return RedrawCell(cell.row, cell.col, pDC);
    }
    BOOL RedrawRow(int row);
    BOOL RedrawColumn(int col);
    BOOL RedrawRange(const CCellRange& range);
    virtual CSize GetCellExtent(int nRow, int nCol, CDC* pDC);
    // The column width that shows a fixed cell's text whole.
    int GetFixedCellTextWidth(int nRow, int nCol, CDC* pDC);
    BOOL AutoSizeColumn(int nCol);
    BOOL AutoSizeRow(int nRow);
    void AutoSizeColumns();
    void AutoSizeRows();
    void AutoSize();
    void ExpandColumnsToFit();
    void ExpandRowsToFit();
    void ExpandToFit();
    void ResetScrollBars();
    void SetRedraw(BOOL bAllowDraw, BOOL bResetScrollBars = FALSE);
    BOOL GetRedraw() const { return m_bAllowDraw; }
    void EnsureVisible(int nRow, int nCol);
    void EnsureVisible(const CCellID& cell) { EnsureVisible(cell.row, cell.col); }
    void EnsureCellVisible(const CCellID& cell) { EnsureVisible(cell.row, cell.col); }

    // ---- focus and selection ----
    CCellID GetFocusCell() const { return m_idCurrentCell; }
    CCellID SetFocusCell(int nRow, int nCol);
    CCellID SetFocusCell(const CCellID& cell) { return SetFocusCell(cell.row, cell.col); }
    void SetSelectedRange(int nMinRow, int nMinCol, int nMaxRow, int nMaxCol,
                          BOOL bForceRepaint = FALSE);
    void SetSelectedRange(const CCellRange& range, BOOL bForceRepaint = FALSE);
    void ResetSelectedRange();
    CCellRange GetSelectedCellRange() const;
    int GetSelectedCount() const { return static_cast<int>(m_SelectedCellMap.size()); }
    CCellID GetNextItem(const CCellID& cell, int nFlags) const;
    int GetMouseMode() const { return m_MouseMode; }

    // ---- sorting ----
    BOOL SortTextItems(int nCol, BOOL bAscending);
    using PFNLVCOMPARE = int (*)(LPARAM, LPARAM, LPARAM);
    BOOL SortItems(PFNLVCOMPARE pfnCompare, int nCol, BOOL bAscending, LPARAM data = 0);

    // ---- clipboard ----
    virtual std::unique_ptr<COleDataSource> CopyTextFromGrid();
    virtual void CutSelectedText();
    virtual BOOL PasteTextToGrid(CCellID cell, COleDataObject* pDataObject);
    virtual void OnEditCut();
    virtual void OnEditCopy();
    virtual void OnEditPaste();
    virtual void OnEditSelectAll();
    // For the owner: reports the cut cells, copies them and empties them.
    void CutSelectedCells();
    static BOOL IsNumericPaste(const CString& text);
    // For the owner: writes the numeric lines of the data into the cells from (nRow, nCol) on.
    BOOL PasteTextToCells(int nRow, int nCol, COleDataObject* pDataObject);

    // ---- editing ----
    // Asks the owner whether the cell may be edited (start char: 1 mouse, 13 Enter, else the
    // typed character); returns the owner's answer.
    virtual LRESULT OnEditCell(int nRow, int nCol, UINT nChar);
    // For the owner: opens the in-place editor over the cell.
    virtual void CreateInPlaceEditControl(const CRect& rect, DWORD dwStyle, UINT nID, int nRow,
                                          int nCol, LPCTSTR szText, int nChar);
    virtual void OnEndEditCell(int nRow, int nCol, const CString& str);
    // For the owner: types one value over the selected data rows.
    void SetSelectedCellsText(const CString& text);
    CInPlaceEdit* GetInPlaceEdit() const { return m_pInPlaceEdit.get(); }

    // ---- printing and files ----
    // Prints the samples first .. last of the owner's data-set columns with the grid's header
    // rows and column widths. timeStep is the sampling interval in the time column's unit;
    // comments (none for no comment column) are indexed by sample number.
    void PrintTable(const CString& title, const GridPrintColumn* columns, WORD columnCount,
                    int firstSample, int lastSample, double timeStep,
                    const TimeColumnFormat& timeFormat, const std::vector<CString>* comments,
                    WORD timeFlag, const CPreciseDateTime& startTime = CPreciseDateTime());
    virtual void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo, int& endRow, int firstSample,
                                 int lastSample);
    virtual void OnPrint(CDC* pDC, CPrintInfo* pInfo, const CString& title, int endRow,
                         int firstSample, const std::vector<CString>* comments);
    virtual void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo);
    // Keeps what PrintTable keeps for a job (the arrays must outlive it), for printing on a DC of
    // the caller's.
    void SetPrintSource(const GridPrintColumn* columns, WORD columnCount, double timeStep,
                        const TimeColumnFormat& timeFormat, const std::vector<CString>* comments,
                        WORD timeFlag, const CPreciseDateTime& startTime = CPreciseDateTime());
    int GetPrintPageHeight() const { return m_nPageHeight; }
    CSize GetPrintLogicalPageSize() const { return m_LogicalPageSize; }

    // Writes the grid's own cells as comma-separated text, from column 1 on.
    BOOL Save(LPCTSTR filename);
    // Writes the header rows and every sample first .. last of the owner's data-set columns,
    // as printing walks them: the table's whole export, not only the rows on screen.
    BOOL SaveTable(LPCTSTR filename, const GridPrintColumn* columns, WORD columnCount,
                   int firstSample, int lastSample, double timeStep,
                   const TimeColumnFormat& timeFormat, const std::vector<CString>* comments,
                   WORD timeFlag, const CPreciseDateTime& startTime = CPreciseDateTime());
    // Reads a file the grid saved; a larger one than the limit is refused unread, as each
    // of its cells takes many times its text.
    BOOL Load(LPCTSTR filename);
    static inline platform::FileSizeLimit s_fileLimit{16ull << 20};
    // A loaded file's cells cost far more than its text: these bound what a load may build.
    static constexpr int kMaxLoadRows = 100000;
    static constexpr int kMaxLoadColumns = 4096;
    static constexpr int kMaxLoadCells = 1000000;
    static constexpr const char* kLoadFailedText = "Unable to load grid data";
    static constexpr const char* kTooLargeText =
        "Unable to load grid data: the file is larger than %s.";
    static constexpr const char* kTooManyRowsText =
        "Unable to load grid data: the file has more than %d rows.";
    static constexpr const char* kTooManyColumnsText =
        "Unable to load grid data: the file has more than %d columns.";
    static constexpr const char* kTooManyCellsText =
        "Unable to load grid data: the file has more than %d cells.";

    // ---- drag and drop ----
    // A picture of the focus cell for dragging, its hot spot at the cell's lower right corner;
    // none without a focus cell.
    virtual std::unique_ptr<CImageList> CreateDragImage(CPoint* pHotSpot);
    DROPEFFECT OnDragEnter(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
    DROPEFFECT OnDragOver(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
    void OnDragLeave();
    BOOL OnDrop(COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point);
    void OnBeginDrag();

    // ---- window handlers ----
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* pDC) override;
    void OnSize(UINT nType, int cx, int cy) override;
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    void OnLButtonUp(UINT nFlags, CPoint point) override;
    void OnLButtonDblClk(UINT nFlags, CPoint point) override;
    void OnMouseMove(UINT nFlags, CPoint point) override;
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt) override;
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnTimer(UINT_PTR nIDEvent) override;
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) override;
    void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) override;

protected:
    // ---- drawing ----
    virtual void OnDraw(CDC* pDC);
    virtual BOOL DrawFixedCell(CDC* pDC, int nRow, int nCol, CRect rect, BOOL bEraseBk = FALSE);
    virtual BOOL DrawCell(CDC* pDC, int nRow, int nCol, CRect rect, BOOL bEraseBk = FALSE);
    virtual void PrintColumnHeadings(CDC* pDC, CPrintInfo* pInfo, int columnCount);
    virtual void PrintHeader(CDC* pDC, CPrintInfo* pInfo, const CString& title);
    virtual void PrintFooter(CDC* pDC, CPrintInfo* pInfo);
    void PrintCellText(CDC* pDC, const CRect& rect, const CString& text);

    virtual void OnFixedColumnClick(CCellID& cell);
    virtual void OnFixedRowClick(CCellID& cell);
    void OnSelecting(const CCellID& currentCell);

    virtual std::unique_ptr<CGridCell> CreateCell(int nRow, int nCol);
    virtual void EmptyCell(CGridCell* pCell, int nRow, int nCol);

    // ---- message-map handlers ----
    LRESULT OnGetDlgCode(WPARAM, LPARAM);
    LRESULT OnSetFontMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetFontMessage(WPARAM, LPARAM);
    LRESULT OnSetCursorMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnCaptureChanged(WPARAM, LPARAM lParam);
    LRESULT OnSysColorChange(WPARAM, LPARAM);
    LRESULT OnSettingChange(WPARAM, LPARAM);
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
    void OnUpdateEditCopy(CCmdUI* pCmdUI);
    void OnUpdateEditCut(CCmdUI* pCmdUI);
    void OnUpdateEditPaste(CCmdUI* pCmdUI);
    void OnUpdateEditSelectAll(CCmdUI* pCmdUI);
    void OnEditCopyCommand() { OnEditCopy(); }
    void OnEditCutCommand() { OnEditCut(); }
    void OnEditPasteCommand() { OnEditPaste(); }
    void OnEditSelectAllCommand() { OnEditSelectAll(); }

    DECLARE_MESSAGE_MAP()

private:
    void SendMessageToParent(int nRow, int nCol, int nMessage);
    LRESULT SendToOwner(UINT msg, WPARAM wParam, LPARAM lParam);
    void ShowRow(int firstSample);
    void SetDefaultFontMetrics(CDC* dc);
    void ReadRowsPerWheelNotch();
    void SelectAllCells();
    void SelectColumns(CCellID currentCell);
    void SelectRows(CCellID currentCell);
    void SelectCells(CCellID currentCell);
    BOOL MouseOverRowResizeArea(CPoint point) const;
    BOOL MouseOverColumnResizeArea(CPoint point) const;
    void DrawTracker(const CRect& rect);
    void TrackerLineAt(CPoint point);
    BOOL EnsureSizes();
    void ExchangeRows(int a, int b);
    BOOL SortTextItems(int nCol, BOOL bAscending, int low, int high);
    BOOL SortItems(PFNLVCOMPARE pfnCompare, int nCol, BOOL bAscending, LPARAM data, int low,
                   int high);
    CString BuildClipboardText(const CCellRange& range) const;
    static DWORD CellKey(int row, int col) {
        return static_cast<DWORD>((row & 0xFFFF) | ((col & 0xFFFF) << 16));
    }
    // Printing.
    int PrintedColumnCount() const;
    int PrintedColumnWidth(int col, CDC* pDC) const;
    std::vector<CString> SampleTexts(int sample, int columnCount,
                                     const std::vector<CString>* comments) const;
    void DrawPrintGridLines(CDC* pDC, const CRect& cell, bool firstRow, bool firstColumn);

    // Sizes.
    int m_nRows = 0, m_nFixedRows = 0, m_nCols = 0, m_nFixedCols = 0;
    std::vector<int> m_arRowHeights, m_arColWidths;
    int m_nMargin = 0;
    int m_nDefCellWidth = 30, m_nDefCellHeight = 10;
    int m_nVScrollMax = 0, m_nHScrollMax = 0;
    int m_nFirstReadOnlyColumn = 0;

    // Colours.
    COLORREF m_crTextColour, m_crTextBkColour, m_crBkColour, m_crFixedTextColour, m_crFixedBkColour,
        m_crGridColour;
    COLORREF m_crWindowText, m_crWindowColour, m_cr3DFace, m_crShadow;

    // Switches.
    int m_nGridLines = GVL_BOTH;
    BOOL m_bEditable = TRUE;
    BOOL m_bModified = FALSE;
    BOOL m_bAllowDragAndDrop = TRUE;
    BOOL m_bListMode = FALSE;
    BOOL m_bSingleRowSelection = FALSE;
    BOOL m_bAllowDraw = TRUE;
    BOOL m_bEnableSelection = TRUE;
    BOOL m_bSortOnClick = TRUE;
    BOOL m_bHandleTabKey = TRUE;
    BOOL m_bDoubleBuffer = TRUE;
    BOOL m_bTitleTips = TRUE;
    int m_nBarState = 0;  // bit 0 horizontal, bit 1 vertical
    BOOL m_bAscending = TRUE;
    int m_nSortColumn = -1;
    BOOL m_bAllowRowResize = TRUE, m_bAllowColumnResize = TRUE;

    // Fonts.
    LOGFONT m_Logfont;
    LOGFONT m_GridLogfont;
    CFont m_Font;
    std::unique_ptr<CFont> m_PrinterFont;

    // Cells: one row of cell pointers per row.
    std::vector<std::vector<std::unique_ptr<CGridCell>>> m_RowData;

    // Mouse.
    int m_MouseMode = MOUSE_NOTHING;
    CPoint m_LeftClickDownPoint, m_LastMousePoint;
    CCellID m_LeftClickDownCell, m_SelectionStartCell, m_idCurrentCell;
    UINT_PTR m_nTimerID = 0;
    int m_nTimerInterval = 25;
    int m_nResizeCaptureRange = 3;
    UINT m_nRowsPerWheelNotch = 3;
    CRect m_TrackerRect;
    bool m_bTrackerShown = false;

    std::map<DWORD, CCellID> m_SelectedCellMap, m_PrevSelectedCellMap;

    CTitleTip m_TitleTip;
    std::unique_ptr<CInPlaceEdit> m_pInPlaceEdit;
    CCellID m_LastDragOverCell;
    CGridDropTarget m_DropTarget;

    // Printing.
    const GridPrintColumn* m_pPrintColumns = nullptr;
    WORD m_nPrintColumnCount = 0;
    double m_dPrintTimeStep = 1.0;
    TimeColumnFormat m_PrintTimeFormat;
    WORD m_nPrintTimeFlag = 0;
    CPreciseDateTime m_PrintStartTime;
    const std::vector<CString>* m_pPrintComments = nullptr;
    CSize m_CharSize;
    int m_nPageHeight = 0;
    CSize m_LogicalPageSize, m_PaperSize;
    int m_nPrintedWidth = 0;
    int m_nRowsPerPage = 1;
};

// Makes rControl of the dialog's item nIDC, an item of the grid's window class; throws
// CNotSupportedException when it cannot.
void DDX_GridControl(CDataExchange* pDX, int nIDC, CGridCtrl& rControl);
