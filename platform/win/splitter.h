#pragma once
// CSplitterWnd: a static splitter of rows and columns whose panes are views. Each row has an
// ideal and a minimum height; a row whose ideal is below its minimum is hidden, the last row
// takes what is left. The bars between rows can be dragged with the mouse where HitTest says so.

#include <memory>
#include <vector>

#include "platform/win/frame.h"

class CSplitterWnd : public CWnd {
    DECLARE_DYNAMIC(CSplitterWnd)
    ~CSplitterWnd() override;

    BOOL CreateStatic(CWnd* parent, int rows, int cols, DWORD style = WS_CHILD | WS_VISIBLE,
                      UINT id = AFX_IDW_PANE_FIRST);
    // Makes pane (row, col) from the view class, over the context's document.
    virtual BOOL CreateView(int row, int col, const CRuntimeClass* viewClass, SIZE initialSize,
                            CCreateContext* context);
    CWnd* GetPane(int row, int col) const;
    int IdFromRowCol(int row, int col) const {
        return static_cast<int>(AFX_IDW_PANE_FIRST) + row * 16 + col;
    }
    int GetRowCount() const { return static_cast<int>(m_rows.size()); }

    void SetRowInfo(int row, int ideal, int min);
    void GetRowInfo(int row, int& cur, int& min) const;
    virtual void RecalcLayout();

    // Where `point` falls: 0 on nothing, 201 + n on the bar below row n.
    virtual int HitTest(CPoint point) const;
    virtual BOOL SplitRow(int cyBefore);
    virtual void DeleteRow(int rowDelete);

    // The height of a bar between two rows.
    int m_cySplitter = 6;

protected:
    void OnSize(UINT type, int cx, int cy) override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;

private:
    struct Row {
        int ideal = 0, min = 0, cur = 0, top = 0;
    };
    std::vector<Row> m_rows;
    int m_cols = 1;
    std::vector<std::unique_ptr<CView>> m_panes;  // row-major
    int m_tracking = -1;                          // the row whose bar is dragged
    int m_trackOffset = 0;
};
