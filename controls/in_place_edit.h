#pragma once
// CInPlaceEdit: the editor the grid puts over a cell when its owner allows an edit. It ends when
// it loses the focus, always by sending the grid its text in a GV_DISPINFO (code
// GVN_ENDLABELEDIT) with the key that ended it, and then closes.

#include "platform/ui/controls.h"

// Shared by the in-place editors. The page and arrow keys that may move on to the next cell.
bool LeavesCellByKey(UINT nChar);
// Starts an edit by its start character: 1 (mouse) or 13 (Enter) put the caret at the end;
// Backspace does so and deletes; Tab, Space and the page, End, Home and arrow keys select the
// text; any other character replaces it.
void StartEditByChar(CEdit& edit, const CString& sInitText, UINT nFirstChar);
// What every in-place editor sends its owner when it ends, then closes itself by a posted
// WM_CLOSE unless the owner's handler already destroyed it.
void SendEndOfEdit(CWnd& editor, int nRow, int nColumn, UINT nLastChar);

class CInPlaceEdit : public CEdit {
public:
    // Creates the editor as a child of `parent` and starts the edit by the start character
    // (StartEditByChar).
    CInPlaceEdit(CWnd* parent, const CRect& rect, DWORD dwStyle, UINT nID, int nRow, int nColumn,
                 const CString& sInitText, UINT nFirstChar);
    ~CInPlaceEdit() override;

    int GetRow() const { return m_nRow; }
    int GetColumn() const { return m_nColumn; }
    UINT GetLastKey() const { return m_nLastChar; }
    BOOL IsEnded() const { return m_bEnded; }
    void EndEdit();

    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnKillFocus(CWnd* pNewWnd) override;

private:
    CWnd* m_pParent;
    int m_nRow;
    int m_nColumn;
    CString m_sInitText;
    UINT m_nLastChar = 0;
    BOOL m_bExitOnArrows;
    CRect m_Rect;
    BOOL m_bEnded = FALSE;
};
